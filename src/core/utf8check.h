#pragma once
#include <QByteArrayView>

namespace nox
{

// True when the bytes are well-formed UTF-8 throughout (no overlong form, no
// surrogate, nothing past U+10FFFF, no sequence cut short): bytes that
// decodeLine (core/textfile.h) reads as UTF-8, line by line.
bool isWellFormedUtf8(QByteArrayView bytes);

} // namespace nox
