// The anchor of the start-up benchmark: a bare Qt Widgets window of the main
// window's default size with one line of Japanese text, the same font
// substitution as the program (and the face asked for by its installed name,
// as the program asks), and the program's start-up probe. It links
// only Qt Widgets.
#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

#include "app/appenvironment.h"
#include "app/startupprobe.h"
#include "core/screenfont.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    nox::installFontSubstitutions();
    QFont font = QGuiApplication::font();
    font.setFamily(nox::screenFamily(QStringLiteral("ＭＳ Ｐゴシック")));
    QGuiApplication::setFont(font);

    QWidget window;
    window.setWindowTitle(QStringLiteral("Nox"));
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral("今日の予定 : 定例会議"), &window));
    window.resize(630, 460);
    new nox::StartupProbe(&window, false);
    window.show();
    return app.exec();
}
