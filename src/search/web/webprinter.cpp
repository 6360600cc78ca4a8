// The module that prints and previews rendered layouts through the web
// engine. Loaded by the search window at its first print or preview
// (search/ui/browsercommands.h); everything here runs on the UI thread.
#include <QApplication>
#include <QBuffer>
#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QMessageBox>
#include <QPageLayout>
#include <QPainter>
#include <QPdfDocument>
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
// The margin of a side the layout's @page rule leaves open, in millimetres
// (about what browsers leave).
constexpr qreal kDefaultMarginMm = 10;

// The margins of the layout's own page, as its style sheets set them in a
// plain @page rule (later rules win, side by side): CSS pixels of each side
// (top, right, bottom, left), -1 where no sheet sets one. Lengths are
// measured by the engine itself, so every absolute unit works; a percentage
// or "auto" counts as not set.
const char kPageMarginsScript[] = R"JS(
(function () {
    var sides = [-1, -1, -1, -1];
    var probe = document.createElement('div');
    probe.style.position = 'absolute';
    probe.style.visibility = 'hidden';
    document.documentElement.appendChild(probe);
    function pixels(value) {
        if (!value || value.indexOf('%') >= 0) {
            return -1;
        }
        probe.style.width = '';
        probe.style.width = value;
        return probe.style.width ? probe.getBoundingClientRect().width : -1;
    }
    for (var s = 0; s < document.styleSheets.length; ++s) {
        var rules;
        try {
            rules = document.styleSheets[s].cssRules;
        } catch (e) {
            continue;
        }
        for (var i = 0; i < rules.length; ++i) {
            var rule = rules[i];
            if (rule.type !== CSSRule.PAGE_RULE || rule.selectorText) {
                continue;
            }
            var st = rule.style;
            var values = [st.marginTop, st.marginRight, st.marginBottom, st.marginLeft];
            for (var k = 0; k < 4; ++k) {
                var px = pixels(values[k]);
                if (px >= 0) {
                    sides[k] = px;
                }
            }
        }
    }
    probe.remove();
    return sides;
})()
)JS";

// The page margins in millimetres from the script's CSS pixels (96 to the inch).
QMarginsF marginsFromCssPixels(const QVariantList& sides)
{
    const auto mm = [&](int i) {
        bool ok = false;
        const double px = sides.value(i).toDouble(&ok);
        return ok && px >= 0 ? px * 25.4 / 96.0 : kDefaultMarginMm;
    };
    return QMarginsF(mm(3), mm(0), mm(1), mm(2));
}

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
        m_margins = pageMargins();
        m_pdf = {};
        QPrinter printer;
        printer.setDocName(QFileInfo(path).fileName());
        if (mode == bmPrint) {
            QPrintDialog dialog(&printer, m_owner);
            if (dialog.exec() != QDialog::Accepted) {
                return false;
            }
            QString error;
            if (!printTo(&printer, &error)) {
                fail(error.isEmpty() ? QStringLiteral("「%1」を印刷できませんでした。").arg(path)
                                     : QStringLiteral("印刷できませんでした。\n%1").arg(error));
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
                         [&](QPrinter* target) { printed = printPages(target) && printed; });
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

    // The margins the loaded layout asks for (kPageMarginsScript), in
    // millimetres; kDefaultMarginMm on the sides it leaves open.
    QMarginsF pageMargins()
    {
        QEventLoop loop;
        QVariantList sides;
        m_view->page()->runJavaScript(QString::fromUtf8(kPageMarginsScript), [&](const QVariant& result) {
            sides = result.toList();
            loop.quit();
        });
        QTimer::singleShot(kLoadTimeoutMs, &loop, &QEventLoop::quit);
        loop.exec();
        return marginsFromCssPixels(sides);
    }

    // The printer's paper and orientation with the layout's margins. The
    // engine leaves the margins of a page layout's own @page rule out when it
    // prints for a printer (it lays the page out to the paper's edges), so
    // every page is laid out here as a PDF with the margins given explicitly.
    QPageLayout pageLayoutFor(const QPrinter& printer) const
    {
        const QPageLayout paper = printer.pageLayout();
        return QPageLayout(paper.pageSize(), paper.orientation(), m_margins, QPageLayout::Millimeter);
    }

    // The loaded page laid out on `layout` as a PDF, the pages of `ranges`
    // only (all when empty); empty when the engine fails. The last one is
    // kept: a preview asks for its pages again on every change of its view.
    QByteArray pagesAsPdf(const QPageLayout& layout, const QPageRanges& ranges)
    {
        if (!m_pdf.isEmpty() && layout.isEquivalentTo(m_pdfLayout) && ranges == m_pdfRanges) {
            return m_pdf;
        }
        const BusyCursor busy;
        QEventLoop loop;
        QByteArray pdf;
        m_view->page()->printToPdf(
            [&](const QByteArray& bytes) {
                pdf = bytes;
                loop.quit();
            },
            layout, ranges);
        loop.exec();
        m_pdf = pdf;
        m_pdfLayout = layout;
        m_pdfRanges = ranges;
        return pdf;
    }

    // A PDF file keeps the page's text and lines: the engine's PDF is stored
    // as it is, through the program's writer. A printer gets the pages as
    // pictures. On a failure *error says why when something more than "not
    // printed" is known.
    bool printTo(QPrinter* printer, QString* error)
    {
        if (printer->outputFormat() == QPrinter::PdfFormat && !printer->outputFileName().isEmpty()) {
            const QByteArray pdf = pagesAsPdf(pageLayoutFor(*printer), printer->pageRanges());
            if (pdf.isEmpty() || !m_writeFile) {
                return false;
            }
            return m_writeFile(printer->outputFileName(), pdf, error);
        }
        printer->setResolution(qMin(printer->resolution(), kPrintDpi));
        return printPages(printer);
    }

    // Draws each page of the engine's PDF as a picture of the whole paper
    // from the paper's corner: the margins are in the picture. (From the
    // corner of the printer's printable area instead, a page would be pushed
    // right by the printer's margin and its right edge cut off.)
    bool printPages(QPrinter* printer)
    {
        QByteArray pdf = pagesAsPdf(pageLayoutFor(*printer), printer->pageRanges());
        QBuffer buffer(&pdf);
        QPdfDocument document;
        if (pdf.isEmpty() || !buffer.open(QIODevice::ReadOnly)) {
            return false;
        }
        document.load(&buffer);
        if (document.status() != QPdfDocument::Status::Ready || document.pageCount() <= 0) {
            return false;
        }
        const BusyCursor busy;
        printer->setFullPage(true);
        QPainter painter;
        if (!painter.begin(printer)) {
            return false;
        }
        const QRect paper = printer->paperRect(QPrinter::DevicePixel).toRect();
        for (int page = 0; page < document.pageCount(); ++page) {
            const QImage picture = document.render(page, paper.size());
            if (picture.isNull() || (page > 0 && !printer->newPage())) {
                return false;
            }
            painter.drawImage(paper, picture);
        }
        return painter.end();
    }

    void fail(const QString& message) const { QMessageBox::warning(m_owner, QStringLiteral("Nox"), message); }

    QPointer<QWidget> m_owner;
    QWebEngineView* m_view = nullptr;
    QMarginsF m_margins; // of the loaded layout's page, in millimetres
    QByteArray m_pdf;    // the last pagesAsPdf and what it was made for
    QPageLayout m_pdfLayout;
    QPageRanges m_pdfRanges;
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
