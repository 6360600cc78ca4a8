#pragma once
// Shared set-up for the day view tests: fonts, the 48 half-hour lines,
// items, images and review shots.
#include "sked/sked.h"
#include "sked/skedcontrol.h"

#include <QPoint>
#include <QString>

namespace skedtest
{

// Substitutes the program's default face and sets an 11-pixel font, whose
// row height is 16 pixels.
void setUpFonts();
QFont testFont(int pixelSize = 11);

void fillLines(nox::sked::TLines& lines, int count = 48);
nox::sked::TSkedItem* addItem(nox::sked::TCustomSked& sked, int start, int end, const QString& text = {},
                              int imageIndex = -1);
// Four 16 x 16 icons.
const QList<QPixmap>& images();

// Shows the widget at the given size and waits until it is active.
bool showActive(QWidget& w, QSize size);

// Client point in the middle of a row (x inside the item area by default).
QPoint rowPoint(const nox::sked::TCustomSked& sked, int row, int x = -1);

// When NOX_TEST_SHOTS names a folder, saves the widget as <name>.png there,
// and as <name>@2x.png rendered at device pixel ratio 2.
void saveShot(QWidget& w, const QString& name);

} // namespace skedtest
