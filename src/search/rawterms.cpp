#include "search/rawterms.h"

#include <cstring>

namespace nox
{

namespace
{

// A term whose UTF-8 bytes a matching line need not hold: a line break or a
// byte-order mark (a line never holds a break, and the mark at the start of a
// file is not part of its text), or a lone surrogate (which matches half of
// a character in the decoded text).
bool lookedForInBytes(const QString& term)
{
    return !term.isEmpty() && term.isValidUtf16() && !term.contains(u'\r') && !term.contains(u'\n') &&
           !term.contains(QChar(0xFEFF));
}

} // namespace

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

RawTermFilter::RawTermFilter(const QStringList& terms)
{
    for (const QString& term : terms) {
        if (lookedForInBytes(term)) {
            m_terms.push_back(term.toUtf8());
        }
    }
}

bool RawTermFilter::lacksATerm(QByteArrayView bytes) const
{
    for (const QByteArray& term : m_terms) {
        if (!::memmem(bytes.data(), size_t(bytes.size()), term.constData(), size_t(term.size()))) {
            return true;
        }
    }
    return false;
}

bool RawTermFilter::mayMatch(QByteArrayView bytes) const
{
    // The terms first: the validity of the bytes matters only for a file
    // that lacks one.
    return !lacksATerm(bytes) || !isWellFormedUtf8(bytes);
}

bool RawTermFilter::mayMatch(QByteArrayView bytes, bool validUtf8) const
{
    return !validUtf8 || !lacksATerm(bytes);
}

} // namespace nox
