// The example statements shipped with the program: each one, pasted into the
// SQL page and applied, becomes a design whose statement returns the same rows.
#include "DesignerTestSupport.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <algorithm>
#include <gtest/gtest.h>

using namespace quillary;
using namespace quillary::test;

namespace {

// Every row of `sql` on `connection`, each as its values joined by a tab,
// sorted: rows that tie in ORDER BY may come in either order.
QStringList SortedRows(TADOConnection* connection, const QString& sql) {
    TADOQuery query;
    query.SetConnection(connection);
    query.SQL() << sql;
    query.Open();
    QStringList rows;
    for (; !query.Eof(); query.Next()) {
        QStringList values;
        for (int c = 0; c < query.FieldCount(); ++c)
            values << (query.Fields(c).IsNull() ? QStringLiteral("<null>")
                                                : query.Fields(c).AsString());
        rows << values.join(QLatin1Char('\t'));
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

QString ReadUtf8(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return QString::fromUtf8(file.readAll());
}

} // namespace

class ExampleQueriesTest : public DesignerFormTest {};

TEST_F(ExampleQueriesTest, EveryExampleIsRebuiltAndReturnsTheSameRows) {
    const QDir folder(QStringLiteral(QUILLARY_EXAMPLE_QUERIES));
    const QStringList files = folder.entryList({QStringLiteral("*.sql")}, QDir::Files, QDir::Name);
    EXPECT_GE(files.size(), 40);
    Open();
    for (const QString& name : files) {
        SCOPED_TRACE(name.toStdString());
        const QString original = ReadUtf8(folder.filePath(name));
        const qsizetype shown = ui.Log().size();
        form->Memo1->setPlainText(original);
        form->Sp_ApplySQLClick();
        if (ui.Log().size() != shown) continue; // the scripted user has failed the test
        const QString regenerated = form->GetSQL();
        QStringList expected, actual;
        const QString failure = ErrorOf([&] {
            expected = SortedRows(dialog.GetConn(), original);
            actual = SortedRows(dialog.GetConn(), regenerated);
        });
        EXPECT_EQ(failure, "<no error>") << regenerated.toStdString();
        EXPECT_FALSE(expected.isEmpty()) << "an example that shows no rows shows nothing";
        EXPECT_TRUE(actual == expected)
            << actual.size() << " rows instead of " << expected.size() << " from\n"
            << regenerated.toStdString();
    }
}
