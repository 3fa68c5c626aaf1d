#include "DesignBuilder.h"

#include "query/DesignTexts.h"
#include "query/Links.h"
#include "query/TableBox.h"

#include <gtest/gtest.h>

namespace quillary::test {

TCatalogue& TCatalogue::Table(const QString& name, const QStringList& columns) {
    QList<TDesignField> fields{TDesignField{"*"}};
    for (const QString& c : columns) {
        const QStringList parts = c.split(QLatin1Char(':'));
        fields.append({parts[0], parts.size() > 1 ? parts[1].toInt() : int(ftString)});
    }
    FTables.insert(name.toLower(), fields);
    return *this;
}

bool TCatalogue::Load(TDesignBox& box) const {
    QString table = box.TableName;
    if (box.Kind == 'Q') {
        const QStringList words = box.SourceText.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const qsizetype from = words.indexOf("from");
        table = from >= 0 && from + 1 < words.size() ? words[from + 1] : QString();
    }
    // A name the designer quotes (a keyword) is the table of that name.
    if (table.size() > 2 && table.startsWith(QLatin1Char('"')) && table.endsWith(QLatin1Char('"')))
        table = table.mid(1, table.size() - 2);
    const auto it = FTables.find(table.toLower());
    if (it == FTables.end()) return false;
    box.Fields = *it;
    box.Width = 150;
    box.Height = 100;
    return true;
}

TDesignHooks TCatalogue::Hooks(QStringList* messages) const {
    TDesignHooks hooks;
    hooks.LoadBox = [this](TDesignBox& box) { return Load(box); };
    if (messages)
        hooks.Message = [messages](const QString& text, const QString& caption) {
            *messages << caption + QLatin1Char('|') + text;
        };
    return hooks;
}

TDesignBuilder& TDesignBuilder::Box(const QString& table, const QString& alias, int left, int top) {
    TDesignBox box;
    box.TableName = table;
    box.Alias = alias;
    box.Left = left;
    box.Top = top;
    EXPECT_TRUE(FCatalogue.Load(box)) << table.toStdString();
    ActivateBox(FDesign, box);
    return *this;
}

TDesignBuilder& TDesignBuilder::SubQuery(const QString& name, const QString& source) {
    TDesignBox box;
    box.TableName = name;
    box.Kind = 'Q';
    box.SourceText = source;
    EXPECT_TRUE(FCatalogue.Load(box)) << source.toStdString();
    ActivateBox(FDesign, box);
    return *this;
}

int TDesignBuilder::BoxOf(const QString& designation, int& row) const {
    const qsizetype dot = designation.lastIndexOf(QLatin1Char('.'));
    const int box = FDesign.FindTable(designation.left(dot));
    row = -1;
    if (box < 0) return -1;
    const QString field = designation.mid(dot + 1);
    const QList<TDesignField>& fields = FDesign.Boxes[box].Fields;
    for (qsizetype f = 0; f < fields.size(); ++f)
        if (fields[f].Name == field) row = int(f);
    return box;
}

TDesignBuilder& TDesignBuilder::Tick(const QString& designation) {
    int row = -1;
    const int box = BoxOf(designation, row);
    EXPECT_GE(row, 0) << designation.toStdString();
    if (row < 0) return *this;
    FDesign.Boxes[box].Fields[row].Checked = true;
    UpdateOrderColumn(FDesign, box);
    return *this;
}

TDesignBuilder& TDesignBuilder::Link(const QString& from, const QString& to, int joinType) {
    int row1 = -1, row2 = -1;
    const int box1 = BoxOf(from, row1);
    const int box2 = BoxOf(to, row2);
    const int link = InsertLink(FDesign, box1, box2, row1, row2, {});
    EXPECT_GE(link, 0) << from.toStdString() << " " << to.toStdString();
    if (link >= 0) FDesign.Links[link].JoinType = joinType;
    return *this;
}

TDesignBuilder& TDesignBuilder::Order(const QString& column, bool descending) {
    RemoveText(FDesign.OrderList, column);
    FDesign.OrderColumn.append({DescendingMarker() + column, descending});
    return *this;
}

TDesignBuilder& TDesignBuilder::Union(const QString& sql, const QStringList& unionRow) {
    FDesign.UnionSets.append({sql, {}});
    if (!unionRow.isEmpty()) FDesign.UnionRows.append(unionRow);
    return *this;
}

} // namespace quillary::test
