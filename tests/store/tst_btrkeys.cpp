// The keyed record file: byte layout, B-tree shape rules, a differential run
// against std::map, and one test per kind of byte-level damage.
#include "store/recordfile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <map>

#include "../common/scratchdir.h"

using namespace nox;
using namespace nox::btr;

namespace
{

qint32 int32At(const QByteArray& bytes, qint64 pos)
{
    return qFromLittleEndian<qint32>(bytes.constData() + pos);
}

void putInt32(QByteArray& bytes, qint64 pos, qint32 v)
{
    qToLittleEndian<qint32>(v, bytes.data() + pos);
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray text(int key, int length)
{
    return QByteArray(length, char('a' + (key & 15)));
}

// Reads one node of the file.
struct Node {
    int count = 0;
    QList<qint32> pointers;
    QList<qint32> keys;
};

Node nodeAt(const QByteArray& bytes, qint64 pos)
{
    Node n;
    n.count = int32At(bytes, pos);
    for (int i = 0; i < n.count && i < kMaxEntries; ++i) {
        n.pointers << int32At(bytes, pos + kNodePointersOffset + 4 * i);
        n.keys << int32At(bytes, pos + kNodeEntriesOffset + 8 * i);
    }
    return n;
}

qint32 rootOf(const QByteArray& bytes)
{
    return int32At(bytes, kMemoIndexHeaderPos + kIndexRootOffset);
}

} // namespace

class TstBtrKeys : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir{memoryBackedTemplate()};
    QString path(const QString& name) const { return m_dir.filePath(name); }

    // A file with the keys 1..n, each holding a 10-byte text.
    QString filledFile(const QString& name, int n)
    {
        const QString p = path(name);
        static_cast<void>(RecordFile::create(p));
        RecordFile f;
        f.open(p);
        for (int k = 1; k <= n; ++k) {
            f.write(k, text(k, 10));
        }
        return p;
    }

private slots:
    void freshFileLayout()
    {
        const QString p = path("fresh.nox");
        QVERIFY(RecordFile::create(p).ok());
        const QByteArray b = fileBytes(p);
        QCOMPARE(b.size(), 1232);
        QCOMPARE(int32At(b, 0), 100);
        QCOMPARE(int32At(b, 4), 0);
        const double created = qFromLittleEndian<double>(b.constData() + 8);
        const double today = QDate(1899, 12, 30).daysTo(QDate::currentDate());
        QVERIFY(created >= today - 1 && created < today + 2);
        QCOMPARE(int32At(b, 16), 28); // root
        QCOMPARE(int32At(b, 20), -1); // free list
        QCOMPARE(int32At(b, 24), 0);  // counter
        QCOMPARE(int32At(b, 28), 0);  // empty root
        QVERIFY(RecordFile::checkFile(p).ok);
    }

    void createFailsInMissingFolder()
    {
        QCOMPARE(RecordFile::create(path("no/such/folder/x.nox")).code(), StatusCode::Failed);
        RecordFile f;
        QCOMPARE(f.open(path("missing.nox")), kOpenFailed);
        QVERIFY(!QFileInfo::exists(path("missing.nox"))); // a failed open creates nothing
    }

    void entryComparisonWrapsAtEachOffset()
    {
        auto cmp = [](qint32 a, qint32 b) {
            uchar x[4], y[4];
            qToLittleEndian(a, x);
            qToLittleEndian(b, y);
            return TBtrKey::compareBytes(x, y, 4);
        };
        QCOMPARE(cmp(5, 5), 0);
        QCOMPARE(cmp(-3, 2), -1);
        QCOMPARE(cmp(37685, 37684), 1);
        QCOMPARE(cmp(0x7fffffff, -1), -1); // the wrapped difference is negative
        // Same key, sequence numbers 0 and 255: the window at byte 1 reads the
        // low sequence byte as its top byte, so 0 sorts after 255.
        const uchar a[8] = {1, 0, 0, 0, 0, 0, 0, 0};
        const uchar b[8] = {1, 0, 0, 0, 0xff, 0, 0, 0};
        QCOMPARE(TBtrKey::compareBytes(a, b, 8), 1);
        const uchar c[8] = {1, 0, 0, 0, 1, 0, 0, 0};
        const uchar d[8] = {1, 0, 0, 0, 2, 0, 0, 0};
        QCOMPARE(TBtrKey::compareBytes(c, d, 8), -1);
    }

    void recordsInPlaceOrAppended()
    {
        const QString p = path("records.nox");
        static_cast<void>(RecordFile::create(p));
        RecordFile f;
        QCOMPARE(f.open(p), kOk);
        QCOMPARE(f.write(37685, "hello world"), kOk);
        const qint64 afterFirst = QFileInfo(p).size();
        QCOMPARE(afterFirst, 1232 + 8 + 11);
        QCOMPARE(f.write(37685, "short"), kOk); // fits: overwritten in place
        QCOMPARE(QFileInfo(p).size(), afterFirst);
        QByteArray t;
        QCOMPARE(f.read(37685, t), kOk);
        QCOMPARE(t, QByteArray("short"));
        QCOMPARE(f.write(37685, "SHORT"), kOk); // same length: in place
        QCOMPARE(QFileInfo(p).size(), afterFirst);
        // The stored length is now 5 + 4: the old tail is lost for good.
        QCOMPARE(f.write(37685, "eleven char"), kOk);
        QCOMPARE(QFileInfo(p).size(), afterFirst + 8 + 11);
        QCOMPARE(f.write(37685, "a longer text now"), kOk); // appended anew
        QCOMPARE(QFileInfo(p).size(), afterFirst + 8 + 11 + 8 + 17);
        QCOMPARE(f.read(37685, t), kOk);
        QCOMPARE(t, QByteArray("a longer text now"));
        QCOMPARE(f.write(37686, QByteArray()), kOk); // an empty text is a record of length 4
        const QByteArray b = fileBytes(p);
        QCOMPARE(int32At(b, b.size() - 8), 4);
        QCOMPARE(int32At(b, b.size() - 4), 37686);
        QCOMPARE(f.read(37686, t), kOk);
        QVERIFY(t.isEmpty());
        QCOMPARE(f.read(1, t), kNotFound);
        QCOMPARE(f.remove(37685), kOk);
        QCOMPARE(f.read(37685, t), kNotFound);
        QCOMPARE(f.remove(37685), kNotFound);
        QVERIFY(f.check().ok);
    }

    void ninetyNineEntriesStayInOneNode()
    {
        const QString p = filledFile("n99.nox", 99);
        QByteArray b = fileBytes(p);
        QCOMPARE(rootOf(b), 28);
        Node root = nodeAt(b, 28);
        QCOMPARE(root.count, 99);
        QVERIFY(root.pointers.first() < 0);
        QCOMPARE(int32At(b, 24), 98); // the first insertion into an empty root keeps the counter

        RecordFile f;
        f.open(p);
        f.write(100, text(100, 10));
        f.close();
        b = fileBytes(p);
        const qint32 newRoot = rootOf(b);
        QVERIFY(newRoot > 28);
        root = nodeAt(b, newRoot);
        QCOMPARE(root.count, 2);
        QCOMPARE(root.pointers[0], 28);
        QCOMPARE(nodeAt(b, 28).count, 50);
        QCOMPARE(nodeAt(b, root.pointers[1]).count, 50);
        QCOMPARE(root.keys[1], 51); // copy of the right node's first entry
        // New nodes go directly at the end of the file, without a gap.
        QCOMPARE(newRoot, 1232 + 100 * 18);
        QCOMPARE(root.pointers[1], newRoot + 1204);
        QVERIFY(RecordFile::checkFile(p).ok);
    }

    // Ascending keys always land in the last leaf: an overflow first shifts
    // entries to the left neighbour, and only two nearly full nodes become three.
    void overflowRedistributesBeforeSplitting()
    {
        const QString p = filledFile("ascending.nox", 150);
        QByteArray b = fileBytes(p);
        Node root = nodeAt(b, rootOf(b));
        QCOMPARE(root.count, 2);
        QCOMPARE(nodeAt(b, root.pointers[0]).count, 75);
        QCOMPARE(nodeAt(b, root.pointers[1]).count, 75);
        QCOMPARE(root.keys[1], 76);
        RecordFile f;
        f.open(p);
        for (int k = 151; k <= 198; ++k) {
            f.write(k, "x");
        }
        QCOMPARE(nodeAt(fileBytes(p), rootOf(b)).count, 2);
        f.write(199, "x"); // 99 + 100 entries: split into 67 / 66 / 66
        b = fileBytes(p);
        root = nodeAt(b, rootOf(b));
        QCOMPARE(root.count, 3);
        QCOMPARE(nodeAt(b, root.pointers[0]).count, 67);
        QCOMPARE(nodeAt(b, root.pointers[1]).count, 66);
        QCOMPARE(nodeAt(b, root.pointers[2]).count, 66);
        QCOMPARE(root.keys[1], 68);
        QCOMPARE(root.keys[2], 134);
        QVERIFY(f.check().ok);
    }

    void underflowOfLastChildRedistributes()
    {
        // Keys 0..99 split into 0..49 | 50..99; fill both halves, then empty the right one.
        const QString p = path("underflow.nox");
        static_cast<void>(RecordFile::create(p));
        RecordFile f;
        f.open(p);
        for (int k = 0; k < 100; ++k) {
            f.write(k, "x");
        }
        for (int k = 1000; k < 1041; ++k) {
            f.write(k, "x"); // right child: 91
        }
        for (int k = -1; k >= -45; --k) {
            f.write(k, "x"); // left child: 95
        }
        QByteArray b = fileBytes(p);
        Node root = nodeAt(b, rootOf(b));
        QCOMPARE(root.count, 2);
        QCOMPARE(nodeAt(b, root.pointers[0]).count, 95);
        QCOMPARE(nodeAt(b, root.pointers[1]).count, 91);
        int removed = 0;
        for (int k = 1040; removed < 41; --k, ++removed) {
            QCOMPARE(f.remove(k), kOk); // right child: 50, no repair yet
        }
        QCOMPARE(nodeAt(fileBytes(p), root.pointers[1]).count, 50);
        QCOMPARE(f.remove(99), kOk); // 49 left: 95 + 49 = 144 entries redistribute 72 / 72
        b = fileBytes(p);
        root = nodeAt(b, rootOf(b));
        QCOMPARE(nodeAt(b, root.pointers[0]).count, 72);
        const Node right = nodeAt(b, root.pointers[1]);
        QCOMPARE(right.count, 72);
        QCOMPARE(root.keys[1], right.keys[0]);
        QVERIFY(f.check().ok);
    }

    void twoChildrenWithinLimitsAreLeftAlone()
    {
        const QString p = filledFile("alone.nox", 100); // 50 | 50
        RecordFile f;
        f.open(p);
        QCOMPARE(f.remove(100), kOk); // 50 + 49 = 99: nothing is done
        const QByteArray b = fileBytes(p);
        const Node root = nodeAt(b, rootOf(b));
        QCOMPARE(root.count, 2);
        QCOMPARE(nodeAt(b, root.pointers[1]).count, 49);
        for (int k = 99; k > 66; --k) {
            QCOMPARE(f.remove(k), kOk);
        }
        // 50 + 16 = 66: the pair merges, the root collapses and goes on the free list.
        const QByteArray after = fileBytes(p);
        const qint32 newRoot = rootOf(after);
        QCOMPARE(newRoot, 28);
        QCOMPARE(nodeAt(after, 28).count, 66);
        QVERIFY(int32At(after, 20) > 0); // free list not empty
        QVERIFY(f.check().ok);
        QCOMPARE(f.check().index.freeNodes, 2);
        // The next split reuses a freed node instead of growing the file.
        const qint64 size = QFileInfo(p).size();
        for (int k = 67; k <= 100; ++k) {
            f.write(k, "y");
        }
        QCOMPARE(QFileInfo(p).size(), size + 34 * 9);
        QVERIFY(f.check().ok);
    }

    void differentialAgainstMap()
    {
        const QString p = path("random.nox");
        static_cast<void>(RecordFile::create(p));
        RecordFile f;
        QCOMPARE(f.open(p), kOk);
        std::map<qint32, QByteArray> model;
        QRandomGenerator rng(20260307);
        for (int batch = 0; batch < 12; ++batch) {
            for (int op = 0; op < 700; ++op) {
                const qint32 key = qint32(rng.bounded(4000)) - 1000;
                const int kind = rng.bounded(10);
                if (kind < 6) {
                    const QByteArray t = text(key, rng.bounded(40));
                    QCOMPARE(f.write(key, t), kOk);
                    model[key] = t;
                } else if (kind < 9) {
                    QCOMPARE(f.remove(key), model.erase(key) ? kOk : kNotFound);
                } else {
                    QByteArray t;
                    const auto it = model.find(key);
                    QCOMPARE(f.read(key, t), it == model.end() ? kNotFound : kOk);
                    QCOMPARE(t, it == model.end() ? QByteArray() : it->second);
                }
            }
            const RecordFileCheck c = f.check();
            QVERIFY2(c.ok, qPrintable(c.error));
            QCOMPARE(c.records, int(model.size()));
        }
        f.close();
        QCOMPARE(f.open(p), kOk);
        for (qint32 key = -1000; key < 3000; ++key) {
            QByteArray t;
            const auto it = model.find(key);
            QCOMPARE(f.read(key, t), it == model.end() ? kNotFound : kOk);
            QCOMPARE(t, it == model.end() ? QByteArray() : it->second);
        }
        // Empty it completely, then fill again.
        for (const auto& [key, t] : model) {
            QCOMPARE(f.remove(key), kOk);
        }
        QVERIFY(f.check().ok);
        QCOMPARE(f.check().records, 0);
        QCOMPARE(f.index()->Delete(), kIoError); // deleting from an empty index
        QVERIFY(!f.isReadOnly());
        for (qint32 key = 0; key < 500; ++key) {
            QCOMPARE(f.write(key, "z"), kOk);
        }
        QVERIFY(f.check().ok);
    }

    // Enough keys for three levels, kept in memory for speed.
    void differentialDeepTree()
    {
        QByteArray fresh;
        {
            const QString p = path("deep.nox");
            static_cast<void>(RecordFile::create(p));
            fresh = fileBytes(p);
        }
        auto buffer = std::make_unique<QBuffer>();
        buffer->setData(fresh);
        buffer->open(QIODevice::ReadWrite);
        RecordFile f;
        QCOMPARE(f.openDevice(std::move(buffer)), kOk);
        std::map<qint32, QByteArray> model;
        QRandomGenerator rng(99);
        int maxDepth = 0;
        for (int batch = 0; batch < 10; ++batch) {
            const bool growing = batch < 6;
            for (int op = 0; op < 4000; ++op) {
                const qint32 key = 20000 + qint32(rng.bounded(20000));
                if (growing || rng.bounded(3) == 0) {
                    const QByteArray t = text(key, rng.bounded(12));
                    QCOMPARE(f.write(key, t), kOk);
                    model[key] = t;
                } else {
                    QCOMPARE(f.remove(key), model.erase(key) ? kOk : kNotFound);
                }
            }
            const RecordFileCheck c = f.check();
            QVERIFY2(c.ok, qPrintable(c.error));
            QCOMPARE(c.records, int(model.size()));
            maxDepth = std::max(maxDepth, c.index.depth);
        }
        QVERIFY(maxDepth >= 2);
        for (const auto& [key, t] : model) {
            QByteArray read;
            QCOMPARE(f.read(key, read), kOk);
            QCOMPARE(read, t);
        }
    }

    // A file written by another writer that leaves a one-node gap before every
    // node it appends: we read it through the stored positions alone.
    void readsFilesWithGapsBeforeNodes()
    {
        QByteArray b(1232, '\0');
        putInt32(b, 0, 100);
        putInt32(b, 16, 28);
        putInt32(b, 20, -1);
        putInt32(b, 24, 150);
        auto appendRecord = [&](qint32 key, const QByteArray& t) {
            const qint64 pos = b.size();
            b.append(QByteArray(8, '\0') + t);
            putInt32(b, pos, 4 + t.size());
            putInt32(b, pos + 4, key);
            return qint32(pos);
        };
        auto appendLeaf = [&](int from, int to, QMap<int, qint32>& recordPos) {
            b.append(QByteArray(1204, '\0')); // the gap
            const qint64 pos = b.size();
            b.append(QByteArray(1204, '\0'));
            putInt32(b, pos, to - from);
            for (int k = from; k < to; ++k) {
                putInt32(b, pos + 4 + 4 * (k - from), -recordPos[k]);
                putInt32(b, pos + 404 + 8 * (k - from), k * 10);
                putInt32(b, pos + 404 + 8 * (k - from) + 4, k);
            }
            return qint32(pos);
        };
        QMap<int, qint32> recordPos;
        for (int k = 0; k < 150; ++k) {
            recordPos[k] = appendRecord(k * 10, "memo " + QByteArray::number(k));
        }
        const qint32 left = appendLeaf(0, 75, recordPos);
        const qint32 right = appendLeaf(75, 150, recordPos);
        putInt32(b, 28, 2); // root at 28 with two children
        putInt32(b, 32, left);
        putInt32(b, 36, right);
        putInt32(b, 28 + 404 + 8, 750);
        const QString p = path("gaps.nox");
        writeBytes(p, b);
        RecordFile f;
        QCOMPARE(f.open(p), kOk);
        QVERIFY2(f.check().ok, qPrintable(f.check().error));
        QByteArray t;
        QCOMPARE(f.read(1230, t), kOk);
        QCOMPARE(t, QByteArray("memo 123"));
        QCOMPARE(f.read(1235, t), kNotFound);
        QCOMPARE(f.write(5, "new"), kOk);
        QCOMPARE(f.read(5, t), kOk);
        QCOMPARE(t, QByteArray("new"));
        QVERIFY(f.check().ok);
    }

    // ------------------------------------------------------------- damage

    void truncatedHeaderFailsToOpen()
    {
        const QString p = path("trunc.nox");
        static_cast<void>(RecordFile::create(p));
        writeBytes(p, fileBytes(p).left(20));
        RecordFile f;
        QCOMPARE(f.open(p), kOpenFailed);
        QVERIFY(!f.isOpen());
        QCOMPARE(fileBytes(p).size(), 20);
        QVERIFY(!RecordFile::checkFile(p).ok);
    }

    void truncatedNodeIsDamage()
    {
        const QString p = filledFile("truncnode.nox", 100);
        QByteArray b = fileBytes(p);
        const Node root = nodeAt(b, rootOf(b));
        b.truncate(root.pointers[1] + 600); // cuts the right leaf in half
        writeBytes(p, b);
        RecordFile f;
        QCOMPARE(f.open(p), kOk);
        QByteArray t;
        QCOMPARE(f.read(1, t), kOk);
        QCOMPARE(f.read(80, t), kIoError);
        QCOMPARE(f.write(80, "x"), kIoError);
        f.close();
        QCOMPARE(fileBytes(p), b);
        QVERIFY(!RecordFile::checkFile(p).ok);
        // Cut into the root itself: the file does not open.
        b.truncate(rootOf(b) + 100);
        writeBytes(p, b);
        QCOMPARE(f.open(p), kIoError);
    }

    void rootPastEndOfFile()
    {
        const QString p = path("rootpast.nox");
        static_cast<void>(RecordFile::create(p));
        QByteArray b = fileBytes(p);
        putInt32(b, 16, 5000);
        writeBytes(p, b);
        RecordFile f;
        QCOMPARE(f.open(p), kIoError);
        QVERIFY(!f.lastError().isEmpty());
        QCOMPARE(fileBytes(p), b);
    }

    void negativeAndHeaderPositions()
    {
        for (qint32 root : {-28, 0, 8, 20}) {
            const QString p = path(QStringLiteral("neg%1.nox").arg(root));
            static_cast<void>(RecordFile::create(p));
            QByteArray b = fileBytes(p);
            putInt32(b, 16, root);
            writeBytes(p, b);
            RecordFile f;
            QCOMPARE(f.open(p), kIoError);
        }
        // A record pointer into the file header.
        const QString p = filledFile("recneg.nox", 3);
        QByteArray b = fileBytes(p);
        putInt32(b, 28 + 4 + 4, -4); // entry 1 (key 2) -> position 4
        writeBytes(p, b);
        RecordFile f;
        QCOMPARE(f.open(p), kOk);
        QByteArray t;
        QCOMPARE(f.read(2, t), kIoError);
        QVERIFY(t.isEmpty());
        QCOMPARE(f.read(1, t), kOk);
        QCOMPARE(f.write(2, "overwrite?"), kIoError);
        f.close();
        QCOMPARE(fileBytes(p), b);
        QVERIFY(!RecordFile::checkFile(p).ok);
    }

    void cycleIsDetected()
    {
        const QString p = filledFile("cycle.nox", 300);
        QByteArray b = fileBytes(p);
        const qint32 root = rootOf(b);
        QVERIFY(nodeAt(b, root).pointers[0] > 0);
        putInt32(b, root + 4 + 4, root); // child 1 points back at the root
        writeBytes(p, b);
        RecordFile f;
        QCOMPARE(f.open(p), kOk);
        QByteArray t;
        const int key = nodeAt(b, root).keys[1] + 1;
        QCOMPARE(f.read(key, t), kIoError);
        QCOMPARE(f.write(key, "loop"), kIoError);
        QCOMPARE(f.remove(key), kIoError);
        QCOMPARE(f.write(1, "elsewhere"), kIoError); // read-only once damage was seen
        QByteArray first;
        QCOMPARE(f.read(1, first), kOk); // sound parts still read
        const RecordFileCheck c = f.check();
        QVERIFY(!c.ok);
        QVERIFY(c.error.contains("twice") || c.error.contains("cycle"));
        f.close();
        QCOMPARE(fileBytes(p), b);
    }

    void absurdCount()
    {
        const QString p = filledFile("count.nox", 300);
        QByteArray b = fileBytes(p);
        const Node root = nodeAt(b, rootOf(b));
        putInt32(b, root.pointers[1], 5000);
        writeBytes(p, b);
        RecordFile f;
        QCOMPARE(f.open(p), kOk);
        QByteArray t;
        QCOMPARE(f.read(root.keys[1], t), kIoError);
        QCOMPARE(f.write(root.keys[1], "x"), kIoError);
        QCOMPARE(f.read(1, t), kOk);
        f.close();
        QCOMPARE(fileBytes(p), b);
        // The same count in the root stops the open.
        putInt32(b, rootOf(b), 5000);
        writeBytes(p, b);
        QCOMPARE(f.open(p), kIoError);
    }

    void absurdRecordLength()
    {
        const QString p = filledFile("length.nox", 5);
        QByteArray b = fileBytes(p);
        const Node root = nodeAt(b, 28);
        putInt32(b, -root.pointers[2], 0x7ffffff0);
        writeBytes(p, b);
        RecordFile f;
        QCOMPARE(f.open(p), kOk);
        QByteArray t;
        QCOMPARE(f.read(3, t), kIoError);
        QCOMPARE(f.write(3, "x"), kIoError); // never written over
        putInt32(b, -root.pointers[2], -8);
        writeBytes(p, b);
        QCOMPARE(f.open(p), kOk);
        QCOMPARE(f.read(3, t), kIoError);
        f.close();
        QCOMPARE(fileBytes(p), b);
        QVERIFY(!RecordFile::checkFile(p).ok);
    }

    void recordKeyMismatch()
    {
        const QString p = filledFile("keymis.nox", 5);
        QByteArray b = fileBytes(p);
        const Node root = nodeAt(b, 28);
        putInt32(b, -root.pointers[1] + 4, 77);
        writeBytes(p, b);
        RecordFile f;
        f.open(p);
        QByteArray t;
        QCOMPARE(f.read(2, t), kIoError);
        QCOMPARE(f.write(2, "x"), kIoError);
        f.close();
        QCOMPARE(fileBytes(p), b);
        const RecordFileCheck c = RecordFile::checkFile(p);
        QVERIFY(!c.ok);
        QVERIFY(c.error.contains("77"));
    }

    void freeListIntoLiveNode()
    {
        const QString p = filledFile("free.nox", 99);
        QByteArray b = fileBytes(p);
        putInt32(b, 20, 28); // the free list claims the (full) root
        writeBytes(p, b);
        RecordFile f;
        QCOMPARE(f.open(p), kOk);
        const QByteArray before = fileBytes(p);
        QCOMPARE(f.write(100, "split needs a node"), kIoError);
        f.close();
        // Only the appended record remains; the index is untouched.
        const QByteArray after = fileBytes(p);
        QCOMPARE(after.left(before.size()), before);
        QVERIFY(!RecordFile::checkFile(p).ok);
    }

    void outOfOrderEntriesFailTheCheck()
    {
        const QString p = filledFile("order.nox", 10);
        QByteArray b = fileBytes(p);
        putInt32(b, 28 + 404 + 8 * 4, 1000);
        writeBytes(p, b);
        const RecordFileCheck c = RecordFile::checkFile(p);
        QVERIFY(!c.ok);
        QVERIFY(c.error.contains("order"));
    }

    // The sequence counter comes from the file and may stand anywhere; at
    // the top of its range it wraps, and the entries stay in order.
    void counterWrapsAtItsLimit()
    {
        const QString p = filledFile("counter.nox", 3);
        QByteArray b = fileBytes(p);
        putInt32(b, kMemoIndexHeaderPos + kIndexCounterOffset, 0x7fffffff);
        writeBytes(p, b);
        {
            RecordFile f;
            QCOMPARE(f.open(p), kOk);
            QCOMPARE(f.write(5, "five"), kOk);
            QCOMPARE(f.write(4, "four"), kOk);
            QCOMPARE(f.index()->counter(), qint32(0x80000001));
        }
        const QByteArray after = fileBytes(p);
        QCOMPARE(int32At(after, kMemoIndexHeaderPos + kIndexCounterOffset), qint32(0x80000001));
        RecordFile f;
        QCOMPARE(f.open(p), kOk);
        QByteArray t;
        QCOMPARE(f.read(4, t), kOk);
        QCOMPARE(t, QByteArray("four"));
        QCOMPARE(f.read(5, t), kOk);
        QCOMPARE(t, QByteArray("five"));
        QVERIFY(f.check().ok);
    }

    // Found by fuzzing: a node position far past the end made a QBuffer
    // device grow to that size (2 GB) when seeking there.
    void seekPastEndDoesNotGrowTheDevice()
    {
        const QString p = filledFile("seek.nox", 300);
        QByteArray b = fileBytes(p);
        const qint32 root = rootOf(b);
        putInt32(b, root + 4 + 4, 0x7ffff000);
        auto buffer = std::make_unique<QBuffer>();
        buffer->setData(b);
        buffer->open(QIODevice::ReadWrite);
        QBuffer* device = buffer.get();
        RecordFile f;
        QCOMPARE(f.openDevice(std::move(buffer)), kOk);
        QByteArray t;
        QCOMPARE(f.read(nodeAt(b, root).keys[1] + 1, t), kIoError);
        QCOMPARE(device->size(), qint64(b.size()));
        QVERIFY(!f.check().ok);
        QCOMPARE(device->size(), qint64(b.size()));
    }

    void randomBytesNeverCrash()
    {
        const QByteArray good = fileBytes(filledFile("fuzzbase.nox", 400));
        QRandomGenerator rng(7);
        for (int round = 0; round < 300; ++round) {
            QByteArray b = good;
            const int flips = 1 + rng.bounded(8);
            for (int i = 0; i < flips; ++i) {
                b[rng.bounded(int(b.size()))] = char(rng.bounded(256));
            }
            if (rng.bounded(4) == 0) {
                b.truncate(rng.bounded(int(b.size())));
            }
            auto buffer = std::make_unique<QBuffer>();
            buffer->setData(b);
            buffer->open(QIODevice::ReadWrite);
            RecordFile f;
            if (f.openDevice(std::move(buffer)) != kOk) {
                continue;
            }
            QByteArray t;
            for (int k = 0; k < 420; k += 7) {
                f.read(k, t);
            }
            f.check();
            f.write(rng.bounded(500), "q");
            f.remove(rng.bounded(500));
        }
    }
};

QTEST_GUILESS_MAIN(TstBtrKeys)
#include "tst_btrkeys.moc"
