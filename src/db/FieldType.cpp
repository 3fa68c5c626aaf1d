#include "db/FieldType.h"

#include <QDateTime>
#include <array>

namespace quillary {

QString FieldTypeName(TFieldType type) {
    static constexpr std::array<const char*, ftFMTBcd + 1> names = {
        "ftUnknown",    "ftString",     "ftSmallint", "ftInteger",     "ftWord",      "ftBoolean",
        "ftFloat",      "ftCurrency",   "ftBCD",      "ftDate",        "ftTime",      "ftDateTime",
        "ftBytes",      "ftVarBytes",   "ftAutoInc",  "ftBlob",        "ftMemo",      "ftGraphic",
        "ftFmtMemo",    "ftParadoxOle", "ftDBaseOle", "ftTypedBinary", "ftCursor",    "ftFixedChar",
        "ftWideString", "ftLargeint",   "ftADT",      "ftArray",       "ftReference", "ftDataSet",
        "ftOraBlob",    "ftOraClob",    "ftVariant",  "ftInterface",   "ftIDispatch", "ftGuid",
        "ftTimeStamp",  "ftFMTBcd"};
    const int index = int(type);
    if (index < 0 || index >= int(names.size())) return QStringLiteral("ftUnknown");
    return QString::fromLatin1(names[size_t(index)]);
}

TFieldType FieldTypeFromSqliteDeclaration(const QString& declaration) {
    // The base type name without length or precision: "VARCHAR(20)" -> "VARCHAR".
    QString base = declaration.trimmed().toUpper();
    if (base.isEmpty()) return ftUnknown;
    const qsizetype paren = base.indexOf(QLatin1Char('('));
    if (paren >= 0) base.truncate(paren);
    base = base.simplified();
    auto is = [&](std::initializer_list<const char*> names) {
        for (const char* n : names)
            if (base == QLatin1StringView(n)) return true;
        return false;
    };
    auto has = [&](const char* part) { return base.contains(QLatin1StringView(part)); };

    // Exact names first, then SQLite's own affinity rules (INT, CHAR/CLOB/TEXT,
    // BLOB, REAL/FLOA/DOUB) so that any declaration gets its natural class.
    if (is({"DATE"})) return ftDate;
    if (is({"TIME"})) return ftTime;
    if (is({"DATETIME", "TIMESTAMP", "SMALLDATETIME", "DATETIME2", "TIMESTAMPTZ",
            "TIMESTAMP WITH TIME ZONE", "TIMESTAMP WITHOUT TIME ZONE"}))
        return ftDateTime;
    if (is({"BOOLEAN", "BOOL", "BIT"})) return ftBoolean;
    if (is({"MONEY", "SMALLMONEY", "CURRENCY"})) return ftCurrency;
    if (is({"DECIMAL", "NUMERIC", "NUMBER"})) return ftBCD;
    if (is({"GUID", "UUID", "UNIQUEIDENTIFIER"})) return ftGuid;
    if (is({"TINYINT", "SMALLINT", "INT2", "INT1"})) return ftSmallint;
    if (is({"BIGINT", "INT8", "UNSIGNED BIG INT"})) return ftLargeint;
    if (has("INT")) return ftInteger;
    if (is({"NCHAR", "NATIVE CHARACTER"})) return ftFixedChar;
    if (is({"CHAR", "CHARACTER"})) return ftFixedChar;
    if (is({"NVARCHAR", "VARYING CHARACTER", "NATIONAL VARYING CHARACTER"})) return ftWideString;
    if (has("CLOB") || is({"MEMO", "LONGTEXT", "MEDIUMTEXT", "NTEXT", "LONGVARCHAR"}))
        return ftMemo;
    if (has("CHAR") || has("TEXT")) return ftString;
    if (has("BLOB") || is({"BINARY", "VARBINARY", "IMAGE", "BYTEA"})) return ftBlob;
    if (has("REAL") || has("FLOA") || has("DOUB")) return ftFloat;
    if (has("DATE") || has("TIME")) return ftDateTime;
    return ftUnknown;
}

TFieldType FieldTypeFromOdbcType(int sqlType) {
    switch (sqlType) {
    case 1:
        return ftFixedChar; // SQL_CHAR
    case 12:
        return ftString; // SQL_VARCHAR
    case -1:
        return ftMemo; // SQL_LONGVARCHAR
    case -8:
        return ftFixedChar; // SQL_WCHAR
    case -9:
        return ftWideString; // SQL_WVARCHAR
    case -10:
        return ftMemo; // SQL_WLONGVARCHAR
    case 2:            // SQL_NUMERIC
    case 3:
        return ftBCD; // SQL_DECIMAL
    case 4:
        return ftInteger; // SQL_INTEGER
    case 5:               // SQL_SMALLINT
    case -6:
        return ftSmallint; // SQL_TINYINT
    case -5:
        return ftLargeint; // SQL_BIGINT
    case 6:                // SQL_FLOAT
    case 7:                // SQL_REAL
    case 8:
        return ftFloat; // SQL_DOUBLE
    case -7:
        return ftBoolean; // SQL_BIT
    case 9:               // SQL_DATE (ODBC 2)
    case 91:
        return ftDate; // SQL_TYPE_DATE
    case 10:           // SQL_TIME (ODBC 2)
    case 92:
        return ftTime; // SQL_TYPE_TIME
    case 11:           // SQL_TIMESTAMP (ODBC 2)
    case 93:
        return ftDateTime; // SQL_TYPE_TIMESTAMP
    case -2:
        return ftBytes; // SQL_BINARY
    case -3:
        return ftVarBytes; // SQL_VARBINARY
    case -4:
        return ftBlob; // SQL_LONGVARBINARY
    case -11:
        return ftGuid; // SQL_GUID
    default:
        return ftUnknown;
    }
}

TFieldType FieldTypeFromPostgresOid(int oid) {
    switch (oid) {
    case 16:
        return ftBoolean; // bool
    case 17:
        return ftBlob; // bytea
    case 18:
        return ftFixedChar; // "char"
    case 19:
        return ftString; // name
    case 20:
        return ftLargeint; // int8
    case 21:
        return ftSmallint; // int2
    case 23:
        return ftInteger; // int4
    case 25:
        return ftWideString; // text: the everyday string type here
    case 26:
        return ftInteger; // oid
    case 114:             // json
    case 142:             // xml
    case 3802:
        return ftMemo; // jsonb
    case 700:          // float4
    case 701:
        return ftFloat; // float8
    case 790:
        return ftCurrency; // money
    case 1042:
        return ftFixedChar; // bpchar
    case 1043:
        return ftString; // varchar
    case 1082:
        return ftDate; // date
    case 1083:         // time
    case 1266:
        return ftTime; // timetz
    case 1114:         // timestamp
    case 1184:
        return ftDateTime; // timestamptz
    case 1700:
        return ftBCD; // numeric
    case 2950:
        return ftGuid; // uuid
    default:
        return ftUnknown;
    }
}

TFieldType FieldTypeFromMySqlType(int type, QMetaType value) {
    const bool bytes = value.id() == QMetaType::QByteArray;
    switch (type) {
    case 0:   // DECIMAL
    case 246: // NEWDECIMAL
        return ftBCD;
    case 1: // TINY
    case 2: // SHORT
    case 13:
        return ftSmallint; // YEAR
    case 3: // LONG
    case 9:
        return ftInteger; // INT24
    case 8:
        return ftLargeint; // LONGLONG
    case 4: // FLOAT
    case 5:
        return ftFloat; // DOUBLE
    case 10:
        return ftDate; // DATE
    case 11:
        return ftTime; // TIME
    case 7: // TIMESTAMP
    case 12:
        return ftDateTime; // DATETIME
    case 16:
        return ftBytes; // BIT
    case 15:  // VARCHAR
    case 253: // VAR_STRING: VARCHAR and VARBINARY
        return bytes ? ftVarBytes : ftString;
    case 254: // STRING: CHAR and BINARY
        return bytes ? ftBytes : ftFixedChar;
    case 245:
        return ftMemo; // JSON (MySQL; MariaDB's is LONGTEXT)
    case 249: // TINY_BLOB
    case 250: // MEDIUM_BLOB
    case 251: // LONG_BLOB
    case 252: // BLOB: the TEXT and BLOB types; TEXT is an everyday string type here
        return bytes ? ftBlob : ftWideString;
    default:
        return ftUnknown;
    }
}

TFieldType FieldTypeFromMetaType(QMetaType type) {
    switch (type.id()) {
    case QMetaType::Bool:
        return ftBoolean;
    case QMetaType::Short:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return ftSmallint;
    case QMetaType::UShort:
        return ftWord;
    case QMetaType::Int:
        return ftInteger;
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return ftLargeint;
    case QMetaType::Float:
    case QMetaType::Double:
        return ftFloat;
    case QMetaType::QString:
        return ftWideString;
    case QMetaType::QDate:
        return ftDate;
    case QMetaType::QTime:
        return ftTime;
    case QMetaType::QDateTime:
        return ftDateTime;
    case QMetaType::QByteArray:
        return ftBlob;
    case QMetaType::QUuid:
        return ftGuid;
    default:
        return ftUnknown;
    }
}

} // namespace quillary
