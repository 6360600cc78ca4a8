// The main window and its free memo window: opening from the tool bar,
// reopening at start-up, the look of the view mode, saving at shutdown.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>

#include "core/inifile.h"
#include "core/textfile.h"
#include "freememo/ui/freememowindow.h"
#include "freememo/ui/memopage.h"
#include "mainformfixture.h"
#include "monthview/monthview.h"
#include "sked/sked.h"
#include "sked/skedcontrol.h"
#include "widgets/noxbutton.h"

using namespace nox;

namespace
{

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void typeText(QWidget* w, const QString& text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(w, &event);
}

TForm11* openFromToolBar(TNoxMainForm* form)
{
    form->toolButton(QStringLiteral("フリーメモ"))->Click();
    return form->freeMemo();
}

} // namespace

class TestFreeMemoLink : public QObject
{
    Q_OBJECT
private slots:
    void toolBarOpensOneWindowClosedStaysClosed();
    void shutdownSavesAndReopens();
    void pagesFollowTheViewMode();
    void failedSaveKeepsTheProgramOpen();
};

void TestFreeMemoLink::toolBarOpensOneWindowClosedStaysClosed()
{
    MainFormFixture f;
    TNoxMainForm* form = f.start();
    TForm11* memo = openFromToolBar(form);
    QVERIFY(memo && memo->isVisible());
    QCOMPARE(openFromToolBar(form), memo);
    QCOMPARE(QApplication::topLevelWidgets().count(memo), 1);
    // Closed before the program ends: not opened at the next start.
    memo->close();
    QTRY_VERIFY(!form->freeMemo());
    f.stop();
    QCOMPARE(IniFile(f.dataFile(QStringLiteral("Nox.ini")))
                 .readString(QStringLiteral("tempmemo"), QStringLiteral("visible"), QString()),
             QStringLiteral("0"));
    QVERIFY(!f.start()->freeMemo());
}

// Typing is written when the program ends, however soon; the window was open,
// so it opens again at the next start with the text.
void TestFreeMemoLink::shutdownSavesAndReopens()
{
    MainFormFixture f;
    TForm11* memo = openFromToolBar(f.start());
    typeText(memo->CurrentMemo(), QStringLiteral("買い物"));
    f.stop();
    QCOMPARE(bytesOf(f.dataFile(QStringLiteral("memo1.txt"))), QStringLiteral("買い物\r\n").toUtf8());
    QCOMPARE(IniFile(f.dataFile(QStringLiteral("Nox.ini")))
                 .readString(QStringLiteral("tempmemo"), QStringLiteral("visible"), QString()),
             QStringLiteral("1"));
    TNoxMainForm* form = f.start();
    QVERIFY(form->freeMemo());
    QCOMPARE(form->freeMemo()->CurrentMemo()->Text(), QStringLiteral("買い物"));
}

void TestFreeMemoLink::pagesFollowTheViewMode()
{
    MainFormFixture f;
    TNoxMainForm* form = f.start();
    TForm11* memo = openFromToolBar(form);
    const sked::TSked* first = form->skedControl()->Skeds(0);
    QCOMPARE(memo->CurrentMemo()->Color(), first->Color());
    QCOMPARE(memo->CurrentMemo()->font(), first->font());
    form->SwitchViewClick();
    QCOMPARE(memo->CurrentMemo()->Color(), form->dayKindColors().SkedBKColor);
    QCOMPARE(memo->CurrentMemo()->font(), form->monthView()->font());
    form->SwitchViewClick();
    QCOMPARE(memo->CurrentMemo()->Color(), first->Color());
}

// A memo that cannot be written keeps the program running, unless the user
// chooses to end without it.
void TestFreeMemoLink::failedSaveKeepsTheProgramOpen()
{
    MainFormFixture f;
    TNoxMainForm* form = f.start();
    TForm11* memo = openFromToolBar(form);
    typeText(memo->CurrentMemo(), QStringLiteral("x"));
    setWriteFaultHook(
        [](const QString& p, WriteStep) { return p.endsWith(QStringLiteral("memo1.txt")) ? EIO : 0; });
    QString shown;
    QTimer::singleShot(0, [&shown] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        shown = box->text();
        box->button(QMessageBox::No)->click();
    });
    form->close();
    QVERIFY(shown.contains(f.dataFile(QStringLiteral("memo1.txt"))));
    QVERIFY(form->isVisible());
    QVERIFY(memo->isVisible());
    setWriteFaultHook({});
    f.stop();
    QCOMPARE(bytesOf(f.dataFile(QStringLiteral("memo1.txt"))), QByteArray("x\r\n"));
}

QTEST_MAIN(TestFreeMemoLink)
#include "tst_freememolink.moc"
