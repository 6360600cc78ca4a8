#pragma once
// The main window's side of the search window: serves it as its host (the
// store, lists and settings, going to a schedule, refreshing the views) and
// keeps the one search window, which the tool bar's "検索/印刷...", the tray
// menu's "スケジュールの検索(&F)" and Ctrl+F open (or focus when it is open).
// The search reads the days through the book's memory of them, which
// stays between searches and windows.
// It also lends the settings dialog's print page the renderer's sample and
// pictures of pages (dialogs/printpreview.h).
#include <QObject>
#include <QPointer>
#include <memory>

#include "search/ui/searchhost.h"

namespace nox
{

class KeptDaySource;
class TForm6;
struct TPrintPreviewRequest;
class TNoxMainForm;

class TSearchLink : public QObject, public TSearchHost
{
    Q_OBJECT
public:
    // Owned by `form` (its child); sets form.OnSearch and adds Ctrl+F.
    explicit TSearchLink(TNoxMainForm& form);
    ~TSearchLink() override;

    // Opens the search window, or gives the open one the focus.
    void ShowSearchWindow();
    TForm6* searchWindow() const;

    QWidget* ownerWindow() override;
    QString dataFolder() override;
    QString iniPath() override;
    ScheduleBook& book() override;
    DayLineSource& days() override;
    TSearchSettings settings() override;
    QStringList categories() override;
    QString categoryFilter() override;
    QList<QPixmap> images() override;
    const HolidayList& holidays() override;
    TColor viewFontColor() override;
    QString printFolder() override;
    bool openSchedule(const QDate& date, qint32 id, const QString& category) override;
    void refreshViews() override;
    bool hasPrintSettings() override;
    void openPrintSettings() override;

private:
    QString renderSample(const TPrintPreviewRequest& request);
    QImage pagePicture(const QString& path, QSize size);

    TNoxMainForm& m_form;
    std::unique_ptr<KeptDaySource> m_days;
    QPointer<TForm6> m_window;
};

// Connects the search window to the main window.
TSearchLink* installSearch(TNoxMainForm& form);

} // namespace nox
