#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "../common/records.h"
#include "alarm/ui/popupgeometry.h"
#include "alarm/ui/popupsettings.h"
#include "alarm/ui/popupwindow.h"
#include "core/inifile.h"
#include "widgets/relatedtarget.h"

using namespace nox;

Q_DECLARE_METATYPE(nox::TPopupSound)

namespace
{

const QRect kScreen(0, 0, 1280, 800);
const QRect kAvailable(0, 0, 1280, 760); // panel at the bottom

TSkedRec schedule(const QDate& date, int startSlot)
{
    return testing::withRelated(testing::skedRecord(date, startSlot, 4242, QStringLiteral("打ち合わせ")),
                                QStringLiteral("www.example.com"), true);
}

void waitGrown(TForm7* popup)
{
    QTRY_VERIFY_WITH_TIMEOUT(popup->Grown(), 5000);
}

} // namespace

class TestPopupWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void growsAtItsCornerThenStops();
    void soundOnlyOnceGrown_data();
    void soundOnlyOnceGrown();
    void relatedInfoOnlyForTheStartAlarm();
    void showMenuNeedsASchedule();
    void showGoesToScheduleAndCloses();
    void showReportsMissingSchedule();
    void doubleClickCloses();
    void twoPopupsShareTheSpot();
    void lateListFitsItsLines();
    void settingsFileAndLook();

private:
    QList<QUrl> m_opened;
};

void TestPopupWindow::init()
{
    TForm7::SetScreenGeometryForTesting(kScreen, kAvailable);
    SetPopupSettings(TPopupSettings());
    m_opened.clear();
    SetRelatedTargetOpener([this](const QUrl& url) {
        m_opened << url;
        return true;
    });
}

void TestPopupWindow::cleanup()
{
    // Menus of popups are top-level widgets too and go with their popup.
    QList<QPointer<TForm7>> popups;
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows) {
        if (auto* popup = qobject_cast<TForm7*>(w)) {
            popups << popup;
        }
    }
    qDeleteAll(popups);
    SetRelatedTargetOpener({});
    SetPopupHost({});
}

void TestPopupWindow::growsAtItsCornerThenStops()
{
    TPopupSettings s;
    s.height = 123;
    s.width = 200;
    s.pos = pcBottomRight;
    SetPopupSettings(s);
    TForm7* popup = ShowPopupMessage(QStringLiteral("10時00分\r\n\r\n時報"), QString(), std::nullopt);
    QVERIFY(popup->isVisible());
    QVERIFY(popup->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(popup->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(LastPopup(), popup);
    QTRY_VERIFY(popup->Step() >= 3);
    QVERIFY(!popup->Grown());
    QCOMPARE(popup->geometry().bottom(), 758); // bottom edge one pixel above the panel
    waitGrown(popup);
    QCOMPARE(popup->Step(), 25);
    QCOMPARE(popup->geometry(), QRect(1280 - 200 - 1, 759 - 123, 200, 123));
    QTest::qWait(100);
    QCOMPARE(popup->Step(), 25); // the timer stopped
    QVERIFY(popup->isVisible()); // and nothing closes it
    const QString folder = qEnvironmentVariable("NOX_TEST_SHOTS");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        popup->grab().save(QDir(folder).filePath(QStringLiteral("popup_timesignal.png")));
    }
}

void TestPopupWindow::soundOnlyOnceGrown_data()
{
    QTest::addColumn<QString>("sound");
    QTest::addColumn<TPopupSound>("expected");
    QTest::newRow("none") << QString() << TPopupSound::None;
    QTest::newRow("BEEP") << QStringLiteral("BEEP") << TPopupSound::Beep;
    QTest::newRow("beep") << QStringLiteral("beep") << TPopupSound::Beep;
    QTest::newRow("missing wave") << QStringLiteral("/no/such/chime.wav") << TPopupSound::None;
    QTest::newRow("wave file") << QStringLiteral("@wave") << TPopupSound::Wave;
}

void TestPopupWindow::soundOnlyOnceGrown()
{
    QFETCH(QString, sound);
    QFETCH(TPopupSound, expected);
    QTemporaryDir dir;
    if (sound == QLatin1String("@wave")) {
        sound = dir.filePath(QStringLiteral("chime.wav"));
        QFile f(sound);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray::fromHex("52494646240000005741564566")); // header only; never waited for
        f.close();
    }
    QCOMPARE(PopupSoundFor(sound), expected);
    TPopupSettings s;
    s.height = 60;
    SetPopupSettings(s);
    TForm7* popup = ShowPopupMessage(QStringLiteral("音"), sound, std::nullopt);
    QCOMPARE(popup->SoundPlayed(), TPopupSound::None);
    waitGrown(popup);
    QCOMPARE(popup->SoundPlayed(), expected);
    delete popup;
}

void TestPopupWindow::relatedInfoOnlyForTheStartAlarm()
{
    const QDateTime start(QDate(2026, 12, 7), QTime(9, 0));
    const TSkedRec rec = schedule(start.date(), 18); // 9:00
    TForm7* reminder = ShowPopupMessage(QStringLiteral("reminder"), QString(), rec, start.addSecs(-300));
    TForm7* atStart = ShowPopupMessage(QStringLiteral("start"), QString(), rec, start);
    TSkedRec off = rec;
    off.OpenRelatedInfo = false;
    TForm7* notAsked = ShowPopupMessage(QStringLiteral("off"), QString(), off, start);
    waitGrown(reminder);
    waitGrown(atStart);
    waitGrown(notAsked);
    QCOMPARE(m_opened, QList<QUrl>{QUrl(QStringLiteral("http://www.example.com"))});

    // The alarm checks decide it themselves and pass the target on.
    m_opened.clear();
    PopupRequest request;
    request.message = QStringLiteral("9:00-9:30\r\n打ち合わせ");
    request.record = rec;
    request.relatedInfoTarget = QStringLiteral("https://example.org/agenda");
    TForm7* popup = ShowPopupMessage(request);
    QVERIFY(m_opened.isEmpty()); // not before it has grown
    waitGrown(popup);
    QCOMPARE(m_opened, QList<QUrl>{QUrl(QStringLiteral("https://example.org/agenda"))});
    QCOMPARE(popup->Label1()->text(), request.message);
}

void TestPopupWindow::showMenuNeedsASchedule()
{
    TForm7* signal = ShowPopupMessage(QStringLiteral("時報"), QString(), std::nullopt);
    TForm7* alarm = ShowPopupMessage(QStringLiteral("alarm"), QString(), schedule(QDate(2026, 1, 5), 20),
                                     QDateTime(QDate(2020, 1, 1), QTime(0, 0)));
    for (TForm7* popup : {signal, alarm}) {
        QMenu* menu = popup->PopupMenu1();
        const auto actions = menu->actions();
        QCOMPARE(actions.size(), 3);
        QCOMPARE(actions[0]->text(), QStringLiteral("閉じる(&C)"));
        QVERIFY(actions[1]->isSeparator());
        QCOMPARE(actions[2]->text(), QStringLiteral("表示(&V)"));
        emit menu->aboutToShow();
        QCOMPARE(actions[2]->isEnabled(), popup == alarm);
    }
    QPointer<TForm7> closing(signal);
    signal->PopupMenu1()->actions()[0]->trigger();
    QTRY_VERIFY(closing.isNull());
}

void TestPopupWindow::showGoesToScheduleAndCloses()
{
    QWidget main;
    main.hide();
    QList<qint32> asked;
    SetPopupHost({&main, [&](const TSkedRec& rec) {
                      asked << rec.ID;
                      return true;
                  }});
    QPointer<TForm7> popup =
        ShowPopupMessage(QStringLiteral("alarm"), QString(), schedule(QDate(2026, 1, 5), 20), QDateTime());
    popup->PopupMenu1()->actions()[2]->trigger();
    QCOMPARE(asked, QList<qint32>{4242});
    QVERIFY(main.isVisible());
    QTRY_VERIFY(popup.isNull());
}

void TestPopupWindow::showReportsMissingSchedule()
{
    QWidget main;
    SetPopupHost({&main, [](const TSkedRec&) { return false; }});
    QPointer<TForm7> popup =
        ShowPopupMessage(QStringLiteral("alarm"), QString(), schedule(QDate(2026, 1, 5), 20), QDateTime());
    QString shown;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        shown = box->text();
        QCOMPARE(box->standardButtons(), QMessageBox::Ok);
        box->accept();
    });
    popup->PopupMenu1()->actions()[2]->trigger();
    QVERIFY(shown.startsWith(QStringLiteral("対象スケジュールが見つかりません!")));
    QVERIFY(!popup.isNull());
    QVERIFY(!main.isVisible());
}

void TestPopupWindow::doubleClickCloses()
{
    QPointer<TForm7> popup = ShowPopupMessage(QStringLiteral("x"), QString(), std::nullopt);
    QTest::mouseDClick(popup->Label1(), Qt::LeftButton);
    QTRY_VERIFY(popup.isNull());
    QPointer<TForm7> other = ShowPopupMessage(QStringLiteral("y"), QString(), std::nullopt);
    waitGrown(other);
    QTest::mouseDClick(other.data(), Qt::LeftButton, {}, QPoint(3, other->height() - 3));
    QTRY_VERIFY(other.isNull());
    QVERIFY(LastPopup() == nullptr);
}

void TestPopupWindow::twoPopupsShareTheSpot()
{
    TForm7* first = ShowPopupMessage(QStringLiteral("1"), QStringLiteral("beep"), std::nullopt);
    TForm7* second = ShowPopupMessage(QStringLiteral("2"), QStringLiteral("beep"), std::nullopt);
    QCOMPARE(LastPopup(), second);
    waitGrown(first);
    waitGrown(second);
    QCOMPARE(first->geometry(), second->geometry());
    QCOMPARE(first->SoundPlayed(), TPopupSound::Beep);
    QCOMPARE(second->SoundPlayed(), TPopupSound::Beep);
}

void TestPopupWindow::settingsFileAndLook()
{
    QTemporaryDir dir;
    IniFile ini(dir.filePath(QStringLiteral("Nox.ini")));
    TPopupSettings d = ReadPopupSettings(ini, QStringLiteral("Noto Sans CJK JP"));
    QCOMPARE(d.fontname, QStringLiteral("Noto Sans CJK JP"));
    TPopupSettings s;
    s.bkcolor = 0x00F0E0D0;
    s.fgcolor = clNavy;
    s.fontsize = 14;
    s.fontstyle = 0x13; // bold and italic; bit 16 does not count
    s.width = 240;
    s.height = 90;
    s.pos = pcTopLeft;
    QVERIFY(WritePopupSettings(ini, s));
    QCOMPARE(ini.readString(QStringLiteral("popupwindow"), QStringLiteral("fgcolor"), {}),
             QStringLiteral("clNavy"));
    const TPopupSettings back = ReadPopupSettings(ini);
    QVERIFY(back == s);

    TForm7* popup = ShowPopupPreview(QStringLiteral("会議室Bで打ち合わせ。資料を持参すること。"), back);
    QCOMPARE(popup->font().pointSize(), 14);
    QVERIFY(popup->font().bold());
    QVERIFY(popup->font().italic());
    QVERIFY(!popup->font().underline());
    QCOMPARE(popup->palette().color(QPalette::Window), toQColor(0x00F0E0D0));
    QCOMPARE(popup->Label1()->geometry(), QRect(8, 8, 240 - 2 - 16, 90));
    waitGrown(popup);
    QCOMPARE(popup->geometry(), QRect(1, 1, 240, 90));
    const QString folder = qEnvironmentVariable("NOX_TEST_SHOTS");
    if (!folder.isEmpty()) {
        popup->grab().save(QDir(folder).filePath(QStringLiteral("popup_styled.png")));
    }
}

void TestPopupWindow::lateListFitsItsLines()
{
    QStringList lines{QStringLiteral("遅れて表示する通知 12 件")};
    for (int i = 0; i < 10; ++i) {
        lines << QStringLiteral("12/7 10:%1  10:30-11:00 会議").arg(i + 10);
    }
    lines << QStringLiteral("ほか 2 件");
    PopupRequest request;
    request.message = lines.join(QStringLiteral("\r\n"));
    request.late = true;
    request.lateCount = 12;
    TForm7* list = ShowPopupMessage(request);
    QVERIFY(list->TargetHeight() > TPopupSettings().height);
    QVERIFY(list->TargetHeight() <= kAvailable.height() / 2);
    QCOMPARE(list->Label1()->height(), list->TargetHeight());
    waitGrown(list);
    QCOMPARE(list->geometry().bottom(), kAvailable.bottom() - 1); // still beside the panel

    // Every other popup keeps the height of the settings.
    PopupRequest plain;
    plain.message = request.message;
    QCOMPARE(ShowPopupMessage(plain)->TargetHeight(), TPopupSettings().height);
}

QTEST_MAIN(TestPopupWindow)
#include "tst_popupwindow.moc"
