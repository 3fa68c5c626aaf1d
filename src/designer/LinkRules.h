#pragma once
// The rules by which a new link between two columns is refused, over the
// values of the two boxes and the links already made, so that the canvas and
// a design without widgets judge a link the same way.

#include "query/QueryDesign.h"

#include <QList>
#include <QString>

namespace quillary {

// A message to show: text and caption. An empty text shows nothing.
struct TLinkMessage {
    QString Text;
    QString Caption;
    bool operator==(const TLinkMessage&) const = default;
};

struct TLinkVerdict {
    bool Refused = false;
    // Why, when refused (empty text: refused without a word).
    TLinkMessage Refusal;
    // Shown before the refusal or the new link: ends whose row lies beyond
    // their box's columns. Such an end is kept as missing.
    QList<TLinkMessage> Notices;
    // The rows the new link keeps (-1 for a missing end) and their columns.
    int Row1 = -1;
    int Row2 = -1;
    QString Field1;
    QString Field2;
};

// Judges a link from row `row1` of box `box1` to row `row2` of box `box2`.
// `table1` and `table2` identify the boxes as Table1/Table2 do in `links`.
// In order: a negative row, the "*" row (silently), a box with itself, columns
// of different type classes, then, with ends beyond a box's columns kept as
// missing, a link that joins the same two columns already.
TLinkVerdict JudgeNewLink(const TDesignBox& box1, int table1, const TDesignBox& box2, int table2,
                          int row1, int row2, const QList<TDesignLink>& links);

// Whether a link other than links[except] joins the same two columns as
// `link`, in either direction.
bool IsAlreadyLinked(const QList<TDesignLink>& links, const TDesignLink& link,
                     qsizetype except = -1);

inline constexpr char kLinkedColumnGone[] = "无法插入链接！链接的字段已不存在！";
inline constexpr char kLinkToItself[] = "表不能与自身建立链接！";
inline constexpr char kAlreadyLinked[] = "These tables are already linked.";

} // namespace quillary
