#pragma once
// Property-column definitions: item i of a grid's PropValues describes column
// i (title label, default value, edit mode, pick list, drop-down height).
// Changing a label or value, adding or deleting a definition ends in one
// change notification that reaches the grid as UpdateGrid, which keeps
// ColCount equal to the number of definitions and row 0 equal to the labels.

#include "grid/GridTypes.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace quillary {

class TCellValueProps;
class TCustomPrGrid;

class TCellValueProp {
public:
    explicit TCellValueProp(TCellValueProps* Collection);
    TCellValueProp(const TCellValueProp&) = delete;
    TCellValueProp& operator=(const TCellValueProp&) = delete;
    ~TCellValueProp();

    TCellValueProps* Collection() const { return m_collection; }
    // Position in the collection (-1 when not in one).
    int Index() const;

    // Most pick-list rows shown at once.
    unsigned DropDownRows() const { return m_dropDownRows; }
    void SetDropDownRows(unsigned Value) { m_dropDownRows = Value; }
    TPropEditMode EditMode() const { return m_editMode; }
    void SetEditMode(TPropEditMode Value) { m_editMode = Value; }
    // The pick list, created empty on first use.
    QStringList* PickList();
    bool HasPickList() const { return m_pickList != nullptr; }
    // The pick list without creating it (nullptr when absent).
    const QStringList* PickListIfAny() const { return m_pickList.get(); }
    // Copies `Value` into the own list; nullptr frees the own list.
    void SetPickList(const QStringList* Value);
    void SetPickList(const QStringList& Value) { SetPickList(&Value); }
    int Tag() const { return m_tag; }
    void SetTag(int Value) { m_tag = Value; }
    // The column title shown in row 0.
    const QString& PropertyLabel() const { return m_propertyLabel; }
    void SetPropertyLabel(const QString& Value);
    // The column's default value: the entry the pick list highlights.
    const QString& PropertyValue() const { return m_propertyValue; }
    void SetPropertyValue(const QString& Value);

    // Copies the six published properties.
    void Assign(const TCellValueProp& Source);
    bool SameAs(const TCellValueProp& Other) const;

private:
    friend class TCellValueProps;
    TCellValueProps* m_collection;
    unsigned m_dropDownRows = 7;
    TPropEditMode m_editMode = emSimple;
    std::unique_ptr<QStringList> m_pickList;
    int m_tag = 0;
    QString m_propertyLabel;
    QString m_propertyValue;
};

class TCellValueProps {
public:
    // Starts with one empty definition per row of `Grid` (none without a grid).
    explicit TCellValueProps(TCustomPrGrid* Grid = nullptr);
    TCellValueProps(const TCellValueProps&) = delete;
    TCellValueProps& operator=(const TCellValueProps&) = delete;
    virtual ~TCellValueProps();

    // The owning grid (the collection's owner).
    TCustomPrGrid* GetOwner() const { return m_grid; }
    int Count() const { return int(m_items.size()); }

    // Items[Index]; an index outside 0..Count-1 raises EListError.
    TCellValueProp* GetCellValueProp(int Index) const;
    void SetCellValueProp(int Index, const TCellValueProp& Value);
    TCellValueProp* Items(int Index) const { return GetCellValueProp(Index); }
    TCellValueProp* operator[](int Index) const { return GetCellValueProp(Index); }

    // Clears the collection and adds RowCount empty definitions.
    void AddCellInfo();
    TCellValueProp* Add();
    TCellValueProp* AddInfo(unsigned DropDownRows, int Tag, TPropEditMode EditMode,
                            const QStringList* PickList);
    void Delete(int Index);
    void Clear();
    // Replaces all definitions by copies of `Source`'s, with one notification.
    void Assign(const TCellValueProps& Source);
    bool SameAs(const TCellValueProps& Other) const;

    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return m_updateCount; }

protected:
    // Reaches the grid as UpdateGrid.
    virtual void Update(TCellValueProp* Item);

private:
    friend class TCellValueProp;
    void Changed();

    TCustomPrGrid* m_grid;
    std::vector<std::unique_ptr<TCellValueProp>> m_items;
    int m_updateCount = 0;
    bool m_destroying = false;
};

} // namespace quillary
