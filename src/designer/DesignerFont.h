#pragma once
#include <QFont>

namespace quillary {

// The designer's 9 pt font: a CJK face so that Chinese captions render.
QFont DesignerFont();

} // namespace quillary
