#pragma once
// Runs the built noxtool on a data folder and collects what it said.
#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs noxtool with `args`; `input` is written to its standard input.
// `env` replaces the inherited environment when not empty.
ToolRun runNoxTool(const QStringList& args, const QByteArray& input = {},
                   const QProcessEnvironment& env = QProcessEnvironment());
// The same with "--data <folder>" in front.
ToolRun runNoxToolOn(const QString& folder, const QStringList& args, const QByteArray& input = {});
