#include "sked/skeditem.h"

#include "sked/inplaceedit.h"
#include "sked/sked.h"
#include "sked/skedcontrol.h"

#include <algorithm>

namespace nox::sked
{

// --- TSkedItem ---

TSkedItem::TSkedItem(TSkedItems* owner) : m_owner(owner)
{
    if (m_owner) {
        m_key = m_owner->m_nextKey++;
    }
    m_font.OnChange = [this] { Changed(); };
}

TSkedItem::~TSkedItem()
{
    m_selected = false;
    m_font.OnChange = nullptr;
}

void TSkedItem::setStartLine(int value)
{
    if (m_startLine == value) {
        return;
    }
    m_startLine = value;
    if (TCustomSked* sked = Sked(); sked && Index() >= 0) {
        sked->relayout();
    }
    Changed();
}

void TSkedItem::setEndLine(int value)
{
    if (m_endLine == value) {
        return;
    }
    m_endLine = value;
    if (TCustomSked* sked = Sked(); sked && Index() >= 0) {
        sked->relayout();
    }
    Changed();
}

void TSkedItem::setText(const QString& value)
{
    if (m_text != value) {
        m_text = value;
        Changed();
    }
}

void TSkedItem::setImageIndex(int value)
{
    if (m_imageIndex != value) {
        m_imageIndex = value;
        Changed();
    }
}

void TSkedItem::setLineColor(TColor value)
{
    if (m_lineColor != value) {
        m_lineColor = value;
        Changed();
    }
}

void TSkedItem::setSelected(bool value)
{
    if (!value) {
        m_selected = false;
        return;
    }
    m_selected = true;
    TCustomSked* sked = Sked();
    if (sked && Index() >= 0 && m_firstRow >= 0) {
        sked->SelectRow(m_firstRow, true);
    }
}

int TSkedItem::Index() const
{
    return m_owner ? m_owner->IndexOf(this) : -1;
}

TCustomSked* TSkedItem::Sked() const
{
    return m_owner ? m_owner->Sked() : nullptr;
}

bool TSkedItem::HasImage() const
{
    const TCustomSked* sked = Sked();
    if (m_imageIndex < 0 || !sked) {
        return false;
    }
    const QList<QPixmap>* images = sked->imagesInEffect();
    return images && m_imageIndex <= images->size() - 1;
}

int TSkedItem::Level() const
{
    return levelBounded(0);
}

// Level of the item registered just before this one on its start line, plus
// one when that item really overlaps. The predecessor always sorts earlier,
// so the chain ends; the depth bound guards against stale key lists.
int TSkedItem::levelBounded(int depth) const
{
    const TCustomSked* sked = Sked();
    if (!sked || !m_owner || depth > m_owner->Count()) {
        return 0;
    }
    const TLineItem* line = const_cast<TCustomSked*>(sked)->Lines().Items(m_startLine);
    if (!line) {
        return 0;
    }
    const int p = int(line->ItemKeys.indexOf(m_key));
    if (p <= 0) {
        return 0;
    }
    const TSkedItem* prev = m_owner->Items(m_owner->IndexOfKey(line->ItemKeys.at(p - 1)));
    if (!prev) {
        return 0;
    }
    return prev->levelBounded(depth + 1) + (prev->m_endLine != m_startLine ? 1 : 0);
}

bool TSkedItem::EditText()
{
    TCustomSked* sked = Sked();
    return sked && Index() >= 0 && sked->EditText(this);
}

void TSkedItem::Changed()
{
    if (m_owner && m_owner->IndexOf(this) >= 0) {
        m_owner->changed();
    }
}

// --- TSkedItems ---

TSkedItems::TSkedItems(TCustomSked* sked) : m_sked(sked) {}

TSkedItems::~TSkedItems()
{
    OnItemsChange = nullptr;
    for (TSkedItem* item : m_items) {
        item->m_owner = nullptr;
        delete item;
    }
}

TSkedItem* TSkedItems::Items(int index) const
{
    if (index < 0 || index >= m_items.size()) {
        return nullptr;
    }
    return m_items.at(index);
}

bool TSkedItems::Add(TSkedItem* item)
{
    if (!item || item->m_owner != this || m_items.contains(item)) {
        return false;
    }
    m_items.append(item);
    changed();
    return true;
}

void TSkedItems::removeAt(int index)
{
    TSkedItem* item = m_items.takeAt(index);
    item->m_selected = false;
    item->m_owner = nullptr;
    if (m_sked && m_sked->isEditing() && m_sked->m_editKey == item->m_key) {
        // The edited item is gone: its text has nowhere to go.
        m_sked->closeEdit();
    }
    delete item;
}

void TSkedItems::Delete(int index)
{
    if (index < 0 || index >= m_items.size()) {
        return;
    }
    removeAt(index);
    if (m_sked) {
        if (index >= Count()) {
            m_sked->m_selectedRow = index - 1;
        }
        m_sked->m_focusRow = m_sked->m_focusRow > 0 ? m_sked->m_focusRow - 1 : -1;
    }
    changed();
}

void TSkedItems::Clear()
{
    BeginUpdate();
    while (!m_items.isEmpty()) {
        Delete(0);
    }
    --m_updateCount;
    if (m_sked) {
        if (m_sked->m_topRow >= m_sked->RowCount()) {
            m_sked->m_topRow = qMax(0, m_sked->RowCount() - 1);
        }
        m_sked->m_selectedRow = -1;
        m_sked->m_focusRow = -1;
    }
    changed();
}

int TSkedItems::IndexOfKey(int key) const
{
    for (int i = 0; i < m_items.size(); ++i) {
        if (m_items.at(i)->m_key == key) {
            return i;
        }
    }
    return -1;
}

void TSkedItems::EndUpdate()
{
    m_updateCount = qMax(0, m_updateCount - 1);
    if (m_updateCount == 0) {
        changed();
    }
}

void TSkedItems::Sort()
{
    std::stable_sort(m_items.begin(), m_items.end(), [](const TSkedItem* a, const TSkedItem* b) {
        if (a->m_startLine != b->m_startLine) {
            return a->m_startLine < b->m_startLine;
        }
        if (a->m_endLine != b->m_endLine) {
            return a->m_endLine < b->m_endLine;
        }
        return a->m_key < b->m_key;
    });
}

void TSkedItems::changed()
{
    if (m_updateCount == 0 && OnItemsChange) {
        OnItemsChange();
    }
}

} // namespace nox::sked
