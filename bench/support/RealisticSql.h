#pragma once
// A long SELECT written the way people write them: table aliases, inner and
// left joins, quoted names, computed columns with aliases, functions, LIKE
// patterns and numbers, WHERE conditions in bracketed OR pairs, and an ORDER
// BY. SQLite runs it: the select list stays under its 2,000 columns and the
// conditions are nested in blocks so that no expression grows deeper than
// its limit of 1,000 levels. Its literals repeat (a hundred numbers, fifty
// patterns): SQLite compares every constant of a statement with those it
// has already prepared, which a statement of 100,000 different literals
// would turn into minutes of its own.
//
// The tables t0..t11 have the columns of RealisticColumns().
#include <QString>
#include <QStringList>

#include <algorithm>

namespace quillary::bench {

inline constexpr int kRealisticTables = 12;

inline QStringList RealisticColumns() {
    QStringList columns{QStringLiteral("id"), QStringLiteral("k"), QStringLiteral("name"),
                        QStringLiteral("v"), QStringLiteral("unit price")};
    for (int c = 0; c < 10; ++c)
        columns << QStringLiteral("c%1").arg(c);
    return columns;
}

// The statement, at least `size` characters long (whole conditions). After
// `pairs` bracketed pairs of conditions the WHERE clause goes on with NOT
// IN lists of a thousand names each, the bulk of long machine-made
// statements: SQLite's planner takes time of its own that grows faster
// than the number of conditions.
inline QString RealisticStatement(qsizetype size, qsizetype pairs = -1) {
    const int tables = kRealisticTables;
    QString select = QStringLiteral("select a0.id, a0.name");
    QString from = QStringLiteral("\nfrom t0 a0");
    for (int t = 1; t < tables; ++t)
        from += QStringLiteral("\n  %1 join t%2 a%2 on a%3.k = a%2.id")
                    .arg(t % 3 ? QStringLiteral("inner") : QStringLiteral("left"))
                    .arg(t)
                    .arg(t - 1);
    // A select item per 4,000 characters, at most 1,500.
    const qsizetype items = std::clamp<qsizetype>(size / 4000, 4, 1500);
    for (qsizetype i = 0; i < items; ++i) {
        const qsizetype t = i % tables;
        switch (i % 4) {
        case 0:
            select += QStringLiteral(", a%1.c%2").arg(t).arg(i / tables % 10);
            break;
        case 1:
            select += QStringLiteral(", a%1.\"unit price\" * %2 as p%2").arg(t).arg(i);
            break;
        case 2:
            select += QStringLiteral(", substr(upper(a%1.name), 1, %2) as n%2").arg(t).arg(i);
            break;
        default:
            select += QStringLiteral(",\n  round(a%1.v / %2.0, 2) as r%2").arg(t).arg(i);
            break;
        }
    }
    const QString order = QStringLiteral("\norder by a0.id desc, 2");
    QString where;
    where.reserve(size + 200);
    const auto budget = [&] {
        return select.size() + from.size() + where.size() + order.size() < size;
    };
    // Conditions in blocks of 150, blocks in blocks of 150: no chain of AND
    // is longer than 150 at any level.
    constexpr qsizetype kBlock = 150;
    qsizetype n = 0;
    while (budget() || n == 0) {
        where += n == 0 ? QStringLiteral("\nwhere (") : QStringLiteral(" and (");
        for (qsizetype b = 0; b < kBlock && (budget() || b == 0); ++b) {
            where += b == 0 ? QStringLiteral("(") : QStringLiteral(" and (");
            for (qsizetype c = 0; c < kBlock && (budget() || c == 0); ++c, ++n) {
                const qsizetype t = n % tables, u = (n + 5) % tables;
                if (c) where += QStringLiteral("\n  and ");
                if (pairs >= 0 && n >= pairs) {
                    where += QStringLiteral("a%1.name not in (").arg(t);
                    for (qsizetype k = 0; k < 1000; ++k)
                        where += QStringLiteral("%1'customer %2, north-east'")
                                     .arg(k ? QStringLiteral(", ") : QString())
                                     .arg((n - pairs) * 1000 + k, 7, 10, QLatin1Char('0'));
                    where += QLatin1Char(')');
                } else if (n % 2) {
                    where += QStringLiteral("(a%1.name like '%x%3%' or a%2.\"unit price\" > %4)")
                                 .arg(t)
                                 .arg(u)
                                 .arg(n % 50)
                                 .arg(n % 100);
                } else {
                    where += QStringLiteral("(a%1.c%2 = %3 or a%1.name = 'v%4')")
                                 .arg(t)
                                 .arg(n % 10)
                                 .arg(n % 100)
                                 .arg(n % 50);
                }
            }
            where += QLatin1Char(')');
        }
        where += QLatin1Char(')');
    }
    return select + from + where + order;
}

} // namespace quillary::bench
