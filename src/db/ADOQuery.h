#pragma once
// A statement run on a TADOConnection: Open for statements that return rows,
// ExecSQL for the others. Rows are fetched on demand; RecordCount fetches all.

#include "db/FieldType.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

class QSqlQuery;

namespace quillary {

class TADOConnection;
class TADOQuery;

struct TFieldDef {
    QString Name;
    TFieldType DataType = ftUnknown;
    int Size = 0;
};

class TFieldDefs {
public:
    int Count() const { return int(m_items.size()); }
    const TFieldDef& operator[](int index) const { return m_items.at(index); }
    const TFieldDef& Items(int index) const { return m_items.at(index); }
    // -1 when there is no field of that name (compared without regard to case).
    int IndexOf(const QString& name) const;
    void Clear() { m_items.clear(); }
    void Add(const TFieldDef& def) { m_items.append(def); }

private:
    QList<TFieldDef> m_items;
};

// One column of the current row.
class TField {
public:
    TField(const TADOQuery* query, int index) : m_query(query), m_index(index) {}
    QString FieldName() const;
    TFieldType DataType() const;
    QVariant Value() const;
    bool IsNull() const;
    QString AsString() const;

private:
    const TADOQuery* m_query;
    int m_index;
};

class TADOQuery : public QObject {
    Q_OBJECT
public:
    explicit TADOQuery(QObject* parent = nullptr);
    ~TADOQuery() override;

    TADOConnection* Connection() const { return m_connection; }
    // Closes the query; the connection is referenced, not owned.
    void SetConnection(TADOConnection* connection);
    // Alternative to Connection: the query opens a connection of its own.
    QString ConnectionString() const { return m_connectionString; }
    void SetConnectionString(const QString& connectionString);

    // The statement, one line per item.
    QStringList& SQL() { return m_sql; }
    const QStringList& SQL() const { return m_sql; }
    // One line is shared, not copied: a statement may be megabytes long.
    QString SQLText() const {
        return m_sql.size() == 1 ? m_sql.first() : m_sql.join(QLatin1Char('\n'));
    }

    // Runs the statement and positions on the first row. A query that is open
    // on the same statement stays as it is; changed SQL reopens it. Only one
    // statement that begins with SELECT (or with brackets or WITH leading to
    // one) is run: any other text is refused before it reaches the database.
    // Throws EDatabaseError with the database's message (or that refusal).
    void Open();
    // Whether Open runs the statement so that it cannot write where the
    // database can promise it (SQLite: query_only; PostgreSQL and MySQL: a
    // read-only transaction that lasts while the query is open).
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool value) { m_readOnly = value; }
    // Runs a statement that returns no rows (several statements where the
    // database allows it). Returns the number of rows affected.
    int ExecSQL();
    // Runs the statement once, whatever it is. True when it returns rows:
    // the query is then open on them, as after Open. False when it returns
    // none: `affected` holds the rows it changed (a script of several
    // statements runs whole where the database allows it). Throws
    // EDatabaseError with the database's message.
    bool Run(int& affected);
    void Close();
    bool Active() const { return m_active; }
    void SetActive(bool value);

    const TFieldDefs& FieldDefs() const { return m_fieldDefs; }
    int FieldCount() const { return m_fieldDefs.Count(); }
    TField Fields(int index) const { return TField(this, index); }
    // Throws EDatabaseError "Field 'x' not found" for an unknown name.
    TField FieldByName(const QString& name) const;
    // nullptr-like check without raising.
    int FindField(const QString& name) const { return m_fieldDefs.IndexOf(name); }

    bool IsEmpty() const;
    int RecordCount() const;
    int RecNo() const { return m_eof && m_rows.empty() ? 0 : m_position + 1; }
    bool Eof() const { return m_eof; }
    bool Bof() const { return m_bof; }
    void First();
    void Next();

    // Rows fetched so far, for views of the result.
    int FetchedCount() const { return int(m_rows.size()); }
    bool AllFetched() const { return m_allFetched; }
    // Fetches up to `count` more rows; returns how many came.
    int FetchMore(int count) const;
    // Why the rows ended before the statement's end (the database's
    // message); empty when they did not.
    const QString& FetchError() const { return m_fetchError; }
    QVariant ValueAt(int row, int column) const;
    static QString DisplayText(const QVariant& value, TFieldType type);

signals:
    void AfterOpen();
    void AfterClose();

private:
    friend class TADOConnection;
    friend class TField;
    TADOConnection* WorkingConnection();
    void ConnectionGone(); // the connection is being destroyed
    bool FetchRow() const;
    // Takes over the cursor of a statement that returned rows.
    void Adopt(std::unique_ptr<QSqlQuery> cursor, TADOConnection* connection, const QString& text);

    TADOConnection* m_connection = nullptr;
    QString m_connectionString;
    std::unique_ptr<TADOConnection> m_ownConnection;
    QStringList m_sql;
    QString m_openedSql;
    bool m_active = false;
    TFieldDefs m_fieldDefs;
    // The cursor and the rows read from it; mutable so that readers can fetch.
    mutable std::unique_ptr<QSqlQuery> m_cursor;
    mutable std::vector<QList<QVariant>> m_rows;
    mutable bool m_allFetched = true;
    mutable QString m_fetchError;
    int m_position = 0;
    bool m_eof = true;
    bool m_bof = true;
    bool m_readOnly = false;
    bool m_holdsReadOnly = false; // a read-only transaction lasts while open
};

} // namespace quillary
