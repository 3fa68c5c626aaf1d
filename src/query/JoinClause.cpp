#include "query/JoinClause.h"
#include "sqltext/Common.h"
#include "sqltext/SqlStatements.h"
#include "sqltext/TextHash.h"

#include <QHash>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <vector>

namespace quillary {

// The boxes `text` names before a dot ("t.k", "s.v.k", "\"t\".k", "t.*"),
// in order, each once: the longest run of parts before the last dot that
// is a box's name, as written or as the database reads it.
QList<int> QualifierBoxes(const QueryDesign& design, const QString& text) {
    QList<int> boxes;
    const QList<TSqlWord> words = SqlWords(text, design.Dialect.Readings().front());
    const auto isPart = [&](qsizetype i) {
        return i >= 0 && i < words.size() &&
               (words[i].Kind == TSqlWord::Word || words[i].Kind == TSqlWord::Name);
    };
    const auto isSymbol = [&](qsizetype i, char16_t c) {
        return i >= 0 && i < words.size() && words[i].Kind == TSqlWord::Symbol &&
               words[i].End - words[i].Start == 1 && text[words[i].Start] == c;
    };
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (!isPart(i) || isSymbol(i - 1, u'.')) continue;
        QList<qsizetype> parts{i};
        while (isSymbol(parts.last() + 1, u'.') && isPart(parts.last() + 2))
            parts << parts.last() + 2;
        const bool star = isSymbol(parts.last() + 1, u'.') && isSymbol(parts.last() + 2, u'*');
        i = parts.last();
        for (qsizetype n = star ? parts.size() : parts.size() - 1; n >= 1; --n) {
            const qsizetype from = words[parts[0]].Start, to = words[parts[n - 1]].End;
            const QString written = text.mid(from, to - from);
            int box = design.FindTable(written);
            if (box < 0) box = design.FindTable(design.Dialect.NameFromText(written));
            if (box < 0) continue;
            if (!boxes.contains(box)) boxes << box;
            break;
        }
    }
    return boxes;
}

namespace {

// How a box stands in join text: a sub-query as its bracketed text first.
QString BoxText(const TDesignBox& box) {
    QString text;
    if (box.Kind == 'Q') text = QLatin1Char('(') + box.SourceText + QLatin1String(") ");
    text += box.TableName;
    if (!box.Alias.isEmpty()) text += QLatin1Char(' ') + box.Alias;
    return text;
}

// The same, with the boxes cross joined with it.
QString BoxText(const QueryDesign& design, int box, const QHash<int, QList<int>>& crossed) {
    const auto it = crossed.constFind(box);
    if (it == crossed.cend()) return BoxText(design.Boxes[box]);
    QString text = QLatin1Char('(') + BoxText(design.Boxes[box]);
    for (const int other : *it)
        text += QLatin1String(" CROSS JOIN ") + BoxText(design.Boxes[other]);
    return text + QLatin1Char(')');
}

struct Pending {
    int Link;
    int Visited = -1; // the round in which the walk passed it without progress
};

// The join text is built as nested slots: a table stands in a slot of its
// own, so that the bracketed join that takes its place is put into the slot
// instead of rewriting the text. The text is written once at the end.
struct Piece {
    QString Text;
    int Slot = -1; // >= 0: the contents of that slot stand here
};

class JoinWriter {
public:
    JoinWriter(const QueryDesign& design, const std::vector<Pending>& pending)
        : FDesign(design), FCrossed(CrossJoinedBoxes(design)),
          FPending(pending.begin(), pending.end()), FNames(design.Links.size()),
          FPairs(design.Links.size()) {
        FBoxWritten.resize(std::size_t(design.Boxes.size()));
        for (const Pending& p : pending) {
            const TDesignLink& link = design.Links[p.Link];
            const QString a = Name(link.Table1);
            const QString b = Name(link.Table2);
            FNames[p.Link] = {a, b};
            FPairs[p.Link] = TTextKey(a < b ? a + QChar(0) + b : b + QChar(0) + a);
            FBetween[FPairs[p.Link]].push_back(p.Link);
        }
    }

    QString Run() {
        FSlots.emplace_back(); // slot 0: the first join
        std::vector<Piece> first;
        if (Reach(FPending[0].Link) != TReach::Within) FOutOfReach << FPending[0].Link;
        if (!WriteLink(0, first)) return QStringLiteral("-1");
        FSlots[0] = std::move(first);
        Record();
        std::size_t k = 0;
        while (!FPending.empty()) {
            if (k >= FPending.size()) k = 0;
            const int index = FPending[k].Link;
            const auto& [name1, name2] = FNames[index];
            const bool has1 = FPlaced.contains(name1);
            const bool has2 = FPlaced.contains(name2);
            if (has1 && has2) return QStringLiteral("-1");
            if (!has1 && !has2) {
                if (FPending[k].Visited == FRound) return QStringLiteral("-2");
                FPending[k].Visited = FRound;
                k = (k + 1) % FPending.size();
                continue;
            }
            const TReach reach = Reach(index);
            if (reach == TReach::Written) {
                // A condition that names boxes written before it: the join
                // comes after all that is written, as a chain of joins reads.
                std::vector<Piece> joined = std::move(FSlots[0]);
                const int whole = int(FSlots.size());
                FSlots.push_back(std::move(joined));
                std::vector<Piece> written;
                if (!WriteLink(k, written, has1 ? 0 : 1, whole)) return QStringLiteral("-1");
                FSlots[0] = std::move(written);
            } else {
                if (reach == TReach::Beyond) FOutOfReach << index;
                // The table already written is the anchor: the bracketed
                // join, which repeats it, takes its place.
                const int anchor = FPlaced.value(has1 ? name1 : name2);
                std::vector<Piece> written{{QStringLiteral("("), -1}};
                if (!WriteLink(k, written)) return QStringLiteral("-1");
                written.push_back({QStringLiteral(")"), -1});
                FSlots[anchor] = std::move(written);
            }
            Record();
            ++FRound; // progress: every link may be reachable again
        }
        return Text();
    }

    // The links whose further condition names a box the text has not
    // written where that condition stands.
    const QList<int>& OutOfReach() const { return FOutOfReach; }

private:
    QString Name(int box) const { return FDesign.Boxes[box].GetTableName(); }

    int NewSlot(const QString& text) {
        FSlots.push_back({{text, -1}});
        return int(FSlots.size()) - 1;
    }

    // Appends pending link p (and the other links between the same two
    // boxes) to `pieces`, each table in a new slot kept in FNew until
    // Record(). False when two links between the boxes disagree.
    // With `whole`, the table on side `placed` (0 or 1) is already written:
    // the bracketed text written so far, in slot `whole`, stands there.
    bool WriteLink(std::size_t p, std::vector<Piece>& pieces, int placed = -1, int whole = -1) {
        const int index = FPending[p].Link;
        const TDesignLink& link = FDesign.Links[index];
        const auto& [name1, name2] = FNames[index];
        const auto slotOf = [&](int side, int box) {
            if (side != placed) return NewSlot(BoxText(FDesign, box, FCrossed));
            FSlots.push_back(
                {{QStringLiteral("("), -1}, {QString(), whole}, {QStringLiteral(")"), -1}});
            return int(FSlots.size()) - 1;
        };
        FNew[0] = {name1, slotOf(0, link.Table1)};
        FNew[1] = {name2, slotOf(1, link.Table2)};
        FNewBoxes[0] = link.Table1;
        FNewBoxes[1] = link.Table2;
        FWritten = placed;
        QString on = QLatin1String(" on ") +
                     Condition(name1, Column(link.Field1), name2, Column(link.Field2)) +
                     Further(link);

        // The other links between the same two tables, in pending order.
        std::vector<int>& between = FBetween[FPairs[index]];
        for (const int o : between) {
            if (o == index) continue;
            const TDesignLink& other = FDesign.Links[o];
            const auto& [other1, other2] = FNames[o];
            if (other1 == name1 && other2 == name2) {
                if (other.JoinType != link.JoinType) return false;
                on += QLatin1String(" and ") +
                      Condition(name1, Column(other.Field1), name2, Column(other.Field2)) +
                      Further(other);
            } else {
                const bool agree = (other.JoinType == 0 && link.JoinType == 0) ||
                                   std::abs(other.JoinType - link.JoinType) == 1;
                if (!agree) return false;
                on += QLatin1String(" and ") +
                      Condition(other2, Column(other.Field2), other1, Column(other.Field1)) +
                      Further(other);
            }
        }
        const bool several = between.size() > 1;
        between.clear();
        if (several)
            std::erase_if(FPending,
                          [&](const Pending& e) { return FPairs[e.Link] == FPairs[index]; });
        else
            FPending.erase(FPending.begin() + std::ptrdiff_t(p));
        pieces.push_back({QString(), FNew[0].second});
        pieces.push_back({QLatin1Char(' ') + JoinKeyword(link.JoinType) + QLatin1Char(' '), -1});
        pieces.push_back({QString(), FNew[1].second});
        pieces.push_back({on, -1});
        return true;
    }

    QString Column(const QString& field) const { return ColumnText(FDesign, field); }
    static QString Further(const TDesignLink& link) {
        return link.Condition.trimmed().isEmpty() ? QString()
                                                  : QLatin1String(" and ") + link.Condition;
    }

    static QString Condition(const QString& n1, const QString& f1, const QString& n2,
                             const QString& f2) {
        return n1 + QLatin1Char('.') + f1 + QLatin1Char('=') + n2 + QLatin1Char('.') + f2;
    }

    // The tables just written take their slots; a table written before
    // keeps its own, which the text written so far holds.
    void Record() {
        for (int side = 0; side < 2; ++side) {
            if (side != FWritten) FPlaced.insert(FNew[side].first, FNew[side].second);
            const int box = FNewBoxes[side];
            FBoxWritten[std::size_t(box)] = true;
            for (const int other : FCrossed.value(box))
                FBoxWritten[std::size_t(other)] = true;
        }
    }

    enum class TReach {
        Within,  // the further conditions name no box but the link's own
        Written, // ... and boxes written before
        Beyond,  // ... and a box not written before
    };
    // What the further conditions of a link and those between the same two
    // boxes name, against what is written.
    TReach Reach(int index) const {
        const TDesignLink& link = FDesign.Links[index];
        const auto own = [&](int box) {
            return box == link.Table1 || box == link.Table2 ||
                   FCrossed.value(link.Table1).contains(box) ||
                   FCrossed.value(link.Table2).contains(box);
        };
        TReach reach = TReach::Within;
        for (const int l : FBetween.value(FPairs[index])) {
            if (FDesign.Links[l].Condition.trimmed().isEmpty()) continue;
            for (const int box : QualifierBoxes(FDesign, FDesign.Links[l].Condition)) {
                if (own(box)) continue;
                if (!FBoxWritten[std::size_t(box)]) return TReach::Beyond;
                reach = TReach::Written;
            }
        }
        return reach;
    }

    // The slots written out from the first one, without recursion.
    QString Text() const {
        QString text;
        std::vector<std::pair<int, std::size_t>> stack{{0, 0}};
        while (!stack.empty()) {
            auto& [slot, next] = stack.back();
            if (next == FSlots[slot].size()) {
                stack.pop_back();
                continue;
            }
            const Piece& piece = FSlots[slot][next++];
            if (piece.Slot >= 0)
                stack.push_back({piece.Slot, 0});
            else
                text += piece.Text;
        }
        return text;
    }

    const QueryDesign& FDesign;
    const QHash<int, QList<int>> FCrossed;  // CrossJoinedBoxes
    std::deque<Pending> FPending;           // erased mostly at the front
    std::vector<std::vector<Piece>> FSlots; // slot 0 holds the first join
    TTextHash<int> FPlaced;                 // table name -> the slot where it stands now
    std::pair<QString, int> FNew[2];
    int FNewBoxes[2] = {-1, -1};
    int FWritten = -1;             // the side of the new link written before, or -1
    std::vector<bool> FBoxWritten; // by box
    QList<int> FOutOfReach;        // links
    std::vector<std::pair<QString, QString>> FNames; // of every link: its two table names
    std::vector<TTextKey> FPairs;                    // ... in either order, as one key
    QHash<TTextKey, std::vector<int>> FBetween;      // pending links by that key
    int FRound = 0;
};

} // namespace

QString JoinKeyword(int joinType) {
    return joinType >= 0 && joinType < sOuterJoin.size() ? sOuterJoin[joinType] : sOuterJoin[0];
}

QHash<int, QList<int>> CrossJoinedBoxes(const QueryDesign& design) {
    QHash<int, QList<int>> crossed;
    if (std::all_of(design.Links.cbegin(), design.Links.cend(),
                    [](const TDesignLink& l) { return l.Condition.isEmpty(); }))
        return crossed;
    QList<bool> linked(design.Boxes.size(), false);
    for (const TDesignLink& link : design.Links)
        if (HasBoxes(design, link)) linked[link.Table1] = linked[link.Table2] = true;
    QList<bool> taken(design.Boxes.size(), false);
    for (const TDesignLink& link : design.Links) {
        if (!HasBoxes(design, link) || link.Condition.isEmpty() || link.JoinType % 4 == 3) continue;
        const int kept = link.JoinType % 4 == 2 ? link.Table2 : link.Table1;
        for (const int box : QualifierBoxes(design, link.Condition)) {
            if (linked[box] || taken[box]) continue;
            taken[box] = true;
            crossed[kept] << box;
        }
    }
    return crossed;
}

namespace {

// The links a join text writes, in design order; empty when there is no
// join text (no link, or only inner ones, which go into WHERE).
std::vector<Pending> JoinedLinks(const QueryDesign& design, bool& innerOnly) {
    std::vector<Pending> pending;
    std::size_t inner = 0;
    for (qsizetype i = 0; i < design.Links.size(); ++i) {
        if (!HasBoxes(design, design.Links[i])) continue;
        pending.push_back({int(i)});
        if (design.Links[i].JoinType == 0) ++inner;
    }
    innerOnly = !pending.empty() && inner == pending.size();
    return pending;
}

} // namespace

QString GetJoinClause(const QueryDesign& design) {
    bool innerOnly = false;
    const std::vector<Pending> pending = JoinedLinks(design, innerOnly);
    if (pending.empty()) return {};
    if (innerOnly) return QStringLiteral("0");
    return JoinWriter(design, pending).Run();
}

QList<int> LinksBeyondReach(const QueryDesign& design) {
    if (std::all_of(design.Links.cbegin(), design.Links.cend(),
                    [](const TDesignLink& l) { return l.Condition.trimmed().isEmpty(); }))
        return {};
    bool innerOnly = false;
    const std::vector<Pending> pending = JoinedLinks(design, innerOnly);
    if (pending.empty() || innerOnly) return {};
    JoinWriter writer(design, pending);
    writer.Run();
    return writer.OutOfReach();
}

} // namespace quillary
