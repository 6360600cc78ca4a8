#include "store/imagestrip.h"

#include "core/textfile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageIOHandler>
#include <QImageReader>
#include <QPainter>

#include <cmath>

namespace nox
{

namespace
{

constexpr int kCell = ImageStrip::kCellSize;

QRgb opaque(QRgb c)
{
    return c | 0xff000000u;
}

bool isFlatCell(const QImage& cell)
{
    const QRgb first = opaque(cell.pixel(0, 0));
    for (int y = 0; y < kCell; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(cell.constScanLine(y));
        for (int x = 0; x < kCell; ++x) {
            if (opaque(line[x]) != first) {
                return false;
            }
        }
    }
    return true;
}

// The reader leaves unset the pixels a bitmap does not give: the rest of a
// truncated file, the parts a run-length encoded one skips. It reuses an
// image of the size and format it is about to read, so reading into one
// cleared beforehand makes those pixels colour index 0 or black.
QImage clearedTarget(const QImageReader& reader, const QSize& size)
{
    QImage image;
    const QImage::Format format = reader.imageFormat();
    if (size.isValid() && format != QImage::Format_Invalid &&
        QImageIOHandler::allocateImage(size, format, &image)) {
        image.fill(0u);
    }
    return image;
}

// Reads `bytes` as the strip's bitmap; false, with `error` set, when it is
// too large or unreadable. Only the built-in bitmap reader reads it: left to
// detect the format, the reader loads every image plugin installed to ask it
// first (a millisecond or more of the start-up).
bool readStripBitmap(const QByteArray& bytes, QImage* bitmap, QString* error)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "BMP");
    reader.setAutoDetectImageFormat(false);
    // A bitmap stored top-down gives a negative height.
    const QSize stored = reader.size();
    const qint64 width = stored.width();
    const qint64 height = qAbs(qint64(stored.height()));
    if ((width / kCell) * (height / kCell) > ImageStrip::kMaxCells) {
        *error = QStringLiteral("the bitmap is too large (%1 x %2)").arg(width).arg(height);
        return false;
    }
    *bitmap = clearedTarget(reader, QSize(int(width), int(qMin<qint64>(height, INT_MAX))));
    if (!reader.read(bitmap)) {
        *bitmap = QImage();
    }
    if (bitmap->isNull()) {
        *error = QStringLiteral("not a readable bitmap: %1").arg(reader.errorString());
        return false;
    }
    return true;
}

} // namespace

QImage ImageStrip::normalized(const QImage& image)
{
    if (image.isNull()) {
        QImage blank(kCell, kCell, QImage::Format_RGB32);
        blank.fill(kFillColor);
        return blank;
    }
    QImage cell = image.copy(0, 0, kCell, kCell).convertToFormat(QImage::Format_RGB32);
    // Pixels outside a smaller source come back transparent black; make them opaque.
    for (int y = 0; y < kCell; ++y) {
        auto* line = reinterpret_cast<QRgb*>(cell.scanLine(y));
        for (int x = 0; x < kCell; ++x) {
            line[x] = opaque(line[x]);
        }
    }
    return cell;
}

int ImageStrip::loadFromImage(const QImage& bitmap)
{
    clear();
    const int columns = bitmap.width() / kCell;
    const int rows = bitmap.height() / kCell;
    if (columns <= 0 || rows <= 0) {
        return 0;
    }
    // 24 bits per pixel: any alpha in the file is dropped.
    const QImage rgb = bitmap.convertToFormat(QImage::Format_RGB32);
    int skipped = 0;
    for (int n = 0; n < columns * rows; ++n) {
        const QImage cell = normalized(rgb.copy((n % columns) * kCell, (n / columns) * kCell, kCell, kCell));
        if (isFlatCell(cell)) {
            ++skipped;
            continue;
        }
        m_images.append({cell, opaque(cell.pixel(0, kCell - 1))});
    }
    return skipped;
}

ImageStripResult ImageStrip::loadFromData(const QByteArray& bytes)
{
    clear();
    QImage bitmap;
    QString error;
    if (!readStripBitmap(bytes, &bitmap, &error)) {
        return ImageStripResult(Status::failed({}, error), ImageStripFile{true, 0});
    }
    return ImageStripResult::success(ImageStripFile{true, loadFromImage(bitmap)});
}

ImageStripResult ImageStrip::load(const QString& path)
{
    QFile file(path);
    if (!file.exists()) {
        return ImageStripResult::success({});
    }
    auto failed = [&](const QString& why) {
        return ImageStripResult(Status::failed(path, QStringLiteral("%1: %2").arg(path, why)),
                                ImageStripFile{true, 0});
    };
    if (!file.open(QIODevice::ReadOnly)) {
        return failed(file.errorString());
    }
    ImageStripResult result = loadFromData(file.readAll());
    return result.ok() ? result : failed(result.message());
}

ImageStripResult ImageStrip::loadFromFolders(const QString& dataFolder, const QString& defaultFolder,
                                             bool* fromDefault)
{
    if (fromDefault) {
        *fromDefault = false;
    }
    const QString name = QString::fromLatin1(kFileName);
    ImageStripResult result = load(QDir(dataFolder).filePath(name));
    if (result->existed || defaultFolder.isEmpty()) {
        return result;
    }
    result = load(QDir(defaultFolder).filePath(name));
    if (fromDefault) {
        *fromDefault = result->existed;
    }
    return result;
}

QSize ImageStrip::gridSize(int count)
{
    if (count <= 0) {
        return {0, 0};
    }
    int b = int(std::ceil(std::sqrt(double(count))));
    while (b * b < count) {
        ++b;
    }
    while (b > 1 && (b - 1) * (b - 1) >= count) {
        --b;
    }
    const int rows = b * b - count >= b ? b - 1 : b;
    return {b, rows};
}

QImage ImageStrip::toBitmap() const
{
    if (isEmpty()) {
        return {};
    }
    const QSize grid = gridSize(count());
    QImage bitmap(grid.width() * kCell, grid.height() * kCell, QImage::Format_RGB32);
    bitmap.fill(kFillColor);
    QPainter painter(&bitmap);
    for (int i = 0; i < count(); ++i) {
        QImage cell(kCell, kCell, QImage::Format_RGB32);
        cell.fill(kFillColor);
        {
            QPainter cellPainter(&cell);
            cellPainter.drawImage(0, 0, pixmap(i));
        }
        painter.drawImage((i % grid.width()) * kCell, (i / grid.width()) * kCell, cell);
    }
    return bitmap;
}

ImageStripResult ImageStrip::save(const QString& path) const
{
    const ImageStripFile file{QFileInfo::exists(path), 0};
    if (isEmpty()) {
        return ImageStripResult(removeFile(path), file);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!toBitmap().convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP")) {
        // Told like a failed write: the file keeps what it held.
        const QString message = QStringLiteral("cannot encode the bitmap");
        reportWriteFailure(path, message);
        return ImageStripResult(Status::failed(path, message), file);
    }
    return ImageStripResult(writeFileAtomic(path, bytes), file);
}

QImage ImageStrip::image(int i) const
{
    return i >= 0 && i < count() ? m_images[i].image : QImage();
}

QRgb ImageStrip::maskColor(int i) const
{
    return i >= 0 && i < count() ? m_images[i].maskColor : 0;
}

QImage ImageStrip::pixmap(int i) const
{
    if (i < 0 || i >= count()) {
        return {};
    }
    QImage out = m_images[i].image.convertToFormat(QImage::Format_ARGB32);
    const QRgb mask = opaque(m_images[i].maskColor);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            if (opaque(line[x]) == mask) {
                line[x] = 0;
            }
        }
    }
    return out;
}

int ImageStrip::add(const QImage& image)
{
    const QImage cell = normalized(image);
    return add(cell, cell.pixel(0, kCell - 1));
}

int ImageStrip::addBitmap(const QImage& bitmap)
{
    if (bitmap.isNull()) {
        return -1;
    }
    const QImage rgb = bitmap.convertToFormat(QImage::Format_RGB32);
    const QRgb mask = opaque(rgb.pixel(0, rgb.height() - 1));
    QImage cell(kCell, kCell, QImage::Format_RGB32);
    cell.fill(mask);
    const int w = qMin(kCell, rgb.width());
    const int h = qMin(kCell, rgb.height());
    for (int y = 0; y < h; ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        auto* to = reinterpret_cast<QRgb*>(cell.scanLine(y));
        for (int x = 0; x < w; ++x) {
            to[x] = opaque(from[x]);
        }
    }
    return add(cell, mask);
}

Result<QImage> ImageStrip::readBitmapFile(const QString& path)
{
    QImageReader reader(path);
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    // A header claiming a huge picture is refused before anything is decoded.
    const bool tooLarge =
        size.isValid() && qint64(size.width()) * size.height() > qint64(kMaxCells) * kCell * kCell;
    const QImage image = tooLarge ? QImage() : reader.read();
    if (image.isNull()) {
        return Status::failed(path, QStringLiteral("画像を読み込めません: ") + path + QStringLiteral("\r\n") +
                                        (tooLarge ? QStringLiteral("画像が大きすぎます。") : reader.errorString()));
    }
    return Result<QImage>::success(image);
}

int ImageStrip::add(const QImage& image, QRgb maskColor)
{
    m_images.append({normalized(image), opaque(maskColor)});
    return count() - 1;
}

void ImageStrip::insert(int i, const QImage& image, QRgb maskColor)
{
    m_images.insert(qBound(0, i, count()), {normalized(image), opaque(maskColor)});
}

void ImageStrip::replace(int i, const QImage& image, QRgb maskColor)
{
    if (i >= 0 && i < count()) {
        m_images[i] = {normalized(image), opaque(maskColor)};
    }
}

void ImageStrip::remove(int i)
{
    if (i >= 0 && i < count()) {
        m_images.removeAt(i);
    }
}

void ImageStrip::move(int from, int to)
{
    if (from >= 0 && from < count() && to >= 0 && to < count()) {
        m_images.move(from, to);
    }
}

} // namespace nox
