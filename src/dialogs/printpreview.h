#pragma once
// How the settings dialog's "印刷" page makes the picture of a print layout:
// the layout is rendered with the built-in sample data into a file, and a
// web page is turned into a picture. Both come from the print and export
// part of the program, which registers them at start-up; until it has,
// "プレビューを表示する" stays disabled.
#include <QImage>
#include <QSize>
#include <QString>
#include <functional>

namespace nox
{

struct TPrintPreviewRequest {
    QString layout;     // folder name below the "print" folder
    QString outputPath; // without extension: the template's is appended
    QString dateFormat; // the print date format
    QString startDate;  // written with dateFormat
    QString endDate;
    bool duplicateDate = false;
    int noneSkedDate = 1;
};

// Renders the layout with the sample data; the path of the written file, or
// empty when nothing was written (the renderer has told the user why).
using TPrintSampleRenderer = std::function<QString(const TPrintPreviewRequest& request)>;
// A picture of the rendered page at `size`; a null image when it cannot be made.
using TPagePictureMaker = std::function<QImage(const QString& path, QSize size)>;

void SetPrintPreviewMakers(TPrintSampleRenderer renderer, TPagePictureMaker pictureMaker);
const TPrintSampleRenderer& PrintSampleRenderer();
const TPagePictureMaker& PagePictureMaker();

// True for outputs shown as text rather than as a page picture (".txt", ".csv").
bool IsTextOutput(const QString& path);

} // namespace nox
