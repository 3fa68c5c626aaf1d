#include "db/ADOQuery.h"
#include "db/ADOConnection.h"
#include "db/DatabaseError.h"
#include "db/Providers.h"
#include "sqltext/SqlStatements.h"

#include <QDateTime>
#include <charconv>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

namespace quillary {

int TFieldDefs::IndexOf(const QString& name) const {
    for (int i = 0; i < m_items.size(); ++i)
        if (m_items[i].Name.compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QString TField::FieldName() const {
    return m_query->m_fieldDefs[m_index].Name;
}

TFieldType TField::DataType() const {
    return m_query->m_fieldDefs[m_index].DataType;
}

QVariant TField::Value() const {
    if (!m_query->m_active || m_query->m_rows.empty()) return {};
    return m_query->ValueAt(m_query->m_position, m_index);
}

bool TField::IsNull() const {
    return Value().isNull();
}

QString TField::AsString() const {
    return TADOQuery::DisplayText(Value(), DataType());
}

TADOQuery::TADOQuery(QObject* parent) : QObject(parent) {}

TADOQuery::~TADOQuery() {
    Close();
    if (m_connection) m_connection->Detach(this);
}

void TADOQuery::SetConnection(TADOConnection* connection) {
    if (connection == m_connection) return;
    Close();
    if (m_connection) m_connection->Detach(this);
    m_connection = connection;
    if (m_connection) {
        m_connection->Attach(this);
        m_connectionString.clear();
    }
}

void TADOQuery::SetConnectionString(const QString& connectionString) {
    Close();
    if (m_connection) m_connection->Detach(this);
    m_connection = nullptr;
    m_connectionString = connectionString;
}

void TADOQuery::ConnectionGone() {
    Close();
    m_connection = nullptr;
}

TADOConnection* TADOQuery::WorkingConnection() {
    if (m_connection) return m_connection;
    if (m_connectionString.isEmpty())
        throw EDatabaseError(QStringLiteral(
            "查询没有数据库连接：既没有给出 Connection，也没有给出 ConnectionString"));
    if (!m_ownConnection || m_ownConnection->ConnectionString() != m_connectionString) {
        m_ownConnection = std::make_unique<TADOConnection>(m_connectionString);
        m_ownConnection->SetLoginPrompt(false);
    }
    return m_ownConnection.get();
}

void TADOQuery::SetActive(bool value) {
    if (value)
        Open();
    else
        Close();
}

void TADOQuery::Open() {
    const QString text = SQLText();
    if (m_active && text == m_openedSql) return;
    Close();
    if (text.trimmed().isEmpty()) throw EDatabaseError(QStringLiteral("查询没有要执行的 SQL 语句"));
    TADOConnection* connection = WorkingConnection();
    if (const QString fault = SingleSelectFault(text, connection->Dialect().Readings());
        !fault.isEmpty())
        throw EDatabaseError(fault);
    connection->Open();

    auto cursor =
        std::make_unique<QSqlQuery>(QSqlDatabase::database(connection->QtConnectionName(), false));
    cursor->setForwardOnly(true);
    if (m_readOnly) connection->BeginReadOnly();
    const bool ran = cursor->exec(text);
    // SQLite decides at the start of a statement whether it may write.
    const bool lasting = m_readOnly && provider::ReadOnlyLasts(connection->m_openKind);
    if (m_readOnly && (!ran || !lasting)) {
        const QSqlError error = cursor->lastError();
        if (!ran) cursor.reset();
        connection->EndReadOnly();
        if (!ran) throw EDatabaseError(provider::ErrorText(error));
    }
    if (!ran) throw EDatabaseError(provider::ErrorText(cursor->lastError()));
    if (!cursor->isSelect()) {
        cursor->finish();
        if (lasting) connection->EndReadOnly();
        throw EDatabaseError(
            QStringLiteral("这条 SQL 语句不返回结果集，不能用 Open 打开（请用 ExecSQL 执行）：%1")
                .arg(text.trimmed().left(200)));
    }

    Adopt(std::move(cursor), connection, text);
    m_holdsReadOnly = lasting;
}

void TADOQuery::Adopt(std::unique_ptr<QSqlQuery> cursor, TADOConnection* connection,
                      const QString& text) {
    m_fieldDefs.Clear();
    const QSqlRecord record = cursor->record();
    for (int i = 0; i < record.count(); ++i) {
        TFieldDef def;
        def.Name = provider::ColumnName(connection->m_openKind, *cursor, record, i);
        def.DataType = provider::ColumnType(connection->m_openKind, *cursor, record, i);
        def.Size = std::max(0, record.field(i).length());
        m_fieldDefs.Add(def);
    }
    m_cursor = std::move(cursor);
    m_rows.clear();
    m_allFetched = false;
    m_fetchError.clear();
    m_active = true;
    m_openedSql = text;
    First();
    emit AfterOpen();
}

bool TADOQuery::Run(int& affected) {
    affected = 0;
    const QString text = SQLText();
    Close();
    if (text.trimmed().isEmpty())
        throw EDatabaseError(QStringLiteral("The query has no SQL statement"));
    TADOConnection* connection = WorkingConnection();
    connection->Open();
    connection->EndReadOnlyRuns(); // what follows may write
    const QString qtName = connection->QtConnectionName();
    if (!provider::MayReturnRows(connection->m_openKind, qtName, text)) {
        affected = provider::Execute(connection->m_openKind, qtName, text);
        return false;
    }
    auto cursor = std::make_unique<QSqlQuery>(QSqlDatabase::database(qtName, false));
    cursor->setForwardOnly(true);
    if (!cursor->exec(text)) throw EDatabaseError(provider::ErrorText(cursor->lastError()));
    if (!cursor->isSelect()) {
        affected = std::max(0, cursor->numRowsAffected());
        cursor->finish();
        return false;
    }
    Adopt(std::move(cursor), connection, text);
    return true;
}

int TADOQuery::ExecSQL() {
    const QString text = SQLText();
    if (text.trimmed().isEmpty()) throw EDatabaseError(QStringLiteral("查询没有要执行的 SQL 语句"));
    Close();
    TADOConnection* connection = WorkingConnection();
    connection->Open();
    connection->EndReadOnlyRuns(); // it may write
    return provider::Execute(connection->m_openKind, connection->QtConnectionName(), text);
}

void TADOQuery::Close() {
    if (!m_active) return;
    if (m_cursor) m_cursor->finish();
    m_cursor.reset();
    if (m_holdsReadOnly) {
        m_holdsReadOnly = false;
        if (TADOConnection* connection = m_connection ? m_connection : m_ownConnection.get())
            connection->EndReadOnly();
    }
    m_rows.clear();
    m_allFetched = true;
    m_active = false;
    m_position = 0;
    m_eof = m_bof = true;
    m_openedSql.clear();
    emit AfterClose();
}

bool TADOQuery::FetchRow() const {
    if (m_allFetched || !m_cursor) return false;
    // A failing fetch (a dropped connection) ends the rows rather than
    // raising inside a view's paint; FetchError() tells it.
    if (!m_cursor->next()) {
        if (m_cursor->lastError().isValid())
            m_fetchError = provider::ErrorText(m_cursor->lastError());
        m_allFetched = true;
        // The rows are all here: what the database keeps for the running
        // statement (its program, for a long one many megabytes) goes now.
        m_cursor.reset();
        return false;
    }
    QList<QVariant> row;
    const int columns = m_fieldDefs.Count();
    row.reserve(columns);
    for (int i = 0; i < columns; ++i)
        row.append(m_cursor->value(i));
    m_rows.push_back(std::move(row));
    return true;
}

int TADOQuery::FetchMore(int count) const {
    int fetched = 0;
    while (fetched < count && FetchRow())
        ++fetched;
    return fetched;
}

QVariant TADOQuery::ValueAt(int row, int column) const {
    if (row < 0 || column < 0 || column >= m_fieldDefs.Count()) return {};
    while (size_t(row) >= m_rows.size())
        if (!FetchRow()) return {};
    const QList<QVariant>& values = m_rows[size_t(row)];
    return column < values.size() ? values[column] : QVariant();
}

void TADOQuery::First() {
    if (!m_active) return;
    if (m_rows.empty()) FetchRow();
    m_position = 0;
    m_bof = true;
    m_eof = m_rows.empty();
}

void TADOQuery::Next() {
    if (!m_active || m_eof) return;
    if (size_t(m_position) + 1 < m_rows.size() || FetchRow()) {
        ++m_position;
        m_bof = false;
    } else {
        m_eof = true;
    }
}

bool TADOQuery::IsEmpty() const {
    if (!m_active) return true;
    if (m_rows.empty()) FetchRow();
    return m_rows.empty();
}

int TADOQuery::RecordCount() const {
    if (!m_active) return 0;
    while (FetchRow()) {
    }
    return int(m_rows.size());
}

TField TADOQuery::FieldByName(const QString& name) const {
    const int index = m_fieldDefs.IndexOf(name);
    if (index < 0) throw EDatabaseError(QStringLiteral("查询结果中没有字段“%1”").arg(name));
    return TField(this, index);
}

QString TADOQuery::DisplayText(const QVariant& value, TFieldType type) {
    if (value.isNull() || !value.isValid()) return {};
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate);
    case QMetaType::QTime:
        return value.toTime().toString(QStringLiteral("hh:mm:ss"));
    case QMetaType::QDateTime:
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    case QMetaType::Float: {
        // A single-precision value in its own shortest digits: widened to
        // double it would show the noise of its binary form.
        char digits[32];
        const auto end = std::to_chars(digits, digits + sizeof digits, value.toFloat()).ptr;
        return QString::fromLatin1(digits, end - digits);
    }
    case QMetaType::QByteArray:
        if (type == ftMemo || type == ftString || type == ftFixedChar || type == ftWideString)
            return QString::fromUtf8(value.toByteArray());
        return QStringLiteral("(BLOB)");
    default:
        return value.toString();
    }
}

} // namespace quillary
