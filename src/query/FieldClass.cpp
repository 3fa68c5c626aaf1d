#include "query/FieldClass.h"

#include <array>
#include <utility>

namespace quillary {

namespace {

constexpr std::array<const char*, 5> kClassNames = {"字符型", "整型", "浮点型", "日期型", "布尔型"};
constexpr std::array<const char*, 5> kClassCodes = {"1", "3", "6", "11", "5"};

// TFieldType ordinals, kept here so that this layer needs no database code.
enum : int {
    kString = 1,
    kSmallint = 2,
    kInteger = 3,
    kWord = 4,
    kBoolean = 5,
    kFloat = 6,
    kCurrency = 7,
    kBcd = 8,
    kDate = 9,
    kTime = 10,
    kDateTime = 11,
    kFixedChar = 23,
    kWideString = 24,
    kLargeint = 25,
    kFmtBcd = 37,
};

} // namespace

int FieldClassOf(int fieldType) {
    switch (fieldType) {
    case kString:
    case kFixedChar:
    case kWideString:
        return 0;
    case kSmallint:
    case kInteger:
    case kWord:
    case kLargeint:
        return 1;
    case kFloat:
    case kCurrency:
        return 2;
    case kDate:
    case kTime:
    case kDateTime:
        return 3;
    case kBoolean:
        return 4;
    default:
        return -1;
    }
}

void GetDataType(int fieldType, int mode, QString& result) {
    if (mode != 1 && mode != 2) {
        result.clear();
        return;
    }
    const int cls = FieldClassOf(fieldType);
    if (cls < 0) return;
    result = QString::fromUtf8(mode == 1 ? kClassNames[size_t(cls)] : kClassCodes[size_t(cls)]);
}

bool PostgresWidens(int narrow, int wide) {
    // Family and place in it of the types one converts to the next.
    const auto place = [](int type) -> std::pair<int, int> {
        switch (type) {
        case kSmallint:
            return {1, 1};
        case kInteger:
            return {1, 2};
        case kLargeint:
            return {1, 3};
        case kBcd:
        case kFmtBcd:
            return {1, 4};
        case kFloat:
            return {1, 5};
        case kString: // varchar
            return {2, 1};
        case kWideString: // text
            return {2, 2};
        case kDate:
            return {3, 1};
        case kDateTime:
            return {3, 2};
        default:
            return {0, 0};
        }
    };
    const auto [family, rank] = place(narrow);
    const auto [wideFamily, wideRank] = place(wide);
    return family != 0 && family == wideFamily && rank < wideRank;
}

} // namespace quillary
