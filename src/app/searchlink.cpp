#include "app/searchlink.h"

#include "app/mainform.h"
#include "core/folders.h"
#include "dialogs/printpreview.h"
#include "search/daysource.h"
#include "search/ui/browsercommands.h"
#include "search/ui/searchmessages.h"
#include "search/ui/searchwindow.h"
#include "store/schedulebook.h"

#include <QAction>
#include <QApplication>
#include <QDir>

namespace nox
{

TSearchLink::TSearchLink(TNoxMainForm& form) : QObject(&form), m_form(form)
{
    form.OnSearch = [this](QObject*) { ShowSearchWindow(); };
    auto* find = new QAction(QStringLiteral("スケジュールの検索(&F)..."), &form);
    find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    find->setShortcutContext(Qt::WindowShortcut);
    connect(find, &QAction::triggered, this, &TSearchLink::ShowSearchWindow);
    form.addAction(find);
    SetPrintPreviewMakers([this](const TPrintPreviewRequest& r) { return renderSample(r); },
                          [this](const QString& path, QSize size) { return pagePicture(path, size); });
}

TSearchLink::~TSearchLink()
{
    SetPrintPreviewMakers({}, {});
    delete m_window; // before the days and the book it reads
}

QString TSearchLink::renderSample(const TPrintPreviewRequest& request)
{
    RenderInput input;
    input.sample = true;
    input.today = m_form.today();
    input.holidays = &m_form.holidays();
    input.settings.dateFormat = request.dateFormat;
    input.settings.duplicateDate = request.duplicateDate;
    input.settings.emptyDays = emptyDaysOf(request.noneSkedDate);
    input.criteria.startDate = request.startDate;
    input.criteria.endDate = request.endDate;
    const RenderResult r =
        RenderTemplate(QDir(folders::printFolder()).filePath(request.layout), request.outputPath, input, true);
    if (!r.ok()) {
        showSearchMessage(QApplication::activeWindow(),
                          r.status == RenderResult::NoTemplate ? QMessageBox::Information : QMessageBox::Warning,
                          r.message);
    }
    return r.path;
}

// The engine is started for the one picture and ended after it: the print
// page asks again only when another layout is chosen, and the engine's
// hundreds of megabytes are not kept for that.
QImage TSearchLink::pagePicture(const QString& path, QSize size)
{
    QWidget* owner = QApplication::activeWindow();
    QString error;
    const std::unique_ptr<TBrowserCommands> engine = createBrowserCommands(owner, &error);
    if (!engine) {
        showSearchMessage(owner, QMessageBox::Warning, error);
        return {};
    }
    // Sharp on a screen of several device pixels per pixel.
    const qreal ratio = owner ? owner->devicePixelRatioF() : qApp->devicePixelRatio();
    QImage picture = engine->PagePicture(path, (QSizeF(size) * ratio).toSize());
    picture.setDevicePixelRatio(ratio);
    return picture;
}

void TSearchLink::ShowSearchWindow()
{
    if (!m_window) {
        m_window = new TForm6(*this, &m_form);
        m_window->show();
    }
    if (m_window->isMinimized()) {
        m_window->showNormal();
    }
    m_window->raise();
    m_window->activateWindow();
}

TForm6* TSearchLink::searchWindow() const
{
    return m_window;
}

QWidget* TSearchLink::ownerWindow()
{
    return &m_form;
}

QString TSearchLink::dataFolder()
{
    return m_form.dataFolder();
}

QString TSearchLink::iniPath()
{
    return m_form.dataFolder() + QStringLiteral("/Nox.ini");
}

ScheduleBook& TSearchLink::book()
{
    return m_form.book();
}

DayLineSource& TSearchLink::days()
{
    if (!m_days) {
        m_days = std::make_unique<KeptDaySource>(m_form.book());
    }
    return *m_days;
}

TSearchSettings TSearchLink::settings()
{
    const TNoxSettings& s = m_form.settings();
    TSearchSettings t;
    t.dateFormat = s.dateFormat;
    t.endClose = s.endClose;
    t.searchColor = s.searchColor;
    t.searchColorValue = s.searchColorValue;
    t.layout = s.layout;
    t.print.dateFormat = s.searchDateFormat;
    t.print.duplicateDate = s.duplicateDate;
    t.print.emptyDays = emptyDaysOf(s.noneSkedDate);
    return t;
}

QStringList TSearchLink::categories()
{
    return m_form.categories();
}

QString TSearchLink::categoryFilter()
{
    return m_form.categoryFilter();
}

QList<QPixmap> TSearchLink::images()
{
    return m_form.images();
}

const HolidayList& TSearchLink::holidays()
{
    return m_form.holidays();
}

TColor TSearchLink::viewFontColor()
{
    return m_form.viewFontColor();
}

QString TSearchLink::printFolder()
{
    return folders::printFolder();
}

bool TSearchLink::openSchedule(const QDate& date, qint32 id, const QString& category)
{
    const QString filter = m_form.categoryFilter();
    if (!filter.isEmpty() && !category.isEmpty() && category != filter) {
        m_form.SetCategoryFilter(category);
    }
    // The views are read again: the schedule may have changed on disk since
    // they were filled, and the list shows what the day files held.
    if (!m_form.GoToDate(date, id, true)) {
        return false;
    }
    if (!m_form.isVisible() || m_form.isMinimized()) {
        m_form.ShowFromTray();
    }
    m_form.raise();
    m_form.activateWindow();
    return true;
}

void TSearchLink::refreshViews()
{
    m_form.RefreshView();
}

bool TSearchLink::hasPrintSettings()
{
    return bool(m_form.OnSettings);
}

void TSearchLink::openPrintSettings()
{
    if (m_form.OnSettings) {
        // Owned by the search window: it comes back to the front afterwards.
        QObject* owner = m_window ? static_cast<QObject*>(m_window) : &m_form;
        m_form.OnSettings(owner, QStringLiteral("印刷"));
    }
}

TSearchLink* installSearch(TNoxMainForm& form)
{
    return new TSearchLink(form);
}

} // namespace nox
