#include "app/mainsettingshost.h"

#include <QObject>

#include "alarm/alarmcenter.h"
#include "app/mainform.h"
#include "dialogs/settingsdialog.h"
#include "dialogs/settingshost.h"

namespace nox
{

namespace
{

class MainFormHost : public TSettingsHost
{
public:
    explicit MainFormHost(TNoxMainForm& form) : m_form(form) {}

    TNoxSettings RunningSettings() const override { return m_form.settings(); }
    TStyle CurrentStyle() const override { return m_form.CurrentStyle(); }
    ImageStrip Images() const override { return m_form.imageStrip(); }
    QStringList Categories() const override { return m_form.categories(); }
    HolidayList Holidays() const override { return m_form.holidays(); }
    QDate SelectedDate() const override { return m_form.SelectedDate(); }
    AlarmSettings RunningAlarmSettings() const override { return m_form.alarms().settings(); }

    void ApplyStyle(int index, const TStyle& style, bool halfFormat) override
    {
        m_form.ApplySettingsStyle(index, style, halfFormat);
    }
    void ApplyImages(const ImageStrip& images) override { m_form.SetImageStrip(images); }
    void ApplyCategories(const QStringList& categories, const QString& filter) override
    {
        m_form.SetCategories(categories, filter);
    }
    void ApplyHolidays(const HolidayList& holidays) override { m_form.SetHolidays(holidays); }
    void ApplyPrint(const TNoxSettings& s) override { m_form.ApplyPrintSettings(s); }
    void ApplyClock(const TNoxSettings& s) override { m_form.ApplyClockSettings(s); }
    void ApplyAlarms(const AlarmSettings& s) override { m_form.ApplyAlarmSettings(s); }
    void ApplyPopup(const TPopupSettings& s) override { m_form.ApplyPopupSettings(s); }
    void ApplyOther(const TNoxSettings& s) override { m_form.ApplyOtherSettings(s); }
    void RepaintStatusBar() override { m_form.RepaintStatusBar(); }
    void SettingsApplied(const QList<int>& pages) override
    {
        if (m_form.OnSettingsApplied && !pages.isEmpty()) {
            m_form.OnSettingsApplied(&m_form, pages);
        }
    }

private:
    TNoxMainForm& m_form;
};

// Lives as long as the window and withdraws the host with it.
class HostHolder : public QObject
{
public:
    explicit HostHolder(TNoxMainForm& form) : QObject(&form), m_host(form) { SetSettingsHost(&m_host); }
    ~HostHolder() override
    {
        if (SettingsHost() == &m_host) {
            SetSettingsHost(nullptr);
        }
    }

private:
    MainFormHost m_host;
};

} // namespace

void InstallSettingsDialog(TNoxMainForm& form)
{
    new HostHolder(form);
    // The dialog belongs to the window that asks for it (the main window or
    // one of its own windows).
    form.OnSettings = [&form](QObject* sender, const QString& page) {
        auto* owner = qobject_cast<QWidget*>(sender);
        ShowSettings(owner && owner->isWindow() ? owner : &form, SettingsPageNumber(page));
    };
}

} // namespace nox
