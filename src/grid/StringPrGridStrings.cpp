#include "grid/StringPrGridStrings.h"

#include "grid/StringGridEx.h"

#include <algorithm>
#include <vector>

namespace quillary {

TStringPrGridStrings::TStringPrGridStrings(TStringGridEx* AGrid, int AIndex)
    : m_grid(AGrid), m_index(AIndex) {}

int TStringPrGridStrings::Count() const {
    if (m_index == 0) return 0;
    return m_index > 0 ? m_grid->ColCount() : m_grid->RowCount();
}

QString TStringPrGridStrings::Get(int Index) const {
    if (m_index == 0) return QString();
    return m_index > 0 ? m_grid->GetCells(Index, m_index - 1)
                       : m_grid->GetCells(-m_index - 1, Index);
}

QObject* TStringPrGridStrings::GetObject(int Index) const {
    if (m_index == 0) return nullptr;
    return m_index > 0 ? m_grid->GetObjects(Index, m_index - 1)
                       : m_grid->GetObjects(-m_index - 1, Index);
}

void TStringPrGridStrings::Put(int Index, const QString& S) {
    if (m_index == 0) return;
    if (m_index > 0)
        m_grid->SetCells(Index, m_index - 1, S);
    else
        m_grid->SetCells(-m_index - 1, Index, S);
}

void TStringPrGridStrings::PutObject(int Index, QObject* AObject) {
    if (m_index == 0) return;
    if (m_index > 0)
        m_grid->SetObjects(Index, m_index - 1, AObject);
    else
        m_grid->SetObjects(-m_index - 1, Index, AObject);
}

int TStringPrGridStrings::Add(const QString& S) {
    const int n = Count();
    for (int i = 0; i < n; ++i) {
        if (Get(i).isEmpty()) {
            Put(i, S);
            return i;
        }
    }
    return -1;
}

void TStringPrGridStrings::Insert(int, const QString&) {
    InvalidOp(SInvalidStringGridOp);
}

void TStringPrGridStrings::Delete(int) {
    InvalidOp(SInvalidStringGridOp);
}

void TStringPrGridStrings::Clear() {
    if (m_index == 0) return;
    auto blank = [this](int i) {
        PutObject(i, nullptr);
        Put(i, QString());
    };
    if (m_index > 0) {
        // Only the cells the row holds; the row list itself stays.
        const int row = m_index - 1;
        if (!m_grid->HasDataRow(row)) return;
        std::vector<int> written;
        m_grid->EnsureDataRow(row)->List().ForAll([&written](int i, TStrItem*) {
            written.push_back(i);
            return 0;
        });
        for (int i : written)
            blank(i);
    } else {
        // Items Count-1 down to 0, visiting only rows that hold cells.
        const int col = -m_index - 1;
        std::vector<int> rows;
        m_grid->RowStore().ForAll([&](int r, TStringSparseList* list) {
            if (r < Count() && list->List().Get(col)) rows.push_back(r);
            return 0;
        });
        for (auto it = rows.rbegin(); it != rows.rend(); ++it)
            blank(*it);
    }
}

void TStringPrGridStrings::Assign(const TStrings& Source) {
    if (&Source == this) return;
    BeginUpdate();
    try {
        const int n = std::min(Source.Count(), Count());
        for (int i = 0; i < n; ++i) {
            Put(i, Source.Get(i));
            PutObject(i, Source.GetObject(i));
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStringPrGridStrings::Assign(const QStringList& Source) {
    BeginUpdate();
    try {
        const int n = std::min(int(Source.size()), Count());
        for (int i = 0; i < n; ++i) {
            Put(i, Source.at(i));
            PutObject(i, nullptr);
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStringPrGridStrings::SetUpdateState(bool Updating) {
    m_grid->SetUpdateState(Updating);
}

} // namespace quillary
