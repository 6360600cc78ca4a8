#include "sked/skedoptions.h"

namespace nox::sked
{

template <class T> void TSkedOptions::store(T& field, T value)
{
    if (field == value) {
        return;
    }
    field = value;
    if (OnChange) {
        OnChange();
    }
}

void TSkedOptions::setBevelEdges(TBevelEdges value)
{
    store(m_bevelEdges, value & beAllEdges);
}

void TSkedOptions::setBevelInner(TBevelCut value)
{
    store(m_bevelInner, value);
}

void TSkedOptions::setBevelOuter(TBevelCut value)
{
    store(m_bevelOuter, value);
}

void TSkedOptions::setBevelKind(TBevelKind value)
{
    store(m_bevelKind, value);
}

void TSkedOptions::setBevelWidth(int value)
{
    store(m_bevelWidth, qMax(1, value));
}

void TSkedOptions::setBorderWidth(int value)
{
    store(m_borderWidth, qMax(0, value));
}

void TSkedOptions::setBorderStyle(TBorderStyle value)
{
    store(m_borderStyle, value);
}

} // namespace nox::sked
