#include "store/btrkeys.h"

#include <QIODevice>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <set>

namespace nox
{

using namespace btr;

namespace
{

qint32 readInt(const uchar* p)
{
    return qFromLittleEndian<qint32>(p);
}
void writeInt(uchar* p, qint32 v)
{
    qToLittleEndian<qint32>(v, p);
}

// Reads only inside the stream: seeking past the end would make some devices
// (QBuffer) grow to that size.
bool readAt(QIODevice* stream, qint64 pos, char* data, qint64 size)
{
    if (pos < 0 || size < 0 || pos > stream->size() - size || !stream->seek(pos)) {
        return false;
    }
    return stream->read(data, size) == size;
}

bool writeAt(QIODevice* stream, qint64 pos, const char* data, qint64 size)
{
    if (pos < 0 || pos > stream->size() || pos + size > kMaxFilePos || !stream->seek(pos)) {
        return false;
    }
    return stream->write(data, size) == size;
}

} // namespace

// ---------------------------------------------------------------- TNodeBuf

TNodeBuf::TNodeBuf(int entrySize) : m_entrySize(entrySize), m_entries(size_t(kMaxEntries) * entrySize, 0) {}

void TNodeBuf::reset(qint64 position)
{
    pos = position;
    count = 0;
    pointers.fill(0);
    std::fill(m_entries.begin(), m_entries.end(), 0);
    changed = true;
}

bool TNodeBuf::parse(const QByteArray& bytes, qint64 position)
{
    if (bytes.size() != nodeSize()) {
        return false;
    }
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
    const qint32 n = readInt(p + kNodeCountOffset);
    if (n < 0 || n > kMaxEntries) {
        return false;
    }
    for (int i = 0; i < kMaxEntries; ++i) {
        pointers[i] = readInt(p + kNodePointersOffset + 4 * i);
    }
    std::memcpy(m_entries.data(), p + kNodeEntriesOffset, m_entries.size());
    count = n;
    pos = position;
    changed = false;
    return true;
}

QByteArray TNodeBuf::serialize() const
{
    QByteArray bytes(nodeSize(), '\0');
    auto* p = reinterpret_cast<uchar*>(bytes.data());
    writeInt(p + kNodeCountOffset, count);
    for (int i = 0; i < kMaxEntries; ++i) {
        writeInt(p + kNodePointersOffset + 4 * i, pointers[i]);
    }
    std::memcpy(p + kNodeEntriesOffset, m_entries.data(), m_entries.size());
    return bytes;
}

void TNodeBuf::insertEntry(int at, const uchar* entryBytes, qint32 pointer)
{
    Q_ASSERT(count < kMaxEntries && at >= 0 && at <= count);
    std::memmove(entry(at + 1), entry(at), size_t(count - at) * m_entrySize);
    std::memmove(&pointers[at + 1], &pointers[at], size_t(count - at) * sizeof(qint32));
    std::memcpy(entry(at), entryBytes, m_entrySize);
    pointers[at] = pointer;
    ++count;
    changed = true;
}

void TNodeBuf::removeEntry(int at)
{
    Q_ASSERT(at >= 0 && at < count);
    std::memmove(entry(at), entry(at + 1), size_t(count - at - 1) * m_entrySize);
    std::memmove(&pointers[at], &pointers[at + 1], size_t(count - at - 1) * sizeof(qint32));
    --count;
    std::memset(entry(count), 0, m_entrySize);
    pointers[count] = 0;
    changed = true;
}

void TNodeBuf::setEntry(int i, const uchar* entryBytes)
{
    std::memmove(entry(i), entryBytes, m_entrySize);
    changed = true;
}

// ---------------------------------------------------------------- TBtrKey

int TBtrKey::compareBytes(const uchar* a, const uchar* b, int n)
{
    if (std::memcmp(a, b, n) == 0) {
        return 0;
    }
    for (int i = 0; i + 4 <= n; ++i) {
        const quint32 d = quint32(readInt(a + i)) - quint32(readInt(b + i));
        if (d != 0) {
            return qint32(d) < 0 ? -1 : 1;
        }
    }
    return 0; // not reached for n >= 4: some 4-byte window covers the first difference
}

TBtrKey::TBtrKey(QIODevice* stream, int keySize, qint64 headerPos)
    : m_stream(stream), m_keySize(std::clamp(keySize, kMinKeySize, kMaxKeySize)),
      m_entrySize(btr::entrySize(m_keySize)), m_search(m_entrySize, '\0')
{
    for (int i = 0; i < kBufferCount; ++i) {
        m_buffers[i] = TNodeBuf(m_entrySize);
        m_order[i] = i;
    }
    if (keySize != m_keySize || !m_stream || !m_stream->isOpen()) {
        m_openResult = damage(QStringLiteral("invalid key size or stream"));
        return;
    }
    if (headerPos == -1) {
        m_headerPos = m_stream->size();
        m_root = m_headerPos + kIndexHeaderSize;
        m_freeHead = -1;
        m_counter = 0;
        TNodeBuf& root = m_buffers[m_order[0]];
        root.reset(m_root);
        // The header first: the root follows it directly.
        m_openResult = writeHeader() ? flushAll() : damage(QStringLiteral("cannot write the index header"));
        return;
    }
    m_headerPos = headerPos;
    if (!readHeader()) {
        m_openResult = damage(QStringLiteral("the index header cannot be read"));
        return;
    }
    m_openResult = loadNode(m_root) ? kOk : kIoError;
}

TBtrKey::~TBtrKey()
{
    if (!m_damaged) {
        flushAll();
    }
}

bool TBtrKey::readHeader()
{
    uchar h[kIndexHeaderSize];
    if (m_headerPos < 0 || !readAt(m_stream, m_headerPos, reinterpret_cast<char*>(h), kIndexHeaderSize)) {
        return false;
    }
    m_root = readInt(h + kIndexRootOffset);
    m_freeHead = readInt(h + kIndexFreeOffset);
    m_counter = readInt(h + kIndexCounterOffset);
    m_headerChanged = false;
    return true;
}

bool TBtrKey::writeHeader()
{
    uchar h[kIndexHeaderSize];
    writeInt(h + kIndexRootOffset, qint32(m_root));
    writeInt(h + kIndexFreeOffset, qint32(m_freeHead));
    writeInt(h + kIndexCounterOffset, m_counter);
    if (!writeAt(m_stream, m_headerPos, reinterpret_cast<const char*>(h), kIndexHeaderSize)) {
        return false;
    }
    m_headerChanged = false;
    return true;
}

bool TBtrKey::validNodePos(qint64 pos) const
{
    return pos >= m_headerPos + kIndexHeaderSize && pos + nodeSize() <= kMaxFilePos;
}

void TBtrKey::touch(int bufferIndex)
{
    auto it = std::find(m_order.begin(), m_order.end(), bufferIndex);
    std::rotate(m_order.begin(), it, it + 1);
}

void TBtrKey::dropBuffer(int bufferIndex)
{
    // An empty buffer goes to the back: the flush walk stops at the first one.
    m_buffers[bufferIndex].pos = -1;
    m_buffers[bufferIndex].changed = false;
    auto it = std::find(m_order.begin(), m_order.end(), bufferIndex);
    std::rotate(it, it + 1, m_order.end());
}

bool TBtrKey::writeNode(TNodeBuf& node)
{
    const QByteArray bytes = node.serialize();
    if (!writeAt(m_stream, node.pos, bytes.constData(), bytes.size())) {
        return false;
    }
    node.changed = false;
    return true;
}

TNodeBuf* TBtrKey::loadNode(qint64 pos)
{
    for (int idx : m_order) {
        if (m_buffers[idx].pos == pos && pos >= 0) {
            touch(idx);
            return &m_buffers[idx];
        }
    }
    if (!validNodePos(pos)) {
        damage(QStringLiteral("node position %1 out of range").arg(pos));
        return nullptr;
    }
    const int idx = m_order[kBufferCount - 1];
    TNodeBuf& buf = m_buffers[idx];
    if (buf.pos >= 0 && buf.changed && !writeNode(buf)) {
        damage(QStringLiteral("cannot write the node at %1").arg(buf.pos));
        return nullptr;
    }
    QByteArray bytes(nodeSize(), '\0');
    if (!readAt(m_stream, pos, bytes.data(), bytes.size())) {
        dropBuffer(idx);
        damage(QStringLiteral("node at %1 lies past the end of the file").arg(pos));
        return nullptr;
    }
    if (!buf.parse(bytes, pos)) {
        dropBuffer(idx);
        damage(QStringLiteral("node at %1 has an impossible entry count").arg(pos));
        return nullptr;
    }
    touch(idx);
    return &buf;
}

int TBtrKey::flushAll()
{
    if (m_damaged) {
        return kIoError;
    }
    for (int idx : m_order) {
        TNodeBuf& buf = m_buffers[idx];
        if (buf.pos < 0) {
            break;
        }
        if (buf.changed && !writeNode(buf)) {
            return damage(QStringLiteral("cannot write the node at %1").arg(buf.pos));
        }
    }
    if (m_headerChanged && !writeHeader()) {
        return damage(QStringLiteral("cannot write the index header"));
    }
    return kOk;
}

int TBtrKey::Flush()
{
    return flushAll();
}

int TBtrKey::damage(const QString& why)
{
    if (!m_damaged) {
        m_lastError = why;
    }
    m_damaged = true;
    return kIoError;
}

void TBtrKey::recoverAfterFailure()
{
    // Drop what the failed operation changed and go back to the stored
    // header, so reads see the file as it is and nothing gets written.
    for (int i = 0; i < kBufferCount; ++i) {
        if (m_buffers[i].changed) {
            dropBuffer(i);
        }
    }
    readHeader();
}

void TBtrKey::ClearKey()
{
    m_search.fill('\0');
    m_searchFilled = 0;
}

void TBtrKey::AddKey(const void* bytes, int count)
{
    const int n = std::clamp(count, 0, m_keySize - m_searchFilled);
    std::memcpy(m_search.data() + m_searchFilled, bytes, n);
    m_searchFilled += n;
}

void TBtrKey::setKey(qint32 key)
{
    uchar b[4];
    writeInt(b, key);
    ClearKey();
    AddKey(b, 4);
}

int TBtrKey::searchNode(const TNodeBuf& node) const
{
    const auto* key = reinterpret_cast<const uchar*>(m_search.constData());
    int lo = 1;
    int hi = node.count - 1;
    while (hi >= lo) {
        const int mid = (lo + hi) / 2;
        if (compareBytes(key, node.entry(mid), m_keySize) < 0) {
            hi = mid - 1;
        } else {
            lo = mid + 1;
        }
    }
    return node.count == 0 ? -1 : hi;
}

qint64 TBtrKey::Find()
{
    m_foundIndex = -1;
    qint64 pos = m_root;
    for (int depth = 0; depth <= kMaxDepth; ++depth) {
        const TNodeBuf* node = loadNode(pos);
        if (!node) {
            return kIoError;
        }
        const int i = searchNode(*node);
        if (i < 0) {
            return depth == 0 ? kNotFound : damage(QStringLiteral("empty inner node at %1").arg(pos));
        }
        const qint32 p = node->pointers[i];
        if (p > 0) {
            pos = p;
            continue;
        }
        if (compareBytes(reinterpret_cast<const uchar*>(m_search.constData()), node->entry(i), m_keySize) !=
            0) {
            return kNotFound;
        }
        m_foundIndex = i;
        return -qint64(p);
    }
    return damage(QStringLiteral("the tree is deeper than %1 levels (a cycle?)").arg(kMaxDepth));
}

bool TBtrKey::isBusy(qint64 pos, std::initializer_list<qint64> busy) const
{
    return pos == m_root || std::find(m_path.begin(), m_path.end(), pos) != m_path.end() ||
           std::find(busy.begin(), busy.end(), pos) != busy.end();
}

qint64 TBtrKey::allocateNode(std::initializer_list<qint64> busy)
{
    if (m_freeHead > 0) {
        const qint64 pos = m_freeHead;
        if (isBusy(pos, busy)) {
            return damage(QStringLiteral("the free list points at a node in use (%1)").arg(pos));
        }
        TNodeBuf* node = loadNode(pos);
        if (!node) {
            return kIoError;
        }
        if (node->count != 0) {
            return damage(QStringLiteral("free node at %1 is not empty").arg(pos));
        }
        m_freeHead = node->pointers[0];
        node->reset(pos);
        m_headerChanged = true;
        return pos;
    }
    const int idx = m_order[kBufferCount - 1];
    if (m_buffers[idx].pos >= 0 && m_buffers[idx].changed && !writeNode(m_buffers[idx])) {
        return damage(QStringLiteral("cannot write the node at %1").arg(m_buffers[idx].pos));
    }
    if (flushAll() != kOk) {
        return kIoError;
    }
    const qint64 pos = m_stream->size();
    if (!validNodePos(pos)) {
        return damage(QStringLiteral("the file is full"));
    }
    m_buffers[idx].reset(pos);
    touch(idx);
    m_headerChanged = true;
    return pos;
}

void TBtrKey::freeNode(TNodeBuf& node)
{
    node.count = 0;
    node.pointers.fill(0);
    node.pointers[0] = qint32(m_freeHead);
    node.changed = true;
    m_freeHead = node.pos;
    m_headerChanged = true;
}

int TBtrKey::Insert(qint64 recordPos)
{
    if (m_damaged) {
        return kIoError;
    }
    if (recordPos <= 0 || recordPos > kMaxFilePos) {
        m_lastError = QStringLiteral("invalid record position");
        return kIoError;
    }
    writeInt(reinterpret_cast<uchar*>(m_search.data()) + m_keySize, m_counter);
    TNodeBuf* root = loadNode(m_root);
    if (!root) {
        recoverAfterFailure();
        return kIoError;
    }
    int r = kOk;
    if (root->count == 0) {
        root->insertEntry(0, reinterpret_cast<const uchar*>(m_search.constData()), qint32(-recordPos));
    } else {
        m_path.clear();
        r = insertInto(m_root, recordPos, 0);
        if (r == kRepair) {
            r = growRoot();
        }
        if (r == kOk) {
            // The stored counter can hold any value; it wraps like the
            // 32-bit field it is.
            m_counter = qint32(quint32(m_counter) + 1u);
            m_headerChanged = true;
        }
    }
    m_path.clear();
    if (r != kOk || flushAll() != kOk) {
        recoverAfterFailure();
        return kIoError;
    }
    return kOk;
}

// The root overflowed: a new root with one entry (a copy of the old root's
// entry 0) takes the old root as its only child, which is then split.
int TBtrKey::growRoot()
{
    const qint64 oldRoot = m_root;
    const qint64 newRoot = allocateNode({oldRoot});
    TNodeBuf* fresh = newRoot > 0 ? loadNode(newRoot) : nullptr;
    const TNodeBuf* old = fresh ? loadNode(oldRoot) : nullptr;
    fresh = old ? loadNode(newRoot) : nullptr;
    if (!fresh) {
        return kIoError;
    }
    fresh->insertEntry(0, old->entry(0), qint32(oldRoot));
    m_root = newRoot;
    m_headerChanged = true;
    return repairOverflow(newRoot, 0);
}

TNodeBuf* TBtrKey::descendStep(qint64 nodePos, int depth, int* index, int* status)
{
    if (depth > kMaxDepth) {
        *status = damage(QStringLiteral("the tree is deeper than %1 levels (a cycle?)").arg(kMaxDepth));
        return nullptr;
    }
    TNodeBuf* node = loadNode(nodePos);
    if (!node) {
        *status = kIoError;
        return nullptr;
    }
    *index = searchNode(*node);
    if (*index < 0) {
        *status = damage(QStringLiteral("empty inner node at %1").arg(nodePos));
        return nullptr;
    }
    return node;
}

int TBtrKey::insertInto(qint64 nodePos, qint64 recordPos, int depth)
{
    int i = -1;
    int status = kOk;
    TNodeBuf* node = descendStep(nodePos, depth, &i, &status);
    if (!node) {
        return status;
    }
    const qint32 p = node->pointers[i];
    if (p <= 0) {
        if (node->count >= kMaxEntries) {
            return damage(QStringLiteral("full node at %1").arg(nodePos));
        }
        const auto* e = reinterpret_cast<const uchar*>(m_search.constData());
        const int at = (i == 0 && compareBytes(e, node->entry(0), m_entrySize) < 0) ? 0 : i + 1;
        node->insertEntry(at, e, qint32(-recordPos));
        return node->count >= kMaxEntries ? kRepair : kOk;
    }
    if (p == nodePos || std::find(m_path.begin(), m_path.end(), qint64(p)) != m_path.end()) {
        return damage(QStringLiteral("cycle through the node at %1").arg(p));
    }
    m_path.push_back(nodePos);
    int r = insertInto(p, recordPos, depth + 1);
    m_path.pop_back();
    if (r == kRepair) {
        r = repairOverflow(nodePos, i);
    }
    return r;
}

bool TBtrKey::moveToLeftCount(TNodeBuf& left, TNodeBuf& right, int leftTarget)
{
    const int total = left.count + right.count;
    if (leftTarget < 0 || leftTarget > kMaxEntries || total - leftTarget > kMaxEntries) {
        return false;
    }
    while (left.count < leftTarget) { // front of the right node to the end of the left
        left.insertEntry(left.count, right.entry(0), right.pointers[0]);
        right.removeEntry(0);
    }
    while (left.count > leftTarget) { // end of the left node to the front of the right
        const int last = left.count - 1;
        right.insertEntry(0, left.entry(last), left.pointers[last]);
        left.removeEntry(last);
    }
    return true;
}

bool TBtrKey::balanceTo(TNodeBuf& left, TNodeBuf& right, int k)
{
    if (left.count < k) {
        return moveToLeftCount(left, right, k);
    }
    if (right.count < k) {
        return moveToLeftCount(left, right, left.count + right.count - k);
    }
    return true;
}

// Loads the parent and its children l and l + 1, all distinct; on success the
// three pointers stay valid until the next load or allocation.
int TBtrKey::loadPair(qint64 parentPos, int l, Pair& pair)
{
    TNodeBuf* parent = loadNode(parentPos);
    if (!parent) {
        return kIoError;
    }
    if (l < 0 || l + 1 >= parent->count) {
        return damage(QStringLiteral("bad child index in the node at %1").arg(parentPos));
    }
    pair.leftPos = parent->pointers[l];
    pair.rightPos = parent->pointers[l + 1];
    if (pair.leftPos <= 0 || pair.rightPos <= 0 || pair.leftPos == pair.rightPos ||
        pair.leftPos == parentPos || pair.rightPos == parentPos) {
        return damage(QStringLiteral("bad children in the node at %1").arg(parentPos));
    }
    return reloadPair(parentPos, pair);
}

int TBtrKey::reloadPair(qint64 parentPos, Pair& pair)
{
    // A load replaces only the least recently used buffer, never one of the
    // two just loaded, so all three pointers hold afterwards.
    pair.left = loadNode(pair.leftPos);
    pair.right = pair.left ? loadNode(pair.rightPos) : nullptr;
    pair.parent = pair.right ? loadNode(parentPos) : nullptr;
    return pair.parent ? kOk : kIoError;
}

// Entry count of child `index` of the parent, or -1 after damage.
int TBtrKey::childCount(qint64 parentPos, int index)
{
    const TNodeBuf* parent = loadNode(parentPos);
    if (!parent) {
        return -1;
    }
    const qint64 pos = index >= 0 && index < parent->count ? parent->pointers[index] : 0;
    if (pos <= 0 || pos == parentPos) {
        damage(QStringLiteral("bad child in the node at %1").arg(parentPos));
        return -1;
    }
    const TNodeBuf* child = loadNode(pos);
    return child ? child->count : -1;
}

int TBtrKey::repairOverflow(qint64 parentPos, int c)
{
    TNodeBuf* parent = loadNode(parentPos);
    if (!parent) {
        return kIoError;
    }
    const int n = parent->count;
    if (c < 0 || c >= n || parent->pointers[c] <= 0) {
        return damage(QStringLiteral("bad child index in the node at %1").arg(parentPos));
    }
    if (n == 1) {
        return splitOnlyChild(parentPos);
    }
    // The neighbour: right of the first child, left of the last, else the
    // one with fewer entries (right on a tie).
    int l = c;
    if (c == n - 1) {
        l = c - 1;
    } else if (c > 0) {
        const int before = childCount(parentPos, c - 1);
        const int after = before < 0 ? -1 : childCount(parentPos, c + 1);
        if (after < 0) {
            return kIoError;
        }
        l = before < after ? c - 1 : c;
    }
    Pair pair;
    if (loadPair(parentPos, l, pair) != kOk) {
        return kIoError;
    }
    const int t = pair.left->count + pair.right->count + 1;
    if (t >= 2 * kMaxEntries) {
        return splitPairIntoThree(parentPos, l, t);
    }
    if (!balanceTo(*pair.left, *pair.right, t / 2) || pair.right->count == 0) {
        return damage(QStringLiteral("cannot balance the nodes at %1").arg(pair.leftPos));
    }
    pair.parent->setEntry(l + 1, pair.right->entry(0));
    return pair.parent->count >= kMaxEntries ? kRepair : kOk;
}

// The parent's single child overflowed: half of it moves to a new right sibling.
int TBtrKey::splitOnlyChild(qint64 parentPos)
{
    const qint64 childPos = loadNode(parentPos)->pointers[0];
    const qint64 newPos = allocateNode({parentPos, childPos});
    if (newPos <= 0) {
        return kIoError;
    }
    Pair pair;
    pair.leftPos = childPos;
    pair.rightPos = newPos;
    if (reloadPair(parentPos, pair) != kOk) {
        return kIoError;
    }
    if (!balanceTo(*pair.left, *pair.right, (pair.left->count + 1) / 2) || pair.right->count == 0) {
        return damage(QStringLiteral("cannot split the node at %1").arg(childPos));
    }
    pair.parent->insertEntry(1, pair.right->entry(0), qint32(newPos));
    return pair.parent->count >= kMaxEntries ? kRepair : kOk;
}

// Both nodes of the pair are nearly full: the last t / 3 entries of the right
// node go to a new node after it, then the pair balances to t / 3.
int TBtrKey::splitPairIntoThree(qint64 parentPos, int l, int t)
{
    Pair pair;
    if (loadPair(parentPos, l, pair) != kOk) {
        return kIoError;
    }
    if (pair.parent->count >= kMaxEntries) {
        return damage(QStringLiteral("full node at %1").arg(parentPos));
    }
    const qint64 newPos = allocateNode({parentPos, pair.leftPos, pair.rightPos});
    TNodeBuf* fresh = newPos > 0 ? loadNode(newPos) : nullptr;
    if (!fresh || reloadPair(parentPos, pair) != kOk) {
        return kIoError;
    }
    fresh = loadNode(newPos);
    if (!moveToLeftCount(*pair.right, *fresh, pair.right->count - t / 3) ||
        !balanceTo(*pair.left, *pair.right, t / 3) || pair.right->count == 0 || fresh->count == 0) {
        return damage(QStringLiteral("cannot split the nodes at %1").arg(pair.leftPos));
    }
    pair.parent->insertEntry(l + 2, fresh->entry(0), qint32(newPos));
    pair.parent->setEntry(l + 1, pair.right->entry(0));
    return pair.parent->count >= kMaxEntries ? kRepair : kOk;
}

int TBtrKey::Delete()
{
    if (m_damaged) {
        return kIoError;
    }
    TNodeBuf* root = loadNode(m_root);
    if (!root) {
        recoverAfterFailure();
        return kIoError;
    }
    if (root->count == 0) {
        return kIoError; // nothing to delete from
    }
    m_path.clear();
    m_rootRepaired = false;
    int r = deleteFrom(m_root, 0);
    if (r == kRepair) {
        r = kOk; // the root may hold few entries
    }
    if (r == kOk && m_rootRepaired) {
        root = loadNode(m_root);
        if (!root) {
            r = kIoError;
        } else if (root->count == 1 && root->pointers[0] > 0) {
            const qint64 child = root->pointers[0];
            freeNode(*root);
            m_root = child;
            m_headerChanged = true;
        }
    }
    m_path.clear();
    if (r != kOk || flushAll() != kOk) {
        recoverAfterFailure();
        return kIoError;
    }
    return kOk;
}

int TBtrKey::deleteFrom(qint64 nodePos, int depth)
{
    int i = -1;
    int status = kOk;
    TNodeBuf* node = descendStep(nodePos, depth, &i, &status);
    if (!node) {
        return status;
    }
    const qint32 p = node->pointers[i];
    if (p <= 0) {
        if (compareBytes(reinterpret_cast<const uchar*>(m_search.constData()), node->entry(i), m_keySize) !=
            0) {
            return kOk;
        }
        node->removeEntry(i);
        return node->count < kUnderflowBelow ? kRepair : kOk;
    }
    if (p == nodePos || std::find(m_path.begin(), m_path.end(), qint64(p)) != m_path.end()) {
        return damage(QStringLiteral("cycle through the node at %1").arg(p));
    }
    m_path.push_back(nodePos);
    int r = deleteFrom(p, depth + 1);
    m_path.pop_back();
    if (r == kRepair) {
        if (nodePos == m_root) {
            m_rootRepaired = true;
        }
        r = repairUnderflow(nodePos, i);
    }
    return r;
}

int TBtrKey::repairUnderflow(qint64 parentPos, int c)
{
    TNodeBuf* parent = loadNode(parentPos);
    if (!parent) {
        return kIoError;
    }
    const int n = parent->count;
    if (n < 2) {
        return n < kUnderflowBelow ? kRepair : kOk; // no sibling to take from
    }
    const int own = childCount(parentPos, c);
    if (own < 0) {
        return kIoError;
    }
    // The neighbour: right of the first child, left of the last, else the
    // one with more entries (right on a tie).
    int l = c;
    if (n == 2) {
        const int other = childCount(parentPos, 1 - c);
        if (other < 0) {
            return kIoError;
        }
        if (own + other > 66 && own + other < kMaxEntries) {
            return kOk; // two children that together fill a node well enough
        }
        l = 0;
    } else if (c == n - 1) {
        l = c - 1;
    } else if (c > 0) {
        const int before = childCount(parentPos, c - 1);
        const int after = before < 0 ? -1 : childCount(parentPos, c + 1);
        if (after < 0) {
            return kIoError;
        }
        l = before > after ? c - 1 : c;
    }
    return mergeOrRedistribute(parentPos, l);
}

int TBtrKey::mergeOrRedistribute(qint64 parentPos, int l)
{
    Pair pair;
    if (loadPair(parentPos, l, pair) != kOk) {
        return kIoError;
    }
    const int total = pair.left->count + pair.right->count;
    if (total <= kMaxEntries - 2) {
        moveToLeftCount(*pair.left, *pair.right, total);
        freeNode(*pair.right);
        pair.parent->removeEntry(l + 1);
    } else {
        if (!moveToLeftCount(*pair.left, *pair.right, total / 2) || pair.right->count == 0) {
            return damage(QStringLiteral("cannot balance the nodes at %1").arg(pair.leftPos));
        }
        pair.parent->setEntry(l + 1, pair.right->entry(0));
    }
    return pair.parent->count < kUnderflowBelow ? kRepair : kOk;
}

// ---------------------------------------------------------------- Check

namespace
{

struct Walker {
    TBtrKey& index;
    QIODevice* stream;
    qint64 fileSize;
    const std::function<bool(const QByteArray&, qint64, QString&)>& onEntry;
    BtrCheckReport& report;
    std::set<qint64> seen;
    int leafDepth = -1;
    QByteArray lastKey;
    bool haveLastKey = false;

    bool fail(const QString& why)
    {
        if (report.ok) {
            report.ok = false;
            report.error = why;
        }
        return false;
    }

    bool readNode(qint64 pos, TNodeBuf& node)
    {
        if (pos < index.headerPos() + kIndexHeaderSize || pos + index.nodeSize() > fileSize) {
            return fail(QStringLiteral("node position %1 out of range").arg(pos));
        }
        if (!seen.insert(pos).second) {
            return fail(QStringLiteral("node at %1 is reached twice (cycle or shared node)").arg(pos));
        }
        QByteArray bytes(index.nodeSize(), '\0');
        if (!readAt(stream, pos, bytes.data(), bytes.size())) {
            return fail(QStringLiteral("node at %1 cannot be read").arg(pos));
        }
        if (!node.parse(bytes, pos)) {
            return fail(QStringLiteral("node at %1 has an impossible entry count").arg(pos));
        }
        return true;
    }

    int keyCompare(const uchar* a, const uchar* b) { return TBtrKey::compareBytes(a, b, index.keySize()); }

    // lower: key bytes every entry must not be below (null: none).
    bool walk(qint64 pos, int depth, const QByteArray& lower, const QByteArray& upper)
    {
        if (depth > kMaxDepth) {
            return fail(QStringLiteral("the tree is deeper than %1 levels").arg(kMaxDepth));
        }
        TNodeBuf node(btr::entrySize(index.keySize()));
        if (!readNode(pos, node)) {
            return false;
        }
        ++report.liveNodes;
        const bool isRoot = depth == 0;
        if (node.count >= kMaxEntries) {
            return fail(QStringLiteral("node at %1 holds %2 entries").arg(pos).arg(node.count));
        }
        if (node.count == 0 && !isRoot) {
            return fail(QStringLiteral("node at %1 is empty").arg(pos));
        }
        const bool inner = node.count > 0 && node.pointers[0] > 0;
        if (!checkEntries(node, inner, lower, upper)) {
            return false;
        }
        report.depth = std::max(report.depth, depth);
        if (!inner) {
            return walkLeaf(node, depth);
        }
        for (int i = 0; i < node.count; ++i) {
            const QByteArray lo =
                i == 0 ? lower : QByteArray(reinterpret_cast<const char*>(node.entry(i)), index.keySize());
            const QByteArray hi =
                i + 1 < node.count
                    ? QByteArray(reinterpret_cast<const char*>(node.entry(i + 1)), index.keySize())
                    : upper;
            if (!walk(node.pointers[i], depth + 1, lo, hi)) {
                return false;
            }
        }
        return true;
    }

    // Entries ascend and stay within the bounds the parent's separators set.
    bool checkEntries(const TNodeBuf& node, bool inner, const QByteArray& lower, const QByteArray& upper)
    {
        const auto* lo = reinterpret_cast<const uchar*>(lower.constData());
        const auto* hi = reinterpret_cast<const uchar*>(upper.constData());
        for (int i = 0; i < node.count; ++i) {
            if ((node.pointers[i] > 0) != inner) {
                return fail(QStringLiteral("node at %1 mixes children and records").arg(node.pos));
            }
            // Entry 0 of an inner node counts as lower than every key; its
            // bytes are a stale copy and take part in no order.
            if (inner && i == 0) {
                continue;
            }
            const uchar* key = node.entry(i);
            if (i > (inner ? 1 : 0) && keyCompare(node.entry(i - 1), key) > 0) {
                return fail(QStringLiteral("entries out of order in the node at %1").arg(node.pos));
            }
            if (!lower.isEmpty() && keyCompare(key, lo) < 0) {
                return fail(QStringLiteral("entry below its separator in the node at %1").arg(node.pos));
            }
            if (!upper.isEmpty() && keyCompare(key, hi) > 0) {
                return fail(QStringLiteral("entry above the next separator in the node at %1").arg(node.pos));
            }
        }
        return true;
    }

    bool walkLeaf(const TNodeBuf& node, int depth)
    {
        if (node.count > 0) {
            if (leafDepth >= 0 && leafDepth != depth) {
                return fail(QStringLiteral("leaves at different depths (node at %1)").arg(node.pos));
            }
            leafDepth = depth;
        }
        for (int i = 0; i < node.count; ++i) {
            const QByteArray key(reinterpret_cast<const char*>(node.entry(i)), index.keySize());
            if (haveLastKey && keyCompare(reinterpret_cast<const uchar*>(lastKey.constData()),
                                          reinterpret_cast<const uchar*>(key.constData())) > 0) {
                return fail(QStringLiteral("keys out of order at the node at %1").arg(node.pos));
            }
            lastKey = key;
            haveLastKey = true;
            ++report.entries;
            QString why;
            if (onEntry && !onEntry(key, -qint64(node.pointers[i]), why)) {
                return fail(why);
            }
        }
        return true;
    }

    bool walkFreeList(qint64 head)
    {
        qint64 pos = head;
        while (pos > 0) {
            TNodeBuf node(btr::entrySize(index.keySize()));
            if (!readNode(pos, node)) {
                report.error.prepend(QStringLiteral("free list: "));
                return false;
            }
            if (node.count != 0) {
                return fail(QStringLiteral("free node at %1 is not empty").arg(pos));
            }
            ++report.freeNodes;
            pos = node.pointers[0];
        }
        return true;
    }
};

} // namespace

BtrCheckReport TBtrKey::Check(const std::function<bool(const QByteArray&, qint64, QString&)>& onEntry)
{
    BtrCheckReport report;
    if (!m_damaged && flushAll() != kOk) {
        report.ok = false;
        report.error = m_lastError;
        return report;
    }
    // Check what is stored, not what a failed operation left in memory.
    const qint64 root = m_root;
    const qint64 freeHead = m_freeHead;
    Walker w{*this, m_stream, m_stream->size(), onEntry, report, {}, -1, {}, false};
    if (w.walk(root, 0, {}, {})) {
        w.walkFreeList(freeHead);
    }
    report.nodePositions.assign(w.seen.begin(), w.seen.end());
    return report;
}

} // namespace nox
