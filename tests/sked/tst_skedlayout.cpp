// Rows, blocks, bars and painting of a day column.
#include "skedtest.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTest>

using namespace nox;
using namespace nox::sked;

namespace
{

// A column with the 48 lines, no frame and a 400-pixel-high client area.
struct Column {
    TSked sked;
    explicit Column(int height = 400)
    {
        sked.setBorderStyle(bsNone);
        sked.setScrollBar(true);
        skedtest::fillLines(sked.Lines());
        sked.resize(260, height);
        sked.show();
    }
};

QColor pixel(const TCustomSked& sked, int x, int y)
{
    const qreal dpr = sked.picture().devicePixelRatio();
    return sked.picture().pixelColor(int(x * dpr), int(y * dpr));
}

} // namespace

class TestSkedLayout : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { skedtest::setUpFonts(); }

    void rowHeightComesFromFontMetrics()
    {
        Column c;
        const QFontMetrics fm(c.sked.font());
        QCOMPARE(c.sked.RowHeight(), fm.height() + fm.leading());
        QCOMPARE(c.sked.RowHeight(), 16);
    }

    void visibleRowsAndScrollRange()
    {
        Column c;
        QCOMPARE(c.sked.viewport()->height(), 400);
        QCOMPARE(c.sked.VisibleRows(), 24);
        QCOMPARE(c.sked.RowCount(), 48);
        QScrollBar* bar = c.sked.verticalScrollBar();
        QCOMPARE(bar->maximum(), 47);
        QCOMPARE(bar->pageStep(), 24);
        bar->setValue(bar->maximum());
        QCOMPARE(c.sked.TopRow(), 47);
        c.sked.ScrollTo(200);
        QCOMPARE(c.sked.TopRow(), 47);
        c.sked.ScrollTo(-3);
        QCOMPARE(c.sked.TopRow(), 0);
    }

    void emptyRangeWhenEverythingFits()
    {
        Column c(2000);
        c.sked.ScrollTo(5);
        c.sked.UpdateScrollBar(false);
        QCOMPARE(c.sked.verticalScrollBar()->maximum(), 0);
        QCOMPARE(c.sked.TopRow(), 0);
    }

    void rowAtAndRowTopAreInverse()
    {
        Column c;
        c.sked.ScrollTo(5);
        for (int row = 5; row < 5 + c.sked.VisibleRows(); ++row) {
            const int top = c.sked.layout().rowTop(row);
            QCOMPARE(c.sked.RowAt(0, top), row);
            QCOMPARE(c.sked.RowAt(0, top + c.sked.RowHeight() - 1), row);
        }
        QCOMPARE(c.sked.RowAt(0, c.sked.layout().view.top() - 1), -1);
        c.sked.ScrollTo(47);
        QCOMPARE(c.sked.RowAt(0, c.sked.layout().rowTop(48)), -1);
    }

    void lineWithTwoItemsShowsTwoBlocks()
    {
        Column c;
        TSkedItem* a = skedtest::addItem(c.sked, 18, 18, QStringLiteral("朝会"));
        TSkedItem* b = skedtest::addItem(c.sked, 18, 19, QStringLiteral("打ち合わせ"));
        const TLineItem* line = c.sked.Lines().Items(18);
        QCOMPARE(line->RowStarts, (QList<int>{18, 19}));
        QCOMPARE(line->ItemKeys, (QList<int>{a->Key(), b->Key()}));
        QCOMPARE(c.sked.Lines().Items(19)->ItemKeys, QList<int>{b->Key()});
        QCOMPARE(c.sked.RowCount(), 49);
        for (int row = 0; row < c.sked.RowCount(); ++row) {
            if (c.sked.Row(row).Line == 18) {
                QVERIFY(c.sked.Row(row).Item >= 0); // no plain row for the line
            }
        }
        int captions = 0;
        for (const SkedCaptionCell& cell : c.sked.layout().captions) {
            captions += cell.line == 18 ? 1 : 0;
        }
        QCOMPARE(captions, 2);
    }

    // An occurrence of a repeat rule gets a mark right of its first line
    // (at the left when it has no text), as high as the font's capitals;
    // a schedule of a day file is laid out as before.
    void repeatMarkOnOccurrencesOnly_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("pointSize");
        QTest::newRow("text") << QStringLiteral("週次定例") << 9;
        QTest::newRow("text, large font") << QStringLiteral("週次定例") << 18;
        QTest::newRow("no text") << QString() << 9;
    }

    void repeatMarkOnOccurrencesOnly()
    {
        QFETCH(QString, text);
        QFETCH(int, pointSize);
        Column c;
        QFont f = c.sked.font();
        f.setPointSize(pointSize);
        c.sked.setFont(f);
        TSkedItem* plain = skedtest::addItem(c.sked, 10, 10, text);
        auto* occurrence = new TSkedItem(&c.sked.Items());
        occurrence->Record.RuleID = 7;
        occurrence->setStartLine(20);
        occurrence->setEndLine(20);
        occurrence->setText(text);
        c.sked.Items().Add(occurrence);
        const SkedBlock* p = c.sked.layout().blockOf(plain->Index());
        const SkedBlock* o = c.sked.layout().blockOf(occurrence->Index());
        QVERIFY(p && o);
        QVERIFY(p->repeatRect.isNull());
        QCOMPARE(p->textRect, p->blockRect);
        QVERIFY(o->repeatRect.isValid());
        QVERIFY(o->blockRect.contains(o->repeatRect));
        if (!text.isEmpty()) {
            QCOMPARE(o->textLines, p->textLines);
            QVERIFY(o->repeatRect.left() > o->textRect.right());
            QCOMPARE(o->blockRect.width(), p->blockRect.width() + o->repeatRect.width() + textMargin);
        }
        const int side = qMin(o->repeatRect.width(), o->repeatRect.height());
        QVERIFY2(side >= QFontMetrics(f).capHeight(), qPrintable(QString::number(side)));
        c.sked.RenderAll();
        const QColor ground = nox::toQColor(c.sked.Color());
        int inked = 0;
        for (int y = o->repeatRect.top(); y <= o->repeatRect.bottom(); ++y) {
            for (int x = o->repeatRect.left(); x <= o->repeatRect.right(); ++x) {
                inked += pixel(c.sked, x, y) != ground ? 1 : 0;
            }
        }
        QVERIFY2(inked >= side, qPrintable(QString::number(inked)));
    }

    void wrappedTextMakesTallerBlocks()
    {
        Column c;
        TSkedItem* item = skedtest::addItem(c.sked, 10, 11, QStringLiteral("一行目\n二行目\n三行目"));
        QCOMPARE(item->TextHeight(), 3 * c.sked.RowHeight());
        QCOMPARE(c.sked.Lines().Items(11)->RowStarts, QList<int>{13});
        QCOMPARE(c.sked.RowCount(), 50);
        // A long text without spaces wraps inside the width of the item area.
        TSkedItem* longItem = skedtest::addItem(c.sked, 30, 30, QString(40, QChar(0x4E88)));
        QVERIFY(longItem->TextHeight() > c.sked.RowHeight());
        QVERIFY(longItem->BlockRect().right() <= c.sked.layout().view.right());
    }

    // A text of a megabyte is laid out and painted as its first rows only,
    // at once; the item keeps all of it. (Laying out all of it took seconds.)
    void longTextIsLaidOutAsItsStart_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("one long line") << QString(1 << 20, QChar(0x4E88));
        QTest::newRow("many short lines") << QStringLiteral("会議の資料\r\n").repeated(1 << 17);
    }
    void longTextIsLaidOutAsItsStart()
    {
        QFETCH(QString, text);
        Column c;
        QElapsedTimer clock;
        clock.start();
        TSkedItem* item = skedtest::addItem(c.sked, 10, 11, text);
        c.sked.repaint();
        QVERIFY2(clock.elapsed() < 1500, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(item->Text(), text);
        QCOMPARE(item->TextHeight(), kMaxWrappedLines * c.sked.RowHeight());
        const QStringList lines = c.sked.layout().blockOf(0)->textLines;
        QVERIFY(lines.last().endsWith(QChar(0x2026)));
        // A short text with line breaks is never marked as cut.
        const WrappedText shortText = wrapText(QStringLiteral("a\r\nb"), c.sked.font(), 200, 16);
        QCOMPARE(shortText.lines, QStringList({QStringLiteral("a"), QStringLiteral("b")}));
    }

    void imageRowsFollowImageHeight_data()
    {
        QTest::addColumn<int>("imageHeight");
        QTest::addColumn<int>("imageRows");
        QTest::newRow("16 px") << 16 << 1;
        QTest::newRow("20 px") << 20 << 2;
        QTest::newRow("32 px") << 32 << 2;
    }

    void imageRowsFollowImageHeight()
    {
        QFETCH(int, imageHeight);
        QFETCH(int, imageRows);
        Column c;
        QPixmap image(16, imageHeight);
        image.fill(Qt::red);
        const QList<QPixmap> list{image};
        c.sked.setImages(&list);
        QCOMPARE(c.sked.ImageRows(), imageRows);
        TSkedItem* item = skedtest::addItem(c.sked, 20, 20, QString(), 0);
        QVERIFY(item->HasImage());
        QCOMPARE(item->TextHeight(), (imageRows + 1) * c.sked.RowHeight());
        QCOMPARE(c.sked.RowCount(), 48 + imageRows);
        TSkedItem* missing = skedtest::addItem(c.sked, 22, 22, QString(), 3);
        QVERIFY(!missing->HasImage());
        c.sked.setImages(nullptr);
        QCOMPARE(c.sked.ImageRows(), 1);
        QVERIFY(!item->HasImage());
    }

    void singleLineItemHasStubOnly()
    {
        Column c;
        TSkedItem* item = skedtest::addItem(c.sked, 18, 18, QStringLiteral("電話"));
        const SkedBlock* block = c.sked.layout().blockOf(item->Index());
        QVERIFY(block);
        QVERIFY(!block->fillBar);
        QVERIFY(!block->hasEndHandle);
        QVERIFY(item->BottomGrip().isEmpty());
        QVERIFY(!item->TopGrip().isEmpty());
        QCOMPARE(pixel(c.sked, block->startStub.left(), block->startStub.top()), QColor(Qt::darkBlue));
    }

    void barRunsToFirstRowOfEndLine()
    {
        Column c;
        TSkedItem* item = skedtest::addItem(c.sked, 18, 20, QStringLiteral("会議"));
        const SkedBlock* block = c.sked.layout().blockOf(item->Index());
        const int rh = c.sked.RowHeight();
        const int b = item->FirstRow();
        const int cRow = c.sked.Lines().Items(20)->RowStarts.first();
        const int top = item->BlockRect().top() + rh / 2 - 2;
        QVERIFY(block->fillBar);
        QCOMPARE(block->bar.top(), top);
        QCOMPARE(block->bar.bottom() + 1, top + (cRow - b) * rh - 2);
        QCOMPARE(block->bar.width(), c.sked.View().LineWidth());
        const int indent = c.sked.View().IndentSize();
        QCOMPARE(block->bar.left(), c.sked.layout().view.left() + indent - indent / 2);
        QVERIFY(block->hasEndHandle);
        QVERIFY(item->BottomGrip().contains(QPoint(block->endStub.left(), block->endStub.bottom())));
        QCOMPARE(pixel(c.sked, block->bar.left(), (block->bar.top() + block->bar.bottom()) / 2),
                 QColor(Qt::darkBlue));
    }

    void gripsAreAtLeastSixPixels_data()
    {
        QTest::addColumn<int>("lineWidth");
        QTest::addColumn<int>("gripWidth");
        QTest::newRow("1") << 1 << 7;
        QTest::newRow("2") << 2 << 8;
        QTest::newRow("4") << 4 << 14;
    }

    void gripsAreAtLeastSixPixels()
    {
        QFETCH(int, lineWidth);
        QFETCH(int, gripWidth);
        Column c;
        c.sked.View().setLineWidth(lineWidth);
        TSkedItem* item = skedtest::addItem(c.sked, 4, 6);
        QCOMPARE(item->TopGrip().width(), gripWidth);
        QCOMPARE(item->BottomGrip().height(), gripWidth);
    }

    void nestedItemMovesOneIndentRight()
    {
        Column c;
        TSkedItem* outer = skedtest::addItem(c.sked, 10, 20, QStringLiteral("外"));
        TSkedItem* inner = skedtest::addItem(c.sked, 12, 14, QStringLiteral("内"));
        const int indent = c.sked.View().IndentSize();
        QCOMPARE(inner->Level(), 1);
        QCOMPARE(inner->BlockRect().left(), outer->BlockRect().left() + indent);
        const SkedLayout& lay = c.sked.layout();
        QCOMPARE(lay.blockOf(inner->Index())->bar.left(), lay.blockOf(outer->Index())->bar.left() + indent);
    }

    void highlightLineIsBoldWithStrip()
    {
        Column c;
        skedtest::addItem(c.sked, 19, 19, QStringLiteral("A"));
        skedtest::addItem(c.sked, 19, 21, QStringLiteral("B"));
        c.sked.View().LeftBar().setHighlightLine(19);
        const TLeftBar& bar = c.sked.View().LeftBar();
        int strips = 0;
        for (const SkedCaptionCell& cell : c.sked.layout().captions) {
            QCOMPARE(cell.highlight, cell.line == 19);
            if (cell.line == 19) {
                ++strips;
                for (int dy = 0; dy < bar.HighlightHeight(); ++dy) {
                    QCOMPARE(pixel(c.sked, cell.rect.left() + 1, cell.rect.bottom() - dy), QColor(Qt::red));
                }
                QVERIFY(pixel(c.sked, cell.rect.left() + 1, cell.rect.bottom() - bar.HighlightHeight()) !=
                        QColor(Qt::red));
            }
        }
        QCOMPARE(strips, 2);
    }

    // The ruler's captions are copied from images kept across columns and
    // days: whatever changes its look shows at once, in a column that
    // reuses them at other rows (one stacked row moves the captions below).
    void rulerFollowsEveryChangeOfItsLook()
    {
        Column c;
        TLeftBar& bar = c.sked.View().LeftBar();
        const auto count = [&c, &bar](const QColor& colour) {
            c.sked.picture();
            c.sked.RenderAll(); // the second time a band is seen it is copied
            int n = 0;
            for (const SkedCaptionCell& cell : c.sked.layout().captions) {
                for (int y = cell.rect.top(); y <= qMin(cell.rect.bottom(), c.sked.viewport()->height() - 1); ++y) {
                    for (int x = 0; x < bar.Width(); ++x) {
                        n += pixel(c.sked, x, y) == colour ? 1 : 0;
                    }
                }
            }
            return n;
        };
        const auto captionRow = [&c](int line) {
            for (const SkedCaptionCell& cell : c.sked.layout().captions) {
                if (cell.line == line) {
                    return cell.row;
                }
            }
            return -1;
        };
        bar.Font().setColor(clRed);
        const int red = count(Qt::red);
        QVERIFY(red > 0);
        bar.Font().setColor(clBlue);
        QCOMPARE(count(Qt::red), 0);
        QCOMPARE(count(Qt::blue), red);
        bar.setColor(clYellow);
        QVERIFY(count(Qt::yellow) > 0);
        QCOMPARE(count(Qt::white), 0);
        bar.setHighlightColor(clLime);
        bar.setHighlightLine(3);
        QCOMPARE(count(Qt::green), bar.HighlightHeight() * (bar.Width() - bar.LeftMargin() - bar.RightMargin() - 1));
        const int blueAtFour = count(Qt::blue);
        c.sked.Lines().Items(4)->setCaption(QString());
        QVERIFY(count(Qt::blue) < blueAtFour);

        // Two items on line 2 give it a second row: line 5's caption moves
        // down a row and looks the same there.
        QCOMPARE(captionRow(5), 5);
        const QImage before = c.sked.picture().copy(0, c.sked.layout().rowTop(5), bar.Width(), c.sked.RowHeight());
        skedtest::addItem(c.sked, 2, 2, QStringLiteral("A"));
        skedtest::addItem(c.sked, 2, 2, QStringLiteral("B"));
        QCOMPARE(captionRow(5), 6);
        QCOMPARE(c.sked.picture().copy(0, c.sked.layout().rowTop(6), bar.Width(), c.sked.RowHeight()), before);
    }

    // A client 10 pixels taller than 24 rows shows a part of row 24: its
    // caption is there, in the full render and when its cell is redrawn.
    void partlyVisibleBottomRowKeepsItsCaption()
    {
        Column c(410);
        QCOMPARE(c.sked.VisibleRows(), 24);
        TSkedItem* item = skedtest::addItem(c.sked, 24, 24, QStringLiteral("昼食"));
        QCOMPARE(item->FirstRow(), 24);
        QList<int> rows;
        for (const SkedCaptionCell& cell : c.sked.layout().captions) {
            rows.append(cell.row);
        }
        QVERIFY(rows.contains(24));
        QVERIFY(!rows.contains(25));

        auto darkPixels = [&c] {
            const TLeftBar& bar = c.sked.View().LeftBar();
            int dark = 0;
            for (int y = c.sked.layout().rowTop(24); y < c.sked.viewport()->height(); ++y) {
                for (int x = bar.LeftMargin(); x < bar.Width() - bar.RightMargin() - 1; ++x) {
                    dark += pixel(c.sked, x, y).lightness() < 100 ? 1 : 0;
                }
            }
            return dark;
        };
        QVERIFY(darkPixels() > 0);
        c.sked.setHideSelection(false);
        c.sked.SelectRow(24, false); // unfocused: the inactive colours, black caption
        QVERIFY(!c.sked.hasFocus());
        QVERIFY(darkPixels() > 0);
    }

    void focusFrameWidth_data()
    {
        QTest::addColumn<int>("width");
        QTest::newRow("1") << 1;
        QTest::newRow("2") << 2;
        QTest::newRow("3") << 3;
    }

    void focusFrameWidth()
    {
        QFETCH(int, width);
        TSked sked;
        sked.setBorderStyle(bsNone);
        skedtest::fillLines(sked.Lines());
        sked.View().FocusStyle().setRectStyle(sfrLine);
        sked.View().FocusStyle().setRectLineWidth(width);
        sked.View().FocusStyle().setColor(clLime);
        QVERIFY(skedtest::showActive(sked, QSize(260, 400)));
        sked.setFocus();
        sked.SelectRow(4, false);
        const QImage shot = sked.viewport()->grab().toImage();
        const QRect band = sked.rowBand(4);
        const QColor lime(Qt::green);
        const int midY = band.center().y();
        const int midX = band.center().x();
        for (int i = 0; i < width; ++i) {
            QCOMPARE(shot.pixelColor(band.left() + i, midY), lime);
            QCOMPARE(shot.pixelColor(band.right() - i, midY), lime);
            QCOMPARE(shot.pixelColor(midX, band.top() + i), lime);
            QCOMPARE(shot.pixelColor(midX, band.bottom() - i), lime);
        }
        QVERIFY(shot.pixelColor(midX, band.top() + width) != lime);
        QVERIFY(shot.pixelColor(band.right() - width, midY) != lime);
    }

    void dottedFocusFrameAlternates()
    {
        TSked sked;
        sked.setBorderStyle(bsNone);
        skedtest::fillLines(sked.Lines());
        QVERIFY(skedtest::showActive(sked, QSize(260, 400)));
        sked.setFocus();
        sked.SelectRow(4, false);
        const QImage shot = sked.viewport()->grab().toImage();
        const QRect band = sked.rowBand(4);
        const int x = sked.layout().view.left() + 20;
        const QColor a = shot.pixelColor(x, band.top());
        const QColor b = shot.pixelColor(x + 1, band.top());
        QVERIFY(a != b); // dots, not a solid line
    }

    void crispAtDevicePixelRatioTwo()
    {
        Column c;
        c.sked.View().TopBar().setCaption(QStringLiteral("12月7日(月)"));
        c.sked.View().LeftBar().setLineColor(clBlue);
        QPixmap twice(c.sked.viewport()->size() * 2);
        twice.setDevicePixelRatio(2);
        c.sked.viewport()->render(&twice);
        const QImage image = twice.toImage();
        const int h = c.sked.View().TopBar().Height();
        const int w = c.sked.View().LeftBar().Width();
        const int x = 2 * (w + 20);
        // One logical pixel of edge is exactly two device pixels.
        QCOMPARE(image.pixelColor(x, 2 * h - 1), QColor(Qt::black));
        QCOMPARE(image.pixelColor(x, 2 * h - 2), QColor(Qt::black));
        QCOMPARE(image.pixelColor(x, 2 * h - 3), QColor(Qt::white));
        const int y = 2 * (h + 100);
        QCOMPARE(image.pixelColor(2 * w - 1, y), QColor(Qt::blue));
        QCOMPARE(image.pixelColor(2 * w - 2, y), QColor(Qt::blue));
        QCOMPARE(image.pixelColor(2 * w - 3, y), QColor(Qt::white));
        QCOMPARE(c.sked.picture().devicePixelRatio(), 2.0);
    }

    void focusRowBeyondRowsIsDroppedOnPaint()
    {
        TSked sked;
        skedtest::fillLines(sked.Lines());
        skedtest::addItem(sked, 3, 3);
        QVERIFY(skedtest::showActive(sked, QSize(260, 400)));
        sked.setFocus();
        sked.SelectRow(47, false);
        sked.Items().BeginUpdate();
        sked.Lines().BeginUpdate();
        for (int i = 0; i < 10; ++i) {
            sked.Lines().Delete(sked.Lines().Count() - 1);
        }
        sked.Lines().EndUpdate();
        sked.Items().EndUpdate();
        QVERIFY(sked.FocusRow() >= sked.RowCount());
        sked.viewport()->repaint();
        QCOMPARE(sked.FocusRow(), -1);
    }

    void resizeKeepsFocusOnLineAndItem()
    {
        Column c;
        TSkedItem* item = skedtest::addItem(
            c.sked, 8, 9, QStringLiteral("とても長い予定の説明文がここに入ります。折り返しの確認"));
        c.sked.SelectRow(item->FirstRow(), false);
        c.sked.resize(120, 400);
        QApplication::processEvents();
        int last = -1;
        for (int row = 0; row < c.sked.RowCount(); ++row) {
            if (c.sked.Row(row).Item == item->Index()) {
                last = row;
            }
        }
        QVERIFY(last > item->FirstRow());
        QCOMPARE(c.sked.FocusRow(), last);
        QCOMPARE(c.sked.SelectedRow(), last);
        QCOMPARE(c.sked.SelectedItem(), item);
    }

    void outOfRangeItemsAreClamped()
    {
        Column c;
        TSkedItem* before = skedtest::addItem(c.sked, -5, 2, QStringLiteral("前"));
        TSkedItem* after = skedtest::addItem(c.sked, 60, 100, QStringLiteral("後"));
        TSkedItem* reversed = skedtest::addItem(c.sked, 30, 20, QStringLiteral("逆"));
        QCOMPARE(c.sked.Row(before->FirstRow()).Line, 0);
        QCOMPARE(c.sked.Row(after->FirstRow()).Line, 47);
        QCOMPARE(c.sked.Row(reversed->FirstRow()).Line, 30);
        QCOMPARE(c.sked.RowCount(), 48);
        c.sked.Lines().Clear();
        QCOMPARE(c.sked.RowCount(), 0);
        QCOMPARE(before->FirstRow(), -1);
    }

    void scrollingMovesBlocks()
    {
        Column c;
        TSkedItem* item = skedtest::addItem(c.sked, 20, 21, QStringLiteral("移動"));
        const int top = item->BlockRect().top();
        c.sked.ScrollTo(3);
        QCOMPARE(item->BlockRect().top(), top - 3 * c.sked.RowHeight());
        c.sked.ScrollTo(30);
        QVERIFY(item->BlockRect().bottom() < c.sked.layout().view.top());
    }
};

QTEST_MAIN(TestSkedLayout)
#include "tst_skedlayout.moc"
