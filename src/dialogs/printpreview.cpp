#include "dialogs/printpreview.h"

#include <QFileInfo>

namespace nox
{

namespace
{
TPrintSampleRenderer& renderer()
{
    static TPrintSampleRenderer r;
    return r;
}
TPagePictureMaker& pictureMaker()
{
    static TPagePictureMaker m;
    return m;
}
} // namespace

void SetPrintPreviewMakers(TPrintSampleRenderer r, TPagePictureMaker m)
{
    renderer() = std::move(r);
    pictureMaker() = std::move(m);
}

const TPrintSampleRenderer& PrintSampleRenderer()
{
    return renderer();
}

const TPagePictureMaker& PagePictureMaker()
{
    return pictureMaker();
}

bool IsTextOutput(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QStringLiteral("txt") || suffix == QStringLiteral("csv");
}

} // namespace nox
