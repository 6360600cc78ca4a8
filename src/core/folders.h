#pragma once
// Where Nox keeps its files on this platform.
//   program folder: the executable's folder, or $NOX_HOME when set;
//   data folder:    <program folder>/data/<login user> ("Nox_" when the user
//                   name cannot be read); an existing data folder is always
//                   used, writable or not; where none exists yet and the
//                   program folder is not writable, the data root is
//                   $XDG_DATA_HOME/nox instead (an existing folder there is
//                   used before a new one below the program folder), and
//                   always for an installed copy (factory files in
//                   <prefix>/share/nox and none beside the executable);
//   factory files ("default", "print", "nox.html"): with NOX_HOME set, in
//                   NOX_HOME first, then beside the executable; otherwise
//                   beside the executable, then <prefix>/share/nox.
#include <QString>

#include "core/status.h"

namespace nox::folders
{

QString programFolder();
QString dataFolder();    // ends without a slash; not created here
// Creates the data folder with its parents; the folder itself is made
// readable by its owner alone (0700). False on failure.
bool ensureDataFolder();
// What every start of the program does to the data folder before reading it:
// creates it with its parents and copies the factory "style.ini" there when
// it has none (an existing file is never replaced). The other factory lists
// are read from the default folder while the data folder has none. Fails
// when the folder cannot be made or the copy fails.
Status prepareDataFolder();
// True iff a file can be created in the folder (tried with a probe file that
// is removed again); *reason is the system's reason otherwise.
bool canWriteFolder(const QString& folder, QString* reason = nullptr);
QString defaultFolder();
QString printFolder();
QString helpPage();                    // path of "nox.html"
QString userName();                    // login name or "Nox_"
QString tempFolder();                  // dataFolder() + "/temp"
QString dataFile(const QString& name); // dataFolder() + "/" + name

// For tests: forget cached values so a changed NOX_HOME takes effect.
void resetCache();

} // namespace nox::folders
