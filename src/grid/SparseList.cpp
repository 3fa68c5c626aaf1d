#include "grid/SparseList.h"

namespace quillary {

TStringSparseList::TStringSparseList(TSPAQuantum quantum) : m_list(quantum) {}

TStringSparseList::~TStringSparseList() {
    Clear();
}

int TStringSparseList::Count() const {
    return m_list.Count();
}

QString TStringSparseList::Get(int Index) const {
    if (Index < 0) return QString();
    const TStrItem* item = m_list.Get(Index);
    return item ? item->FString : QString();
}

QObject* TStringSparseList::GetObject(int Index) const {
    if (Index < 0) return nullptr;
    const TStrItem* item = m_list.Get(Index);
    return item ? item->FObject : nullptr;
}

void TStringSparseList::Put(int Index, const QString& S) {
    TStrItem* old = m_list.Get(Index);
    QObject* object = old ? old->FObject : nullptr;
    if (S.isEmpty() && !object) {
        // An empty cell without object takes no memory.
        m_list.Put(Index, nullptr);
        delete old;
        return;
    }
    auto* item = new TStrItem{object, S};
    m_list.Put(Index, item);
    delete old;
}

void TStringSparseList::PutObject(int Index, QObject* AObject) {
    if (TStrItem* item = m_list.Get(Index)) {
        item->FObject = AObject;
    } else if (AObject) {
        m_list.Put(Index, new TStrItem{AObject, QString()});
    }
}

void TStringSparseList::Insert(int Index, const QString& S) {
    m_list.Insert(Index, nullptr);
    if (!S.isEmpty()) Put(Index, S);
}

void TStringSparseList::Delete(int Index) {
    TStrItem* item = m_list.Get(Index);
    m_list.Delete(Index);
    delete item;
}

void TStringSparseList::Clear() {
    m_list.ForAll([](int, TStrItem* item) {
        delete item;
        return 0;
    });
    m_list.Clear();
}

void TStringSparseList::Exchange(int Index1, int Index2) {
    m_list.Exchange(Index1, Index2);
}

void TStringSparseList::Move(int CurIndex, int NewIndex) {
    m_list.Move(CurIndex, NewIndex);
}

} // namespace quillary
