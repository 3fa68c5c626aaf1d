object UnionGrid: TStringGridEx
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
      PropertyL