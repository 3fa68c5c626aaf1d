#include "SqlTextTestUtil.h"
#include "sqltext/Common.h"

#include <gtest/gtest.h>

using namespace quillary;

namespace {

struct Stripped {
    QString Text, Left, Right;
};

Stripped Strip(const QString& s) {
    Stripped r;
    r.Text = TrimSQLElement2(s, r.Left, r.Right);
    return r;
}

} // namespace

TEST(TrimBlanks, RemovesBackspaceTabLineFeedCarriageReturnAndSpaceOnly) {
    const QString blanks = QStringLiteral("\b\t\n\r ");
    EXPECT_EQ(LTrimSQLElement(blanks + "a b" + blanks), QStringLiteral("a b") + blanks);
    EXPECT_EQ(RTrimSQLElement(blanks + "a b" + blanks), blanks + QStringLiteral("a b"));
    EXPECT_EQ(LTrimSQLElement(blanks), QString());
    EXPECT_EQ(RTrimSQLElement(blanks), QString());
    // Form feed, vertical tab and the ideographic space are not blanks here.
    EXPECT_EQ(LTrimSQLElement(QStringLiteral("\f\v　x")), QStringLiteral("\f\v　x"));
    EXPECT_EQ(RTrimSQLElement(QStringLiteral("名称\f")), QStringLiteral("名称\f"));
    EXPECT_EQ(LTrimSQLElement(QString()), QString());
}

TEST(TrimSQLElement2, StripsEveryEnclosingPairAndCountsThem) {
    Stripped r = Strip(QStringLiteral("((a + b))"));
    EXPECT_EQ(r.Text, QStringLiteral("a + b"));
    EXPECT_EQ(r.Left, QStringLiteral("(("));
    EXPECT_EQ(r.Right, QStringLiteral("))"));

    r = Strip(QStringLiteral(" \t( ( x )\r\n) "));
    EXPECT_EQ(r.Text, QStringLiteral("x")) << "blanks are trimmed at every level";
    EXPECT_EQ(r.Left, QStringLiteral("(("));

    r = Strip(QStringLiteral("((a) + (b))"));
    EXPECT_EQ(r.Text, QStringLiteral("(a) + (b)"));
    EXPECT_EQ(r.Left, QStringLiteral("("));

    r = Strip(QStringLiteral("()"));
    EXPECT_EQ(r.Text, QString());
    EXPECT_EQ(r.Right, QStringLiteral(")"));
}

TEST(TrimSQLElement2, KeepsParenthesesThatDoNotEncloseTheWholeText) {
    Stripped r = Strip(QStringLiteral("(a) or (b)"));
    EXPECT_EQ(r.Text, QStringLiteral("(a) or (b)"));
    EXPECT_EQ(r.Left, QString());
    r = Strip(QStringLiteral("  (a) or (b) "));
    EXPECT_EQ(r.Text, QStringLiteral("(a) or (b)")) << "trimmed, nothing stripped";
    r = Strip(QStringLiteral("((a) or (b))"));
    EXPECT_EQ(r.Text, QStringLiteral("(a) or (b)"));
    EXPECT_EQ(r.Left, QStringLiteral("("));
    EXPECT_EQ(Strip(QStringLiteral("f(x)")).Text, QStringLiteral("f(x)"));
    EXPECT_EQ(Strip(QStringLiteral("(x")).Text, QStringLiteral("(x"));
}

TEST(TrimSQLElement2, ReadsParenthesesInsideQuotesAndBracketsAsText) {
    EXPECT_EQ(Strip(QStringLiteral("(')')")).Text, QStringLiteral("')'"));
    EXPECT_EQ(Strip(QStringLiteral("(\"(\")")).Text, QStringLiteral("\"(\""));
    EXPECT_EQ(Strip(QStringLiteral("([)])")).Text, QStringLiteral("[)]"));
    EXPECT_EQ(Strip(QStringLiteral("('it''s)')")).Text, QStringLiteral("'it''s)'"))
        << "a doubled quote keeps the string open";
    // The last parenthesis inside an unclosed quote: nothing is stripped and
    // the text keeps its last value.
    const Stripped r = Strip(QStringLiteral("('a)"));
    EXPECT_EQ(r.Text, QStringLiteral("('a)"));
    EXPECT_EQ(r.Left, QString());
    EXPECT_EQ(Strip(QStringLiteral("((x) ('a))")).Text, QStringLiteral("((x) ('a))"))
        << "the closing parentheses are inside the string";
}

TEST(TrimSQLElement2, GivesBlankOnlyTextBackAsItIs) {
    // Nothing is left after trimming, so the result keeps its last value.
    EXPECT_EQ(Strip(QStringLiteral("   ")).Text, QStringLiteral("   "));
    EXPECT_EQ(Strip(QString()).Text, QString());
    const Stripped r = Strip(QStringLiteral("( )"));
    EXPECT_EQ(r.Text, QStringLiteral(" "));
    EXPECT_EQ(r.Left, QStringLiteral("("));
}

TEST(TrimSQLElement, DropsThePairCounts) {
    EXPECT_EQ(TrimSQLElement(QStringLiteral(" ((客户.名称)) ")), QStringLiteral("客户.名称"));
    EXPECT_EQ(TrimSQLElement(QStringLiteral("（全角）")), QStringLiteral("（全角）"))
        << "full-width parentheses are text";
    EXPECT_EQ(TrimSQLElement(QStringLiteral("(select a from t)")),
              QStringLiteral("select a from t"));
}

TEST(TrimAroundDot, JoinsQualifiedNamesOnlyAtTheTopLevel) {
    EXPECT_EQ(TrimAroundDot(QStringLiteral("a . b . c")), QStringLiteral("a.b.c"));
    EXPECT_EQ(TrimAroundDot(QStringLiteral("客户 .\t名称")), QStringLiteral("客户.名称"));
    EXPECT_EQ(TrimAroundDot(QStringLiteral("a\n.\r\nb")), QStringLiteral("a.b"));
    EXPECT_EQ(TrimAroundDot(QStringLiteral("'a . b' . c")), QStringLiteral("'a . b'.c"));
    EXPECT_EQ(TrimAroundDot(QStringLiteral("f(a . b) . c")), QStringLiteral("f(a . b).c"));
    EXPECT_EQ(TrimAroundDot(QStringLiteral("[a . b] . [c . d]")),
              QStringLiteral("[a . b].[c . d]"));
    EXPECT_EQ(TrimAroundDot(QStringLiteral("a .")), QStringLiteral("a."));
    EXPECT_EQ(TrimAroundDot(QStringLiteral("no dot here")), QStringLiteral("no dot here"));
}

TEST(TrimAroundDot, LeavesTextItCannotReadUnchanged) {
    EXPECT_EQ(TrimAroundDot(QStringLiteral(". a")), QStringLiteral(". a")) << "dot first";
    EXPECT_EQ(TrimAroundDot(QStringLiteral("x) . y")), QStringLiteral("x) . y"));
    EXPECT_EQ(TrimAroundDot(QStringLiteral("'x . y")), QStringLiteral("'x . y"));
    // Only the rest after an unreadable part stays as it was.
    EXPECT_EQ(TrimAroundDot(QStringLiteral("a . b) . c")), QStringLiteral("a.b) . c"));
    EXPECT_EQ(TrimAroundDot(QString()), QString());
}

TEST(TrimExp, RemovesCommentsAndCollapsesBlankRuns) {
    EXPECT_EQ(TrimExp(QStringLiteral("select  a,--note\r\n b")), QStringLiteral("select a, b"));
    EXPECT_EQ(TrimExp(QStringLiteral("a - b")), QStringLiteral("a - b"));
    EXPECT_EQ(TrimExp(QStringLiteral("a--x")), QStringLiteral("a"));
    EXPECT_EQ(TrimExp(QStringLiteral("select\t名称 \r\n\r\n from   客户")),
              QStringLiteral("select 名称 from 客户"));
    // A leading or trailing run becomes one space; it is not removed.
    EXPECT_EQ(TrimExp(QStringLiteral("\r\n  a  \t")), QStringLiteral(" a "));
    // Inside parentheses blanks are collapsed, but a comment is not one.
    EXPECT_EQ(TrimExp(QStringLiteral("f(a,   b)")), QStringLiteral("f(a, b)"));
    EXPECT_EQ(TrimExp(QStringLiteral("(a --b\r\n)")), QStringLiteral("(a --b )"));
    EXPECT_EQ(TrimExp(QString()), QString());
}

TEST(TrimExp, KeepsQuotesAndBracketsAsWritten) {
    EXPECT_EQ(TrimExp(QStringLiteral("'a  b'")), QStringLiteral("'a  b'"));
    EXPECT_EQ(TrimExp(QStringLiteral("x = 'it''s  --not a comment'  ")),
              QStringLiteral("x = 'it''s  --not a comment' "));
    EXPECT_EQ(TrimExp(QStringLiteral("[order  items]")), QStringLiteral("[order  items]"));
    EXPECT_EQ(TrimExp(QStringLiteral("\"a  b\"")), QStringLiteral("\"a  b\""));
    // Inside parentheses a double quote is plain text.
    EXPECT_EQ(TrimExp(QStringLiteral("(\"a  b\")")), QStringLiteral("(\"a b\")"));
    EXPECT_EQ(TrimExp(QStringLiteral("a ) b  c")), QStringLiteral("a ) b c"))
        << "an unmatched parenthesis is kept and changes nothing";
}

TEST(TrimExp, EndsACommentOnlyAtACarriageReturn) {
    // A line feed alone does not end a comment: the rest of the text goes.
    EXPECT_EQ(TrimExp(QStringLiteral("select a -- x\nfrom t")), QStringLiteral("select a "));
    // The comment clears the blank flag like any other character that is
    // not blank, so the blank before it and the line break both stay.
    EXPECT_EQ(TrimExp(QStringLiteral("a --x\r\n  b")), QStringLiteral("a  b"));
}
