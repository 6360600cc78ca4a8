#include "app/writefailurenotices.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "core/textfile.h"

namespace nox
{

WriteFailureNotices::WriteFailureNotices(QObject* parent) : QObject(parent)
{
    setWriteFailureObserver([this](const QString&, const QString& message) { report(message); });
}

WriteFailureNotices::~WriteFailureNotices()
{
    setWriteFailureObserver({});
}

QString WriteFailureNotices::noticeText(const QStringList& messages)
{
    return QStringLiteral("次のファイルを保存できませんでした。\n\n") + messages.join(u'\n');
}

void WriteFailureNotices::report(const QString& message)
{
    if (!m_pending.contains(message)) {
        m_pending.append(message);
    }
    if (!m_scheduled) {
        m_scheduled = true;
        QTimer::singleShot(0, this, &WriteFailureNotices::showPending);
    }
}

void WriteFailureNotices::showPending()
{
    m_scheduled = false;
    if (m_pending.isEmpty()) {
        return;
    }
    const QString text = noticeText(m_pending);
    m_pending.clear();
    if (OnShow) {
        OnShow(text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), text, QMessageBox::Ok, m_window);
    box.exec();
}

} // namespace nox
