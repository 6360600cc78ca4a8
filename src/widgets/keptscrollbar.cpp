#include "widgets/keptscrollbar.h"

#include <QHash>
#include <QPaintEngine>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionSlider>

namespace nox
{

namespace
{

// Everything of the look the style is given, and where it draws it.
struct Look {
    QSize size;
    qreal ratio;
    const QStyle* style;
    qint64 palette;
    int state;
    int orientation;
    int minimum, maximum, position, value, pageStep, singleStep;
    bool upsideDown;
    int direction;
    bool operator==(const Look&) const = default;
};

size_t qHash(const Look& k, size_t seed = 0)
{
    return qHashMulti(seed, k.size.width(), k.size.height(), k.ratio, quintptr(k.style), k.palette, k.state,
                      k.orientation, k.minimum, k.maximum, k.position, k.value, k.pageStep, k.singleStep,
                      k.upsideDown, k.direction);
}

// A few dozen looks: every row count of a day view many times over.
constexpr qsizetype kMostLooks = 64;

} // namespace

TKeptScrollBar::TKeptScrollBar(Qt::Orientation orientation, QWidget* parent) : QScrollBar(orientation, parent) {}

void TKeptScrollBar::paintEvent(QPaintEvent* event)
{
    if (underMouse() || isSliderDown()) {
        QScrollBar::paintEvent(event); // hovered or pressed parts: drawn as they are
        return;
    }
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    opt.subControls = QStyle::SC_All;
    opt.activeSubControls = QStyle::SC_None;
    QPainter p(this);
    // The density of what is painted on (a widget may be drawn into an image
    // of another density than its screen's).
    const QPaintDevice* target = p.paintEngine() ? p.paintEngine()->paintDevice() : nullptr;
    const qreal ratio = target ? target->devicePixelRatioF() : devicePixelRatioF();
    const Look look{size(),          ratio,         style(),          palette().cacheKey(),
                    int(opt.state),  opt.orientation, opt.minimum,    opt.maximum,
                    opt.sliderPosition, opt.sliderValue, opt.pageStep, opt.singleStep,
                    opt.upsideDown,  int(opt.direction)};
    static QHash<Look, QPixmap> looks; // the GUI thread's
    auto kept = looks.constFind(look);
    if (kept == looks.cend()) {
        if (looks.size() >= kMostLooks) {
            looks.clear();
        }
        // Over the window's colour, as the bar is drawn in the window: the
        // style covers the whole bar, so the picture is the bar's own pixels.
        QPixmap picture(size() * ratio);
        picture.setDevicePixelRatio(ratio);
        picture.fill(palette().color(QPalette::Window));
        QPainter q(&picture);
        style()->drawComplexControl(QStyle::CC_ScrollBar, &opt, &q, this);
        q.end();
        kept = looks.insert(look, picture);
    }
    p.drawPixmap(0, 0, *kept);
}

} // namespace nox
