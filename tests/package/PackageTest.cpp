// The package: unit order, what it registers, the component editors on a
// real dialog and a real query over SQLite, and the property editors.
#include "package/Package.h"
#include "../designer/DesignerTestSupport.h"
#include "db/DataLinkPrompt.h"
#include "grid/StringGridEx.h"
#include "package/CorvaneAbout.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolBar>

namespace quillary::test {
namespace {

// Any TADOQuery descendant counts as a query.
class TQueryDescendant : public TADOQuery {
    Q_OBJECT
};

class TRecordingDesigner final : public TFormDesigner {
public:
    void Modified() override { ++ModifiedCount; }
    void EditDefaultEvent(QObject* component) override { DefaultEvents << component; }
    int ModifiedCount = 0;
    QList<QObject*> DefaultEvents;
};

QString U(const char* text) {
    return QString::fromUtf8(text);
}

// Scripts the data-link prompt: records the string it opened with and
// confirms `file` as the SQLite file (or cancels when `file` is empty).
void ExpectDataLink(TScriptedUserInteraction& ui, const QString& file, QString* shown,
                    QString* chosen) {
    ui.AnswerModal([=](QDialog* d) {
        auto* prompt = qobject_cast<TDataLinkDialog*>(d);
        EXPECT_NE(prompt, nullptr) << "expected the data-link prompt";
        if (!prompt) return int(mrCancel);
        *shown = prompt->ConnectionString();
        if (file.isEmpty()) return int(mrCancel);
        prompt->FileEdit->setText(file);
        *chosen = prompt->ConnectionString();
        return int(mrOk);
    });
}

TPublishedProperty Property(const QObject* component, const QString& name) {
    for (const TPublishedProperty& p : PublishedProperties(component))
        if (p.Name == name) return p;
    ADD_FAILURE() << "no published property " << name.toStdString();
    return {};
}

// Scripts the designer: notes its dialog, designs `sql` and ends with `result`.
void ExpectDesignOn(TScriptedUserInteraction& ui, TQuillaryDialog** seen, const QString& sql,
                    int result) {
    ExpectDesigner(ui, [=](TFrm_Quillary& form) {
        *seen = form.Dialog();
        EXPECT_TRUE(form.Forge(sql));
        return result;
    });
}

TEST(PackageUnits, InitialiseInTableOrderWithTheDialogLast) {
    QStringList names;
    for (const TPackageUnit& unit : GetPackageInfoTable())
        names << unit.Name;
    EXPECT_EQ(names, QStringList({"u_link", "Paste", "LoginParm", "Common", "HTMLHelp_Decl",
                                  "CorvaneAbout", "StringGridEx", "QuillaryDialog"}));
    EXPECT_EQ(QString::fromLatin1(kPackageDescription), "QuillaryDialog 2.0");
    Initialize();
    Initialize();
    EXPECT_TRUE(PackageInitialized());
    Finalize();
    EXPECT_FALSE(PackageInitialized());
}

TEST(PackageUnits, PaletteBitmapsHaveTheirSizesAndColours) {
    const QImage dialog = PaletteBitmap("TQUILLARYDIALOG");
    EXPECT_EQ(dialog.size(), QSize(24, 24));
    EXPECT_EQ(dialog.colorCount(), 16);
    const QImage grid = PaletteBitmap("TSTRINGGRIDEX");
    EXPECT_EQ(grid.size(), QSize(27, 27));
    EXPECT_EQ(grid.colorCount(), 256);
    EXPECT_EQ(grid.pixel(12, 15), qRgb(255, 255, 255)) << "the colours drawn keep their places";
    EXPECT_TRUE(PaletteBitmap("TADOQUERY").isNull());
}

class PackageRegistration : public ScriptedUiTest {
protected:
    void SetUp() override {
        ScriptedUiTest::SetUp();
        ClearRegistrations();
        RegisterPackage();
    }
    void TearDown() override {
        ClearRegistrations();
        ScriptedUiTest::TearDown();
    }
    TRecordingDesigner designer;
};

TEST_F(PackageRegistration, RegistersComponentsAndEditorsInOrder) {
    QStringList made;
    for (const TRegistration& r : Registrations())
        made << QStringList{QString::number(r.Kind), r.Page, r.ComponentClass, r.PropertyType,
                            r.PropertyName}
                    .join('|');
    EXPECT_EQ(made, QStringList({"0|Corvane|TStringGridEx||", "0|Corvane|TQuillaryDialog||",
                                 "1||TQuillaryDialog||", "1||TADOQuery||",
                                 "2||TQuillaryDialog|WideString|ConnectionString",
                                 "2||TQuillaryDialog|String|Version"}));
}

template <class TEditor, class TMade> bool Is(const TMade& made) {
    return dynamic_cast<TEditor*>(made.get()) != nullptr;
}

TEST_F(PackageRegistration, EditorsAreFoundByClassAndProperty) {
    TQuillaryDialog dialog;
    TADOQuery query;
    TQueryDescendant descendant;
    TStringGridEx grid;
    EXPECT_TRUE(Is<TQuillaryEditor>(GetComponentEditor(&dialog, &designer)));
    EXPECT_TRUE(Is<TQueryEditor_Quillary>(GetComponentEditor(&query, &designer)));
    EXPECT_TRUE(Is<TQueryEditor_Quillary>(GetComponentEditor(&descendant, &designer)));
    // No editor of its own: the default one, whose double click opens the default event.
    auto gridEditor = GetComponentEditor(&grid, &designer);
    EXPECT_EQ(gridEditor->GetVerbCount(), 0);
    gridEditor->Edit();
    EXPECT_EQ(designer.DefaultEvents, QList<QObject*>({&grid}));

    EXPECT_TRUE(Is<TCNSProperty>(GetPropertyEditor(&dialog, "ConnectionString", &designer)));
    EXPECT_TRUE(Is<TVersionProperty>(GetPropertyEditor(&dialog, "Version", &designer)));
    // The SQL editor is available, not registered.
    auto sql = GetPropertyEditor(&dialog, "SQL", &designer);
    ASSERT_NE(sql, nullptr);
    EXPECT_FALSE(Is<TSQLProperty>(sql));
    EXPECT_EQ(GetPropertyEditor(&dialog, "NoSuchProperty", &designer), nullptr);
    EXPECT_EQ(GetPropertyEditor(&query, "Version", &designer), nullptr);
}

TEST_F(PackageRegistration, DialogEditorVerbs) {
    TQuillaryDialog dialog;
    auto editor = GetComponentEditor(&dialog, &designer);
    EXPECT_EQ(editor->GetVerbCount(), 2);
    const QList<QPair<int, QString>> verbs = {{0, "Test Dialog"},
                                              {1, "Edit ConnectionString"},
                                              {2, "Edit ConnectionString"},
                                              {-1, "Edit ConnectionString"}};
    for (const auto& [index, text] : verbs)
        EXPECT_EQ(editor->GetVerb(index), text) << index;
    auto queryEditor = std::make_unique<TQueryEditor_Quillary>(nullptr, &designer);
    EXPECT_EQ(queryEditor->GetVerbCount(), 1);
    for (int index : {0, 1, 7})
        EXPECT_EQ(queryEditor->GetVerb(index), "QuillaryBuilder");
}

TEST_F(PackageRegistration, TestDialogShowsTheConfirmedStatementAndKeepsItsChanges) {
    TQuillaryDialog dialog;
    dialog.SetConnectionString(SampleCsn());
    auto editor = GetComponentEditor(&dialog, &designer);
    ExpectNestedDesign(ui, U("SQL语句生成器，欢迎你使用！"), "select * from customers", mrOk);
    ui.ExpectMessage(U("SQL语法：select *\r\nfrom customers"), QString());
    editor->ExecuteVerb(0);
    EXPECT_EQ(dialog.SQL, "select *\r\nfrom customers");

    // Cancelled: no message; the caption and the union switch stay all the same.
    dialog.Caption = "other";
    dialog.IsAllowUnion = false;
    ExpectNestedDesign(ui, U("SQL语句生成器，欢迎你使用！"), "select 1", mrCancel);
    editor->Edit();
    EXPECT_EQ(dialog.SQL, "select *\r\nfrom customers");
    EXPECT_EQ(dialog.Caption, U("SQL语句生成器，欢迎你使用！"));
    EXPECT_TRUE(dialog.IsAllowUnion);
}

TEST_F(PackageRegistration, EditConnectionStringGoesThroughTheDataLinkPrompt) {
    TQuillaryDialog dialog;
    const QString first = SampleCsn();
    dialog.SetConnectionString(first);
    dialog.SQL = "select 1";
    auto editor = GetComponentEditor(&dialog, &designer);
    const QString other = CopyOfSampleDatabase();
    QString shown, chosen;
    ExpectDataLink(ui, other, &shown, &chosen);
    editor->ExecuteVerb(5); // any index but 0
    EXPECT_TRUE(shown.contains(first.section('=', -1)));
    EXPECT_TRUE(chosen.contains(other));
    EXPECT_EQ(dialog.ConnectionString(), chosen);
    EXPECT_TRUE(dialog.SQL.isEmpty()) << "a new data source clears the statement";

    ExpectDataLink(ui, QString(), &shown, &chosen);
    dialog.SQL = "select 2";
    editor->ExecuteVerb(1);
    EXPECT_EQ(dialog.ConnectionString(), chosen);
    EXPECT_EQ(dialog.SQL, "select 2");
}

class QueryEditor : public PackageRegistration {
protected:
    void SetUp() override {
        PackageRegistration::SetUp();
        query.SetConnectionString(SampleCsn());
        query.SQL() = QStringList{"select * from orders"};
        editor = GetComponentEditor(&query, &designer);
    }
    TADOQuery query;
    std::unique_ptr<TComponentEditor> editor;
};

TEST_F(QueryEditor, ReplacesTheStatementOnlyOnConfirmation) {
    const QString caption = U("SQL语句生成器,欢迎你在Veldris开发环境下使用!");
    ExpectDesigner(ui, [&](TFrm_Quillary& form) {
        EXPECT_EQ(form.windowTitle(), caption);
        EXPECT_FALSE(form.ToolBar1->isHidden()) << "the data source may be changed";
        EXPECT_TRUE(form.Dialog()->IsAllowUnion);
        EXPECT_EQ(form.Dialog()->SQL, "select * from orders");
        EXPECT_TRUE(form.Forge("select CustomerID from customers"));
        return int(mrOk);
    });
    editor->ExecuteVerb(0);
    EXPECT_EQ(query.SQL(), QStringList({"select CustomerID", "from customers"}));
    EXPECT_EQ(designer.ModifiedCount, 1);

    ExpectNestedDesign(ui, caption, "select 1", mrCancel);
    editor->ExecuteVerb(0);
    EXPECT_EQ(query.SQL(), QStringList({"select CustomerID", "from customers"}));
    EXPECT_EQ(designer.ModifiedCount, 1);
}

TEST_F(QueryEditor, UsesTheQueryConnectionComponent) {
    TADOConnection connection(SampleCsn());
    connection.Open();
    query.SetConnection(&connection);
    query.SQL() = QStringList{"select * from products"};
    ExpectDesigner(ui, [&](TFrm_Quillary& form) {
        EXPECT_EQ(form.Dialog()->GetConnection(), &connection);
        EXPECT_EQ(form.Dialog()->SQL, "select * from products");
        return int(mrCancel);
    });
    editor->ExecuteVerb(0);
    EXPECT_TRUE(connection.Connected());
}

TEST_F(QueryEditor, FreesTheDialogWhenTheConnectionFailsAndWhenAnErrorPasses) {
    query.SetConnectionString("Provider=SQLite;Data Source=" + TestDir() + "/missing.db");
    bool freed = false;
    ExpectLogin(ui, U("u"), U("p"));
    ui.ExpectMessage(U("连接数据源失败!\r\n"), U("提示"));
    ExpectDesigner(ui, [&](TFrm_Quillary& form) {
        QObject::connect(form.Dialog(), &QObject::destroyed, [&] { freed = true; });
        return int(mrCancel);
    });
    editor->ExecuteVerb(0);
    EXPECT_TRUE(freed);
    EXPECT_EQ(query.SQL(), QStringList({"select * from orders"}));

    freed = false;
    query.SetConnectionString(SampleCsn());
    query.SQL() = QStringList{"select * from orders"};
    ExpectDesigner(ui, [&](TFrm_Quillary& form) -> int {
        QObject::connect(form.Dialog(), &QObject::destroyed, [&] { freed = true; });
        throw Exception("the host reports this");
    });
    EXPECT_EQ(ErrorOf([&] { editor->ExecuteVerb(0); }), "the host reports this");
    EXPECT_TRUE(freed);
    EXPECT_EQ(query.SQL(), QStringList({"select * from orders"}));
    EXPECT_EQ(designer.ModifiedCount, 0);
}

TEST_F(PackageRegistration, ConnectionStringEditorPromptsWithTheCurrentString) {
    TQuillaryDialog dialog;
    const QString first = SampleCsn();
    dialog.SetConnectionString(first);
    auto property = GetPropertyEditor(&dialog, "ConnectionString", &designer);
    EXPECT_EQ(property->GetAttributes(), TPropertyAttributes(paDialog));
    EXPECT_EQ(property->GetValue(), first);
    const QString other = CopyOfSampleDatabase();
    QString shown, chosen;
    ExpectDataLink(ui, other, &shown, &chosen);
    property->Edit();
    EXPECT_TRUE(shown.contains(first.section('=', -1)));
    EXPECT_EQ(dialog.ConnectionString(), chosen);
    EXPECT_EQ(designer.ModifiedCount, 1);
}

TEST_F(PackageRegistration, VersionEditorShowsFromTheVAndTellsWhoOwnsIt) {
    TQuillaryDialog dialog;
    auto property = GetPropertyEditor(&dialog, "Version", &designer);
    const TPropertyAttributes attributes = property->GetAttributes();
    EXPECT_TRUE(attributes.testFlags(paDialog | paReadOnly | paMultiSelect | paRevertable));
    const QList<QPair<QString, QString>> values = {{"2.0", "2.0"},
                                                   {"Quillary v2.0", "v2.0"},
                                                   {"a v1 b v2", "v1 b v2"},
                                                   {"x  v3", "v3"},
                                                   {"v2.0", "v2.0"},
                                                   {" v", "v"},
                                                   {"", ""},
                                                   {"Quillary V2", "Quillary V2"}};
    for (const auto& [stored, shown] : values) {
        dialog.Version = stored;
        EXPECT_EQ(property->GetValue(), shown) << stored.toStdString();
    }
    dialog.Version = "Quillary v2.0";
    ui.ExpectMessage(QString("v2.0\n\n") + U(kOwnershipNotice), QString());
    property->Edit();
}

TEST_F(PackageRegistration, SqlEditorSharesOneDialogForQueries) {
    TADOQuery first, second;
    first.SetConnectionString(SampleCsn());
    first.SQL() = QStringList{"select * from orders"};
    const QString secondCsn = SampleCsn();
    second.SetConnectionString(secondCsn);
    TSQLProperty onFirst(&designer, &first, Property(&first, "SQL"));
    TSQLProperty onSecond(&designer, &second, Property(&second, "SQL"));
    EXPECT_EQ(onFirst.GetAttributes(), paDialog | paReadOnly);
    EXPECT_EQ(onFirst.GetValue(), "select * from orders");

    TQuillaryDialog* firstRun = nullptr;
    TQuillaryDialog* secondRun = nullptr;
    ExpectDesignOn(ui, &firstRun, "select 1", mrCancel);
    onFirst.Edit();
    EXPECT_EQ(first.SQL(), QStringList({"select * from orders"}));
    ExpectDesigner(ui, [&](TFrm_Quillary& form) {
        secondRun = form.Dialog();
        EXPECT_EQ(secondRun->GetCSN(), secondCsn);
        EXPECT_TRUE(form.Forge("select * from products"));
        return int(mrOk);
    });
    onSecond.Edit();
    EXPECT_EQ(firstRun, secondRun);
    EXPECT_EQ(second.SQL(), QStringList({"select *", "from products"}));

    // On a dialog: that dialog, and the query is left alone; the cache follows.
    TQuillaryDialog dialog;
    dialog.SetConnectionString(SampleCsn());
    TSQLProperty onDialog(&designer, &dialog, Property(&dialog, "SQL"));
    ExpectDesignOn(ui, &firstRun, "select * from customers", mrOk);
    onDialog.Edit();
    EXPECT_EQ(firstRun, &dialog);
    EXPECT_EQ(onDialog.GetValue(), "select *\r\nfrom customers");
    FinalizeCorvaneAbout();
}

} // namespace
} // namespace quillary::test

#include "PackageTest.moc"
