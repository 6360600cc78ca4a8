#pragma once
// Conversions of data left by older versions, run once during the deferred
// start-up in this order: style fonts, the 2.00β5 conversion, the day-file
// update pass. Each is gated on the version that last wrote "Nox.ini" (empty
// when there was no such file). None of them shows anything itself: the
// update pass reports its progress through callbacks so that the caller can
// drive the processing window.
#include <QString>
#include <QStringList>
#include <functional>

namespace nox::conversions
{

// --- Version gates -------------------------------------------------------

// True iff the version is not empty and its first character is a digit not
// above 0 ("0.92"); a first character that is not a digit counts as 1.
bool needsStyleFontConversion(const QString& storedVersion);

// True iff the version is not "2.00" and sorts below "2.00β5" byte by byte in
// the legacy code page (an empty version sorts below).
bool needsBeta5Conversion(const QString& storedVersion);

// True iff the version reads as a plain decimal number from 2.00 to 2.04
// inclusive ("2.00β5" and other non-numbers do not).
bool needsDayFileUpdate(const QString& storedVersion);

// --- The conversions ------------------------------------------------------

// In "Style1".."Style3" of the style file: a "FontName" of "tahoma" (any case)
// becomes "ＭＳ Ｐゴシック" with "FontSize" 9. Returns true iff a section was
// changed (the caller then applies the active style again). A missing file
// changes nothing.
bool convertStyleFonts(const QString& styleIniPath);

struct Beta5Result {
    int keywordsDeleted = 0;     // "search"/"keyword1".."keyword20" removed
    bool holidayRenamed = false; // "holiday.nox" became "holiday.txt"
};

// Deletes the old search history keys from the settings file and renames the
// old holiday list "holiday.nox" to "holiday.txt" unless that already exists.
Beta5Result convertToBeta5(const QString& noxIniPath, const QString& dataFolder);

// Callbacks of the update pass; each is optional.
struct UpdateProgress {
    std::function<void(int total)> begin; // before the first file; total = number of day files
    std::function<void(int done)> step;   // after each file (1..total)
    std::function<void()> end;            // after the last file
};

struct DayFileUpdateResult {
    int files = 0;           // day files examined
    int linesRenumbered = 0; // lines that got a new ID (and 13 fields)
    int linesKept = 0;       // lines that are no schedule and were left exactly as they were
    int alarmsRemapped = 0;  // entries of "alarm.nox" moved to the new IDs
    QStringList failedFiles; // files that could not be read or written (left unchanged)
};

// Gives every schedule of the data folder a unique ID and 13 fields: one
// counter for the whole pass, counting every line of every day file in date
// order; each line that reads as a schedule gets the counter as its ID and is
// padded with empty fields to 13. Other fields keep their exact text. Lines
// that do not read as a schedule are kept unchanged. Pending alarms of
// "alarm.nox" follow their schedules to the new IDs, so no alarm is lost.
DayFileUpdateResult updateDayFiles(const QString& dataFolder, const UpdateProgress& progress = {});

struct ConversionResult {
    bool styleFontsConverted = false; // the caller applies the active style again
    bool beta5Ran = false;
    Beta5Result beta5;
    bool dayFilesUpdated = false;
    DayFileUpdateResult dayFiles;
};

// Runs the three conversions that the stored version asks for, in order, on
// the files of the data folder ("style.ini", "Nox.ini", day files).
ConversionResult runConversions(const QString& storedVersion, const QString& dataFolder,
                                const UpdateProgress& progress = {});

} // namespace nox::conversions
