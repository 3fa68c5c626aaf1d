// The scanners: expression ends, keywords, phrases, sub-selects, and the
// normalisation of blanks, comments and dots.
#include "sqltext/Common.h"
#include "sqltext/ScanCore.h"

#include <algorithm>
#include <vector>

namespace quillary {

using namespace quillary::scan;

namespace {

// 1-based start -> 0-based index; positions before the text count as its start.
qsizetype StartIndex(int start) {
    return start < 1 ? 0 : qsizetype(start) - 1;
}

} // namespace

int FindExpEnd(const QString& s, QChar endChar, const QStringList* keywords, QString& found,
               int& keyPos, int start) {
    found.clear();
    keyPos = 0;
    std::vector<ExpKeyword> list;
    if (keywords) {
        list.reserve(size_t(keywords->size()));
        for (const QString& k : *keywords)
            list.push_back(MakeExpKeyword(k));
    }
    const ExpEnd end = FindExpEndIn(s, endChar.unicode(), !endChar.isNull(), list.data(),
                                    qsizetype(list.size()), StartIndex(start));
    if (end.Keyword >= 0) {
        found = keywords->at(end.Keyword);
        keyPos = int(end.KeyPos + 1);
    }
    return int(end.Result);
}

int FindKeyWord(const QString& s, const QString& keyword, int start) {
    const ExpKeyword key = MakeExpKeyword(keyword);
    const ExpEnd end = FindExpEndIn(s, 0, false, &key, 1, StartIndex(start));
    return end.Keyword >= 0 ? int(end.KeyPos + 1) : 0;
}

int IsBeginWithPhrase(const QString& phrase, const QString& s, int& endPos, int start,
                      bool ignoreCase) {
    PhraseMatch match;
    if (!MatchPhrase(s, StartIndex(start), phrase, ignoreCase, match)) {
        endPos = 0;
        return 0;
    }
    endPos = int(match.Next + 1);
    return int(match.Begin + 1);
}

int IsBeginWith(const QString& word, const QString& s, int& endPos, int start, bool) {
    return IsBeginWithPhrase(word, s, endPos, start, true);
}

bool FindSQLInExp(const QString& exp, int start, int& sqlStart, int& sqlEnd) {
    sqlStart = 0;
    sqlEnd = 0;
    const qsizetype n = exp.size();
    if (start > n) return false;
    static const QString kSelect = QStringLiteral("select");
    // One candidate per open parenthesis, so that «(select max(a) from t)»
    // is still found after its inner parentheses close.
    std::vector<qsizetype> candidates;
    MarkStack marks;
    qsizetype i = StartIndex(start);
    while (i < n) {
        const char16_t c = exp[i].unicode();
        if (!IsMarkChar(c)) {
            ++i;
            continue;
        }
        switch (ApplyMark(exp, i, marks)) {
        case MarkStep::Unmatched:
            return false;
        case MarkStep::Doubled:
            i += 2;
            continue;
        case MarkStep::Pushed:
            if (c == u'(') {
                PhraseMatch select;
                if (MatchPhrase(exp, i + 1, kSelect, true, select)) {
                    candidates.push_back(select.Begin);
                    i = select.Begin + kSelect.size();
                    continue;
                }
                candidates.push_back(-1);
            }
            break;
        case MarkStep::Popped:
            if (c == u')') {
                if (candidates.back() >= 0) {
                    sqlStart = int(candidates.back() + 1);
                    sqlEnd = int(i); // the position before the ")"
                    return true;
                }
                candidates.pop_back();
            }
            break;
        default:
            break;
        }
        ++i;
    }
    return false;
}

QString TrimAroundDot(const QString& s) {
    // Written out only from the first dot with a blank beside it: most
    // texts have none and are returned as they are.
    QString result;
    bool writing = false;
    QStringView rest = s;
    for (;;) {
        const ExpEnd dot = FindExpEndIn(rest, u'.', true, nullptr, 0, 0);
        if (dot.Result == 0 || dot.Result == rest.size()) {
            if (!writing) return s;
            result.append(rest);
            return result;
        }
        const QStringView before = rest.first(dot.Result), after = rest.sliced(dot.Result + 1);
        const QStringView trimmedBefore = TrimRightBlanks(before), trimmedAfter = TrimLeftBlanks(after);
        if (!writing && (trimmedBefore.size() != before.size() || trimmedAfter.size() != after.size())) {
            writing = true;
            result.reserve(s.size());
            result.append(QStringView(s).first(rest.data() - s.constData()));
        }
        if (writing) {
            result.append(trimmedBefore);
            result.append(u'.');
        }
        rest = trimmedAfter;
    }
}

QString TrimExp(const QString& s) {
    const qsizetype n = s.size();
    QString result(n, Qt::Uninitialized);
    QChar* out = result.data();
    const QChar* in = s.constData();
    qsizetype w = 0;
    MarkStack marks;
    bool lastKeptBlank = false;
    qsizetype i = 0;
    // Marks, blanks and "-" change what is written; runs of other characters
    // are copied as they are.
    static constexpr CharSet kTrimChars{u'(', u')', u'"', u'\'', u'[', u']',
                                        u'-', 8,    9,    10,    13,   32};
    while (i < n) {
        const char16_t c = in[i].unicode();
        if (!kTrimChars.Has(c)) {
            const qsizetype end = SkipOrdinary(s, i + 1, kTrimChars);
            std::copy(in + i, in + end, out + w);
            w += end - i;
            i = end;
            lastKeptBlank = false;
            continue;
        }
        if (IsMarkChar(c)) {
            lastKeptBlank = false;
            if (ApplyMark(s, i, marks) == MarkStep::Doubled) {
                out[w++] = in[i++];
                out[w++] = in[i++];
            } else {
                out[w++] = in[i++]; // an unmatched ")" is kept as it is
            }
            continue;
        }
        if (c == u'-') {
            lastKeptBlank = false;
            if (marks.IsEmpty() && i + 1 < n && in[i + 1] == u'-') {
                // A comment runs to the next carriage return (kept) or the end.
                while (i < n && in[i] != u'\r')
                    ++i;
                continue;
            }
            out[w++] = in[i++];
            continue;
        }
        if (!marks.IsEmpty() && marks.Top() != u'(') {
            lastKeptBlank = false; // inside quotes and brackets nothing changes
            out[w++] = in[i++];
            continue;
        }
        if (IsBlank(c)) {
            if (!lastKeptBlank) {
                out[w++] = QChar(u' ');
                lastKeptBlank = true;
            }
            ++i;
            continue;
        }
        lastKeptBlank = false;
        out[w++] = in[i++];
    }
    // Unchanged, the input is returned: a long statement is not held twice.
    if (w == n && QStringView(result) == QStringView(s)) return s;
    result.truncate(w);
    return result;
}

} // namespace quillary
