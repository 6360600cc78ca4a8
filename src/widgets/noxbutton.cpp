#include "widgets/noxbutton.h"

#include <QAction>
#include <QApplication>
#include <QBitmap>
#include <QEnterEvent>
#include <QHash>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmapCache>
#include <QShortcutEvent>

namespace nox
{

namespace
{

constexpr TColor kHoverOuter = 0x00FF8000;
constexpr TColor kHoverInner = 0x00FFE0C1;

// Images made from glyph strips, shared by every button whose strip has the
// same pixels through Qt's pixmap cache (keyed by the strip and the state).
struct GlyphImages {
    QPixmap images[4]; // indexed by TButtonState
};

QString cacheKey(const QPixmap& strip, int numGlyphs, bool transparent, int state)
{
    return QStringLiteral("nox-glyph/%1/%2/%3/%4").arg(strip.cacheKey()).arg(numGlyphs).arg(transparent).arg(state);
}

// Bitmaps without alpha use their bottom-left pixel as the transparent colour.
QImage withTransparency(const QImage& source)
{
    QImage image = source.convertToFormat(QImage::Format_ARGB32);
    if (source.hasAlphaChannel() || image.isNull()) {
        return image;
    }
    const QRgb key = image.pixel(0, image.height() - 1);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (line[x] == key) {
                line[x] = 0;
            }
        }
    }
    return image;
}

GlyphImages makeGlyphImages(const QPixmap& strip, int numGlyphs, bool transparent)
{
    GlyphImages result;
    const int w = strip.width() / numGlyphs;
    const int h = strip.height();
    QImage source = strip.toImage();
    if (transparent) {
        source = withTransparency(source);
    }
    auto part = [&](int index) { return QPixmap::fromImage(source.copy(index * w, 0, w, h)); };
    const QPixmap up = part(0);
    result.images[bsUp] = up;
    if (numGlyphs >= 2) {
        result.images[bsDisabled] = part(1);
    } else {
        const QPalette pal = QApplication::palette();
        result.images[bsDisabled] = QPixmap::fromImage(MakeDisabledGlyph(
            withTransparency(up.toImage()), toQColor(clBtnHighlight, pal), toQColor(clBtnShadow, pal)));
    }
    // A strip without its own image for a state uses the up image.
    result.images[bsDown] = numGlyphs >= 3 ? part(2) : up;
    result.images[bsExclusive] = numGlyphs >= 4 ? part(3) : up;
    return result;
}

int centred(int outer, int inner)
{
    return (outer - inner + 1) / 2;
}

} // namespace

TButtonLayoutResult CalcButtonLayout(QSize client, QSize glyph, QSize text, TButtonLayout layout, int margin,
                                     int spacing, bool rightToLeft)
{
    if (rightToLeft && (layout == blGlyphLeft || layout == blGlyphRight)) {
        layout = layout == blGlyphLeft ? blGlyphRight : blGlyphLeft;
    }
    const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;
    QPoint glyphPos;
    QPoint textPos;
    if (horizontal) {
        glyphPos.setY(centred(client.height(), glyph.height()));
        textPos.setY(centred(client.height(), text.height()));
    } else {
        glyphPos.setX(centred(client.width(), glyph.width()));
        textPos.setX(centred(client.width(), text.width()));
    }
    if (text.isEmpty() || glyph.isEmpty()) {
        spacing = 0;
    }
    const int room = horizontal ? client.width() : client.height();
    const int gl = horizontal ? glyph.width() : glyph.height();
    const int tl = horizontal ? text.width() : text.height();
    if (margin == -1) {
        if (spacing == -1) {
            margin = (room - gl - tl) / 3;
            spacing = margin;
        } else {
            margin = (room - (gl + spacing + tl)) / 2;
        }
    } else if (spacing == -1) {
        spacing = (room - margin - gl - tl) / 2;
    }
    int g = 0;
    int t = 0;
    if (layout == blGlyphLeft || layout == blGlyphTop) {
        g = margin;
        t = margin + gl + spacing;
    } else {
        g = room - margin - gl;
        t = g - spacing - tl;
    }
    if (horizontal) {
        glyphPos.setX(g);
        textPos.setX(t);
    } else {
        glyphPos.setY(g);
        textPos.setY(t);
    }
    return {glyphPos, QRect(textPos, text)};
}

QImage MakeDisabledGlyph(const QImage& up, const QColor& highlight, const QColor& shadow)
{
    const QImage src = up.convertToFormat(QImage::Format_ARGB32);
    QImage ink(src.size(), QImage::Format_ARGB32);
    ink.fill(Qt::transparent);
    for (int y = 0; y < src.height(); ++y) {
        for (int x = 0; x < src.width(); ++x) {
            const QRgb px = src.pixel(x, y);
            if (qAlpha(px) >= 128 && qGray(px) < 224) {
                ink.setPixel(x, y, 0xFF000000);
            }
        }
    }
    QImage result(src.size(), QImage::Format_ARGB32);
    result.fill(Qt::transparent);
    QPainter p(&result);
    auto stamp = [&](const QColor& colour, int offset) {
        QImage tinted = ink;
        QPainter tp(&tinted);
        tp.setCompositionMode(QPainter::CompositionMode_SourceIn);
        tp.fillRect(tinted.rect(), colour);
        tp.end();
        p.drawImage(offset, offset, tinted);
    };
    stamp(highlight, 1);
    stamp(shadow, 0);
    return result;
}

TNoxButton::TNoxButton(QWidget* parent) : QWidget(parent)
{
    resize(22, 23);
    setAttribute(Qt::WA_Hover, false);
    setMouseTracking(false);
    setFocusPolicy(Qt::NoFocus);
}

TNoxButton::~TNoxButton() = default;

void TNoxButton::SetCaption(const QString& caption)
{
    if (caption == m_caption) {
        return;
    }
    m_caption = caption;
    updateMnemonic();
    updateGeometry();
    update();
}

void TNoxButton::SetGlyph(const QPixmap& glyph)
{
    m_glyph = glyph;
    m_glyphFromAction = false;
    if (m_glyph.isNull()) {
        syncFromAction();
    }
    updateGeometry();
    update();
}

void TNoxButton::SetNumGlyphs(int count)
{
    count = qBound(1, count, 4);
    if (count != m_numGlyphs) {
        m_numGlyphs = count;
        updateGeometry();
        update();
    }
}

void TNoxButton::SetLayout(TButtonLayout layout)
{
    if (layout != m_layout) {
        m_layout = layout;
        update();
    }
}

void TNoxButton::SetMargin(int margin)
{
    if (margin >= -1 && margin != m_margin) {
        m_margin = margin;
        update();
    }
}

void TNoxButton::SetSpacing(int spacing)
{
    if (spacing != m_spacing) {
        m_spacing = spacing;
        update();
    }
}

void TNoxButton::SetTransparent(bool transparent)
{
    if (transparent != m_transparent) {
        m_transparent = transparent;
        setAttribute(Qt::WA_OpaquePaintEvent, !transparent);
        update();
    }
}

void TNoxButton::SetGroupIndex(int index)
{
    if (index != m_groupIndex) {
        m_groupIndex = index;
        updateExclusive();
    }
}

void TNoxButton::SetAllowAllUp(bool allow)
{
    if (allow != m_allowAllUp) {
        m_allowAllUp = allow;
        updateExclusive();
    }
}

void TNoxButton::SetDown(bool down)
{
    if (m_groupIndex == 0) {
        down = false;
    }
    if (down == m_down) {
        return;
    }
    if (m_down && !m_allowAllUp) {
        return;
    }
    m_down = down;
    setState(down ? bsExclusive : bsUp);
    if (down) {
        updateExclusive();
    }
}

void TNoxButton::setState(TButtonState state)
{
    if (state != m_state) {
        m_state = state;
        update();
    }
}

// Tells the other buttons of the group, under the same parent, about this one.
void TNoxButton::updateExclusive()
{
    if (m_groupIndex == 0 || !parentWidget()) {
        return;
    }
    const auto siblings = parentWidget()->findChildren<TNoxButton*>(Qt::FindDirectChildrenOnly);
    for (TNoxButton* other : siblings) {
        if (other != this && other->m_groupIndex == m_groupIndex) {
            other->buttonPressedInGroup(this);
        }
    }
}

void TNoxButton::buttonPressedInGroup(TNoxButton* sender)
{
    if (sender->m_down && m_down) {
        m_down = false;
        setState(bsUp);
    }
    m_allowAllUp = sender->m_allowAllUp;
}

void TNoxButton::SetAction(QAction* action)
{
    if (m_action) {
        disconnect(m_action, nullptr, this, nullptr);
    }
    m_action = action;
    if (m_action) {
        connect(m_action, &QAction::changed, this, &TNoxButton::syncFromAction);
        connect(m_action, &QObject::destroyed, this, [this] { m_action = nullptr; });
    }
    syncFromAction();
}

void TNoxButton::syncFromAction()
{
    if (!m_action) {
        return;
    }
    SetCaption(m_action->text());
    setEnabled(m_action->isEnabled());
    setToolTip(m_action->toolTip());
    if ((m_glyph.isNull() || m_glyphFromAction) && !m_action->icon().isNull()) {
        const QList<QSize> sizes = m_action->icon().availableSizes();
        const QSize size = sizes.isEmpty() ? QSize(16, 16) : sizes.first();
        m_glyph = m_action->icon().pixmap(size);
        m_numGlyphs = 1;
        m_glyphFromAction = true;
        update();
    }
}

void TNoxButton::updateMnemonic()
{
    if (m_shortcutId != 0) {
        releaseShortcut(m_shortcutId);
        m_shortcutId = 0;
    }
    const QKeySequence key = QKeySequence::mnemonic(m_caption);
    if (!key.isEmpty()) {
        m_shortcutId = grabShortcut(key);
    }
}

bool TNoxButton::event(QEvent* event)
{
    if (event->type() == QEvent::Shortcut) {
        auto* se = static_cast<QShortcutEvent*>(event);
        if (se->shortcutId() == m_shortcutId && isEnabled() && isVisible()) {
            Click();
        }
        return true;
    }
    return QWidget::event(event);
}

void TNoxButton::Click()
{
    if (m_groupIndex != 0) {
        SetDown(!m_down);
    }
    fireClick();
}

void TNoxButton::fireClick()
{
    if (m_action) {
        m_action->trigger();
    }
    if (OnClick) {
        OnClick(this);
    }
}

void TNoxButton::pressAt()
{
    if (!m_down) {
        setState(bsDown);
        repaint();
    }
    m_dragging = true;
}

void TNoxButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && isEnabled()) {
        pressAt();
    }
    QWidget::mousePressEvent(event);
}

void TNoxButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click acts as a press as well.
    if (event->button() == Qt::LeftButton && isEnabled()) {
        pressAt();
        if (m_down && OnDblClick) {
            OnDblClick(this);
        }
    }
}

void TNoxButton::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging) {
        const bool inside = rect().contains(event->position().toPoint());
        TButtonState state = m_down ? bsExclusive : (inside ? bsDown : bsUp);
        setState(state);
    }
    QWidget::mouseMoveEvent(event);
}

void TNoxButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_dragging || event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_dragging = false;
    const bool inside = rect().contains(event->position().toPoint());
    if (m_groupIndex == 0) {
        setState(bsUp);
    } else if (inside) {
        SetDown(!m_down);
        if (m_down) {
            setState(bsExclusive);
        } else {
            setState(bsUp);
        }
    } else {
        setState(m_down ? bsExclusive : bsUp);
    }
    m_mouseInControl = isEnabled() && inside;
    update();
    if (inside) {
        fireClick();
    }
}

void TNoxButton::enterEvent(QEnterEvent* event)
{
    if (isEnabled() && !m_mouseInControl) {
        m_mouseInControl = true;
        update();
    }
    QWidget::enterEvent(event);
}

void TNoxButton::leaveEvent(QEvent* event)
{
    if (m_mouseInControl) {
        m_mouseInControl = false;
        update();
    }
    QWidget::leaveEvent(event);
}

void TNoxButton::changeEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::EnabledChange:
        if (!isEnabled()) {
            m_mouseInControl = false;
        }
        update();
        break;
    case QEvent::FontChange:
    case QEvent::PaletteChange:
        updateGeometry();
        update();
        break;
    default:
        break;
    }
    QWidget::changeEvent(event);
}

QSize TNoxButton::glyphSize() const
{
    if (m_glyph.isNull()) {
        return {};
    }
    return QSize(m_glyph.width() / m_numGlyphs, m_glyph.height());
}

QPixmap TNoxButton::glyphFor(TButtonState state) const
{
    QPixmap cached;
    if (QPixmapCache::find(cacheKey(m_glyph, m_numGlyphs, m_transparent, state), &cached)) {
        return cached;
    }
    const GlyphImages made = makeGlyphImages(m_glyph, m_numGlyphs, m_transparent);
    for (int i = 0; i < 4; ++i) {
        QPixmapCache::insert(cacheKey(m_glyph, m_numGlyphs, m_transparent, i), made.images[i]);
    }
    return made.images[state];
}

QSize TNoxButton::sizeHint() const
{
    const QFontMetrics fm(font());
    const QSize text = m_caption.isEmpty() ? QSize() : fm.size(Qt::TextShowMnemonic, m_caption);
    const QSize glyph = glyphSize();
    const int gap = text.isEmpty() || glyph.isEmpty() ? 0 : qMax(m_spacing, 0);
    QSize need;
    if (m_layout == blGlyphLeft || m_layout == blGlyphRight) {
        need = QSize(glyph.width() + gap + text.width(), qMax(glyph.height(), text.height()));
    } else {
        need = QSize(qMax(glyph.width(), text.width()), glyph.height() + gap + text.height());
    }
    return need.grownBy(QMargins(4, 4, 4, 4)).expandedTo(QSize(22, 23));
}

void TNoxButton::paintEvent(QPaintEvent*)
{
    if (!isEnabled()) {
        m_state = bsDisabled;
        m_dragging = false;
    } else if (m_state == bsDisabled) {
        m_state = m_down && m_groupIndex != 0 ? bsExclusive : bsUp;
    }
    QPainter p(this);
    QRect r = rect();
    paintFrame(p, r);
    if (m_state == bsExclusive) {
        const QPalette& pal = palette();
        p.fillRect(r, toQColor(clBtnFace, pal));
        p.fillRect(r, QBrush(toQColor(clBtnHighlight, pal), Qt::Dense4Pattern));
    }
    if (m_state == bsDown || m_state == bsExclusive) {
        r.translate(1, 1);
    }
    paintContents(p, r);
}

// Draws the hover box or the edge and shrinks `rect` to the inside.
void TNoxButton::paintFrame(QPainter& p, QRect& rect) const
{
    const QPalette& pal = palette();
    if (m_mouseInControl) {
        p.fillRect(rect, toQColor(kHoverOuter));
        p.fillRect(rect.adjusted(1, 1, -1, -1), toQColor(kHoverInner));
    } else {
        const bool sunken = m_state == bsDown || m_state == bsExclusive;
        const QColor topLeft = toQColor(sunken ? clBtnShadow : clBtnHighlight, pal);
        const QColor bottomRight = toQColor(sunken ? clBtnHighlight : clBtnShadow, pal);
        if (!m_transparent) {
            p.fillRect(rect.adjusted(1, 1, -1, -1), toQColor(clBtnFace, pal));
        }
        const int l = rect.left(), t = rect.top(), r = rect.right(), b = rect.bottom();
        p.fillRect(QRect(l, t, rect.width(), 1), topLeft);
        p.fillRect(QRect(l, t, 1, rect.height()), topLeft);
        p.fillRect(QRect(l, b, rect.width(), 1), bottomRight);
        p.fillRect(QRect(r, t, 1, rect.height()), bottomRight);
    }
    rect.adjust(1, 1, -1, -1);
}

void TNoxButton::paintContents(QPainter& p, const QRect& rect) const
{
    const QFontMetrics fm(font());
    const QSize text = m_caption.isEmpty() ? QSize() : fm.size(Qt::TextShowMnemonic, m_caption);
    const TButtonLayoutResult lay = CalcButtonLayout(rect.size(), glyphSize(), text, m_layout, m_margin,
                                                     m_spacing, layoutDirection() == Qt::RightToLeft);
    if (!m_glyph.isNull()) {
        p.drawPixmap(rect.topLeft() + lay.glyphPos, glyphFor(m_state));
    }
    if (m_caption.isEmpty()) {
        return;
    }
    const QRect tr = lay.textRect.translated(rect.topLeft());
    const int flags = Qt::AlignCenter | Qt::TextShowMnemonic;
    const QPalette& pal = palette();
    p.setFont(font());
    if (m_state == bsDisabled) {
        p.setPen(toQColor(clBtnHighlight, pal));
        p.drawText(tr.translated(1, 1), flags, m_caption);
        p.setPen(toQColor(clBtnShadow, pal));
    } else {
        p.setPen(toQColor(clBtnText, pal));
    }
    p.drawText(tr, flags, m_caption);
}

} // namespace nox
