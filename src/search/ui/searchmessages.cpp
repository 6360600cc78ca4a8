#include "search/ui/searchmessages.h"

#include <QApplication>

namespace nox
{

void showSearchMessage(QWidget* parent, QMessageBox::Icon icon, const QString& text)
{
    QMessageBox box(icon, QApplication::applicationName(), text, QMessageBox::Ok, parent);
    box.exec();
}

bool askSearchQuestion(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Warning, QApplication::applicationName(), text, QMessageBox::Yes | QMessageBox::No,
                    parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

bool confirmTwice(QWidget* parent, const QString& first, const QString& second)
{
    return askSearchQuestion(parent, first) && askSearchQuestion(parent, second);
}

} // namespace nox
