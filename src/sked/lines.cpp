#include "sked/lines.h"

namespace nox::sked
{

void TLineItem::setCaption(const QString& value)
{
    if (m_caption == value) {
        return;
    }
    m_caption = value;
    if (m_owner) {
        m_owner->changed();
    }
}

QString TLineItem::DisplayName() const
{
    return m_caption.isEmpty() ? QStringLiteral("TLineItem") : m_caption;
}

int TLineItem::Index() const
{
    return m_owner ? m_owner->IndexOf(this) : -1;
}

TLines::~TLines()
{
    OnChange = nullptr;
    qDeleteAll(m_items);
}

TLineItem* TLines::Add()
{
    auto* item = new TLineItem(this);
    m_items.append(item);
    changed();
    return item;
}

TLineItem* TLines::Add(const QString& caption)
{
    BeginUpdate();
    TLineItem* item = Add();
    item->setCaption(caption);
    EndUpdate();
    return item;
}

TLineItem* TLines::Items(int index) const
{
    if (index < 0 || index >= m_items.size()) {
        return nullptr;
    }
    return m_items.at(index);
}

void TLines::Delete(int index)
{
    if (index < 0 || index >= m_items.size()) {
        return;
    }
    delete m_items.takeAt(index);
    changed();
}

void TLines::Clear()
{
    if (m_items.isEmpty()) {
        return;
    }
    qDeleteAll(m_items);
    m_items.clear();
    changed();
}

void TLines::Assign(const TLines& source)
{
    BeginUpdate();
    Clear();
    for (const TLineItem* line : source.m_items) {
        Add()->Assign(*line);
    }
    EndUpdate();
}

void TLines::EndUpdate()
{
    m_updateCount = qMax(0, m_updateCount - 1);
    if (m_updateCount == 0) {
        changed();
    }
}

void TLines::changed()
{
    if (m_updateCount == 0 && OnChange) {
        OnChange();
    }
}

} // namespace nox::sked
