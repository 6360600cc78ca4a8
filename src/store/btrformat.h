#pragma once
// On-disk format of the keyed record file ("memo.nox"). Reader, writer,
// checker and fuzzers all take their numbers from here.
//
// All integers are 32-bit signed little-endian.
//
// File
//   offset  size        content
//   0       4           format mark, always 100 (written at creation, not checked)
//   4       4           0
//   8       8           creation time: IEEE double, days since 1899-12-30
//   16      12          index header (below)
//   28      kNodeSize   the first root node
//   ...                 further nodes and records, in the order they were added
//
// Index header (at the header position, 16 for files made by RecordFile::create)
//   +0      root node position
//   +4      head of the free-node list; any value not above 0 means empty
//   +8      sequence counter (stored after the key of every new entry)
//
// Node (kNodeSize bytes; 1204 with 4-byte keys)
//   +0      4                  number of entries in use
//   +4      4 * kMaxEntries    one pointer per entry slot:
//                              > 0   position of a child node
//                              <= 0  negated position of the record
//   +404    kMaxEntries * E    entry slots, E = key size + 4:
//                              key bytes, then a 4-byte sequence number
//   Within a node entries ascend. In an inner node entry i is a lower bound
//   of the entries below child i; entry 0 of any node counts as lower than
//   every search key. Records hang only below the lowest level.
//
// Record (anywhere past the index header, always appended at the end)
//   +0      4           L = 4 + number of text bytes
//   +4      4           key
//   +8      L - 4       text bytes (no terminator)
//
// A freed node has count 0 and keeps the next free node in pointer 0.
//
// New nodes are placed directly at the end of the file, without a gap
// before them. Readers rely only on stored positions, so files that leave
// a gap of one node before each appended node read the same.
#include <QtGlobal>

namespace nox::btr
{

constexpr qint32 kFormatMark = 100;
constexpr int kFileHeaderSize = 16;
constexpr int kFileMarkOffset = 0;
constexpr int kFileZeroOffset = 4;
constexpr int kFileDateOffset = 8;

constexpr int kIndexHeaderSize = 12;
constexpr int kIndexRootOffset = 0;
constexpr int kIndexFreeOffset = 4;
constexpr int kIndexCounterOffset = 8;
constexpr qint64 kMemoIndexHeaderPos = kFileHeaderSize; // 16

constexpr int kMaxEntries = 100;    // entry slots per node
constexpr int kUnderflowBelow = 50; // a non-root node with fewer entries needs repair
constexpr int kSeqSize = 4;         // sequence number after the key in an entry
constexpr int kNodeCountOffset = 0;
constexpr int kNodePointersOffset = 4;
constexpr int kNodeEntriesOffset = 4 + 4 * kMaxEntries; // 404

constexpr int kMemoKeySize = 4;
constexpr int kMinKeySize = 4; // entry comparison reads 4 bytes at a time
constexpr int kMaxKeySize = 256;

constexpr int entrySize(int keySize)
{
    return keySize + kSeqSize;
}
constexpr int nodeSize(int keySize)
{
    return kNodeEntriesOffset + kMaxEntries * entrySize(keySize);
}
constexpr int kMemoNodeSize = nodeSize(kMemoKeySize); // 1204

constexpr int kRecordLengthOffset = 0;
constexpr int kRecordKeyOffset = 4;
constexpr int kRecordTextOffset = 8;
constexpr int kRecordHeaderSize = 8;

// A fresh memo file: file header, index header and one empty root node.
constexpr qint64 kFreshMemoFileSize = kFileHeaderSize + kIndexHeaderSize + kMemoNodeSize; // 1232
static_assert(kMemoNodeSize == 1204);
static_assert(kFreshMemoFileSize == 1232);

// Positions are stored as signed 32-bit values; the file cannot grow past this.
constexpr qint64 kMaxFilePos = 0x7fffffff;

// Result codes.
constexpr int kOk = 0;
constexpr int kCreateFailed = 231;
constexpr int kOpenFailed = 244;
constexpr int kNotFound = -4;
constexpr int kIoError = -999; // input/output error or damaged structure
constexpr int kRepair = -1001; // inside the index: a node over- or underflowed

// Descent bound: a sound tree of 1204-byte nodes in a 2 GB file is far
// shallower; anything deeper is a cycle or damage.
constexpr int kMaxDepth = 32;

} // namespace nox::btr
