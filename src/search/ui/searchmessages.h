#pragma once
// The message boxes of the search window and the bulk change dialog.
#include <QMessageBox>
#include <QString>

namespace nox
{

// A box of the given kind with only "OK".
void showSearchMessage(QWidget* parent, QMessageBox::Icon icon, const QString& text);
// A warning with "はい" and "いいえ"; true only for "はい".
bool askSearchQuestion(QWidget* parent, const QString& text);
// Both questions of a change that cannot be undone; true only when both are
// answered "はい".
bool confirmTwice(QWidget* parent, const QString& first, const QString& second);

} // namespace nox
