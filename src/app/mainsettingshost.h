#pragma once
// The settings dialog's host in the program: the main window's running
// values and the steps that put applied pages into effect.
namespace nox
{

class TNoxMainForm;

// Registers the main window as the settings dialog's host (for as long as
// the window lives) and opens the dialog from its entry points: the tool
// bar's "設定...", the status bar's holiday double click and "分類の編集(&E)..",
// the clock's "設定...".
void InstallSettingsDialog(TNoxMainForm& form);

} // namespace nox
