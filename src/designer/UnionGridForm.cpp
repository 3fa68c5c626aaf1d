#include "designer/UnionGridForm.h"

namespace quillary {

namespace {

const char kUnionGridForm[] = R"(object UnionGrid: TStringGridEx
  Left = 4
  Top = 20
  Width = 169
  Height = 81
  Col = 0
  Row = 1
  BorderStyle = bsSingle
  DefaultColWidth = 80
  DefaultRowHeight = 17
  RowCount = 2
  ColCount = 4
  Options = [goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect, goDrawFocusSelected, goColSizing, goEditing, goAlwaysShowEditor]
  PropValues = <
    item
      PropertyLabel = '('
    end
    item
      PropertyLabel = #32852#21512
    end
    item
      PropertyLabel = ')'
    end
    item
      DropDownRows = 4
      EditMode = emPickList
      PickList.Strings = (
        'union'
        'union all'
        'minus'
        'intersect')
      PropertyLabel = #20851#38190#35789
    end>
  ClientAutoFit = False
  ColWidths = (
    21
    54
    24
    64)
end
)";

} // namespace

QString UnionGridFormText() {
    return QString::fromUtf8(kUnionGridForm);
}

} // namespace quillary
