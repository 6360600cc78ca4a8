#pragma once
// The face a stored font name is drawn with on this system.
#include <QString>

namespace nox
{

// `name` itself when it is an installed family or has no substitute; else its
// first installed substitute (QFont::substitutes, set up at start for the
// names of fonts of files written on Windows). Drawing is the same either
// way, but a font asked for by an installed name spares the font system a
// search of every installed font per script for the missing one (several
// milliseconds at start-up). Names that are stored or shown stay the ones
// the settings hold. GUI thread only; the installed families are read once.
QString screenFamily(const QString& name);

} // namespace nox
