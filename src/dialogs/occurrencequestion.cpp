#include "dialogs/occurrencequestion.h"

#include <QMessageBox>
#include <QPushButton>

namespace nox
{

std::optional<OccurrenceScope> askOccurrenceScope(QWidget* parent, const QString& title,
                                                  const QString& question)
{
    QMessageBox ask(QMessageBox::Question, title, question, QMessageBox::NoButton, parent);
    QPushButton* thisOne = ask.addButton(QStringLiteral("この予定のみ"), QMessageBox::AcceptRole);
    QPushButton* following = ask.addButton(QStringLiteral("これ以降"), QMessageBox::AcceptRole);
    QPushButton* all = ask.addButton(QStringLiteral("すべて"), QMessageBox::AcceptRole);
    QPushButton* cancel = ask.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
    ask.setDefaultButton(thisOne);
    ask.setEscapeButton(cancel);
    ask.exec();
    const QAbstractButton* chosen = ask.clickedButton();
    if (chosen == thisOne) {
        return OccurrenceScope::This;
    }
    if (chosen == following) {
        return OccurrenceScope::Following;
    }
    if (chosen == all) {
        return OccurrenceScope::All;
    }
    return std::nullopt;
}

QString occurrenceChangeQuestion()
{
    return QStringLiteral("繰り返しの予定を変更します。");
}

QString occurrenceRemoveQuestion()
{
    return QStringLiteral("繰り返しの予定を削除します。");
}

} // namespace nox
