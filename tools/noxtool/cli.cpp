#include "cli.h"

#include <QRegularExpression>

namespace nox::tool
{

namespace
{

// Options that take a value, and where the value goes.
std::optional<QString>* valueSlot(Options* o, const QString& name)
{
    if (name == u"--memo") {
        return &o->memo;
    }
    if (name == u"--category") {
        return &o->category;
    }
    if (name == u"--alarm") {
        return &o->alarm;
    }
    for (const auto& [option, slot] : {std::pair{"--target", &o->target}, std::pair{"--from", &o->from},
                                       std::pair{"--to", &o->to}, std::pair{"--image", &o->image},
                                       std::pair{"--layout", &o->layout}, std::pair{"--rrule", &o->rrule},
                                       std::pair{"--holiday", &o->holiday}}) {
        if (name == QLatin1String(option)) {
            return slot;
        }
    }
    return nullptr;
}

} // namespace

bool parseOptions(const QStringList& args, Options* options, QString* error)
{
    bool optionsEnded = false;
    for (int i = 0; i < args.size(); ++i) {
        QString arg = args.at(i);
        if (!optionsEnded && arg == u"-o") {
            if (i + 1 >= args.size()) {
                *error = QStringLiteral("option -o needs a value");
                return false;
            }
            options->output = args.at(++i);
            continue;
        }
        if (optionsEnded || !arg.startsWith(u"--")) {
            options->positional.append(arg);
            continue;
        }
        if (arg == u"--") {
            optionsEnded = true;
            continue;
        }
        QString value;
        bool hasInlineValue = false;
        if (const qsizetype eq = arg.indexOf(u'='); eq > 0) {
            value = arg.mid(eq + 1);
            arg = arg.left(eq);
            hasInlineValue = true;
        }
        if ((arg == u"--dry-run" || arg == u"--skip-bad") && !hasInlineValue) {
            (arg == u"--dry-run" ? options->dryRun : options->skipBad) = true;
            continue;
        }
        if ((arg == u"--force" || arg == u"--help" || arg == u"--version") && !hasInlineValue) {
            (arg == u"--force" ? options->force : arg == u"--help" ? options->help : options->version) = true;
            continue;
        }
        std::optional<QString>* slot = valueSlot(options, arg);
        if (!slot && arg != u"--data") {
            *error = QStringLiteral("unknown option %1").arg(args.at(i));
            return false;
        }
        if (!hasInlineValue) {
            if (i + 1 >= args.size()) {
                *error = QStringLiteral("option %1 needs a value").arg(arg);
                return false;
            }
            value = args.at(++i);
        }
        if (slot) {
            *slot = value;
        } else {
            options->dataDir = value;
        }
    }
    return true;
}

std::optional<QDate> parseDate(const QString& text)
{
    static const QRegularExpression re(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})$"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch()) {
        return std::nullopt;
    }
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (!date.isValid()) {
        return std::nullopt;
    }
    return date;
}

std::optional<int> parseSlot(const QString& text)
{
    static const QRegularExpression re(QStringLiteral("^(\\d{1,2}):(\\d{2})$"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch()) {
        return std::nullopt;
    }
    const int hour = m.captured(1).toInt();
    const int minute = m.captured(2).toInt();
    if (hour > 23 || (minute != 0 && minute != 30)) {
        return std::nullopt;
    }
    return hour * 2 + minute / 30;
}

const QList<int>& alarmChoices()
{
    static const QList<int> choices{0, 1, 5, 10, 15, 20, 30, 60, 120, 180, 240, 300, 360};
    return choices;
}

} // namespace nox::tool
