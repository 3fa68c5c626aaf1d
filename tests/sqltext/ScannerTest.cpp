#include "SqlTextTestUtil.h"
#include "sqltext/Common.h"

#include <gtest/gtest.h>

using namespace quillary;

namespace {

struct End {
    int Result = -1;
    QString Found;
    int KeyPos = -1;
};

End ExpEnd(const QString& s, QChar endChar, const QStringList* keywords, int start = 1) {
    End e;
    e.Result = FindExpEnd(s, endChar, keywords, e.Found, e.KeyPos, start);
    return e;
}

int Pos(const QString& s, const QString& part, int from = 0) {
    return int(s.indexOf(part, from)) + 1;
}

} // namespace

TEST(FindExpEnd, StopsBeforeTheEndCharacterAtTheTopLevel) {
    EXPECT_EQ(ExpEnd("a.b", u'.', nullptr).Result, 1);
    EXPECT_EQ(ExpEnd("f(a.b).c", u'.', nullptr).Result, 6);
    EXPECT_EQ(ExpEnd("f(a,b), c", u',', nullptr).Result, 6);
    EXPECT_EQ(ExpEnd("'a'',b', c", u',', nullptr).Result, 7) << "doubled quote inside a string";
    EXPECT_EQ(ExpEnd("[a,b], c", u',', nullptr).Result, 5);
    EXPECT_EQ(ExpEnd("\"a,b\", c", u',', nullptr).Result, 5);
    EXPECT_EQ(ExpEnd("a,b,c", u',', nullptr, 3).Result, 3) << "from the start position on";
    const End e = ExpEnd("a,b", u',', nullptr);
    EXPECT_EQ(e.Found, QString());
    EXPECT_EQ(e.KeyPos, 0);
}

TEST(FindExpEnd, GivesTheLengthAtTheEndAndZeroWhenUnbalanced) {
    EXPECT_EQ(ExpEnd("abc", u',', nullptr).Result, 3);
    EXPECT_EQ(ExpEnd("abc", u',', nullptr, 10).Result, 3) << "a start past the end";
    EXPECT_EQ(ExpEnd("x) y", u',', nullptr).Result, 0);
    EXPECT_EQ(ExpEnd("'abc", u',', nullptr).Result, 0);
    EXPECT_EQ(ExpEnd("(a, b", u',', nullptr).Result, 0);
    EXPECT_EQ(ExpEnd("[a, b", u',', nullptr).Result, 0);
    EXPECT_EQ(ExpEnd("'it''", u',', nullptr).Result, 0) << "the doubled quote keeps it open";
    EXPECT_EQ(ExpEnd(QString(), u',', nullptr).Result, 0);
}

TEST(FindExpEnd, EndsBeforeTheBlankThatPrecedesAKeyword) {
    const QStringList from{QStringLiteral("from"), QStringLiteral("where")};
    End e = ExpEnd("select a from t", QChar(), &from);
    EXPECT_EQ(e.Result, 8);
    EXPECT_EQ(e.Found, QStringLiteral("from"));
    EXPECT_EQ(e.KeyPos, 10);

    e = ExpEnd("select a  \r\n  FROM t", QChar(), &from);
    EXPECT_EQ(e.Result, 8) << "further blanks, line feeds included, are skipped";
    EXPECT_EQ(e.Found, QStringLiteral("from")) << "the list entry, not the text";
    EXPECT_EQ(e.KeyPos, 15);

    const QStringList groupBy{QStringLiteral("group by")};
    e = ExpEnd("a group \t by b", QChar(), &groupBy);
    EXPECT_EQ(e.KeyPos, 3);

    e = ExpEnd("a, b where x", u',', &from);
    EXPECT_EQ(e.Result, 1) << "whichever comes first";
    EXPECT_EQ(e.Found, QString());
}

TEST(FindExpEnd, FindsKeywordsOnlyAsWholeTopLevelWordsAfterASeparator) {
    const QStringList from{QStringLiteral("from")};
    EXPECT_EQ(ExpEnd("from t", QChar(), &from).Found, QString()) << "not at the start";
    EXPECT_EQ(ExpEnd("a fromage", QChar(), &from).Found, QString());
    EXPECT_EQ(ExpEnd("a from(t)", QChar(), &from).Found, QString());
    EXPECT_EQ(ExpEnd("a\nfrom t", QChar(), &from).Found, QString())
        << "a line feed alone does not separate";
    EXPECT_EQ(ExpEnd("a \nfrom t", QChar(), &from).KeyPos, 4);
    EXPECT_EQ(ExpEnd("f(a from b) c", QChar(), &from).Result, 13);
    EXPECT_EQ(ExpEnd("'a from b' c", QChar(), &from).Result, 12);
    EXPECT_EQ(ExpEnd("[a from] c", QChar(), &from).Result, 10);
    const QString s = QStringLiteral("'it''s from' from t");
    EXPECT_EQ(ExpEnd(s, QChar(), &from).KeyPos, Pos(s, "from t"));
    EXPECT_EQ(ExpEnd("a from", QChar(), &from).KeyPos, 3) << "at the end of the text";
}

TEST(FindExpEnd, TriesKeywordsInListOrderAndMatchesABlankEntryAtEveryBlank) {
    const QStringList blankFirst{QStringLiteral(" "), QStringLiteral("from")};
    End e = ExpEnd("a from t", QChar(), &blankFirst);
    EXPECT_EQ(e.Result, 1);
    EXPECT_EQ(e.Found, QStringLiteral(" "));
    EXPECT_EQ(e.KeyPos, 2) << "the position of the blank itself";
    const QStringList fromFirst{QStringLiteral("from"), QStringLiteral(" ")};
    EXPECT_EQ(ExpEnd("a from t", QChar(), &fromFirst).Found, QStringLiteral("from"));
    EXPECT_EQ(ExpEnd("(a b) c", QChar(), &blankFirst).KeyPos, 6) << "top-level blanks only";
    const QStringList none;
    EXPECT_EQ(ExpEnd("a from t", QChar(), &none).Result, 8);
    const QStringList empty{QString()};
    EXPECT_EQ(ExpEnd("a  b", QChar(), &empty).Found, QString()) << "an empty keyword never matches";
}

TEST(FindKeyWord, GivesWhereTheKeywordBegins) {
    EXPECT_EQ(FindKeyWord("select a from t", "from", 1), 10);
    EXPECT_EQ(FindKeyWord("from t", "from", 1), 0);
    EXPECT_EQ(FindKeyWord("a 'x from y' b", "from", 1), 0);
    EXPECT_EQ(FindKeyWord("select a from t", "FROM", 11), 0) << "after the start only";
    const QString nested = QStringLiteral("(select a from t) x from u");
    EXPECT_EQ(FindKeyWord(nested, "from", 1), Pos(nested, "from u"));
    EXPECT_EQ(FindKeyWord("select 名称 from 客户", "from", 1), 11);
    EXPECT_EQ(FindKeyWord("a ) from t", "from", 1), 0) << "an unmatched parenthesis ends it";
    EXPECT_EQ(FindKeyWord("x and y", "and", 3), 0) << "the keyword must follow a blank after start";
}

TEST(IsBeginWithPhrase, MatchesWordsSeparatedByAnyBlanks) {
    int endPos = -1;
    EXPECT_EQ(IsBeginWithPhrase("not like", "a NOT   LIKE b", endPos, 3, true), 3);
    EXPECT_EQ(endPos, 14);
    EXPECT_EQ(IsBeginWithPhrase("not like", "a not\r\n\tlike b", endPos, 2, true), 3)
        << "blanks before the phrase are skipped";
    EXPECT_EQ(endPos, 14);
    EXPECT_EQ(IsBeginWithPhrase("like", "a like", endPos, 2, true), 3);
    EXPECT_EQ(endPos, 7) << "length + 1 when nothing follows";
    EXPECT_EQ(IsBeginWithPhrase("名称", "x 名称 y", endPos, 2, true), 3);
    EXPECT_EQ(endPos, 6);
}

TEST(IsBeginWithPhrase, RefusesPartsOfWordsOtherTextAndOtherCase) {
    int endPos = -1;
    EXPECT_EQ(IsBeginWithPhrase("not like", "a notlike b", endPos, 2, true), 0);
    EXPECT_EQ(endPos, 0);
    EXPECT_EQ(IsBeginWithPhrase("select", "select* from t", endPos, 1, true), 0);
    EXPECT_EQ(IsBeginWithPhrase("in", "a in(1)", endPos, 2, true), 0);
    EXPECT_EQ(IsBeginWithPhrase("in", "a b in c", endPos, 2, true), 0) << "only blanks before";
    EXPECT_EQ(IsBeginWithPhrase("like", "a LIKE b", endPos, 2, false), 0);
    EXPECT_EQ(IsBeginWithPhrase("LIKE", "a LIKE b", endPos, 2, false), 3);
    EXPECT_EQ(IsBeginWithPhrase("à", "À", endPos, 1, true), 0) << "only A-Z change case";
    EXPECT_EQ(IsBeginWithPhrase("", "a", endPos, 1, true), 0);
    EXPECT_EQ(IsBeginWithPhrase("a", "", endPos, 1, true), 0);
    EXPECT_EQ(IsBeginWithPhrase("a", "a", endPos, 5, true), 0);
}

TEST(IsBeginWith, AlwaysIgnoresCase) {
    int endPos = -1;
    EXPECT_EQ(IsBeginWith("select", "  SELECT a", endPos, 1, false), 3);
    EXPECT_EQ(endPos, 10);
    EXPECT_EQ(IsBeginWith("group by", "Group By x", endPos, 1, false), 1);
}

TEST(FindSQLInExp, FindsAParenthesisedSubSelect) {
    int start = -1, end = -1;
    EXPECT_TRUE(FindSQLInExp("a in (select b from t)", 1, start, end));
    EXPECT_EQ(start, 7);
    EXPECT_EQ(end, 21);
    EXPECT_TRUE(FindSQLInExp("x = (  SELECT\r\nb from t) + 1", 1, start, end));
    EXPECT_EQ(start, 8);
    EXPECT_EQ(end, 23);
}

TEST(FindSQLInExp, FindsSubSelectsThatOpenParenthesesThemselves) {
    int start = -1, end = -1;
    EXPECT_TRUE(FindSQLInExp("x = (select max(a) from t)", 1, start, end));
    EXPECT_EQ(start, 6);
    EXPECT_EQ(end, 25);
    const QString nested =
        QStringLiteral("a in (select b from (select c from u) x where f(b) > 0)");
    EXPECT_TRUE(FindSQLInExp(nested, 1, start, end));
    EXPECT_EQ(start, Pos(nested, "select c")) << "the inner one comes first";
    EXPECT_EQ(end, Pos(nested, ") x") - 1);
    // Starting after the inner one, the outer one is found on its own.
    const QString outer = QStringLiteral("(select a from (b) where c in (1, 2)) + (select d)");
    EXPECT_TRUE(FindSQLInExp(outer, 1, start, end));
    EXPECT_EQ(start, 2);
    EXPECT_EQ(end, Pos(outer, ") +") - 1);
    EXPECT_TRUE(FindSQLInExp(outer, end + 2, start, end));
    EXPECT_EQ(start, Pos(outer, "select d"));
}

TEST(FindSQLInExp, IgnoresSelectThatIsNotASubSelect) {
    int start = -1, end = -1;
    EXPECT_FALSE(FindSQLInExp("(selection)", 1, start, end));
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 0);
    EXPECT_FALSE(FindSQLInExp("select a from t", 1, start, end));
    EXPECT_FALSE(FindSQLInExp("'(select a)'", 1, start, end));
    EXPECT_FALSE(FindSQLInExp("(select)", 1, start, end));
    EXPECT_FALSE(FindSQLInExp("x) (select a)", 1, start, end)) << "unmatched parenthesis first";
    EXPECT_FALSE(FindSQLInExp("(select a", 1, start, end));
    EXPECT_EQ(start, 0) << "nothing found, nothing reported";
    EXPECT_FALSE(FindSQLInExp("(select a)", 20, start, end));
    EXPECT_FALSE(FindSQLInExp(QString(), 1, start, end));
}
