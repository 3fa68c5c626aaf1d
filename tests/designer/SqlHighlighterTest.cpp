// Colouring of the SQL editors: formats of the tokens on real editors, the
// parenthesis pair at the caret, palettes, and long texts coloured where
// they are shown.
#include "designer/SqlHighlighter.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <gtest/gtest.h>

using namespace quillary;
using K = TSqlTokenKind;

namespace {

constexpr int kNone = -1;

// The kind whose colour the editor shows at `position` (kNone: uncoloured).
int ShownKind(TSqlHighlighter& h, int position) {
    const QTextCharFormat shown = h.FormatAt(position);
    if (!shown.hasProperty(QTextFormat::ForegroundBrush)) return kNone;
    for (const K kind : {K::Keyword, K::String, K::QuotedName, K::Number, K::Comment})
        if (shown.foreground() == h.Format(kind).foreground()) return int(kind);
    return -2;
}

struct Editor {
    Editor() : highlighter(TSqlHighlighter::Attach(&edit)) {
        edit.resize(500, 200);
        edit.show();
        QApplication::processEvents();
    }
    void Set(const QString& text) {
        edit.setPlainText(text);
        QApplication::processEvents();
    }
    QPlainTextEdit edit;
    TSqlHighlighter* highlighter;
};

} // namespace

TEST(SqlHighlighter, ColoursEachKindOfToken) {
    struct Case {
        const char* text;
        const char* at; // the first occurrence of this text...
        int kind;       // ...is shown in this kind's colour throughout
    };
    const Case cases[] = {
        {"select a from t", "select", int(K::Keyword)},
        {"select a from t", "a", kNone},
        {"SeLeCt x", "SeLeCt", int(K::Keyword)},
        {"x = 'it''s -- no comment' -- note", "'it''s -- no comment'", int(K::String)},
        {"x = 'it''s -- no comment' -- note", "-- note", int(K::Comment)},
        {"a /* two\nlines */ or b", "/* two\nlines */", int(K::Comment)},
        {"a /* two\nlines */ or b", "or", int(K::Keyword)},
        {"select \"from\", [order by] from t", "\"from\"", int(K::QuotedName)},
        {"select \"from\", [order by] from t", "[order by]", int(K::QuotedName)},
        {"where n > 12.5e-3 and m < 0x1F", "12.5e-3", int(K::Number)},
        {"where n > 12.5e-3 and m < 0x1F", "0x1F", int(K::Number)},
        {"select t1.c2 from t1", "t1.c2", kNone},
        {"select 'unclosed\nstill string", "still string", int(K::String)},
    };
    Editor e;
    for (const Case& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        e.Set(text);
        const QString part = QString::fromUtf8(c.at);
        const int at = int(text.indexOf(part));
        ASSERT_GE(at, 0) << c.at;
        for (int i = at; i < at + part.size(); ++i) {
            if (text[i] == QLatin1Char('\n')) continue;
            EXPECT_EQ(ShownKind(*e.highlighter, i), c.kind)
                << c.text << " at " << i << " (" << c.at << ")";
        }
    }
}

TEST(SqlHighlighter, OpeningACommentColoursTheLinesAfterItAndClosingItUndoesThat) {
    Editor e;
    e.Set("select a\nfrom t\nwhere b = 1\norder by a");
    const int where = int(e.edit.toPlainText().indexOf("where"));
    ASSERT_EQ(ShownKind(*e.highlighter, where), int(K::Keyword));
    QTextCursor cursor(e.edit.document());
    cursor.setPosition(7);
    cursor.insertText("/*");
    QApplication::processEvents();
    EXPECT_EQ(ShownKind(*e.highlighter, where + 2), int(K::Comment));
    cursor.setPosition(int(e.edit.toPlainText().indexOf("order")));
    cursor.insertText("*/ ");
    QApplication::processEvents();
    const int order = int(e.edit.toPlainText().indexOf("order"));
    EXPECT_EQ(ShownKind(*e.highlighter, where + 2), int(K::Comment));
    EXPECT_EQ(ShownKind(*e.highlighter, order), int(K::Keyword));
    e.edit.undo();
    e.edit.undo();
    QApplication::processEvents();
    EXPECT_EQ(ShownKind(*e.highlighter, where), int(K::Keyword));
}

TEST(SqlHighlighter, MarksTheParenthesisPairAtTheCaret) {
    Editor e;
    //                      0123456789012345678
    e.Set("f((a), ')' , b) (x");
    struct Case {
        int caret;
        std::pair<int, int> pair;
    };
    const Case cases[] = {
        {1, {1, 14}},                   // before "(": the one after the caret
        {3, {2, 4}},                    // after "(": the one before it
        {5, {4, 2}},                    // after ")"
        {8, {-1, -1}},                  // a parenthesis inside a string is text
        {15, {14, 1}},  {16, {16, -1}}, // no partner
        {11, {-1, -1}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(e.highlighter->ParenPairAt(c.caret), c.pair) << c.caret;
        QTextCursor cursor = e.edit.textCursor();
        cursor.setPosition(c.caret);
        e.edit.setTextCursor(cursor);
        QList<std::pair<int, QColor>> marked;
        for (const QTextEdit::ExtraSelection& s : e.edit.extraSelections())
            marked.append({s.cursor.selectionStart(), s.format.background().color()});
        QList<std::pair<int, QColor>> expected;
        const QColor background = c.pair.second >= 0 ? e.highlighter->PairBackground()
                                                     : e.highlighter->UnpairedBackground();
        for (const int at : {c.pair.first, c.pair.second})
            if (at >= 0) expected.append({at, background});
        EXPECT_EQ(marked, expected) << c.caret;
    }
}

TEST(SqlHighlighter, ColoursStandOutOnLightAndDarkPalettes) {
    QPlainTextEdit edit;
    TSqlHighlighter* h = TSqlHighlighter::Attach(&edit);
    for (const QColor base :
         {QColor(Qt::white), QColor(250, 246, 230), QColor(30, 30, 30), QColor(0, 43, 54)}) {
        QPalette palette = edit.palette();
        palette.setColor(QPalette::Base, base);
        palette.setColor(QPalette::Text, base.lightness() < 128 ? Qt::white : Qt::black);
        edit.setPalette(palette);
        for (const K kind : {K::Keyword, K::String, K::QuotedName, K::Number, K::Comment}) {
            const QColor c = h->Format(kind).foreground().color();
            EXPECT_GT(std::abs(c.lightness() - base.lightness()), 80)
                << "kind " << int(kind) << " on " << base.name().toStdString();
        }
        EXPECT_NE(h->PairBackground(), base);
    }
}

TEST(SqlHighlighter, ALongStatementIsColouredWhereItIsShown) {
    Editor e;
    QString text;
    for (int line = 0; line < 6000; ++line)
        text += QStringLiteral("select c%1 from t%1 where x = 'v' -- row\n").arg(line);
    e.Set(text);
    const int last = int(text.lastIndexOf("select"));
    ASSERT_GT(last, TSqlHighlighter::kMostVisible + 2 * TSqlHighlighter::kMargin);
    EXPECT_EQ(ShownKind(*e.highlighter, 0), int(K::Keyword));
    EXPECT_EQ(ShownKind(*e.highlighter, last), kNone) << "far from the screen";
    e.edit.verticalScrollBar()->setValue(e.edit.verticalScrollBar()->maximum());
    QApplication::processEvents();
    EXPECT_EQ(ShownKind(*e.highlighter, last), int(K::Keyword));
    EXPECT_EQ(ShownKind(*e.highlighter, last + 34), int(K::String));
}

// A statement with a line of millions of characters is shown uncoloured:
// the colouring machinery would keep a format per character of that line.
// A text of ordinary lines brings the colours back.
TEST(SqlHighlighter, ALineTooLongToColourIsShownPlainInLinesUntilTheLinesAreShortAgain) {
    Editor e;
    TSqlHighlighter::SetText(&e.edit, "select (a) from t");
    QTextCursor cursor = e.edit.textCursor();
    cursor.setPosition(7);
    e.edit.setTextCursor(cursor);
    ASSERT_EQ(e.edit.extraSelections().size(), 2) << "the pair is marked";

    const QString longLine = "select a from t where " +
                             QString("a = 1 or ").repeated(TSqlHighlighter::kLongestColouredLine / 9) +
                             "a = 2";
    TSqlHighlighter::SetText(&e.edit, longLine);
    QApplication::processEvents();
    // The same statement, in lines the editor can lay out a few at a time.
    const QString shown = e.edit.toPlainText();
    EXPECT_EQ(QString(shown).replace(u'\n', u' '), longLine);
    for (const QStringView line : QStringView(shown).split(u'\n'))
        ASSERT_LE(line.size(), TSqlHighlighter::kBrokenLineWidth);
    EXPECT_FALSE(e.highlighter->Colouring());
    EXPECT_EQ(ShownKind(*e.highlighter, 0), kNone);
    EXPECT_TRUE(e.edit.extraSelections().isEmpty()) << "no stale pair marks";

    TSqlHighlighter::SetText(&e.edit, "select 'x'\nfrom t");
    QApplication::processEvents();
    EXPECT_TRUE(e.highlighter->Colouring());
    EXPECT_EQ(ShownKind(*e.highlighter, 0), int(K::Keyword));
    EXPECT_EQ(ShownKind(*e.highlighter, 8), int(K::String));
    EXPECT_EQ(e.highlighter->ParenPairAt(0), std::make_pair(-1, -1));
}
