#include "app/writefailurenotices.h"

#include <QApplication>
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
    for (const QPointer<QMessageBox>& box : m_open) {
        delete box.data();
    }
}

QString WriteFailureNotices::noticeText(const QStringList& messages, Kind kind)
{
    const QString heading =
        kind == Kind::Merged
            ? QStringLiteral(
                  "ほかのプログラムによる変更と合わせて保存しました。どちらの内容も失われていません。")
            : QStringLiteral("次のファイルを保存できませんでした。");
    return heading + QStringLiteral("\n\n") + messages.join(u'\n');
}

void WriteFailureNotices::report(const QString& message, Kind kind)
{
    QStringList& pending = m_pending[int(kind)];
    if (!pending.contains(message)) {
        pending.append(message);
    }
    if (!m_scheduled) {
        m_scheduled = true;
        QTimer::singleShot(0, this, &WriteFailureNotices::showPending);
    }
}

void WriteFailureNotices::showPending()
{
    m_scheduled = false;
    show(Kind::WriteFailed, false);
    show(Kind::Merged, false);
}

void WriteFailureNotices::showPendingAndWait()
{
    m_scheduled = false;
    show(Kind::WriteFailed, true);
    show(Kind::Merged, true);
}

void WriteFailureNotices::show(Kind kind, bool wait)
{
    QStringList messages = std::exchange(m_pending[int(kind)], {});
    if (messages.isEmpty()) {
        return;
    }
    if (OnShow) {
        OnShow(noticeText(messages, kind));
        return;
    }
    QPointer<QMessageBox>& open = m_open[int(kind)];
    if (open) {
        // The open box takes what it does not tell yet.
        const QString told = open->text();
        messages.removeIf([&](const QString& m) { return told.contains(m); });
        if (!messages.isEmpty()) {
            open->setText(told + u'\n' + messages.join(u'\n'));
        }
        if (wait) {
            open->exec();
        }
        return;
    }
    auto* box = new QMessageBox(kind == Kind::Merged ? QMessageBox::Information : QMessageBox::Critical,
                                QApplication::applicationName(), noticeText(messages, kind), QMessageBox::Ok,
                                m_window);
    box->setAttribute(Qt::WA_DeleteOnClose);
    open = box;
    if (wait) {
        box->exec();
        return;
    }
    box->setModal(false);
    box->show();
}

} // namespace nox
