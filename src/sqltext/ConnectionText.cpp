#include "sqltext/ConnectionText.h"

namespace quillary {

namespace {

bool IsBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') ||
           c == QLatin1Char('\n');
}

bool OpensQuotedValue(QChar c) {
    return c == QLatin1Char('"') || c == QLatin1Char('\'') || c == QLatin1Char('{');
}

// Reads one text item by item; `At` is where it stands, and where a fault is
// reported.
struct TItemReader {
    QStringView Text;
    qsizetype At = 0;

    qsizetype Size() const { return Text.size(); }
    bool AtEnd() const { return At >= Size(); }
    QChar Here() const { return Text[At]; }
    void SkipBlanks() {
        while (!AtEnd() && IsBlank(Here()))
            ++At;
    }

    QString Fault(const QString& reason) const {
        return QStringLiteral("连接字符串有误（第 %1 个字符）：%2").arg(At + 1).arg(reason);
    }

    // The key up to a single "=" ("==" is a literal "="), trimmed; false
    // when the item ends without one.
    bool ReadKey(QString& key) {
        qsizetype run = At;
        while (!AtEnd() && Here() != QLatin1Char(';')) {
            if (Here() != QLatin1Char('=')) {
                ++At;
                continue;
            }
            if (At + 1 < Size() && Text[At + 1] == QLatin1Char('=')) {
                key.append(Text.sliced(run, At + 1 - run));
                At += 2;
                run = At;
                continue;
            }
            key.append(Text.sliced(run, At - run));
            ++At;
            key = key.trimmed();
            return true;
        }
        key.append(Text.sliced(run, At - run));
        key = key.trimmed();
        return false;
    }

    // A value in quotes or braces, the closing one doubled inside standing
    // for itself; only blanks may follow it before the ";".
    bool ReadQuotedValue(TConnectionItem& item, QString& fault) {
        const QChar open = Here();
        const QChar close = open == QLatin1Char('{') ? QLatin1Char('}') : open;
        const qsizetype start = At;
        item.ValueStart = At;
        qsizetype run = ++At;
        for (;;) {
            if (AtEnd()) {
                At = start;
                fault = Fault(QStringLiteral("“%1”的值以 %2 开头，却没有结束的 %3")
                                  .arg(item.Key, QString(open), QString(close)));
                return false;
            }
            if (Here() != close) {
                ++At;
                continue;
            }
            if (At + 1 < Size() && Text[At + 1] == close) {
                item.Value.append(Text.sliced(run, At + 1 - run));
                At += 2;
                run = At;
                continue;
            }
            item.Value.append(Text.sliced(run, At - run));
            ++At;
            break;
        }
        item.ValueEnd = At;
        SkipBlanks();
        if (!AtEnd() && Here() != QLatin1Char(';')) {
            fault = Fault(QStringLiteral("“%1”带引号的值后面还有别的文字").arg(item.Key));
            return false;
        }
        return true;
    }

    // A value up to the next ";", without its outer blanks.
    void ReadPlainValue(TConnectionItem& item) {
        const qsizetype start = At;
        while (!AtEnd() && Here() != QLatin1Char(';'))
            ++At;
        const QStringView raw = Text.sliced(start, At - start);
        const QStringView trimmed = raw.trimmed();
        item.Value = trimmed.toString();
        item.ValueStart = trimmed.isEmpty() ? start : start + (trimmed.data() - raw.data());
        item.ValueEnd = item.ValueStart + trimmed.size();
    }

    // The next item; false with `fault` on malformed text.
    bool ReadItem(TConnectionItem& item, QString& fault) {
        item.Start = At;
        if (!ReadKey(item.Key)) {
            fault = Fault(QStringLiteral("“%1”后面缺少“=”和值").arg(item.Key));
            return false;
        }
        if (item.Key.isEmpty()) {
            fault = Fault(QStringLiteral("有一个值前面没有键名"));
            return false;
        }
        SkipBlanks();
        if (!AtEnd() && OpensQuotedValue(Here())) {
            if (!ReadQuotedValue(item, fault)) return false;
        } else {
            ReadPlainValue(item);
        }
        if (!AtEnd()) ++At; // the ";"
        item.End = At;
        return true;
    }
};

} // namespace

bool ReadConnectionItems(QStringView text, QList<TConnectionItem>& items, QString* error) {
    items.clear();
    TItemReader reader{text};
    for (;;) {
        while (!reader.AtEnd() && (IsBlank(reader.Here()) || reader.Here() == QLatin1Char(';')))
            ++reader.At;
        if (reader.AtEnd()) return true;
        TConnectionItem item;
        QString fault;
        if (!reader.ReadItem(item, fault)) {
            if (error) *error = fault;
            return false;
        }
        items.append(std::move(item));
    }
}

bool IsDataLinkString(QStringView text) {
    return text.trimmed().startsWith(QLatin1String("File Name="), Qt::CaseInsensitive);
}

} // namespace quillary
