// Bytes as a "memo.nox" file: open, find, read, walk, check, and change it
// the way the memo panes do. Damage must come back as error codes.
//
//   cmake -S . -B build-fuzz -G Ninja -DNOX_BUILD_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++
//   cmake --build build-fuzz --target fuzz_memo
//   mkdir -p /tmp/corpus && cp fuzz/memo/seeds/* /tmp/corpus/
//   build-fuzz/fuzz/fuzz_memo -max_total_time=60 -max_len=20000 /tmp/corpus
#include "store/recordfile.h"

#include <QBuffer>
#include <QtEndian>

#include <algorithm>
#include <cstdint>
#include <memory>

using namespace nox;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(reinterpret_cast<const char*>(data), qsizetype(size));
    buffer->open(QIODevice::ReadWrite);
    RecordFile file;
    if (file.openDevice(std::move(buffer)) != btr::kOk) {
        return 0;
    }
    // Keys near the ones a small test file holds, plus keys taken from the input.
    QByteArray text;
    for (qint32 key = -2; key < 40; ++key) {
        file.read(key, text);
    }
    for (size_t i = 0; i + 4 <= size && i < 4096; i += 97) {
        file.read(qFromLittleEndian<qint32>(data + i), text);
    }
    const RecordFileCheck before = file.check();
    // Keys further apart than 2^31 have no consistent order in this format;
    // only files of sane keys (day numbers) must stay sound.
    qint64 lowest = 0;
    qint64 highest = 0;
    file.index()->Check([&](const QByteArray& key, qint64, QString&) {
        const qint32 k = qFromLittleEndian<qint32>(key.constData());
        lowest = std::min<qint64>(lowest, k);
        highest = std::max<qint64>(highest, k);
        return true;
    });
    const bool saneKeys = lowest > -(1 << 29) && highest < (1 << 29);
    for (qint32 key = 0; key < 12; ++key) {
        file.write(key * 3, QByteArray(int(key * 7), 'm'));
    }
    file.remove(6);
    file.write(3, QByteArray());
    const RecordFileCheck after = file.check();
    // A file that was sound stays sound through our own changes.
    if (before.ok && saneKeys && !file.isReadOnly() && !after.ok) {
        __builtin_trap();
    }
    return 0;
}
