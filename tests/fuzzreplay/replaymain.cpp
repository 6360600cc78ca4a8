// Runs a fuzz target's entry point once on every file of the folders named on
// the command line (the target's seeds, its kept corpus and the inputs that
// once made it fail), so that the ordinary build checks every case the
// fuzzer found. A target reports a fault by aborting; the input it aborted
// on is the last one named on standard error.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv)
{
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        const QString folder = QString::fromLocal8Bit(argv[i]);
        if (!QFileInfo(folder).isDir()) {
            continue; // a target with no failed input has no folder of them
        }
        for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files, QDir::Name)) {
            QFile in(file.filePath());
            if (!in.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(file.filePath()));
                return 2;
            }
            const QByteArray bytes = in.readAll();
            std::fprintf(stderr, "%s\n", qPrintable(file.filePath()));
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
            ++replayed;
        }
    }
    std::printf("replayed %d inputs\n", replayed);
    return replayed > 0 ? 0 : 2;
}
