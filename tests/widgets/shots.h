#pragma once
// Review pictures: when NOX_TEST_SHOTS names a folder, tests save PNGs of
// representative states there.
#include <QDir>
#include <QFont>
#include <QWidget>

namespace testshots
{

inline void save(QWidget* widget, const QString& name)
{
    const QString folder = qEnvironmentVariable("NOX_TEST_SHOTS");
    if (folder.isEmpty()) {
        return;
    }
    QDir().mkpath(folder);
    widget->grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
}

// The program's Japanese face, as the application maps it.
inline QFont japaneseFont(int pointSize = 9)
{
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("Noto Sans CJK JP"));
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPointSize(pointSize);
    return font;
}

} // namespace testshots
