// Every kind of file under every fault of the writer (short write, full disk
// at the end, failed fsync, failed rename, no temporary file): the write
// reports failure naming the file, the old file keeps its bytes, nothing is
// left beside it, and the next write succeeds.
#include <QtTest>

#include <QTemporaryDir>

#include "../common/records.h"
#include "../common/writefaults.h"
#include "core/inifile.h"
#include "core/textfile.h"
#include "store/categories.h"
#include "store/dayfile.h"
#include "store/holidays.h"
#include "store/imagestrip.h"
#include "store/journalfile.h"
#include "store/memostore.h"

using namespace nox;

namespace
{

const QDate kDay(2026, 12, 7);

// One kind of file: `write(dir, n)` stores version n of it and tells whether
// that worked; `file(dir)` is its path.
struct FileKind {
    std::function<QString(const QString& dir)> file;
    std::function<bool(const QString& dir, int n)> write;
};

TSkedRec schedule(int n)
{
    return testing::skedRecord(kDay, 18, 1, QStringLiteral("会議 %1").arg(n));
}

QImage cell(int n)
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(qRgb(10 * n, 0, 0));
    image.setPixel(3, 3, qRgb(255, 255, 255));
    return image;
}

// A memo store kept open between writes, as the program keeps it.
MemoStore& memoStore(const QString& dir)
{
    static MemoStore store;
    if (store.path() != QDir(dir).filePath("memo.nox") || !store.isOpen()) {
        static_cast<void>(store.open(dir));
    }
    return store;
}

QMap<QString, FileKind> kinds()
{
    return {
        {"day file",
         {[](const QString& d) { return dayFilePath(d, kDay); },
          [](const QString& d, int n) { return saveDay(d, kDay, QList<TSkedRec>{schedule(n)}).ok(); }}},
        {"holiday list",
         {[](const QString& d) { return QDir(d).filePath("holiday.txt"); },
          [](const QString& d, int n) {
              HolidayList list;
              list.add("2026/01/01", QStringLiteral("元日 %1").arg(n));
              return list.save(d).ok();
          }}},
        {"category list",
         {[](const QString& d) { return QDir(d).filePath("category.nox"); },
          [](const QString& d, int n) { return saveCategories({QStringLiteral("仕事 %1").arg(n)}, d).ok(); }}},
        {"image strip",
         {[](const QString& d) { return QDir(d).filePath("images.bmp"); },
          [](const QString& d, int n) {
              ImageStrip strip;
              for (int i = 0; i <= n; ++i) {
                  strip.add(cell(i));
              }
              return strip.save(QDir(d).filePath("images.bmp")).ok();
          }}},
        {"settings",
         {[](const QString& d) { return QDir(d).filePath("Nox.ini"); },
          [](const QString& d, int n) {
              IniFile ini(QDir(d).filePath("Nox.ini"));
              return ini.writeInteger("sked", "count", n);
          }}},
        {"memo file",
         {[](const QString& d) { return QDir(d).filePath("memo.nox"); },
          [](const QString& d, int n) {
              // Longer each time: the new record is appended and the key moves.
              return memoStore(d).write(kDay, QString(n * 40, u'メ')).ok();
          }}},
    };
}

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestWriteFaults : public QObject
{
    Q_OBJECT
private slots:
    void faultKeepsTheOldFile_data();
    void faultKeepsTheOldFile();
};

void TestWriteFaults::faultKeepsTheOldFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("journal"); // the fault hits the memo file's journal
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("err");
    for (const QString& kind : kinds().keys()) {
        const bool memo = kind == QLatin1String("memo file");
        for (const test::WriteFault& f : test::writeFaults()) {
            if (memo && (f.step == WriteStep::Open || f.step == WriteStep::Rename)) {
                continue; // the memo file is written in place: no such steps of its own
            }
            QTest::addRow("%s: %s", qPrintable(kind), f.name) << kind << false << int(f.step) << f.err;
        }
        if (memo) {
            for (const test::WriteFault& f : test::writeFaults()) {
                QTest::addRow("memo journal: %s", f.name) << kind << true << int(f.step) << f.err;
            }
        }
    }
}

void TestWriteFaults::faultKeepsTheOldFile()
{
    QFETCH(QString, kind);
    QFETCH(bool, journal);
    QFETCH(int, step);
    QFETCH(int, err);
    QTemporaryDir dir;
    const FileKind k = kinds().value(kind);
    const QString path = k.file(dir.path());
    QVERIFY(k.write(dir.path(), 1));
    const QByteArray before = bytesOf(path);
    const QStringList filesBefore = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);

    const QString target = journal ? JournalledFile::journalPathOf(path) : path;
    QStringList reported;
    setWriteFailureObserver([&](const QString&, const QString& message) { reported << message; });
    setWriteFaultHook([&](const QString& p, WriteStep s) { return p == target && int(s) == step ? err : 0; });
    const bool wrote = k.write(dir.path(), 2);
    setWriteFaultHook({});
    setWriteFailureObserver({});

    QVERIFY(!wrote);
    QCOMPARE(bytesOf(path), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), filesBefore);
    QVERIFY(!reported.isEmpty());
    QVERIFY2(reported.first().contains(QFileInfo(target).fileName()) &&
                 reported.first().contains(QString::fromLocal8Bit(strerror(err))),
             qPrintable(reported.first()));
    if (kind == QLatin1String("memo file")) {
        MemoStore& store = memoStore(dir.path());
        QCOMPARE(store.read(kDay), QString(40, u'メ')); // the old memo is still there
        QVERIFY(store.recordFile().check().ok);
    }
    QVERIFY(k.write(dir.path(), 3)); // nothing stuck: the next write lands
    QVERIFY(bytesOf(path) != before);
}

QTEST_GUILESS_MAIN(TestWriteFaults)
#include "tst_writefaults.moc"
