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
// A save dialog that asks before overwriting; `defaultSuffix` is added to a
// name typed without one.
QString ChooseSaveFile(QWidget* parent, const QString& filter, const QString& defaultSuffix,
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
    std::function<QString(const QString& filter, const QString& defaultSuffix)> saveFile;
    std::function<void(TMessageKind kind, const QString& text)> message;
    std::function<bool(const QString& text)> question;
};
// Replaces the dialogs; a hook left empty keeps the real dialog.
void SetChooserHooks(const TChooserHooks& hooks);

} // namespace nox
