#include "SqlTextTestUtil.h"
#include "sqltext/Common.h"

#include <gtest/gtest.h>

using namespace quillary;

TEST(TrimBlanks, RemovesBackspaceTabLineFeedCarriageReturnAndSpaceOnly) {
    const QString blanks = QStringLiteral("\b\t\n\r ");
    EXPECT_EQ(LTrimSQLElement(blanks + "a b" + blanks), QStringLiteral("a b") + blanks);
    EXPECT_EQ(RTrimSQLElement(blanks + "a b" + blanks), blanks + QStringLiteral("a b"));
    EXPECT_EQ(LTrimSQLElement(blanks), QString());
    // Form feed, vertical tab and the ideographic space are not blanks here.
    EXPECT_EQ(LTrimSQLElement(QStringLiteral("\f\v　x")), QStringLiteral("\f\v　x"));
    EXPECT_EQ(RTrimSQLElement(QStringLiteral("名称\f")), QStringLiteral("名称\f"));
}

TEST(TrimSQLElement2, StripsEnclosingPairsThatHoldTheWholeText) {
    // text, result, the opening parentheses removed
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"((a + b))", "a + b", "(("},
        {" \t( ( x )\r\n) ", "x", "(("},
        {"((a) + (b))", "(a) + (b)", "("},
        {"()", "", "("},
        {"(a) or (b)", "(a) or (b)", ""},
        {"  (a) or (b) ", "(a) or (b)", ""},
        {"f(x)", "f(x)", ""},
        {"(x", "(x", ""},
        // Parentheses inside quotes and brackets are text.
        {"(')')", "')'", "("},
        {"(\"(\")", "\"(\"", "("},
        {"([)])", "[)]", "("},
        {"('it''s)')", "'it''s)'", "("},
        // The last parenthesis inside an unclosed quote: the text keeps its
        // last value.
        {"('a)", "('a)", ""},
        {"((x) ('a))", "((x) ('a))", ""},
        // Nothing left after trimming: the last value stays.
        {"   ", "   ", ""},
        {"", "", ""},
        {"( )", " ", "("},
    };
    for (const auto& [text, result, left] : cases) {
        QString l = QStringLiteral("?"), r = QStringLiteral("?");
        EXPECT_EQ(TrimSQLElement2(QString::fromUtf8(text), l, r), QString::fromUtf8(result))
            << text;
        EXPECT_EQ(l, QString::fromUtf8(left)) << text;
        EXPECT_EQ(r, QString(l.size(), u')')) << text;
    }
    EXPECT_EQ(TrimSQLElement(QStringLiteral(" ((客户.名称)) ")), QStringLiteral("客户.名称"));
    EXPECT_EQ(TrimSQLElement(QStringLiteral("（全角）")), QStringLiteral("（全角）"));
}

TEST(TrimAroundDot, JoinsQualifiedNamesOnlyAtTheTopLevel) {
    const std::pair<const char*, const char*> cases[] = {
        {"a . b . c", "a.b.c"},
        {"客户 .\t名称", "客户.名称"},
        {"a\n.\r\nb", "a.b"},
        {"'a . b' . c", "'a . b'.c"},
        {"f(a . b) . c", "f(a . b).c"},
        {"[a . b] . [c . d]", "[a . b].[c . d]"},
        {"a .", "a."},
        {"no dot here", "no dot here"},
        // What it cannot read stays as it was.
        {". a", ". a"},
        {"x) . y", "x) . y"},
        {"'x . y", "'x . y"},
        {"a . b) . c", "a.b) . c"},
        {"", ""},
    };
    for (const auto& [text, result] : cases)
        EXPECT_EQ(TrimAroundDot(QString::fromUtf8(text)), QString::fromUtf8(result)) << text;
}

TEST(TrimExp, RemovesCommentsAndCollapsesBlanksOutsideQuotesAndBrackets) {
    const std::pair<const char*, const char*> cases[] = {
        {"select  a,--note\r\n b", "select a, b"},
        {"a - b", "a - b"},
        {"a--x", "a"},
        {"select\t名称 \r\n\r\n from   客户", "select 名称 from 客户"},
        {"\r\n  a  \t", " a "}, // a leading or trailing run becomes one space
        {"f(a,   b)", "f(a, b)"},
        {"(a --b\r\n)", "(a --b )"}, // no comment inside parentheses
        {"", ""},
        {"'a  b'", "'a  b'"},
        {"x = 'it''s  --not a comment'  ", "x = 'it''s  --not a comment' "},
        {"[order  items]", "[order  items]"},
        {"\"a  b\"", "\"a  b\""},
        {"(\"a  b\")", "(\"a b\")"}, // a double quote inside parentheses is text
        {"a ) b  c", "a ) b c"},
        // Only a carriage return ends a comment, which clears the blank flag.
        {"select a -- x\nfrom t", "select a "},
        {"a --x\r\n  b", "a  b"},
    };
    for (const auto& [text, result] : cases)
        EXPECT_EQ(TrimExp(QString::fromUtf8(text)), QString::fromUtf8(result)) << text;
}
