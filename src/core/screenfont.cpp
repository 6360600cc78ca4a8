#include "core/screenfont.h"

#include <QFont>
#include <QFontDatabase>
#include <QHash>

namespace nox
{

QString screenFamily(const QString& name)
{
    const QStringList substitutes = QFont::substitutes(name);
    if (substitutes.isEmpty()) {
        return name;
    }
    // Installed families by their case-folded names (substitutes are kept
    // in lower case), to their own spelling.
    static const QHash<QString, QString> installed = [] {
        QHash<QString, QString> byFolded;
        for (const QString& family : QFontDatabase::families()) {
            byFolded.insert(family.toCaseFolded(), family);
        }
        return byFolded;
    }();
    if (installed.contains(name.toCaseFolded())) {
        return name;
    }
    for (const QString& substitute : substitutes) {
        const auto found = installed.constFind(substitute.toCaseFolded());
        if (found != installed.cend()) {
            return *found;
        }
    }
    return name;
}

} // namespace nox
