#pragma once
// The first look of a search at a day file: its bytes, before anything is
// decoded. Nearly every file of a long period holds none of the search words,
// and decoding and parsing those is what a search would otherwise spend its
// time on.
//
// A line matches only when it holds every raw term (search/skedsearch.h). A
// file whose bytes are well-formed UTF-8 throughout reads as UTF-8 line by
// line, so each of its lines holds a term only when the line's bytes hold
// the term's UTF-8 bytes: such a file that lacks the bytes of one term cannot
// match and is passed over. A file with any other bytes (lines written in
// CP932) is always decoded, so no match is lost to the encoding.
#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>

#include <vector>

#include "core/utf8check.h"

namespace nox
{

class RawTermFilter
{
public:
    // Passes every file.
    RawTermFilter() = default;
    // Terms that could occur in a line without their UTF-8 bytes occurring
    // in the file (with a line break or a byte-order mark, or not valid
    // UTF-16) are not looked for; the others still are.
    explicit RawTermFilter(const QStringList& terms);

    // False when every file passes (no term to look for).
    bool isActive() const { return !m_terms.empty(); }
    // False only when no line of a file of these bytes can hold every term.
    bool mayMatch(QByteArrayView bytes) const;
    // The same for bytes known to be well-formed UTF-8 or not.
    bool mayMatch(QByteArrayView bytes, bool validUtf8) const;

private:
    bool lacksATerm(QByteArrayView bytes) const;

    std::vector<QByteArray> m_terms; // UTF-8
};

} // namespace nox
