#pragma once
// Print and export layouts: a sub-folder of the program's "print" folder per
// layout, holding a template ("template.*", its extension becoming the
// output's) and companion files (pictures, style sheets) that go with every
// output (see CompanionPlace).
//
// Template syntax:
//   a line starting with "#"              comment: dropped, not examined
//   <#NoxSearchStartDate> / <#NoxSearchEndDate> / <#NoxSearchCategory>
//                                          the print criteria, anywhere
//   a line holding <#CRLF ... "TEXT"       line breaks inside values become
//                                          TEXT (default CR LF); the line
//                                          itself is an ordinary line
//   a line holding NoxStart                starts the repeated part (dropped)
//   lines holding NoxWeekday / NoxSunday / NoxSaturday / NoxHoliday
//                                          open the section of that kind of
//                                          day (dropped)
//   a line holding NoxEnd                  is replaced by the blocks
//   <#NoxDate> <#NoxSTime> <#NoxETime> <#NoxSked> <#NoxMemo> <#NoxCategory>
//                                          the values of a block
// Markers are matched case-sensitively anywhere in a line (so they may stand
// in a comment of the output language); tags ignore letter case. Values are
// written in the output's own syntax: escaped in HTML and XML, quoted where
// needed in CSV, as they are in any other format.
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include "search/searchresult.h"

namespace nox
{

class HolidayList;
class Settings;
struct SearchQuery;

// The period and category of the search, as written into the output: the
// dates in the print date format, empty when that end of the period is off.
struct PrintCriteria {
    QString startDate;
    QString endDate;
    QString category;
};

// Days without results: written only with a period, always, never.
enum class EmptyDays { WithPeriod = 0, Always = 1, Never = 2 };

// The setting "noneskeddate" (0..2); any other value reads as "always".
EmptyDays emptyDaysOf(int noneSkedDate);

// The print settings of "Nox.ini" (section "search").
struct PrintSettings {
    QString dateFormat = QStringLiteral("yyyy/m/dd(aaa)");
    bool duplicateDate = false; // a repeated date is left empty
    EmptyDays emptyDays = EmptyDays::Always;
};

// "dateformat", "duplicatedate" and "noneskeddate" of "Nox.ini"; a mode
// outside 0..2 reads as "always".
PrintSettings readPrintSettings(const Settings& ini);
// The criteria of a search as written into an output: the ends of the period
// that are on in the print date format, and the category.
PrintCriteria printCriteria(const SearchQuery& query, const QString& dateFormat);

// How values are written into the output.
enum class ValueSyntax { Plain, Markup, Csv };
// By the extension of a template: html/htm/xhtml/xht/xml/svg Markup, csv Csv.
ValueSyntax valueSyntaxOf(const QString& path);

// Whether a page engine can lay out the output for printing and preview:
// HTML, XHTML, XML, SVG and plain text can; CSV and every other type (which
// a browser would only offer to download) cannot.
bool isPrintableOutput(const QString& path);

// Names of the layouts (sub-folders of `printFolder`), sorted.
QStringList printLayouts(const QString& printFolder);
// The template of a layout folder: the first file (by name) whose name
// without its extension is "template" in any letter case; empty when none.
QString findTemplate(const QString& layoutFolder);

// What to render: the results, or with `sample` the built-in sample of 20
// days from `today`.
struct RenderInput {
    QList<TSkedSearchRec> results;
    PrintCriteria criteria;
    PrintSettings settings;
    const HolidayList* holidays = nullptr; // none: no holidays
    bool sample = false;
    QDate today;
};

// The output text of template lines (each output line ended by CR LF).
QString renderTemplateText(const QStringList& templateLines, const RenderInput& input,
                           ValueSyntax syntax = ValueSyntax::Plain);

struct RenderResult {
    enum Status { Written, NoTemplate, WouldReplace, Failed };
    Status status = Failed;
    QString path;         // the file written
    QString message;      // for the user, when not written; names the file or folder
    QStringList replaced; // WouldReplace: the files that differ
    bool ok() const { return status == Written; }
};

// Where the layout's companion files go.
enum class CompanionPlace {
    // Next to the output, replacing files of the same name: for outputs in
    // the program's own "temp" folder.
    BesideOutput,
    // Into the page's own folder (companionFolderOf), with the page's
    // references to them pointed there, as a browser saves a page: nothing
    // beside the page but the page is touched. A file in that folder that
    // differs from the layout's is not replaced: nothing is written and the
    // result is WouldReplace.
    PageFolder,
    // The same, replacing such files (the user agreed to it).
    PageFolderReplacing,
};

// The folder of a saved page's companion files: "a_files" for "a.html".
QString companionFolderOf(const QString& pagePath);
// The files a PageFolder rendering of the layout into `outputPath` (the
// template's extension added when it has none) would replace: those in the
// page's folder named like a companion file and holding other bytes.
QStringList companionsToReplace(const QString& layoutFolder, const QString& outputPath);
// Template lines with every whole relative reference to one of `names`
// ("style.css", "./style.css" in an attribute, a url() or on its own) pointed
// into `folder` (percent-encoded for markup).
QStringList referencesIntoFolder(QStringList lines, const QStringList& names, const QString& folder,
                                 ValueSyntax syntax);

// Renders the layout in `layoutFolder` into `outputPath` (the template's
// extension appended when it has none). With `createFolder` the output's
// folder is created first. The layout's companion files are placed as
// `place` says. Every file is written atomically; nothing is reported
// written that was not.
RenderResult RenderTemplate(const QString& layoutFolder, const QString& outputPath, const RenderInput& input,
                            bool createFolder, CompanionPlace place = CompanionPlace::BesideOutput);

} // namespace nox
