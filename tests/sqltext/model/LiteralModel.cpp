#include "LiteralModel.h"

#include "sqltext/Common.h"

namespace quillary::literal {

namespace {

bool IsBlank(QChar c) {
    const ushort u = c.unicode();
    return u == 8 || u == 9 || u == 10 || u == 13 || u == 32;
}

bool IsSeparator(QChar c) {
    return IsBlank(c) && c.unicode() != 10;
}

QChar LowerAscii(QChar c) {
    return c.unicode() >= 'A' && c.unicode() <= 'Z' ? QChar(c.unicode() + 32) : c;
}

bool IsMark(QChar c, bool all) {
    switch (c.unicode()) {
    case '(':
    case ')':
    case '\'':
        return true;
    case '"':
    case '[':
    case ']':
        return all;
    default:
        return false;
    }
}

enum class Step { Normal, Unmatched, Doubled };

// The mark rules for the character at 1-based position i.
Step Mark(const QString& s, int i, TStack& st, bool all = true) {
    const QChar c = s[i - 1];
    if (c == u'(') {
        if (st.IsEmpty() || st.Gettop() == u'(') st.Push(c);
    } else if (c == u')') {
        if (st.IsEmpty()) return Step::Unmatched;
        if (st.Gettop() == u'(') st.Pop();
    } else if (c == u'\'') {
        if (st.IsEmpty() || st.Gettop() != u'\'')
            st.Push(c);
        else if (i < s.size() && s[i] == u'\'')
            return Step::Doubled;
        else
            st.Pop();
    } else if (all && c == u'"') {
        if (st.IsEmpty())
            st.Push(c);
        else if (st.Gettop() == u'"')
            st.Pop();
    } else if (all && c == u'[') {
        if (st.IsEmpty()) st.Push(c);
    } else if (all && c == u']') {
        if (st.Gettop() == u'[') st.Pop();
    }
    return Step::Normal;
}

int Advance(Step step) {
    return step == Step::Doubled ? 2 : 1;
}

int IsBeginWith(const QString& word, const QString& s, int& endPos, int start) {
    return IsBeginWithPhrase(word, s, endPos, start, true);
}

} // namespace

QString LTrim(const QString& s) {
    int i = 0;
    while (i < s.size() && IsBlank(s[i]))
        ++i;
    return s.mid(i);
}

QString RTrim(const QString& s) {
    int n = int(s.size());
    while (n > 0 && IsBlank(s[n - 1]))
        --n;
    return s.left(n);
}

QString TrimSQLElement2(const QString& text, QString& left, QString& right) {
    QString s = text;
    QString result = s;
    left.clear();
    right.clear();
    for (;;) {
        s = RTrim(LTrim(s));
        if (s.isEmpty()) return result;
        if (s[0] != u'(' || s[s.size() - 1] != u')') return s;
        TStack st;
        bool stripped = false;
        int i = 2;
        while (i <= s.size()) {
            if (s[i - 1] == u')' && st.IsEmpty()) {
                if (i != s.size()) return s;
                s = s.mid(1, s.size() - 2);
                left += u'(';
                right += u')';
                result = s;
                stripped = true;
                break;
            }
            i += Advance(Mark(s, i, st));
        }
        if (!stripped) return result;
    }
}

QString TrimSQLElement(const QString& s) {
    QString l, r;
    return TrimSQLElement2(s, l, r);
}

QString TrimExp(const QString& text) {
    QString s = text;
    TStack st;
    bool blank = false;
    int i = 1;
    while (i <= s.size()) {
        const QChar c = s[i - 1];
        if (IsMark(c, true)) {
            blank = false;
            i += Advance(Mark(s, i, st)); // an unmatched ")" is ignored
            continue;
        }
        if (c == u'-') {
            blank = false;
            if (st.IsEmpty() && i < s.size() && s[i] == u'-') {
                qsizetype cr = s.indexOf(u'\r', i - 1);
                if (cr < 0) cr = s.size();
                s.remove(i - 1, cr - (i - 1));
                continue; // same position
            }
            ++i;
            continue;
        }
        if (!st.IsEmpty() && st.Gettop() != u'(') {
            blank = false;
            ++i;
            continue;
        }
        if (IsBlank(c)) {
            if (blank) {
                s.remove(i - 1, 1);
                continue;
            }
            s[i - 1] = u' ';
            blank = true;
            ++i;
            continue;
        }
        blank = false;
        ++i;
    }
    return s;
}

int IsBeginWithPhrase(const QString& phrase, const QString& s, int& endPos, int start,
                      bool ignoreCase) {
    endPos = 0;
    if (phrase.isEmpty()) return 0;
    if (start < 1) start = 1;
    if (start > s.size() + 1) start = int(s.size()) + 1;
    auto fold = [&](QChar c) { return ignoreCase ? LowerAscii(c) : c; };
    const QStringList words = phrase.split(u' ');
    int p = start; // 1-based position in s
    while (p <= s.size() && IsBlank(s[p - 1]))
        ++p;
    const int result = p;
    for (const QString& word : words) {
        for (int k = 0; k < word.size(); ++k)
            if (p + k > s.size() || fold(s[p + k - 1]) != fold(word[k])) return 0;
        p += int(word.size());
        if (p <= s.size() && !IsBlank(s[p - 1])) return 0;
        if (p <= s.size()) ++p; // the one blank after the word
        while (p <= s.size() && IsBlank(s[p - 1]))
            ++p;
    }
    endPos = p;
    return result;
}

int FindExpEnd(const QString& s, QChar endChar, const QStringList* keywords, QString& found,
               int& keyPos, int start) {
    found.clear();
    keyPos = 0;
    if (start < 1) start = 1;
    TStack st;
    int i = start;
    while (i <= s.size()) {
        const QChar c = s[i - 1];
        if (IsMark(c, true)) {
            const Step step = Mark(s, i, st);
            if (step == Step::Unmatched) return 0;
            i += Advance(step);
            continue;
        }
        if (!st.IsEmpty()) {
            ++i;
            continue;
        }
        if (!endChar.isNull() && c == endChar) return i - 1;
        if (keywords && IsSeparator(c)) {
            for (const QString& k : *keywords) {
                if (!k.isEmpty() && IsSeparator(k[0])) {
                    found = k;
                    keyPos = i;
                    return i - 1;
                }
                int endPos = 0;
                const int p = IsBeginWith(k, s, endPos, i + 1);
                if (p > 0) {
                    found = k;
                    keyPos = p;
                    return i - 1;
                }
            }
        }
        ++i;
    }
    return st.IsEmpty() ? int(s.size()) : 0;
}

int FindKeyWord(const QString& s, const QString& keyword, int start) {
    const QStringList list{keyword};
    QString found;
    int keyPos = 0;
    FindExpEnd(s, QChar(), &list, found, keyPos, start);
    return keyPos;
}

bool FindSQLInExp(const QString& e, int start, int& sqlStart, int& sqlEnd) {
    sqlStart = 0;
    sqlEnd = 0;
    if (start > e.size()) return false;
    if (start < 1) start = 1;
    TStack st;
    QList<int> starts; // one per pushed "("
    int i = start;
    while (i <= e.size()) {
        const QChar c = e[i - 1];
        if (c == u'(' && (st.IsEmpty() || st.Gettop() == u'(')) {
            st.Push(c);
            int endPos = 0;
            const int p = IsBeginWith(QStringLiteral("select"), e, endPos, i + 1);
            starts.append(p);
            i = p > 0 ? p + 6 : i + 1;
            continue;
        }
        if (c == u')' && st.IsEmpty()) return false;
        if (c == u')' && st.Gettop() == u'(') {
            if (starts.last() > 0) {
                sqlStart = starts.last();
                sqlEnd = i - 1;
                return true;
            }
            st.Pop();
            starts.removeLast();
            ++i;
            continue;
        }
        i += Advance(Mark(e, i, st));
    }
    return false;
}

QString TrimAroundDot(const QString& s) {
    QString found;
    int keyPos = 0;
    const int r = FindExpEnd(s, u'.', nullptr, found, keyPos, 1);
    if (r == 0 || r == s.size()) return s;
    return RTrim(s.left(r)) + u'.' + TrimAroundDot(LTrim(s.mid(r + 1)));
}

QString AnalysisSQLClause(const QString& sql, const QString& keyword,
                          const QStringList& nextKeywords, int& nextPos, QString& nextKeyword,
                          QStringList& items, int start) {
    nextKeyword.clear();
    nextPos = 0;
    if (start < 1) start = 1;
    const QString tail = sql.mid(start - 1);
    int endPos = 0;
    const int p = IsBeginWith(keyword, tail, endPos, 1);
    if (p == 0) return QStringLiteral("not Found KeyWord \"") + keyword + QStringLiteral("\" ");
    // Just after the last character of the keyword's last (non-empty) word.
    int current = p;
    int afterKeyword = p;
    const QStringList words = keyword.split(u' ');
    for (qsizetype w = 0; w < words.size(); ++w) {
        current += int(words[w].size());
        if (!words[w].isEmpty()) afterKeyword = current;
        while (w + 1 < words.size() && current <= tail.size() && IsBlank(tail[current - 1]))
            ++current;
    }
    current = afterKeyword;
    while (current <= tail.size()) {
        QString found;
        int keyPos = 0;
        const int r = FindExpEnd(tail, u',', &nextKeywords, found, keyPos, current);
        if (r == 0)
            return QStringLiteral("在【") + tail.left(current) + QStringLiteral("】后有语法错误！");
        items.append(TrimSQLElement(tail.mid(current - 1, r - current + 1)));
        if (keyPos > 0) {
            nextKeyword = found;
            nextPos = keyPos + start - 1;
            break;
        }
        current = r + 2;
    }
    return QString();
}

void AnalysisUnionClause(const QString& text, QStringList& list, const QString& openCarry,
                         const QString& closeCarry, const QString& nextOperator) {
    QString open, close;
    const QString s = TrimSQLElement2(text, open, close);
    if (s.isEmpty()) return;
    TStack st;
    int i = 1;
    while (i <= s.size()) {
        const QChar c = s[i - 1];
        if (IsMark(c, true)) {
            const Step step = Mark(s, i, st);
            if (step == Step::Unmatched) return;
            i += Advance(step);
            continue;
        }
        if (st.IsEmpty() && IsSeparator(c)) {
            for (const QString& op : sUnion) {
                int endPos = 0;
                const int p = IsBeginWithPhrase(op, s, endPos, i + 1, true);
                if (p == 0) continue;
                AnalysisUnionClause(s.left(p - 1), list, openCarry + open, QString(), op);
                AnalysisUnionClause(s.mid(endPos - 1), list, QString(), close + closeCarry,
                                    nextOperator);
                return;
            }
        }
        ++i;
    }
    list << openCarry + open << s << close + closeCarry << nextOperator;
}

void AnalysisWhereClause(const QString& text, QStringList& list, const QString& openCarry,
                         const QString& closeCarry, const QString& nextConnector) {
    QString open, close;
    QString s = TrimSQLElement2(text, open, close);
    int i = 1;
    int endPos = 0;
    const bool negated = IsBeginWith(QStringLiteral("not"), s, endPos, 1) > 0;
    if (negated) i = endPos;

    auto condition = [&](const QString& leftOperand, const QString& op, int valueStart) {
        const int andAt = FindKeyWord(s, QStringLiteral("and"), valueStart);
        const int orAt = FindKeyWord(s, QStringLiteral("or"), valueStart);
        int k = 0;
        QString connector;
        if (andAt > 0 && (orAt == 0 || andAt < orAt)) {
            k = andAt;
            connector = QStringLiteral("and");
        } else if (orAt > 0) {
            k = orAt;
            connector = QStringLiteral("or");
        }
        if (k == 0) {
            list << openCarry + open << leftOperand << op << s.mid(valueStart - 1)
                 << close + closeCarry << nextConnector;
            return;
        }
        list << openCarry + open << leftOperand << op
             << s.mid(valueStart - 1, qMax(0, k - 1 - valueStart)) << QString() << connector;
        AnalysisWhereClause(s.mid(k + connector.size()), list, QString(), close + closeCarry,
                            nextConnector);
    };

    TStack st;
    while (i <= s.size()) {
        const QChar c = s[i - 1];
        if (IsMark(c, false)) {
            const Step step = Mark(s, i, st, false);
            if (step == Step::Unmatched) return;
            i += Advance(step);
            continue;
        }
        if (!st.IsEmpty()) {
            ++i;
            continue;
        }
        if (IsSeparator(c)) {
            for (const QString& connector : sLogical) {
                int after = 0;
                if (IsBeginWith(connector, s, after, i + 1) == 0) continue;
                AnalysisWhereClause(s.left(i - 1), list, openCarry + open, QString(), connector);
                AnalysisWhereClause(s.mid(after - 1), list, QString(), close + closeCarry,
                                    nextConnector);
                return;
            }
            if (!negated) {
                for (const QString& op : sRelaCh2) {
                    int after = 0;
                    if (IsBeginWithPhrase(op, s, after, i + 1, true) == 0) continue;
                    condition(s.left(i - 1), op, after);
                    return;
                }
            }
            ++i;
            continue;
        }
        for (const QString& op : sRelaCh1) {
            if (c != op[0]) continue;
            if (op.size() == 1) {
                condition(s.left(i - 1), op, i + 1);
                return;
            }
            int j = i + 1;
            while (j <= s.size() && IsBlank(s[j - 1]))
                ++j;
            if (j > s.size() || s[j - 1] != op[1]) continue;
            s.remove(i, j - i - 1); // the blanks inside the operator
            condition(s.left(i - 1), op, i + 2);
            return;
        }
        ++i;
    }
    list << openCarry + open << s << QString() << QString() << close + closeCarry << nextConnector;
}

namespace {

QString Record(int kind, int first, int second) {
    return QString::asprintf("%d%4d%4d", kind, first, second);
}
int KindOf(const QString& r) {
    return r.left(1).toInt();
}
int FirstOf(const QString& r) {
    return r.mid(1, 4).trimmed().toInt();
}
int SecondOf(const QString& r) {
    return r.mid(5, 4).trimmed().toInt();
}

} // namespace

void AnalysisFromClause(const QString& text, QStringList& joinList, QStringList& tableList) {
    QString s = TrimSQLElement(text);
    if (s.isEmpty()) return;
    TStack marks;
    TStack_Str joins;
    bool noJoin = true;

    // Closes the pending join at the blank before position `blank`; cut is
    // the position of the keyword that closes it (0 at the end of the text).
    // Returns how many characters were deleted before the cut.
    auto close = [&](int blank, int cut) -> int {
        const QString on = joins.Pop();
        if (joins.IsEmpty()) { // a stray ON: its join was closed already
            if (cut == 0) return 0;
            s.remove(0, cut - 1);
            return cut - 1;
        }
        const QString join = joins.Pop();
        const int kind = KindOf(join);
        const QString digit = QString::number(kind);
        QString t = digit + s.mid(SecondOf(on) - 1, qMax(0, blank - SecondOf(on)));
        int k = FindKeyWord(t, QStringLiteral("and"), 2);
        while (k > 0) {
            joinList << digit + TrimSQLElement(t.mid(1, k - 2));
            t.remove(1, k + 1);
            k = FindKeyWord(t, QStringLiteral("and"), 2);
        }
        joinList << digit + TrimSQLElement(t.mid(1));
        const int leftStart = joins.IsEmpty() ? 1 : SecondOf(joins.Gettop());
        AnalysisFromClause(s.mid(leftStart - 1, qMax(0, FirstOf(join) - leftStart)), joinList,
                           tableList);
        AnalysisFromClause(s.mid(SecondOf(join) - 1, qMax(0, FirstOf(on) - SecondOf(join))),
                           joinList, tableList);
        if (cut == 0) return 0;
        s.remove(leftStart - 1, cut - leftStart);
        return cut - leftStart;
    };

    int i = 1;
    while (i <= s.size()) {
        const QChar c = s[i - 1];
        if (IsMark(c, true)) {
            const Step step = Mark(s, i, marks);
            if (step == Step::Unmatched) return;
            i += Advance(step);
            continue;
        }
        if (!marks.IsEmpty() || !IsSeparator(c)) {
            ++i;
            continue;
        }
        int kind = 0, p = 0, e = 0;
        for (int k = 0; k < sOuterJoin.size() && kind == 0; ++k) {
            p = IsBeginWithPhrase(sOuterJoin[k], s, e, i + 1, true);
            if (p > 0) kind = k + 1;
        }
        if (kind > 0) noJoin = false;
        if (kind == 0 && !joins.IsEmpty()) {
            p = IsBeginWith(QStringLiteral("on"), s, e, i + 1);
            if (p > 0) kind = 9;
        }
        if (kind == 0) {
            ++i;
            continue;
        }
        if (joins.IsEmpty() || KindOf(joins.Gettop()) != 9) {
            joins.Push(Record(kind, p, e));
            i = e;
            continue;
        }
        const int deleted = close(i, p);
        joins.Push(Record(kind, p - deleted, e - deleted));
        i = e - deleted;
    }
    if (noJoin) {
        tableList << s;
        return;
    }
    if (!joins.IsEmpty() && KindOf(joins.Gettop()) == 9) close(int(s.size()) + 1, 0);
}

} // namespace quillary::literal
