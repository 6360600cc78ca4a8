#pragma once
// TForm4 "設定": every user setting of the program on nine pages. The pages
// edit copies; "OK" applies the pages whose controls were changed, in the
// order of their numbers, and "キャンセル" (Escape, the close box) applies
// nothing. Opened with one page number, only that page is shown, filled and
// applied.
//
//   number  caption (tab order)
//     1     "スタイル"
//     5     "イメージ"
//     4     "分類"
//     3     "祝祭日"
//     6     "印刷"
//     7     "時計"
//     8     "アラーム/時報"
//     9     "ポップアップメッセージ"
//     2     "その他"
//
// Other windows open the dialog through ShowSettings(owner, page); the program
// registers its host once (SetSettingsHost) at start-up.
#include <QDialog>
#include <QList>
#include <functional>

class QPushButton;
class QStackedWidget;

namespace nox
{

class TMultiRowTabBar;
class TSettingsHost;
class TSettingsPage;

enum TSettingsPageNumber : int {
    spAll = 0,
    spStyle = 1,
    spOther = 2,
    spHoliday = 3,
    spCategory = 4,
    spImage = 5,
    spPrint = 6,
    spClock = 7,
    spAlarm = 8,
    spPopup = 9,
};

// The page number of a tab caption ("祝祭日" -> 3); 0 for an empty or unknown caption.
int SettingsPageNumber(const QString& caption);

class TForm4 : public QDialog
{
    Q_OBJECT
public:
    TForm4(TSettingsHost& host, int page, QWidget* owner = nullptr);
    ~TForm4() override;

    TSettingsHost& Host() const { return m_host; }
    // The page with this number, nullptr when it is not shown.
    TSettingsPage* Page(int number) const;
    // The number of the page in front.
    int CurrentPage() const;
    void SetCurrentPage(int number);
    TMultiRowTabBar* Tabs() const { return m_tabs; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }
    // Pages applied by the last "OK", in page-number order.
    const QList<int>& AppliedPages() const { return m_applied; }

    // Collects a failure of an apply step; all are shown in one message once
    // every changed page was applied.
    void ReportFailure(const QString& text);

    // The page shown first by a full dialog (the one in front when the last
    // full dialog closed; the first page at the first opening).
    int RememberedPage() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;

private:
    void buildPages();
    void compactPages();
    // True when every changed page was written; a failure was told in one message.
    bool applyChangedPages();
    void guardInputs();

    TSettingsHost& m_host;
    int m_single = 0;
    TMultiRowTabBar* m_tabs = nullptr;
    QStackedWidget* m_stack = nullptr;
    QList<TSettingsPage*> m_pages; // in tab order
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QList<int> m_applied;
    QStringList m_failures;
};

// The program's host (not owned); nullptr until the main window has started.
void SetSettingsHost(TSettingsHost* host);
TSettingsHost* SettingsHost();
// Shows the dialog modally over `owner` with all pages (page 0) or one page
// (1..9). Returns true iff it was closed with "OK". Without a registered host
// nothing opens and false is returned.
bool ShowSettings(QWidget* owner, int page = spAll);

} // namespace nox
