// Designs drawn at random from the sample database's tables: the statement
// of a design, read back into a design, gives the same statement again.
#include "DesignBuilder.h"

#include "query/Generation.h"
#include "query/Rebuild.h"
#include "sqltext/DataSourceKind.h"

#include <gtest/gtest.h>

#include <random>

using namespace quillary;
using namespace quillary::test;

namespace {

struct TSampleTable {
    const char* Name;
    QStringList Columns; // "name:type"; integer columns are the join keys
};

const QList<TSampleTable>& SampleTables() {
    static const QList<TSampleTable> tables = {
        {"customers", {"CustomerID:3", "CompanyName", "City", "Country", "CreditLimit:6"}},
        {"orders", {"OrderID:3", "CustomerID:3", "EmployeeID:3", "OrderDate:11", "Freight:6"}},
        {"order_items", {"OrderID:3", "ProductID:3", "UnitPrice:6", "Quantity:3"}},
        {"products", {"ProductID:3", "ProductName", "CategoryID:3", "UnitPrice:6"}},
        {"categories", {"CategoryID:3", "CategoryName", "Description"}},
        {"employees", {"EmployeeID:3", "LastName", "City"}},
    };
    return tables;
}

const TCatalogue& Sample() {
    static const TCatalogue catalogue = [] {
        TCatalogue c;
        for (const TSampleTable& t : SampleTables())
            c.Table(t.Name, t.Columns);
        return c;
    }();
    return catalogue;
}

class TRandomDesign {
public:
    TRandomDesign(std::mt19937& random, int kind) : R(random), B(Sample()), Kind(kind) {}

    QueryDesign Make() {
        const int boxes = Pick(1, 4);
        for (int i = 0; i < boxes; ++i)
            AddBox(i);
        for (int i = 1; i < boxes; ++i)
            if (Chance(80)) LinkToEarlier(i);
        const QStringList ticked = Ticked();
        for (int i = Pick(0, 2); i > 0 && !ticked.isEmpty(); --i)
            B.Where({Any(ticked), Any({"=", ">", "<>", "like", "in", "is"}),
                     Any({"1", "'x%'", "(1,2)", "null"}), Any({"and", "or"})});
        if (Chance(30)) B.Compute(Any({"count(*)", "max(1)", "1+2"}), Chance(50) ? "n" : "");
        // HAVING is read only after GROUP BY.
        if (Chance(30) && !ticked.isEmpty()) {
            B.Group(Any(ticked));
            if (Chance(30)) B.Having({"count(*)", ">", "1", ""});
        }
        for (int i = Pick(0, 2); i > 0 && !ticked.isEmpty(); --i) {
            const QString column = Any(ticked);
            if (!Ordered.contains(column)) B.Order(column, Chance(50)), Ordered << column;
        }
        if (Chance(20)) B.Distinct();
        return B.Design();
    }

private:
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(R); }
    bool Chance(int percent) { return Pick(1, 100) <= percent; }
    QString Any(const QStringList& from) { return from[Pick(0, int(from.size()) - 1)]; }

    void AddBox(int i) {
        const TSampleTable& table = SampleTables()[Pick(0, int(SampleTables().size()) - 1)];
        const bool again = Names.contains(table.Name);
        const QString alias = again || Chance(30) ? QStringLiteral("t%1").arg(i) : QString();
        B.Box(table.Name, alias, 10 + 160 * i, 10);
        const QString name = alias.isEmpty() ? QString::fromLatin1(table.Name) : alias;
        Names << table.Name;
        Boxes << name;
        Columns << QStringList();
        for (const QString& column : table.Columns) {
            const QString field = column.section(QLatin1Char(':'), 0, 0);
            Columns.last() << field;
            if (Chance(35)) B.Tick(name + QLatin1Char('.') + field);
        }
    }

    void LinkToEarlier(int i) {
        const int j = Pick(0, i - 1);
        // The first column of every table is an integer key.
        B.Link(Boxes[j] + QLatin1Char('.') + Columns[j].first(),
               Boxes[i] + QLatin1Char('.') + Columns[i].first(),
               // Sybase's full join "*=*" is not read back as a link.
               Pick(0, Kind == dsSybase ? 2 : 3));
    }

    QStringList Ticked() {
        QStringList ticked;
        for (const TDesignBox& box : B.Design().Boxes)
            for (const TDesignField& f : box.Fields)
                if (f.Checked && f.Name != QLatin1String("*"))
                    ticked << box.GetTableName() + QLatin1Char('.') + f.Name;
        return ticked;
    }

    std::mt19937& R;
    TDesignBuilder B;
    int Kind;
    QStringList Names, Boxes, Ordered;
    QList<QStringList> Columns;
};

} // namespace

TEST(RoundTrip, RandomDesignsGiveTheirStatementAgainAfterARebuild) {
    std::mt19937 random(20261205);
    const int kinds[] = {dsAccess, dsSqlServer, dsOther, dsSybase, dsOracle};
    int written = 0;
    for (int n = 0; n < 1500; ++n) {
        const int kind = kinds[n % std::size(kinds)];
        QueryDesign design = TRandomDesign(random, kind).Make();
        const TSqlResult first = GetSQL(design, kind, [](const QString&) { return true; });
        if (first.SQL.isEmpty()) continue; // nothing ticked, or refused
        ++written;
        SCOPED_TRACE(QStringLiteral("design %1, kind %2:\n%3")
                         .arg(n)
                         .arg(kind)
                         .arg(first.SQL)
                         .toStdString());
        QStringList messages;
        TForgeResult rebuilt = Forge(first.SQL, kind, {}, Sample().Hooks(&messages));
        ASSERT_TRUE(rebuilt.Ok) << messages.join('\n').toStdString();
        EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
        EXPECT_EQ(rebuilt.Sql.SQL, first.SQL);
        if (HasFailure()) break;
    }
    EXPECT_GE(written, 1000);
}
