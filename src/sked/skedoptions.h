#pragma once
#include "sked/skedtypes.h"

namespace nox::sked
{

// Frame settings the multi-day control applies to every column.
class TSkedOptions
{
public:
    TSkedOptions() = default;
    TSkedOptions(const TSkedOptions&) = delete;
    TSkedOptions& operator=(const TSkedOptions&) = delete;

    TBevelEdges BevelEdges() const { return m_bevelEdges; }
    void setBevelEdges(TBevelEdges value);
    TBevelCut BevelInner() const { return m_bevelInner; }
    void setBevelInner(TBevelCut value);
    TBevelCut BevelOuter() const { return m_bevelOuter; }
    void setBevelOuter(TBevelCut value);
    TBevelKind BevelKind() const { return m_bevelKind; }
    void setBevelKind(TBevelKind value);
    int BevelWidth() const { return m_bevelWidth; }
    void setBevelWidth(int value);
    int BorderWidth() const { return m_borderWidth; }
    void setBorderWidth(int value);
    TBorderStyle BorderStyle() const { return m_borderStyle; }
    void setBorderStyle(TBorderStyle value);

    // One notification per real change of any option.
    TChangeNotify OnChange;

private:
    template <class T> void store(T& field, T value);

    TBevelEdges m_bevelEdges = beAllEdges;
    TBevelCut m_bevelInner = bvNone;
    TBevelCut m_bevelOuter = bvLowered;
    TBevelKind m_bevelKind = bkTile;
    int m_bevelWidth = 1;
    int m_borderWidth = 0;
    TBorderStyle m_borderStyle = bsNone;
};

} // namespace nox::sked
