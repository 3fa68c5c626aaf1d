#pragma once
// TStrings: the abstract string list with an object reference per item that
// the grid's cell rows and row/column views present. Objects are references
// only; a list never owns them.

#include <QString>
#include <QStringList>

class QObject;

namespace quillary {

class TStrings {
public:
    TStrings() = default;
    TStrings(const TStrings&) = delete;
    TStrings& operator=(const TStrings&) = delete;
    virtual ~TStrings();

    virtual int Count() const = 0;
    virtual QString Get(int Index) const = 0;
    virtual QObject* GetObject(int Index) const;
    virtual void Put(int Index, const QString& S);
    virtual void PutObject(int Index, QObject* AObject);
    // Appends (by default) and returns the index of the new item.
    virtual int Add(const QString& S);
    int AddObject(const QString& S, QObject* AObject);
    virtual void Insert(int Index, const QString& S) = 0;
    virtual void Delete(int Index) = 0;
    virtual void Clear() = 0;

    // Replaces the contents by those of `Source` (strings and objects).
    virtual void Assign(const TStrings& Source);
    // As Assign from a list whose items carry no objects.
    virtual void Assign(const QStringList& Source);
    void AddStrings(const TStrings& Source);

    // Batches changes; SetUpdateState runs on the first BeginUpdate and the
    // last EndUpdate.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return m_updateCount; }

    int IndexOf(const QString& S) const;
    int IndexOfObject(const QObject* AObject) const;
    // The items joined by line breaks, each line ended by one.
    QString Text() const;
    QStringList ToStringList() const;
    QString operator[](int Index) const { return Get(Index); }

protected:
    virtual void SetUpdateState(bool Updating);

private:
    int m_updateCount = 0;
};

} // namespace quillary
