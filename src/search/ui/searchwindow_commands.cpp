// The search window's commands: search, open, change, delete and the print
// layouts.
#include "search/ui/searchwindow.h"

#include "dialogs/occurrencequestion.h"
#include "dialogs/processing.h"
#include "search/ui/browsercommands.h"
#include "search/ui/bulkchange.h"
#include "search/ui/resultlist.h"
#include "search/ui/searchcombos.h"
#include "search/ui/searchmessages.h"
#include "store/repeatrule.h"
#include "store/schedulebook.h"
#include "widgets/choosers.h"
#include "widgets/noxbutton.h"

#include <QDesktopServices>
#include <algorithm>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QUrl>

namespace nox
{

namespace
{

// At most this many problems are named in one message.
constexpr int kProblemsShown = 10;

QString listProblems(const QStringList& items)
{
    QStringList shown = items.mid(0, kProblemsShown);
    if (items.size() > kProblemsShown) {
        shown << QStringLiteral("ほか %1 件").arg(items.size() - kProblemsShown);
    }
    return shown.join(u'\n');
}

} // namespace

// --- search -------------------------------------------------------------------------

void TForm6::SearchClick()
{
    if (m_worker) {
        return;
    }
    const SearchQuery q = query();
    m_searchedText = q.text;
    m_list->resultModel()->setResults({});
    m_outcome = std::make_shared<SearchOutcome>();
    m_progress = std::make_shared<std::atomic<int>>(0);
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    DayLineSource* days = &m_host.days();
    m_worker = QThread::create([days, q, outcome = m_outcome, progress = m_progress, cancel = m_cancel] {
        *outcome = searchSchedules(*days, q, [&](int done, int total) {
            *progress = int(qint64(done) * 1000 / qMax(1, total));
            return !cancel->load();
        });
    });
    connect(m_worker, &QThread::finished, this, &TForm6::searchFinished);
    toolButton(QStringLiteral("検索開始"))->setEnabled(false);
    updateSelectionButtons();
    m_countPanel->setText(QStringLiteral("検索中"));
    m_progressTimer->start();
    m_worker->start();
}

void TForm6::waitForSearch()
{
    if (m_worker) {
        m_worker->wait();
        searchFinished();
    }
}

void TForm6::searchFinished()
{
    if (!m_worker) {
        return;
    }
    m_worker->wait();
    delete m_worker;
    m_worker = nullptr;
    m_progressTimer->stop();
    toolButton(QStringLiteral("検索開始"))->setEnabled(true);
    const SearchOutcome outcome = std::move(*m_outcome);
    m_outcome.reset();
    if (outcome.cancelled) {
        m_countPanel->setText(QStringLiteral("中止"));
        updateSelectionButtons();
        return;
    }
    m_list->resultModel()->setResults(outcome.results);
    if (!outcome.results.isEmpty()) {
        m_list->setFocus();
        m_list->setCurrentIndex(m_list->resultModel()->index(0, 0));
        recordHistory();
    }
    updateSelectionButtons();
    QString count = QStringLiteral("%1件").arg(outcome.results.size());
    if (outcome.occurrencesUntil.isValid()) {
        count += QStringLiteral("（繰り返しは %1 まで）").arg(outcome.occurrencesUntil.toString(QStringLiteral("yyyy/MM/dd")));
    }
    m_countPanel->setText(count);
    showSearchProblems(outcome);
    if (OnSearched) {
        OnSearched(this);
    }
}

void TForm6::showSearchProblems(const SearchOutcome& outcome)
{
    QStringList parts;
    if (!outcome.errors.isEmpty()) {
        parts << QStringLiteral("次のファイルを読めないため、検索できませんでした。\n") + listProblems(outcome.errors);
    }
    if (!outcome.skipped.isEmpty()) {
        QStringList lines;
        for (const TDayProblem& p : outcome.skipped) {
            lines << QStringLiteral("%1 の %2 行目: %3").arg(QDir::toNativeSeparators(p.file)).arg(p.lineNumber).arg(p.reason);
        }
        parts << QStringLiteral("次の行は検索文字を含みますが、スケジュールとして読めないため一覧にありません。\n") +
                     listProblems(lines);
    }
    if (!parts.isEmpty()) {
        showSearchMessage(this, QMessageBox::Warning, parts.join(QStringLiteral("\n\n")));
    }
}

void TForm6::recordHistory()
{
    const int selected = m_history.recordSearch(m_searchedText);
    m_words->blockSignals(true);
    m_words->clear();
    m_words->addItems(m_history.entries());
    m_words->setCurrentIndex(selected);
    m_words->setEditText(m_searchedText);
    m_words->blockSignals(false);
}

void TForm6::escapePressed()
{
    if (m_worker) {
        *m_cancel = true;
        return;
    }
    close();
}

// --- open, change, delete --------------------------------------------------------

void TForm6::OpenClick()
{
    const int row = m_list->focusedRow();
    if (row < 0 || m_list->selectedRows().isEmpty()) {
        return;
    }
    const TSkedSearchRec rec = m_list->resultModel()->at(row);
    if (!m_host.openSchedule(rec.Date, rec.ID, rec.Category)) {
        showSearchMessage(this, QMessageBox::Question,
                          QStringLiteral("対象スケジュールが見つかりません!\r\n"
                                         "再度「検索開始」ボタンをクリックし、検索結果をリフレッシュしてください。"));
        return;
    }
    if (m_settings.endClose) {
        close();
    }
}

void TForm6::ChangeClick()
{
    const QList<int> rows = m_list->selectedRows();
    if (rows.isEmpty() || isSearching()) {
        return;
    }
    QList<TSkedSearchRec> targets;
    for (int row : rows) {
        targets << m_list->resultModel()->at(row);
    }
    TForm9 dialog(m_host, targets, this);
    if (dialog.exec() != QDialog::Accepted && dialog.changedCount() == 0) {
        return;
    }
    // The list shows what the day files now hold.
    for (int row : rows) {
        TSkedSearchRec rec = m_list->resultModel()->at(row);
        if (const std::optional<TSkedRec> now = m_host.book().find(rec.Date, rec.ID)) {
            rec.Category = now->Category;
            rec.ImageIndex = now->ImageIndex;
            m_list->resultModel()->replaceResult(row, rec);
        }
    }
    m_host.refreshViews();
    m_list->viewport()->update();
}

void TForm6::DeleteClick()
{
    const QList<int> rows = m_list->selectedRows();
    if (rows.isEmpty() || isSearching() ||
        !confirmTwice(this, QStringLiteral("削除しても宜しいですか？"),
                      QStringLiteral("本当に削除しても宜しいですか？\r\n\r\n削除すると元に戻す事はできません！"))) {
        return;
    }
    // One answer for every occurrence among the rows; nothing is removed
    // when the user cancels.
    std::optional<OccurrenceScope> scope;
    const auto isOccurrence = [this](int row) { return isRuleId(m_list->resultModel()->at(row).ID); };
    if (std::any_of(rows.cbegin(), rows.cend(), isOccurrence)) {
        scope = askOccurrenceScope(this, windowTitle(), occurrenceRemoveQuestion());
        if (!scope) {
            return;
        }
    }
    TForm10 progress(window(), QStringLiteral("削除中..."));
    progress.SetMaximum(int(rows.size()));
    QString failure;
    for (auto it = rows.crbegin(); it != rows.crend(); ++it) {
        const TSkedSearchRec rec = m_list->resultModel()->at(*it);
        const BookResult removed = removeFound(rec, scope);
        if (removed.code() == BookStatus::Failed) {
            failure = removed.message();
            break;
        }
        m_list->resultModel()->removeResult(*it);
        progress.Advance();
    }
    progress.close();
    if (scope && *scope != OccurrenceScope::This) {
        dropVanishedOccurrences();
    }
    updateSelectionButtons();
    m_countPanel->setText(QStringLiteral("%1件").arg(m_list->resultModel()->rowCount()));
    m_host.refreshViews();
    m_list->viewport()->update();
    if (!failure.isEmpty()) {
        showSearchMessage(this, QMessageBox::Critical, failure);
    }
}

// An occurrence goes for the occurrences of `scope` (one already gone with
// its rule is NotFound); a schedule of a day file by its ID.
BookResult TForm6::removeFound(const TSkedSearchRec& rec, const std::optional<OccurrenceScope>& scope)
{
    if (!scope || !isRuleId(rec.ID)) {
        return m_host.book().remove(rec.Date, rec.ID);
    }
    const std::optional<TSkedRec> occurrence = m_host.book().find(rec.Date, rec.ID);
    if (!occurrence || !occurrence->isOccurrence()) {
        return Status::notFound(QString(), QString());
    }
    return m_host.book().removeOccurrence(*scope, *occurrence);
}

// Occurrences in the list that went with their rule (removed for all or the
// following ones) leave the list too.
void TForm6::dropVanishedOccurrences()
{
    for (int row = m_list->resultModel()->rowCount() - 1; row >= 0; --row) {
        const TSkedSearchRec rec = m_list->resultModel()->at(row);
        if (isRuleId(rec.ID) && !m_host.book().find(rec.Date, rec.ID)) {
            m_list->resultModel()->removeResult(row);
        }
    }
}

// --- print layouts ------------------------------------------------------------------

bool TForm6::hasResults()
{
    if (m_list->resultModel()->rowCount() > 0) {
        return true;
    }
    showSearchMessage(this, QMessageBox::Information, QStringLiteral("対象スケジュールがありません。"));
    return false;
}

QString TForm6::render(const QString& output, bool createFolder, CompanionPlace place)
{
    RenderInput input;
    input.results = m_list->resultModel()->results();
    input.settings = m_settings.print;
    input.criteria = printCriteria(query(), m_settings.print.dateFormat);
    input.holidays = &m_host.holidays();
    const QString layout = QDir(m_host.printFolder()).filePath(m_settings.layout);
    const RenderResult r = RenderTemplate(layout, output, input, createFolder, place);
    if (!r.ok()) {
        showSearchMessage(this, r.status == RenderResult::NoTemplate ? QMessageBox::Information : QMessageBox::Warning,
                          r.message);
        return {};
    }
    return r.path;
}

void TForm6::runBrowserCommand(int mode)
{
    if (!hasResults() || m_browserBusy) {
        return;
    }
    const QString path =
        render(QDir(m_host.dataFolder()).filePath(QStringLiteral("temp/Schedule")), true);
    if (path.isEmpty()) {
        return;
    }
    if (mode == 2) {
        if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
            showSearchMessage(this, QMessageBox::Warning,
                              QStringLiteral("「%1」をブラウザーで開けません。").arg(QDir::toNativeSeparators(path)));
        }
        return;
    }
    if (!isPrintableOutput(path)) {
        showSearchMessage(this, QMessageBox::Question,
                          mode == TBrowserCommands::bmPrint ? QStringLiteral("このファイル形式は印刷できません!")
                                                            : QStringLiteral("このファイル形式はプレビューできません!"));
        return;
    }
    if (!m_browser) {
        QString error;
        m_browser = createBrowserCommands(this, &error);
        if (!m_browser) {
            showSearchMessage(this, QMessageBox::Critical, error);
            return;
        }
    }
    m_browserBusy = true;
    m_browser->RunBrowserCommand(path, TBrowserCommands::Mode(mode));
    m_browserBusy = false;
}

void TForm6::PrintClick()
{
    runBrowserCommand(TBrowserCommands::bmPrint);
}

void TForm6::PreviewClick()
{
    runBrowserCommand(TBrowserCommands::bmPreview);
}

void TForm6::BrowserClick()
{
    runBrowserCommand(2);
}

void TForm6::SaveClick()
{
    if (!hasResults()) {
        return;
    }
    const QString layout = QDir(m_host.printFolder()).filePath(m_settings.layout);
    const QString suffix = QFileInfo(findTemplate(layout)).suffix();
    const QString filter = suffix.isEmpty() ? QString() : QStringLiteral("*.%1;;*").arg(suffix);
    const QString output = ChooseSaveFile(this, TSaveKind::Results, filter, suffix,
                                          QStringLiteral("Schedule") + (suffix.isEmpty() ? QString() : u'.' + suffix));
    if (output.isEmpty()) {
        return;
    }
    // The layout's own files go into a folder named after the page; files
    // there that the layout would change are replaced only when the user says so.
    const QStringList replaced = companionsToReplace(layout, output);
    if (!replaced.isEmpty() && !confirmReplacing(replaced)) {
        return;
    }
    render(output, false, replaced.isEmpty() ? CompanionPlace::PageFolder : CompanionPlace::PageFolderReplacing);
}

bool TForm6::confirmReplacing(const QStringList& files)
{
    QStringList shown;
    for (const QString& file : files) {
        shown << QDir::toNativeSeparators(file);
    }
    return askSearchQuestion(this, QStringLiteral("印刷レイアウトのファイルを置くフォルダーに、内容の違う同じ名前の"
                                                  "ファイルがあります。置き換えてもよろしいですか？\n\n%1")
                                       .arg(shown.join(u'\n')));
}

void TForm6::PrintSettingsClick()
{
    if (!m_host.hasPrintSettings()) {
        return;
    }
    m_host.openPrintSettings();
    m_settings = m_host.settings();
    showLayoutName();
    // The dialog was this window's: the user goes on here.
    raise();
    activateWindow();
}

} // namespace nox
