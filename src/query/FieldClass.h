#pragma once
// Classes of column types: two columns can be joined only when their types
// fall in the same class (or both in none).

#include <QString>

namespace quillary {

// The class of a field type (TFieldType ordinal): 0 character, 1 integer,
// 2 floating point, 3 date, 4 boolean; -1 for every other type.
int FieldClassOf(int fieldType);

// Mode 1 gives the class name ("字符型", ...), mode 2 its code ("1", "3",
// "6", "11", "5"). A type outside the classes leaves `result` as it is; any
// other mode empties it.
void GetDataType(int fieldType, int mode, QString& result);

// Whether PostgreSQL converts a value of type `narrow` to type `wide` to
// compare the two (smallint to integer, integer to numeric, varchar to
// text, date to timestamp, …): the type both then have is `wide`.
bool PostgresWidens(int narrow, int wide);

} // namespace quillary
