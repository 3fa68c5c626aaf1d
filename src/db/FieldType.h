#pragma once
// Field types of result columns, in the component library's ordinal order:
// the designer's class codes ("1", "3", "6", "11", "5") are these ordinals.

#include <QMetaType>
#include <QString>

namespace quillary {

enum TFieldType : int {
    ftUnknown,     // 0
    ftString,      // 1
    ftSmallint,    // 2
    ftInteger,     // 3
    ftWord,        // 4
    ftBoolean,     // 5
    ftFloat,       // 6
    ftCurrency,    // 7
    ftBCD,         // 8
    ftDate,        // 9
    ftTime,        // 10
    ftDateTime,    // 11
    ftBytes,       // 12
    ftVarBytes,    // 13
    ftAutoInc,     // 14
    ftBlob,        // 15
    ftMemo,        // 16
    ftGraphic,     // 17
    ftFmtMemo,     // 18
    ftParadoxOle,  // 19
    ftDBaseOle,    // 20
    ftTypedBinary, // 21
    ftCursor,      // 22
    ftFixedChar,   // 23
    ftWideString,  // 24
    ftLargeint,    // 25
    ftADT,         // 26
    ftArray,       // 27
    ftReference,   // 28
    ftDataSet,     // 29
    ftOraBlob,     // 30
    ftOraClob,     // 31
    ftVariant,     // 32
    ftInterface,   // 33
    ftIDispatch,   // 34
    ftGuid,        // 35
    ftTimeStamp,   // 36
    ftFMTBcd,      // 37
};

// "ftInteger", "ftDate", ... for messages and the program's catalogue listing.
QString FieldTypeName(TFieldType type);

// SQLite declared column types ("VARCHAR(20)", "DATETIME", "DECIMAL(10,2)").
// An empty declaration (an expression) gives ftUnknown.
TFieldType FieldTypeFromSqliteDeclaration(const QString& declaration);
// ODBC SQL data type codes (SQL_VARCHAR, SQL_TYPE_DATE, ...).
TFieldType FieldTypeFromOdbcType(int sqlType);
// PostgreSQL type OIDs of the built-in types; others give ftUnknown.
TFieldType FieldTypeFromPostgresOid(int oid);
// MySQL and MariaDB column type codes (MYSQL_TYPE_*); `value` (the Qt value
// type) tells text from bytes where the code does not.
TFieldType FieldTypeFromMySqlType(int type, QMetaType value);
// The Qt value type, when a driver tells nothing better.
TFieldType FieldTypeFromMetaType(QMetaType type);

} // namespace quillary
