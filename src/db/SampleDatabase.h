#pragma once
// The embedded sample database (a small trading company), built into a SQLite
// file from the script examples/sample.sql that is compiled into the library.

#include <QString>

namespace quillary {

// $QUILLARY_SAMPLE_DB, else ~/.local/share/Quillary/sample.db.
QString DefaultSampleDatabasePath();
// The script the sample is built from.
QString SampleDatabaseScript();
// Builds the file when it does not exist yet (never half-built: the file
// appears only when the whole script ran). False with a reason on failure.
bool EnsureSampleDatabase(const QString& path, QString* error = nullptr);
// "Provider=SQLite;Persist Security Info=True;Data Source=<path>"
QString SqliteConnectionString(const QString& path);

} // namespace quillary
