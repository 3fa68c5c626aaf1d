#include "grid/Strings.h"

#include "grid/GridTypes.h"

namespace quillary {

TStrings::~TStrings() = default;

QObject* TStrings::GetObject(int) const {
    return nullptr;
}

void TStrings::Put(int Index, const QString& S) {
    QObject* object = GetObject(Index);
    Delete(Index);
    Insert(Index, S);
    PutObject(Index, object);
}

void TStrings::PutObject(int, QObject*) {}

int TStrings::Add(const QString& S) {
    const int index = Count();
    Insert(index, S);
    return index;
}

int TStrings::AddObject(const QString& S, QObject* AObject) {
    const int index = Add(S);
    if (index >= 0) PutObject(index, AObject);
    return index;
}

void TStrings::Assign(const TStrings& Source) {
    if (&Source == this) return;
    BeginUpdate();
    try {
        Clear();
        AddStrings(Source);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::Assign(const QStringList& Source) {
    BeginUpdate();
    try {
        Clear();
        for (const QString& s : Source)
            Add(s);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::AddStrings(const TStrings& Source) {
    const int n = Source.Count();
    for (int i = 0; i < n; ++i)
        AddObject(Source.Get(i), Source.GetObject(i));
}

void TStrings::BeginUpdate() {
    if (m_updateCount == 0) SetUpdateState(true);
    ++m_updateCount;
}

void TStrings::EndUpdate() {
    if (m_updateCount <= 0) return;
    --m_updateCount;
    if (m_updateCount == 0) SetUpdateState(false);
}

void TStrings::SetUpdateState(bool) {}

int TStrings::IndexOf(const QString& S) const {
    const int n = Count();
    for (int i = 0; i < n; ++i)
        if (Get(i).compare(S, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

int TStrings::IndexOfObject(const QObject* AObject) const {
    const int n = Count();
    for (int i = 0; i < n; ++i)
        if (GetObject(i) == AObject) return i;
    return -1;
}

QString TStrings::Text() const {
    QString text;
    const int n = Count();
    for (int i = 0; i < n; ++i) {
        text += Get(i);
        text += QLatin1Char('\n');
    }
    return text;
}

QStringList TStrings::ToStringList() const {
    QStringList list;
    const int n = Count();
    list.reserve(n);
    for (int i = 0; i < n; ++i)
        list.append(Get(i));
    return list;
}

} // namespace quillary
