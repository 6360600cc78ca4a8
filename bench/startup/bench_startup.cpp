// The start-up and navigation benchmark of the program against a bare Qt
// Widgets window (bare_window.cpp), on the X server named by DISPLAY, which
// must run a window manager: bench/run.sh starts both and runs this.
//
//   bench_startup [--runs N] [--home20 DIR] [--steps N]
//
// Start-up: each run starts the program as a new process (posix_spawn) and
// takes the monotonic clock just before; the program's start-up probe
// (NOX_STARTUP_PROBE, app/startupprobe.h) reports when its first paint after
// the window was exposed reached the X server and when the deferred start-up
// was done. The bare window, the program on an empty data folder and the
// program on 20 years of data take turns, in a rotating order, N times each
// after one unmeasured warm-up run each. Medians are compared with the bare
// window's median first paint.
//
// Navigation: bench_navigation on the 20-year folder under the same display,
// run N / 2 times with the steps back to back and as many times with the
// steps 40 ms apart (a key held down under X); each measure is the median of
// the runs' medians. A step's anchor is a bare window of the view's size that
// draws the same days' texts with QPainter::drawText (bench_navigation).
//
// DIR is a program folder made by bench/make_data.py (240 months); without
// it one is made in a temporary folder. A fourth start-up, "years20-koyomi",
// runs on the same folder with every calendar mark on (六曜, old date, solar
// terms): a folder of links to DIR's files with a Nox.ini of its own.
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace
{

struct Sample {
    double firstPaintMs = -1;
    double startedMs = -1;
    double firstPaintCpuMs = -1;
    double startedCpuMs = -1;
    double rssKb = -1;
    double hwmKb = -1;
};

struct Config {
    const char* name;
    QString program;
    QString home; // empty: the bare window
};

qint64 monotonicNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The environment of a run: ours, without a forced platform, with the probe.
std::vector<std::string> childEnvironment(const QString& home)
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry(*e);
        if (entry.rfind("QT_QPA_PLATFORM=", 0) != 0 && entry.rfind("NOX_HOME=", 0) != 0) {
            env.push_back(entry);
        }
    }
    env.push_back("NOX_STARTUP_PROBE=1");
    if (!home.isEmpty()) {
        env.push_back("NOX_HOME=" + home.toStdString());
    }
    return env;
}

// Everything the child writes to its standard output, until it closes it
// (at most 60 s).
QByteArray readAll(int fd)
{
    QByteArray out;
    char buffer[4096];
    pollfd p{fd, POLLIN, 0};
    while (poll(&p, 1, 60000) > 0) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        out.append(buffer, n);
    }
    return out;
}

Sample parse(const QByteArray& out, qint64 spawnedNs)
{
    std::map<QByteArray, qint64> values;
    for (const QByteArray& line : out.split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() == 2) {
            values[parts[0]] = parts[1].toLongLong();
        }
    }
    const auto since = [&](const char* key) {
        return values.count(key) ? double(values[key] - spawnedNs) / 1e6 : -1.0;
    };
    Sample s;
    s.firstPaintMs = since("first-paint-ns");
    s.startedMs = since("started-ns");
    const auto cpu = [&](const char* key) { return values.count(key) ? double(values[key]) / 1e6 : -1.0; };
    s.firstPaintCpuMs = cpu("first-paint-cpu-ns");
    s.startedCpuMs = cpu("started-cpu-ns");
    s.rssKb = values.count("rss-kb") ? double(values["rss-kb"]) : -1;
    s.hwmKb = values.count("hwm-kb") ? double(values["hwm-kb"]) : -1;
    return s;
}

Sample runOnce(const Config& config)
{
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        return {};
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const std::string program = config.program.toStdString();
    std::vector<std::string> env = childEnvironment(config.home);
    std::vector<char*> envp;
    for (std::string& e : env) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};

    pid_t pid = 0;
    const qint64 spawned = monotonicNs();
    const int failed = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (failed != 0) {
        close(pipeFds[0]);
        return {};
    }
    const QByteArray out = readAll(pipeFds[0]);
    close(pipeFds[0]);
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == 0) {
        kill(pid, SIGKILL); // it did not quit after reporting
        waitpid(pid, &status, 0);
    }
    return parse(out, spawned);
}

double median(QList<double> values)
{
    values.removeIf([](double v) { return v < 0; });
    if (values.isEmpty()) {
        return -1;
    }
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

QString makeTwentyYears(const QString& home)
{
    QProcess gen;
    gen.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    gen.start(QStringLiteral("python3"),
              {QStringLiteral(NOX_MAKE_DATA), home, QStringLiteral("--months"), QStringLiteral("240"),
               QStringLiteral("--noxtool"), QStringLiteral(NOXTOOL_PROGRAM)});
    gen.waitForFinished(-1);
    return QString::fromUtf8(gen.readAllStandardOutput()).trimmed();
}

struct Results {
    std::map<QString, QList<Sample>> samples;
    QList<double> values(const QString& config, double Sample::*field) const
    {
        QList<double> v;
        for (const Sample& s : samples.at(config)) {
            v.append(s.*field);
        }
        return v;
    }
    double med(const QString& config, double Sample::*field) const { return median(values(config, field)); }
};

Results runStartups(const QList<Config>& configs, int runs)
{
    Results results;
    for (const Config& c : configs) {
        runOnce(c); // warm-up: caches, and the files a first start creates
        results.samples[QString::fromLatin1(c.name)] = {};
    }
    for (int round = 0; round < runs; ++round) {
        for (qsizetype i = 0; i < configs.size(); ++i) {
            const Config& c = configs[(round + i) % configs.size()];
            const Sample s = runOnce(c);
            if (s.firstPaintMs < 0) {
                std::fprintf(stderr, "bench_startup: %s reported no first paint\n", c.name);
            }
            results.samples[QString::fromLatin1(c.name)].append(s);
        }
        std::fprintf(stderr, "\rstart-up: round %d of %d", round + 1, runs);
    }
    std::fputs("\n", stderr);
    return results;
}

// One run of bench_navigation: each measure's values as it prints them.
std::map<QByteArray, QList<double>> runNavigationOnce(const QString& home, const QStringList& options)
{
    QProcess nav;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    nav.setProcessEnvironment(env);
    nav.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    nav.start(QStringLiteral(NAVIGATION_PROGRAM),
              QStringList{QStringLiteral("--home"), home} + options);
    nav.waitForFinished(-1);
    if (nav.exitStatus() != QProcess::NormalExit || nav.exitCode() != 0) {
        std::fprintf(stderr, "bench_startup: bench_navigation %s failed\n", qPrintable(options.join(u' ')));
        std::exit(1);
    }
    std::map<QByteArray, QList<double>> values;
    for (const QByteArray& line : nav.readAllStandardOutput().split('\n')) {
        QList<QByteArray> parts = line.split(' ');
        if (parts.size() >= 2) {
            const QByteArray key = parts.takeFirst();
            for (const QByteArray& p : parts) {
                values[key].append(p.toDouble());
            }
        }
    }
    return values;
}

// `runs` runs of bench_navigation (each a process of its own, as the time a
// step takes varies from process to process on a shared machine): for each
// measure, the median over the runs of the first value a run prints (its
// median, or its only value).
std::map<QByteArray, double> runNavigation(const QString& home, const QStringList& options, int runs)
{
    std::map<QByteArray, QList<double>> firsts;
    for (int run = 0; run < runs; ++run) {
        for (const auto& [key, values] : runNavigationOnce(home, options)) {
            if (!values.isEmpty()) {
                firsts[key].append(values.first());
            }
        }
        std::fprintf(stderr, "\rnavigation %s: run %d of %d", qPrintable(options.join(u' ')), run + 1, runs);
    }
    std::fputs("\n", stderr);
    std::map<QByteArray, double> medians;
    for (auto& [key, values] : firsts) {
        std::sort(values.begin(), values.end());
        medians[key] = values.at(values.size() / 2);
    }
    return medians;
}

// A ratio below 0 is left out; a measure without a goal has no verdict.
void row(const char* measure, double value, const char* unit, double ratio, const char* goal, bool met)
{
    const QByteArray r = ratio < 0 ? QByteArray("") : QByteArray::number(ratio, 'f', 2) + "×";
    const char* verdict = *goal == '\0' ? "" : met ? "met" : "NOT";
    std::printf("| %-58s | %8.2f %-2s | %-6s | %-8s | %-4s |\n", measure, value, unit, r.constData(), goal, verdict);
}

// `value` against `anchor`, or -1 when either is missing.
double ratioOf(double value, double anchor)
{
    return value >= 0 && anchor > 0 ? value / anchor : -1;
}

} // namespace

// A copy of the program folder `home` in `dest` made of links to its files,
// but with a Nox.ini of its own in each data folder (home/data/<user>) that
// turns every calendar mark on.
bool makeKoyomiHome(const QString& home, const QString& dest)
{
    const QDir from(home);
    bool ok = true;
    QDirIterator it(home, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString target = QDir(dest).filePath(from.relativeFilePath(path));
        if (it.fileInfo().isDir()) {
            ok = QDir().mkpath(target) && ok;
        } else if (it.fileName() != QLatin1String("Nox.ini")) {
            ok = QFile::link(path, target) && ok;
        } else {
            ok = QFile::copy(path, target) && ok;
        }
    }
    const QDir data(QDir(dest).filePath(QStringLiteral("data")));
    for (const QString& user : data.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile ini(data.filePath(user + QStringLiteral("/Nox.ini")));
        ok = ini.open(QIODevice::Append) &&
             ini.write("\r\n[koyomi]\r\nrokuyo=1\r\nkyureki=1\r\nsekki=1\r\n") > 0 && ok;
    }
    return ok;
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const auto option = [&](const char* name, const QString& def) {
        const qsizetype at = args.indexOf(QLatin1String(name));
        return at >= 0 && at + 1 < args.size() ? args.at(at + 1) : def;
    };
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fputs("bench_startup: needs an X server with a window manager; run bench/run.sh\n", stderr);
        return 2;
    }
    const int runs = qMax(1, option("--runs", QStringLiteral("15")).toInt());
    const int steps = qMax(1, option("--steps", QStringLiteral("40")).toInt());

    QTemporaryDir emptyHome, generatedHome;
    QString home20 = option("--home20", QString());
    if (home20.isEmpty()) {
        home20 = generatedHome.path();
        std::fprintf(stderr, "%s\n", qPrintable(makeTwentyYears(home20)));
    }
    const QString nox = QStringLiteral(NOX_PROGRAM);
    QTemporaryDir koyomiHome;
    if (!makeKoyomiHome(home20, koyomiHome.path())) {
        std::fputs("bench_startup: could not make the folder with the calendar marks on\n", stderr);
        return 1;
    }
    const QList<Config> configs{{"bare", QStringLiteral(BARE_PROGRAM), QString()},
                                {"empty", nox, emptyHome.path()},
                                {"years20", nox, home20},
                                {"years20-koyomi", nox, koyomiHome.path()}};
    const Results r = runStartups(configs, runs);
    const QString stepCount = QString::number(steps);
    auto nav = runNavigation(home20, {QStringLiteral("--steps"), stepCount}, qMax(1, runs / 2));
    const auto paced =
        runNavigation(home20, {QStringLiteral("--steps"), stepCount, QStringLiteral("--gap"), QStringLiteral("40")},
                      qMax(1, runs / 2));
    nav.merge(runNavigation(home20, {QStringLiteral("--keep-all")}, 3));
    const auto navValue = [&](const char* key) { return nav.count(key) ? nav.at(key) : -1.0; };
    const auto pacedValue = [&](const char* key) { return paced.count(key) ? paced.at(key) : -1.0; };

    const double bare = r.med(QStringLiteral("bare"), &Sample::firstPaintMs);
    const double bareRss = r.med(QStringLiteral("bare"), &Sample::rssKb);
    const double paint20 = r.med(QStringLiteral("years20"), &Sample::firstPaintMs);
    const double started20 = r.med(QStringLiteral("years20"), &Sample::startedMs);
    const double rss20 = r.med(QStringLiteral("years20"), &Sample::rssKb);
    const double paintKoyomi = r.med(QStringLiteral("years20-koyomi"), &Sample::firstPaintMs);
    const double monthStep = navValue("month-step-ms");
    const double weekStep = navValue("week-step-ms");

    std::printf("\nX server %s with a window manager; %d alternated runs each; medians; "
                "ratios against the bare window measured in this run\n\n",
                qPrintable(qEnvironmentVariable("DISPLAY")), runs);
    std::printf("| %-58s | %11s | %6s | %-8s | %-4s |\n", "measure", "value", "ratio", "goal", "");
    std::printf("|%s|%s|%s|%s|%s|\n", QByteArray(60, '-').constData(), QByteArray(13, '-').constData(),
                QByteArray(8, '-').constData(), QByteArray(10, '-').constData(), QByteArray(6, '-').constData());
    row("process start → first paint, bare Qt window (anchor)", bare, "ms", 1.0, "", true);
    row("process start → first paint, 20-year folder", paint20, "ms", paint20 / bare, "≤ 1.3×",
        paint20 / bare <= 1.3);
    row("process start → deferred start-up done, 20-year folder", started20, "ms", started20 / bare, "≤ 1.6×",
        started20 / bare <= 1.6);
    // Steps, with their anchor: a bare window of the view's size drawing the
    // same days' texts with QPainter::drawText, step by step.
    const double bareMonth = navValue("bare-month-step-ms");
    const double bareWeek = navValue("bare-week-step-ms");
    row("step of a bare window drawing a month's texts (anchor)", bareMonth, "ms", 1.0, "", true);
    row("month-view step, 20-year folder (next month, back to back)", monthStep, "ms", ratioOf(monthStep, bareMonth),
        "≤ 2 ms", monthStep >= 0 && monthStep <= 2);
    const double koyomiMonth = navValue("koyomi-month-step-ms");
    row("month-view step, every calendar mark on (vs marks off)", koyomiMonth, "ms",
        ratioOf(koyomiMonth, monthStep), "≤ 1.05×, ≤ 2 ms",
        koyomiMonth >= 0 && koyomiMonth <= 2 && koyomiMonth / monthStep <= 1.05);
    row("first paint, 20-year folder, every calendar mark on (vs off)", paintKoyomi, "ms",
        paintKoyomi / paint20, "no later", paintKoyomi <= paint20);
    row("step of a bare window drawing a week's texts (anchor)", bareWeek, "ms", 1.0, "", true);
    row("day-view step, 7 columns (next week, back to back)", weekStep, "ms", ratioOf(weekStep, bareWeek), "≤ 2 ms",
        weekStep >= 0 && weekStep <= 2);
    // 40 ms apart the processor's caches have gone cold between steps on
    // this kind of machine: the anchors pay for it as well.
    const double monthPaced = pacedValue("month-step-ms");
    const double weekPaced = pacedValue("week-step-ms");
    const double bareMonthPaced = pacedValue("bare-month-step-ms");
    const double bareWeekPaced = pacedValue("bare-week-step-ms");
    row("step of a bare window drawing a month's texts, 40 ms apart", bareMonthPaced, "ms", 1.0, "", true);
    row("month-view step, steps 40 ms apart", monthPaced, "ms", ratioOf(monthPaced, bareMonthPaced), "", true);
    row("step of a bare window drawing a week's texts, 40 ms apart", bareWeekPaced, "ms", 1.0, "", true);
    row("day-view step, steps 40 ms apart", weekPaced, "ms", ratioOf(weekPaced, bareWeekPaced), "", true);
    row("idle memory after start-up, 20-year folder", rss20 / 1024, "MB", rss20 / bareRss, "≤ 1.5×",
        rss20 / bareRss <= 1.5);
    const double cachedRss = navValue("rss-cached-kb");
    row("memory after start-up with all 20 years read and kept", cachedRss / 1024, "MB", cachedRss / bareRss,
        "≤ 1.6×", cachedRss >= 0 && cachedRss / bareRss <= 1.6);
    // On a busy machine the clock counts the waits for a processor too. The
    // goals are on the clock (what the user waits for); at start-up the
    // processor times add up the program's two threads.
    const double bareCpu = r.med(QStringLiteral("bare"), &Sample::firstPaintCpuMs);
    const double paintCpu20 = r.med(QStringLiteral("years20"), &Sample::firstPaintCpuMs);
    const double startedCpu20 = r.med(QStringLiteral("years20"), &Sample::startedCpuMs);
    const double monthCpu = navValue("month-step-cpu-ms");
    const double weekCpu = navValue("week-step-cpu-ms");
    row("processor time to first paint, 20-year folder", paintCpu20, "ms", paintCpu20 / bareCpu, "", true);
    row("processor time to start-up done, 20-year folder", startedCpu20, "ms", startedCpu20 / bareCpu, "", true);
    row("processor time of a month-view step", monthCpu, "ms", ratioOf(monthCpu, navValue("bare-month-step-cpu-ms")), "",
        true);
    row("processor time of a day-view step", weekCpu, "ms", ratioOf(weekCpu, navValue("bare-week-step-cpu-ms")), "", true);

    std::printf("\nMore (medians):\n");
    for (const Config& c : configs) {
        const QString name = QString::fromLatin1(c.name);
        std::printf("  %-8s first paint %6.1f ms (%.2f×)", c.name, r.med(name, &Sample::firstPaintMs),
                    r.med(name, &Sample::firstPaintMs) / bare);
        if (!c.home.isEmpty()) {
            std::printf(", start-up done %6.1f ms (%.2f×)", r.med(name, &Sample::startedMs),
                        r.med(name, &Sample::startedMs) / bare);
        }
        std::printf(", memory %5.1f MB (%.2f×), peak %5.1f MB\n", r.med(name, &Sample::rssKb) / 1024,
                    r.med(name, &Sample::rssKb) / bareRss, r.med(name, &Sample::hwmKb) / 1024);
        std::printf("           CPU time of the process: to first paint %6.1f ms (%.2f×)", r.med(name, &Sample::firstPaintCpuMs),
                    r.med(name, &Sample::firstPaintCpuMs) / r.med(QStringLiteral("bare"), &Sample::firstPaintCpuMs));
        if (!c.home.isEmpty()) {
            std::printf(", to start-up done %6.1f ms", r.med(name, &Sample::startedCpuMs));
        }
        std::printf("\n");
    }
    for (const char* key :
         {"week-step-ms", "week-step-cpu-ms", "week-back-ms", "week-back-cpu-ms", "bare-week-step-ms",
          "bare-week-step-cpu-ms", "month-step-ms", "month-step-cpu-ms", "month-back-ms", "month-back-cpu-ms",
          "bare-month-step-ms", "bare-month-step-cpu-ms", "koyomi-week-step-ms", "koyomi-month-step-ms",
          "koyomi-month-back-ms", "koyomi-month-ratio", "koyomi-week-ratio"}) {
        if (nav.count(key)) {
            std::printf("  %-22s %.2f ms back to back, %.2f ms 40 ms apart\n", key, nav.at(key), pacedValue(key));
        }
    }
    std::printf("  memory of the navigation program after start-up %.1f MB (%.2f×); with the 20 years kept %.1f MB, "
                "%.0f days, estimated %.1f MB\n",
                navValue("rss-start-kb") / 1024, navValue("rss-start-kb") / bareRss, cachedRss / 1024,
                navValue("cached-days"), navValue("cached-bytes") / 1024 / 1024);
    std::printf("  memory after navigating %.1f MB (%.2f×); with every month of the folder shown %.1f MB (%.2f×)\n",
                navValue("rss-kb") / 1024, navValue("rss-kb") / bareRss, navValue("rss-all-kb") / 1024,
                navValue("rss-all-kb") / bareRss);
    return 0;
}
