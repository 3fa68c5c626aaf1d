#pragma once
// Sparse storage of the grid's cells: an index → pointer map that costs memory
// only for the sections that hold something. A section covers 16 slots (small
// quantum) or 256 slots (large quantum); the directory of sections grows to
// the highest section written. The last index read is cached with its value,
// so reading a row's cells one after another looks the row up once.

#include "grid/GridTypes.h"
#include "grid/Strings.h"

#include <algorithm>
#include <cstddef>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace quillary {

enum class TSPAQuantum { SPASmall, SPALarge };

template <class T> class TSparsePointerArray {
public:
    explicit TSparsePointerArray(TSPAQuantum quantum)
        : m_quantum(quantum), m_shift(quantum == TSPAQuantum::SPASmall ? 4 : 8),
          m_mask(quantum == TSPAQuantum::SPASmall ? 15 : 255) {}
    TSparsePointerArray(const TSparsePointerArray&) = delete;
    TSparsePointerArray& operator=(const TSparsePointerArray&) = delete;

    TSPAQuantum Quantum() const { return m_quantum; }
    int SectionSize() const { return m_mask + 1; }

    T* Get(int index) const {
        if (index == m_cacheIndex) return m_cacheValue;
        T* value = nullptr;
        if (index >= 0) {
            const std::size_t section = std::size_t(index) >> m_shift;
            if (section < m_dir.size() && m_dir[section])
                value = m_dir[section][std::size_t(index) & std::size_t(m_mask)];
        }
        m_cacheIndex = index;
        m_cacheValue = value;
        return value;
    }

    void Put(int index, T* item) {
        if (index < 0) ListIndexError(index);
        const std::size_t section = std::size_t(index) >> m_shift;
        if (!item && (section >= m_dir.size() || !m_dir[section])) {
            if (index == m_cacheIndex) m_cacheValue = nullptr;
            return; // nothing to clear; do not allocate for it
        }
        if (section >= m_dir.size()) m_dir.resize(section + 1);
        if (!m_dir[section]) m_dir[section] = std::make_unique<T*[]>(std::size_t(m_mask) + 1);
        m_dir[section][std::size_t(index) & std::size_t(m_mask)] = item;
        if (item && index > m_highBound) m_highBound = index;
        if (index == m_cacheIndex) m_cacheValue = item;
    }

    // The highest index ever written with a non-null value (-1 when none).
    int HighBound() const { return m_highBound; }

    // Calls `fn(index, item)` for every non-null item in ascending order and
    // stops at the first call that returns non-zero, which it returns.
    int ForAll(const std::function<int(int, T*)>& fn) const {
        for (std::size_t s = 0; s < m_dir.size(); ++s) {
            if (!m_dir[s]) continue;
            for (int slot = 0; slot <= m_mask; ++slot) {
                if (T* item = m_dir[s][std::size_t(slot)]) {
                    const int result = fn(int((s << m_shift) | std::size_t(slot)), item);
                    if (result != 0) return result;
                }
            }
        }
        return 0;
    }

    // Moves the items of [first, last] by `delta` (+1 or -1) places; the slot
    // the block moves into must be free. Empty sections are skipped.
    void Shift(int first, int last, int delta) {
        if (first > last) return;
        const int firstSection = first >> m_shift;
        const int lastSection = std::min(last >> m_shift, int(m_dir.size()) - 1);
        auto moveOne = [&](int i) {
            if (T* item = Get(i)) {
                Put(i, nullptr);
                Put(i + delta, item);
            }
        };
        if (delta < 0) {
            for (int s = firstSection; s <= lastSection; ++s) {
                if (!m_dir[std::size_t(s)]) continue;
                const int lo = std::max(first, s << m_shift);
                const int hi = std::min(last, (s << m_shift) | m_mask);
                for (int i = lo; i <= hi; ++i)
                    moveOne(i);
            }
        } else {
            for (int s = lastSection; s >= firstSection; --s) {
                if (!m_dir[std::size_t(s)]) continue;
                const int lo = std::max(first, s << m_shift);
                const int hi = std::min(last, (s << m_shift) | m_mask);
                for (int i = hi; i >= lo; --i)
                    moveOne(i);
            }
        }
    }

    void Clear() {
        m_dir.clear();
        m_highBound = -1;
        m_cacheIndex = -1;
        m_cacheValue = nullptr;
    }

    // Directory entries and allocated sections (for tests and measurements).
    std::size_t DirectorySize() const { return m_dir.size(); }
    std::size_t SectionCount() const {
        return std::size_t(
            std::count_if(m_dir.begin(), m_dir.end(), [](const auto& s) { return s != nullptr; }));
    }

private:
    TSPAQuantum m_quantum;
    int m_shift;
    int m_mask;
    std::vector<std::unique_ptr<T*[]>> m_dir;
    int m_highBound = -1;
    mutable int m_cacheIndex = -1;
    mutable T* m_cacheValue = nullptr;
};

// A list over the sparse array: Count is one past the highest position in
// use; Delete and Insert shift the items behind the position. The list does
// not own its items.
template <class T> class TSparseList {
public:
    explicit TSparseList(TSPAQuantum quantum) : m_list(quantum) {}

    TSPAQuantum Quantum() const { return m_list.Quantum(); }
    int Count() const { return m_count; }

    T* Get(int index) const {
        if (index < 0) ListIndexError(index);
        return m_list.Get(index);
    }
    T* operator[](int index) const { return Get(index); }

    void Put(int index, T* item) {
        if (index < 0) ListIndexError(index);
        m_list.Put(index, item);
        if (item && index >= m_count) m_count = index + 1;
    }

    void Delete(int index) {
        if (index < 0 || index >= m_count) ListIndexError(index);
        m_list.Put(index, nullptr);
        m_list.Shift(index + 1, m_count - 1, -1);
        --m_count;
    }

    void Insert(int index, T* item) {
        if (index < 0) ListIndexError(index);
        if (index < m_count) {
            m_list.Shift(index, m_count - 1, +1);
            ++m_count;
        }
        Put(index, item);
    }

    void Exchange(int index1, int index2) {
        if (index1 < 0) ListIndexError(index1);
        if (index2 < 0) ListIndexError(index2);
        T* a = m_list.Get(index1);
        T* b = m_list.Get(index2);
        m_list.Put(index1, b);
        m_list.Put(index2, a);
        if (a && index2 >= m_count) m_count = index2 + 1;
        if (b && index1 >= m_count) m_count = index1 + 1;
    }

    // Moves the item at `from` to `to`; the items between shift by one place.
    // Costs the distance between the two, not the length of the list.
    void Move(int from, int to) {
        if (from < 0) ListIndexError(from);
        if (to < 0) ListIndexError(to);
        if (from == to) return;
        T* item = m_list.Get(from);
        m_list.Put(from, nullptr);
        if (from < to)
            m_list.Shift(from + 1, to, -1);
        else
            m_list.Shift(to, from - 1, +1);
        m_list.Put(to, item);
        if (item && to >= m_count) m_count = to + 1;
        // Moving up pushes the item before `from` onto `from`.
        if (from > to && from >= m_count && m_list.Get(from)) m_count = from + 1;
    }

    void Clear() {
        m_list.Clear();
        m_count = 0;
    }

    int ForAll(const std::function<int(int, T*)>& fn) const { return m_list.ForAll(fn); }

    const TSparsePointerArray<T>& Array() const { return m_list; }

private:
    TSparsePointerArray<T> m_list;
    int m_count = 0;
};

// One cell: its string and the object attached to it.
struct TStrItem {
    QObject* FObject = nullptr;
    QString FString;
};

// The cells of one grid row as a string list. Reading an absent cell gives the
// empty string and no object; a cell takes memory only while it holds text or
// an object.
class TStringSparseList final : public TStrings {
public:
    explicit TStringSparseList(TSPAQuantum quantum);
    ~TStringSparseList() override;

    int Count() const override;
    QString Get(int Index) const override;
    QObject* GetObject(int Index) const override;
    void Put(int Index, const QString& S) override;
    void PutObject(int Index, QObject* AObject) override;
    void Insert(int Index, const QString& S) override;
    void Delete(int Index) override;
    void Clear() override;
    void Exchange(int Index1, int Index2);
    void Move(int CurIndex, int NewIndex);

    const TSparseList<TStrItem>& List() const { return m_list; }

private:
    TSparseList<TStrItem> m_list;
};

} // namespace quillary
