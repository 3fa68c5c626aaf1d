// quillary --grid-demo: a window for trying the property grid by hand. A
// condition grid like the designer's (pick lists, an ellipsis column, a
// no-edit column, a fixed row-number column), the buttons the designer puts
// beside its grids, the union panel's grid loaded from its stored text, and
// the stored text of the first grid, which can be edited and loaded back.
#include "designer/DesignerFont.h"
#include "designer/UnionGridForm.h"
#include "grid/GridStreaming.h"
#include "grid/PropertyInplaceEdit.h"
#include "grid/StringGridEx.h"

#include <QApplication>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>
#include <QWidget>

namespace quillary {

namespace {

// Editing options and row-selection options, as the designer switches them.
const TGridOptions EditOptions{goFixedVertLine, goFixedHorzLine,   goVertLine,
                               goHorzLine,      goRangeSelect,     goDrawFocusSelected,
                               goColSizing,     goRowSizing,       goEditing,
                               goTabs,          goAlwaysShowEditor};
const TGridOptions RowSelectOptions{goFixedVertLine, goFixedHorzLine, goVertLine,  goHorzLine,
                                    goRangeSelect,   goColSizing,     goRowMoving, goRowSelect};

class TGridDemo : public QWidget {
public:
    TGridDemo() {
        setWindowTitle(QStringLiteral("TStringGridEx 演示"));
        auto* layout = new QVBoxLayout(this);
        auto* splitter = new QSplitter(Qt::Vertical);
        layout->addWidget(splitter, 1);

        // The condition grid and its side buttons.
        auto* top = new QWidget;
        auto* topLayout = new QHBoxLayout(top);
        topLayout->setContentsMargins(0, 0, 0, 0);
        Grid = new TStringGridEx;
        Grid->setObjectName(QStringLiteral("ConditionList"));
        BuildConditionGrid();
        topLayout->addWidget(Grid, 1);
        auto* buttons = new QVBoxLayout;
        auto addButton = [&](const char* text, auto slot) {
            auto* b = new QPushButton(QString::fromUtf8(text));
            connect(b, &QPushButton::clicked, this, slot);
            buttons->addWidget(b);
            return b;
        };
        addButton("上移", [this] { Grid->MoveUp(); });
        addButton("下移", [this] { Grid->MoveDown(); });
        SelectButton = addButton("行选择", [this] { ToggleRowSelect(); });
        SelectButton->setCheckable(true);
        addButton("添加列", [this] {
            Grid->AddPropertyCol(QStringLiteral("新列%1").arg(Grid->ColCount()), QString(),
                                 emSimple);
        });
        addButton("删除列", [this] { Grid->DeletePropertyCol(Grid->ColCount() - 1); });
        addButton("一百万行", [this] { MillionRows(); });
        addButton("保存为文本", [this] { Text->setPlainText(WriteGridText(*Grid)); });
        addButton("从文本载入", [this] { LoadFromText(); });
        buttons->addStretch(1);
        topLayout->addLayout(buttons);
        splitter->addWidget(top);

        // The union panel's grid, straight from its stored text.
        auto* unionBox = new QWidget;
        auto* unionLayout = new QHBoxLayout(unionBox);
        unionLayout->setContentsMargins(0, 0, 0, 0);
        UnionGrid = CreateGridFromText(UnionGridFormText()).release();
        UnionGrid->SetCells(1, 1, QStringLiteral("union0"));
        UnionGrid->setMinimumHeight(60);
        unionLayout->addWidget(new QLabel(QStringLiteral(" 联合")));
        unionLayout->addWidget(UnionGrid, 1);
        splitter->addWidget(unionBox);

        Text = new QPlainTextEdit;
        Text->setPlaceholderText(QStringLiteral("按“保存为文本”显示表格的存储文本"));
        splitter->addWidget(Text);
        splitter->setStretchFactor(0, 3);
        splitter->setStretchFactor(2, 2);

        Log = new QLabel;
        Log->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(Log);
        BindEvents();
        resize(760, 620);
    }

private:
    void BuildConditionGrid() {
        Grid->SetRowCount(9);
        TCellValueProps* props = Grid->PropValues();
        props->Items(0)->SetPropertyLabel(QStringLiteral("序号"));
        props->Items(1)->SetPropertyLabel(QStringLiteral("字段名或表达式"));
        props->Items(1)->SetEditMode(emPickList);
        props->Items(1)->SetPickList(
            QStringList{QStringLiteral("产品.产品名称"), QStringLiteral("产品.单价"),
                        QStringLiteral("订单.订购日期"), QStringLiteral("订单.运货费"),
                        QStringLiteral("客户.公司名称"), QStringLiteral("客户.城市")});
        Grid->AddPropertyCol(QStringLiteral("关系运算符"), QStringLiteral("="), emPickList);
        props->Items(2)->SetPickList(QStringList{"=", ">", "<", ">=", "<=", "<>", "like",
                                                 "not like", "is", "in", "not in", ""});
        Grid->AddPropertyCol(QStringLiteral("表达式"), QString(), emEllipsis);
        Grid->AddPropertyCol(QStringLiteral("逻辑运算符"), QStringLiteral("and"), emPickList);
        props->Items(4)->SetPickList(QStringList{"and", "or"});
        Grid->AddPropertyCol(QStringLiteral("说明（只读按钮条）"), QString(), emNoEdit);
        const int widths[] = {36, 180, 80, 180, 77, 140};
        for (int i = 0; i < 6; ++i)
            Grid->SetColWidths(i, widths[i]);
        NumberRows();
        Grid->SetOptions(EditOptions);
        Grid->SetCells(1, 1, QStringLiteral("产品.单价"));
        Grid->SetCells(2, 1, QStringLiteral(">"));
        Grid->SetCells(3, 1, QStringLiteral("20"));
        Grid->SetCells(4, 1, QStringLiteral("and"));
        Grid->SetCells(1, 2, QStringLiteral("客户.城市"));
        Grid->SetCells(2, 2, QStringLiteral("="));
        Grid->SetCells(3, 2, QStringLiteral("'北京'"));
    }

    void NumberRows() {
        Grid->SetUpdateState(true);
        const int last = std::min(Grid->RowCount() - 1, 2000);
        for (int r = 1; r <= last; ++r)
            Grid->SetCells(0, r, QString::number(r));
        Grid->SetUpdateState(false);
    }

    void BindEvents() {
        Grid->OnCellChange = [this](QObject*) {
            Note(QStringLiteral("OnCellChange：第 %1 行第 %2 列 = “%3”")
                     .arg(Grid->Row())
                     .arg(Grid->Col())
                     .arg(Grid->GetCells(Grid->Col(), Grid->Row())));
        };
        Grid->OnEditButtonClick = [this](QObject*) {
            bool ok = false;
            const QString text = QInputDialog::getMultiLineText(
                this, QStringLiteral("表达式"), QStringLiteral("请输入表达式："),
                Grid->GetCells(Grid->Col(), Grid->Row()), &ok);
            if (ok) Grid->SetCells(Grid->Col(), Grid->Row(), text);
        };
        Grid->OnRowMoved = [this](QObject*, int from, int to) {
            NumberRows();
            Note(QStringLiteral("OnRowMoved：%1 → %2").arg(from).arg(to));
        };
        Grid->OnDblClick = [this](QObject*) { SelectButton->click(); };
        Grid->OnTopLeftChanged = [this](QObject*) {
            Note(QStringLiteral("OnTopLeftChanged：首行 %1，首列 %2")
                     .arg(Grid->TopRow())
                     .arg(Grid->LeftCol()));
        };
        UnionGrid->OnCellChange = [this](QObject*) {
            Note(QStringLiteral("联合：第 %1 行 关键词 = “%2”")
                     .arg(UnionGrid->Row())
                     .arg(UnionGrid->GetCells(3, UnionGrid->Row())));
        };
    }

    void ToggleRowSelect() {
        Grid->SetOptions(SelectButton->isChecked() ? RowSelectOptions : EditOptions);
        Note(SelectButton->isChecked() ? QStringLiteral("行选择：拖动左侧序号可移动行")
                                       : QStringLiteral("编辑状态"));
    }

    void MillionRows() {
        Grid->SetUpdateState(true);
        Grid->SetRowCount(1000000);
        Grid->SetCells(1, 999999, QStringLiteral("最后一行"));
        Grid->SetUpdateState(false);
        NumberRows();
        Note(QStringLiteral("RowCount = 1,000,000（Ctrl+End 到最后一行）"));
    }

    void LoadFromText() {
        try {
            ReadGridText(Text->toPlainText(), *Grid);
            NumberRows();
            Note(QStringLiteral("已从文本载入"));
        } catch (const EFilerError& e) {
            QMessageBox::warning(this, QStringLiteral("提示"), e.Message());
        } catch (const EGridException& e) {
            QMessageBox::warning(this, QStringLiteral("提示"), e.Message());
        }
    }

    void Note(const QString& text) { Log->setText(text); }

    TStringGridEx* Grid = nullptr;
    TStringGridEx* UnionGrid = nullptr;
    QPushButton* SelectButton = nullptr;
    QPlainTextEdit* Text = nullptr;
    QLabel* Log = nullptr;
};

} // namespace

int RunGridDemo(int& argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setFont(DesignerFont());
    TGridDemo demo;
    demo.show();
    // QUILLARY_GRID_DEMO_SNAPSHOT=<file.png>: save a picture of the window and quit.
    const QString snapshot = qEnvironmentVariable("QUILLARY_GRID_DEMO_SNAPSHOT");
    if (!snapshot.isEmpty()) {
        QCoreApplication::processEvents();
        return demo.grab().save(snapshot) ? 0 : 1;
    }
    return app.exec();
}

} // namespace quillary
