#pragma once
// The designer window the widget benchmarks drive: on an SQLite database
// that a script fills, in a folder of its own; made once, on first use, and
// gone before the application object, as its widgets must be.
#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "designer/Frm_Quillary.h"
#include "designer/QuillaryDialog.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <memory>
#include <sqlite3.h>

namespace quillary::bench {

class TBenchDesigner {
public:
    explicit TBenchDesigner(const QString& script) {
        const QString file = m_dir.filePath(QStringLiteral("bench.db"));
        sqlite3* db = nullptr;
        sqlite3_open(QFile::encodeName(file).constData(), &db);
        sqlite3_exec(db, script.toUtf8().constData(), nullptr, nullptr, nullptr);
        sqlite3_close(db);
        m_dialog.SetConnectionString(QStringLiteral("Provider=SQLite;Data Source=") + file);
        m_dialog.SetOwnConnection(std::make_unique<TADOConnection>(m_dialog.ConnectionString()));
        m_dialog.OwnConnection()->Open();
        m_form = std::make_unique<TFrm_Quillary>(&m_dialog);
        m_form->ResQuery->SetConnection(m_dialog.GetConn());
        m_form->GetTablesList(false);
        m_form->resize(900, 650);
        m_form->show();
        QApplication::processEvents();
    }
    TFrm_Quillary& Form() { return *m_form; }
    QString Path(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    TQuillaryDialog m_dialog;
    std::unique_ptr<TFrm_Quillary> m_form;
};

template <class T>
T& MadeOnce() {
    static std::unique_ptr<T> made;
    if (!made) {
        made = std::make_unique<T>();
        qAddPostRoutine([] { made.reset(); });
    }
    return *made;
}

} // namespace quillary::bench
