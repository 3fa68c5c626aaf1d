#pragma once
// A statement's text made ready for the clause scanners. The scanners read
// the SQL of an older age: they know "..." and [...] only partly and `...`
// not at all, keep no NOT before a condition that ends at a connector, read
// "in(" as a word, and know neither comments in every place, EXCEPT, CROSS
// JOIN, JOIN without ON, USING, NATURAL nor common table expressions. Here
// the text is first written plainly (what the database reads, nothing
// less), then made readable for them with characters of a private range
// that stand in for what they would misread; every piece they cut is given
// back its own text before it meets a name of the design or the database.

#include "sqltext/SqlDialect.h"
#include "sqltext/SqlStatements.h"

#include <QString>
#include <QStringList>

#include <utility>

namespace quillary {

class TStatementText {
public:
    TStatementText(const QString& sql, const TSqlDialect& dialect);

    // Why the statement cannot be carried at all; empty when it can.
    const QString& Refusal() const { return FRefusal; }
    // What the database reads, written plainly: comments out, a final ";"
    // out, common table expressions in their places, "in(" and "exists("
    // spaced. The design must carry all of it.
    const QString& Reference() const { return FReference; }
    // The same for the clause scanners; taken, it is no longer held here.
    const QString& Scanned() const { return FScanned; }
    QString TakeScanned() { return std::exchange(FScanned, QString()); }
    // The first statement of Reference (the whole of it when there is no
    // set operator), without brackets around it.
    const QString& FirstStatement() const { return FFirst; }
    // The set operators between the statements of the text, in order, as
    // written (lower case, "except all" one operator).
    const QStringList& SetOperators() const { return FSetOperators; }
    // A join in brackets where an outer join takes part ("a LEFT JOIN (b
    // JOIN c ON …) ON …"), as written; empty when there is none. The
    // scanners read its ON terms as if the brackets were not there: terms
    // that become links keep their join, others might not.
    const QString& BracketedOuterJoin() const { return FBracketedOuterJoin; }
    // Where an outer join takes part: the tables of each join in brackets,
    // by the names the statement gives them.
    const QList<QStringList>& BracketGroups() const { return FBracketGroups; }
    // Whether the FROM clause writes a join in brackets.
    bool BracketedJoin() const { return FBracketedJoin; }
    // Where the FROM clause writes joins in brackets, each join with an ON
    // (outside sub-queries) in the order of its ON as written, which is
    // its ConditionPlace: where its ON stands and the text of its two
    // sides, as positions in the statement; its kind (0 inner, 1 left, 2
    // right, 3 full). Empty where the analysis's order of ONs serves.
    struct TJoinPlace {
        qsizetype On = 0;
        qsizetype LeftFrom = 0, LeftTo = 0, RightFrom = 0, RightTo = 0;
        int Kind = 0;
        QStringList LeftTables, RightTables; // by the names the statement gives them
        bool InLeft(qsizetype at) const { return at >= LeftFrom && at < LeftTo; }
        bool InRight(qsizetype at) const { return at >= RightFrom && at < RightTo; }
        // Whether position `at` stands in a side this join gives nulls for.
        bool GivesNullsTo(qsizetype at) const {
            return ((Kind == 2 || Kind == 3) && InLeft(at)) ||
                   ((Kind == 1 || Kind == 3) && InRight(at));
        }
    };
    const QList<TJoinPlace>& JoinPlaces() const { return FJoinPlaces; }
    // How many brackets around the first part of a union the text read
    // without (they group nothing), for the union grid that shows them.
    int FirstPartBrackets() const { return FFirstPartBrackets; }
    // What the design would write with other rows, as written: an ON
    // condition whose OR outside brackets meets an AND (the scanners cut
    // it at its ANDs, which bind closer).
    const QStringList& NotCarried() const { return FNotCarried; }
    // The first RIGHT or FULL join after other joins outside brackets, as
    // written up to its table; empty when there is none. The design nests
    // its joins in an order of its own: only some such statements keep
    // their rows in it.
    const QString& RightJoinAfterOthers() const { return FRightJoinAfterOthers; }
    // The statements of the text given, as the dialect's first reading
    // splits it.
    const QList<TSqlStatement>& Statements() const { return FStatements; }
    TSqlReading Reading() const { return FDialect.Readings().front(); }
    const TSqlDialect& Dialect() const { return FDialect; }
    std::span<const TSqlReading> Readings() const { return FDialect.Readings(); }

    // A piece the scanners cut, given back its own text.
    QString Restore(const QString& piece) const;
    void Restore(QStringList& pieces) const;

    // Whether `term` (a join term as the scanners cut it) begins an ON
    // condition; the mark is taken off.
    static bool TakeConditionStart(QString& term);
    // Where the ON that `term` begins stands among the ONs of the FROM
    // clause as written; -1 when the text does not tell (the analysis
    // lists them in that order but for joins in the brackets that begin it).
    static qsizetype ConditionPlace(const QString& term);
    // Whether `item` (an item of the FROM list as the scanners cut it) was
    // cross joined with the one before it, which binds as a join does, not
    // as a comma; the mark is taken off.
    static bool TakeCrossJoined(QString& item);
    // Whether `text` holds a BETWEEN whose AND was kept from the scanners
    // (a bound is a sub-select): the whole BETWEEN stands in it.
    static bool HoldsGluedBetween(const QString& text);
    // When `operand` (the left operand of a condition row, still as the
    // scanners cut it) begins a negated group, how many of the brackets
    // before it (in the row's first cell) belong to the group's first
    // condition: the NOT stands before the bracket that many places from
    // the end; -1 when it does not, or when the NOT went back into the
    // operand, before a bracket of its own.
    // The mark is taken off.
    static int TakeNegatedGroup(QString& operand);

    // A join term made from "USING (columns)" or NATURAL: the box the join
    // brings (as written) and the columns (none: every column it shares).
    struct TSharedColumns {
        QString Box;
        QStringList Columns;
    };
    bool TakeSharedColumns(const QString& term, TSharedColumns& shared) const;

private:
    void Prepare(const QString& sql);
    QString ForScanners(const QString& text, QList<TSqlWord> words);

    TSqlDialect FDialect;
    bool FMasks = true;
    QString FRefusal;
    QString FReference;
    QString FFirst;
    QString FScanned;
    QStringList FSetOperators;
    QList<TSqlStatement> FStatements;
    QString FBracketedOuterJoin;
    QList<QStringList> FBracketGroups;
    bool FBracketedJoin = false;
    QList<TJoinPlace> FJoinPlaces;
    int FFirstPartBrackets = 0;
    QStringList FNotCarried;
    QString FRightJoinAfterOthers;
};

} // namespace quillary
