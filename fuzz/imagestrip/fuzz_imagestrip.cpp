// Bytes as "images.bmp" for the image strip loader. Seeds: fuzz/imagestrip/seeds.
#include "store/imagestrip.h"

#include <QByteArray>

#include <cstdint>

using namespace nox;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ImageStrip strip;
    static_cast<void>(strip.loadFromData(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size))));
    for (int i = 0; i < strip.count(); ++i) {
        strip.pixmap(i);
    }
    if (!strip.isEmpty()) {
        strip.toBitmap();
    }
    return 0;
}
