#include "freememo/ui/memopage.h"

namespace nox
{

namespace
{
constexpr int kPageMargin = 4;
}

TMemoPage::TMemoPage(int number, const QString& title, QWidget* parent)
    : TNoxMemo(parent), m_number(number), m_title(title)
{
    SetMarginSize(kPageMargin);
    SetBorderStyle(false);
    SetWantTabs(true);
}

void TMemoPage::SetUnreadable()
{
    m_readable = false;
    setReadOnly(true);
}

QString TMemoPage::TabCaption(const QString& title)
{
    QString caption = title;
    return caption.replace(u'&', QStringLiteral("&&"));
}

} // namespace nox
