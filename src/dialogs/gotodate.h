#pragma once
// TForm3, the go-to-date dialog: a month calendar with "OK" and "キャンセル".
#include <QDate>
#include <QDialog>

class QCalendarWidget;
class QLabel;
class QPushButton;

namespace nox
{

class TForm3 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm3(QWidget* owner = nullptr);

    QCalendarWidget* Calendar() const { return m_calendar; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }

    void SetDate(const QDate& date);
    QDate Date() const;
    // Shows the 六曜 of the chosen day beside the buttons (off: nothing).
    void SetShowRokuyo(bool on);
    QLabel* RokuyoLabel() const { return m_rokuyo; }

private:
    void updateRokuyo();

    QLabel* m_rokuyo = nullptr;
    QCalendarWidget* m_calendar = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

// Shows the dialog modally, centred on `owner`, starting on `date`. Returns
// true and writes the chosen date back iff it was closed with "OK" (also when
// the chosen date equals the given one); otherwise `date` is untouched.
// With `showRokuyo` the dialog names the 六曜 of the chosen day.
bool ShowGoToDate(QWidget* owner, QDate& date, bool showRokuyo = false);

} // namespace nox
