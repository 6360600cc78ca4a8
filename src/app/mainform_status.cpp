// TNoxMainForm: the clock, the now marker, the status bar, the tray icon and
// the popups of alarms and time signals.
#include <QActionGroup>
#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>

#include "alarm/alarmcenter.h"
#include "alarm/ui/popupsettings.h"
#include "alarm/ui/popupwindow.h"
#include "app/appenvironment.h"
#include "app/clockpanel.h"
#include "app/mainform.h"
#include "app/statuspanels.h"
#include "core/inifile.h"
#include "core/settings.h"
#include "sked/skedcontrol.h"

namespace nox
{

void TNoxMainForm::buildStatusBar()
{
    m_status = new TStatusPanels(this);
    setStatusBar(m_status);
    m_status->OnPanelDblClick = [this](QObject*, int panel, const QPoint& pos) {
        statusPanelDblClick(panel, pos);
    };
}

void TNoxMainForm::statusPanelDblClick(int panel, const QPoint& globalPos)
{
    if (panel == 0) {
        CategoryMenu()->popup(globalPos);
    } else if (panel == 1 && OnSettings) {
        OnSettings(this, QStringLiteral("祝祭日"));
    }
}

void TNoxMainForm::updateStatusColors()
{
    if (!m_status) {
        return;
    }
    sked::TView& v = m_sked->View();
    TStatusColors c;
    c.viewColor = m_sked->Color();
    c.viewFontColor = m_viewFontColor;
    c.focusColor = v.FocusStyle().Color();
    c.focusFontColor = v.FocusStyle().Font().Color();
    c.rulerFontColor = v.LeftBar().Font().Color();
    c.saturdayColor = m_dayKindColors.SaturdayBKColor;
    c.sundayColor = m_dayKindColors.SundayBKColor;
    c.holidayColor = m_dayKindColors.HolidayBKColor;
    m_status->setColors(c);
    m_status->setViewFont(m_sked->font());
    if (m_clock) {
        m_clock->setStatusBarHeight(m_status->height());
    }
}

void TNoxMainForm::ShowCategoryFilter()
{
    m_status->setCategoryFilter(m_settings.categoryFilter);
}

// "分類 指定なし", one radio item per category, and "分類の編集(&E)..". Built
// anew on every call, so it always follows the category list.
QMenu* TNoxMainForm::CategoryMenu()
{
    if (!m_categoryMenu) {
        m_categoryMenu = new QMenu(this);
    }
    m_categoryMenu->clear();
    auto* group = new QActionGroup(m_categoryMenu);
    const QString none = QStringLiteral("分類 指定なし");
    QStringList names{none};
    names << m_categories;
    for (const QString& name : names) {
        QAction* a = m_categoryMenu->addAction(name);
        a->setCheckable(true);
        a->setChecked(name == none ? m_settings.categoryFilter.isEmpty() : name == m_settings.categoryFilter);
        group->addAction(a);
        const QString filter = name == none ? QString() : name;
        connect(a, &QAction::triggered, this, [this, filter] { SetCategoryFilter(filter); });
    }
    m_categoryMenu->addSeparator();
    m_categoryMenu->addAction(QStringLiteral("分類の編集(&E).."), this, [this] {
        if (OnSettings) {
            OnSettings(this, QStringLiteral("分類"));
        }
    });
    return m_categoryMenu;
}

// The view is filled again; the day view keeps its focused column, item and line.
void TNoxMainForm::SetCategoryFilter(const QString& filter)
{
    if (filter == m_settings.categoryFilter) {
        return;
    }
    m_settings.categoryFilter = filter;
    ShowCategoryFilter();
    RefreshView();
}

// --- clock ------------------------------------------------------------------------

void TNoxMainForm::buildClock()
{
    if (!m_clock) {
        m_clock = new TClockPanel(this);
        m_clock->OnHideClick = [this](QObject*) {
            m_settings.clockVisible = false;
            Settings(iniPath()).writeBool(Key::ClockVisible, false);
        };
        m_clock->OnSettingsClick = [this](QObject*) {
            if (OnSettings) {
                OnSettings(this, QStringLiteral("時計"));
            }
        };
    }
    const TNoxSettings& s = m_settings;
    m_clock->setFormat(s.clockFormat);
    m_clock->setColors(s.clockBkColor, s.clockFgColor);
    m_clock->setDragColors(m_sked->View().FocusStyle().Color(), m_sked->View().FocusStyle().Font().Color());
    m_clock->setClockFont(s.clockFontName.isEmpty() ? m_sked->font().family() : s.clockFontName,
                          s.clockFontSize, s.clockFontStyle & (fsBold | fsItalic | fsUnderline));
    m_clock->setFixedPos(s.clockFixedPos);
    m_clock->setCorner(s.clockFixedPosIndex);
    m_clock->setMargins(s.clockXMargin, s.clockYMargin);
    m_clock->setStatusBarHeight(m_status->height());
    m_clock->move(s.clockLeft, s.clockTop);
    m_clock->setVisible(s.clockVisible);
    m_clock->tick(now());
    m_clock->sizeToFormat();
    m_clock->setAutoPlace(true);
    m_clock->raise();
}

// --- tray -------------------------------------------------------------------------

void TNoxMainForm::AddTrayIcon()
{
    if (!m_tray) {
        m_tray = new QSystemTrayIcon(QApplication::windowIcon(), this);
        m_trayMenu = new QMenu(this);
        QAction* open =
            m_trayMenu->addAction(QStringLiteral("Nox を開く(&O)"), this, &TNoxMainForm::ShowFromTray);
        QFont bold = open->font();
        bold.setBold(true);
        open->setFont(bold);
        m_trayMenu->addSeparator();
        m_trayMenu->addAction(QStringLiteral("スケジュールの追加(&A)"), this, [this] {
            if (OnAddSchedule) {
                ShowFromTray();
                OnAddSchedule(this);
            }
        });
        m_trayMenu->addAction(QStringLiteral("スケジュールの検索(&F)"), this, [this] {
            if (OnSearch) {
                ShowFromTray();
                OnSearch(this);
            }
        });
        m_trayMenu->addSeparator();
        m_trayMenu->addAction(QStringLiteral("終了(&X)"), this, &TNoxMainForm::ExitFromTray);
        connect(m_trayMenu, &QMenu::aboutToShow, this,
                [this, open] { open->setEnabled(tray::openItemEnabled(isVisible())); });
        m_tray->setContextMenu(m_trayMenu);
        connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger) {
                tray::applyLeftClick(this);
            }
        });
    }
    m_tray->setToolTip(tray::toolTip(productVersion()));
    m_tray->show();
}

void TNoxMainForm::RemoveTrayIcon()
{
    if (m_tray) {
        m_tray->hide();
    }
}

void TNoxMainForm::ShowFromTray()
{
    tray::showAndRaise(this);
}

// --- popups -----------------------------------------------------------------------

void TNoxMainForm::openPopup(const PopupRequest& request)
{
    if (m_options.showPopup) {
        m_options.showPopup(request);
        return;
    }
    showPopupWindow(request);
}

} // namespace nox

namespace nox
{

void TNoxMainForm::showPopupWindow(const PopupRequest& request)
{
    ShowPopupMessage(request);
}

// The running popup settings and the way back from a popup's "表示(&V)".
void TNoxMainForm::setUpPopups()
{
    SetPopupSettings(ReadPopupSettings(IniFile(iniPath())));
    TPopupHost host;
    host.mainWindow = this;
    host.goToSchedule = [this](const TSkedRec& rec) {
        const bool found = GoToDate(rec.date(), rec.ID);
        if (found) {
            ShowFromTray();
        }
        return found;
    };
    SetPopupHost(host);
}

} // namespace nox
