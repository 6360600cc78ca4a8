// The look at a day file's bytes before decoding, and the sources that use
// it: no match may be lost to it, whatever the files' encodings, and every
// source must find what a full decode of every file finds.
#include <QtTest>

#include <QStringEncoder>
#include <QTemporaryDir>

#include "core/textfile.h"
#include "search/rawterms.h"
#include "search/skedsearch.h"
#include "store/dayfile.h"
#include "store/schedulebook.h"

using namespace nox;

namespace
{

QByteArray cp932(const QString& text)
{
    QStringEncoder encoder("CP932");
    const QByteArray bytes = encoder.encode(text);
    Q_ASSERT(!encoder.hasError());
    return bytes;
}

// start end textcolor linecolor style image id memo text category alarm related open
QString line(int start, int id, const QString& text, const QString& category = {},
             const QString& color = QStringLiteral("clWindowText"))
{
    return QStringList{QString::number(start),
                       QString::number(start + 1),
                       color,
                       QStringLiteral("clWindowText"),
                       QStringLiteral("0"),
                       QStringLiteral("-1"),
                       QString::number(id),
                       QString(),
                       text,
                       category,
                       QStringLiteral("-1"),
                       QString(),
                       QStringLiteral("0")}
        .join(u'\t');
}

SearchQuery words(const QString& text, const QDate& from = {}, const QDate& to = {})
{
    SearchQuery q;
    q.text = text;
    q.from = from;
    q.to = to;
    return q;
}

QByteArray crlf(const QByteArray& a)
{
    return a + "\r\n";
}

// Every file read and decoded in full, one after the other: what a search
// finds without any look at the bytes first.
class FullDecodeSource : public DayLineSource
{
public:
    explicit FullDecodeSource(const QString& folder) : m_folder(folder) {}
    QList<QDate> dayFileDates(const QDate& from, const QDate& to) override
    {
        return listDayFiles(m_folder, from, to);
    }
    DayLines dayLines(const QDate& date) override
    {
        DayLines day;
        day.path = dayFilePath(m_folder, date);
        const TextReadResult read = readTextLines(day.path);
        day.ok = read.ok();
        day.error = read.message();
        day.lines = read->lines;
        return day;
    }

private:
    QString m_folder;
};

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

// What a search found, in a form two searches can be compared by.
QStringList found(const SearchOutcome& out)
{
    QStringList r;
    for (const TSkedSearchRec& s : out.results) {
        r << QStringLiteral("%1 %2 %3 %4")
                 .arg(s.Date.toString(Qt::ISODate))
                 .arg(s.ID)
                 .arg(s.Band)
                 .arg(s.SameDate);
    }
    for (const TDayProblem& p : out.skipped) {
        r << QStringLiteral("skipped %1:%2 %3")
                 .arg(QFileInfo(p.file).fileName())
                 .arg(p.lineNumber)
                 .arg(p.line);
    }
    r << QStringLiteral("errors %1 files %2").arg(out.errors.size()).arg(out.filesSearched);
    return r;
}

} // namespace

class TestRawFilter : public QObject
{
    Q_OBJECT
private slots:
    void filter_data();
    void filter();
    void validBytesReadAsThemselves_data();
    void validBytesReadAsThemselves();
    void wellFormedAgreesWithTheDecoder();
    void sourcesAgree_data();
    void sourcesAgree();
    void manyFilesInOrder();
    void cacheFollowsAFileThatTurnsLegacy();
};

void TestRawFilter::filter_data()
{
    QTest::addColumn<QStringList>("terms");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("mayMatch");
    const QByteArray meeting = QStringLiteral("会議\t東京").toUtf8();
    QTest::newRow("term present") << QStringList{"東京"} << meeting << true;
    QTest::newRow("term absent") << QStringList{"大阪"} << meeting << false;
    QTest::newRow("one of two absent") << QStringList{"会議", "大阪"} << meeting << false;
    QTest::newRow("both present, on different lines")
        << QStringList{"会議", "東京"} << QStringLiteral("会議\r\n東京").toUtf8() << true;
    QTest::newRow("no terms") << QStringList{} << meeting << true;
    QTest::newRow("empty file") << QStringList{"会議"} << QByteArray() << false;
    QTest::newRow("legacy file holding the term")
        << QStringList{"歯医者"} << cp932(QStringLiteral("歯医者")) << true;
    QTest::newRow("legacy file without it") << QStringList{"大阪"} << cp932(QStringLiteral("歯医者")) << true;
    QTest::newRow("legacy line among UTF-8 lines")
        << QStringList{"歯医者"} << crlf(meeting) + crlf(cp932(QStringLiteral("歯医者"))) + meeting << true;
    QTest::newRow("one stray byte") << QStringList{"大阪"} << meeting + "\xff" << true;
    QTest::newRow("term across a line break is not looked for")
        << QStringList{"会議\r\n東京"} << meeting << true;
    QTest::newRow("a term not looked for leaves the others")
        << QStringList{"a\nb", "大阪"} << meeting << false;
    QTest::newRow("byte-order mark in a term")
        << QStringList{QString(QChar(0xFEFF)) + "会議"} << meeting << true;
    QTest::newRow("half a surrogate pair")
        << QStringList{QString(QChar(0xD83D))} << QStringLiteral("予定😀").toUtf8() << true;
    QTest::newRow("absent after a byte-order mark")
        << QStringList{"大阪"} << "\xEF\xBB\xBF" + meeting << false;
    QTest::newRow("digits of the times") << QStringList{"18"} << line(18, 1, "x").toUtf8() << true;
}

void TestRawFilter::filter()
{
    QFETCH(QStringList, terms);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, mayMatch);
    const RawTermFilter filter(terms);
    QCOMPARE(filter.mayMatch(bytes), mayMatch);
    QCOMPARE(filter.mayMatch(bytes, isWellFormedUtf8(bytes)), mayMatch);
    QCOMPARE(RawTermFilter().mayMatch(bytes), true);
}

// The filter passes over valid UTF-8 by its bytes: each line of it must read
// as exactly those bytes (a leading byte-order mark aside), never as CP932.
void TestRawFilter::validBytesReadAsThemselves_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ascii") << QByteArray("18\t19\tclRed");
    QTest::newRow("kanji") << QStringLiteral("歯医者①～").toUtf8();
    QTest::newRow("replacement character written out") << QByteArray("a\xEF\xBF\xBD"
                                                                     "b");
    QTest::newRow("mark and replacement character") << QByteArray("\xEF\xBB\xBF\xEF\xBF\xBD"
                                                                  "x");
    QTest::newRow("noncharacters") << QByteArray("\xEF\xBF\xBE\xEF\xBF\xBF");
    QTest::newRow("last code point") << QByteArray("\xF4\x8F\xBF\xBF");
    QTest::newRow("encoded surrogate") << QByteArray("\xED\xA0\x80");
    QTest::newRow("overlong slash") << QByteArray("\xC0\xAF");
    QTest::newRow("overlong three bytes") << QByteArray("\xE0\x80\xAF");
    QTest::newRow("past the last code point") << QByteArray("\xF4\x90\x80\x80");
    QTest::newRow("five bytes") << QByteArray("\xF8\x88\x80\x80\x80");
    QTest::newRow("cut short") << QByteArray("\xE6\xAD");
    QTest::newRow("lone continuation") << QByteArray("a\x80");
    QTest::newRow("cp932") << cp932(QStringLiteral("会議"));
}

void TestRawFilter::validBytesReadAsThemselves()
{
    QFETCH(QByteArray, bytes);
    QCOMPARE(isWellFormedUtf8(bytes), QByteArrayView(bytes).isValidUtf8());
    for (const QByteArray& padded : {bytes, QByteArray("12345678") + bytes, bytes + "abcdefgh"}) {
        if (isWellFormedUtf8(padded)) {
            QVERIFY(padded.endsWith(decodeLine(padded).toUtf8()));
            QVERIFY(padded.size() - decodeLine(padded).toUtf8().size() <= 3);
        } else {
            QVERIFY(RawTermFilter({QStringLiteral("不在")}).mayMatch(padded));
        }
    }
}

// Short byte strings made of the bytes where the forms of UTF-8 change: the
// check of well-formed bytes agrees with the decoder's on every one.
void TestRawFilter::wellFormedAgreesWithTheDecoder()
{
    const unsigned char edges[] = {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xC1, 0xC2,
                                   0xDF, 0xE0, 0xE3, 0xEC, 0xED, 0xEE, 0xEF, 0xF0, 0xF3, 0xF4, 0xF5, 0xFF};
    QRandomGenerator random(20261207);
    int valid = 0;
    for (int n = 0; n < 50000; ++n) {
        QByteArray bytes;
        const int size = 1 + random.bounded(6);
        for (int i = 0; i < size; ++i) {
            bytes += char(edges[random.bounded(int(sizeof edges))]);
        }
        const bool wellFormed = isWellFormedUtf8(bytes);
        valid += wellFormed;
        if (wellFormed != QByteArrayView(bytes).isValidUtf8() ||
            (wellFormed && decodeLine(bytes).toUtf8() != bytes && !bytes.startsWith("\xEF\xBB\xBF"))) {
            QFAIL(
                qPrintable(QStringLiteral("disagreement on %1").arg(QString::fromLatin1(bytes.toHex(' ')))));
        }
    }
    QVERIFY(valid > 1000); // both kinds were tried
}

void TestRawFilter::sourcesAgree_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("category");
    QTest::addColumn<QStringList>("expected");
    const QString none = QStringLiteral("errors 0 files 4");
    QTest::newRow("UTF-8") << "会議"
                           << "" << QStringList{"2024-03-01 1 1 0", none};
    QTest::newRow("legacy file") << "歯医者"
                                 << "" << QStringList{"2024-03-02 2 1 0", "2024-03-03 4 0 0", none};
    QTest::newRow("legacy line in a UTF-8 file, and its damaged neighbour")
        << "東京"
        << "" << QStringList{"2024-03-03 4 1 0", QStringLiteral("skipped 20240303.dat:3 東京\tだけ"), none};
    QTest::newRow("digits of a time") << "37"
                                      << "" << QStringList{"2024-03-03 4 1 0", none};
    QTest::newRow("digits of a colour") << "804"
                                        << "" << QStringList{"2024-03-04 5 1 0", none};
    QTest::newRow("category") << ""
                              << "家族" << QStringList{"2024-03-02 2 1 0", none};
    QTest::newRow("category and word in different encodings") << "ランチ"
                                                              << "家族" << QStringList{none};
    QTest::newRow("after a byte-order mark") << "ヨガ"
                                             << "" << QStringList{"2024-03-04 5 1 0", none};
    QTest::newRow("nowhere") << "大阪"
                             << "" << QStringList{none};
}

// The book's source (bytes looked at first), the caching source cold and
// warm, and a full decode of every file find the same.
void TestRawFilter::sourcesAgree()
{
    QFETCH(QString, text);
    QFETCH(QString, category);
    QFETCH(QStringList, expected);
    QTemporaryDir dir;
    const QString f = dir.path();
    writeBytes(dayFilePath(f, QDate(2024, 3, 1)), crlf(line(20, 1, QStringLiteral("会議")).toUtf8()));
    writeBytes(dayFilePath(f, QDate(2024, 3, 2)), crlf(cp932(line(22, 2, QStringLiteral("歯医者"), "家族"))));
    writeBytes(dayFilePath(f, QDate(2024, 3, 3)),
               crlf(line(30, 3, QStringLiteral("ランチ")).toUtf8()) +
                   crlf(cp932(line(37, 4, QStringLiteral("歯医者　東京")))) +
                   crlf(cp932(QStringLiteral("東京\tだけ"))));
    writeBytes(dayFilePath(f, QDate(2024, 3, 4)),
               "\xEF\xBB\xBF" +
                   crlf(line(24, 5, QStringLiteral("ヨガ"), {}, QStringLiteral("$00804000")).toUtf8()));
    const SearchQuery query{text, SearchTarget::Both, {}, {}, category, 0};

    FullDecodeSource full(f);
    QCOMPARE(found(searchSchedules(full, query)), expected);
    const ScheduleBook book(f, nullptr);
    BookDaySource direct(book);
    QCOMPARE(found(searchSchedules(direct, query)), expected);
    const ScheduleBook cachingBook(f, nullptr);
    KeptDaySource cached(cachingBook);
    QCOMPARE(found(searchSchedules(cached, query)), expected);
    QCOMPARE(found(searchSchedules(cached, query)), expected);
    // Another search first: the days then come from memory at the first try.
    const ScheduleBook warmBook(f, nullptr);
    KeptDaySource warm(warmBook);
    searchSchedules(warm, words(QStringLiteral("不在")));
    QCOMPARE(found(searchSchedules(warm, query)), expected);
    QVERIFY(warmBook.cacheStats().bytes > 0);
}

// Enough files for the search to share them out over several threads: the
// results come in file order, then line order, as from one thread.
void TestRawFilter::manyFilesInOrder()
{
    QTemporaryDir dir;
    const QDate first(2020, 1, 1);
    int matches = 0;
    for (int i = 0; i < 700; ++i) {
        QByteArray bytes;
        for (int j = 0; j <= i % 3; ++j) {
            matches += (i + j) % 5 == 0;
            const QString text =
                (i + j) % 5 == 0 ? QStringLiteral("歯医者 %1").arg(i) : QStringLiteral("ジム");
            const QString l = line(14 + j, i * 10 + j + 1, text);
            bytes += crlf(i % 7 == 0 ? cp932(l) : l.toUtf8());
        }
        if (i % 50 == 0) {
            bytes += crlf(cp932(QStringLiteral("歯医者\t壊れた行")));
        }
        writeBytes(dayFilePath(dir.path(), first.addDays(i)), bytes);
    }
    const SearchQuery query = words(QStringLiteral("歯医者"));
    FullDecodeSource full(dir.path());
    const QStringList expected = found(searchSchedules(full, query));
    QCOMPARE(expected.size(), matches + 14 + 1); // results, damaged lines, the count
    const ScheduleBook book(dir.path(), nullptr);
    BookDaySource direct(book);
    QCOMPARE(found(searchSchedules(direct, query)), expected);
    KeptDaySource cached(book);
    QCOMPARE(found(searchSchedules(cached, query)), expected);
    QCOMPARE(found(searchSchedules(cached, query)), expected);
    // A period: only its files.
    const SearchQuery march = words(QStringLiteral("歯医者"), QDate(2020, 3, 1), QDate(2020, 3, 31));
    QCOMPARE(found(searchSchedules(direct, march)), found(searchSchedules(full, march)));
    QCOMPARE(searchSchedules(direct, march).filesSearched, 31);
}

// A cached day whose file is rewritten in CP932 is read again and decoded as such.
void TestRawFilter::cacheFollowsAFileThatTurnsLegacy()
{
    QTemporaryDir dir;
    const QDate d(2025, 5, 5);
    const QString path = dayFilePath(dir.path(), d);
    writeBytes(path, crlf(line(20, 1, QStringLiteral("ジム")).toUtf8()));
    const ScheduleBook book(dir.path(), nullptr);
    KeptDaySource source(book);
    const SearchQuery query = words(QStringLiteral("歯医者"));
    QCOMPARE(searchSchedules(source, query).results.size(), 0);
    QVERIFY(QFile::remove(path));
    writeBytes(path, crlf(cp932(line(20, 2, QStringLiteral("歯医者")))));
    const SearchOutcome out = searchSchedules(source, query);
    QCOMPARE(out.results.size(), 1);
    QCOMPARE(out.results.first().ID, 2);
}

QTEST_GUILESS_MAIN(TestRawFilter)
#include "tst_rawfilter.moc"
