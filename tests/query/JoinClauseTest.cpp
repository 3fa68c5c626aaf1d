#include "DesignBuilder.h"

#include "query/Generation.h"
#include "query/JoinClause.h"
#include "sqltext/DataSourceKind.h"

#include <gtest/gtest.h>

using namespace quillary;
using namespace quillary::test;

namespace {

TCatalogue Chain() {
    TCatalogue c;
    for (const char* t : {"A", "B", "C", "D", "E", "F"})
        c.Table(t, {"id:3", "aid:3", "bid:3", "did:3", "k:3"});
    return c;
}

struct LinkSpec {
    const char* from;
    const char* to;
    int type;
};

QString Clause(const QList<LinkSpec>& links,
               const QStringList& boxes = {"A", "B", "C", "D", "E", "F"}) {
    static const TCatalogue c = Chain();
    TDesignBuilder b(c);
    for (const QString& box : boxes)
        b.Box(box);
    for (const LinkSpec& l : links)
        b.Link(l.from, l.to, l.type);
    return GetJoinClause(b);
}

} // namespace

TEST(GetJoinClause, CodesForNoLinksAndOnlyInnerLinks) {
    EXPECT_EQ(Clause({}), QString());
    // Inner links only: a ring is not looked at.
    EXPECT_EQ(Clause({{"A.id", "B.aid", 0}, {"B.id", "C.bid", 0}, {"C.id", "A.aid", 0}}), "0");
}

TEST(GetJoinClause, NestsALinkInsideTheTableItShares) {
    EXPECT_EQ(Clause({{"A.id", "B.aid", 1}, {"B.did", "D.id", 0}}),
              "A LEFT JOIN (B INNER JOIN D on B.did=D.id) on A.id=B.aid");
}

TEST(GetJoinClause, PositionsAfterAReplacedAnchorFollowTheGrowth) {
    // C joins A, which stands before B: B's place must move with the text,
    // so that the third link nests around B itself.
    EXPECT_EQ(Clause({{"A.id", "B.aid", 1}, {"C.id", "A.k", 2}, {"B.id", "D.bid", 0}}),
              QStringLiteral("(C RIGHT JOIN A on C.id=A.k) LEFT JOIN (B INNER JOIN D on "
                             "B.id=D.bid) on A.id=B.aid"));
}

TEST(GetJoinClause, LinksReachedOnlyLaterAreStillJoined) {
    // D-E and E-F wait until B-F has brought F in.
    EXPECT_EQ(
        Clause(
            {{"A.id", "B.aid", 1}, {"D.id", "E.did", 0}, {"E.id", "F.k", 0}, {"B.id", "F.bid", 0}}),
        QStringLiteral("A LEFT JOIN (B INNER JOIN ((D INNER JOIN E on D.id=E.did) INNER "
                       "JOIN F on E.id=F.k) on B.id=F.bid) on A.id=B.aid"));
}

TEST(GetJoinClause, LoopsAndSeparateNetworks) {
    EXPECT_EQ(Clause({{"A.id", "B.aid", 1}, {"B.id", "C.bid", 0}, {"C.id", "A.k", 0}}), "-1");
    EXPECT_EQ(Clause({{"A.id", "B.aid", 1}, {"D.id", "E.did", 0}}), "-2");
}

TEST(GetJoinClause, SeveralLinksBetweenTwoTables) {
    const struct {
        LinkSpec second;
        const char* expected;
    } cases[] = {
        {{"A.k", "B.k", 1}, "A LEFT JOIN B on A.id=B.aid and A.k=B.k"},
        {{"A.k", "B.k", 2}, "-1"},
        {{"B.k", "A.k", 2}, "A LEFT JOIN B on A.id=B.aid and A.k=B.k"},
        {{"B.k", "A.k", 0}, "A LEFT JOIN B on A.id=B.aid and A.k=B.k"},
        {{"B.k", "A.k", 3}, "-1"},
    };
    for (const auto& k : cases)
        EXPECT_EQ(Clause({{"A.id", "B.aid", 1}, k.second}), QString::fromUtf8(k.expected))
            << k.second.from << " " << k.second.type;
    EXPECT_EQ(Clause({{"A.id", "B.aid", 3}, {"B.k", "A.k", 3}}), "-1");
    EXPECT_EQ(Clause({{"A.id", "B.aid", 2}, {"B.k", "A.k", 3}}),
              "A RIGHT JOIN B on A.id=B.aid and A.k=B.k");
}

TEST(GetJoinClause, SubQueriesAndAliasesStandAsInFromClauses) {
    TCatalogue c = Chain();
    TDesignBuilder b(c);
    b.Box("A", "x").SubQuery("Q1", "select id from B").Link("x.id", "Q1.id", 5);
    EXPECT_EQ(GetJoinClause(b), "A x LEFT OUTER JOIN (select id from B) Q1 on x.id=Q1.id");
}

// A link's condition that names a box no link joins has that box cross
// joined with the box the link keeps all rows of, where the condition sees
// it, and listed nowhere else; not with a full join, which keeps no box.
TEST(GetJoinClause, ABoxOnlyALinksConditionNamesIsCrossJoinedWithTheKeptBox) {
    const struct {
        int type;
        const char* condition;
        const char* clause;
    } cases[] = {
        {1, "C.k = B.k", "(A CROSS JOIN C) LEFT JOIN B on A.id=B.aid and C.k = B.k"},
        {2, "C.k = A.k and d.k > 1",
         "A RIGHT JOIN (B CROSS JOIN C CROSS JOIN D) on A.id=B.aid and C.k = A.k and d.k > 1"},
        {3, "C.k = B.k", "A FULL JOIN B on A.id=B.aid and C.k = B.k"},
    };
    static const TCatalogue c = Chain();
    for (const auto& k : cases) {
        TDesignBuilder b(c);
        b.Box("A").Box("B").Box("C").Box("D").Link("A.id", "B.aid", k.type).Tick("A.k");
        QueryDesign& d = b;
        d.Links[0].Condition = QString::fromUtf8(k.condition);
        EXPECT_EQ(GetJoinClause(d), QString::fromUtf8(k.clause));
        const QString from = GetSQL(d, dsOther).SQL.section(QStringLiteral("\r\n"), 1, 1);
        EXPECT_EQ(from, "from " + GetJoinClause(d) +
                            (k.type == 3   ? ",C,D"
                             : k.type == 1 ? ",D"
                                           : ""));
    }
}

// A link's condition that names a box written before it has its join written
// after all that is written, where the condition sees that box; one naming a
// box written only later sees nothing of it, and LinksBeyondReach says so.
TEST(GetJoinClause, ALinksConditionSeesTheBoxesWrittenBeforeIt) {
    const struct {
        std::vector<LinkSpec> links;
        int conditioned; // the link given the condition
        const char* clause;
        QList<int> beyond;
        const char* condition = "A.k > C.k";
    } cases[] = {
        // A quoted name of a box is that box.
        {{{"A.id", "B.aid", 0}, {"B.id", "C.bid", 1}},
         1,
         "(A INNER JOIN B on A.id=B.aid) LEFT JOIN C on B.id=C.bid and \"A\".k > C.k",
         {},
         "\"A\".k > C.k"},
        {{{"A.id", "B.aid", 0}, {"B.id", "C.bid", 1}},
         1,
         "(A INNER JOIN B on A.id=B.aid) LEFT JOIN C on B.id=C.bid and A.k > C.k",
         {}},
        {{{"A.id", "B.aid", 0}, {"C.bid", "B.id", 2}},
         1,
         "C RIGHT JOIN (A INNER JOIN B on A.id=B.aid) on C.bid=B.id and A.k > C.k",
         {}},
        // Later links still take the place of the box they join.
        {{{"A.id", "B.aid", 1}, {"B.id", "C.bid", 1}, {"C.id", "D.did", 1}},
         1,
         "(A LEFT JOIN B on A.id=B.aid) LEFT JOIN (C LEFT JOIN D on C.id=D.did) on B.id=C.bid "
         "and A.k > C.k",
         {}},
        {{{"A.id", "B.aid", 1}, {"C.id", "D.did", 1}, {"B.id", "C.bid", 1}},
         1,
         "(A LEFT JOIN (B LEFT JOIN C on B.id=C.bid) on A.id=B.aid) LEFT JOIN D on C.id=D.did and "
         "A.k > C.k",
         {}},
        // Without a box written before, the text is as it was.
        {{{"B.id", "C.bid", 1}, {"A.id", "B.aid", 1}},
         0,
         "(A LEFT JOIN B on A.id=B.aid) LEFT JOIN C on B.id=C.bid and A.k > C.k",
         {0}},
        {{{"B.id", "C.bid", 1}, {"C.id", "D.did", 1}, {"A.id", "B.aid", 1}},
         1,
         "(A LEFT JOIN B on A.id=B.aid) LEFT JOIN (C LEFT JOIN D on C.id=D.did and A.k > C.k) on "
         "B.id=C.bid",
         {1}},
    };
    for (const auto& k : cases) {
        static const TCatalogue c = Chain();
        TDesignBuilder b(c);
        for (const char* box : {"A", "B", "C", "D"})
            b.Box(box);
        for (const LinkSpec& l : k.links)
            b.Link(l.from, l.to, l.type);
        QueryDesign& d = b;
        d.Links[k.conditioned].Condition = QString::fromUtf8(k.condition);
        EXPECT_EQ(GetJoinClause(d), QString::fromUtf8(k.clause));
        EXPECT_EQ(LinksBeyondReach(d), k.beyond) << k.clause;
    }
}

// The boxes a condition names: before a dot, quoted or not, never inside a
// string; a box's schema is part of its name.
TEST(QualifierBoxes, AreTheBoxesNamedBeforeADot) {
    TCatalogue c = Chain();
    c.Table("s.v", {"k:3"});
    TDesignBuilder b(c);
    for (const char* box : {"A", "B", "C", "s.v"})
        b.Box(box);
    const QueryDesign& d = b;
    const std::pair<const char*, QList<int>> cases[] = {
        {"A.k > 1 and b.k = A.id", {0, 1}},
        {"\"C\".k = 'B.k'", {2}},
        {"count(B.*) > s.v.k", {1, 3}},
        {"k > 1", {}},
    };
    for (const auto& [text, boxes] : cases)
        EXPECT_EQ(QualifierBoxes(d, QString::fromUtf8(text)), boxes) << text;
}
