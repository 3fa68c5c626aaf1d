#pragma once
// Hashing of names and texts without copies: FNV-1a over the characters,
// letters folded when asked exactly as QString::compare folds them ignoring
// case, so that texts it calls equal hash alike.

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringView>

namespace quillary {

inline constexpr quint64 kTextHashSeed = 1469598103934665603ULL;

// From the first character beyond ASCII on (TextHash's slower part).
quint64 TextHashBeyondAscii(QStringView text, bool fold, quint64 hash);

// Chainable: the hash of a + b is TextHash(b, fold, TextHash(a, fold)).
// ASCII characters, most of any statement, are hashed in line.
inline quint64 TextHash(QStringView text, bool fold, quint64 hash = kTextHashSeed) {
    constexpr quint64 kPrime = 1099511628211ULL;
    const char16_t* d = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char16_t u = d[i];
        if (u >= 0x80) return TextHashBeyondAscii(text.sliced(i), fold, hash);
        if (fold && char16_t(u - u'A') < 26u) u += 32;
        hash = (hash ^ u) * kPrime;
    }
    return hash;
}

// A text as a hash key that ignores letter case as a string list's search
// for it does.
struct TFoldedKey {
    explicit TFoldedKey(QString text)
        : Text(std::move(text)), Hash(TextHash(Text, true)) {}
    QString Text;
    quint64 Hash;
    bool operator==(const TFoldedKey& other) const {
        return Hash == other.Hash && Text.compare(other.Text, Qt::CaseInsensitive) == 0;
    }
};

// The hash with the table's seed mixed into every bit, so that texts made
// to agree in some bits of their hashes do not meet in one bucket.
inline size_t SeededTextHash(quint64 hash, size_t seed) noexcept {
    quint64 h = hash ^ quint64(seed);
    h = (h ^ (h >> 33)) * 0xff51afd7ed558ccdULL;
    h = (h ^ (h >> 33)) * 0xc4ceb9fe1a85ec53ULL;
    return size_t(h ^ (h >> 33));
}

inline size_t qHash(const TFoldedKey& key, size_t seed = 0) noexcept {
    return SeededTextHash(key.Hash, seed);
}

// A text as a hash key, compared exactly. Short names hash in line: the
// library's hash of a QString takes a slow path for texts of fewer than
// eight characters on some processors, and aliases and column names are
// mostly that short.
struct TTextKey {
    TTextKey() = default;
    explicit TTextKey(QString text) : Text(std::move(text)), Hash(TextHash(Text, false)) {}
    QString Text;
    quint64 Hash = kTextHashSeed;
    bool operator==(const TTextKey& other) const {
        return Hash == other.Hash && Text == other.Text;
    }
};

inline size_t qHash(const TTextKey& key, size_t seed = 0) noexcept {
    return SeededTextHash(key.Hash, seed);
}

// A set of texts, and a hash from texts to values, with the keys hashed as
// TTextKey hashes them; for names, looked up many times over.
class TTextSet {
public:
    bool contains(const QString& text) const { return FSet.contains(TTextKey(text)); }
    void insert(const QString& text) { FSet.insert(TTextKey(text)); }
    qsizetype size() const { return FSet.size(); }

private:
    QSet<TTextKey> FSet;
};

template <typename Value> class TTextHash {
public:
    bool contains(const QString& text) const { return FHash.contains(TTextKey(text)); }
    Value value(const QString& text, const Value& otherwise = Value()) const {
        return FHash.value(TTextKey(text), otherwise);
    }
    Value& operator[](const QString& text) { return FHash[TTextKey(text)]; }
    void insert(const QString& text, const Value& value) { FHash.insert(TTextKey(text), value); }
    bool isEmpty() const { return FHash.isEmpty(); }
    void reserve(qsizetype size) { FHash.reserve(size); }
    void clear() { FHash.clear(); }
    auto find(const QString& text) { return FHash.find(TTextKey(text)); }
    auto end() { return FHash.end(); }
    auto constFind(const QString& text) const { return FHash.constFind(TTextKey(text)); }
    auto cend() const { return FHash.cend(); }
    auto constEnd() const { return FHash.constEnd(); }

private:
    QHash<TTextKey, Value> FHash;
};

} // namespace quillary
