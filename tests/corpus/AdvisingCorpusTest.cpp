// The advising corpus: 198 statements people wrote for a course-advising
// database, each rebuilt into a design on SQLite filled with generated rows
// on which their conditions hit, and compared row for row with the design's
// statement.
#include "CorpusRun.h"
#include "TestSupport.h"

#include "db/SampleDatabase.h"
#include "platform/TextFile.h"

#include <QDir>

using namespace quillary;
using namespace quillary::test;

namespace {

QString ReadCorpusFile(const QString& name) {
    QString text, error;
    const QString path = QDir(QStringLiteral(QUILLARY_ADVISING_CORPUS)).filePath(name);
    if (!ReadTextFile(path, text, &error)) ADD_FAILURE() << error.toStdString();
    return text;
}

// One statement a line, as the corpus keeps them.
QList<TCorpusStatement> AdvisingStatements() {
    QList<TCorpusStatement> statements;
    const QStringList lines = ReadCorpusFile(QStringLiteral("advising.queries.sql")).split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (!lines[i].trimmed().isEmpty()) statements.append({int(i + 1), lines[i].trimmed()});
    return statements;
}

class AdvisingCorpus : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const QString path = CreateSqliteDatabase(ReadCorpusFile("advising.schema.sql") +
                                                  ReadCorpusFile("advising.data.sql"));
        s_connection = new TADOConnection(SqliteConnectionString(path));
        s_connection->Open();
    }
    static void TearDownTestSuite() {
        delete s_connection;
        s_connection = nullptr;
    }
    static TADOConnection* s_connection;
};
TADOConnection* AdvisingCorpus::s_connection = nullptr;

} // namespace

// Always run: the counts go to the log; only a crash or a hang fails it.
TEST_F(AdvisingCorpus, Measure) {
    const QList<TCorpusStatement> statements = AdvisingStatements();
    ASSERT_EQ(statements.size(), 198);
    PrintCorpusRun("advising", RunCorpus(*s_connection, statements));
}

// Registered with QUILLARY_CORPUS_GATE=ON.
TEST_F(AdvisingCorpus, GateSameRowsOrSaysSo) {
    ExpectCorpusGate(RunCorpus(*s_connection, AdvisingStatements()));
}
