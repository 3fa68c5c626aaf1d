// The supply corpus: decision-support statements of our own on a small
// supply-chain schema on the PostgreSQL test server, each rebuilt into a
// design and compared row for row with the design's statement.
#include "CorpusRun.h"
#include "TestSupport.h"

#include "platform/TextFile.h"
#include "sqltext/SqlStatements.h"

#include <QDir>
#include <memory>

using namespace quillary;
using namespace quillary::test;

namespace {

QString ReadCorpusFile(const QString& name) {
    QString text, error;
    const QString path = QDir(QStringLiteral(QUILLARY_SUPPLY_CORPUS)).filePath(name);
    if (!ReadTextFile(path, text, &error)) ADD_FAILURE() << error.toStdString();
    return text;
}

const char kDropTables[] = "drop table if exists lineitem, orders, partsupp, part, customer, "
                           "supplier, nation, region cascade;";

class SupplyCorpus : public ::testing::Test {
protected:
    void SetUp() override {
        RunOnPostgres(QString::fromLatin1(kDropTables) + ReadCorpusFile("supply.schema.sql") +
                      ReadCorpusFile("supply.data.sql"));
        if (HasFatalFailure()) return;
        connection = std::make_unique<TADOConnection>(PostgresServer().ConnectionString());
        connection->Open();
    }
    // The server is shared: its other tests find the catalogue as they left it.
    void TearDown() override {
        connection.reset();
        if (PostgresServer().Available) RunOnPostgres(QString::fromLatin1(kDropTables));
    }

    // The statements of the file as the server reads them, with their lines.
    QList<TCorpusStatement> Statements() const {
        const QString text = ReadCorpusFile(QStringLiteral("supply.queries.sql"));
        QList<TCorpusStatement> statements;
        for (const TSqlStatement& s :
             SplitStatements(text, connection->Dialect().Readings().front()))
            statements.append({int(text.left(s.Start).count(QLatin1Char('\n')) + 1),
                               text.mid(s.Start, s.End - s.Start)});
        return statements;
    }

    std::unique_ptr<TADOConnection> connection;
};

} // namespace

// Always run: the counts go to the log; only a crash or a hang fails it.
TEST_F(SupplyCorpus, Measure) {
    ASSERT_TRUE(connection);
    const QList<TCorpusStatement> statements = Statements();
    ASSERT_EQ(statements.size(), 51);
    PrintCorpusRun("supply", RunCorpus(*connection, statements));
}

// Registered with QUILLARY_CORPUS_GATE=ON.
TEST_F(SupplyCorpus, GateSameRowsOrSaysSo) {
    ASSERT_TRUE(connection);
    ExpectCorpusGate(RunCorpus(*connection, Statements()));
}
