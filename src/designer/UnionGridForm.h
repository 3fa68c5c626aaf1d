#pragma once
// The stored form of the designer's union panel grid: four property columns
// "(", "联合", ")" and "关键词" (the last picks a set operator), with the
// options, sizes and column widths the panel is built with.

#include <QString>

namespace quillary {

QString UnionGridFormText();

} // namespace quillary
