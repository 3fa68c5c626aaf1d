#pragma once
// Data-link files (".udl"): a connection string kept in a small text file,
// UTF-16LE with a byte-order mark (UTF-8 is accepted too), in the form
//   [oledb]
//   ; Everything after this line is an OLE DB initstring
//   Provider=...;Data Source=...

#include <QString>

namespace quillary {

inline constexpr char kDataLinkMarker[] = "; Everything after this line is an OLE DB initstring";

// The stored connection string; empty when the file cannot be read or holds
// no connection string, with the reason (in Chinese, naming the file) in
// *error. Only a regular file of at most 64 MB is read.
QString ReadDataLinkFile(const QString& path, QString* error = nullptr);
// Writes UTF-16LE with a byte-order mark, as the data-link tools do.
bool WriteDataLinkFile(const QString& path, const QString& connectionString);

} // namespace quillary
