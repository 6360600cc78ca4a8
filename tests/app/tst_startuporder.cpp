// The order of start-up: the window is painted on screen before the deferred
// start-up reads the data folder, on every platform plugin. Under X11 with a
// window manager update requests arrive before the window is exposed; here a
// window that is shown but kept off the screen stands for that state.
#include <QFile>
#include <QTest>
#include <QWindow>

#include "mainformfixture.h"
#include "sked/skedcontrol.h"

using namespace nox;

namespace
{

// Notes whether the window had started when its first exposed paint came.
class PaintWatch : public QObject
{
public:
    explicit PaintWatch(TNoxMainForm* form) : m_form(form) { qApp->installEventFilter(this); }
    bool painted() const { return m_painted; }
    bool startedAtFirstPaint() const { return m_startedAtFirstPaint; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!m_painted && event->type() == QEvent::Paint && widget && widget->window() == m_form &&
            m_form->windowHandle() && m_form->windowHandle()->isExposed()) {
            m_painted = true;
            m_startedAtFirstPaint = m_form->isStarted();
        }
        return false;
    }

private:
    TNoxMainForm* m_form;
    bool m_painted = false;
    bool m_startedAtFirstPaint = false;
};

} // namespace

class TestStartupOrder : public QObject
{
    Q_OBJECT
private slots:
    void deferredStartupFollowsTheFirstPaint();
};

void TestStartupOrder::deferredStartupFollowsTheFirstPaint()
{
    MainFormFixture f;
    f.writeFile(QStringLiteral("20260311.dat"), "16\t17\tclBlack\tclBlack\t0\t-1\t1\t\t会議\t\r\n");
    TNoxMainForm::Options options;
    options.clock = [&f] { return f.clock; };
    options.showPopup = [](const PopupRequest&) {};
    TNoxMainForm form(options);
    PaintWatch watch(&form);

    // Shown, laid out and updated, but not on the screen: nothing is read.
    form.setAttribute(Qt::WA_DontShowOnScreen);
    form.show();
    form.update();
    QTest::qWait(150);
    QVERIFY(!watch.painted());
    QVERIFY(!form.isStarted());

    // On the screen: the first paint shows the window before the data work.
    form.hide();
    form.setAttribute(Qt::WA_DontShowOnScreen, false);
    form.show();
    QTRY_VERIFY(form.isStarted());
    QVERIFY(watch.painted());
    QVERIFY(!watch.startedAtFirstPaint());
    QCOMPARE(form.skedControl()->Skeds(0)->Items().Count(), 1);

    // Only a sounding alarm loads the sound libraries.
    QFile maps(QStringLiteral("/proc/self/maps"));
    QVERIFY(maps.open(QIODevice::ReadOnly));
    QVERIFY(!maps.readAll().contains("libQt6Multimedia"));
}

QTEST_MAIN(TestStartupOrder)
#include "tst_startuporder.moc"
