#include "query/DesignTexts.h"

namespace quillary {

QStringView TrimmedCell(const QString& s) {
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && s[begin].unicode() <= 32)
        ++begin;
    while (end > begin && s[end - 1].unicode() <= 32)
        --end;
    return QStringView(s).sliced(begin, end - begin);
}

QString TrimCell(const QString& s) {
    const QStringView trimmed = TrimmedCell(s);
    return trimmed.size() == s.size() ? s : trimmed.toString();
}

qsizetype IndexOfText(const QStringList& list, const QString& text) {
    for (qsizetype i = 0; i < list.size(); ++i)
        if (list[i].compare(text, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

bool RemoveText(QStringList& list, const QString& text) {
    const qsizetype i = IndexOfText(list, text);
    if (i < 0) return false;
    list.removeAt(i);
    return true;
}

} // namespace quillary
