#include <QElapsedTimer>
#include <QFontMetrics>
#include <QTemporaryDir>
#include <QTest>

#include "appearance/style.h"
#include "core/folders.h"
#include "core/inifile.h"
#include "core/textfile.h"

using namespace nox;

namespace
{

QString factoryFile()
{
    return QDir::cleanPath(qEnvironmentVariable("NOX_TEST_DATA") +
                           QStringLiteral("/../../../data/default/style.ini"));
}

// A style in which every field differs from the defaults.
TStyle unusualStyle()
{
    TStyle s;
    s.HeaderVisible = false;
    s.HeaderBKColor = 0x00123456;
    s.HeaderFGColor = clBtnText;
    s.HeaderFontSize1 = 21;
    s.HeaderFontSize2 = 7;
    s.Color = 0x00010203;
    s.FontColor = clYellow;
    s.FontSize = 13;
    s.FontName = QStringLiteral("Noto Sans CJK JP");
    s.ViewFocusStyleColor = 0x00AABBCC;
    s.ViewFocusStyleFontColor = 0x00CCBBAA;
    s.ViewLineColor = clInfoBk;
    s.ViewLineWidth = 3;
    s.ViewLeftBarColor = 0x00101010;
    s.ViewLeftBarFontColor = 0x00202020;
    s.ViewLeftBarLineColor = 0x00303030;
    s.ViewHighlightColor = 0x00404040;
    s.ViewTopBarColor = 0x00505050;
    s.ViewTopBarFontColor = 0x00606060;
    s.DayKind = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    s.WeekDayFGColor = 0x00707070;
    s.TodayColor = 0x00808081;
    s.MVLineColor = 0x00909090;
    s.MVLineWidth = 2;
    s.MVTopBarColor = 0x00A0A0A0;
    s.MVTopBarFontColor = 0x00B0B0B0;
    s.MVOtherColor = 0x00C0C0C1;
    s.MVOtherFontColor = 0x00D0D0D0;
    s.SkedFrameColor = 0x00E0E0E0;
    s.MVMarkColor = 0x00F0F0F0;
    s.LineSizing = false;
    s.ColWidth = QStringLiteral("2,3,3,3,3,3,2");
    return s;
}

double luminance(TColor c)
{
    auto lin = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * lin(c & 0xFF) + 0.7152 * lin((c >> 8) & 0xFF) + 0.0722 * lin((c >> 16) & 0xFF);
}

double contrast(TColor a, TColor b)
{
    const double la = luminance(a), lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

} // namespace

class TestStyle : public QObject
{
    Q_OBJECT
private slots:
    void factoryStylesAreCompleteAndValid();
    void factoryStylesAreLegibleAndDistinct();
    void exportImportRoundTrip();
    void writesEveryKeyInTableOrder();
    void missingKeysKeepValuesButFontFallsBack();
    void badValuesAreReportedAndKept();
    void outOfRangeNumbersKeepTheDefault_data();
    void outOfRangeNumbersKeepTheDefault();
    void writingASectionKeepsEveryOtherLine();
    void dataFolderAndFactoryCopy();
    void derivedSizesFollowTheFont();
};

void TestStyle::factoryStylesAreCompleteAndValid()
{
    const IniFile ini(factoryFile());
    QVERIFY2(QFileInfo::exists(ini.path()), qPrintable(ini.path()));
    for (int i = 0; i < 3; ++i) {
        const QString section = StyleSectionName(i);
        QCOMPARE(ini.readSection(section), StyleKeys());
        TStyle s;
        const TStyleReadResult r = ReadStyleSection(ini, section, s);
        QVERIFY(r.fileFound);
        QVERIFY2(r.badKeys.isEmpty(), qPrintable(r.badKeys.join(u',')));
        QCOMPARE(s.FontName, QStringLiteral("ＭＳ Ｐゴシック"));
        QCOMPARE(s.ColWidth.split(u',').size(), 7);
    }
}

void TestStyle::factoryStylesAreLegibleAndDistinct()
{
    const IniFile ini(factoryFile());
    TStyle s[3];
    for (int i = 0; i < 3; ++i) {
        ReadStyleSection(ini, StyleSectionName(i), s[i]);
        const struct {
            const char* what;
            TColor fg, bg;
        } pairs[] = {
            {"text", s[i].FontColor, s[i].Color},
            {"focus", s[i].ViewFocusStyleFontColor, s[i].ViewFocusStyleColor},
            {"ruler", s[i].ViewLeftBarFontColor, s[i].ViewLeftBarColor},
            {"ruler highlight", s[i].ViewLeftBarFontColor, s[i].ViewHighlightColor},
            {"day header", s[i].ViewTopBarFontColor, s[i].ViewTopBarColor},
            {"date header", s[i].HeaderFGColor, s[i].HeaderBKColor},
            {"month header", s[i].MVTopBarFontColor, s[i].MVTopBarColor},
            {"weekday", s[i].WeekDayFGColor, s[i].Color},
            {"sunday", s[i].DayKind.SundayFGColor, s[i].DayKind.SundayBKColor},
            {"saturday", s[i].DayKind.SaturdayFGColor, s[i].DayKind.SaturdayBKColor},
            {"holiday", s[i].DayKind.HolidayFGColor, s[i].DayKind.HolidayBKColor},
            {"entries", s[i].FontColor, s[i].DayKind.SkedBKColor},
        };
        for (const auto& p : pairs) {
            QVERIFY2(contrast(p.fg, p.bg) >= 4.5,
                     qPrintable(
                         QStringLiteral("style %1 %2: %3").arg(i + 1).arg(p.what).arg(contrast(p.fg, p.bg))));
        }
        QVERIFY(contrast(s[i].MVOtherFontColor, s[i].MVOtherColor) >= 2.0);
    }
    QVERIFY(luminance(s[0].Color) > 0.8);  // light
    QVERIFY(luminance(s[2].Color) < 0.05); // dark
    QVERIFY(s[0].HeaderBKColor != s[1].HeaderBKColor && s[1].HeaderBKColor != s[2].HeaderBKColor);
    QVERIFY(s[0].Color != s[1].Color);
}

void TestStyle::exportImportRoundTrip()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("mystyle.txt"));
    const TStyle out = unusualStyle();
    QElapsedTimer timer;
    timer.start();
    QVERIFY(ExportStyle(file, out));
    qDebug("export of one style took %lld ms", timer.elapsed());
    const IniFile ini(file);
    QVERIFY(ini.sectionExists(QStringLiteral("Style")));
    QVERIFY(!ini.sectionExists(QStringLiteral("Style1")));
    TStyle in;
    const TStyleReadResult r = ImportStyle(file, in);
    QVERIFY(r.badKeys.isEmpty());
    QVERIFY(in == out);
    // Colours are stored in name form.
    QCOMPARE(ini.readString(QStringLiteral("Style"), QStringLiteral("FontColor"), {}),
             QStringLiteral("clYellow"));
    QCOMPARE(ini.readString(QStringLiteral("Style"), QStringLiteral("Color"), {}),
             QStringLiteral("$00010203"));
    QCOMPARE(ini.readString(QStringLiteral("Style"), QStringLiteral("LineSizing"), {}), QStringLiteral("0"));
}

void TestStyle::writesEveryKeyInTableOrder()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("style.ini"));
    QVERIFY(writeTextLines(file, {QStringLiteral("[Style2]"), QStringLiteral("Color=clRed"),
                                  QStringLiteral("[Style1]"), QStringLiteral("ColWidth=1,2,3")}));
    IniFile ini(file);
    QVERIFY(WriteStyleSection(ini, QStringLiteral("Style1"), unusualStyle()));
    QCOMPARE(ini.readSection(QStringLiteral("Style1")).size(), StyleKeys().size());
    QStringList order = ini.readSection(QStringLiteral("Style1"));
    // A key present before keeps its place; the rest follow in table order.
    order.removeAll(QStringLiteral("ColWidth"));
    QStringList expected = StyleKeys();
    expected.removeAll(QStringLiteral("ColWidth"));
    QCOMPARE(order, expected);
    QCOMPARE(ini.readString(QStringLiteral("Style2"), QStringLiteral("Color"), {}), QStringLiteral("clRed"));
    QCOMPARE(ini.readString(QStringLiteral("Style1"), QStringLiteral("ColWidth"), {}),
             QStringLiteral("2,3,3,3,3,3,2"));
}

void TestStyle::missingKeysKeepValuesButFontFallsBack()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("style.ini"));
    QVERIFY(writeTextLines(file, {QStringLiteral("[Style]"), QStringLiteral("Color=clAqua")}));
    TStyle s = unusualStyle();
    const TStyleReadResult r = ImportStyle(file, s);
    QVERIFY(r.fileFound);
    TStyle expected = unusualStyle();
    expected.Color = clAqua;
    expected.FontName = QStringLiteral("ＭＳ Ｐゴシック");
    expected.FontSize = 9;
    QVERIFY(s == expected);

    // A missing file reads as empty and is not created by reading.
    TStyle t = unusualStyle();
    QVERIFY(!ImportStyle(dir.filePath(QStringLiteral("none.txt")), t).fileFound);
    QCOMPARE(t.Color, unusualStyle().Color);
    QCOMPARE(t.FontSize, kStyleFallbackFontSize);
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("none.txt"))));
}

void TestStyle::badValuesAreReportedAndKept()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("s.txt"));
    QVERIFY(writeTextLines(file, {QStringLiteral("[Style]"), QStringLiteral("Color=purplish"),
                                  QStringLiteral("FontSize=big"), QStringLiteral("MVLineWidth=2"),
                                  QStringLiteral("HeaderVisible=2"), QStringLiteral("TodayColor=255"),
                                  QStringLiteral("LineSizing=yes")}));
    TStyle s;
    s.Color = clTeal;
    s.FontSize = 11;
    const TStyleReadResult r = ImportStyle(file, s);
    QCOMPARE(r.badKeys, (QStringList{QStringLiteral("Color"), QStringLiteral("FontSize"),
                                     QStringLiteral("LineSizing")}));
    QCOMPARE(s.Color, clTeal);
    QCOMPARE(s.FontSize, 11);
    QVERIFY(s.LineSizing);
    QCOMPARE(s.MVLineWidth, 2);
    QVERIFY(s.HeaderVisible); // any non-zero number is true
    QCOMPARE(s.TodayColor, clRed);
}

void TestStyle::outOfRangeNumbersKeepTheDefault_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("bad");
    QTest::newRow("font size 0") << "FontSize=0" << true;
    QTest::newRow("font size huge") << "FontSize=2147483647" << true;
    QTest::newRow("font size 72") << "FontSize=72" << false;
    QTest::newRow("header size negative") << "HeaderFontSize1=-3" << true;
    QTest::newRow("second size 201") << "HeaderFontSize2=201" << true;
    QTest::newRow("line width 0") << "ViewLineWidth=0" << false;
    QTest::newRow("line width 21") << "ViewLineWidth=21" << true;
    QTest::newRow("month line width lowest int") << "MVLineWidth=-2147483648" << true;
}

// A number of the style file no font or line can take is told and leaves
// the field as it was.
void TestStyle::outOfRangeNumbersKeepTheDefault()
{
    QFETCH(QString, line);
    QFETCH(bool, bad);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("s.txt"));
    QVERIFY(writeTextLines(file, {QStringLiteral("[Style]"), line}));
    const TStyle before;
    TStyle s;
    const TStyleReadResult r = ImportStyle(file, s);
    QCOMPARE(r.badKeys.size(), bad ? 1 : 0);
    if (bad) {
        QCOMPARE(s, before);
    } else {
        QVERIFY(!(s == before));
    }
}

// Writing one style changes the lines of its own keys; every other line,
// those of a section written twice included, keeps its bytes and its place.
void TestStyle::writingASectionKeepsEveryOtherLine()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("style.ini"));
    const QList<QByteArray> lines{"; mine", "[Style3]", "FontSize=9", "FontName=a", "", "[Style1]", "FontSize=9",
                                  "Color=clRed\xFF", "[Style3]", "FontSize=9", "Color=clBlue"};
    QVERIFY(writeFileAtomic(file, lines.join("\r\n") + "\r\n"));
    IniFile ini(file);
    TStyle style;
    ReadStyleSection(ini, StyleSectionName(2), style);
    style.FontSize = 10;
    QVERIFY(WriteStyleSection(ini, StyleSectionName(2), style));
    QList<QByteArray> after = splitRawLines([&] {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }());
    // The first [Style3] gets its new size and the keys it lacked, after its
    // last line; nothing else moves.
    QCOMPARE(after.mid(0, 4), (QList<QByteArray>{"; mine", "[Style3]", "FontSize=10", "FontName=a"}));
    const qsizetype added = after.size() - lines.size();
    QCOMPARE(added, qsizetype(StyleKeys().size() - 2));
    QCOMPARE(after.mid(4 + added), lines.mid(4));
}

void TestStyle::dataFolderAndFactoryCopy()
{
    QTemporaryDir home;
    qputenv("NOX_HOME", home.path().toUtf8());
    folders::resetCache();
    QVERIFY(folders::ensureDataFolder());
    QDir().mkpath(home.filePath(QStringLiteral("default")));
    QVERIFY(QFile::copy(factoryFile(), home.filePath(QStringLiteral("default/style.ini"))));

    TStyle factory;
    QVERIFY(ReadStyle(factory, 2, true).fileFound);
    QVERIFY(luminance(factory.Color) < 0.05);

    TStyle mine = unusualStyle();
    QVERIFY(WriteStyle(mine, 1));
    QVERIFY(QFileInfo::exists(folders::dataFolder() + QStringLiteral("/style.ini")));
    TStyle back;
    QVERIFY(ReadStyle(back, 1).fileFound);
    QVERIFY(back == mine);
    TStyle untouched;
    ReadStyle(untouched, 0);
    QCOMPARE(untouched.Color, TStyle().Color);
    // Out-of-range indexes stay within the three sections.
    QCOMPARE(StyleSectionName(7), QStringLiteral("Style3"));
    QCOMPARE(StyleSectionName(-1), QStringLiteral("Style1"));
    qunsetenv("NOX_HOME");
    folders::resetCache();
}

void TestStyle::derivedSizesFollowTheFont()
{
    TStyle small;
    small.FontSize = 9;
    TStyle big = small;
    big.FontSize = 18;
    QVERIFY(LeftBarWidthFor(StyleFont(big)) > LeftBarWidthFor(StyleFont(small)));
    QVERIFY(HeaderHeightFor(StyleFont(big)) > HeaderHeightFor(StyleFont(small)));
    QCOMPARE(HeaderHeightFor(StyleFont(small)), QFontMetrics(StyleFont(small)).height() + 2);
    QVERIFY(LeftBarWidthFor(StyleFont(small)) >
            12 + 4 * QFontMetrics(StyleFont(small)).horizontalAdvance(u'8'));
}

QTEST_MAIN(TestStyle)
#include "tst_style.moc"
