#pragma once
// The about box: program name and version, and a link to the help page that
// comes with the program; closed with "OK". The program has no web page or
// mail address of its own to name.
#include <QDialog>
#include <QString>
#include <functional>

class QLabel;
class QPushButton;

namespace nox
{

class TForm8 : public QDialog
{
    Q_OBJECT
public:
    // `caption` is the main window's caption ("Nox - ver 2.05").
    explicit TForm8(const QString& caption, QWidget* parent = nullptr);

    QString captionText() const { return m_caption; }
    QLabel* helpLink() const { return m_helpLink; }
    QPushButton* okButton() const { return m_ok; }

    // Raised when the help link is clicked.
    std::function<void(QObject* Sender)> OnHelp;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_caption;
    QLabel* m_helpLink = nullptr;
    QPushButton* m_ok = nullptr;
};

} // namespace nox
