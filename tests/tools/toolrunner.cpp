#include "toolrunner.h"

#include <QProcess>

ToolRun runNoxTool(const QStringList& args, const QByteArray& input, const QProcessEnvironment& env)
{
    QProcess process;
    if (!env.isEmpty()) {
        process.setProcessEnvironment(env);
    }
    process.start(QStringLiteral(NOXTOOL_PATH), args);
    ToolRun run;
    if (!process.waitForStarted(10000)) {
        run.err = process.errorString();
        return run;
    }
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        run.err = QStringLiteral("noxtool did not finish normally");
        return run;
    }
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

ToolRun runNoxToolOn(const QString& folder, const QStringList& args, const QByteArray& input)
{
    return runNoxTool(QStringList{QStringLiteral("--data"), folder} + args, input);
}
