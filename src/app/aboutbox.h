#pragma once
// The about box: program name, version and the maker's web page and mail
// address as links; closed with "OK".
#include <QDialog>
#include <QString>
#include <QUrl>

class QLabel;
class QPushButton;

namespace nox
{

// The maker's web page and mail address, also used by the window's
// "作者のホームページを開く(&W)" and "作者へメールを送信する(&M)" commands.
QUrl makerPageUrl();
QUrl makerMailUrl(); // "mailto:" + address

class TForm8 : public QDialog
{
    Q_OBJECT
public:
    // `caption` is the main window's caption ("Nox - ver 2.05").
    explicit TForm8(const QString& caption, QWidget* parent = nullptr);

    QString captionText() const { return m_caption; }
    QLabel* pageLink() const { return m_pageLink; }
    QLabel* mailLink() const { return m_mailLink; }
    QPushButton* okButton() const { return m_ok; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_caption;
    QLabel* m_pageLink = nullptr;
    QLabel* m_mailLink = nullptr;
    QPushButton* m_ok = nullptr;
};

} // namespace nox
