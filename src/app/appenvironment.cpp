#include "app/appenvironment.h"

#include <QCoreApplication>
#include <QFont>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "core/screenfont.h"

namespace nox
{

QString productVersion()
{
    return QStringLiteral(NOX_VERSION);
}

bool hasDisplay()
{
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

QString noDisplayMessage()
{
    return QStringLiteral(
        "nox: no display found (DISPLAY and WAYLAND_DISPLAY are not set).\n"
        "Nox is a desktop program and needs a window system. Start it from a desktop session,\n"
        "or on a machine without one under a virtual X server:\n"
        "    xvfb-run -a -s '-screen 0 1280x800x24' nox\n"
        "(NOX_HOME=<folder> keeps the data below that folder.)\n");
}

std::optional<QString> commandLineAnswer(const QStringList& args)
{
    for (const QString& arg : args) {
        if (arg == u"--") {
            break;
        }
        if (arg == u"--version" || arg == u"-v") {
            return QStringLiteral("nox %1\n").arg(productVersion());
        }
        if (arg == u"--help" || arg == u"-h") {
            return QStringLiteral(
                "Usage: nox [--help | --version]\n"
                "Nox, a day planner on a half-hour grid with a Japanese user interface.\n"
                "Opens the planner window; a second start brings the running window to the front.\n"
                "  -h, --help     print this help and exit\n"
                "  -v, --version  print the version and exit\n"
                "Environment: NOX_HOME=<folder> keeps the program's data below that folder.\n"
                "noxtool reads and changes the same data from the command line (noxtool --help).\n");
        }
    }
    return std::nullopt;
}

void installFontSubstitutions()
{
    const QString sans = QStringLiteral("Noto Sans CJK JP");
    const QString mono = QStringLiteral("Noto Sans Mono CJK JP");
    const QString serif = QStringLiteral("Noto Serif CJK JP");
    // Proportional and UI Gothic faces named in settings written on Windows.
    for (const char* name : {"ＭＳ Ｐゴシック", "MS PGothic", "MS UI Gothic", "メイリオ", "Meiryo",
                             "Meiryo UI", "Yu Gothic", "游ゴシック", "Tahoma", "MS Sans Serif"}) {
        QFont::insertSubstitution(QString::fromUtf8(name), sans);
    }
    for (const char* name : {"ＭＳ ゴシック", "MS Gothic"}) {
        QFont::insertSubstitution(QString::fromUtf8(name), mono);
    }
    for (const char* name : {"ＭＳ Ｐ明朝", "ＭＳ 明朝", "MS PMincho", "MS Mincho"}) {
        QFont::insertSubstitution(QString::fromUtf8(name), serif);
    }
}

void setUpJapaneseEnvironment(QCoreApplication& app)
{
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        app.installTranslator(translator);
    } else {
        delete translator;
    }
    installFontSubstitutions();
    // The window font named by the stored settings; substituted above.
    if (qobject_cast<QGuiApplication*>(&app)) {
        QFont font = QGuiApplication::font();
        font.setFamily(screenFamily(QStringLiteral("ＭＳ Ｐゴシック")));
        QGuiApplication::setFont(font);
    }
}

} // namespace nox
