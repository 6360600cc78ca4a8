#include "app/schedulecommands.h"

#include "app/mainform.h"
#include "dialogs/scheduleeditor.h"
#include "dialogs/settingsdialog.h"
#include "monthview/monthview.h"
#include "sked/skedcontrol.h"
#include "store/schedulebook.h"
#include "widgets/choosers.h"

namespace nox
{

namespace
{
constexpr TFontStyles kStyleBits = fsBold | fsItalic | fsUnderline | fsStrikeOut;
} // namespace

TSkedRec newScheduleAt(const QDate& date, int line, TColor color, TFontStyles style)
{
    TSkedRec rec;
    rec.setDate(date);
    rec.StartTime = qBound(0, line, kSlotCount - 1);
    rec.EndTime = qMin(rec.StartTime + 1, kSlotCount - 1);
    rec.TextColor = color;
    rec.LineColor = color;
    rec.FontStyle = style & kStyleBits;
    rec.ImageIndex = -1;
    rec.AlarmMinutes = -1;
    rec.OpenRelatedInfo = false;
    return rec;
}

TScheduleCommands::TScheduleCommands(TNoxMainForm& form)
    : m_form(form), m_menu(new TScheduleMenu(&form, form.navigationActions()))
{
    m_menu->OnContext = [this] {
        updateAvailability();
        return menuContext();
    };
    m_menu->OnCommand = [this](TScheduleCommand command) { run(command); };
    m_menu->attachTo(form.skedControl());
    m_menu->attachTo(form.monthView());
}

void TScheduleCommands::run(TScheduleCommand command)
{
    using C = TScheduleCommand;
    switch (command) {
    case C::Add:
        add();
        break;
    case C::Edit:
        edit();
        break;
    case C::Bold:
        toggleStyle(fsBold);
        break;
    case C::Italic:
        toggleStyle(fsItalic);
        break;
    case C::Underline:
        toggleStyle(fsUnderline);
        break;
    case C::StrikeOut:
        toggleStyle(fsStrikeOut);
        break;
    case C::TextColor:
        chooseTextColor();
        break;
    case C::LineColor:
        chooseLineColor();
        break;
    case C::Cut:
        cut();
        break;
    case C::Copy:
        copy();
        break;
    case C::Paste:
        paste();
        break;
    case C::Delete:
        remove();
        break;
    case C::Holidays:
        if (m_form.OnSettings) {
            m_form.OnSettings(&m_form, QStringLiteral("祝祭日"));
        }
        break;
    case C::Search:
        if (m_form.OnSearch) {
            m_form.OnSearch(&m_form);
        }
        break;
    }
}

void TScheduleCommands::updateAvailability()
{
    m_menu->setAvailable(TScheduleCommand::Holidays, bool(m_form.OnSettings));
    m_menu->setAvailable(TScheduleCommand::Search, bool(m_form.OnSearch));
}

TMenuContext TScheduleCommands::menuContext() const
{
    const TMainViewMode& mode = m_form.mode();
    TMenuContext context;
    context.hasTarget = mode.selectedDate().isValid();
    if (const std::optional<TSkedRec> rec = mode.selectedRecord()) {
        context.itemStyle = rec->FontStyle & kStyleBits;
    }
    context.clipboardFull = m_clipboard.hasSchedule();
    context.lineColors = mode.showsLineColor();
    context.weeks = mode.stepsWeeks();
    return context;
}

TScheduleEditorSetup TScheduleCommands::editorSetup() const
{
    TScheduleEditorSetup setup;
    setup.book = &m_form.book();
    setup.dateFormat = m_form.settings().dateFormat;
    const sked::TLines& lines = m_form.skedControl()->Lines();
    for (int i = 0; i < lines.Count(); ++i) {
        setup.lineCaptions << lines.Items(i)->Caption();
    }
    setup.categories = m_form.categories();
    setup.images = m_form.images();
    setup.categoryFilter = m_form.categoryFilter();
    const TMainViewMode::PaneLook look = m_form.mode().paneLook();
    setup.textBackground = look.color;
    setup.textFont = look.font;
    setup.lineSampleBackground = m_form.skedControl()->Color();
    if (SettingsHost()) {
        setup.editLists = [this](const QString& page) -> std::optional<TEditorLists> {
            if (!ShowSettings(&m_form, SettingsPageNumber(page))) {
                return std::nullopt;
            }
            return TEditorLists{m_form.categories(), m_form.images()};
        };
    }
    return setup;
}

void TScheduleCommands::add()
{
    TMainViewMode& mode = m_form.mode();
    if (!m_form.isStarted() || !mode.selectedDate().isValid()) {
        return;
    }
    TSkedRec rec = mode.newRecord();
    rec.ID = m_form.book().newId();
    if (ShowScheduleEditor(&m_form, rec, emNew, editorSetup())) {
        m_form.mode().afterEditor(rec, std::nullopt);
    }
}

void TScheduleCommands::edit()
{
    TMainViewMode& mode = m_form.mode();
    if (!m_form.isStarted() || !mode.selectedRecord()) {
        return;
    }
    mode.beforeEdit();
    const std::optional<TSkedRec> old = mode.selectedRecord();
    if (!old) {
        return;
    }
    TSkedRec rec = *old;
    if (ShowScheduleEditor(&m_form, rec, emEdit, editorSetup())) {
        m_form.mode().afterEditor(rec, old);
    }
}

void TScheduleCommands::editOrAdd()
{
    if (m_form.mode().selectedRecord()) {
        edit();
    } else {
        add();
    }
}

void TScheduleCommands::remove()
{
    const std::optional<TSkedRec> rec = m_form.mode().selectedRecord();
    if (!rec || !AskYesNo(&m_form, QStringLiteral("削除しても宜しいですか？"))) {
        return;
    }
    (void)m_form.mode().removeSelected({TAlarmUpdate{*rec, amRemoved}});
}

// The clipboard takes the schedule only once it has left its day file: a cut
// that could not be written leaves the schedule where it was.
void TScheduleCommands::cut()
{
    const std::optional<TSkedRec> rec = m_form.mode().selectedRecord();
    if (!rec) {
        return;
    }
    if (m_form.mode().removeSelected({TAlarmUpdate{*rec, amRemoved}}) || !isStored(rec->date(), rec->ID)) {
        m_clipboard.cut(*rec);
    }
}

void TScheduleCommands::copy()
{
    if (const std::optional<TSkedRec> rec = m_form.mode().selectedRecord()) {
        m_clipboard.copy(*rec);
    }
}

// A cut schedule leaves the clipboard only once it is stored again.
void TScheduleCommands::paste()
{
    const QDate date = m_form.mode().selectedDate();
    if (!date.isValid()) {
        return;
    }
    const std::optional<TSkedRec> rec =
        m_clipboard.pasteRecord(date, [this] { return m_form.book().newId(); });
    if (!rec) {
        return;
    }
    if (m_form.mode().placePasted(*rec) || isStored(date, rec->ID)) {
        m_clipboard.pasted();
    }
}

void TScheduleCommands::toggleStyle(TFontStyles bit)
{
    std::optional<TSkedRec> rec = m_form.mode().selectedRecord();
    if (!rec) {
        return;
    }
    rec->FontStyle = (rec->FontStyle & kStyleBits) ^ bit;
    (void)m_form.mode().changeSelected(*rec, {});
}

// The text colour is also the line colour.
void TScheduleCommands::chooseTextColor()
{
    std::optional<TSkedRec> rec = m_form.mode().selectedRecord();
    if (!rec) {
        return;
    }
    if (const std::optional<TColor> color = ChooseColor(&m_form, rec->TextColor)) {
        rec->TextColor = *color;
        rec->LineColor = *color;
        (void)m_form.mode().changeSelected(*rec, {});
    }
}

void TScheduleCommands::chooseLineColor()
{
    std::optional<TSkedRec> rec = m_form.mode().selectedRecord();
    if (!rec || !m_form.mode().showsLineColor()) {
        return;
    }
    if (const std::optional<TColor> color = ChooseColor(&m_form, rec->LineColor)) {
        rec->LineColor = *color;
        (void)m_form.mode().changeSelected(*rec, {});
    }
}

bool TScheduleCommands::isStored(const QDate& date, qint32 id) const
{
    return m_form.book().find(date, id).has_value();
}

} // namespace nox
