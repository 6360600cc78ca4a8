#include <QtTest>

#include <QStringEncoder>
#include <QTemporaryDir>

#include "core/textfile.h"

using namespace nox;

class TestTextFile : public QObject
{
    Q_OBJECT
private slots:
    void decoding();
    void splitLines_data();
    void splitLines();
    void writeAndRead();
    void missingAndUnreadable();
    void failedWriteKeepsOldFile();
    void injectedFaultKeepsOldFile_data();
    void injectedFaultKeepsOldFile();
    void keepsPermissions();
};

void TestTextFile::decoding()
{
    const QString text = QStringLiteral("会議①～\r\n予定");
    QCOMPARE(decodeText(text.toUtf8()), text);
    QCOMPARE(decodeText("\xEF\xBB\xBF" + text.toUtf8()), text);
    QStringEncoder sjis("CP932");
    const QByteArray legacy = sjis.encode(text);
    QVERIFY(!sjis.hasError());
    QVERIFY(legacy != text.toUtf8());
    QCOMPARE(decodeText(legacy), text);
    QCOMPARE(decodeText(QByteArray()), QString());
    QCOMPARE(encodeText(text), text.toUtf8());
}

void TestTextFile::splitLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("crlf") << "a\r\nb\r\n" << QStringList{"a", "b"};
    QTest::newRow("lf and cr") << "a\nb\rc" << QStringList{"a", "b", "c"};
    QTest::newRow("empty lines kept") << "a\r\n\r\nb" << QStringList{"a", "", "b"};
    QTest::newRow("cr cr lf") << "a\r\r\nb" << QStringList{"a", "", "b"};
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("only break") << "\r\n" << QStringList{""};
}

void TestTextFile::splitLines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(nox::splitLines(text), lines);
    QList<QByteArray> raw;
    for (const QString& line : lines) {
        raw << line.toUtf8();
    }
    QCOMPARE(nox::splitRawLines(text.toUtf8()), raw);
}

void TestTextFile::writeAndRead()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("t.txt");
    const QStringList lines{QStringLiteral("一行目"), QString(), QStringLiteral("three")};
    QString error;
    QVERIFY(writeTextLines(path, lines, &error));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QStringLiteral("一行目\r\n\r\nthree\r\n").toUtf8());
    f.close();
    const TextReadResult r = readTextLines(path);
    QVERIFY(r.exists && r.ok);
    QCOMPARE(r.lines, lines);
    // No temporary file is left beside it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"t.txt"});
}

void TestTextFile::missingAndUnreadable()
{
    QTemporaryDir dir;
    TextReadResult r = readTextLines(dir.filePath("none.txt"));
    QVERIFY(!r.exists && r.ok && r.lines.isEmpty());
    // A folder in place of the file cannot be read.
    QVERIFY(QDir(dir.path()).mkdir("sub"));
    r = readTextLines(dir.filePath("sub"));
    QVERIFY(r.exists);
    QVERIFY(!r.ok);
    QVERIFY(!r.error.isEmpty());
}

void TestTextFile::failedWriteKeepsOldFile()
{
    QTemporaryDir dir;
    QString error;
    QVERIFY(!writeTextLines(dir.filePath("missing/sub/t.txt"), {"x"}, &error));
    QVERIFY(error.contains("t.txt"));
    QVERIFY(QDir(dir.path()).mkdir("adir"));
    QVERIFY(!writeTextLines(dir.filePath("adir"), {"x"}, &error));
    QVERIFY(QFileInfo(dir.filePath("adir")).isDir());
    const QString path = dir.filePath("t.txt");
    QVERIFY(writeTextLines(path, {"old"}));
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    const bool wrote = writeTextLines(path, {"new"}, &error);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (wrote) {
        QSKIP("running with rights that ignore folder permissions");
    }
    QCOMPARE(readTextLines(path).lines, QStringList{"old"});
}

void TestTextFile::injectedFaultKeepsOldFile_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("err");
    QTest::newRow("open") << int(WriteStep::Open) << EACCES;
    QTest::newRow("short write") << int(WriteStep::Write) << ENOSPC;
    QTest::newRow("full disk at flush") << int(WriteStep::Flush) << ENOSPC;
    QTest::newRow("fsync") << int(WriteStep::Sync) << EIO;
    QTest::newRow("rename") << int(WriteStep::Rename) << EXDEV;
}

// Each failing step leaves the old bytes, no temporary file, and an error
// naming the file and the system's reason.
void TestTextFile::injectedFaultKeepsOldFile()
{
    QFETCH(int, step);
    QFETCH(int, err);
    QTemporaryDir dir;
    const QString path = dir.filePath("20240101.dat");
    const QByteArray old = QByteArray(9000, 'o');
    QVERIFY(writeFileAtomic(path, old));
    setWriteFaultHook([&](const QString& p, WriteStep s) { return p == path && int(s) == step ? err : 0; });
    QString error;
    const bool wrote = writeFileAtomic(path, QByteArray(20000, 'n'), &error);
    setWriteFaultHook({});
    QVERIFY(!wrote);
    QVERIFY2(error.contains(path) && error.contains(QString::fromLocal8Bit(strerror(err))), qPrintable(error));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"20240101.dat"});
}

void TestTextFile::keepsPermissions()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Nox.ini");
    QVERIFY(writeFileAtomic(path, "a"));
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
    QVERIFY(writeFileAtomic(path, "b"));
    QCOMPARE(QFile::permissions(path) & 0x7077, QFile::ReadOwner | QFile::WriteOwner); // owner, group, other
}

QTEST_GUILESS_MAIN(TestTextFile)
#include "tst_textfile.moc"
