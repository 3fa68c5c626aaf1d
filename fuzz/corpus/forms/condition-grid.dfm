object ConditionList: TStringGridEx
  Left = 0
  Top = 0
  Width = 640
  Height = 120
  Align = alClient
  RowCount = 9
  ColCount = 4
  Options = [goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect, goDrawFocusSelected, goColSizing, goEditing, goTabs, goAlwaysShowEditor]
  PopupMenu = PopupMenu1
  TabOrder = 0
  OnDblClick = DisplayListDblClick
  PropValues = <
    item
      EditMode = emPickList
      PropertyLabel = 'Field'
    end
    item
      EditMode = emPickList
      PickList.Strings = (
        '='
        '<>'
        'like'
        'not like'
        '')
      PropertyLabel = 'Op'
      PropertyValue = '='
    end
    item
      PropertyLabel = 'Value'
    end
    item
      EditMode = emPickList
      PickList.Strings = (
        'and'
        'or')
      PropertyLabel = 'Connector'
    end>
  ColWidths = (
    248
    90
    225
    77)
  RowHeights = (
    17
    17
    17
    17
    17
    17
    17
    17
    17)
end
