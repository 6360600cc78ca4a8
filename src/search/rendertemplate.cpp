#include "search/rendertemplate.h"

#include "core/datetime.h"
#include "core/settings.h"
#include "search/skedsearch.h"
#include "core/textfile.h"
#include "store/daykind.h"
#include "store/holidays.h"
#include "store/skedrec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMimeDatabase>
#include <QUrl>

#include <array>
#include <optional>

namespace nox
{

namespace
{

const QString kCrLf = QStringLiteral("\r\n");

// Sections by kind of day (the values of DayKind).
using Sections = std::array<QString, 4>;

enum class ParseState { Header, Skipping, Weekday, Sunday, Saturday, Holiday };

// Markers in the order they are tested, with the kind of day they open.
struct SectionMarker {
    const char* marker;
    ParseState state;
    int kind;
};
constexpr SectionMarker kSectionMarkers[] = {
    {"NoxWeekday", ParseState::Weekday, dkWeekday},
    {"NoxSunday", ParseState::Sunday, dkSunday},
    {"NoxSaturday", ParseState::Saturday, dkSaturday},
    {"NoxHoliday", ParseState::Holiday, dkHoliday},
};

int kindOfState(ParseState state)
{
    for (const SectionMarker& m : kSectionMarkers) {
        if (m.state == state) {
            return m.kind;
        }
    }
    return -1;
}

constexpr const char* kCriteriaTags[] = {"<#NoxSearchStartDate>", "<#NoxSearchEndDate>",
                                         "<#NoxSearchCategory>"};
constexpr const char* kValueTags[] = {"<#NoxDate>", "<#NoxSTime>", "<#NoxETime>",
                                      "<#NoxSked>", "<#NoxMemo>",  "<#NoxCategory>"};
constexpr int kValueCount = 6;
using BlockValues = std::array<QString, kValueCount>;

// Replaces every tag of `tags` (letter case ignored) in one pass, so that a
// value that itself reads like a tag stays as it is. `value(i, quoted)` gives
// the text of tag i; `quoted` tells that the template put the tag between
// double quotes.
template <size_t N, typename ValueOf>
QString replaceTags(const QString& text, const char* const (&tags)[N], ValueOf value)
{
    QString out;
    qsizetype from = 0;
    for (qsizetype pos = text.indexOf(QLatin1String("<#")); pos >= 0;
         pos = text.indexOf(QLatin1String("<#"), pos + 1)) {
        for (size_t i = 0; i < N; ++i) {
            const QLatin1String tag(tags[i]);
            if (QStringView(text).mid(pos, tag.size()).compare(tag, Qt::CaseInsensitive) != 0) {
                continue;
            }
            const qsizetype end = pos + tag.size();
            const bool quoted = pos > 0 && text.at(pos - 1) == u'"' && end < text.size() && text.at(end) == u'"';
            out += QStringView(text).mid(from, pos - from);
            out += value(int(i), quoted);
            from = end;
            pos = end - 1;
            break;
        }
    }
    if (from == 0) {
        return text;
    }
    out += QStringView(text).mid(from);
    return out;
}

QString csvField(const QString& value, bool quotedInTemplate)
{
    QString doubled = value;
    doubled.replace(u'"', QStringLiteral("\"\""));
    if (quotedInTemplate) {
        return doubled;
    }
    const bool needsQuotes = value.contains(u',') || value.contains(u'"') || value.contains(u'\r') ||
                             value.contains(u'\n');
    return needsQuotes ? u'"' + doubled + u'"' : value;
}

// A value as the output writes it: line breaks as the template asks, and
// the characters of the output's syntax made safe.
QString formatValue(const QString& value, ValueSyntax syntax, const QString& lineBreak, bool quotedInTemplate)
{
    const QLatin1String escape(kSkedLineBreak);
    QString v = syntax == ValueSyntax::Markup ? value.toHtmlEscaped() : value;
    v.replace(escape, lineBreak);
    return syntax == ValueSyntax::Csv ? csvField(v, quotedInTemplate) : v;
}

// The line-break text of a "<#CRLF" line: between the first double quote
// after the tag and the next; none when the quotes are missing.
std::optional<QString> lineBreakDefinition(const QString& line)
{
    const qsizetype tag = line.indexOf(QLatin1String("<#CRLF"));
    const qsizetype open = tag < 0 ? -1 : line.indexOf(u'"', tag);
    const qsizetype close = open < 0 ? -1 : line.indexOf(u'"', open + 1);
    if (close < 0) {
        return std::nullopt;
    }
    return line.mid(open + 1, close - open - 1);
}

class TemplateRenderer
{
public:
    TemplateRenderer(const RenderInput& input, ValueSyntax syntax) : m_in(input), m_syntax(syntax) {}

    QString render(const QStringList& lines)
    {
        QString out;
        ParseState state = ParseState::Header;
        for (const QString& line : lines) {
            if (line.startsWith(u'#')) {
                continue;
            }
            if (line.contains(QLatin1String("<#CRLF"))) {
                m_lineBreak = lineBreakDefinition(line).value_or(m_lineBreak);
            }
            state = takeLine(line, state, out);
        }
        return out;
    }

private:
    // Markers are looked for in the template's own text, never in the
    // criteria written into it.
    ParseState takeLine(const QString& line, ParseState state, QString& out)
    {
        if (state == ParseState::Header) {
            if (line.contains(QLatin1String("NoxStart"))) {
                return ParseState::Skipping;
            }
            out += withCriteria(line) + kCrLf;
            return state;
        }
        if (line.contains(QLatin1String("NoxEnd"))) {
            appendBlocks(out);
            return ParseState::Header;
        }
        for (const SectionMarker& m : kSectionMarkers) {
            if (line.contains(QLatin1String(m.marker))) {
                return m.state;
            }
        }
        if (state != ParseState::Skipping) {
            m_sections[kindOfState(state)] += withCriteria(line) + kCrLf;
        }
        return state;
    }

    QString withCriteria(const QString& line) const
    {
        const QString* values[] = {&m_in.criteria.startDate, &m_in.criteria.endDate, &m_in.criteria.category};
        return replaceTags(line, kCriteriaTags,
                           [&](int i, bool quoted) { return formatValue(*values[i], m_syntax, kCrLf, quoted); });
    }

    QString lineBreak() const { return m_lineBreak.isEmpty() ? kCrLf : m_lineBreak; }

    QString dateText(const QDate& date)
    {
        auto it = m_dates.constFind(date);
        if (it == m_dates.cend()) {
            it = m_dates.insert(date, formatDateTime(m_in.settings.dateFormat, date));
        }
        return *it;
    }

    int kindOf(const QDate& date) const
    {
        static const HolidayList none;
        return dayKind(date, m_in.holidays ? *m_in.holidays : none);
    }

    void appendBlock(QString& out, const QString& section, const BlockValues& values) const
    {
        const QString br = lineBreak();
        out += replaceTags(section, kValueTags,
                           [&](int i, bool quoted) { return formatValue(values[i], m_syntax, br, quoted); });
    }

    void appendBlocks(QString& out)
    {
        if (m_in.sample) {
            appendSampleBlocks(out);
        } else {
            appendResultBlocks(out);
        }
    }

    bool writesEmptyDays() const
    {
        switch (m_in.settings.emptyDays) {
        case EmptyDays::WithPeriod:
            return !m_in.criteria.startDate.isEmpty() || !m_in.criteria.endDate.isEmpty();
        case EmptyDays::Always:
            return true;
        case EmptyDays::Never:
            break;
        }
        return false;
    }

    void appendResultBlocks(QString& out)
    {
        Sections sections = m_sections;
        for (int kind : {dkSaturday, dkSunday, dkHoliday}) {
            if (sections[kind].isEmpty()) {
                sections[kind] = sections[dkWeekday];
            }
        }
        const bool emptyDays = writesEmptyDays();
        const TSkedSearchRec* previous = nullptr;
        for (const TSkedSearchRec& r : m_in.results) {
            if (emptyDays && previous) {
                for (QDate d = previous->Date.addDays(1); d < r.Date; d = d.addDays(1)) {
                    appendBlock(out, sections[kindOf(d)], BlockValues{dateText(d)});
                }
            }
            const bool hideDate = m_in.settings.duplicateDate && previous && previous->Date == r.Date;
            appendBlock(out, sections[kindOf(r.Date)],
                        {hideDate ? QString() : dateText(r.Date), r.StartText, r.EndText, r.Text, r.Memo,
                         r.Category});
            previous = &r;
        }
    }

    void appendSampleBlocks(QString& out)
    {
        const QString text = QStringLiteral("xxxxxxxxx ").repeated(6);
        const QString memo = QStringLiteral("xxxxxxxxx ").repeated(3);
        const QString category = QStringLiteral("x").repeated(12);
        for (int offset = 0; offset < 20; ++offset) {
            int kind = dkWeekday;
            if (offset == 2) {
                kind = dkHoliday;
            } else if (offset == 5 || offset == 12) {
                kind = dkSaturday;
            } else if (offset == 6 || offset == 13) {
                kind = dkSunday;
            }
            appendBlock(out, m_sections[kind],
                        {dateText(m_in.today.addDays(offset)), QStringLiteral("9:00"), QStringLiteral("10:00"), text,
                         memo, category});
        }
    }

    const RenderInput& m_in;
    ValueSyntax m_syntax;
    Sections m_sections;
    QString m_lineBreak; // empty: CR LF
    QHash<QDate, QString> m_dates;
};

QString copyError(const QString& path, const QString& reason)
{
    return QStringLiteral("ファイル「%1」をコピーできません: %2").arg(path, reason);
}

bool isCompanion(const QFileInfo& file)
{
    return !file.fileName().startsWith(u'.') &&
           file.completeBaseName().compare(QLatin1String("template"), Qt::CaseInsensitive) != 0;
}

// The layout's other files (not folders, hidden files or the template).
QFileInfoList companionFiles(const QString& layoutFolder)
{
    QFileInfoList files = QDir(layoutFolder).entryInfoList(QDir::Files, QDir::Name);
    files.removeIf([](const QFileInfo& file) { return !isCompanion(file); });
    return files;
}

bool readWhole(const QString& path, QByteArray* bytes, QString* error)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = copyError(path, in.errorString());
        return false;
    }
    *bytes = in.readAll();
    if (in.error() != QFileDevice::NoError) {
        *error = copyError(path, in.errorString());
        return false;
    }
    return true;
}

// Copies the layout's companion files into `outputFolder`. Returns an empty
// string or the message.
QString copyCompanions(const QString& layoutFolder, const QString& outputFolder)
{
    if (QFileInfo(layoutFolder).canonicalFilePath() == QFileInfo(outputFolder).canonicalFilePath()) {
        return {};
    }
    for (const QFileInfo& file : companionFiles(layoutFolder)) {
        QByteArray bytes;
        QString error;
        if (!readWhole(file.filePath(), &bytes, &error)) {
            return error;
        }
        if (const Status written = writeFileAtomic(QDir(outputFolder).filePath(file.fileName()), bytes); !written) {
            return written.message();
        }
    }
    return {};
}

// The output's path: the template's extension added when it has none.
QString outputPathFor(const QString& outputPath, const QString& templatePath)
{
    if (!QFileInfo(outputPath).suffix().isEmpty() || templatePath.isEmpty()) {
        return outputPath;
    }
    return outputPath + QLatin1Char('.') + QFileInfo(templatePath).suffix();
}

// What may stand before and after a file name that is a whole reference:
// quotes, "url(", "=", a blank; after it also a query, a fragment or the end
// of a tag.
bool opensReference(QChar c)
{
    return c.isSpace() || QStringView(u"\"'(=,").contains(c);
}

bool closesReference(QChar c)
{
    return c.isSpace() || QStringView(u"\"'),;?#>").contains(c);
}

// Makes `name`, where it stands as a whole relative reference in `line`
// ("style.css", "./style.css"; not "x-style.css" or "img/style.css"), point
// into `folder`.
void pointIntoFolder(QString& line, const QString& name, const QString& folder)
{
    const QString replacement = folder + QLatin1Char('/') + name;
    qsizetype from = 0;
    while ((from = line.indexOf(name, from)) >= 0) {
        const qsizetype end = from + name.size();
        qsizetype start = from;
        if (start >= 2 && line.at(start - 1) == u'/' && line.at(start - 2) == u'.') {
            start -= 2; // "./name": the prefix stays in front of the folder
        }
        const bool before = start == 0 || opensReference(line.at(start - 1));
        const bool after = end == line.size() || closesReference(line.at(end));
        if (before && after) {
            line.replace(from, name.size(), replacement);
            from += replacement.size();
        } else {
            from = end;
        }
    }
}

RenderResult failed(const QString& message)
{
    RenderResult r;
    r.status = RenderResult::Failed;
    r.message = message;
    return r;
}

} // namespace

EmptyDays emptyDaysOf(int noneSkedDate)
{
    return noneSkedDate >= 0 && noneSkedDate <= 2 ? EmptyDays(noneSkedDate) : EmptyDays::Always;
}

PrintSettings readPrintSettings(const Settings& ini)
{
    PrintSettings s;
    s.dateFormat = ini.readString(Key::SearchDateFormat);
    s.duplicateDate = ini.readBool(Key::SearchDuplicateDate);
    s.emptyDays = emptyDaysOf(ini.readInt(Key::SearchNoneSkedDate));
    return s;
}

PrintCriteria printCriteria(const SearchQuery& query, const QString& dateFormat)
{
    PrintCriteria c;
    if (query.from.isValid()) {
        c.startDate = formatDateTime(dateFormat, query.from);
    }
    if (query.to.isValid()) {
        c.endDate = formatDateTime(dateFormat, query.to);
    }
    c.category = query.category;
    return c;
}

ValueSyntax valueSyntaxOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    static const QStringList markup{QStringLiteral("html"), QStringLiteral("htm"), QStringLiteral("xhtml"),
                                    QStringLiteral("xht"),  QStringLiteral("xml"), QStringLiteral("svg")};
    if (markup.contains(suffix)) {
        return ValueSyntax::Markup;
    }
    return suffix == u"csv" ? ValueSyntax::Csv : ValueSyntax::Plain;
}

bool isPrintableOutput(const QString& path)
{
    static const QStringList pageTypes{QStringLiteral("text/html"), QStringLiteral("application/xhtml+xml"),
                                       QStringLiteral("application/xml"), QStringLiteral("text/xml"),
                                       QStringLiteral("image/svg+xml"), QStringLiteral("text/plain")};
    // By name only: the type of a file is what its extension says, as for a browser opening it.
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    return pageTypes.contains(type.name());
}

QStringList printLayouts(const QString& printFolder)
{
    QStringList names = QDir(printFolder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    names.removeIf([](const QString& name) { return name.startsWith(u'.'); });
    return names;
}

QString findTemplate(const QString& layoutFolder)
{
    const QFileInfoList files = QDir(layoutFolder).entryInfoList(QDir::Files, QDir::Name);
    for (const QFileInfo& file : files) {
        if (file.completeBaseName().compare(QLatin1String("template"), Qt::CaseInsensitive) == 0) {
            return file.filePath();
        }
    }
    return {};
}

QString renderTemplateText(const QStringList& templateLines, const RenderInput& input, ValueSyntax syntax)
{
    return TemplateRenderer(input, syntax).render(templateLines);
}

QString companionFolderOf(const QString& pagePath)
{
    const QFileInfo page(pagePath);
    return page.dir().filePath(page.completeBaseName() + QStringLiteral("_files"));
}

QStringList referencesIntoFolder(QStringList lines, const QStringList& names, const QString& folder,
                                 ValueSyntax syntax)
{
    // In a page a reference is a URL: the folder's name is percent-encoded
    // (a blank or a kanji in it would break the link otherwise).
    const QString ref = syntax == ValueSyntax::Markup
                            ? QString::fromLatin1(QUrl::toPercentEncoding(folder))
                            : folder;
    for (QString& line : lines) {
        for (const QString& name : names) {
            pointIntoFolder(line, name, ref);
        }
    }
    return lines;
}

QStringList companionsToReplace(const QString& layoutFolder, const QString& outputPath)
{
    QStringList replaced;
    const QString folder = companionFolderOf(outputPathFor(outputPath, findTemplate(layoutFolder)));
    for (const QFileInfo& file : companionFiles(layoutFolder)) {
        const QString target = QDir(folder).filePath(file.fileName());
        if (!QFileInfo(target).exists() && !QFileInfo(target).isSymLink()) {
            continue;
        }
        QByteArray mine;
        QByteArray theirs;
        QString error;
        if (!readWhole(file.filePath(), &mine, &error) || !readWhole(target, &theirs, &error) || mine != theirs) {
            replaced << target;
        }
    }
    return replaced;
}

RenderResult RenderTemplate(const QString& layoutFolder, const QString& outputPath, const RenderInput& input,
                            bool createFolder, CompanionPlace place)
{
    const QString outputFolder = QFileInfo(outputPath).absolutePath();
    if (createFolder && !QDir().mkpath(outputFolder)) {
        return failed(QStringLiteral("フォルダー「%1」を作成できません。").arg(outputFolder));
    }
    if (!QFileInfo(layoutFolder).isDir()) {
        return failed(QStringLiteral("印刷レイアウトのフォルダー「%1」が見つかりません。").arg(layoutFolder));
    }
    const QString templatePath = findTemplate(layoutFolder);
    if (templatePath.isEmpty()) {
        RenderResult r;
        r.status = RenderResult::NoTemplate;
        r.message = QStringLiteral("テンプレートファイルが見つかりません。");
        return r;
    }
    const TextReadResult read = readTextLines(templatePath);
    if (!read.ok()) {
        return failed(read.message());
    }
    const QString path = outputPathFor(outputPath, templatePath);
    const ValueSyntax syntax = valueSyntaxOf(templatePath);
    QStringList lines = read->lines;
    QString companionFolder = outputFolder;
    QStringList names;
    for (const QFileInfo& file : companionFiles(layoutFolder)) {
        names << file.fileName();
    }
    if (place != CompanionPlace::BesideOutput && !names.isEmpty()) {
        companionFolder = companionFolderOf(path);
        if (place == CompanionPlace::PageFolder) {
            if (const QStringList replaced = companionsToReplace(layoutFolder, path); !replaced.isEmpty()) {
                RenderResult r;
                r.status = RenderResult::WouldReplace;
                r.replaced = replaced;
                r.message = QStringLiteral("次のファイルは別の内容で既にあるため、保存しませんでした:\n%1")
                                .arg(QDir::toNativeSeparators(replaced.join(u'\n')));
                return r;
            }
        }
        const QFileInfo folder(companionFolder);
        if ((folder.exists() || folder.isSymLink()) && !folder.isDir()) {
            return failed(QStringLiteral("「%1」はフォルダーではないため、レイアウトのファイルを置けません。")
                              .arg(QDir::toNativeSeparators(companionFolder)));
        }
        if (!folder.isDir() && !QDir().mkdir(companionFolder)) {
            return failed(QStringLiteral("フォルダー「%1」を作成できません。").arg(companionFolder));
        }
        lines = referencesIntoFolder(lines, names, folder.fileName(), syntax);
    }
    if (const QString error = copyCompanions(layoutFolder, companionFolder); !error.isEmpty()) {
        return failed(error);
    }
    const QString text = renderTemplateText(lines, input, syntax);
    if (const Status written = writeFileAtomic(path, encodeText(text)); !written) {
        return failed(written.message());
    }
    RenderResult r;
    r.status = RenderResult::Written;
    r.path = path;
    return r;
}

} // namespace nox
