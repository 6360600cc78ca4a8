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
