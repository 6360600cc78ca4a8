#pragma once
// Where a popup message window stands while it slides out. Pure functions,
// no widgets: the screen and its available area (the screen minus the
// desktop's panels) come from QScreen::geometry() and availableGeometry().
#include <QRect>
#include <QSize>

namespace nox
{

// Corners of "popupwindow"/"pos".
enum TPopupCorner { pcTopLeft = 0, pcBottomLeft = 1, pcTopRight = 2, pcBottomRight = 3 };

constexpr int kPopupGrowStep = 5;        // pixels per step
constexpr int kPopupGrowIntervalMs = 20; // milliseconds per step
// Where a popup with an unknown corner stands (relative to the screen).
constexpr int kPopupDesignLeft = 674;
constexpr int kPopupDesignTop = 133;

// Height after `step` growth steps (step 0: 0): kPopupGrowStep more per step
// while that does not exceed the target, then the target at once.
int PopupHeightAtStep(int step, int targetHeight);
// True iff the window has reached its full height by `step` (growth then
// stops and the sound plays).
bool PopupGrownAtStep(int step, int targetHeight);

// The window rectangle after `step` steps. The window sits one pixel inside
// the chosen corner of the available area, that is next to the panel on
// that side (or one pixel from the screen edge where there is none); in the
// top corners its top edge stays and it grows downwards, in the bottom
// corners its bottom edge stays and it grows upwards. `size` is the width
// and the target height. An unknown corner uses the design position.
QRect PopupWindowRect(const QRect& screen, const QRect& available, int corner, const QSize& size, int step);

} // namespace nox
