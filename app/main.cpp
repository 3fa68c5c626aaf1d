// quillary — for now: connects to a data source (by default the embedded
// sample database) and prints its tables and views with their columns.

#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "db/DatabaseError.h"
#include "db/SampleDatabase.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

using namespace quillary;

namespace {

int PrintCatalogue(const QString& connectionString, QTextStream& out, QTextStream& err) {
    TADOConnection connection(connectionString);
    connection.SetLoginPrompt(false);
    QStringList names;
    try {
        connection.Open();
        connection.GetTableNames(names, false);
    } catch (const EDatabaseError& e) {
        err << "quillary: " << e.Message() << Qt::endl;
        return 1;
    }
    names.sort(Qt::CaseInsensitive);
    out << "Data source: " << connection.PropertyValue(QStringLiteral("Data Source")) << " ("
        << connection.Provider() << ")\n";
    out << names.size() << " tables and views\n";
    TADOQuery query;
    query.SetConnection(&connection);
    for (const QString& name : names) {
        out << "\n" << name << "\n";
        query.SQL() =
            QStringList{QStringLiteral("select * from ") + name + QStringLiteral(" where 1=0")};
        try {
            query.Open();
            const TFieldDefs& defs = query.FieldDefs();
            for (int i = 0; i < defs.Count(); ++i)
                out << "  " << defs[i].Name.leftJustified(24) << ' '
                    << FieldTypeName(defs[i].DataType) << "\n";
            query.Close();
        } catch (const EDatabaseError& e) {
            out << "  (" << e.Message() << ")\n";
        }
    }
    out.flush();
    return 0;
}

} // namespace

namespace quillary {
int RunGridDemo(int& argc, char** argv); // app/GridDemo.cpp
}

int main(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i)
        if (qstrcmp(argv[i], "--grid-demo") == 0) return quillary::RunGridDemo(argc, argv);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillary"));
    QCoreApplication::setOrganizationName(QStringLiteral("Quillary"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Quillary visual SQL query designer"));
    parser.addHelpOption();
    parser.addPositionalArgument(
        QStringLiteral("connection"),
        QStringLiteral("Connection string, e.g. \"Provider=SQLite;Data Source=shop.db\" "
                       "(default: the sample database)."));
    parser.process(app);

    QTextStream out(stdout);
    QTextStream err(stderr);
    QString connectionString;
    if (!parser.positionalArguments().isEmpty()) {
        connectionString = parser.positionalArguments().join(QLatin1Char(' '));
    } else {
        const QString path = DefaultSampleDatabasePath();
        QString error;
        if (!EnsureSampleDatabase(path, &error)) {
            err << "quillary: cannot build the sample database " << path << ": " << error
                << Qt::endl;
            return 1;
        }
        connectionString = SqliteConnectionString(path);
    }
    return PrintCatalogue(connectionString, out, err);
}
