#include "core/utf8check.h"

#include <QtGlobal>
#include <cstring>

namespace nox
{

bool isWellFormedUtf8(QByteArrayView bytes)
{
    // The byte ranges of the table of well-formed sequences of the Unicode
    // standard; eight bytes at a time while they are ASCII.
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const unsigned char* const end = p + bytes.size();
    const auto in = [](unsigned char c, unsigned char lo, unsigned char hi) { return c >= lo && c <= hi; };
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            // After an ASCII byte, eight at a time while they are ASCII.
            ++p;
            while (end - p >= 8) {
                quint64 word;
                std::memcpy(&word, p, sizeof word);
                if ((word & 0x8080808080808080ULL) != 0) {
                    break;
                }
                p += 8;
            }
            continue;
        }
        // Kana and kanji: three bytes with no narrower range for the second.
        if (in(c, 0xE1, 0xEF) && c != 0xED) {
            if (end - p < 3 || (p[1] & 0xC0) != 0x80 || (p[2] & 0xC0) != 0x80) {
                return false;
            }
            p += 3;
            continue;
        }
        int tail = 0;
        unsigned char lo = 0x80, hi = 0xBF; // range of the second byte
        if (in(c, 0xC2, 0xDF)) {
            tail = 1;
        } else if (in(c, 0xE0, 0xEF)) {
            tail = 2;
            lo = c == 0xE0 ? 0xA0 : 0x80;
            hi = c == 0xED ? 0x9F : 0xBF;
        } else if (in(c, 0xF0, 0xF4)) {
            tail = 3;
            lo = c == 0xF0 ? 0x90 : 0x80;
            hi = c == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (end - p <= tail || !in(p[1], lo, hi)) {
            return false;
        }
        for (int i = 2; i <= tail; ++i) {
            if (!in(p[i], 0x80, 0xBF)) {
                return false;
            }
        }
        p += tail + 1;
    }
    return true;
}

} // namespace nox
