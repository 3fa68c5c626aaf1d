#pragma once
// The words that the SQL editors show as key words: every word of the
// designer's keyword tables, and the further words of the statements a user
// types (DDL, CASE, paging, ...). The one place where such words are listed.

#include <QStringList>
#include <QStringView>

namespace quillary {

// Key words beyond those of the keyword tables, lower case.
extern const QStringList sMoreKeyWords;

// Whether `word` is a key word, ignoring letter case.
bool IsSqlKeyword(QStringView word);

} // namespace quillary
