// The module that prints and previews rendered layouts through the web
// engine. Loaded by the search window at its first print or preview
// (search/ui/browsercommands.h); everything here runs on the UI thread.
#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <QtGui/qopenglcontext.h>

#include <unistd.h>

// Exported by Qt GUI without a public declaration: sets the context that
// QOpenGLContext::globalShareContext() returns.
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);

#include "search/ui/browsercommands.h"

namespace nox
{

namespace
{

// A page that does not finish loading in this time is given up.
constexpr int kLoadTimeoutMs = 120000;
// The engine hands pages to a printer as pictures of its resolution: enough
// for text, and far less memory and time than 1200 dpi.
constexpr int kPrintDpi = 300;
constexpr int kPreviewDpi = 150;
constexpr int kPageWidth = 794; // A4 at 96 dpi
// The engine paints a moment after the page has loaded: the picture is taken
// again until it shows more than the empty background, for at most this long.
constexpr int kFirstPaintMs = 3000;
constexpr int kPaintPollMs = 50;

// True when the picture holds a single colour (nothing painted yet).
bool isBlank(const QImage& image)
{
    if (image.isNull()) {
        return true;
    }
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); y += 4) {
        for (int x = 0; x < image.width(); x += 4) {
            if (image.pixel(x, y) != first) {
                return false;
            }
        }
    }
    return true;
}

// The wait cursor while the engine lays out or prints a long page.
class BusyCursor
{
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

class TWebPrinter : public TBrowserCommands
{
public:
    explicit TWebPrinter(QWidget* owner) : m_owner(owner) {}
    ~TWebPrinter() override { delete m_view; }

    bool RunBrowserCommand(const QString& path, Mode mode) override
    {
        if (!load(path)) {
            return false;
        }
        QPrinter printer;
        printer.setDocName(QFileInfo(path).fileName());
        if (mode == bmPrint) {
            QPrintDialog dialog(&printer, m_owner);
            if (dialog.exec() != QDialog::Accepted) {
                return false;
            }
            if (!printTo(&printer)) {
                fail(QStringLiteral("「%1」を印刷できませんでした。").arg(path));
                return false;
            }
            return true;
        }
        // The preview shows each page as a picture, sharp enough to zoom into a little.
        printer.setResolution(kPreviewDpi);
        QPrintPreviewDialog preview(&printer, m_owner);
        preview.setWindowTitle(QStringLiteral("プレビュー"));
        if (const QScreen* screen = m_owner ? m_owner->screen() : QGuiApplication::primaryScreen()) {
            preview.resize(screen->availableSize() * 4 / 5);
        }
        bool printed = true;
        QObject::connect(&preview, &QPrintPreviewDialog::paintRequested,
                         [&](QPrinter* target) { printed = printPage(target) && printed; });
        preview.exec();
        if (!printed) {
            fail(QStringLiteral("「%1」をプレビューできませんでした。").arg(path));
        }
        return printed;
    }

    QImage PagePicture(const QString& path, QSize size) override
    {
        if (size.isEmpty()) {
            return {};
        }
        // A picture of the page only, as a thumbnail shows it.
        view()->settings()->setAttribute(QWebEngineSettings::ShowScrollBars, false);
        if (!load(path)) {
            return {};
        }
        // The top of the page as a window of an A4 page's width at screen
        // resolution shows it, in the picture's proportions; never on the screen.
        m_view->resize(kPageWidth, kPageWidth * size.height() / size.width());
        m_view->show();
        const QImage page = firstPaint();
        m_view->hide();
        if (page.isNull()) {
            return {};
        }
        return page.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }

private:
    // A picture of the shown view once the engine has painted the page; the
    // blank picture when it has not within kFirstPaintMs.
    QImage firstPaint()
    {
        QElapsedTimer waited;
        waited.start();
        QImage page;
        do {
            QEventLoop pause;
            QTimer::singleShot(kPaintPollMs, &pause, &QEventLoop::quit);
            pause.exec();
            page = m_view->grab().toImage();
        } while (isBlank(page) && waited.elapsed() < kFirstPaintMs);
        return page;
    }

    QWebEngineView* view()
    {
        if (!m_view) {
            m_view = new QWebEngineView();
            m_view->setAttribute(Qt::WA_DontShowOnScreen);
        }
        return m_view;
    }

    // Loads the page and waits until the engine says whether it loaded: a
    // page that failed would print the engine's error page instead. A
    // failure is shown to the user.
    bool load(const QString& path)
    {
        view();
        const BusyCursor busy;
        QEventLoop loop;
        bool loaded = false;
        bool finished = false;
        const auto connection = QObject::connect(m_view, &QWebEngineView::loadFinished, &loop, [&](bool ok) {
            loaded = ok;
            finished = true;
            loop.quit();
        });
        QTimer::singleShot(kLoadTimeoutMs, &loop, &QEventLoop::quit);
        m_view->load(QUrl::fromLocalFile(path));
        loop.exec();
        QObject::disconnect(connection);
        if (!loaded) {
            fail(finished ? QStringLiteral("「%1」を読み込めませんでした。").arg(path)
                          : QStringLiteral("「%1」の読み込みが終わりません。").arg(path));
        }
        return loaded;
    }

    // Printing to a PDF file keeps the page's text and lines: the engine
    // writes the file itself. A printer gets the pages as pictures.
    bool printTo(QPrinter* printer)
    {
        if (printer->outputFormat() == QPrinter::PdfFormat && !printer->outputFileName().isEmpty()) {
            return printToPdf(printer);
        }
        printer->setResolution(qMin(printer->resolution(), kPrintDpi));
        return printPage(printer);
    }

    bool printToPdf(QPrinter* printer)
    {
        const BusyCursor busy;
        QEventLoop loop;
        bool ok = false;
        const auto connection = QObject::connect(m_view->page(), &QWebEnginePage::pdfPrintingFinished, &loop,
                                                 [&](const QString&, bool success) {
                                                     ok = success;
                                                     loop.quit();
                                                 });
        m_view->page()->printToPdf(printer->outputFileName(), printer->pageLayout(), printer->pageRanges());
        loop.exec();
        QObject::disconnect(connection);
        return ok;
    }

    // The engine hands over pictures of whole pages; they are drawn from the
    // paper's corner. Drawn from the corner of the printer's printable area
    // instead, a page was pushed right by the printer's margin and its right
    // edge cut off.
    bool printPage(QPrinter* printer)
    {
        printer->setFullPage(true);
        const BusyCursor busy;
        QEventLoop loop;
        bool ok = false;
        const auto connection = QObject::connect(m_view, &QWebEngineView::printFinished, &loop, [&](bool success) {
            ok = success;
            loop.quit();
        });
        m_view->print(printer);
        loop.exec();
        QObject::disconnect(connection);
        return ok;
    }

    void fail(const QString& message) const { QMessageBox::warning(m_owner, QStringLiteral("Nox"), message); }

    QPointer<QWidget> m_owner;
    QWebEngineView* m_view = nullptr;
};

} // namespace

// The engine wants the application-wide shared OpenGL context that the
// attribute Qt::AA_ShareOpenGLContexts makes when the application starts.
// Making it there would cost every start of the program about 100 ms; it is
// made here instead, before the engine's first page. False when no OpenGL
// context can be made: the engine cannot run then.
bool ensureShareContext()
{
    if (QOpenGLContext::globalShareContext()) {
        return true;
    }
    auto* context = new QOpenGLContext(QCoreApplication::instance());
    context->setFormat(QSurfaceFormat::defaultFormat());
    if (!context->create()) {
        delete context;
        return false;
    }
    qt_gl_set_global_share_context(context);
    return true;
}

} // namespace nox

extern "C" Q_DECL_EXPORT nox::TBrowserCommands* nox_create_browser_commands(QWidget* owner)
{
    // The engine's sandbox refuses to run for root; a page of our own
    // rendering is all it will load here.
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    if (!nox::ensureShareContext()) {
        return nullptr;
    }
    return new nox::TWebPrinter(owner);
}
