#include "designer/DesignerFont.h"

#include <QFontDatabase>
#include <QStringList>

namespace quillary {

QFont DesignerFont() {
    static const QString family = [] {
        const QStringList families = QFontDatabase::families();
        for (const char* candidate :
             {"SimSun", "宋体", "WenQuanYi Micro Hei", "Noto Sans CJK SC", "Noto Sans SC",
              "Source Han Sans SC", "Droid Sans Fallback"}) {
            const QString name = QString::fromUtf8(candidate);
            if (families.contains(name, Qt::CaseInsensitive)) return name;
        }
        return QString();
    }();
    QFont font;
    if (!family.isEmpty()) font.setFamily(family);
    font.setPointSize(9);
    return font;
}

} // namespace quillary
