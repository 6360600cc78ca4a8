#pragma once
// The standard colour, file and message dialogs as the windows open them,
// behind one seam: tests replace them (SetChooserHooks) and answer at once,
// so no modal desktop dialog has to be driven.
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "core/color.h"

class QWidget;

namespace nox
{

// The four kinds of message box. Every kind shows only "OK", except
// Confirmation boxes asked through AskYesNo.
enum class TMessageKind { Information, Warning, Error, Confirmation };

// Opens the colour dialog on `initial`; the chosen colour, or none when cancelled.
std::optional<TColor> ChooseColor(QWidget* parent, TColor initial);
// A file dialog for existing files. `filter` is of the form
// "ビットマップ (*.bmp)"; the result is empty when cancelled.
QStringList ChooseOpenFiles(QWidget* parent, const QString& filter, bool multiple);
// `initial` (a file or folder) presets the dialog.
QString ChooseOpenFile(QWidget* parent, const QString& filter, const QString& initial = QString());
// As ChooseOpenFile; a chosen name that is no existing file gives the
// message "ファイルが見つかりません！" and an empty result.
QString ChooseExistingFile(QWidget* parent, const QString& filter);
// The kinds of file saved through ChooseSaveFile; each remembers its own
// folder in "Nox.ini" [folders].
enum class TSaveKind { Results, Styles };
// The folder a save dialog of `kind` starts in: the one last saved to when it
// still exists, else the user's documents folder (else the home folder).
QString SaveFolder(TSaveKind kind);
// A save dialog that asks before overwriting, starting in SaveFolder(kind);
// `filter` may name several filters separated by ";;"; `defaultSuffix` is
// added to a name typed without one. The chosen file's folder becomes the
// kind's folder. Empty when cancelled.
QString ChooseSaveFile(QWidget* parent, TSaveKind kind, const QString& filter, const QString& defaultSuffix,
                       const QString& proposedName = QString());
// A message box with only "OK".
void ShowMessage(QWidget* parent, TMessageKind kind, const QString& text);
// A confirmation with "はい" and "いいえ" ("いいえ" is the default); true iff
// answered "はい".
bool AskYesNo(QWidget* parent, const QString& text);

struct TChooserHooks {
    std::function<std::optional<TColor>(TColor initial)> color;
    // (filter, multiple) -> chosen files
    std::function<QStringList(const QString& filter, bool multiple)> openFiles;
    // (filter, default suffix, the path the dialog opens on) -> chosen file
    std::function<QString(const QString& filter, const QString& defaultSuffix, const QString& startPath)> saveFile;
    std::function<void(TMessageKind kind, const QString& text)> message;
    std::function<bool(const QString& text)> question;
};
// Replaces the dialogs; a hook left empty keeps the real dialog.
void SetChooserHooks(const TChooserHooks& hooks);

} // namespace nox
