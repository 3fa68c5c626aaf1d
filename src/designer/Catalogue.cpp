// The form's data source: its kind, the table list, switching to another
// source and saving the connection string.
#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "db/ConnectionString.h"
#include "db/DataLinkPrompt.h"
#include "db/DatabaseError.h"
#include "db/Dialect.h"
#include "designer/ConnectionSession.h"
#include "designer/Frm_Quillary.h"
#include "designer/QuillaryDialog.h"
#include "grid/CellValueProps.h"
#include "grid/StringGridEx.h"
#include "platform/SettingsStore.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <memory>

namespace quillary {

namespace {

// Runs `sql` and collects its field TName; false when the query fails.
bool CollectNames(TADOConnection* connection, const QString& sql, QStringList& names) {
    TADOQuery query;
    query.SetConnection(connection);
    query.SQL() = QStringList{sql};
    try {
        query.Open();
        while (!query.Eof()) {
            names << query.FieldByName(QStringLiteral("TName")).AsString();
            query.Next();
        }
        return true;
    } catch (const EDatabaseError&) {
        query.Close();
        names.clear();
        return false;
    }
}

// Table names sort as a list box of the platform does: ignoring case.
class TTableItem : public QListWidgetItem {
public:
    using QListWidgetItem::QListWidgetItem;
    bool operator<(const QListWidgetItem& other) const override {
        const int c = text().compare(other.text(), Qt::CaseInsensitive);
        return c != 0 ? c < 0 : text() < other.text();
    }
};

} // namespace

int TFrm_Quillary::GetDSN() {
    if (m_dsn == dsNone) m_dsn = GetDataSourceType(m_session->Connection());
    return m_dsn;
}

TSqlDialect TFrm_Quillary::Dialect() {
    TADOConnection* connection = m_session->Connection();
    const int kind = GetDSN();
    if (!m_dialectKnown || m_dialectConnection != connection || m_dialect.Kind() != kind) {
        m_dialect = connection ? connection->Dialect().WithKind(kind) : TSqlDialect(kind);
        m_dialectConnection = connection;
        m_dialectKnown = true;
    }
    return m_dialect;
}

void TFrm_Quillary::GetTablesList(bool systemTables) {
    QBTables->clear();
    TADOConnection* connection = m_session->Connection();
    QStringList names;
    auto tableNames = [&](bool system) {
        try {
            if (connection) connection->GetTableNames(names, system);
        } catch (const EDatabaseError&) {
            names.clear(); // an unreadable catalogue leaves the list empty
        }
    };
    const TSqlDialect dialect = Dialect();
    if (!dialect.ListsTablesByOwner()) {
        tableNames(systemTables);
    } else if (!systemTables) {
        if (!CollectNames(connection, dialect::OracleTables(), names)) tableNames(false);
    } else {
        const QString user = connection->PropertyValue(QStringLiteral("User ID")).toUpper();
        if (!CollectNames(connection, dialect::OracleSystemTables(user), names) &&
            !CollectNames(connection, dialect::OracleTables(), names))
            tableNames(true);
    }
    // The list names tables as statements write them. Oracle's own
    // catalogue statements give owner.name texts: the parts are names.
    for (const QString& name : names) {
        if (!dialect.ListsTablesByOwner()) {
            new TTableItem(name, QBTables);
            continue;
        }
        const qsizetype dot = name.indexOf(QLatin1Char('.'));
        new TTableItem(dialect.QualifiedName(dot < 0 ? QStringList{name}
                                                    : QStringList{name.left(dot), name.mid(dot + 1)}),
                       QBTables);
    }
    QBTables->sortItems();
    FilterTableList();
}

void TFrm_Quillary::ShowTableList(bool& systemTables) {
    // The union panel offers the set operators this source runs.
    UnionGrid->PropValues()->Items(3)->SetPickList(Dialect().SetOperators());
    // A workbook's sheets are what the catalogue calls system tables.
    const bool sheets = Dialect().TablesAreSheets();
    if (sheets) systemTables = true;
    GetTablesList(systemTables);
    if (sheets) QuoteTableList();
    CheckBox2->setChecked(systemTables);
}

void TFrm_Quillary::QuoteTableList() {
    // A name that needed quotes has them already.
    for (int i = 0; i < QBTables->count(); ++i)
        if (!QBTables->item(i)->text().startsWith(QLatin1Char('"')))
            QBTables->item(i)->setText(QLatin1Char('"') + QBTables->item(i)->text() +
                                       QLatin1Char('"'));
}

int TFrm_Quillary::ChangeCSN(const QString& connectionString) {
    return ChangeCSN(connectionString, TConnectionOrigin::Application);
}

int TFrm_Quillary::ChangeCSN(const QString& connectionString, TConnectionOrigin origin) {
    if (m_session->CSN() == connectionString) return 0;
    std::unique_ptr<TADOConnection> connection = m_session->OpenNew(connectionString, origin);
    if (!connection) return -1;
    ResQuery->SetConnection(nullptr); // its rows belong to the old source
    m_session->SwitchTo(std::move(connection), connectionString, origin);

    SetDSN(GetDataSourceType(m_session->Connection()));
    ShowTableList(m_dialog->SystemTable);
    ResQuery->SetConnection(m_session->Connection());
    Init();
    ClearHistory(); // another data source: nothing to go back to
    return 1;
}

void TFrm_Quillary::TB_OPENSOURCEClick() {
    if (!GoOnDespiteRewrittenSql(QStringLiteral("SQL语句已经被改写,是否还是要改变数据库连接？")))
        return;
    ChangeCSN(PromptDataSource(this, m_session->CSN()));
}

void TFrm_Quillary::TB_SaveCSNClick() {
    // The machine store when it can be written (not so for most users), else
    // the user's own; a store that cannot be written is skipped without a word.
    // A password is kept only where the string allows it, owner-only.
    const QString key = QString::fromLatin1(kForgeKey);
    const QString value = QString::fromLatin1(kConnectionStringValue);
    const QString stored = TConnectionString::ForStorage(m_session->CSN());
    const TFileAccess access =
        TConnectionString::HoldsPassword(stored) ? TFileAccess::OwnerOnly : TFileAccess::Shared;
    if (!TSettingsStore::WriteString(TSettingsScope::Machine, key, value, stored, access))
        TSettingsStore::WriteString(TSettingsScope::User, key, value, stored, access);
}

} // namespace quillary
