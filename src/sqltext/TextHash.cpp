#include "sqltext/TextHash.h"

namespace quillary {

quint64 TextHashBeyondAscii(QStringView text, bool fold, quint64 hash) {
    constexpr quint64 kPrime = 1099511628211ULL;
    const char16_t* d = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t u = d[i];
        if (fold) {
            if (u < 0x80) {
                if (u - u'A' < 26u) u += 32;
            } else {
                // Whole code points, as the comparison folds them.
                if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(d[i + 1]))
                    u = QChar::surrogateToUcs4(char16_t(u), d[++i]);
                u = QChar::toCaseFolded(u);
            }
        }
        hash = (hash ^ (u & 0xFFFF)) * kPrime;
        if (u > 0xFFFF) hash = (hash ^ (u >> 16)) * kPrime;
    }
    return hash;
}

} // namespace quillary
