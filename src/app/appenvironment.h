#pragma once
// Process-wide set-up that every start of the program (and every GUI test that
// wants to look like it) runs before the first window is made.
#include <QString>
#include <QStringList>
#include <optional>

class QCoreApplication;

namespace nox
{

// The product version written to "Nox.ini" and shown in captions ("2.05").
QString productVersion();

// True when a window system can be reached: a platform was chosen explicitly
// (QT_QPA_PLATFORM, e.g. "offscreen"), or DISPLAY / WAYLAND_DISPLAY is set.
bool hasDisplay();

// The message printed instead of starting when hasDisplay() is false.
QString noDisplayMessage();

// What "--help" (-h) and "--version" (-v) on the command line print instead of
// starting: the text for standard output, to be followed by exit code 0. None
// when the program starts as usual; other arguments are left to the toolkit
// (such as "-platform offscreen"). `args` are without the program's name.
std::optional<QString> commandLineAnswer(const QStringList& args);

// Japanese locale, the Japanese standard-button texts of Qt, and the font
// substitutions that map the Windows font names our data files carry to
// installed fonts. Call once after the application object exists.
void setUpJapaneseEnvironment(QCoreApplication& app);

// The substitutions alone (tests and dialogs that build fonts from stored names).
void installFontSubstitutions();

} // namespace nox
