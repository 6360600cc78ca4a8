// The image strip: cells of a bitmap, empty cells, transparent colour, the
// saved grid, and damaged files.
#include "store/imagestrip.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace nox;

namespace
{

// A cell with a frame of `mask` and a square of `ink` inside.
QImage cellImage(QRgb mask, QRgb ink)
{
    QImage img(16, 16, QImage::Format_RGB32);
    img.fill(mask);
    for (int y = 4; y < 12; ++y) {
        for (int x = 4; x < 12; ++x) {
            img.setPixel(x, y, ink);
        }
    }
    return img;
}

QByteArray bmpBytes(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

ImageStrip stripOf(int count)
{
    ImageStrip strip;
    for (int i = 0; i < count; ++i) {
        strip.add(cellImage(0xffffffff, qRgb(10 * i, 100, 200)), 0xffffffff);
    }
    return strip;
}

} // namespace

class TstImageStrip : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    // First, before anything else of the test touches an image format: the
    // strip is read by the built-in bitmap reader without loading the image
    // plugins (which the reader does when left to detect the format).
    void readWithoutImagePlugins()
    {
        // A 16 x 16 bitmap of 24 bits a pixel, one colour, written by hand.
        const int rowBytes = 16 * 3;
        QByteArray bmp(54, '\0');
        bmp[0] = 'B';
        bmp[1] = 'M';
        qToLittleEndian<qint32>(54, bmp.data() + 10);
        qToLittleEndian<qint32>(40, bmp.data() + 14);
        qToLittleEndian<qint32>(16, bmp.data() + 18);
        qToLittleEndian<qint32>(16, bmp.data() + 22);
        qToLittleEndian<quint16>(1, bmp.data() + 26);
        qToLittleEndian<quint16>(24, bmp.data() + 28);
        for (int i = 0; i < 16 * 16; ++i) {
            bmp.append("\x30\x20\x10", 3); // blue, green, red
        }
        qToLittleEndian<qint32>(bmp.size(), bmp.data() + 2);
        QCOMPARE(bmp.size(), 54 + 16 * rowBytes);
        ImageStrip strip;
        const ImageStripResult r = strip.loadFromData(bmp);
        QVERIFY2(r.ok(), qPrintable(r.message()));
        QCOMPARE(strip.count(), 0); // a single flat cell is no image
        QFile maps(QStringLiteral("/proc/self/maps"));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        QVERIFY(!maps.readAll().contains("/imageformats/"));
    }

    void cellsReadRowByRowFlatCellsSkipped()
    {
        QImage bitmap(64, 32, QImage::Format_RGB32);
        bitmap.fill(qRgb(0, 128, 128));
        QPainter p(&bitmap);
        for (int n = 0; n < 8; ++n) {
            if (n == 2) {
                continue; // cell 2 stays one flat colour
            }
            p.drawImage((n % 4) * 16, (n / 4) * 16, cellImage(qRgb(n, 0, 255), qRgb(255, n * 20, 0)));
        }
        p.end();
        ImageStrip strip;
        QCOMPARE(strip.loadFromImage(bitmap), 1);
        QCOMPARE(strip.count(), 7);
        // Images after the empty cell move up: image 2 is cell 3.
        QCOMPARE(strip.image(2).pixel(8, 8), qRgb(255, 60, 0));
        QCOMPARE(strip.image(4).pixel(8, 8), qRgb(255, 100, 0)); // cell 5, second row
        QCOMPARE(strip.maskColor(2), qRgb(3, 0, 255));           // its bottom-left pixel
    }

    void maskIsTheBottomLeftPixel()
    {
        QImage cell = cellImage(qRgb(0, 255, 0), qRgb(0, 0, 0));
        cell.setPixel(0, 15, qRgb(1, 2, 3)); // bottom-left differs from the top-left
        ImageStrip strip;
        strip.loadFromImage(cell);
        QCOMPARE(strip.count(), 1);
        QCOMPARE(strip.maskColor(0), qRgb(1, 2, 3));
        const QImage pm = strip.pixmap(0);
        QCOMPARE(pm.format(), QImage::Format_ARGB32);
        QCOMPARE(qAlpha(pm.pixel(0, 15)), 0);
        QCOMPARE(qAlpha(pm.pixel(0, 0)), 255); // the green frame stays
        QCOMPARE(pm.pixel(8, 8), qRgb(0, 0, 0));
    }

    void partialCellsAndTinyBitmapsIgnored()
    {
        ImageStrip strip;
        QImage small(15, 40, QImage::Format_RGB32);
        small.fill(Qt::red);
        QCOMPARE(strip.loadFromImage(small), 0);
        QVERIFY(strip.isEmpty());
        QImage wide(40, 20, QImage::Format_RGB32); // 2 x 1 cells, the rest cut off
        wide.fill(Qt::white);
        wide.setPixel(20, 5, qRgb(0, 0, 0));
        strip.loadFromImage(wide);
        QCOMPARE(strip.count(), 1);
    }

    void gridSizes_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QSize>("grid");
        QTest::newRow("1") << 1 << QSize(1, 1);
        QTest::newRow("2") << 2 << QSize(2, 1);
        QTest::newRow("5") << 5 << QSize(3, 2);
        QTest::newRow("9") << 9 << QSize(3, 3);
        QTest::newRow("10") << 10 << QSize(4, 3);
        QTest::newRow("13") << 13 << QSize(4, 4);
        QTest::newRow("22") << 22 << QSize(5, 5);
    }

    void gridSizes()
    {
        QFETCH(int, count);
        QFETCH(QSize, grid);
        QCOMPARE(ImageStrip::gridSize(count), grid);
        const QImage bitmap = stripOf(count).toBitmap();
        QCOMPARE(bitmap.size(), grid * 16);
    }

    void saveAndReloadRoundTrip()
    {
        ImageStrip strip = stripOf(5);
        strip.add(cellImage(qRgb(0, 0, 0), qRgb(255, 255, 0))); // mask from the bottom-left: black
        const QString path = m_dir.filePath("images.bmp");
        QVERIFY(strip.save(path).ok());
        QImage written(path);
        QCOMPARE(written.size(), QSize(48, 32));
        // Transparent pixels and unused cells are magenta.
        QCOMPARE(written.pixel(0, 0), qRgb(255, 0, 255));
        QCOMPARE(written.pixel(33, 1), qRgb(255, 0, 255));
        QCOMPARE(stripOf(5).toBitmap().pixel(40, 24), qRgb(255, 0, 255));
        QCOMPARE(written.pixel(32 + 8, 16 + 8), qRgb(255, 255, 0));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray header = file.read(30);
        QCOMPARE(header.left(2), QByteArray("BM"));
        QCOMPARE(qFromLittleEndian<quint16>(header.constData() + 28), quint16(24)); // bits per pixel

        ImageStrip again;
        const ImageStripResult r = again.load(path);
        QVERIFY(r.ok());
        QCOMPARE(again.count(), 6);
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(again.maskColor(i), qRgb(255, 0, 255));
            QCOMPARE(again.pixmap(i), strip.pixmap(i));
        }
    }

    void emptyListDeletesFile()
    {
        const QString path = m_dir.filePath("gone.bmp");
        QVERIFY(stripOf(3).save(path).ok());
        QVERIFY(QFile::exists(path));
        ImageStrip empty;
        QVERIFY(empty.save(path).ok());
        QVERIFY(!QFile::exists(path));
        ImageStrip strip = stripOf(2);
        const ImageStripResult r = strip.load(path); // missing: nothing changes
        QVERIFY(r.ok());
        QVERIFY(!r->existed);
        QCOMPARE(strip.count(), 2);
    }

    void defaultFolderUntilTheDataFolderHasOne()
    {
        const QString data = m_dir.filePath("data");
        const QString defaults = m_dir.filePath("default");
        QDir().mkpath(data);
        QDir().mkpath(defaults);
        QVERIFY(stripOf(4).save(defaults + "/images.bmp").ok());
        ImageStrip strip;
        bool fromDefault = false;
        QVERIFY(strip.loadFromFolders(data, defaults, &fromDefault).ok());
        QVERIFY(fromDefault);
        QCOMPARE(strip.count(), 4);
        strip.remove(0);
        QVERIFY(strip.save(data + "/images.bmp").ok());
        QVERIFY(strip.loadFromFolders(data, defaults, &fromDefault).ok());
        QVERIFY(!fromDefault);
        QCOMPARE(strip.count(), 3);
        // An emptied strip deletes the data copy: the default comes back.
        static_cast<void>(ImageStrip().save(data + "/images.bmp"));
        static_cast<void>(strip.loadFromFolders(data, defaults, &fromDefault));
        QVERIFY(fromDefault);
        QCOMPARE(strip.count(), 4);
    }

    void corruptBitmapLoadsNothing()
    {
        const QByteArray good = bmpBytes(stripOf(9).toBitmap());
        ImageStrip strip = stripOf(2);
        ImageStripResult r = strip.loadFromData("BM this is not a bitmap");
        QVERIFY(!r.ok());
        QVERIFY(strip.isEmpty());
        r = strip.loadFromData(good.left(40));
        QVERIFY(!r.ok() || strip.count() <= 9);
        QByteArray huge = good;
        qToLittleEndian<qint32>(40000, huge.data() + 18); // width
        qToLittleEndian<qint32>(40000, huge.data() + 22); // height
        r = strip.loadFromData(huge);
        QVERIFY(!r.ok());
        QVERIFY(strip.isEmpty());
        QRandomGenerator rng(3);
        for (int round = 0; round < 200; ++round) {
            QByteArray b = good;
            for (int i = 0; i < 6; ++i) {
                b[rng.bounded(qMin(int(b.size()), 80))] = char(rng.bounded(256));
            }
            static_cast<void>(strip.loadFromData(b));
            QVERIFY(strip.count() <= ImageStrip::kMaxCells);
        }
    }

    // A bitmap cut short (stored bottom-up, so its top rows are lost) or
    // run-length encoded with skipped parts leaves pixels the reader does
    // not set: they come out black, never as leftover memory.
    void missingPixelsAreBlack()
    {
        const QByteArray good = bmpBytes(stripOf(9).toBitmap().convertToFormat(QImage::Format_RGB888));
        const int rowBytes = 48 * 3;
        QCOMPARE(good.size(), 54 + 48 * rowBytes);
        ImageStrip strip;
        for (int round = 0; round < 3; ++round) {
            // The full bitmap first, so that the memory the next read gets
            // back has held cells.
            QVERIFY(strip.loadFromData(good).ok());
            QCOMPARE(strip.count(), 9);
            const ImageStripResult r = strip.loadFromData(good.left(54 + 32 * rowBytes));
            QVERIFY(r.ok());
            QCOMPARE(r->skippedCells, 3); // the top row of cells, all black
            QCOMPARE(strip.count(), 6);
            QCOMPARE(strip.image(0).pixel(8, 8), qRgb(30, 100, 200));
        }
        // 8 bits per pixel, run-length encoded: one run of 16 pixels of
        // colour 1, then the end of the bitmap.
        QByteArray rle(54 + 2 * 4, '\0');
        rle[0] = 'B';
        rle[1] = 'M';
        qToLittleEndian<qint32>(rle.size(), rle.data() + 10); // pixel data offset
        qToLittleEndian<qint32>(40, rle.data() + 14);
        qToLittleEndian<qint32>(16, rle.data() + 18);
        qToLittleEndian<qint32>(32, rle.data() + 22);
        qToLittleEndian<quint16>(1, rle.data() + 26);
        qToLittleEndian<quint16>(8, rle.data() + 28);
        qToLittleEndian<qint32>(1, rle.data() + 30); // RLE8
        qToLittleEndian<qint32>(2, rle.data() + 46); // colours used
        qToLittleEndian<quint32>(0x00000000, rle.data() + 54);
        qToLittleEndian<quint32>(0x00ff0000, rle.data() + 58);
        rle.append("\x10\x01\x00\x01", 4);
        qToLittleEndian<qint32>(rle.size(), rle.data() + 2);
        const ImageStripResult r = strip.loadFromData(rle);
        QVERIFY2(r.ok(), qPrintable(r.message()));
        QCOMPARE(r->skippedCells, 1); // the top cell: black throughout
        QCOMPARE(strip.count(), 1);
        QCOMPARE(strip.image(0).pixel(0, 15), qRgb(255, 0, 0));
        QCOMPARE(strip.image(0).pixel(0, 14), qRgb(0, 0, 0));
    }

    // The size limit holds for bitmaps stored top-down too (negative height).
    void topDownBitmapTooLarge()
    {
        QByteArray b = bmpBytes(stripOf(9).toBitmap().convertToFormat(QImage::Format_RGB888));
        qToLittleEndian<qint32>(1040, b.data() + 18);  // 65 columns of cells
        qToLittleEndian<qint32>(-1040, b.data() + 22); // 65 rows, top-down
        ImageStrip strip = stripOf(2);
        const ImageStripResult r = strip.loadFromData(b);
        QVERIFY(!r.ok());
        QVERIFY(r.message().contains(QStringLiteral("too large")));
        QVERIFY(strip.isEmpty());
    }

    void factoryStripLoads()
    {
        const QString source = QFINDTESTDATA("../../data/default/images.bmp");
        QVERIFY(!source.isEmpty());
        ImageStrip strip;
        QVERIFY(strip.load(source).ok());
        QVERIFY(strip.count() >= 20);
        for (int i = 0; i < strip.count(); ++i) {
            const QImage pm = strip.pixmap(i);
            int transparent = 0;
            for (int y = 0; y < 16; ++y) {
                for (int x = 0; x < 16; ++x) {
                    transparent += qAlpha(pm.pixel(x, y)) == 0;
                }
            }
            QVERIFY2(transparent > 20 && transparent < 240, qPrintable(QString::number(i)));
        }
    }
};

QTEST_GUILESS_MAIN(TstImageStrip)
#include "tst_imagestrip.moc"
