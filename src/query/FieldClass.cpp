#include "query/FieldClass.h"

#include <array>

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
    kDate = 9,
    kTime = 10,
    kDateTime = 11,
    kFixedChar = 23,
    kWideString = 24,
    kLargeint = 25,
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

} // namespace quillary
