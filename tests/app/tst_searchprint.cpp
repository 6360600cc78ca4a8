// Printing and previewing search results through the page engine, which
// is loaded only at the first print.
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMap>
#include <QSet>
#include <QPushButton>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QTest>
#include <QTimer>

#include "app/mainsettingshost.h"
#include "app/searchlink.h"
#include "dialogs/settingsdialog.h"
#include "dialogs/settingspage_p.h"
#include "dialogs/printpreview.h"
#include "mainformfixture.h"
#include "search/ui/browsercommands.h"
#include "search/ui/searchwindow.h"
#include "widgets/noxbutton.h"

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace nox;

namespace
{

bool engineLoaded()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6WebEngineCore");
}

// Runs `step` on the next modal dialog of type T once it is up.
template <typename T, typename Step>
void onModal(QObject* context, Step step)
{
    auto* poll = new QTimer(context);
    poll->setInterval(50);
    QObject::connect(poll, &QTimer::timeout, context, [poll, step] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            poll->deleteLater();
            poll->stop();
            step(dialog);
        }
    });
    poll->start();
}

} // namespace

class TestSearchPrint : public QObject
{
    Q_OBJECT
private slots:
    void printAndPreview();
    void aPageThatDidNotLoadIsNotPrinted();
    void printPageShowsTheLayout();
};

void TestSearchPrint::printAndPreview()
{
    MainFormFixture f;
    f.writeFile("20260302.dat", "18\t19\tclWindowText\tclWindowText\t0\t-1\t1\t\tdentist\t\r\n");
    f.start();
    installSearch(*f.form);
    QVERIFY(!engineLoaded());
    QTest::keyClick(f.form.get(), Qt::Key_F, Qt::ControlModifier);
    TForm6* w = f.form->findChild<TForm6*>();
    QVERIFY(w);
    QTest::keyClicks(w->wordsBox()->lineEdit(), QStringLiteral("dentist"));
    QTest::keyClick(w->wordsBox()->lineEdit(), Qt::Key_Return);
    QTRY_COMPARE(w->statusText(0), QStringLiteral("1件"));
    QVERIFY(!engineLoaded());

    const QString pdfName = f.home.filePath(QStringLiteral("printed.pdf"));
    onModal<QPrintDialog>(this, [&](QPrintDialog* dialog) {
        // The printer the dialog offers here is a PDF file; name it as a user would.
        auto* file = dialog->findChild<QLineEdit*>(QStringLiteral("filename"));
        QVERIFY(file && file->isVisible());
        file->selectAll();
        QTest::keyClicks(file, pdfName);
        QTest::mouseClick(dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
    });
    TNoxButton* print = w->toolButton(QStringLiteral("印刷..."));
    QTest::mouseClick(print, Qt::LeftButton, {}, print->rect().center());
    QVERIFY(engineLoaded());
    QFile pdf(pdfName);
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    QVERIFY(bytes.startsWith("%PDF"));
    // Written by the engine itself, with the page's text as text (a printer
    // gets pictures of the pages instead).
    QVERIFY(bytes.contains("/Font"));
    QVERIFY(bytes.contains("Skia/PDF"));

    int pages = 0;
    onModal<QPrintPreviewDialog>(this, [&](QPrintPreviewDialog* dialog) {
        pages = dialog->findChild<QPrintPreviewWidget*>()->pageCount();
        dialog->reject();
    });
    TNoxButton* preview = w->toolButton(QStringLiteral("プレビュー"));
    QTest::mouseClick(preview, Qt::LeftButton, {}, preview->rect().center());
    QCOMPARE(pages, 1);
}

void TestSearchPrint::aPageThatDidNotLoadIsNotPrinted()
{
    QString error;
    std::unique_ptr<TBrowserCommands> engine = createBrowserCommands(nullptr, &error);
    QVERIFY2(engine, qPrintable(error));
    QString message;
    bool dialogShown = false;
    onModal<QMessageBox>(this, [&](QMessageBox* box) {
        message = box->text();
        box->accept();
    });
    onModal<QPrintDialog>(this, [&](QPrintDialog* dialog) {
        dialogShown = true;
        dialog->reject();
    });
    QVERIFY(!engine->RunBrowserCommand(QStringLiteral("/nonexistent/Schedule.html"), TBrowserCommands::bmPrint));
    QVERIFY2(message.contains(QStringLiteral("読み込めません")), qPrintable(message));
    QVERIFY(!dialogShown);
}

// "印刷設定..." opens the settings dialog's print page, which shows the
// chosen layout rendered with the sample data: a page as a picture, a text
// layout as its text; the rendered file does not stay.
void TestSearchPrint::printPageShowsTheLayout()
{
    MainFormFixture f;
    f.start();
    InstallSettingsDialog(*f.form);
    installSearch(*f.form);
    QTest::keyClick(f.form.get(), Qt::Key_F, Qt::ControlModifier);
    TForm6* w = f.form->findChild<TForm6*>();
    QVERIFY(w);
    QMap<QString, QImage> shown;
    onModal<TForm4>(this, [&](TForm4* settings) {
        QCOMPARE(settings->CurrentPage(), int(spPrint));
        auto* layouts = settings->Page(spPrint)->findChild<QListWidget*>();
        auto* thumbnail = settings->findChild<QLabel*>(QStringLiteral("Thumbnail"));
        QPushButton* preview = nullptr;
        for (QPushButton* b : settings->findChildren<QPushButton*>()) {
            if (b->text() == QStringLiteral("プレビューを表示する")) {
                preview = b;
            }
        }
        for (const QString& name : {QStringLiteral("サンプル"), QStringLiteral("テキスト")}) {
            const QList<QListWidgetItem*> items = layouts->findItems(name, Qt::MatchExactly);
            QCOMPARE(items.size(), 1);
            QTest::mouseClick(layouts->viewport(), Qt::LeftButton, {}, layouts->visualItemRect(items[0]).center());
            QVERIFY(preview && preview->isEnabled());
            QTest::mouseClick(preview, Qt::LeftButton);
            QVERIFY(!preview->isEnabled());
            shown[name] = thumbnail->pixmap().toImage();
        }
        settings->reject();
    });
    TNoxButton* open = w->toolButton(QStringLiteral("印刷設定..."));
    QTest::mouseClick(open, Qt::LeftButton, {}, open->rect().center());
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QVERIFY(QDir(f.dataFile(QStringLiteral("temp"))).entryList({QStringLiteral("Schedule.*")}).isEmpty());

    // The sample page: the heading, rules and the colours of the kinds of day.
    const QImage page = shown.value(QStringLiteral("サンプル"));
    QCOMPARE(page.size(), QSize(193, 159));
    QSet<QRgb> colours;
    for (int y = 0; y < page.height(); y += 2) {
        for (int x = 0; x < page.width(); x += 2) {
            colours.insert(page.pixel(x, y));
        }
    }
    QVERIFY2(colours.size() > 8, qPrintable(QString::number(colours.size())));
    // The text layout is shown as text, not as the picture of a page.
    QVERIFY(!shown.value(QStringLiteral("テキスト")).isNull());
    QVERIFY(shown.value(QStringLiteral("テキスト")) != page);
    f.stop();
    QVERIFY(!PrintSampleRenderer()); // the makers go with the window
}

// The page engine needs OpenGL, which the offscreen platform has only with
// an X display: without one the test starts a display server of its own.
class OwnDisplay
{
public:
    OwnDisplay()
    {
        if (!qEnvironmentVariableIsEmpty("DISPLAY")) {
            return;
        }
        int fds[2];
        if (::pipe(fds) != 0) {
            return;
        }
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(fds[1], 3);
            ::execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                     static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(fds[1]);
        char number[16] = {};
        const ssize_t n = m_pid > 0 ? ::read(fds[0], number, sizeof number - 1) : -1;
        ::close(fds[0]);
        if (n > 0) {
            qputenv("DISPLAY", QByteArray(":") + QByteArray(number, int(n)).trimmed());
        }
    }
    ~OwnDisplay()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
    }

private:
    pid_t m_pid = -1;
};

int main(int argc, char* argv[])
{
    OwnDisplay display;
    QApplication app(argc, argv);
    TestSearchPrint test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_searchprint.moc"
