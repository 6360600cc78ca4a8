// TNoxMainForm: the free memo window it owns (at most one), its look and its
// part in the shutdown.
#include "app/mainform.h"
#include "freememo/ui/freememowindow.h"
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

// The pages look like the memo panes of the mode in front.
void TNoxMainForm::applyFreeMemoLook()
{
    if (!m_freeMemo) {
        return;
    }
    const TMainViewMode::PaneLook pane = m_mode->paneLook();
    TForm11::TMemoLook look;
    look.color = pane.color;
    look.fontColor = pane.fontColor;
    look.font = pane.font;
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
