// The writer of the kill -9 loop (memo_kill_loop.sh).
//   memo_crash_writer write DIR SEED FIRSTSEQ
//       writes day memos into DIR/memo.nox without end: random days, texts of
//       changing length (overwrites in place, records appended anew, nodes
//       split). Prints "begin KEY SEQ" before each write and "ack KEY SEQ"
//       once it returned success, each line in one write() call.
//   memo_crash_writer verify DIR LOG
//       opens the store (rolling back an interrupted write), checks its
//       structure, and checks that every day holds its last acknowledged memo
//       or one of the writes begun after it. Exit 0 when all holds.
#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QRandomGenerator>

#include <cstdio>
#include <unistd.h>

#include "store/memostore.h"

using namespace nox;

namespace
{

constexpr int kDays = 300;
const QDate kFirstDay(2026, 1, 1);

// The memo of write number `seq` to `day`: its lengths range from empty to
// a few hundred characters, Japanese and ASCII.
QString memoText(qint64 day, qint64 seq)
{
    const int length = int((seq * 7919) % 400);
    return QStringLiteral("%1:%2:").arg(day).arg(seq) + QString(length / 2, u'メ') +
           QString(length % 7, u'x');
}

void say(const char* what, qint64 day, qint64 seq)
{
    const QByteArray line =
        QByteArray(what) + ' ' + QByteArray::number(day) + ' ' + QByteArray::number(seq) + '\n';
    if (::write(STDOUT_FILENO, line.constData(), size_t(line.size())) != line.size()) {
        std::_Exit(3);
    }
}

int writeForever(const QString& dir, quint32 seed, qint64 seq)
{
    MemoStore store;
    if (!store.open(dir).ok()) {
        std::fprintf(stderr, "cannot open: %s\n", qPrintable(store.lastError()));
        return 1;
    }
    QRandomGenerator rng(seed);
    for (;; ++seq) {
        const qint64 day = rng.bounded(kDays);
        say("begin", day, seq);
        if (!store.write(kFirstDay.addDays(day), memoText(day, seq)).ok()) {
            std::fprintf(stderr, "write failed: %s\n", qPrintable(store.lastError()));
            return 1;
        }
        say("ack", day, seq);
    }
}

int verify(const QString& dir, const QString& logPath)
{
    QFile log(logPath);
    if (!log.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(logPath));
        return 1;
    }
    // Per day: the last acknowledged write and every write begun after it.
    QHash<qint64, QList<qint64>> allowed;
    while (!log.atEnd()) {
        const QList<QByteArray> f = log.readLine().trimmed().split(' ');
        if (f.size() != 3) {
            continue;
        }
        QList<qint64>& seqs = allowed[f[1].toLongLong()];
        if (f[0] == "ack") {
            seqs = {f[2].toLongLong()};
        } else {
            seqs.append(f[2].toLongLong());
        }
    }
    MemoStore store;
    if (!store.open(dir).ok()) {
        std::fprintf(stderr, "cannot open: %s\n", qPrintable(store.lastError()));
        return 1;
    }
    const RecordFileCheck check = store.recordFile().check();
    if (!check.ok) {
        std::fprintf(stderr, "damaged: %s\n", qPrintable(check.error));
        return 1;
    }
    int bad = 0;
    for (auto it = allowed.cbegin(); it != allowed.cend(); ++it) {
        const QString text = store.read(kFirstDay.addDays(it.key()));
        bool found = text.isEmpty() && store.lastRead().code() == StatusCode::NotFound;
        for (qint64 seq : it.value()) {
            found = found || text == memoText(it.key(), seq);
        }
        if (!found) {
            std::fprintf(stderr, "day %lld holds \"%s\"\n", it.key(), qPrintable(text.left(24)));
            ++bad;
        }
    }
    std::printf("%lld days, %d records, %d wrong\n", qint64(allowed.size()), check.records, bad);
    return bad == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 5 && args[1] == QLatin1String("write")) {
        return writeForever(args[2], args[3].toUInt(), args[4].toLongLong());
    }
    if (args.size() == 4 && args[1] == QLatin1String("verify")) {
        return verify(args[2], args[3]);
    }
    std::fprintf(stderr, "usage: memo_crash_writer write DIR SEED FIRSTSEQ | verify DIR LOG\n");
    return 2;
}
