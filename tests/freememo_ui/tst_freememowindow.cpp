#include <QtTest>

#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>

#include "core/inifile.h"
#include "core/textfile.h"
#include "freememo/ui/freememowindow.h"
#include "freememo/ui/memopage.h"
#include "widgets/noxbutton.h"

using namespace nox;

namespace
{

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void put(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Types committed text as an input method does.
void typeText(QWidget* w, const QString& text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(w, &event);
}

// Answers the next modal box or dialog with `run`, which gets the widget.
void onNextModal(std::function<void(QWidget*)> run)
{
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, run] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            poll->deleteLater();
            poll->stop();
            run(modal);
        }
    });
    poll->start();
}

void answerBox(QMessageBox::StandardButton button, QString* text = nullptr)
{
    onNextModal([button, text](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        QVERIFY(box);
        if (text) {
            *text = box->text();
        }
        box->button(button)->click();
    });
}

} // namespace

class TestFreeMemoWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void firstStart();
    void newMemoNumbersAndTitles();
    void clearedMemoDeletesItsFile();
    void deletingTheLastTabDeletesTheIndex();
    void deleteQuestion_data();
    void deleteQuestion();
    void draggedTabReordersTheIndex_data();
    void draggedTabReordersTheIndex();
    void renameThroughTheInputBox();
    void typingIsSavedAfterAPause();
    void failedSaveKeepsTheText();
    void fullDiskIsToldOnceAndTriedAgainLater();
    void retryPauseGrows_data();
    void retryPauseGrows();
    void unreadableMemoStaysUntouched();
    void placementAndStayOnTop();

private:
    TForm11* open();
    void close(TForm11* form);
    QString path(const QString& name) const { return m_dir->filePath(name); }
    QPoint tabCenter(TForm11* form, int index) const
    {
        return form->TabControl()->tabBar()->tabRect(index).center();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestFreeMemoWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
}

void TestFreeMemoWindow::cleanup()
{
    setWriteFaultHook({});
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (qobject_cast<TForm11*>(w)) {
            delete w;
        }
    }
}

TForm11* TestFreeMemoWindow::open()
{
    auto* form = new TForm11({m_dir->path(), path(QStringLiteral("Nox.ini")), QPixmap()});
    form->Open();
    if (!QTest::qWaitForWindowExposed(form)) {
        qWarning("window not exposed");
    }
    return form;
}

void TestFreeMemoWindow::close(TForm11* form)
{
    QPointer<TForm11> guard(form);
    form->close();
    QTRY_VERIFY(guard.isNull());
}

void TestFreeMemoWindow::firstStart()
{
    TForm11* form = open();
    QCOMPARE(form->windowTitle(), QStringLiteral("フリーメモ"));
    QCOMPARE(form->MemoCount(), 1);
    QCOMPARE(form->CurrentMemo()->Title(), QStringLiteral("新規メモ1"));
    QCOMPARE(form->CurrentMemo()->Number(), 1);
    close(form);
    QCOMPARE(bytesOf(path(QStringLiteral("memoindex.txt"))), QStringLiteral("新規メモ1\t1\r\n").toUtf8());
    QVERIFY(!QFile::exists(path(QStringLiteral("memo1.txt"))));
}

// Numbers fill the smallest gap; titles count up past the open ones.
void TestFreeMemoWindow::newMemoNumbersAndTitles()
{
    put(path(QStringLiteral("memoindex.txt")), QStringLiteral("新規メモ1\t1\r\n会議\t3\r\n").toUtf8());
    TForm11* form = open();
    QTest::mouseClick(form->NewButton(), Qt::LeftButton);
    QCOMPARE(form->MemoCount(), 3);
    QCOMPARE(form->CurrentMemo()->Number(), 2);
    QCOMPARE(form->CurrentMemo()->Title(), QStringLiteral("新規メモ2"));
    QCOMPARE(form->TabControl()->currentIndex(), 2);
    QVERIFY(form->CurrentMemo()->hasFocus());
    QTest::keyClick(form->CurrentMemo(), Qt::Key_I, Qt::ControlModifier);
    QCOMPARE(form->CurrentMemo()->Number(), 4);
    QCOMPARE(form->CurrentMemo()->Title(), QStringLiteral("新規メモ3"));
    close(form);
    QCOMPARE(bytesOf(path(QStringLiteral("memoindex.txt"))),
             QStringLiteral("新規メモ1\t1\r\n会議\t3\r\n新規メモ2\t2\r\n新規メモ3\t4\r\n").toUtf8());
}

void TestFreeMemoWindow::clearedMemoDeletesItsFile()
{
    put(path(QStringLiteral("memoindex.txt")), "a\t1\r\nb\t2\r\n");
    put(path(QStringLiteral("memo1.txt")), "hello\r\n");
    put(path(QStringLiteral("memo2.txt")), "kept\r\n");
    TForm11* form = open();
    TMemoPage* page = form->CurrentMemo();
    QCOMPARE(page->Text(), QStringLiteral("hello"));
    QTest::keyClick(page, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(page, Qt::Key_Delete);
    QVERIFY(page->Text().isEmpty());
    close(form);
    QVERIFY(!QFile::exists(path(QStringLiteral("memo1.txt"))));
    QCOMPARE(bytesOf(path(QStringLiteral("memo2.txt"))), QByteArray("kept\r\n"));
    QCOMPARE(bytesOf(path(QStringLiteral("memoindex.txt"))), QByteArray("a\t1\r\nb\t2\r\n"));
}

void TestFreeMemoWindow::deletingTheLastTabDeletesTheIndex()
{
    put(path(QStringLiteral("memoindex.txt")), QStringLiteral("予定\t1\r\n").toUtf8());
    put(path(QStringLiteral("memo1.txt")), "x\r\n");
    TForm11* form = open();
    QString asked;
    answerBox(QMessageBox::Yes, &asked);
    QTest::keyClick(form->CurrentMemo(), Qt::Key_D, Qt::ControlModifier);
    QCOMPARE(asked, QStringLiteral("\"予定\" を削除しても宜しいですか？"));
    QCOMPARE(form->MemoCount(), 0);
    QVERIFY(!QFile::exists(path(QStringLiteral("memo1.txt"))));
    QTest::keyClick(form, Qt::Key_D, Qt::ControlModifier); // no tab: nothing happens
    close(form);
    QVERIFY(!QFile::exists(path(QStringLiteral("memoindex.txt"))));
    form = open();
    QCOMPARE(form->MemoCount(), 1);
    QCOMPARE(form->CurrentMemo()->Title(), QStringLiteral("新規メモ1"));
}

void TestFreeMemoWindow::deleteQuestion_data()
{
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("answer"); // 0: no question expected
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<QString>("nowCurrent");
    QTest::newRow("empty memo, no question") << 1 << 0 << QStringList{"a", "c"} << "a";
    QTest::newRow("No keeps it") << 2 << int(QMessageBox::No) << QStringList{"a", "b", "c"} << "c";
    QTest::newRow("last: the one before") << 2 << int(QMessageBox::Yes) << QStringList{"a", "b"} << "b";
    QTest::newRow("first: the next") << 0 << int(QMessageBox::Yes) << QStringList{"b", "c"} << "b";
}

void TestFreeMemoWindow::deleteQuestion()
{
    QFETCH(int, current);
    QFETCH(int, answer);
    QFETCH(QStringList, left);
    QFETCH(QString, nowCurrent);
    put(path(QStringLiteral("memoindex.txt")), "a\t1\r\nb\t2\r\nc\t3\r\n");
    put(path(QStringLiteral("memo1.txt")), "1\r\n");
    put(path(QStringLiteral("memo3.txt")), "3\r\n");
    TForm11* form = open();
    QTest::mouseClick(form->TabControl()->tabBar(), Qt::LeftButton, {}, tabCenter(form, current));
    QCOMPARE(form->TabControl()->currentIndex(), current);
    QString asked;
    if (answer) {
        answerBox(QMessageBox::StandardButton(answer), &asked);
    }
    QTest::mouseClick(form->DeleteButton(), Qt::LeftButton);
    QCOMPARE(asked.isEmpty(), answer == 0);
    QStringList titles;
    for (int i = 0; i < form->MemoCount(); ++i) {
        titles << form->Memo(i)->Title();
    }
    QCOMPARE(titles, left);
    QCOMPARE(form->CurrentMemo()->Title(), nowCurrent);
}

void TestFreeMemoWindow::draggedTabReordersTheIndex_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to"); // -1: released below the tab row
    QTest::addColumn<QByteArray>("index");
    QTest::newRow("third in front of first") << 2 << 0 << QByteArray("c\t3\r\na\t1\r\nb\t2\r\n");
    QTest::newRow("first onto second") << 0 << 1 << QByteArray("b\t2\r\na\t1\r\nc\t3\r\n");
    QTest::newRow("dropped off the row") << 2 << -1 << QByteArray("a\t1\r\nb\t2\r\nc\t3\r\n");
}

void TestFreeMemoWindow::draggedTabReordersTheIndex()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QByteArray, index);
    put(path(QStringLiteral("memoindex.txt")), "a\t1\r\nb\t2\r\nc\t3\r\n");
    TForm11* form = open();
    QTabBar* bar = form->TabControl()->tabBar();
    const QPoint start = tabCenter(form, from);
    const QPoint end = to >= 0 ? tabCenter(form, to) : QPoint(start.x(), bar->height() + 40);
    QTest::mousePress(bar, Qt::LeftButton, {}, start);
    const QPoint step = (end - start) / 4;
    for (int i = 1; i <= 4; ++i) {
        QMouseEvent move(QEvent::MouseMove, start + step * i, bar->mapToGlobal(start + step * i),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(bar, &move);
    }
    QTest::mouseRelease(bar, Qt::LeftButton, {}, end);
    QCOMPARE(form->CurrentMemo()->Title(), QStringLiteral("abc").mid(from, 1));
    close(form);
    QCOMPARE(bytesOf(path(QStringLiteral("memoindex.txt"))), index);
}

void TestFreeMemoWindow::renameThroughTheInputBox()
{
    TForm11* form = open();
    onNextModal([](QWidget* w) {
        auto* dialog = qobject_cast<QInputDialog*>(w);
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("タイトル編集"));
        QCOMPARE(dialog->labelText(), QStringLiteral("タイトルを入力してください"));
        QCOMPARE(dialog->textValue(), QStringLiteral("新規メモ1"));
        dialog->setTextValue(QStringLiteral("R&D\t会議"));
        dialog->accept();
    });
    QTest::keyClick(form->CurrentMemo(), Qt::Key_E, Qt::ControlModifier);
    QCOMPARE(form->CurrentMemo()->Title(), QStringLiteral("R&D 会議"));
    QCOMPARE(form->TabControl()->tabText(0), QStringLiteral("R&&D 会議"));
    onNextModal([](QWidget* w) {
        static_cast<QInputDialog*>(w)->setTextValue(QString());
        static_cast<QDialog*>(w)->accept();
    });
    QTest::mouseClick(form->TitleButton(), Qt::LeftButton);
    QCOMPARE(form->CurrentMemo()->Title(), QString());
    close(form);
    QCOMPARE(bytesOf(path(QStringLiteral("memoindex.txt"))), QByteArray("\t1\r\n"));
}

// The mended fault: typing is on disk a few seconds after it stops, with the
// window still open.
void TestFreeMemoWindow::typingIsSavedAfterAPause()
{
    TForm11* form = open();
    typeText(form->CurrentMemo(), QStringLiteral("会議"));
    QVERIFY(form->AutoSavePending());
    QVERIFY(!QFile::exists(path(QStringLiteral("memo1.txt"))));
    QTRY_COMPARE_WITH_TIMEOUT(bytesOf(path(QStringLiteral("memo1.txt"))), QStringLiteral("会議\r\n").toUtf8(),
                              TForm11::kAutoSaveDelay + 2000);
    QCOMPARE(bytesOf(path(QStringLiteral("memoindex.txt"))), QStringLiteral("新規メモ1\t1\r\n").toUtf8());
    QVERIFY(!form->CurrentMemo()->Modified());
}

// A memo that cannot be written is named, and the window stays open with the
// text until it is written or the user chooses to close without it.
void TestFreeMemoWindow::failedSaveKeepsTheText()
{
    TForm11* form = open();
    QPointer<TForm11> guard(form);
    typeText(form->CurrentMemo(), QStringLiteral("大事"));
    const QString memo = path(QStringLiteral("memo1.txt"));
    setWriteFaultHook(
        [memo](const QString& p, WriteStep s) { return p == memo && s == WriteStep::Flush ? ENOSPC : 0; });
    QString shown;
    answerBox(QMessageBox::No, &shown);
    form->close();
    QVERIFY(shown.contains(memo));
    QVERIFY(!guard.isNull() && form->isVisible());
    QCOMPARE(form->CurrentMemo()->Text(), QStringLiteral("大事"));
    QVERIFY(form->CurrentMemo()->Modified());
    QVERIFY(!QFile::exists(memo));

    // Once the file can be written again, the kept text is written by itself.
    setWriteFaultHook({});
    QTRY_COMPARE_WITH_TIMEOUT(bytesOf(memo), QStringLiteral("大事\r\n").toUtf8(),
                              TForm11::kAutoSaveDelay + 2000);
    close(form);
}

// A full disk under the automatic saves: one notice, no box that waits for
// an answer, the next tries after a growing pause, and one word when the
// memo is on disk again. The program's own notices of failed writes are not
// told a second time.
void TestFreeMemoWindow::fullDiskIsToldOnceAndTriedAgainLater()
{
    TForm11* form = open();
    QStringList notices;
    form->OnNotice = [&](const QString& text) { notices << text; };
    int observed = 0;
    setWriteFailureObserver([&](const QString&, const QString&) { ++observed; });
    setWriteFaultHook([](const QString&, WriteStep s) { return s == WriteStep::Flush ? ENOSPC : 0; });
    QStringList modal;
    QTimer watchdog;
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            modal << w->objectName();
            w->close();
        }
    });
    watchdog.start(50);

    typeText(form->CurrentMemo(), QStringLiteral("大事"));
    QTRY_COMPARE_WITH_TIMEOUT(notices.size(), 1, TForm11::kAutoSaveDelay + 2000);
    QVERIFY2(notices.at(0).contains(path(QStringLiteral("memo1.txt"))), qPrintable(notices.at(0)));
    QCOMPARE(form->AutoSaveDelay(), TForm11::retryDelay(1));
    int pause = form->AutoSaveDelay();
    for (int i = 0; i < 4; ++i) {
        QVERIFY(!form->SaveChanges(TForm11::SaveReason::Auto));
        QVERIFY(form->AutoSavePending());
        QVERIFY(form->AutoSaveDelay() > pause);
        pause = form->AutoSaveDelay();
        typeText(form->CurrentMemo(), QStringLiteral("x")); // typing does not hurry the next try
        QCOMPARE(form->AutoSaveDelay(), pause);
    }
    QCOMPARE(notices.size(), 1);
    QVERIFY(modal.isEmpty());
    QCOMPARE(observed, 0);

    setWriteFaultHook({});
    QVERIFY(form->SaveChanges(TForm11::SaveReason::Auto));
    QCOMPARE(notices.size(), 2);
    QCOMPARE(notices.at(1), TForm11::kSavedAgainText);
    QCOMPARE(bytesOf(path(QStringLiteral("memo1.txt"))), QStringLiteral("大事xxxx\r\n").toUtf8());
    QCOMPARE(form->AutoSaveDelay(), TForm11::kAutoSaveDelay);
    typeText(form->CurrentMemo(), QStringLiteral("y"));
    QVERIFY(form->SaveChanges(TForm11::SaveReason::Auto));
    QCOMPARE(notices.size(), 2);
    setWriteFailureObserver({});
    close(form);
}

void TestFreeMemoWindow::retryPauseGrows_data()
{
    QTest::addColumn<int>("failures");
    QTest::addColumn<int>("pause");
    QTest::newRow("first") << 1 << TForm11::kAutoSaveDelay;
    QTest::newRow("second") << 2 << 2 * TForm11::kAutoSaveDelay;
    QTest::newRow("fifth") << 5 << 16 * TForm11::kAutoSaveDelay;
    QTest::newRow("many") << 40 << TForm11::kLongestRetryDelay;
    QTest::newRow("more than int") << 100000 << TForm11::kLongestRetryDelay;
}

void TestFreeMemoWindow::retryPauseGrows()
{
    QFETCH(int, failures);
    QFETCH(int, pause);
    QCOMPARE(TForm11::retryDelay(failures), pause);
}

void TestFreeMemoWindow::unreadableMemoStaysUntouched()
{
    put(path(QStringLiteral("memoindex.txt")), "a\t1\r\n");
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("memo1.txt")));
    QString shown;
    answerBox(QMessageBox::Ok, &shown);
    TForm11* form = open();
    QTRY_VERIFY(!shown.isEmpty());
    QVERIFY(shown.contains(path(QStringLiteral("memo1.txt"))));
    QVERIFY(form->CurrentMemo()->isReadOnly());
    typeText(form->CurrentMemo(), QStringLiteral("x"));
    close(form);
    QVERIFY(QFileInfo(path(QStringLiteral("memo1.txt"))).isDir());
}

void TestFreeMemoWindow::placementAndStayOnTop()
{
    IniFile ini(path(QStringLiteral("Nox.ini")));
    ini.writeInteger(QStringLiteral("tempmemo"), QStringLiteral("left"), 40);
    ini.writeInteger(QStringLiteral("tempmemo"), QStringLiteral("top"), 30);
    ini.writeInteger(QStringLiteral("tempmemo"), QStringLiteral("width"), 420);
    ini.writeInteger(QStringLiteral("tempmemo"), QStringLiteral("height"), 260);
    ini.writeBool(QStringLiteral("tempmemo"), QStringLiteral("stayontop"), true);
    TForm11* form = open();
    QCOMPARE(form->size(), QSize(420, 260));
    QVERIFY(form->StaysOnTop());
    QVERIFY(form->StayOnTopButton()->Down());
    QTest::mouseClick(form->StayOnTopButton(), Qt::LeftButton);
    QVERIFY(!form->StaysOnTop());
    QVERIFY(form->isVisible());
    form->resize(380, 240);
    close(form);
    QCOMPARE(ini.readBool(QStringLiteral("tempmemo"), QStringLiteral("stayontop"), true), false);
    QCOMPARE(ini.readInteger(QStringLiteral("tempmemo"), QStringLiteral("width"), 0), 380);
    QCOMPARE(ini.readInteger(QStringLiteral("tempmemo"), QStringLiteral("windowstate"), -1), 0);
}

QTEST_MAIN(TestFreeMemoWindow)
#include "tst_freememowindow.moc"
