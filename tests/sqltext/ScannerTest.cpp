#include "SqlTextTestUtil.h"
#include "sqltext/Common.h"

#include <gtest/gtest.h>

using namespace quillary;

namespace {

const QStringList kFrom{QStringLiteral("from")};
const QStringList kFromWhere{QStringLiteral("from"), QStringLiteral("where")};
const QStringList kGroupBy{QStringLiteral("group by")};
const QStringList kBlankFirst{QStringLiteral(" "), QStringLiteral("from")};
const QStringList kFromFirst{QStringLiteral("from"), QStringLiteral(" ")};
const QStringList kEmptyEntry{QString()};

} // namespace

TEST(FindExpEnd, EndsAtTheEndCharacterOrBeforeAKeywordAtTheTopLevel) {
    struct Case {
        const char* text;
        char16_t endChar;
        const QStringList* keywords;
        int start;
        int result;
        const char* found;
        int keyPos;
    };
    const Case cases[] = {
        // End characters outside groups; a doubled quote stays in its string.
        {"a.b", u'.', nullptr, 1, 1, "", 0},
        {"f(a.b).c", u'.', nullptr, 1, 6, "", 0},
        {"'a'',b', c", u',', nullptr, 1, 7, "", 0},
        {"[a,b], c", u',', nullptr, 1, 5, "", 0},
        {"\"a,b\", c", u',', nullptr, 1, 5, "", 0},
        {"a,b,c", u',', nullptr, 3, 3, "", 0},
        // The length at the end, 0 when unbalanced.
        {"abc", u',', nullptr, 1, 3, "", 0},
        {"abc", u',', nullptr, 10, 3, "", 0},
        {"x) y", u',', nullptr, 1, 0, "", 0},
        {"'abc", u',', nullptr, 1, 0, "", 0},
        {"(a, b", u',', nullptr, 1, 0, "", 0},
        {"[a, b", u',', nullptr, 1, 0, "", 0},
        {"'it''", u',', nullptr, 1, 0, "", 0},
        {"", u',', nullptr, 1, 0, "", 0},
        // Keywords: the list's own entry, after a separator blank, whole words.
        {"select a from t", 0, &kFromWhere, 1, 8, "from", 10},
        {"select a  \r\n  FROM t", 0, &kFromWhere, 1, 8, "from", 15},
        {"a group \t by b", 0, &kGroupBy, 1, 1, "group by", 3},
        {"a, b where x", u',', &kFromWhere, 1, 1, "", 0},
        {"from t", 0, &kFrom, 1, 6, "", 0},
        {"a fromage", 0, &kFrom, 1, 9, "", 0},
        {"a from(t)", 0, &kFrom, 1, 9, "", 0},
        {"a\nfrom t", 0, &kFrom, 1, 8, "", 0},
        {"a \nfrom t", 0, &kFrom, 1, 1, "from", 4},
        {"f(a from b) c", 0, &kFrom, 1, 13, "", 0},
        {"'a from b' c", 0, &kFrom, 1, 12, "", 0},
        {"[a from] c", 0, &kFrom, 1, 10, "", 0},
        {"'it''s from' from t", 0, &kFrom, 1, 12, "from", 14},
        {"a from", 0, &kFrom, 1, 1, "from", 3},
        // List order; a blank entry matches at every top-level blank.
        {"a from t", 0, &kBlankFirst, 1, 1, " ", 2},
        {"a from t", 0, &kFromFirst, 1, 1, "from", 3},
        {"(a b) c", 0, &kBlankFirst, 1, 5, " ", 6},
        {"a  b", 0, &kEmptyEntry, 1, 4, "", 0},
    };
    for (const Case& c : cases) {
        QString found = QStringLiteral("?");
        int keyPos = -1;
        const QChar endChar = c.endChar ? QChar(c.endChar) : QChar();
        const int result =
            FindExpEnd(QString::fromUtf8(c.text), endChar, c.keywords, found, keyPos, c.start);
        EXPECT_EQ(std::tie(result, found, keyPos),
                  std::make_tuple(c.result, QString::fromUtf8(c.found), c.keyPos))
            << c.text;
    }
}

TEST(FindKeyWord, GivesWhereTheKeywordBegins) {
    const std::tuple<const char*, const char*, int, int> cases[] = {
        {"select a from t", "from", 1, 10},
        {"from t", "from", 1, 0},
        {"a 'x from y' b", "from", 1, 0},
        {"select a from t", "FROM", 11, 0},
        {"(select a from t) x from u", "from", 1, 21},
        {"select 名称 from 客户", "from", 1, 11},
        {"a ) from t", "from", 1, 0},
        {"x and y", "and", 3, 0},
    };
    for (const auto& [text, keyword, start, result] : cases)
        EXPECT_EQ(FindKeyWord(QString::fromUtf8(text), QString::fromUtf8(keyword), start), result)
            << text;
}

TEST(IsBeginWithPhrase, MatchesWholeWordsSeparatedByAnyBlanks) {
    struct Case {
        const char* phrase;
        const char* text;
        int start;
        bool ignoreCase;
        int result;
        int endPos;
    };
    const Case cases[] = {
        {"not like", "a NOT   LIKE b", 3, true, 3, 14},
        {"not like", "a not\r\n\tlike b", 2, true, 3, 14},
        {"like", "a like", 2, true, 3, 7},
        {"名称", "x 名称 y", 2, true, 3, 6},
        {"LIKE", "a LIKE b", 2, false, 3, 8},
        {"not like", "a notlike b", 2, true, 0, 0},
        {"select", "select* from t", 1, true, 0, 0},
        {"in", "a in(1)", 2, true, 0, 0},
        {"in", "a b in c", 2, true, 0, 0},
        {"like", "a LIKE b", 2, false, 0, 0},
        {"à", "À", 1, true, 0, 0},
        {"", "a", 1, true, 0, 0},
        {"a", "", 1, true, 0, 0},
        {"a", "a", 5, true, 0, 0},
    };
    for (const Case& c : cases) {
        int endPos = -1;
        const int result = IsBeginWithPhrase(QString::fromUtf8(c.phrase), QString::fromUtf8(c.text),
                                             endPos, c.start, c.ignoreCase);
        EXPECT_EQ(std::tie(result, endPos), std::tie(c.result, c.endPos))
            << c.phrase << " in " << c.text;
    }
    int endPos = -1;
    EXPECT_EQ(IsBeginWith("select", "  SELECT a", endPos, 1, false), 3) << "always ignores case";
    EXPECT_EQ(endPos, 10);
}

TEST(FindSQLInExp, FindsTheInnermostParenthesisedSubSelectFirst) {
    const std::tuple<const char*, int, bool, int, int> cases[] = {
        {"a in (select b from t)", 1, true, 7, 21},
        {"x = (  SELECT\r\nb from t) + 1", 1, true, 8, 23},
        {"x = (select max(a) from t)", 1, true, 6, 25},
        {"a in (select b from (select c from u) x where f(b) > 0)", 1, true, 22, 36},
        {"(select a from (b) where c in (1, 2)) + (select d)", 1, true, 2, 36},
        {"(select a from (b) where c in (1, 2)) + (select d)", 38, true, 42, 49},
        {"(selection)", 1, false, 0, 0},
        {"select a from t", 1, false, 0, 0},
        {"'(select a)'", 1, false, 0, 0},
        {"(select)", 1, false, 0, 0},
        {"x) (select a)", 1, false, 0, 0},
        {"(select a", 1, false, 0, 0},
        {"(select a)", 20, false, 0, 0},
        {"", 1, false, 0, 0},
    };
    for (const auto& [text, start, found, sqlStart, sqlEnd] : cases) {
        int s = -1, e = -1;
        const bool result = FindSQLInExp(QString::fromUtf8(text), start, s, e);
        EXPECT_EQ(std::tie(result, s, e), std::tie(found, sqlStart, sqlEnd)) << text;
    }
}
