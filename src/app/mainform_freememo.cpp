// TNoxMainForm: the free memo window it owns (at most one), its look and its
// part in the shutdown.
#include "app/mainform.h"
#include "freememo/ui/freememowindow.h"
#include "monthview/monthview.h"
#include "sked/sked.h"
#include "sked/skedcontrol.h"
#include "widgets/noxbutton.h"

namespace nox
{

void TNoxMainForm::FreeMemoClick(bool activate)
{
    if (!m_freeMemo) {
        TForm11::Options options;
        options.dataFolder = m_dataFolder;
        options.iniPath = iniPath();
        if (const TNoxButton* add = toolButton(QStringLiteral("追加..."))) {
            options.newGlyph = add->Glyph();
        }
        m_freeMemo = new TForm11(std::move(options));
        applyFreeMemoLook();
    }
    m_freeMemo->Open(activate);
}

TForm11* TNoxMainForm::freeMemo() const
{
    return m_freeMemo;
}

// Day view: the colour and font of the first day column; month view: the
// schedule background of the style and the month view's font.
void TNoxMainForm::applyFreeMemoLook()
{
    if (!m_freeMemo) {
        return;
    }
    TForm11::TMemoLook look;
    if (m_viewMode == vmMonth) {
        look.color = m_dayKindColors.SkedBKColor;
        look.fontColor = m_month->FontColor();
        look.font = m_month->font();
    } else {
        const sked::TSked* first = m_sked->Skeds(0);
        look.color = first ? first->Color() : m_sked->Color();
        look.fontColor = m_viewFontColor;
        look.font = first ? first->font() : m_sked->font();
    }
    m_freeMemo->ApplyLook(look);
}

// After a switch of the view an open free memo window stays in front.
void TNoxMainForm::keepFreeMemoInFront()
{
    if (m_freeMemo && m_freeMemo->isVisible() && !m_freeMemo->isMinimized()) {
        m_freeMemo->raise();
    }
}

// Before the program ends: true when the open free memo window has written
// its memos, or the user chose to end without what could not be written.
bool TNoxMainForm::freeMemoSaved()
{
    return !m_freeMemo || !m_freeMemo->isVisible() || m_freeMemo->SaveChanges(TForm11::SaveReason::Shutdown);
}

// Destroys the window (which writes its memos and settings); returns whether
// it was open.
bool TNoxMainForm::closeFreeMemo()
{
    const bool open = m_freeMemo && m_freeMemo->isVisible();
    delete m_freeMemo.data();
    return open;
}

} // namespace nox
