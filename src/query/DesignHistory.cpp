#include "query/DesignHistory.h"
#include "query/ColumnPages.h"

namespace quillary {

namespace {

qsizetype Bytes(const QString& s) {
    return s.size() * qsizetype(sizeof(QChar));
}

qsizetype Bytes(const QStringList& list) {
    qsizetype n = 0;
    for (const QString& s : list)
        n += Bytes(s) + 16;
    return n;
}

qsizetype Bytes(const QList<QStringList>& rows) {
    qsizetype n = 0;
    for (const QStringList& row : rows)
        n += Bytes(row) + 16;
    return n;
}

// What the designer itself makes of a design when a page is entered.
QueryDesign Derived(QueryDesign design) {
    TS_DisplayEnter(design);
    TS_OrderEnter(design);
    return design;
}

} // namespace

TDesignHistory::TDesignHistory(int maxSteps, qsizetype maxBytes)
    : m_maxSteps(std::max(2, maxSteps)), m_maxBytes(maxBytes) {}

void TDesignHistory::Reset(const QueryDesign& design) {
    m_states = {design};
    m_bytes = {EstimateBytes(design)};
    m_totalBytes = m_bytes.first();
    m_current = 0;
}

bool TDesignHistory::Record(const QueryDesign& design) {
    if (m_states.isEmpty()) {
        Reset(design);
        return false;
    }
    if (design == Current()) return false;
    const qsizetype bytes = EstimateBytes(design);
    if (Derived(design) == Derived(Current())) {
        m_totalBytes += bytes - m_bytes[m_current];
        m_states[m_current] = design;
        m_bytes[m_current] = bytes;
        return false;
    }
    // A new edit after undoing forgets the steps that were undone.
    while (m_states.size() > m_current + 1) {
        m_totalBytes -= m_bytes.takeLast();
        m_states.removeLast();
    }
    m_states.append(design);
    m_bytes.append(bytes);
    m_totalBytes += bytes;
    m_current = int(m_states.size()) - 1;
    Trim();
    return true;
}

void TDesignHistory::Trim() {
    while (m_states.size() > 1 && (m_states.size() > m_maxSteps || m_totalBytes > m_maxBytes)) {
        m_totalBytes -= m_bytes.takeFirst();
        m_states.removeFirst();
        --m_current;
    }
}

const QueryDesign& TDesignHistory::Undo() {
    if (CanUndo()) --m_current;
    return Current();
}

const QueryDesign& TDesignHistory::Redo() {
    if (CanRedo()) ++m_current;
    return Current();
}

qsizetype TDesignHistory::EstimateBytes(const QueryDesign& d) {
    qsizetype n = sizeof(QueryDesign);
    for (const TDesignBox& box : d.Boxes) {
        n += sizeof(TDesignBox) + Bytes(box.TableName) + Bytes(box.Alias) + Bytes(box.SourceText);
        for (const TDesignField& field : box.Fields)
            n += sizeof(TDesignField) + Bytes(field.Name);
    }
    for (const TDesignLink& link : d.Links)
        n += sizeof(TDesignLink) + Bytes(link.Field1) + Bytes(link.Field2) + Bytes(link.Condition);
    for (const TCheckedItem& item : d.OrderColumn)
        n += sizeof(TCheckedItem) + Bytes(item.Text);
    n +=
        Bytes(d.OrderList) + Bytes(d.GroupList) + Bytes(d.GroupColumn) + Bytes(d.ConditionPickList);
    n += Bytes(d.ConditionRows) + Bytes(d.HavingRows) + Bytes(d.ComputeRows) +
         Bytes(d.DisplayRows) + Bytes(d.UnionRows);
    for (const TUnionSet& set : d.UnionSets)
        n += Bytes(set.SQL) + Bytes(set.SQLSet);
    return n;
}

} // namespace quillary
