#include "db/QueryModel.h"
#include "db/ADOQuery.h"

namespace quillary {

TADOQueryModel::TADOQueryModel(QObject* parent) : QAbstractTableModel(parent) {}

void TADOQueryModel::SetQuery(TADOQuery* query) {
    if (m_query) disconnect(m_query, nullptr, this, nullptr);
    m_query = query;
    if (m_query) {
        connect(m_query, &TADOQuery::AfterOpen, this, &TADOQueryModel::Reset);
        connect(m_query, &TADOQuery::AfterClose, this, &TADOQueryModel::Reset);
        connect(m_query, &QObject::destroyed, this, &TADOQueryModel::Reset);
    }
    Reset();
}

void TADOQueryModel::Reset() {
    beginResetModel();
    m_rows = m_query && m_query->Active() ? m_query->FetchedCount() : 0;
    endResetModel();
}

int TADOQueryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int TADOQueryModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid() || !m_query) return 0;
    return m_query->FieldDefs().Count();
}

QVariant TADOQueryModel::data(const QModelIndex& index, int role) const {
    if (!m_query || !m_query->Active() || !index.isValid() || index.row() >= m_rows ||
        index.column() >= m_query->FieldDefs().Count())
        return {};
    const QVariant value = m_query->ValueAt(index.row(), index.column());
    switch (role) {
    case Qt::DisplayRole:
        return TADOQuery::DisplayText(value, m_query->FieldDefs()[index.column()].DataType);
    case Qt::EditRole:
        return value;
    case Qt::TextAlignmentRole: {
        const TFieldType type = m_query->FieldDefs()[index.column()].DataType;
        const bool numeric = type == ftSmallint || type == ftInteger || type == ftWord ||
                             type == ftLargeint || type == ftFloat || type == ftCurrency ||
                             type == ftBCD || type == ftAutoInc || type == ftFMTBcd;
        return QVariant::fromValue(Qt::Alignment(numeric ? Qt::AlignRight | Qt::AlignVCenter
                                                         : Qt::AlignLeft | Qt::AlignVCenter));
    }
    default:
        return {};
    }
}

QVariant TADOQueryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    if (!m_query || section < 0 || section >= m_query->FieldDefs().Count()) return {};
    return m_query->FieldDefs()[section].Name;
}

bool TADOQueryModel::canFetchMore(const QModelIndex& parent) const {
    if (parent.isValid() || !m_query || !m_query->Active()) return false;
    return m_rows < m_query->FetchedCount() || !m_query->AllFetched();
}

void TADOQueryModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent)) return;
    if (m_query->FetchedCount() < m_rows + kBatchSize)
        m_query->FetchMore(m_rows + kBatchSize - m_query->FetchedCount());
    const int available = m_query->FetchedCount();
    if (available <= m_rows) return;
    beginInsertRows({}, m_rows, available - 1);
    m_rows = available;
    endInsertRows();
}

} // namespace quillary
