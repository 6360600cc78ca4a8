#include <QtTest>

#include <QStringEncoder>
#include <QTemporaryDir>

#include "../common/toldstatus.h"
#include "../common/writefaults.h"
#include "core/textfile.h"

#include <fcntl.h>
#include <sys/stat.h>

using namespace nox;

class TestTextFile : public QObject
{
    Q_OBJECT
private slots:
    void decoding();
    void splitLines_data();
    void splitLines();
    void decodedBytesAsRead_data();
    void decodedBytesAsRead();
    void readBytes();
    void writeAndRead();
    void missingAndUnreadable();
    void failedWriteKeepsOldFile();
    void injectedFaultKeepsOldFile_data();
    void injectedFaultKeepsOldFile();
    void keepsPermissions();
    void newFilesAreTheOwnersAlone();
    void byteOrderMarkInsideKeepsItsBytes_data();
    void byteOrderMarkInsideKeepsItsBytes();
    void linesDecodeOnTheirOwn();
    void untouchedLinesKeepTheirBytes();
    void originalLinesMatchByMeaning();
    void createNeverReplaces();
    void failuresReachTheObserver();
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

void TestTextFile::decodedBytesAsRead_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QStringEncoder sjis("CP932");
    const QByteArray legacy = sjis.encode(QStringLiteral("会議①"));
    QTest::newRow("crlf") << QByteArray("a\r\nb\r\n");
    QTest::newRow("lf, cr, cr cr lf") << QByteArray("a\nb\rc\r\r\nd");
    QTest::newRow("no final break") << QStringLiteral("予定\r\n会議").toUtf8();
    QTest::newRow("empty lines") << QByteArray("\r\n\r\nx\r\n\r\n");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("byte-order mark") << "\xEF\xBB\xBF" + QStringLiteral("予定\r\n").toUtf8();
    QTest::newRow("only a byte-order mark") << QByteArray("\xEF\xBB\xBF");
    QTest::newRow("legacy lines among UTF-8")
        << "x\r\n" + legacy + "\r\n" + QStringLiteral("予定").toUtf8() + "\n" + legacy;
    QTest::newRow("lead byte at the end") << legacy + "\x82";
}

// decodeTextLines on a file's bytes gives the texts readTextLines reads.
void TestTextFile::decodedBytesAsRead()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath("t.txt");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    const TextReadResult read = readTextLines(path);
    QVERIFY(read.ok());
    QCOMPARE(decodeTextLines(bytes), read->lines);
}

void TestTextFile::readBytes()
{
    QTemporaryDir dir;
    QByteArray big(100000, 'x');
    big[70000] = '\n';
    QByteArray small("1\r\n2");
    for (const QByteArray& bytes : {big, small, QByteArray()}) {
        QFile f(dir.filePath("t.txt"));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        const QByteArray path = QFile::encodeName(dir.filePath("t.txt"));
        QByteArray buffer("left over from an earlier file");
        QCOMPARE(readFileBytes(path.constData(), &buffer), 0);
        QCOMPARE(buffer, bytes);
        for (const bool shortReadEnds : {false, true}) {
            QCOMPARE(readFileBytesAt(AT_FDCWD, path.constData(), &buffer, shortReadEnds), 0);
            QCOMPARE(buffer, bytes);
        }
        // A link is followed, also where short reads end a file.
        QFile::remove(dir.filePath("link.txt"));
        QVERIFY(QFile::link(dir.filePath("t.txt"), dir.filePath("link.txt")));
        const QByteArray link = QFile::encodeName(dir.filePath("link.txt"));
        QCOMPARE(readFileBytesAt(AT_FDCWD, link.constData(), &buffer, true), 0);
        QCOMPARE(buffer, bytes);
    }
    QByteArray buffer("stale");
    const int missing = readFileBytes(QFile::encodeName(dir.filePath("none")).constData(), &buffer);
    QVERIFY(isMissingFileError(missing));
    QVERIFY(buffer.isEmpty());
    const int folder = readFileBytes(QFile::encodeName(dir.path()).constData(), &buffer);
    QCOMPARE(folder, EISDIR);
    QVERIFY(!isMissingFileError(folder));
    QVERIFY(buffer.isEmpty());
    QVERIFY(readErrorMessage(dir.path(), folder).contains(dir.path()));
}

void TestTextFile::writeAndRead()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("t.txt");
    const QStringList lines{QStringLiteral("一行目"), QString(), QStringLiteral("three")};
    QString error;
    QVERIFY(toldStatus(writeTextLines(path, lines), &error));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QStringLiteral("一行目\r\n\r\nthree\r\n").toUtf8());
    f.close();
    const TextReadResult r = readTextLines(path);
    QVERIFY(r->exists && r.ok());
    QCOMPARE(r->lines, lines);
    // No temporary file is left beside it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"t.txt"});
}

void TestTextFile::missingAndUnreadable()
{
    QTemporaryDir dir;
    TextReadResult r = readTextLines(dir.filePath("none.txt"));
    QVERIFY(!r->exists && r.ok() && r->lines.isEmpty());
    // A folder in place of the file cannot be read.
    QVERIFY(QDir(dir.path()).mkdir("sub"));
    r = readTextLines(dir.filePath("sub"));
    QVERIFY(r->exists);
    QVERIFY(!r.ok());
    QVERIFY(!r.message().isEmpty());
}

void TestTextFile::failedWriteKeepsOldFile()
{
    QTemporaryDir dir;
    QString error;
    QVERIFY(!toldStatus(writeTextLines(dir.filePath("missing/sub/t.txt"), {"x"}), &error));
    QVERIFY(error.contains("t.txt"));
    QVERIFY(QDir(dir.path()).mkdir("adir"));
    QVERIFY(!toldStatus(writeTextLines(dir.filePath("adir"), {"x"}), &error));
    QVERIFY(QFileInfo(dir.filePath("adir")).isDir());
    const QString path = dir.filePath("t.txt");
    QVERIFY(writeTextLines(path, {"old"}));
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    const bool wrote = toldStatus(writeTextLines(path, {"new"}), &error);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (wrote) {
        QSKIP("running with rights that ignore folder permissions");
    }
    QCOMPARE(readTextLines(path)->lines, QStringList{"old"});
}

void TestTextFile::injectedFaultKeepsOldFile_data()
{
    test::addWriteFaultRows();
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
    const bool wrote = toldStatus(writeFileAtomic(path, QByteArray(20000, 'n')), &error);
    setWriteFaultHook({});
    QVERIFY(!wrote);
    QVERIFY2(error.contains(path) && error.contains(QString::fromLocal8Bit(strerror(err))),
             qPrintable(error));
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

// Schedules are private: a new file is readable by its owner alone, whatever
// the umask lets through; a file that exists keeps its mode when replaced.
void TestTextFile::newFilesAreTheOwnersAlone()
{
    QTemporaryDir dir;
    const mode_t oldMask = ::umask(022);
    const QString path = dir.filePath("20260101.dat");
    QVERIFY(writeFileAtomic(path, "a"));
    QVERIFY(createFileAtomic(dir.filePath("memo.nox"), "m"));
    const QString shared = dir.filePath("shared.txt");
    QVERIFY(writeFileAtomic(shared, "s"));
    QVERIFY(QFile::setPermissions(shared, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
    QVERIFY(writeFileAtomic(shared, "t"));
    ::umask(oldMask);
    const auto mode = [](const QString& file) {
        struct stat st {
        };
        return ::stat(QFile::encodeName(file).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
    };
    QCOMPARE(mode(path), 0600);
    QCOMPARE(mode(dir.filePath("memo.nox")), 0600);
    QCOMPARE(mode(shared), 0644);
}

void TestTextFile::byteOrderMarkInsideKeepsItsBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("reversed"); // written back in the other order
    QTest::newRow("a line of a mark alone") << QByteArray("2026/01/01\tx\r\n\xEF\xBB\xBF\r\nb\r\n") << false;
    QTest::newRow("a mark before a line, written first")
        << QByteArrayLiteral("2026\r\n\xEF\xBB\xBF\x03\x00z\r\n") << true;
    QTest::newRow("a mark before a line, file with its own mark")
        << QByteArray("\xEF\xBB\xBF" "a\r\n\xEF\xBB\xBF\x03\r\n") << true;
    QTest::newRow("two marks before a line") << QByteArray("a\r\n\xEF\xBB\xBF\xEF\xBB\xBF" "b\r\n") << true;
    QTest::newRow("a mark before a line that is no UTF-8")
        << QByteArray("a\r\n\xEF\xBB\xBF\x82\xA0\xFF\r\n") << true;
}

// A byte-order mark in the middle of a file (files joined together) belongs
// to its line: the line is not empty, and keeps the mark when written back,
// also when it comes first in a file.
void TestTextFile::byteOrderMarkInsideKeepsItsBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, reversed);
    QTemporaryDir dir;
    const QString path = dir.filePath("t.txt");
    QVERIFY(writeFileAtomic(path, bytes));
    TextReadResult r = readTextLines(path);
    for (const TextLine& line : r->textLines) {
        QVERIFY(!line.text().isEmpty());
    }
    QStringList texts = r->lines;
    if (reversed) {
        std::reverse(texts.begin(), texts.end());
    }
    QVERIFY(rewriteTextLines(path, texts));
    const TextReadResult back = readTextLines(path);
    QCOMPARE(back->lines, texts);
    QList<QByteArray> before;
    for (const TextLine& line : r->textLines) {
        before << line.bytes();
    }
    QList<QByteArray> after;
    for (const TextLine& line : back->textLines) {
        after << line.bytes();
    }
    if (reversed) {
        std::reverse(after.begin(), after.end());
    }
    QCOMPARE(after, before);
}

namespace
{

QByteArray sjis(const QString& text)
{
    QStringEncoder encoder("CP932");
    return encoder.encode(text);
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

// One byte that is not UTF-8 garbles neither its own line's neighbours nor,
// on a rewrite, itself.
void TestTextFile::linesDecodeOnTheirOwn()
{
    const QByteArray bytes = QStringLiteral("会議\r\n").toUtf8() + sjis(QStringLiteral("予定")) + "\r\n" +
                             QStringLiteral("資料").toUtf8() + "\xFF\r\n" + QStringLiteral("昼食").toUtf8();
    QCOMPARE(nox::splitLines(decodeText(bytes)).mid(0, 2),
             (QStringList{QStringLiteral("会議"), QStringLiteral("予定")}));
    QTemporaryDir dir;
    const QString path = dir.filePath("t.txt");
    QVERIFY(writeFileAtomic(path, bytes));
    const TextReadResult r = readTextLines(path);
    QCOMPARE(r->lines.size(), 4);
    QCOMPARE(r->lines[0], QStringLiteral("会議"));
    QCOMPARE(r->lines[1], QStringLiteral("予定"));
    QCOMPARE(r->lines[3], QStringLiteral("昼食"));
    QCOMPARE(r->textLines[2].bytes(), QStringLiteral("資料").toUtf8() + "\xFF");
    // A lead byte at the end of a line is not lost from its text.
    QVERIFY(!decodeLine("\xE4").isEmpty());
    QVERIFY(decodeLine("a\x82") != QStringLiteral("a"));
}

void TestTextFile::untouchedLinesKeepTheirBytes()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("t.txt");
    const QByteArray stray("\x81\xFF\xFE\x80 x\x00y");
    const QByteArray bytes =
        "\xEF\xBB\xBF" + sjis(QStringLiteral("一行目")) + "\r\n" + stray + "\r\nthird\r\n";
    QVERIFY(writeFileAtomic(path, bytes));
    TextReadResult r = readTextLines(path);
    QVERIFY(r->bom);
    QVERIFY(writeTextFile(path, r->textLines, r->bom));
    QCOMPARE(fileBytes(path), bytes);

    // Changing one line rewrites that line only; the same text keeps the bytes.
    r->textLines[0].setText(r->textLines[0].text());
    r->textLines[2].setText(QStringLiteral("三行目"));
    r->textLines.append(TextLine(QStringLiteral("new")));
    QVERIFY(writeTextFile(path, r->textLines, r->bom));
    QCOMPARE(fileBytes(path), "\xEF\xBB\xBF" + sjis(QStringLiteral("一行目")) + "\r\n" + stray + "\r\n" +
                                  QStringLiteral("三行目").toUtf8() + "\r\nnew\r\n");
}

void TestTextFile::originalLinesMatchByMeaning()
{
    const QList<TextLine> old{TextLine::fromBytes("a=01"), TextLine::fromBytes("b\xFF"),
                              TextLine::fromBytes("a=01")};
    const auto number = [](const QString& line) {
        return line.section(u'=', 0, 0) + QString::number(line.section(u'=', 1).toInt());
    };
    const QList<TextLine> lines = keepOriginalLines(old, {"a=1", "c=3", "a=1", "a=1", old[1].text()}, number);
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines[0].bytes(), QByteArray("a=01"));
    QVERIFY(!lines[1].isOriginal());
    QCOMPARE(lines[2].bytes(), QByteArray("a=01"));
    QVERIFY(!lines[3].isOriginal()); // each old line stands for one new line only
    QCOMPARE(lines[4].bytes(), QByteArray("b\xFF"));
}

void TestTextFile::createNeverReplaces()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("memo.nox");
    QVERIFY(createFileAtomic(path, "first"));
    QString error;
    QVERIFY(!toldStatus(createFileAtomic(path, "second"), &error));
    QCOMPARE(fileBytes(path), QByteArray("first"));
    QVERIFY(copyFileIfMissing(path, dir.filePath("copy")));
    QVERIFY(writeFileAtomic(path, "changed"));
    QVERIFY(copyFileIfMissing(path, dir.filePath("copy")));
    QCOMPARE(fileBytes(dir.filePath("copy")), QByteArray("first"));
    QVERIFY(copyFileIfMissing(dir.filePath("none"), dir.filePath("other"))); // nothing to copy
    QVERIFY(!QFile::exists(dir.filePath("other")));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

void TestTextFile::failuresReachTheObserver()
{
    QTemporaryDir dir;
    QStringList seen;
    setWriteFailureObserver(
        [&](const QString& path, const QString& message) { seen << path + u'|' + message; });
    const QString missing = dir.filePath("missing/t.txt");
    QVERIFY(!writeTextLines(missing, {"x"}));
    QVERIFY(removeFile(dir.filePath("none.txt"))); // nothing to delete is no failure
    QVERIFY(QDir(dir.path()).mkpath("full/sub"));
    QVERIFY(!removeFile(dir.filePath("full")));
    setWriteFailureObserver({});
    QCOMPARE(seen.size(), 2);
    QVERIFY2(seen[0].startsWith(missing + u'|') && seen[0].contains(missing) &&
                 seen[0].contains(QString::fromLocal8Bit(strerror(ENOENT))),
             qPrintable(seen[0]));
    QVERIFY(seen[1].contains(dir.filePath("full")));
}

QTEST_GUILESS_MAIN(TestTextFile)
#include "tst_textfile.moc"
