// "Nox.ini" and "style.ini" bytes through the layers above the INI reader:
// every key of the settings table read with its type, one key written; every
// style section read, one written. What was written reads back, and every
// line the write did not change keeps its bytes and its place.
#include "../fuzzsupport.h"
#include "appearance/style.h"
#include "core/settings.h"

using namespace nox;
using namespace nox::fuzz;

namespace
{

void readAll(const Settings& settings)
{
    for (const SettingDef& def : allSettings()) {
        switch (def.type) {
        case SettingType::Int:
            (void)settings.readInt(def.id, 0);
            break;
        case SettingType::Bool:
            (void)settings.readBool(def.id, false);
            break;
        case SettingType::Color:
            (void)settings.readColor(def.id, 0);
            break;
        case SettingType::Date:
            (void)settings.readDate(def.id, QDate(2000, 1, 1));
            break;
        default:
            (void)settings.readString(def.id, QString());
        }
    }
}

void settingsLayer(const QString& path, const QByteArray& bytes, uint8_t pick)
{
    check(writeFileAtomic(path, bytes).ok());
    Settings settings(path);
    readAll(settings);
    const Key key = allSettings().at(pick % allSettings().size()).id;
    const int current = settings.readInt(key, 0);
    const int value = current == INT_MAX ? 0 : current + 1;
    check(settings.writeInt(key, value));
    check(settings.readInt(key, 0) == value);
    // One line changed, or one line (and its section) added.
    const QList<QByteArray> after = byteLines(readBytes(path));
    const QList<QByteArray> before = byteLines(bytes);
    check(keptInOrder(before, after, 1));
    check(after.size() <= before.size() + 2);
}

void styleLayer(const QString& path, const QByteArray& bytes, uint8_t pick)
{
    check(writeFileAtomic(path, bytes).ok());
    IniFile ini(path);
    TStyle styles[3];
    for (int i = 0; i < 3; ++i) {
        ReadStyleSection(ini, StyleSectionName(i), styles[i]);
    }
    const int index = pick % 3;
    TStyle changed = styles[index];
    changed.FontSize = changed.FontSize == INT_MAX ? 0 : changed.FontSize + 1;
    check(WriteStyleSection(ini, StyleSectionName(index), changed));
    TStyle back;
    ReadStyleSection(ini, StyleSectionName(index), back);
    check(back == changed);
    // The other sections read as before.
    for (int i = 0; i < 3; ++i) {
        TStyle again;
        ReadStyleSection(ini, StyleSectionName(i), again);
        check(i == index || again == styles[i]);
    }
    // Lines of the file keep their bytes and order, except the ones of keys
    // the write changed.
    check(keptInOrder(byteLines(bytes), byteLines(readBytes(path)), int(StyleKeys().size())));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 8192) {
        return 0;
    }
    const QByteArray bytes(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    settingsLayer(QDir(scratch().path()).filePath(QStringLiteral("Nox.ini")), bytes, data[0]);
    styleLayer(QDir(scratch().path()).filePath(QStringLiteral("style.ini")), bytes, data[0]);
    return 0;
}
