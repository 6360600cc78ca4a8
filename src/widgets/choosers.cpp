#include "widgets/choosers.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>

#include "core/folders.h"
#include "core/settings.h"

namespace nox
{

namespace
{
TChooserHooks& hooks()
{
    static TChooserHooks h;
    return h;
}

Key folderKey(TSaveKind kind)
{
    return kind == TSaveKind::Results ? Key::FoldersResults : Key::FoldersStyles;
}

QMessageBox::Icon iconOf(TMessageKind kind)
{
    switch (kind) {
    case TMessageKind::Information:
        return QMessageBox::Information;
    case TMessageKind::Warning:
        return QMessageBox::Warning;
    case TMessageKind::Error:
        return QMessageBox::Critical;
    case TMessageKind::Confirmation:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}
} // namespace

void SetChooserHooks(const TChooserHooks& h)
{
    hooks() = h;
}

std::optional<TColor> ChooseColor(QWidget* parent, TColor initial)
{
    if (hooks().color) {
        return hooks().color(initial);
    }
    const QColor chosen = QColorDialog::getColor(toQColor(initial, parent ? parent->palette() : QPalette()),
                                                 parent);
    if (!chosen.isValid()) {
        return std::nullopt;
    }
    return fromQColor(chosen);
}

QStringList ChooseOpenFiles(QWidget* parent, const QString& filter, bool multiple)
{
    if (hooks().openFiles) {
        return hooks().openFiles(filter, multiple);
    }
    if (multiple) {
        return QFileDialog::getOpenFileNames(parent, QString(), QString(), filter);
    }
    const QString file = QFileDialog::getOpenFileName(parent, QString(), QString(), filter);
    return file.isEmpty() ? QStringList() : QStringList{file};
}

QString ChooseOpenFile(QWidget* parent, const QString& filter, const QString& initial)
{
    if (hooks().openFiles || initial.isEmpty()) {
        const QStringList files = ChooseOpenFiles(parent, filter, false);
        return files.isEmpty() ? QString() : files.first();
    }
    return QFileDialog::getOpenFileName(parent, QString(), initial, filter);
}

QString ChooseExistingFile(QWidget* parent, const QString& filter)
{
    const QString file = ChooseOpenFile(parent, filter);
    if (!file.isEmpty() && !QFileInfo(file).isFile()) {
        ShowMessage(parent, TMessageKind::Confirmation, QStringLiteral("ファイルが見つかりません！"));
        return QString();
    }
    return file;
}

QString SaveFolder(TSaveKind kind)
{
    const QString remembered = Settings(folders::dataFile(QStringLiteral("Nox.ini"))).readString(folderKey(kind));
    if (!remembered.isEmpty() && QFileInfo(remembered).isDir()) {
        return remembered;
    }
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

QString ChooseSaveFile(QWidget* parent, TSaveKind kind, const QString& filter, const QString& defaultSuffix,
                       const QString& proposedName)
{
    const QString folder = SaveFolder(kind);
    const QString start = proposedName.isEmpty() ? folder : QDir(folder).filePath(proposedName);
    QString chosen;
    if (hooks().saveFile) {
        chosen = hooks().saveFile(filter, defaultSuffix, start);
    } else {
        QFileDialog dialog(parent, QStringLiteral("名前を付けて保存"), folder, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(defaultSuffix);
        if (!proposedName.isEmpty()) {
            dialog.selectFile(start);
        }
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
            chosen = dialog.selectedFiles().first();
        }
    }
    const QString chosenFolder = chosen.isEmpty() ? QString() : QFileInfo(chosen).absolutePath();
    if (!chosenFolder.isEmpty() && QFileInfo(chosenFolder).isDir() && chosenFolder != folder) {
        // Only a convenience: a settings file that cannot be written costs
        // the next dialog its folder, nothing else.
        Settings(folders::dataFile(QStringLiteral("Nox.ini"))).writeString(folderKey(kind), chosenFolder);
    }
    return chosen;
}

void ShowMessage(QWidget* parent, TMessageKind kind, const QString& text)
{
    if (hooks().message) {
        hooks().message(kind, text);
        return;
    }
    QMessageBox box(iconOf(kind), QApplication::applicationName(), text, QMessageBox::Ok, parent);
    box.exec();
}

bool AskYesNo(QWidget* parent, const QString& text)
{
    if (hooks().question) {
        return hooks().question(text);
    }
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(), text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

} // namespace nox
