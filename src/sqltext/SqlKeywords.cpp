#include "sqltext/SqlKeywords.h"
#include "sqltext/Common.h"
#include "sqltext/DataSourceKind.h"
#include "sqltext/TextHash.h"

namespace quillary {

const QStringList sMoreKeyWords = {
    QStringLiteral("add"),         QStringLiteral("all"),        QStringLiteral("alter"),
    QStringLiteral("any"),         QStringLiteral("avg"),        QStringLiteral("begin"),
    QStringLiteral("between"),     QStringLiteral("by"),         QStringLiteral("case"),
    QStringLiteral("cast"),        QStringLiteral("check"),      QStringLiteral("column"),
    QStringLiteral("commit"),      QStringLiteral("constraint"), QStringLiteral("count"),
    QStringLiteral("create"),      QStringLiteral("cross"),      QStringLiteral("current"),
    QStringLiteral("database"),    QStringLiteral("default"),    QStringLiteral("delete"),
    QStringLiteral("distinct"),    QStringLiteral("drop"),       QStringLiteral("else"),
    QStringLiteral("end"),         QStringLiteral("escape"),     QStringLiteral("except"),
    QStringLiteral("exec"),        QStringLiteral("execute"),    QStringLiteral("exists"),
    QStringLiteral("false"),       QStringLiteral("fetch"),      QStringLiteral("first"),
    QStringLiteral("for"),         QStringLiteral("foreign"),    QStringLiteral("function"),
    QStringLiteral("grant"),       QStringLiteral("if"),         QStringLiteral("index"),
    QStringLiteral("insert"),      QStringLiteral("into"),       QStringLiteral("key"),
    QStringLiteral("last"),        QStringLiteral("limit"),      QStringLiteral("max"),
    QStringLiteral("min"),         QStringLiteral("natural"),    QStringLiteral("next"),
    QStringLiteral("null"),        QStringLiteral("nulls"),      QStringLiteral("offset"),
    QStringLiteral("on"),          QStringLiteral("only"),       QStringLiteral("over"),
    QStringLiteral("partition"),   QStringLiteral("percent"),    QStringLiteral("primary"),
    QStringLiteral("procedure"),   QStringLiteral("recursive"),  QStringLiteral("references"),
    QStringLiteral("replace"),     QStringLiteral("revoke"),     QStringLiteral("rollback"),
    QStringLiteral("row"),         QStringLiteral("rows"),       QStringLiteral("set"),
    QStringLiteral("some"),        QStringLiteral("sum"),        QStringLiteral("table"),
    QStringLiteral("then"),        QStringLiteral("ties"),       QStringLiteral("top"),
    QStringLiteral("transaction"), QStringLiteral("trigger"),    QStringLiteral("true"),
    QStringLiteral("truncate"),    QStringLiteral("unique"),     QStringLiteral("update"),
    QStringLiteral("using"),       QStringLiteral("values"),     QStringLiteral("view"),
    QStringLiteral("when"),        QStringLiteral("with")};

namespace {

// Every word of the tables, lower case.
TTextSet BuildKeyWords() {
    TTextSet words;
    for (const QStringList* table :
         {&sOuterJoin, &sLogical, &sRelaCh2, &sUnion, &sReservedWords, &sMoreKeyWords})
        for (const QString& entry : *table)
            for (const QString& word : entry.split(QLatin1Char(' '), Qt::SkipEmptyParts))
                words.insert(word.toLower());
    return words;
}

} // namespace

bool IsSqlKeyword(QStringView word) {
    static const TTextSet words = BuildKeyWords();
    // No key word is longer than this; longer words need no look-up.
    constexpr qsizetype kLongest = 16;
    if (word.isEmpty() || word.size() > kLongest) return false;
    char16_t lower[kLongest];
    for (qsizetype i = 0; i < word.size(); ++i) {
        const char16_t c = word[i].unicode();
        if (c >= 0x80) return false;
        lower[i] = c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
    }
    return words.contains(QString::fromRawData(reinterpret_cast<const QChar*>(lower), word.size()));
}

} // namespace quillary
