#pragma once
// A string-list view of one grid row or column. View index k > 0 shows row
// k-1 (item i = column i), k < 0 shows column -k-1 (item i = row i), 0 is
// empty. Writes go through the grid's cells, so the grid repaints and its
// editor follows. A view never grows or shrinks: Insert and Delete raise.

#include "grid/Strings.h"

namespace quillary {

class TStringGridEx;

class TStringPrGridStrings final : public TStrings {
public:
    TStringPrGridStrings(TStringGridEx* AGrid, int AIndex);

    TStringGridEx* Grid() const { return m_grid; }
    int ViewIndex() const { return m_index; }

    int Count() const override;
    QString Get(int Index) const override;
    QObject* GetObject(int Index) const override;
    void Put(int Index, const QString& S) override;
    void PutObject(int Index, QObject* AObject) override;
    // Fills the first empty item; -1 when every item holds text.
    int Add(const QString& S) override;
    void Insert(int Index, const QString& S) override;
    void Delete(int Index) override;
    // Empties every written cell (object first, then text).
    void Clear() override;
    // Copies items 0..min(counts)-1; items beyond stay as they are.
    void Assign(const TStrings& Source) override;
    void Assign(const QStringList& Source) override;

protected:
    void SetUpdateState(bool Updating) override;

private:
    TStringGridEx* m_grid;
    int m_index;
};

} // namespace quillary
