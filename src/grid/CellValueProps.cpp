#include "grid/CellValueProps.h"

#include "grid/CustomPrGrid.h"

#include <algorithm>

namespace quillary {

TCellValueProp::TCellValueProp(TCellValueProps* Collection) : m_collection(Collection) {}

TCellValueProp::~TCellValueProp() = default;

int TCellValueProp::Index() const {
    if (!m_collection) return -1;
    for (int i = 0; i < m_collection->Count(); ++i)
        if (m_collection->m_items[std::size_t(i)].get() == this) return i;
    return -1;
}

QStringList* TCellValueProp::PickList() {
    if (!m_pickList) m_pickList = std::make_unique<QStringList>();
    return m_pickList.get();
}

void TCellValueProp::SetPickList(const QStringList* Value) {
    if (!Value) {
        m_pickList.reset();
        return;
    }
    if (Value == m_pickList.get()) return;
    if (!m_pickList) m_pickList = std::make_unique<QStringList>();
    *m_pickList = *Value;
}

void TCellValueProp::SetPropertyLabel(const QString& Value) {
    if (!m_collection) {
        m_propertyLabel = Value;
        return;
    }
    m_collection->BeginUpdate();
    m_propertyLabel = Value;
    m_collection->EndUpdate();
}

void TCellValueProp::SetPropertyValue(const QString& Value) {
    if (!m_collection) {
        m_propertyValue = Value;
        return;
    }
    m_collection->BeginUpdate();
    m_propertyValue = Value;
    m_collection->EndUpdate();
}

void TCellValueProp::Assign(const TCellValueProp& Source) {
    if (&Source == this) return;
    if (m_collection) m_collection->BeginUpdate();
    m_dropDownRows = Source.m_dropDownRows;
    m_tag = Source.m_tag;
    m_editMode = Source.m_editMode;
    if (Source.m_pickList)
        SetPickList(Source.m_pickList.get());
    else
        m_pickList.reset();
    m_propertyLabel = Source.m_propertyLabel;
    m_propertyValue = Source.m_propertyValue;
    if (m_collection) m_collection->EndUpdate();
}

bool TCellValueProp::SameAs(const TCellValueProp& Other) const {
    const QStringList empty;
    const QStringList& mine = m_pickList ? *m_pickList : empty;
    const QStringList& theirs = Other.m_pickList ? *Other.m_pickList : empty;
    return m_dropDownRows == Other.m_dropDownRows && m_tag == Other.m_tag &&
           m_editMode == Other.m_editMode && mine == theirs &&
           m_propertyLabel == Other.m_propertyLabel && m_propertyValue == Other.m_propertyValue;
}

TCellValueProps::TCellValueProps(TCustomPrGrid* Grid) : m_grid(Grid) {
    AddCellInfo();
}

TCellValueProps::~TCellValueProps() {
    m_destroying = true;
}

TCellValueProp* TCellValueProps::GetCellValueProp(int Index) const {
    if (Index < 0 || Index >= Count()) ListIndexError(Index);
    return m_items[std::size_t(Index)].get();
}

void TCellValueProps::SetCellValueProp(int Index, const TCellValueProp& Value) {
    GetCellValueProp(Index)->Assign(Value);
}

void TCellValueProps::AddCellInfo() {
    BeginUpdate();
    m_items.clear();
    const int rows = m_grid ? m_grid->RowCount() : 0;
    for (int i = 0; i < rows; ++i)
        m_items.push_back(std::make_unique<TCellValueProp>(this));
    EndUpdate();
}

TCellValueProp* TCellValueProps::Add() {
    m_items.push_back(std::make_unique<TCellValueProp>(this));
    TCellValueProp* item = m_items.back().get();
    Changed();
    return item;
}

TCellValueProp* TCellValueProps::AddInfo(unsigned DropDownRows, int Tag, TPropEditMode EditMode,
                                         const QStringList* PickList) {
    BeginUpdate();
    TCellValueProp* item = Add();
    item->m_dropDownRows = DropDownRows;
    item->m_tag = Tag;
    item->m_editMode = EditMode;
    if (PickList) item->SetPickList(PickList);
    EndUpdate();
    return item;
}

void TCellValueProps::Delete(int Index) {
    if (Index < 0 || Index >= Count()) ListIndexError(Index);
    m_items.erase(m_items.begin() + Index);
    Changed();
}

void TCellValueProps::Clear() {
    if (m_items.empty()) return;
    BeginUpdate();
    m_items.clear();
    EndUpdate();
}

void TCellValueProps::Assign(const TCellValueProps& Source) {
    if (&Source == this) return;
    BeginUpdate();
    m_items.clear();
    for (const auto& item : Source.m_items) {
        m_items.push_back(std::make_unique<TCellValueProp>(this));
        m_items.back()->Assign(*item);
    }
    EndUpdate();
}

bool TCellValueProps::SameAs(const TCellValueProps& Other) const {
    if (Count() != Other.Count()) return false;
    for (int i = 0; i < Count(); ++i)
        if (!m_items[std::size_t(i)]->SameAs(*Other.m_items[std::size_t(i)])) return false;
    return true;
}

void TCellValueProps::BeginUpdate() {
    ++m_updateCount;
}

void TCellValueProps::EndUpdate() {
    if (m_updateCount > 0) --m_updateCount;
    Changed();
}

void TCellValueProps::Changed() {
    if (m_updateCount == 0 && !m_destroying) Update(nullptr);
}

void TCellValueProps::Update(TCellValueProp*) {
    if (m_grid) m_grid->UpdateGrid();
}

} // namespace quillary
