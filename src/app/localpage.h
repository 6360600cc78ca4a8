#pragma once
// Opening a page that comes with the program (the help page) in the
// desktop's web browser.
#include <QString>

class QWidget;

namespace nox
{

// Opens the local file `path` through the desktop's opener `opener` (a
// program given the file's URL as its one argument; "xdg-open" when empty).
// A missing file, an opener that cannot be started and one that ends with a
// failure (no browser set up) are told in a warning naming the file, parented
// to `parent` while it exists. The opener runs on after the program ends: the
// browser it starts is the user's.
void OpenLocalPage(QWidget* parent, const QString& path, const QString& opener = QString());

} // namespace nox
