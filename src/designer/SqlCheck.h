#pragma once
// Whether a statement survives the designer: rebuild a design from it on a
// live connection without any window, write the design's statement, run
// both read-only and compare their rows. The answer to "will my queries
// come back the same?" for a whole file of them, and the measure of the
// rebuild on statements written by others.

#include "query/DesignHooks.h"
#include "query/Rebuild.h"

#include <QString>
#include <QStringList>

namespace quillary {

class TADOConnection;

enum class TCheckOutcome {
    SameRows,      // the design's statement returns the rows of the original
    DifferentRows, // it returns other rows (or none, or fails) and nobody was told
    NotCarried,    // the rebuild said which parts it could not carry
    Refused,       // the rebuild refused the text, with its message
    Unsettled,     // other rows, but the original's own rows are not fixed: they
                   // change from one run to the next (now(), random(), …) or
                   // differ only in columns a group takes from any of its rows
};

// How two results were compared.
enum class TRowRule {
    Multiset,     // the same rows, each as often, in any order
    InOrder,      // the ORDER BY keys in the same sequence, and the same rows
    UpToLimit,    // ordered under a row limit: the same keys in sequence, the
                  // same rows except among those tied on the last key
    CountOnly,    // a row limit without known sort keys: the same number of rows
    WithoutLimit, // as CountOnly, and the same rows once both limits are cut
    KeysShown,    // ORDER BY keys that are no result column: the original runs
                  // again with them added to its result, then as InOrder or
                  // UpToLimit
};

struct TRowComparison {
    bool Same = false;
    TRowRule Rule = TRowRule::Multiset;
    int OriginalRows = 0;
    int RegeneratedRows = 0;
    // What differs, in Chinese; empty when the rows are the same.
    QString Difference;
};

struct TStatementCheck {
    TCheckOutcome Outcome = TCheckOutcome::Refused;
    // Not carried: the parts; refused: the message; different rows: what
    // differs. Chinese; empty for the same rows.
    QString Reason;
    // The statement of the rebuilt design (empty when there is none).
    QString Regenerated;
    // Every message and question of the rebuild, in order.
    QStringList Shown;
    // Set when both statements ran.
    bool Compared = false;
    TRowComparison Rows;
};

// Hooks that let the rebuild work on `connection` without a window: boxes
// read as the designer reads them (sized from their texts), the test run
// opened read-only and closed again, the table list from the catalogue.
// Messages and questions are appended to `shown` (when given); every
// question is answered Yes.
TDesignHooks ConnectionHooks(TADOConnection* connection, QStringList* shown);

// Rebuilds a design from `statement` on `connection` (connected), writes
// its statement and compares the rows of both. The rebuild starts from an
// empty design in the connection's dialect and kind.
TStatementCheck CheckStatement(TADOConnection* connection, const QString& statement);

// The outcome of a rebuild already made: `forged` is what Forge gave for
// `statement` on `connection`, `shown` what it said and asked meanwhile.
// Not carried when the rebuild names parts it did not carry; refused when it
// refused the text or its design writes no statement for a reason it gives;
// otherwise the rows of both statements decide, and a difference counts as
// not carried (with the first thing said) when the rebuild said anything,
// and as unsettled when the original, run once more, differs from itself or
// the rows differ only in columns its groups take from any row. A statement
// with `parameters` positional parameters cannot run without their values:
// a design that carries it is refused with that reason, unrun.
TStatementCheck JudgeRebuild(TADOConnection* connection, const QString& statement,
                             const TForgeResult& forged, const QStringList& shown,
                             qsizetype parameters = 0);

// Runs `original` and `regenerated` read-only on `connection` and compares
// their rows. Values are compared by a canonical text: numbers by value (1
// and 1.0 alike, also numbers a driver hands over as text for a numeric
// column), NULL only with NULL. The rule follows the top level of
// `original`, read with the statement lexer:
//  - without ORDER BY or row limit: as multisets;
//  - with ORDER BY whose every key is a column of the result (by position,
//    alias, the select item's text or the column's name): the key values in
//    the same sequence and the rows as multisets, so that rows tied on their
//    keys may come in either order;
//  - the same under a row limit (LIMIT, TOP, OFFSET, FETCH), except that the
//    rows tied on the last key may be any of the tied rows;
//  - a row limit with no ORDER BY, or with a key that is not a column of the
//    result: the number of rows only, since any rows may be chosen;
//  - an ORDER BY with such a key but no row limit: as multisets.
// The numbers of columns must agree in every case. Reads at most
// kMaxComparedRows rows of each; two results both beyond it are compared
// by that count only. Throws EDatabaseError when a statement cannot run.
TRowComparison CompareRows(TADOConnection* connection, const QString& original,
                           const QString& regenerated);
inline constexpr int kMaxComparedRows = 200000;

// "行相同", "行不同", "未能承载", "拒绝", "结果不定".
QString OutcomeName(TCheckOutcome outcome);
// One line for a report: the outcome and, except for the same rows, the
// first line of the reason.
QString CheckLine(const TStatementCheck& check);

} // namespace quillary
