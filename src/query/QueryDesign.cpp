#include "query/QueryDesign.h"

namespace quillary {

int QueryDesign::FindTable(const QString& name) const {
    for (qsizetype i = Boxes.size() - 1; i >= 0; --i)
        if (Boxes[i].GetTableName().compare(name, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

} // namespace quillary
