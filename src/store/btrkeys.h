#pragma once
// The B-tree index of the keyed record file, kept in the same stream as the
// records (layout in btrformat.h). One TBtrKey per open file; not shared
// between threads.
//
// Damage policy: every node, count and position read from the stream is
// checked before use. A damaged structure gives kIoError (-999), never a crash
// or a hang. Once damage or a failed write is seen, the index turns
// read-only: the nodes changed by the failing operation are dropped unwritten
// and every later Insert/Delete returns kIoError, so a damaged file is never
// written over. Find keeps working on whatever parts are sound.
#include "store/btrformat.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <functional>
#include <initializer_list>
#include <vector>

class QIODevice;

namespace nox
{

// One node held in memory. Position -1 means the buffer holds no node.
class TNodeBuf
{
public:
    explicit TNodeBuf(int entrySize = btr::entrySize(btr::kMemoKeySize));

    int entrySize() const { return m_entrySize; }
    int nodeSize() const { return btr::kNodeEntriesOffset + btr::kMaxEntries * m_entrySize; }

    qint64 pos = -1;
    int count = 0;
    bool changed = false;
    std::array<qint32, btr::kMaxEntries> pointers{};

    uchar* entry(int i) { return m_entries.data() + i * m_entrySize; }
    const uchar* entry(int i) const { return m_entries.data() + i * m_entrySize; }

    // Starts an empty node at `position`, marked changed.
    void reset(qint64 position);
    // Parses a whole node; false when the bytes are not a node (count out of range).
    bool parse(const QByteArray& bytes, qint64 position);
    QByteArray serialize() const;

    // Opens a gap at `at` and stores the entry there. Precondition: count < kMaxEntries.
    void insertEntry(int at, const uchar* entryBytes, qint32 pointer);
    void removeEntry(int at);
    void setEntry(int i, const uchar* entryBytes);

private:
    int m_entrySize;
    std::vector<uchar> m_entries;
};

// Result of a full structural walk.
struct BtrCheckReport {
    bool ok = true;
    QString error; // first problem found, empty when ok
    int liveNodes = 0;
    int freeNodes = 0;
    int entries = 0;                   // entries at the lowest level
    int depth = 0;                     // levels below the root (0: the root is a leaf)
    std::vector<qint64> nodePositions; // every node reached, live and free
};

class TBtrKey
{
public:
    // headerPos == -1 creates a new empty index at the current end of the
    // stream (the header and an empty root are written at once); any other
    // value opens the index whose header is at headerPos. The stream must be
    // open for reading (and writing, to change anything) and outlive this
    // object. Check openResult() before use.
    TBtrKey(QIODevice* stream, int keySize, qint64 headerPos);
    // Writes every changed node and the header (unless the index turned read-only).
    ~TBtrKey();
    TBtrKey(const TBtrKey&) = delete;
    TBtrKey& operator=(const TBtrKey&) = delete;

    int openResult() const { return m_openResult; }
    bool isReadOnly() const { return m_damaged; }
    QString lastError() const { return m_lastError; }
    qint64 headerPos() const { return m_headerPos; }
    qint64 rootPos() const { return m_root; }
    qint64 freeHead() const { return m_freeHead; }
    qint32 counter() const { return m_counter; }
    int keySize() const { return m_keySize; }
    int nodeSize() const { return btr::nodeSize(m_keySize); }

    // Search entry: ClearKey, then AddKey of the key bytes.
    void ClearKey();
    void AddKey(const void* bytes, int count);
    void setKey(qint32 key); // ClearKey + AddKey of the 4 little-endian bytes

    // Record position of the entry whose key equals the search key,
    // kNotFound (-4) or kIoError (-999).
    qint64 Find();
    int foundIndex() const { return m_foundIndex; }
    // Inserts the search key with the next sequence number. 0 or kIoError.
    int Insert(qint64 recordPos);
    // Removes the entry of the search key (nothing when absent). 0, or
    // kIoError when the index is empty or on failure.
    int Delete();
    // Writes every changed node and, if changed, the header. 0 or kIoError.
    int Flush();

    // Walks the whole tree and the free list. `onEntry` is called for every
    // lowest-level entry in order (key bytes, record position) and may reject
    // it by returning false with a message. Every position must lie inside
    // the stream; live and free nodes must not be reached twice.
    BtrCheckReport Check(const std::function<bool(const QByteArray&, qint64, QString&)>& onEntry);

    // Entry comparison of the format: 0 when the n bytes are equal, otherwise
    // the first non-zero wrapped difference of the 4-byte signed integers at
    // byte offsets 0, 1, 2, ...
    static int compareBytes(const uchar* a, const uchar* b, int n);

private:
    static constexpr int kBufferCount = 10;

    bool readHeader();
    TNodeBuf* loadNode(qint64 pos);
    bool writeNode(TNodeBuf& node);
    bool writeHeader();
    void touch(int bufferIndex);
    void dropBuffer(int bufferIndex);
    int flushAll();
    int damage(const QString& why);
    void recoverAfterFailure();
    bool validNodePos(qint64 pos) const;

    int searchNode(const TNodeBuf& node) const;
    qint64 allocateNode(std::initializer_list<qint64> busy);
    void freeNode(TNodeBuf& node);
    bool isBusy(qint64 pos, std::initializer_list<qint64> busy) const;

    // One step down the tree: loads the node at nodePos and finds the entry
    // to follow. Returns null with *status set when the depth, the node or its
    // count is damaged.
    TNodeBuf* descendStep(qint64 nodePos, int depth, int* index, int* status);
    int insertInto(qint64 nodePos, qint64 recordPos, int depth);
    int growRoot();
    struct Pair {
        TNodeBuf* parent = nullptr;
        TNodeBuf* left = nullptr;
        TNodeBuf* right = nullptr;
        qint64 leftPos = -1;
        qint64 rightPos = -1;
    };
    int loadPair(qint64 parentPos, int l, Pair& pair);
    int reloadPair(qint64 parentPos, Pair& pair);
    int childCount(qint64 parentPos, int index);
    int repairOverflow(qint64 parentPos, int c);
    int splitOnlyChild(qint64 parentPos);
    int splitPairIntoThree(qint64 parentPos, int l, int t);
    int deleteFrom(qint64 nodePos, int depth);
    int repairUnderflow(qint64 parentPos, int c);
    int mergeOrRedistribute(qint64 parentPos, int l);
    bool moveToLeftCount(TNodeBuf& left, TNodeBuf& right, int leftTarget);
    bool balanceTo(TNodeBuf& left, TNodeBuf& right, int k);

    QIODevice* m_stream;
    int m_keySize;
    int m_entrySize;
    std::array<TNodeBuf, kBufferCount> m_buffers;
    std::array<int, kBufferCount> m_order{}; // buffer indices, most recently used first
    bool m_headerChanged = false;
    qint64 m_root = -1;
    qint64 m_freeHead = -1;
    qint32 m_counter = 0;
    qint64 m_headerPos = -1;
    QByteArray m_search;
    int m_searchFilled = 0;
    int m_foundIndex = -1;
    bool m_damaged = false;
    bool m_rootRepaired = false;
    int m_openResult = btr::kOk;
    QString m_lastError;
    std::vector<qint64> m_path; // nodes on the way down in the running operation
};

} // namespace nox
