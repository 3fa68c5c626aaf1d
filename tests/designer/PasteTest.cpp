// The paste dialog and the grid menu's paste commands.
#include "CanvasTestSupport.h"

#include "designer/Paste.h"
#include "grid/PropertyInplaceEdit.h"
#include "grid/StringGridEx.h"
#include "platform/Clipboard.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace quillary;
using namespace quillary::test;

namespace {

const QString kAll = QString::fromUtf8(kAllTables);

// Scripts the paste dialog: `work` receives it and returns the modal result.
void ExpectPaste(TScriptedUserInteraction& ui, std::function<int(TFrm_Paste&)> work) {
    ui.AnswerModal([work](QDialog* d) {
        auto* form = qobject_cast<TFrm_Paste*>(d);
        EXPECT_NE(form, nullptr) << "expected the paste dialog";
        return form ? work(*form) : int(mrCancel);
    });
}

// The user picks entry `index` of the table selector.
void ChooseTable(TFrm_Paste& form, int index) {
    form.ComboBox1->setCurrentIndex(index);
    emit form.ComboBox1->activated(index);
}

// Selects `text` in the dialog's list and presses "粘贴".
int Choose(TFrm_Paste& form, const QString& text) {
    const auto found = form.ListBox1->findItems(text, Qt::MatchExactly);
    EXPECT_EQ(found.size(), 1) << text.toStdString() << " in "
                               << Texts(form.ListBox1).join(',').toStdString();
    if (found.isEmpty()) return mrCancel;
    form.ListBox1->setCurrentItem(found.first(), QItemSelectionModel::ClearAndSelect);
    form.Button1Click();
    return mrOk;
}

bool SortedAndUnique(const QStringList& names) {
    QStringList sorted = names;
    sorted.sort();
    sorted.removeDuplicates();
    return sorted == names;
}

} // namespace

// --- the dialog on its own ------------------------------------------------------

TEST(PasteTextRulesTest, ReversePosAndTablePrefix) {
    for (const auto& [sub, s, pos] : {std::tuple{".", "a.b.", 2},
                                      {"ab", "xabab", 2},
                                      {"ab", "xabz", 2},
                                      {"a", "a", 0},
                                      {"abc", "ab", 0}})
        EXPECT_EQ(ReversePos(QString::fromLatin1(sub), QString::fromLatin1(s)), pos) << s;
    for (const auto& [entry, prefix] :
         {std::pair{"orders(o)", "o"}, {"orders", "orders"}, {"a(b)(c)", "c"}, {"(x)", "(x)"}})
        EXPECT_EQ(TFrm_Paste::TablePrefix(QString::fromLatin1(entry)), QString::fromLatin1(prefix));
}

TEST(PasteTextRulesTest, FunctionListsByKind) {
    const QStringList sqlServer = FunctionNames(dsSqlServer);
    QStringList sybase = FunctionNames(dsSybase);
    const QStringList oracle = FunctionNames(dsOracle);
    EXPECT_EQ(sqlServer.size(), 17);
    EXPECT_EQ(sybase.mid(14, 3), (QStringList{"right", "sign", "substring"}));
    sybase.removeOne("sign");
    EXPECT_EQ(sybase, sqlServer) << "Sybase: SQL Server's list and sign";
    EXPECT_EQ(oracle.size(), 42);
    EXPECT_TRUE(oracle.contains("greatetest")) << "spelled with te twice";
    EXPECT_TRUE(SortedAndUnique(oracle) && SortedAndUnique(sqlServer));
    for (int kind : {dsNone, dsAccess, dsParadox, dsDBase, dsExcel, dsOther})
        EXPECT_TRUE(FunctionNames(kind).isEmpty()) << kind;
}

class PasteDialogTest : public ScriptedUiTest {};

TEST_F(PasteDialogTest, FunctionModeAsksToChooseFirstAndTakesADoubleClick) {
    ExpectPaste(ui, [this](TFrm_Paste& form) {
        EXPECT_EQ(form.windowTitle(), "请选择一个函数");
        EXPECT_FALSE(form.ColumnMode());
        ui.ExpectMessage("请先选择!", "提示");
        form.Button1Click(); // Access: nothing to choose from
        return int(mrCancel);
    });
    EXPECT_EQ(PasteFunction(dsAccess), QString());

    ExpectPaste(ui, [](TFrm_Paste& form) {
        form.show();
        QListWidgetItem* nvl = form.ListBox1->findItems("nvl", Qt::MatchExactly)[0];
        form.ListBox1->scrollToItem(nvl);
        const QPoint at = form.ListBox1->visualItemRect(nvl).center();
        QTest::mouseClick(form.ListBox1->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(form.ListBox1->viewport(), Qt::LeftButton, {}, at);
        EXPECT_FALSE(form.isVisible()) << "the choice closes the dialog";
        return form.result();
    });
    EXPECT_EQ(PasteFunction(dsOracle), "nvl");
}

TEST_F(PasteDialogTest, TwoTablesOfferAllColumnsOrOneTablesColumnsBare) {
    QStringList columns = {"  ", "o.id", "o.total", "items.qty", "items.id"};
    const QStringList tables = {"orders(o)", "items"};
    ExpectPaste(ui, [&](TFrm_Paste& form) {
        EXPECT_EQ(form.windowTitle(), "请选择一个字段");
        EXPECT_EQ(form.ComboBox1->currentText(), kAll);
        EXPECT_EQ(form.ComboBox1->count(), 3) << "the tables, then all tables";
        EXPECT_EQ(columns.size(), 4) << "the blank first line is out while the dialog runs";
        EXPECT_EQ(Texts(form.ListBox1), columns);
        return Choose(form, "o.id");
    });
    EXPECT_EQ(PasteColumn(columns, tables), "o.id");
    EXPECT_EQ(columns.first(), QString()) << "and back afterwards";

    ExpectPaste(ui, [&](TFrm_Paste& form) {
        ChooseTable(form, 1);
        EXPECT_EQ(Texts(form.ListBox1), (QStringList{"qty", "id"}));
        ChooseTable(form, 2);
        EXPECT_EQ(Texts(form.ListBox1), columns) << "all tables again";
        ChooseTable(form, 0);
        EXPECT_EQ(Texts(form.ListBox1), (QStringList{"id", "total"}));
        return Choose(form, "id");
    });
    EXPECT_EQ(PasteColumn(columns, tables), "o.id");
}

TEST_F(PasteDialogTest, SingleTablePreselectedAndClosingWithoutChoiceGivesNothing) {
    QStringList columns = {"items.qty", "items.price"};
    ExpectPaste(ui, [](TFrm_Paste& form) {
        EXPECT_EQ(form.ComboBox1->count(), 1) << "no all-tables entry";
        EXPECT_EQ(Texts(form.ListBox1), (QStringList{"qty", "price"}));
        return Choose(form, "qty");
    });
    EXPECT_EQ(PasteColumn(columns, {"items"}), "items.qty");
    EXPECT_EQ(columns.first(), QString()) << "a list without a blank first line gets one";

    ExpectPaste(ui, [](TFrm_Paste&) { return int(mrCancel); }); // the system menu's close
    EXPECT_EQ(PasteColumn(columns, {"items"}), QString());
    ExpectPaste(ui, [](TFrm_Paste& form) {
        form.ListBox1->setCurrentRow(0);
        form.Button2Click();
        return int(mrCancel);
    });
    EXPECT_EQ(PasteFunction(dsSqlServer), QString());
}

TEST(DatabaseFunctionsTest, SqliteNamesItsFunctionsDirectlyAndThroughOdbc) {
    for (const QString& csn :
         {SampleCsn(), "Provider=MSDASQL.1;Data Source=" + QString::fromLatin1(kSystemDsn)}) {
        TADOConnection connection(csn);
        EXPECT_TRUE(DatabaseFunctionNames(&connection).isEmpty()) << "not connected";
        connection.Open();
        const QStringList names = DatabaseFunctionNames(&connection);
        for (const char* name : {"abs", "count", "group_concat", "substr"})
            EXPECT_TRUE(names.contains(QString::fromLatin1(name))) << name << csn.toStdString();
        EXPECT_TRUE(SortedAndUnique(names));
    }
}

// --- the commands of the designer ------------------------------------------------

class PasteCommandTest : public CanvasFixture {
protected:
    // Opens the cell editor on `col` of row 1 of ConditionList with `text`,
    // selecting `length` characters from `start`.
    TPropertyInplaceEdit* EditCell(int col, const QString& text, int start, int length = 0) {
        form->PageControl1->setCurrentIndex(TFrm_Quillary::pgCondition);
        form->ConditionList->setFocus();
        form->ConditionList->SetRow(1);
        form->ConditionList->SetCol(col);
        form->ConditionList->SetEditorMode(true);
        TPropertyInplaceEdit* editor = form->ActiveCellEditor();
        EXPECT_NE(editor, nullptr);
        if (editor) {
            editor->setText(text);
            editor->setSelection(start, length);
        }
        return editor;
    }
};

TEST_F(PasteCommandTest, CommandsRefuseWithoutConnectionOrTables) {
    const std::tuple<QAction * TFrm_Quillary::*, bool, const char*, const char*> cases[] = {
        {&TFrm_Quillary::N_PasteFun, false, "源数据源尚未选定！", "提示！"},
        {&TFrm_Quillary::N_PasteSQL, false, "数据源尚未选择", "提示"},
        {&TFrm_Quillary::N_PasteSQL, true, "数据源尚未连接成功", "提示"},
        {&TFrm_Quillary::N_PasteColumn, false, "源数据表尚未选定！", "提示！"},
    };
    Open(false);
    for (const auto& [item, hasConnection, text, caption] : cases) {
        dialog.SetOwnConnection(hasConnection ? std::make_unique<TADOConnection>(SampleCsn())
                                              : nullptr);
        ui.ExpectMessage(QString::fromUtf8(text), QString::fromUtf8(caption));
        (form.get()->*item)->trigger();
        EXPECT_EQ(ui.Remaining(), 0) << text;
    }
}

TEST_F(PasteCommandTest, FunctionGoesInAtTheCaretOfTheOpenCellEditor) {
    Open();
    form->SetDSN(dsSqlServer);
    for (const auto& [before, start, length, after] :
         {std::tuple{"a =  + 1", 4, 0, "a = getdate + 1"},
          {"a = now() + 1", 4, 5, "a = getdate + 1"}}) {
        TPropertyInplaceEdit* editor = EditCell(2, QString::fromLatin1(before), start, length);
        ASSERT_NE(editor, nullptr);
        ExpectPaste(ui, [](TFrm_Paste& form) { return Choose(form, "getdate"); });
        form->N_PasteFun->trigger();
        EXPECT_EQ(editor->text(), QString::fromLatin1(after)) << before;
        EXPECT_EQ(editor->cursorPosition(), start + 7);
    }
    // Without an open cell editor the name stays on the clipboard only.
    form->Memo1->setFocus();
    ExpectPaste(ui, [](TFrm_Paste& form) { return Choose(form, "len"); });
    form->N_PasteFun->trigger();
    EXPECT_EQ(TClipboard::AsText(), "len");
    EXPECT_EQ(form->Memo1->toPlainText(), QString());
    // Nothing chosen: the clipboard is left alone.
    ExpectPaste(ui, [](TFrm_Paste&) { return int(mrCancel); });
    form->N_PasteFun->trigger();
    EXPECT_EQ(TClipboard::AsText(), "len");
}

TEST_F(PasteCommandTest, CtrlFOffersTheDatabasesOwnFunctionsOnlyWhenAskedTo) {
    Open(); // SQLite: kind 99, no list of its own
    TPropertyInplaceEdit* editor = EditCell(0, "x", 1);
    ASSERT_NE(editor, nullptr);
    QApplication::setActiveWindow(form.get());
    ExpectPaste(ui, [](TFrm_Paste& form) {
        EXPECT_EQ(form.ListBox1->count(), 0);
        return int(mrCancel);
    });
    QTest::keyClick(editor, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(editor->text(), "x");
    dialog.IsDatabaseFunctions = true;
    ExpectPaste(ui, [](TFrm_Paste& form) { return Choose(form, "upper"); });
    QTest::keyClick(editor, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(editor->text(), "xupper");
}

TEST_F(PasteCommandTest, ColumnOfAnAliasedBoxFromTheConditionPickList) {
    Open();
    Place("orders");
    ui.AnswerMessage(mrYes).AnswerInput("o");
    Place("orders");
    QStringList* pick = form->ConditionList->PropValues()->Items(0)->PickList();
    const QStringList before = *pick;
    ASSERT_TRUE(before.contains("o.CustomerID"));
    TPropertyInplaceEdit* editor = EditCell(0, "()", 1);
    ASSERT_NE(editor, nullptr);
    ExpectPaste(ui, [&](TFrm_Paste& form) {
        EXPECT_EQ(form.ComboBox1->itemText(1), "orders(o)");
        ChooseTable(form, 1);
        EXPECT_EQ(form.ListBox1->count(), before.size() / 2);
        return Choose(form, "CustomerID");
    });
    form->N_PasteColumn->trigger();
    EXPECT_EQ(editor->text(), "(o.CustomerID)");
    EXPECT_EQ(*pick, QStringList{""} + before) << "the pick list keeps a blank first line";
}

TEST_F(PasteCommandTest, StatementFromANestedDesigner) {
    Open();
    form->move(120, 80);
    form->CheckBox2->setChecked(true);
    TPropertyInplaceEdit* editor = EditCell(2, "in ", 3);
    ASSERT_NE(editor, nullptr);
    ExpectDesigner(ui, [this](TFrm_Quillary& nested) {
        EXPECT_EQ(nested.windowTitle(), "SQL语句生成器--粘贴SQL语句");
        EXPECT_EQ(nested.pos(), form->pos() + QPoint(10, 10));
        EXPECT_TRUE(nested.CheckBox2->isChecked()) << "system tables as in the designer";
        EXPECT_TRUE(nested.Canvas()->MenuItem(TQBArea::kMenuUnion)->isVisible());
        EXPECT_EQ(nested.Dialog()->GetConn(), dialog.GetConn());
        EXPECT_TRUE(nested.Forge("select   CustomerID\n  from\tcustomers"));
        return int(mrOk);
    });
    form->N_PasteSQL->trigger();
    EXPECT_EQ(editor->text(), "in select CustomerID from customers");

    ExpectNestedDesign(ui, QString(), "select OrderID from orders", mrCancel);
    form->N_PasteSQL->trigger();
    EXPECT_EQ(editor->text(), "in select CustomerID from customers");
}
