// Storing grids in form files: the union panel's grid, round trips in both
// encodings, what is and is not written, ancestors, and malformed input.
#include "GridTestSupport.h"

#include "designer/UnionGridForm.h"
#include "grid/GridStreaming.h"
#include "grid/StringPrGridStrings.h"

#include <QMenu>
#include <QObject>
#include <QStringEncoder>
#include <gtest/gtest.h>
#include <limits>

using namespace quillary;
using namespace quillary::test;

namespace {

// The union panel's grid as the designer stores it.
QString UnionText() {
    return UnionGridFormText();
}

// The message of the EFilerError `op` raises (empty when none).
template <class Op> QString FilerError(Op op) {
    try {
        op();
    } catch (const EFilerError& e) {
        return e.Message();
    }
    return QString();
}

} // namespace

TEST(GridStreaming, TheUnionGridLoadsFromItsStoredText) {
    // Written back, it is the same text; what it holds reaches the grid.
    std::unique_ptr<TStringGridEx> grid = CreateGridFromText(UnionText());
    EXPECT_EQ(WriteGridText(*grid), UnionText());
    EXPECT_EQ(grid->Rows(0)->ToStringList(), (QStringList{"(", "联合", ")", "关键词"}));
    TCellValueProp* keyword = grid->PropValues()->Items(3);
    EXPECT_EQ(keyword->EditMode(), emPickList);
    EXPECT_EQ(keyword->DropDownRows(), 4u);
    EXPECT_EQ(*keyword->PickList(), (QStringList{"union", "union all", "minus", "intersect"}));
    EXPECT_TRUE(grid->Options().Contains(goAlwaysShowEditor));
    EXPECT_EQ((QList<int>{grid->ColWidths(0), grid->ColWidths(1), grid->ColWidths(2),
                          grid->ColWidths(3)}),
              (QList<int>{21, 54, 24, 64}));
    EXPECT_EQ(Current(*grid), (TGridCoord{0, 1}));
    EXPECT_EQ(grid->geometry(), QRect(4, 20, 169, 81));
    EXPECT_TRUE(grid->EditorMode());

    // Shown, its editor stands on the current cell at once.
    ShowActive(grid.get());
    ASSERT_NE(grid->InplaceEditor(), nullptr);
    EXPECT_TRUE(grid->InplaceEditor()->isVisible());
    EXPECT_EQ(grid->InplaceEditor()->geometry(), grid->CellRect(0, 1));
    grid->SetCol(3);
    EXPECT_EQ(grid->InplaceEditor()->EditMode(), emPickList);
    grid->hide();

    // The union rows the designer adds are ordinary cells.
    grid->SetCells(1, 1, QStringLiteral("union0"));
    grid->SetRowCount(3);
    grid->SetCells(3, 1, QStringLiteral("union"));
    EXPECT_EQ(grid->PropValues()->Count(), 4);
    EXPECT_EQ(grid->GetCells(1, 1), QStringLiteral("union0"));
}

TEST(GridStreaming, FreshGridWritesTheConstructorValuesButNoWidths) {
    TStringGridEx grid;
    grid.setObjectName(QStringLiteral("Grid1"));
    const QString text = WriteGridText(grid);
    EXPECT_TRUE(text.startsWith(QStringLiteral("object Grid1: TStringGridEx\n")));
    for (const char* line :
         {"  DefaultColWidth = 80\n", "  DefaultRowHeight = 17\n", "  RowCount = 8\n",
          "  ColCount = 2\n", "  Col = 1\n", "  Row = 1\n", "  ClientAutoFit = False\n"})
        EXPECT_TRUE(text.contains(QString::fromLatin1(line))) << line;
    for (const char* absent : {"ColWidths", "RowHeights", "Options", "FixedTitleRow", "Color",
                               "BorderStyle", "TabStop", "Font", "OnClick"})
        EXPECT_FALSE(text.contains(QString::fromLatin1(absent))) << absent;
    // Two empty definitions.
    EXPECT_TRUE(
        text.contains(QStringLiteral("  PropValues = <\n    item\n    end\n    item\n    end>\n")));
    // Cells are never stored.
    grid.SetCells(1, 1, QStringLiteral("cell text"));
    EXPECT_FALSE(WriteGridText(grid).contains(QStringLiteral("cell text")));

    grid.SetColWidths(1, 90);
    EXPECT_TRUE(WriteGridText(grid).contains(QStringLiteral("  ColWidths = (\n    80\n    90)\n")));
    grid.SetDefaultColWidth(70);
    EXPECT_FALSE(WriteGridText(grid).contains(QStringLiteral("ColWidths")));
    grid.SetRowHeights(2, 30);
    EXPECT_TRUE(WriteGridText(grid).contains(QStringLiteral("RowHeights")));
    grid.SetSaveCellExtents(false);
    EXPECT_FALSE(WriteGridText(grid).contains(QStringLiteral("RowHeights")));
}

TEST(GridStreaming, EverythingStoredComesBackInBothEncodings) {
    TStringGridEx grid;
    grid.setObjectName(QStringLiteral("ConditionList"));
    grid.SetRowCount(9);
    grid.PropValues()->Items(0)->SetPropertyLabel(QStringLiteral("字段名或表达式"));
    grid.PropValues()->Items(1)->SetPropertyLabel(QStringLiteral("关系运算符"));
    grid.PropValues()->Items(1)->SetPickList(QStringList{"=", "like", "not like", ""});
    grid.PropValues()->Items(1)->SetEditMode(emPickList);
    grid.PropValues()->Items(1)->SetTag(-3);
    grid.AddPropertyCol(QStringLiteral("表达式"), QStringLiteral("it's \"quoted\"\nnext line"),
                        emEllipsis);
    grid.AddPropertyCol(QString(72, QLatin1Char('L')) + QStringLiteral("😀"), QString(), emNoEdit);
    grid.SetColWidths(0, 248);
    grid.SetColWidths(1, 90);
    grid.SetRowHeights(3, 30);
    grid.SetOptions(TGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine,
                                 goRangeSelect, goDrawFocusSelected, goColSizing, goEditing, goTabs,
                                 goAlwaysShowEditor, goThumbTracking});
    grid.SetBorderStyle(bsSingle);
    grid.SetScrollBars(ssVertical);
    grid.SetColor(clInfoBk);
    grid.SetFixedColor(0x00C0DCC0);
    grid.SetGridLineWidth(2);
    grid.SetDefaultDrawing(false);
    grid.SetCtl3D(false);
    grid.SetTabStop(false);
    grid.SetClientAutoFit(false);
    grid.setToolTip(QStringLiteral("条件"));
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setPixelSize(12);
    font.setBold(true);
    grid.setFont(font);
    grid.SetFontColor(clNavy);
    grid.SetStoredValue(QStringLiteral("OnDblClick"), QStringLiteral("DisplayListDblClick"));
    QMenu menu;
    menu.setObjectName(QStringLiteral("PopupMenu1"));
    grid.SetPopupMenu(&menu); // written by its name
    grid.SetStoredValue(QStringLiteral("Align"), QStringLiteral("alClient"));
    grid.SetStoredValue(QStringLiteral("TabOrder"), QStringLiteral("2"));
    grid.SetSelection(TGridRect{2, 4, 2, 4});

    const QString text = WriteGridText(grid);
    auto fromText = CreateGridFromText(text);
    EXPECT_EQ(WriteGridText(*fromText), text);

    TStringGridEx fromBinary;
    ReadGrid(WriteGridBinary(grid), fromBinary);
    EXPECT_EQ(WriteGridText(fromBinary), text);
    EXPECT_TRUE(WriteGridBinary(grid).startsWith("TPF0"));

    // Each property is written (so the round trip above covers it) and read.
    const QString names = QStringLiteral(
        "ColCount RowCount Col Row PropValues Tag PickList.Strings ColWidths RowHeights Options "
        "BorderStyle ScrollBars Color FixedColor GridLineWidth DefaultDrawing Ctl3D TabStop Hint "
        "Font.Color Font.Height Font.Style OnDblClick PopupMenu Align TabOrder");
    for (const QString& name : names.split(QLatin1Char(' ')))
        EXPECT_TRUE(text.contains(QStringLiteral("  %1 = ").arg(name))) << name.toStdString();
    // The values themselves, so that a writer's mistake cannot cancel out.
    const TStringGridEx& g = fromBinary;
    const TCellValueProps& p = *g.PropValues();
    EXPECT_EQ(std::make_tuple(p.Items(1)->Tag(), *p.Items(1)->PickListIfAny(),
                              p.Items(2)->PropertyValue(), p.Items(3)->PropertyLabel()),
              std::make_tuple(-3, QStringList{"=", "like", "not like", ""},
                              QStringLiteral("it's \"quoted\"\nnext line"),
                              QString(72, QLatin1Char('L')) + QStringLiteral("😀")));
    EXPECT_EQ(std::make_tuple(g.ColCount(), g.RowCount(), g.ColWidths(0), g.RowHeights(3),
                              g.Color(), g.FixedColor(), g.FontColor(), g.TabStop(), g.ScrollBars(),
                              g.font().bold(), g.font().pixelSize()),
              std::make_tuple(4, 9, 248, 30, TColor(clInfoBk), TColor(0x00C0DCC0), TColor(clNavy),
                              false, ssVertical, true, 12));
    EXPECT_EQ(g.Options(), grid.Options());
    EXPECT_EQ(Current(g), (TGridCoord{2, 4}));
    EXPECT_EQ(g.toolTip(), QStringLiteral("条件"));
    for (const auto& [name, value] :
         {std::pair{"OnDblClick", "DisplayListDblClick"}, std::pair{"Align", "alClient"},
          std::pair{"PopupMenu", "PopupMenu1"}})
        EXPECT_EQ(g.StoredValue(QLatin1String(name)), QLatin1String(value)) << name;
    // Long strings are broken into pieces joined by '+'; quotes become codes.
    EXPECT_TRUE(text.contains(QStringLiteral("' +\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("'it'#39's \"quoted\"'#10'next line'")));
    EXPECT_TRUE(text.contains(QStringLiteral("#128512")));
}

TEST(GridStreaming, LoadingReplacesTheDefinitionsAndTakesTheirCount) {
    // ColCount says 6 but three items follow: the items win.
    const QString text =
        QStringLiteral("object G: TStringGridEx\n  RowCount = 3\n  ColCount = 6\n  PropValues = <\n"
                       "    item\n      PropertyLabel = 'a'\n    end\n    item\n    end\n"
                       "    item\n      PropertyLabel = 'c'\n    end>\nend\n");
    TStringGridEx grid;
    grid.AddPropertyCol(QStringLiteral("old"), QString(), emPickList);
    ReadGridText(text, grid);
    EXPECT_EQ(grid.ColCount(), 3);
    EXPECT_EQ(grid.PropValues()->Count(), 3);
    EXPECT_EQ(grid.Rows(0)->ToStringList(), (QStringList{"a", "", "c"}));
    EXPECT_EQ(grid.PropValues()->Items(2)->EditMode(), emSimple);

    // Lists in the text may be written freely: any layout, '' and #39 alike.
    TStringGridEx loose;
    ReadGridText(QStringLiteral("object X:TStringGridEx RowCount=2 PropValues=<item "
                                "PickList.Strings=('a''b' #39'c'#$41 + 'd') end> end"),
                 loose);
    EXPECT_EQ(*loose.PropValues()->Items(0)->PickList(), (QStringList{"a'b", "'cAd"}));
    EXPECT_EQ(loose.ColCount(), 1);
}

TEST(GridStreaming, OlderFormsInTheChineseCodePage) {
    // Text saved as GBK, and a binary form whose byte strings are GBK.
    QStringEncoder gbk("GBK");
    ASSERT_TRUE(gbk.isValid());
    const QByteArray text = gbk.encode(
        QStringLiteral("object G: TStringGridEx\n  RowCount = 2\n  PropValues = <\n    item\n"
                       "      PropertyLabel = '关键词'\n    end>\nend\n"));
    TStringGridEx fromText;
    ReadGrid(text, fromText);
    EXPECT_EQ(fromText.GetCells(0, 0), QStringLiteral("关键词"));

    const QByteArray label = gbk.encode(QStringLiteral("联合"));
    QByteArray binary("TPF0");
    binary += char(13) + QByteArray("TStringGridEx") + char(1) + QByteArray("G");
    binary += char(10) + QByteArray("PropValues") + char(14) + char(1);
    binary += char(13) + QByteArray("PropertyLabel") + char(6) + char(label.size()) + label;
    binary += QByteArray(4, char(0)); // end of item, collection, properties, children
    TStringGridEx fromBinary;
    ReadGrid(binary, fromBinary);
    EXPECT_EQ(fromBinary.GetCells(0, 0), QStringLiteral("联合"));
}

TEST(GridStreaming, AnAncestorLimitsWhatIsWritten) {
    auto ancestor = CreateGridFromText(UnionText());
    auto derived = CreateGridFromText(UnionText());
    QString text = WriteGridText(*derived, ancestor.get());
    EXPECT_EQ(text, QStringLiteral("inherited UnionGrid: TStringGridEx\nend\n"));

    derived->SetColWidths(2, 30);
    derived->SetRowCount(4);
    text = WriteGridText(*derived, ancestor.get());
    EXPECT_TRUE(text.contains(QStringLiteral("RowCount = 4")));
    EXPECT_TRUE(text.contains(QStringLiteral("ColWidths")));
    EXPECT_FALSE(text.contains(QStringLiteral("PropValues")));
    EXPECT_FALSE(text.contains(QStringLiteral("BorderStyle")));

    // Applied onto a copy of the ancestor, it restores the derived grid.
    auto restored = CreateGridFromText(UnionText());
    ReadGridText(text, *restored);
    EXPECT_EQ(WriteGridText(*restored), WriteGridText(*derived));
}

TEST(GridStreaming, MalformedTextIsRejectedWithTheLine) {
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"", "'object' expected on line 1"},
        {"hello", "'object' expected on line 1"},
        {"object G: TStringGridEx\n  RowCount = 3\n", "'end' expected on line 3"},
        {"object G: TStringGridEx\n  RowCount 3\nend", "'=' expected on line 2"},
        {"object G: TStringGridEx\n  Hint = 'open\nend", "Unterminated string on line 2"},
        {"object G: TStringGridEx\n  Options = [goEditing,\nend", "',' expected on line 3"},
        {"object G: TStringGridEx\n  Options = [goEditing, 'x']\nend",
         "Identifier expected on line 2"},
        {"object G: TStringGridEx\n  RowCount = ]\nend", "Invalid property value on line 2"},
        {"object G: TStringGridEx\nend\nend", "End of text expected on line 3"},
        {"object G: TStringGridEx\n  Hint = #99999999\nend", "Invalid character code on line 2"},
        {"object G: TStringGridEx\n  PropValues = <\n    thing\n  >\nend",
         "'item' expected on line 3"},
    };
    for (const Case& c : cases) {
        TStringGridEx grid;
        QString message;
        try {
            ReadGridText(QString::fromUtf8(c.text), grid);
        } catch (const EParserError& e) {
            message = e.Message();
        }
        EXPECT_EQ(message, QString::fromUtf8(c.expected)) << c.text;
    }
    // Deeply nested lists are refused, not followed into a stack overflow.
    const QString deep = QStringLiteral("object G: TStringGridEx\n  X = ") +
                         QString(100000, QLatin1Char('(')) + QStringLiteral("\nend");
    EXPECT_TRUE(FilerError([&] { CreateGridFromText(deep); }).contains(QStringLiteral("nested")));
}

TEST(GridStreaming, IntegersAtTheLimitsOfSixtyFourBits) {
    struct Case {
        const char* text;
        qint64 value;
    };
    const Case cases[] = {
        {"-$8000000000000000", std::numeric_limits<qint64>::min()},
        {"$7FFFFFFFFFFFFFFF", std::numeric_limits<qint64>::max()},
        {"$FFFFFFFFFFFFFFFF", -1},
        {"-$1", -1},
        {"-9223372036854775808", std::numeric_limits<qint64>::min()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseFormValue(QString::fromLatin1(c.text)).Int, c.value) << c.text;
    for (const char* bad : {"$10000000000000000", "9223372036854775808", "-$"})
        EXPECT_FALSE(FilerError([&] { ParseFormValue(QString::fromLatin1(bad)); }).isEmpty())
            << bad;
}

TEST(GridStreaming, ContentThatDoesNotFitTheGridIsRejected) {
    const QString item = QStringLiteral("  PropValues = <\n    item\n      %1\n    end>\n");
    const QString three = QStringLiteral(
        "  PropValues = <\n    item\n    end\n    item\n    end\n    item\n    end>\n");
    const QString head = QStringLiteral("object G: TStringGridEx\n");
    const std::pair<QString, const char*> cases[] = {
        {head + "  Colour = clRed\n", "Property Colour does not exist on line 2"},
        {head + "  Options = [goEditing, goBogus]\n",
         "Invalid property value for Options (goBogus) on line 2"},
        {head + "  RowCount = 'ten'\n",
         "Invalid property value for RowCount (integer expected) on line 2"},
        {head + "  RowCount = 99999999999\n",
         "Invalid property value for RowCount (out of range) on line 2"},
        {head + "  TabStop = Yes\n",
         "Invalid property value for TabStop (True or False expected) on line 2"},
        {head + "  Color = clPlaid\n", "Invalid property value for Color (clPlaid) on line 2"},
        {head + "  Align = alMiddle\n", "Invalid property value for Align (alMiddle) on line 2"},
        {head + item.arg("Caption = 'x'"), "Property Caption does not exist on line 4"},
        {head + item.arg("EditMode = emCombo"),
         "Invalid property value for EditMode (emCombo) on line 4"},
        {head + item.arg("DropDownRows = -1"),
         "Invalid property value for DropDownRows (out of range) on line 4"},
        {head + "  PropValues = 3\n",
         "Invalid property value for PropValues (collection expected) on line 2"},
        // One column per item, and no more than ColCount may ask for.
        {head + "  PropValues = <" + QStringLiteral(" item end").repeated(65537) + ">\n",
         "Invalid property value for PropValues (more than 65536 items) on line 2"},
        {head + "  Row = 40\n", "The current cell (1, 40) lies outside the grid on line 1"},
        {head + three + "  ColWidths = (\n    21\n    54)\n",
         "ColWidths: integer 3 of 3 expected, the list ends on line 9"},
        {head + three + "  ColWidths = (\n    1\n    2\n    3\n    4)\n",
         "ColWidths: end of list expected after 3 integers on line 13"},
        {head + three + "  ColWidths = (\n    1\n    'two'\n    3)\n",
         "ColWidths: integer 2 is not a valid extent on line 11"},
        {head + "  RowHeights = 7\n", "RowHeights: a list of integers expected on line 2"},
        {head, ""},
        {"object G: TStringGrid\n", "Class TStringGrid is not TStringGridEx on line 1"},
        {head + "  object B: TButton\n  end\n",
         "TStringGridEx cannot hold the component B on line 2"},
    };
    for (const auto& [text, message] : cases) {
        TStringGridEx grid;
        EXPECT_EQ(FilerError([&] { ReadGridText(text + "end\n", grid); }),
                  QString::fromUtf8(message))
            << text.left(80).toStdString();
    }
}

TEST(GridStreaming, MalformedBinaryIsRejected) {
    auto grid = CreateGridFromText(UnionText());
    const QByteArray good = WriteGridBinary(*grid);
    ASSERT_TRUE(IsFormBinary(good));
    // Every truncation fails cleanly.
    for (int n = 4; n < good.size(); n += 7) {
        TStringGridEx target;
        EXPECT_FALSE(FilerError([&] { ReadGridBinary(good.left(n), target); }).isEmpty()) << n;
    }
    TStringGridEx target;
    EXPECT_EQ(FilerError([&] { ReadGridBinary(QByteArray("XPF0abc"), target); }),
              QStringLiteral("Invalid stream format at offset 0"));
    QByteArray extra = good + "!";
    EXPECT_TRUE(FilerError([&] {
                    ReadGridBinary(extra, target);
                }).startsWith(QStringLiteral("Data after")));
    QByteArray badType = good;
    badType[badType.indexOf("RowCount") + 8] = char(99);
    EXPECT_TRUE(FilerError([&] {
                    ReadGridBinary(badType, target);
                }).startsWith(QStringLiteral("Unsupported value type 99")));
    // The two encodings convert into each other.
    EXPECT_EQ(WriteFormText(ReadFormBinary(good)), UnionText());
    EXPECT_EQ(WriteFormBinary(ParseFormText(UnionText())), good);
}
