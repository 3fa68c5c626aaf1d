#pragma once
// Texts that several parts of the design share: the markers of the order
// lists, the names of the union grid's rows, the caption of the designer's messages, the line break
// of the statements it writes, and the blank trimming of grid cells.

#include <QString>
#include <QStringList>

namespace quillary {

// Begins every chosen sort column; its length is the constant's, never a number.
inline constexpr char kDescendingMarker[] = "降序        ";
// Begins a computed column among the sort candidates.
inline constexpr char kComputedMarker[] = "计算列：";
inline constexpr char kHintCaption[] = "提示";
inline constexpr char kCrLf[] = "\r\n";

inline QString DescendingMarker() {
    return QString::fromUtf8(kDescendingMarker);
}
inline QString ComputedMarker() {
    return QString::fromUtf8(kComputedMarker);
}

// The name of the union grid's row of `part` (0 the main statement).
inline QString UnionRowName(qsizetype part) {
    return QStringLiteral("union") + QString::number(part);
}

// s without the control characters and blanks (code 32 and below) at both
// ends: how a cell is trimmed before it is judged empty or written.
QString TrimCell(const QString& s);
// The same, as a view of `s`.
QStringView TrimmedCell(const QString& s);

// List-box searches ignore letter case.
qsizetype IndexOfText(const QStringList& list, const QString& text);
inline bool HoldsText(const QStringList& list, const QString& text) {
    return IndexOfText(list, text) >= 0;
}
// Removes the first entry equal to text ignoring case; true when one was there.
bool RemoveText(QStringList& list, const QString& text);

} // namespace quillary
