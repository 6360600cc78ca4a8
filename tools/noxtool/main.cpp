#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include "noxtool.h"

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("noxtool"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    QFile in;
    in.open(stdin, QIODevice::ReadOnly);
    nox::tool::NoxTool tool(out, err, &in);
    const int code = tool.run(app.arguments().mid(1));
    out.flush();
    err.flush();
    return code;
}
