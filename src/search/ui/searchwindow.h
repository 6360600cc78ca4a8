#pragma once
// TForm6 "検索 / 印刷": the search window. It finds schedules by words,
// target, period, category and image, lists them, and opens, changes,
// deletes, prints, previews, shows in the browser or saves the results
// through the print layouts. Modeless; the main window keeps at most one
// (app/searchlink.h). Destroyed when closed (or with the main window): it
// then writes its settings and the search history; closing ends the page
// engine's page.
//
// A search runs on a worker thread while the window shows its progress in
// the status bar; Escape cancels it (otherwise Escape closes the window).
#include <QDate>
#include <QPointer>
#include <QWidget>
#include <atomic>
#include <memory>
#include <optional>

#include "search/rendertemplate.h"
#include "search/searchhistory.h"
#include "search/skedsearch.h"
#include "search/ui/searchhost.h"
#include "store/schedulebook.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QSplitter;
class QThread;
class QTimer;

namespace nox
{

class TBrowserCommands;
class TImageComboBox;
class TNoxButton;
class TResultList;
class TWideComboBox;

class TForm6 : public QWidget
{
    Q_OBJECT
public:
    // Reads the window's settings and the history and fills the criteria.
    explicit TForm6(TSearchHost& host, QWidget* parent = nullptr);
    ~TForm6() override;

    // --- commands ---------------------------------------------------------------
    // Starts a search with the criteria shown (ignored while one runs).
    void SearchClick();
    bool isSearching() const { return m_worker != nullptr; }
    // Waits for a running search to finish (tests, shutdown).
    void waitForSearch();
    void OpenClick();
    void ChangeClick();
    void DeleteClick();
    void PrintClick();
    void PreviewClick();
    void BrowserClick();
    void SaveClick();
    void PrintSettingsClick();

    // --- parts, for the main window and tests ----------------------------------
    TResultList* resultList() const { return m_list; }
    QComboBox* wordsBox() const;
    QComboBox* targetBox() const;
    QCheckBox* startCheck() const { return m_startCheck; }
    QCheckBox* endCheck() const { return m_endCheck; }
    QDateEdit* startDate() const { return m_startDate; }
    QDateEdit* endDate() const { return m_endDate; }
    QComboBox* categoryBox() const;
    QComboBox* imageBox() const;
    QPushButton* changeButton() const { return m_changeButton; }
    QPushButton* deleteButton() const { return m_deleteButton; }
    TNoxButton* toolButton(const QString& caption) const;
    QString statusText(int panel) const;
    const SearchHistory& history() const { return m_history; }
    // The criteria as a query.
    SearchQuery query() const;

    // Raised when a search has finished and the list is filled.
    std::function<void(QObject* Sender)> OnSearched;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // layout (searchwindow.cpp)
    void buildToolBar(QWidget* bar);
    QWidget* buildCriteria();
    QWidget* buildResults();
    void buildStatusBar();
    void layoutToolBar();
    void readSettings();
    void writeSettings();
    void fillCriteria();
    void updateSelectionButtons();
    void showLayoutName();
    // commands (searchwindow_commands.cpp)
    void searchFinished();
    void showSearchProblems(const SearchOutcome& outcome);
    void recordHistory();
    void escapePressed();
    void runBrowserCommand(int mode);
    // Renders the results through the current layout; the written path or
    // empty (the user has been told why).
    QString render(const QString& output, bool createFolder,
                   CompanionPlace place = CompanionPlace::BesideOutput);
    // Asks whether the files may be replaced by the layout's (No is the default).
    bool confirmReplacing(const QStringList& files);
    bool hasResults();
    BookResult removeFound(const TSkedSearchRec& rec, const std::optional<OccurrenceScope>& scope);
    void dropVanishedOccurrences();

    TSearchHost& m_host;
    TSearchSettings m_settings;
    QString m_dataFolder; // kept: the window may outlive the main window's members
    QString m_iniPath;
    SearchHistory m_history;
    QSplitter* m_vertical = nullptr;
    QSplitter* m_horizontal = nullptr;
    QWidget* m_toolBar = nullptr;
    QList<TNoxButton*> m_buttons;
    TWideComboBox* m_words = nullptr;
    TWideComboBox* m_target = nullptr;
    QCheckBox* m_startCheck = nullptr;
    QCheckBox* m_endCheck = nullptr;
    QDateEdit* m_startDate = nullptr;
    QDateEdit* m_endDate = nullptr;
    TWideComboBox* m_category = nullptr;
    TImageComboBox* m_image = nullptr;
    QPushButton* m_changeButton = nullptr;
    QPushButton* m_deleteButton = nullptr;
    TResultList* m_list = nullptr;
    QLabel* m_countPanel = nullptr;
    QLabel* m_layoutPanel = nullptr;

    // the running search
    QThread* m_worker = nullptr;
    std::shared_ptr<SearchOutcome> m_outcome;
    std::shared_ptr<std::atomic<int>> m_progress;  // per mille
    std::shared_ptr<std::atomic<bool>> m_cancel;
    QTimer* m_progressTimer = nullptr;
    QString m_searchedText;

    std::unique_ptr<TBrowserCommands> m_browser; // created at the first print or preview
    bool m_browserBusy = false;
};

} // namespace nox
