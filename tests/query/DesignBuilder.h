#pragma once
// Builds designs for the tests in a few lines, through the same operations
// the designer uses (boxes activated, ticks offered for sorting, links
// through the link rules), and prints texts readably on failure.

#include "query/DesignHooks.h"
#include "query/QueryDesign.h"

#include "../sqltext/SqlTextTestUtil.h" // readable texts and lists in failures

#include <QMap>
#include <QString>
#include <QStringList>

namespace quillary::test {

// TFieldType ordinals the tests use.
enum : int { ftString = 1, ftInteger = 3, ftFloat = 6, ftDate = 9, ftDateTime = 11, ftMemo = 16 };

// Tables and their columns ("name" is a string column, "name:3" an integer
// one), served to the design functions as LoadBox does from a database.
class TCatalogue {
public:
    TCatalogue& Table(const QString& name, const QStringList& columns);
    // A LoadBox hook on these tables: 150 x 100 boxes, sub-queries get the
    // columns of the first table named after "from"; unknown tables fail.
    bool Load(TDesignBox& box) const;
    TDesignHooks Hooks(QStringList* messages = nullptr) const;

private:
    QMap<QString, QList<TDesignField>> FTables;
};

class TDesignBuilder {
public:
    explicit TDesignBuilder(const TCatalogue& catalogue) : FCatalogue(catalogue) {}

    // A box of a catalogue table; a sub-query box when `source` is given.
    TDesignBuilder& Box(const QString& table, const QString& alias = {}, int left = 20,
                        int top = 50);
    TDesignBuilder& SubQuery(const QString& name, const QString& source);
    // Ticks "name.field" (name as the box is known) and offers it for sorting.
    TDesignBuilder& Tick(const QString& designation);
    // Links two designations ("a.id") with a join type.
    TDesignBuilder& Link(const QString& from, const QString& to, int joinType = 0);
    TDesignBuilder& Where(const QStringList& cells) {
        return FDesign.ConditionRows << cells, *this;
    }
    TDesignBuilder& Having(const QStringList& cells) { return FDesign.HavingRows << cells, *this; }
    TDesignBuilder& Compute(const QString& expression, const QString& alias = {}) {
        return FDesign.ComputeRows << QStringList{expression, alias}, *this;
    }
    TDesignBuilder& Group(const QString& item) { return FDesign.GroupColumn << item, *this; }
    // Chooses a sort column (the text without marker), descending when asked.
    TDesignBuilder& Order(const QString& column, bool descending = false);
    TDesignBuilder& Display(const QString& kind, const QString& column, const QString& alias = {}) {
        return FDesign.DisplayRows << QStringList{kind, column, alias, QString()}, *this;
    }
    TDesignBuilder& Union(const QString& sql, const QStringList& unionRow = {});
    TDesignBuilder& Distinct() { return FDesign.Distinct = true, *this; }

    QueryDesign& Design() { return FDesign; }
    operator QueryDesign&() { return FDesign; }

private:
    int BoxOf(const QString& designation, int& row) const;

    const TCatalogue& FCatalogue;
    QueryDesign FDesign;
};

} // namespace quillary::test
