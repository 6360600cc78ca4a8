#include "app/localpage.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QUrl>
#include <QWidget>

#include "widgets/choosers.h"

namespace nox
{

void OpenLocalPage(QWidget* parent, const QString& path, const QString& opener)
{
    if (!QFileInfo(path).isFile()) {
        ShowMessage(parent, TMessageKind::Warning,
                    QStringLiteral("ヘルプファイル「%1」が見つかりません。").arg(QDir::toNativeSeparators(path)));
        return;
    }
    const QPointer<QWidget> owner(parent);
    const auto report = [owner, path] {
        ShowMessage(owner, TMessageKind::Warning,
                    QStringLiteral("「%1」を開けませんでした。\n"
                                   "Web ブラウザーがインストールされ、既定のブラウザーとして設定されているか確認してください。")
                        .arg(QDir::toNativeSeparators(path)));
    };
    // Owned by nobody: the process must not be ended with the window (a
    // running opener waits for the browser it started); it deletes itself
    // when the opener ends.
    auto* process = new QProcess;
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    QObject::connect(process, &QProcess::errorOccurred, process, [process, report](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            report();
            process->deleteLater();
        }
    });
    QObject::connect(process, &QProcess::finished, process,
                     [process, report](int code, QProcess::ExitStatus status) {
                         if (status != QProcess::NormalExit || code != 0) {
                             report();
                         }
                         process->deleteLater();
                     });
    process->start(opener.isEmpty() ? QStringLiteral("xdg-open") : opener,
                   {QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString()});
}

} // namespace nox
