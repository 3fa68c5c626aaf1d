#pragma once
// Runs a corpus of statements through the statement check and keeps what
// the outcomes were, for the measuring tests of both corpora.

#include "db/ADOConnection.h"
#include "designer/SqlCheck.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <iostream>

namespace quillary::test {

struct TCorpusStatement {
    int Line = 0; // where the statement begins in its file
    QString Text;
};

struct TCorpusResult {
    TCorpusStatement Statement;
    TStatementCheck Check;
};

struct TCorpusRun {
    QList<TCorpusResult> Results;
    int Count(TCheckOutcome outcome) const {
        return int(std::count_if(Results.begin(), Results.end(), [outcome](const TCorpusResult& r) {
            return r.Check.Outcome == outcome;
        }));
    }
};

inline TCorpusRun RunCorpus(TADOConnection& connection, const QList<TCorpusStatement>& statements) {
    TCorpusRun run;
    for (const TCorpusStatement& s : statements)
        run.Results.append({s, CheckStatement(&connection, s.Text)});
    return run;
}

// The counts and every statement that did not give the same rows, on
// standard output, for the test log.
inline void PrintCorpusRun(const char* corpus, const TCorpusRun& run) {
    std::cout << corpus << ": " << run.Results.size() << " statements, "
              << run.Count(TCheckOutcome::SameRows) << " same rows, "
              << run.Count(TCheckOutcome::DifferentRows) << " different rows, "
              << run.Count(TCheckOutcome::NotCarried) << " not carried, "
              << run.Count(TCheckOutcome::Refused) << " refused\n";
    for (const TCorpusResult& r : run.Results) {
        if (r.Check.Outcome == TCheckOutcome::SameRows) continue;
        std::cout << "  line " << r.Statement.Line << ": " << CheckLine(r.Check).toStdString()
                  << "\n";
        if (r.Check.Outcome == TCheckOutcome::DifferentRows)
            std::cout << "    regenerated: "
                      << QString(r.Check.Regenerated)
                             .replace(QLatin1String("\r\n"), QLatin1String(" "))
                             .toStdString()
                      << "\n";
    }
    std::cout.flush();
}

// The final thresholds: no statement returns other rows without a word, and
// at least 99 in 100 return the same rows.
inline void ExpectCorpusGate(const TCorpusRun& run) {
    for (const TCorpusResult& r : run.Results)
        EXPECT_NE(r.Check.Outcome, TCheckOutcome::DifferentRows)
            << "line " << r.Statement.Line << ": " << CheckLine(r.Check).toStdString() << "\n"
            << r.Statement.Text.toStdString() << "\nregenerated:\n"
            << r.Check.Regenerated.toStdString();
    const int same = run.Count(TCheckOutcome::SameRows);
    EXPECT_GE(same * 100, 99 * int(run.Results.size()))
        << same << " of " << run.Results.size() << " statements give the same rows";
}

} // namespace quillary::test
