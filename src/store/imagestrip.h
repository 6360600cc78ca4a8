#pragma once
// The strip of 16 x 16 images that schedules show ("images.bmp"): one bitmap
// holding the images as a grid of 16 x 16 cells, read row by row. Each image
// keeps its transparent colour (its bottom-left pixel when loaded).
//
// Headless (QImage only); views draw image(i) / pixmap(i).
#include <QImage>
#include <QList>
#include <QRgb>
#include <QString>

#include "core/status.h"

namespace nox
{

// What a load or save of the strip found; the status fails when the file
// exists but could not be read / written.
struct ImageStripFile {
    bool existed = false;
    int skippedCells = 0; // empty (one flat colour) cells skipped on load
};
using ImageStripResult = Result<ImageStripFile>;

class ImageStrip
{
public:
    static constexpr int kCellSize = 16;
    static constexpr const char* kFileName = "images.bmp";
    static constexpr QRgb kFillColor = 0xffff00ff; // magenta, fills unused cells
    // Larger bitmaps are refused on load (4096 images).
    static constexpr int kMaxCells = 4096;

    struct Image {
        QImage image;   // 16 x 16, Format_RGB32
        QRgb maskColor; // pixels of this colour are transparent
    };

    // Only when the file exists: clears the strip and adds every non-empty
    // cell of the bitmap (columns = width / 16, rows = height / 16, row by
    // row). A cell whose pixels all equal its top-left pixel is skipped; the
    // others get their bottom-left pixel as transparent colour. A file that
    // cannot be decoded leaves the strip empty and is reported.
    ImageStripResult load(const QString& path);
    // Start-up: "images.bmp" of the data folder, else of the default folder;
    // *fromDefault (when given) tells that the default copy was used, so the
    // strip should be written to the data folder at shutdown.
    ImageStripResult loadFromFolders(const QString& dataFolder, const QString& defaultFolder,
                                     bool* fromDefault = nullptr);
    // Loads from bitmap bytes (as stored in a file).
    ImageStripResult loadFromData(const QByteArray& bytes);
    // Loads from a decoded bitmap.
    int loadFromImage(const QImage& bitmap);

    // An empty strip deletes the file. Otherwise writes a BMP of the grid
    // (gridSize) filled with magenta, image i at column i % columns, row
    // i / columns, its transparent pixels magenta. Atomic.
    ImageStripResult save(const QString& path) const;
    // The bitmap save() writes (null for an empty strip).
    QImage toBitmap() const;

    // Grid of `count` images: b = smallest whole number with b * b >= count;
    // columns = b; rows = b, or b - 1 when b * b - count >= b.
    static QSize gridSize(int count);

    int count() const { return int(m_images.size()); }
    bool isEmpty() const { return m_images.isEmpty(); }
    void clear() { m_images.clear(); }
    const Image& at(int i) const { return m_images.at(i); }
    // The image as stored (opaque, 16 x 16); null when i is out of range.
    QImage image(int i) const;
    QRgb maskColor(int i) const;
    // The image with its transparent colour turned transparent
    // (Format_ARGB32, 16 x 16); null when i is out of range.
    QImage pixmap(int i) const;

    // Adds a copy scaled/cropped to 16 x 16 (RGB32). maskColor defaults to
    // the bottom-left pixel. Returns the new index.
    int add(const QImage& image);
    int add(const QImage& image, QRgb maskColor);
    // Adds a bitmap chosen by the user: cut to 16 x 16 at its top-left corner,
    // or extended with its transparent colour (its own bottom-left pixel) when
    // smaller, never scaled. Returns the new index.
    int addBitmap(const QImage& bitmap);
    // Reads a bitmap file for addBitmap; fails with a null image (the
    // message names the file) when it is missing, unreadable or not a usable
    // picture.
    static Result<QImage> readBitmapFile(const QString& path);
    void insert(int i, const QImage& image, QRgb maskColor);
    void replace(int i, const QImage& image, QRgb maskColor);
    void remove(int i);
    void move(int from, int to);

private:
    static QImage normalized(const QImage& image);
    QList<Image> m_images;
};

} // namespace nox
