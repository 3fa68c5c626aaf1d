#include "SqlTextFuzz.h"

#include "../../tests/sqltext/model/LiteralModel.h"
#include "sqltext/Common.h"
#include "sqltext/ConnectionText.h"
#include "sqltext/ScanCore.h"
#include "sqltext/SqlDialect.h"
#include "sqltext/SqlStatements.h"
#include "sqltext/TextHash.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace quillary::fuzz {

namespace {

QString g_input; // the decoded input, for reports

QByteArray Escaped(const QString& s) {
    QByteArray out;
    for (QChar c : s) {
        const ushort u = c.unicode();
        if (u >= 32 && u < 127 && u != '\\')
            out += char(u);
        else
            out += QByteArray("\\u") + QByteArray::number(u, 16).rightJustified(4, '0');
    }
    return out;
}

[[noreturn]] void Fail(const char* what, const QString& got, const QString& expected) {
    std::fprintf(stderr,
                 "sqltext fuzz: %s differs\n  input:    \"%s\"\n  got:      \"%s\"\n"
                 "  expected: \"%s\"\n",
                 what, Escaped(g_input).constData(), Escaped(got).constData(),
                 Escaped(expected).constData());
    std::abort();
}

void Same(const char* what, const QString& got, const QString& expected) {
    if (got != expected) Fail(what, got, expected);
}

void Same(const char* what, int got, int expected) {
    if (got != expected) Fail(what, QString::number(got), QString::number(expected));
}

void Same(const char* what, const QStringList& got, const QStringList& expected) {
    if (got != expected)
        Fail(what, got.join(QStringLiteral(" | ")), expected.join(QStringLiteral(" | ")));
}

void Bound(const char* what, bool ok, int value) {
    if (!ok) Fail(what, QString::number(value), QStringLiteral("a position inside the text"));
}

const QChar kEndChars[] = {QChar(), u',', u'.',  u' ', u'(',  u')', u'\'', u'"',
                           u'[',    u']', u'\n', u'a', u'\r', u'-', u'=',  QChar()};

QStringList KeywordList(int which, const QString& extra) {
    switch (which) {
    case 0:
        return {QStringLiteral("from"), QStringLiteral("where")};
    case 1:
        return {QStringLiteral("group by"), QStringLiteral("order by"), QStringLiteral(" ")};
    case 2:
        return {extra, QStringLiteral("having")};
    default:
        return sLogical;
    }
}

void Scanners(const QString& text, const QString& extra, int start, QChar endChar,
              const QStringList* keywords, bool ignoreCase) {
    const int n = int(text.size());
    Same("LTrimSQLElement", LTrimSQLElement(text), literal::LTrim(text));
    Same("RTrimSQLElement", RTrimSQLElement(text), literal::RTrim(text));
    {
        QString l1, r1, l2, r2;
        Same("TrimSQLElement2", TrimSQLElement2(text, l1, r1),
             literal::TrimSQLElement2(text, l2, r2));
        Same("TrimSQLElement2 left", l1, l2);
        Same("TrimSQLElement2 right", r1, r2);
        Same("TrimSQLElement", TrimSQLElement(text), literal::TrimSQLElement(text));
    }
    Same("TrimAroundDot", TrimAroundDot(text), literal::TrimAroundDot(text));
    Same("TrimExp", TrimExp(text), literal::TrimExp(text));
    {
        QString f1, f2;
        int k1 = -1, k2 = -1;
        const int e1 = FindExpEnd(text, endChar, keywords, f1, k1, start);
        const int e2 = literal::FindExpEnd(text, endChar, keywords, f2, k2, start);
        Same("FindExpEnd", e1, e2);
        Same("FindExpEnd found", f1, f2);
        Same("FindExpEnd keyPos", k1, k2);
        Bound("FindExpEnd", e1 >= 0 && e1 <= n, e1);
        Bound("FindExpEnd keyPos", k1 >= 0 && k1 <= n, k1);
    }
    {
        const QString keyword = extra.isEmpty() ? QStringLiteral("from") : extra;
        const int k = FindKeyWord(text, keyword, start);
        Same("FindKeyWord", k, literal::FindKeyWord(text, keyword, start));
        Bound("FindKeyWord", k >= 0 && k <= n, k);
    }
    {
        int p1 = -1, p2 = -1;
        const int b1 = IsBeginWithPhrase(extra, text, p1, start, ignoreCase);
        Same("IsBeginWithPhrase", b1,
             literal::IsBeginWithPhrase(extra, text, p2, start, ignoreCase));
        Same("IsBeginWithPhrase endPos", p1, p2);
        Bound("IsBeginWithPhrase", b1 >= 0 && b1 <= n + 1 && p1 <= n + 1, b1);
        const int b3 = IsBeginWith(extra, text, p1, start, !ignoreCase);
        Same("IsBeginWith", b3, literal::IsBeginWithPhrase(extra, text, p2, start, true));
        Same("IsBeginWith endPos", p1, p2);
    }
    {
        // Also the way the designer looks for the sub-select under the caret.
        int position = start;
        for (int round = 0; round < 64 && position <= n; ++round) {
            int s1 = -1, e1 = -1, s2 = -1, e2 = -1;
            const bool f1 = FindSQLInExp(text, position, s1, e1);
            Same("FindSQLInExp", f1, literal::FindSQLInExp(text, position, s2, e2));
            Same("FindSQLInExp sqlStart", s1, s2);
            Same("FindSQLInExp sqlEnd", e1, e2);
            if (!f1) break;
            Bound("FindSQLInExp range", s1 >= 1 && s1 <= e1 + 1 && e1 < n, s1);
            position = e1 + 2;
        }
    }
}

void Helpers(const QString& text, const QString& extra, const QString& extra2, int mode) {
    {
        QString name = QStringLiteral("?"), alias = QStringLiteral("?");
        GetByName(text, name, alias, mode);
        // The alias, when there is one, is the end of the item and the name
        // a part of what precedes it.
        if (!alias.isEmpty()) {
            if (!text.endsWith(alias)) Fail("GetByName alias", alias, text);
            if (!text.left(text.size() - alias.size()).contains(name))
                Fail("GetByName name", name, text);
        } else if (name != text) {
            Fail("GetByName without alias", name, text);
        }
    }
    {
        QString expected = text;
        if (!extra.isEmpty()) expected.replace(extra, extra2);
        Same("ReplaceAll", ReplaceAll(text, extra, extra2), expected);
    }
    const QString name = extra.toUpper();
    if (!IsDataLinkString(text))
        Same("GetProperty", GetProperty(text, name), ExtractProperty(text, name));
}

void DataLinkFile(const QString& text, const QString& extra) {
    // GetProperty hands the value of "File Name" to the reader and reads
    // the string it returns.
    QString asked;
    const TDataLinkReader reader = [&](const QString& path) {
        asked = path;
        return text;
    };
    const QString name = extra.toUpper();
    const QString dataLink = QStringLiteral("File Name=") + extra;
    Same("GetProperty (data-link file)", GetProperty(dataLink, name, reader),
         ExtractProperty(text, name));
    Same("GetProperty (data-link path)", asked,
         ExtractProperty(dataLink, QStringLiteral("FILE NAME")));
}

void Clauses(const QString& text, const QString& extra, const QString& extra2, int start,
             const QStringList& keywords) {
    {
        const QString keyword = extra.isEmpty() ? QStringLiteral("select") : extra;
        QStringList i1, i2;
        QString k1, k2;
        int p1 = -1, p2 = -1;
        const QString m1 = AnalysisSQLClause(text, keyword, keywords, p1, k1, i1, start);
        const QString m2 = literal::AnalysisSQLClause(text, keyword, keywords, p2, k2, i2, start);
        Same("AnalysisSQLClause message", m1, m2);
        Same("AnalysisSQLClause items", i1, i2);
        Same("AnalysisSQLClause nextKeyword", k1, k2);
        Same("AnalysisSQLClause nextPos", p1, p2);
    }
    {
        QStringList l1, l2;
        AnalysisUnionClause(text, l1, extra2, extra, QStringLiteral("x"));
        literal::AnalysisUnionClause(text, l2, extra2, extra, QStringLiteral("x"));
        Same("AnalysisUnionClause", l1, l2);
        if (l1.size() % 4 != 0) Fail("AnalysisUnionClause groups", l1.join(u'|'), QString());
    }
    {
        QStringList l1, l2;
        AnalysisWhereClause(text, l1, extra2, extra, QStringLiteral("y"));
        literal::AnalysisWhereClause(text, l2, extra2, extra, QStringLiteral("y"));
        Same("AnalysisWhereClause", l1, l2);
        if (l1.size() % 6 != 0) Fail("AnalysisWhereClause groups", l1.join(u'|'), QString());
    }
    if (text.size() < 9999) {
        QStringList j1, t1, j2, t2;
        AnalysisFromClause(text, j1, t1);
        literal::AnalysisFromClause(text, j2, t2);
        Same("AnalysisFromClause tables", t1, t2);
        Same("AnalysisFromClause joins", j1, j2);
    }
}

void Stacks(const QString& text) {
    TStack chars;
    TStack_Str texts;
    std::vector<QChar> charModel;
    QStringList textModel;
    for (QChar c : text) {
        if (c == u'!') {
            const QChar top = charModel.empty() ? QChar() : charModel.back();
            if (!charModel.empty()) charModel.pop_back();
            Same("TStack::Pop", QString(chars.Pop()), QString(top));
            Same("TStack_Str::Pop", texts.Pop(),
                 textModel.isEmpty() ? QString() : textModel.takeLast());
        } else {
            chars.Push(c);
            charModel.push_back(c);
            const QString item = QString(c).repeated(2);
            for (qsizetype i = 0; i < textModel.size(); ++i)
                if (textModel[i].compare(item, Qt::CaseInsensitive) == 0) {
                    textModel.removeAt(i);
                    break;
                }
            texts.Push(item);
            textModel.append(item);
        }
        Same("TStack::fcount", chars.fcount(), int(charModel.size()));
        Same("TStack::Gettop", QString(chars.Gettop()),
             QString(charModel.empty() ? QChar() : charModel.back()));
        Same("TStack_Str::fcount", texts.fcount(), int(textModel.size()));
        Same("TStack_Str::Gettop", texts.Gettop(),
             textModel.isEmpty() ? QString() : textModel.last());
        if (chars.IsEmpty() != charModel.empty()) Fail("TStack::IsEmpty", text, QString());
    }
}

// Any text as a name comes back as itself; any text read as a name twice
// reads the same; the statements of a text lie inside it, in order; a text
// that passes as one query passes under each of its readings alone.
void NamesAndStatements(const QString& text, int which) {
    const TSqlDialect dialects[] = {TSqlDialect::Sqlite(), TSqlDialect::Postgres(),
                                    TSqlDialect::MySql(), TSqlDialect(dsSqlServer),
                                    TSqlDialect(dsOracle), TSqlDialect(dsNone)};
    const TSqlDialect& d = dialects[which % 6];
    if (!text.isEmpty()) {
        QStringList parts;
        const QString written = d.Name(text);
        if (!d.ReadName(written, parts) || parts != QStringList{text})
            Fail("TSqlDialect::Name read back", parts.join(QLatin1Char('|')), text);
    }
    const QString once = d.NameFromText(text);
    Same("TSqlDialect::NameFromText twice", d.NameFromText(once), once);
    const bool passes = SingleSelectFault(text).isEmpty();
    for (const TSqlReading reading : kSqlReadings) {
        qsizetype last = 0;
        for (const TSqlStatement& st : SplitStatements(text, reading)) {
            if (st.Start < last || st.End < st.Start || st.End > text.size())
                Fail("SplitStatements bounds", QString::number(st.Start), QString::number(last));
            last = st.End;
        }
        const TSqlReading one[] = {reading};
        if (passes && !SingleSelectFault(text, one).isEmpty())
            Fail("SingleSelectFault of one reading", text, QString());
        // Judged with the statements one reading found already, alike.
        QList<TSqlStatement> statements;
        SqlWords(text, reading, &statements);
        Same("SingleSelectFault with a reading done",
             SingleSelectFault(text, kSqlReadings, reading, statements),
             SingleSelectFault(text));
    }
    // A token's name hashes as the name it reads.
    if (QString name; ReadQuotedName(text, name))
        Same("NameHash", QString::number(NameHash(text)), QString::number(TextHash(name, true)));
    else
        Same("NameHash", QString::number(NameHash(text)), QString::number(TextHash(text, true)));
    SweepingStatements(text);

    // Lines broken for a view: only blanks become line breaks, and every
    // reading reads the same tokens and judges the text alike.
    const QString broken = WithLongLinesBroken(text, 8, 4);
    if (broken.size() != text.size()) Fail("WithLongLinesBroken size", broken, text);
    for (qsizetype i = 0; i < broken.size() && i < text.size(); ++i)
        if (broken[i] != text[i] && !(broken[i] == u'\n' && (text[i] == u' ' || text[i] == u'\t')))
            Fail("WithLongLinesBroken changed more than a blank", broken, text);
    for (const TSqlReading reading : kSqlReadings) {
        const QList<TSqlWord> before = SqlWords(text, reading), after = SqlWords(broken, reading);
        bool same = before.size() == after.size();
        for (qsizetype k = 0; same && k < before.size(); ++k)
            same = QStringView(text).mid(before[k].Start, before[k].End - before[k].Start) ==
                   QStringView(broken).mid(after[k].Start, after[k].End - after[k].Start);
        if (!same) Fail("WithLongLinesBroken tokens", broken, text);
    }
    if (SingleSelectFault(broken).isEmpty() != passes)
        Fail("WithLongLinesBroken judged otherwise", broken, text);
}

} // namespace

void RunSqlTextInput(const std::uint8_t* data, std::size_t size) {
    const std::uint8_t options = size > 0 ? data[0] : 0;
    const std::uint8_t position = size > 1 ? data[1] : 1;
    const QString decoded =
        size > 2 ? QString::fromUtf8(reinterpret_cast<const char*>(data + 2), qsizetype(size - 2))
                 : QString();
    g_input = decoded;
    const QStringList parts = decoded.split(QChar(0x1F));
    const QString text = parts.value(0);
    const QString extra = parts.value(1);
    const QString extra2 = parts.value(2);

    const int start = int(position % (text.size() + 3)); // 0 and past the end included
    const QChar endChar = kEndChars[options & 0x0F];
    const int listChoice = (options >> 4) & 0x03;
    const QStringList keywords = KeywordList(listChoice, extra);
    const bool ignoreCase = options & 0x40;
    const int mode = (options >> 7) & 1;
    // Every other input has its groups answered by the table at once; every
    // other one of each kind remembers the closes it found whatever its length.
    scan::WalkAllowance allowance;
    if (position & 1) allowance.PerCharacter = allowance.Fixed = 0;
    if (position & 2) allowance.RememberFrom = 0;
    scan::PlainWalkAllowance() = allowance;

    Scanners(text, extra, start, endChar, (options & 0x0F) == 0x0F ? nullptr : &keywords,
             ignoreCase);
    Helpers(text, extra, extra2, mode);
    if ((options & 0x30) == 0x30) DataLinkFile(text, extra);
    Clauses(text, extra, extra2, start, keywords);
    Stacks(text.left(256));
    NamesAndStatements(text, options);
}

} // namespace quillary::fuzz
