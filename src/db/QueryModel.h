#pragma once
// The open result of a TADOQuery as a table model for a view. Rows are
// fetched in batches as the view scrolls; the model follows the query when it
// is reopened or closed.

#include <QAbstractTableModel>
#include <QPointer>

namespace quillary {

class TADOQuery;

class TADOQueryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TADOQueryModel(QObject* parent = nullptr);
    void SetQuery(TADOQuery* query);
    TADOQuery* Query() const { return m_query; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    static constexpr int kBatchSize = 256;

private:
    void Reset();
    QPointer<TADOQuery> m_query;
    int m_rows = 0; // rows announced to the view
};

} // namespace quillary
