#include "appearance/style.h"

#include <QFileInfo>
#include <QFontMetrics>

#include "core/folders.h"
#include "core/inifile.h"
#include "core/screenfont.h"

namespace nox
{

namespace
{

// Visits every key of a style section in the order the file lists them.
// Works for TStyle and const TStyle alike.
template <typename Style, typename F> void forEachStyleKey(Style& s, F&& f)
{
    f("HeaderVisible", s.HeaderVisible);
    f("HeaderBKColor", s.HeaderBKColor);
    f("HeaderFGColor", s.HeaderFGColor);
    f("HeaderFontSize1", s.HeaderFontSize1);
    f("HeaderFontSize2", s.HeaderFontSize2);
    f("Color", s.Color);
    f("FontColor", s.FontColor);
    f("FontSize", s.FontSize);
    f("FontName", s.FontName);
    f("ViewFocusStyleColor", s.ViewFocusStyleColor);
    f("ViewFocusStyleFontColor", s.ViewFocusStyleFontColor);
    f("ViewLineColor", s.ViewLineColor);
    f("ViewLineWidth", s.ViewLineWidth);
    f("ViewLeftBarColor", s.ViewLeftBarColor);
    f("ViewLeftBarFontColor", s.ViewLeftBarFontColor);
    f("ViewLeftBarLineColor", s.ViewLeftBarLineColor);
    f("ViewHighlightColor", s.ViewHighlightColor);
    f("ViewTopBarColor", s.ViewTopBarColor);
    f("ViewTopBarFontColor", s.ViewTopBarFontColor);
    f("SundayBKColor", s.DayKind.SundayBKColor);
    f("SaturdayBKColor", s.DayKind.SaturdayBKColor);
    f("HolidayBKColor", s.DayKind.HolidayBKColor);
    f("SundayFGColor", s.DayKind.SundayFGColor);
    f("SaturdayFGColor", s.DayKind.SaturdayFGColor);
    f("HolidayFGColor", s.DayKind.HolidayFGColor);
    f("MemoMarkColor", s.DayKind.MemoMarkColor);
    f("DayMemoMarkColor", s.DayKind.DayMemoMarkColor);
    f("SkedBKColor", s.DayKind.SkedBKColor);
    f("WeekDayFGColor", s.WeekDayFGColor);
    f("TodayColor", s.TodayColor);
    f("MVLineColor", s.MVLineColor);
    f("MVLineWidth", s.MVLineWidth);
    f("MVTopBarColor", s.MVTopBarColor);
    f("MVTopBarFontColor", s.MVTopBarFontColor);
    f("MVOtherColor", s.MVOtherColor);
    f("MVOtherFontColor", s.MVOtherFontColor);
    f("SkedFrameColor", s.SkedFrameColor);
    f("MVMarkColor", s.MVMarkColor);
    f("LineSizing", s.LineSizing);
    f("ColWidth", s.ColWidth);
}

// Integers as the settings file writes them; "$" hex is accepted as well.
bool parseInt(const QString& text, int* value)
{
    const QString t = text.trimmed();
    bool ok = false;
    const qlonglong v = t.startsWith(u'$') ? t.mid(1).toLongLong(&ok, 16) : t.toLongLong(&ok, 10);
    if (!ok || v < INT_MIN || v > INT_MAX) {
        return false;
    }
    *value = int(v);
    return true;
}

// Reads the raw text of one key into the field; false for an unusable text.
struct FieldReader {
    bool operator()(const QString& text, bool& field) const
    {
        int v = 0;
        if (!parseInt(text, &v)) {
            return false;
        }
        field = v != 0;
        return true;
    }
    bool operator()(const QString& text, int& field) const { return parseInt(text, &field); }
    bool operator()(const QString& text, TColor& field) const
    {
        return stringToColor(text.trimmed(), &field);
    }
    bool operator()(const QString& text, QString& field) const
    {
        field = text;
        return true;
    }
};

// The text a field is written as.
QString fieldText(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}
QString fieldText(int value)
{
    return QString::number(value);
}
QString fieldText(TColor value)
{
    return colorToString(value);
}
QString fieldText(const QString& value)
{
    return value;
}

// Numbers a style may hold: font sizes in points, line widths in pixels.
// Anything else reads as the field's default.
bool inStyleRange(const char* key, int value)
{
    const QLatin1String name(key);
    if (name.endsWith(QLatin1String("LineWidth"))) {
        return value >= 0 && value <= 20;
    }
    return value >= 1 && value <= 200; // the font sizes
}
template <typename Field> bool inStyleRange(const char*, const Field&)
{
    return true;
}

// Marks a key as absent: readString gives this back only for a missing key.
const QString kMissing = QStringLiteral("\x01missing");

} // namespace

QStringList StyleKeys()
{
    QStringList keys;
    const TStyle probe;
    forEachStyleKey(probe, [&](const char* key, const auto&) { keys << QLatin1String(key); });
    return keys;
}

QString StyleSectionName(int index)
{
    return QStringLiteral("Style%1").arg(qBound(0, index, 2) + 1);
}

QString StyleFilePath(bool factory)
{
    const QString folder = factory ? folders::defaultFolder() : folders::dataFolder();
    return folder + QStringLiteral("/style.ini");
}

TStyleReadResult ReadStyleSection(const IniFile& ini, const QString& section, TStyle& style)
{
    TStyleReadResult result;
    result.fileFound = QFileInfo::exists(ini.path());
    const IniDocument doc = ini.snapshot(); // one read for all keys
    result.sectionFound = doc.hasSection(section);
    forEachStyleKey(style, [&](const char* key, auto& field) {
        const QString name = QLatin1String(key);
        const QString text = doc.value(section, name, kMissing);
        if (text == kMissing) {
            return;
        }
        auto value = field;
        if (!FieldReader()(text, value) || !inStyleRange(key, value)) {
            result.badKeys << name; // the field keeps its default
            return;
        }
        field = value;
    });
    // The font never stays unnamed or unsized: the fallback face takes over.
    if (doc.value(section, QStringLiteral("FontName"), kMissing) == kMissing ||
        style.FontName.trimmed().isEmpty()) {
        style.FontName = QString::fromUtf8(kStyleFallbackFontName);
    }
    if (doc.value(section, QStringLiteral("FontSize"), kMissing) == kMissing || style.FontSize <= 0) {
        style.FontSize = kStyleFallbackFontSize;
    }
    return result;
}

bool WriteStyleSection(IniFile& ini, const QString& section, const TStyle& style)
{
    bool ok = true;
    // Every write replaces the whole file; keys that already hold their
    // text are left alone, so rewriting an unchanged style costs no write.
    forEachStyleKey(style, [&](const char* key, const auto& field) {
        const QString name = QLatin1String(key);
        const QString text = fieldText(field);
        if (ini.readString(section, name, kMissing) != text) {
            ok = ini.writeString(section, name, text) && ok;
        }
    });
    return ok;
}

TStyleReadResult ReadStyle(TStyle& style, int index, bool fromFactory)
{
    const IniFile ini(StyleFilePath(fromFactory));
    return ReadStyleSection(ini, StyleSectionName(index), style);
}

bool WriteStyle(const TStyle& style, int index)
{
    IniFile ini(StyleFilePath(false));
    return WriteStyleSection(ini, StyleSectionName(index), style);
}

bool ExportStyle(const QString& fileName, const TStyle& style)
{
    IniFile ini(fileName);
    return WriteStyleSection(ini, QStringLiteral("Style"), style);
}

TStyleReadResult ImportStyle(const QString& fileName, TStyle& style)
{
    const IniFile ini(fileName);
    return ReadStyleSection(ini, QStringLiteral("Style"), style);
}

QFont StyleFont(const TStyle& style)
{
    QFont font(screenFamily(style.FontName));
    font.setPointSize(qMax(1, style.FontSize));
    return font;
}

int LeftBarWidthFor(const QFont& font)
{
    return QFontMetrics(font).horizontalAdvance(QStringLiteral("88:88")) + 12;
}

int HeaderHeightFor(const QFont& font)
{
    return QFontMetrics(font).height() + 2;
}

} // namespace nox
