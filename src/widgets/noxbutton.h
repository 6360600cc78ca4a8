#pragma once
// TNoxButton: the flat tool button of the tool bars. A thin raised edge at
// rest, a thin sunken edge when pressed, a blue box while the pointer is over
// it; glyph and caption move one pixel right and down while it is down. With
// a GroupIndex it is a toggle in a group of mutually exclusive buttons that
// share the same parent widget.
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <functional>

#include "core/color.h"

class QAction;

namespace nox
{

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };

// Where glyph and caption go inside a client area of `client` size. Pure:
// `glyph` and `text` are the sizes to place (an empty size means "none");
// margin and spacing may be -1 (automatic) as for TNoxButton. With
// `rightToLeft` the left and right layouts swap.
struct TButtonLayoutResult {
    QPoint glyphPos;
    QRect textRect;
};
TButtonLayoutResult CalcButtonLayout(QSize client, QSize glyph, QSize text, TButtonLayout layout, int margin,
                                     int spacing, bool rightToLeft = false);

// The embossed picture used for a disabled glyph that the strip does not
// carry: the "ink" of `up` (opaque pixels that are not near white) drawn in
// `highlight` one pixel right and down, then in `shadow` on top.
QImage MakeDisabledGlyph(const QImage& up, const QColor& highlight, const QColor& shadow);

class TNoxButton : public QWidget
{
    Q_OBJECT
public:
    explicit TNoxButton(QWidget* parent = nullptr);
    ~TNoxButton() override;

    // Events (raised only when set).
    std::function<void(QObject* Sender)> OnClick;
    std::function<void(QObject* Sender)> OnDblClick; // only while Down

    QString Caption() const { return m_caption; }
    void SetCaption(const QString& caption);

    // A strip of NumGlyphs equally wide images: up, disabled, down, exclusive.
    // Images without alpha take their bottom-left pixel as transparent colour.
    QPixmap Glyph() const { return m_glyph; }
    void SetGlyph(const QPixmap& glyph);
    int NumGlyphs() const { return m_numGlyphs; }
    void SetNumGlyphs(int count); // clamped to 1..4

    TButtonLayout Layout() const { return m_layout; }
    void SetLayout(TButtonLayout layout);
    int Margin() const { return m_margin; }
    void SetMargin(int margin); // below -1 is refused
    int Spacing() const { return m_spacing; }
    void SetSpacing(int spacing);
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool transparent);

    int GroupIndex() const { return m_groupIndex; }
    void SetGroupIndex(int index);
    bool AllowAllUp() const { return m_allowAllUp; }
    void SetAllowAllUp(bool allow);
    bool Down() const { return m_down; }
    // Without a group index Down stays false. Releasing a down button of a
    // group needs AllowAllUp. Going down releases the other buttons of the group.
    void SetDown(bool down);

    // Caption, enabled state, hint and (when the glyph is empty) the glyph
    // come from the action; a click triggers it. The action is not owned.
    QAction* Action() const { return m_action; }
    void SetAction(QAction* action);

    // Internal state, exposed for tests and owners that draw alike.
    TButtonState State() const { return m_state; }
    bool MouseInControl() const { return m_mouseInControl; }
    bool Dragging() const { return m_dragging; }

    // Simulates a click as the mouse would: a group button toggles.
    void Click();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void pressAt();
    void setState(TButtonState state);
    void updateExclusive();
    void buttonPressedInGroup(TNoxButton* sender);
    void updateMnemonic();
    void syncFromAction();
    void fireClick();

    void paintFrame(QPainter& p, QRect& rect) const;
    void paintContents(QPainter& p, const QRect& rect) const;
    QSize glyphSize() const;
    QPixmap glyphFor(TButtonState state) const;

    QString m_caption;
    QPixmap m_glyph;
    int m_numGlyphs = 1;
    TButtonLayout m_layout = blGlyphLeft;
    int m_margin = -1;
    int m_spacing = 4;
    bool m_transparent = true;
    int m_groupIndex = 0;
    bool m_allowAllUp = false;
    bool m_down = false;
    TButtonState m_state = bsUp;
    bool m_dragging = false;
    bool m_mouseInControl = false;
    int m_shortcutId = 0;
    QAction* m_action = nullptr;
    bool m_glyphFromAction = false;
};

} // namespace nox
