#include "designer/BoxColumns.h"
#include "db/ADOQuery.h"
#include "db/DatabaseError.h"
#include "db/Dialect.h"

namespace quillary {

bool ReadBoxColumns(TADOConnection* connection, int kind, TDesignBox& box) {
    if (box.Kind != 'Q') {
        box.Kind = 'T';
        if (dialect::ViewSource(connection, kind, box.TableName, box.SourceText)) box.Kind = 'V';
    }
    TADOQuery query;
    query.SetConnection(connection);
    query.SetReadOnly(true);
    query.SQL() = QStringList{box.Kind == 'Q' ? box.SourceText : dialect::ColumnsOf(box.TableName)};
    try {
        query.Open();
    } catch (const EDatabaseError&) {
        return false; // a source that went away is left out of the design
    }
    box.Fields = {TDesignField{QStringLiteral("*"), 0, false}};
    const TFieldDefs& defs = query.FieldDefs();
    for (int i = 0; i < defs.Count(); ++i)
        box.Fields.append({defs[i].Name, int(defs[i].DataType), false});
    return true;
}

} // namespace quillary
