#pragma once
// Work that is to wait for the repaint a change of the window has set off:
// posted behind the window's update request, at its low priority, so that it
// runs once the window is painted and put on screen. For work that would
// otherwise compete with that paint (the second processor may be a twin of
// the first one's core).
#include <functional>

class QObject;

namespace nox
{

// Runs `work` after the repaint now pending, unless `context` is gone by then.
void runAfterRepaint(QObject* context, std::function<void()> work);

} // namespace nox
