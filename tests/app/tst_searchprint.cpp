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
#include <QPainter>
#include <QPdfDocument>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/mainsettingshost.h"
#include "app/searchlink.h"
#include "core/textfile.h"
#include "dialogs/settingsdialog.h"
#include "dialogs/settingspage_p.h"
#include "dialogs/printpreview.h"
#include "mainformfixture.h"
#include "search/ui/browsercommands.h"
#include "search/ui/searchwindow.h"
#include "widgets/noxbutton.h"

#include <cerrno>

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

// The box of the ink (everything darker than near-white) on the first page
// of a PDF, in millimetres from the paper's top left corner; *paper gets the
// paper's size.
QRectF inkOfFirstPage(const QString& path, QSizeF* paper)
{
    QPdfDocument document;
    if (document.load(path) != QPdfDocument::Error::None || document.pageCount() < 1) {
        return {};
    }
    constexpr qreal kPixelsPerPoint = 2;
    constexpr qreal kMmPerPixel = 25.4 / 72 / kPixelsPerPoint;
    const QSizeF points = document.pagePointSize(0);
    *paper = points * (25.4 / 72);
    // The rendered page is transparent where nothing is drawn: on white paper.
    QImage page((points * kPixelsPerPoint).toSize(), QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter paper(&page);
        paper.drawImage(0, 0, document.render(0, page.size()));
    }
    int left = page.width(), right = -1, top = page.height(), bottom = -1;
    for (int y = 0; y < page.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(page.constScanLine(y));
        for (int x = 0; x < page.width(); ++x) {
            if (qGray(line[x]) < 235) {
                left = qMin(left, x);
                right = qMax(right, x);
                top = qMin(top, y);
                bottom = qMax(bottom, y);
            }
        }
    }
    if (right < 0) {
        return {};
    }
    return QRectF(left * kMmPerPixel, top * kMmPerPixel, (right + 1 - left) * kMmPerPixel,
                  (bottom + 1 - top) * kMmPerPixel);
}

// Answers the next print dialog with a PDF file named `path`, as a user would.
void printToFileOnNextDialog(QObject* context, const QString& path)
{
    onModal<QPrintDialog>(context, [path](QPrintDialog* dialog) {
        auto* file = dialog->findChild<QLineEdit*>(QStringLiteral("filename"));
        if (!file || !file->isVisible()) {
            dialog->reject(); // the test then fails: nothing was printed
            return;
        }
        file->selectAll();
        QTest::keyClicks(file, path);
        QTest::mouseClick(dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
    });
}

// A page of a frame reaching from one side margin to the other, under the
// style sheet `css`.
QString writeFramePage(const QTemporaryDir& dir, const QString& css)
{
    const QString path = dir.filePath(QStringLiteral("page.html"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><style>%1 body { margin: 0 }"
                                  "</style></head><body><div style=\"border: 2mm solid #000; height: 20mm\">"
                                  "</div></body></html>")
                       .arg(css)
                       .toUtf8());
    }
    return path;
}

// The sample layout's page has margins of 12 mm at the top and bottom and
// 10 mm at the sides (its @page rule); its heading's rule and the table's
// heading reach from one side margin to the other.
void verifySampleMargins(const QString& pdfPath)
{
    QSizeF paper;
    const QRectF ink = inkOfFirstPage(pdfPath, &paper);
    QVERIFY2(!ink.isEmpty(), qPrintable(pdfPath));
    const qreal rightMargin = paper.width() - ink.right();
    const QString where = QStringLiteral("ink %1,%2 to %3,%4 mm on %5 x %6 mm")
                              .arg(ink.left())
                              .arg(ink.top())
                              .arg(ink.right())
                              .arg(ink.bottom())
                              .arg(paper.width())
                              .arg(paper.height());
    QVERIFY2(qAbs(ink.left() - 10) < 1, qPrintable(where));
    QVERIFY2(qAbs(rightMargin - 10) < 1, qPrintable(where));
    QVERIFY2(ink.top() > 11.5 && ink.top() < 14, qPrintable(where));
    QVERIFY2(paper.height() - ink.bottom() > 11.5, qPrintable(where));
}

} // namespace

class TestSearchPrint : public QObject
{
    Q_OBJECT
private slots:
    void printAndPreview();
    void aPageThatDidNotLoadIsNotPrinted();
    void pageMarginsOfTheLayout_data();
    void pageMarginsOfTheLayout();
    void aPdfThatCannotBeWrittenIsReported();
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
    pdf.close();
    verifySampleMargins(pdfName);

    // The preview's pages, printed as it prints them to a printer (as
    // pictures), have the same margins.
    int pages = 0;
    const QString previewName = f.home.filePath(QStringLiteral("preview.pdf"));
    onModal<QPrintPreviewDialog>(this, [&](QPrintPreviewDialog* dialog) {
        auto* widget = dialog->findChild<QPrintPreviewWidget*>();
        pages = widget->pageCount();
        dialog->printer()->setOutputFormat(QPrinter::PdfFormat);
        dialog->printer()->setOutputFileName(previewName);
        widget->print();
        dialog->reject();
    });
    TNoxButton* preview = w->toolButton(QStringLiteral("プレビュー"));
    QTest::mouseClick(preview, Qt::LeftButton, {}, preview->rect().center());
    QCOMPARE(pages, 1);
    verifySampleMargins(previewName);
}

void TestSearchPrint::aPageThatDidNotLoadIsNotPrinted()
{
    QObject scope; // the print dialog never comes: its watch ends with the test
    QString error;
    std::unique_ptr<TBrowserCommands> engine = createBrowserCommands(nullptr, &error);
    QVERIFY2(engine, qPrintable(error));
    QString message;
    bool dialogShown = false;
    onModal<QMessageBox>(&scope, [&](QMessageBox* box) {
        message = box->text();
        box->accept();
    });
    onModal<QPrintDialog>(&scope, [&](QPrintDialog* dialog) {
        dialogShown = true;
        dialog->reject();
    });
    QVERIFY(!engine->RunBrowserCommand(QStringLiteral("/nonexistent/Schedule.html"), TBrowserCommands::bmPrint));
    QVERIFY2(message.contains(QStringLiteral("読み込めません")), qPrintable(message));
    QVERIFY(!dialogShown);
}

// The margins come from the layout's own @page rule, side by side, in any
// absolute unit; sides it leaves open get 10 mm.
void TestSearchPrint::pageMarginsOfTheLayout_data()
{
    QTest::addColumn<QString>("css");
    QTest::addColumn<double>("left");
    QTest::addColumn<double>("top");
    QTest::addColumn<double>("right");
    QTest::newRow("two values") << "@page { margin: 12mm 20mm; }" << 20.0 << 12.0 << 20.0;
    QTest::newRow("no rule") << "" << 10.0 << 10.0 << 10.0;
    QTest::newRow("one side in points") << "@page { margin-left: 72pt; }" << 25.4 << 10.0 << 10.0;
    QTest::newRow("later rules win") << "@page { margin: 1in; } @page { margin-right: 1.5cm; }" << 25.4 << 25.4
                                     << 15.0;
    QTest::newRow("a percentage is left open") << "@page { margin: 5%; }" << 10.0 << 10.0 << 10.0;
    QTest::newRow("first page only") << "@page :first { margin: 40mm; }" << 10.0 << 10.0 << 10.0;
}

void TestSearchPrint::pageMarginsOfTheLayout()
{
    QFETCH(QString, css);
    QObject scope; // the watches for dialogs end with the test
    QTemporaryDir dir;
    QString error;
    std::unique_ptr<TBrowserCommands> engine = createBrowserCommands(nullptr, &error);
    QVERIFY2(engine, qPrintable(error));
    const QString pdfName = dir.filePath(QStringLiteral("page.pdf"));
    printToFileOnNextDialog(&scope, pdfName);
    QVERIFY(engine->RunBrowserCommand(writeFramePage(dir, css), TBrowserCommands::bmPrint));
    QSizeF paper;
    const QRectF ink = inkOfFirstPage(pdfName, &paper);
    const QString where = QStringLiteral("ink from %1,%2 to %3 mm").arg(ink.left()).arg(ink.top()).arg(ink.right());
    QFETCH(double, left);
    QFETCH(double, top);
    QFETCH(double, right);
    QVERIFY2(qAbs(ink.left() - left) < 0.5, qPrintable(where));
    QVERIFY2(qAbs(ink.top() - top) < 0.5, qPrintable(where));
    QVERIFY2(qAbs(paper.width() - ink.right() - right) < 0.5, qPrintable(where));
}

// A PDF the program cannot store is reported, naming the file, and nothing
// is left under its name.
void TestSearchPrint::aPdfThatCannotBeWrittenIsReported()
{
    QObject scope; // the watches for dialogs end with the test
    QTemporaryDir dir;
    QString error;
    std::unique_ptr<TBrowserCommands> engine = createBrowserCommands(nullptr, &error);
    QVERIFY2(engine, qPrintable(error));
    const QString pdfName = dir.filePath(QStringLiteral("full.pdf"));
    printToFileOnNextDialog(&scope, pdfName);
    QString message;
    onModal<QMessageBox>(&scope, [&](QMessageBox* box) {
        message = box->text();
        box->accept();
    });
    setWriteFaultHook([](const QString&, WriteStep step) { return step == WriteStep::Flush ? ENOSPC : 0; });
    const bool printed = engine->RunBrowserCommand(writeFramePage(dir, QString()), TBrowserCommands::bmPrint);
    setWriteFaultHook({});
    QVERIFY(!printed);
    QVERIFY2(message.contains(pdfName), qPrintable(message));
    QVERIFY(!QFile::exists(pdfName));
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
