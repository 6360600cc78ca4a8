// Layout and painting of a day column.
#include "sked/sked.h"

#include "core/textline.h"
#include "sked/skedcontrol.h"
#include "widgets/repeatmark.h"

#include <QFontMetrics>
#include <QHash>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>

namespace nox::sked
{

namespace
{

QColor qc(TColor c, const QWidget* w)
{
    return toQColor(c, w->palette());
}

Qt::Alignment horizontalOf(TAlignment a)
{
    switch (a) {
    case taRightJustify:
        return Qt::AlignRight;
    case taCenter:
        return Qt::AlignHCenter;
    default:
        return Qt::AlignLeft;
    }
}

Qt::Alignment verticalOf(TTextLayout l)
{
    switch (l) {
    case tlTop:
        return Qt::AlignTop;
    case tlBottom:
        return Qt::AlignBottom;
    default:
        return Qt::AlignVCenter;
    }
}

// Hit rectangle of a handle: the LineWidth square, grown so that it is easy
// to catch with the mouse.
QRect gripAround(int left, int top, int lineWidth)
{
    QRect r(left, top, lineWidth, lineWidth);
    const int grow = lineWidth + 1;
    r.adjust(-grow, -grow, grow, grow);
    if (r.width() < 6) {
        const int d = 6 - r.width();
        r.adjust(-d, -d, d, d);
    }
    return r;
}

// Rectangle from left/top and exclusive right/bottom, as the geometry rules
// are written.
QRect ltrb(int left, int top, int right, int bottom)
{
    return QRect(left, top, qMax(0, right - left), qMax(0, bottom - top));
}

// Brush of a selected cell in an unfocused column: the inactive caption text
// colour, unless the palette makes that too dark for the black caption.
TColor inactiveCellColor(const QWidget* w)
{
    if (qc(clInactiveCaptionText, w).lightness() >= 128) {
        return clInactiveCaptionText;
    }
    return 0xC8D0D4;
}

} // namespace

QFont TCustomSked::fontWithStyle(TFontStyles style) const
{
    QFont f = font();
    applyFontStyles(f, style);
    return f;
}

void TCustomSked::applyFont()
{
    m_rowHeight = rowHeightOf(font());
    styleEditor();
    computeImageRows();
}

void TCustomSked::styleEditor()
{
    if (m_editor) {
        m_editor->setFont(font());
        QPalette pal = m_editor->palette();
        pal.setColor(QPalette::Text, qc(clWindowText, this));
        m_editor->setPalette(pal);
    }
}

void TCustomSked::computeImageRows()
{
    const QList<QPixmap>* images = imagesInEffect();
    if (!images) {
        m_imageRows = 1;
        return;
    }
    const int h = images->isEmpty() ? 16 : qRound(images->first().deviceIndependentSize().height());
    m_imageRows = h / m_rowHeight + (h % m_rowHeight ? 1 : 0);
}

void TCustomSked::computeVisibleRows()
{
    const int h = viewport()->height() - m_view.topBarHeight();
    m_visibleRows = qMax(0, h / m_rowHeight);
}

// Sorts the items, then builds the row table, the blocks, the bars and the
// ruler captions. Items outside the lines are clamped into them; without
// lines nothing is laid out.
void TCustomSked::relayout()
{
    m_items.Sort();
    m_layout = SkedLayout{};
    SkedLayout& lay = m_layout;
    lay.picture = viewport()->size();
    lay.view = m_view.viewRect(lay.picture);
    lay.topBar = m_view.topBarRect(lay.picture);
    lay.leftBar = m_view.leftBarRect(lay.picture);
    lay.rowHeight = m_rowHeight;
    lay.topRow = m_topRow;
    lay.visibleRows = m_visibleRows;
    lay.imageRows = m_imageRows;
    lay.drawContent = m_visibleRows > 0 && (m_items.Count() > 0 || m_lines.Count() > 0);

    QList<int> starts, ends;
    registerItemKeys(starts, ends);
    if (m_lines.Count() == 0) {
        return;
    }
    buildRows(starts);
    layoutBars(starts, ends);
    layoutCaptions();
}

// Clears the per-line lists and the items' layout results, clamps every
// item's range into the lines and lists its key on each line it covers.
void TCustomSked::registerItemKeys(QList<int>& starts, QList<int>& ends)
{
    const int lineCount = m_lines.Count();
    const int last = qMax(0, lineCount - 1);
    for (int l = 0; l < lineCount; ++l) {
        m_lines.Items(l)->ItemKeys.clear();
        m_lines.Items(l)->RowStarts.clear();
    }
    for (int i = 0; i < m_items.Count(); ++i) {
        TSkedItem* item = m_items.Items(i);
        item->m_blockRect = QRect(-1, -1, 0, 0);
        item->m_firstRow = -1;
        item->m_topGrip = item->m_bottomGrip = QRect();
        starts.append(qBound(0, item->m_startLine, last));
        ends.append(qBound(starts.last(), item->m_endLine, last));
        for (int l = starts.last(); l <= ends.last() && lineCount > 0; ++l) {
            m_lines.Items(l)->ItemKeys.append(item->Key());
        }
    }
}

// Walks lines and sorted items together: a line without starting items is
// one plain row, a line with k starting items becomes k blocks.
void TCustomSked::buildRows(const QList<int>& starts)
{
    const int lineCount = m_lines.Count();
    const int itemCount = m_items.Count();
    int rowTop = m_layout.view.top() - m_topRow * m_rowHeight;
    int i = 0;
    int line = 0;
    while (i < itemCount || line < lineCount) {
        int blockRows = 1;
        int itemIndex = -1;
        if (i < itemCount && starts.at(i) == line) {
            const SkedBlock& block = layoutBlock(i, rowTop);
            blockRows = qMax(1, m_items.Items(i)->m_textHeight / m_rowHeight);
            itemIndex = block.item;
            ++i;
        } else if (line >= lineCount) {
            break; // only reachable with inconsistent input; keeps the loop finite
        }
        if (line < lineCount) {
            m_lines.Items(line)->RowStarts.append(int(m_layout.rows.size()));
        }
        for (int r = 0; r < blockRows; ++r) {
            m_layout.rows.append(TSkedRow{line, itemIndex});
        }
        rowTop += blockRows * m_rowHeight;
        if (!(i < itemCount && starts.at(i) == line)) {
            ++line;
        }
    }
}

// The block of item i at the given top: indented by its level, as wide as
// its widest wrapped line (full width when empty), with its image above
// the text.
const SkedBlock& TCustomSked::layoutBlock(int i, int rowTop)
{
    TSkedItem* item = m_items.Items(i);
    const int indent = m_view.IndentSize();
    SkedBlock block;
    block.item = i;
    block.level = item->Level();
    const int left = m_layout.view.left() + indent + block.level * indent;
    const int width = qMax(0, m_layout.view.left() + m_layout.view.width() - left);
    int textHeight = m_rowHeight;
    QRect rect(left, rowTop, width, m_rowHeight);
    const QFont font = fontWithStyle(item->m_font.Style());
    const int mark = item->Record.isOccurrence() ? qMin(repeatMarkWidth(QFontMetrics(font)), width / 2) : 0;
    if (!item->m_text.isEmpty()) {
        const WrappedText wrapped = wrapText(item->m_text, font, width - 2 * textMargin - mark, m_rowHeight);
        textHeight = wrapped.height;
        rect = QRect(left, rowTop, wrapped.width + 2 * textMargin + mark, wrapped.height);
        block.textLines = wrapped.lines;
    }
    block.textRect = rect.adjusted(0, 0, -mark, 0);
    if (mark > 0) {
        const int markLeft = item->m_text.isEmpty() ? left + textMargin : block.textRect.right() + 1;
        block.repeatRect = QRect(markLeft, rowTop, mark - textMargin, m_rowHeight);
    }
    if (item->HasImage()) {
        const int imageHeight = m_imageRows * m_rowHeight;
        const QPixmap& image = imagesInEffect()->at(item->m_imageIndex);
        const int h = qRound(image.deviceIndependentSize().height());
        textHeight += imageHeight;
        rect.setHeight(rect.height() + imageHeight);
        block.hasImage = true;
        block.imagePos = QPoint(rect.left() + 2, rect.top() + (imageHeight - h) / 2);
        block.textRect.translate(0, imageHeight);
        block.repeatRect.translate(0, imageHeight);
    }
    item->m_textHeight = textHeight;
    item->m_blockRect = rect;
    item->m_firstRow = int(m_layout.rows.size());
    block.blockRect = rect;
    m_layout.blocks.append(block);
    return m_layout.blocks.last();
}

// Each bar runs from the middle of the item's first row to the middle of
// the first row shown for its end line, 2 pixels short of each; the
// handles are short stubs toward the text.
void TCustomSked::layoutBars(const QList<int>& starts, const QList<int>& ends)
{
    const int indent = m_view.IndentSize();
    const int lineWidth = m_view.LineWidth();
    const int gutter = m_layout.view.left() + indent - indent / 2;
    for (SkedBlock& block : m_layout.blocks) {
        TSkedItem* item = m_items.Items(block.item);
        const QList<int>& endStarts = m_lines.Items(ends.at(block.item))->RowStarts;
        const int b = item->m_firstRow;
        const int c = endStarts.isEmpty() ? -1 : endStarts.first();
        const int left = gutter + block.level * indent;
        const int top = item->m_blockRect.top() + m_rowHeight / 2 - 2;
        const int bottom = b == c ? top : top + (c - b) * m_rowHeight - 2;
        const bool multi = starts.at(block.item) != ends.at(block.item);
        block.hasBar = true;
        block.fillBar = multi;
        block.bar = ltrb(left, top, left + lineWidth, bottom);
        block.startStub = ltrb(left, top, left + indent / 2, top + lineWidth);
        item->m_topGrip = gripAround(left, top, lineWidth);
        if (multi && c != -1) {
            block.hasEndHandle = true;
            block.endStub = ltrb(left, bottom - lineWidth, left + indent / 2, bottom);
            item->m_bottomGrip = gripAround(left, bottom - lineWidth, lineWidth);
        }
    }
}

// Ruler captions: the first row of every block of a line, visible rows only
// (the partly visible row under the last whole one included).
void TCustomSked::layoutCaptions()
{
    const TLeftBar& bar = m_view.LeftBar();
    if (!bar.Visible() || !m_layout.drawContent) {
        return;
    }
    const int captionRight = bar.Width() - bar.RightMargin() - edgeWidth(bar.EdgeStyle());
    const int lastRow = m_topRow + m_visibleRows;
    for (int l = 0; l < m_lines.Count(); ++l) {
        for (int row : m_lines.Items(l)->RowStarts) {
            if (row > lastRow) {
                return;
            }
            if (row < m_topRow) {
                continue;
            }
            const int top = m_layout.rowTop(row);
            m_layout.captions.append({l, row, ltrb(bar.LeftMargin(), top, captionRight, top + m_rowHeight),
                                      l == bar.HighlightLine()});
        }
    }
}

void TCustomSked::fullRender()
{
    if (m_renderHold > 0) {
        m_renderPending = true;
        return;
    }
    relayout();
    if (!m_pictureReady) {
        return;
    }
    ++m_renderCount;
    m_pictureStale = true;
    viewport()->update();
}

void TCustomSked::ensurePicture(qreal dpr)
{
    if (m_pictureStale || m_picture.isNull() || !qFuzzyCompare(m_picture.devicePixelRatio(), dpr)) {
        renderPicture(dpr);
    }
}

const QImage& TCustomSked::picture() const
{
    auto* self = const_cast<TCustomSked*>(this);
    self->ensurePicture(m_picture.isNull() ? viewport()->devicePixelRatioF() : m_picture.devicePixelRatio());
    return m_picture;
}

void TCustomSked::renderPicture(qreal dpr)
{
    m_pictureStale = false;
    const QSize size = m_layout.picture;
    if (size.isEmpty()) {
        m_picture = QImage();
        return;
    }
    // A step of the view draws every column anew at the same size: the last
    // picture's memory serves again (every pixel of it is painted below).
    const QSize pixels = size * dpr;
    if (m_picture.size() != pixels || m_picture.devicePixelRatio() != dpr ||
        m_picture.format() != QImage::Format_RGB32) {
        m_picture = QImage(pixels, QImage::Format_RGB32);
        m_picture.setDevicePixelRatio(dpr);
    }
    QPainter p(&m_picture);
    p.fillRect(QRect(QPoint(0, 0), size), qc(m_color, this));
    drawLeftBar(p, m_picture);
    if (m_layout.drawContent) {
        drawItems(p);
        drawBars(p);
    }
    drawMarkedCells(p);
}

// Stepping through days draws the same captions again and again, at rows
// that move with the day's items: each caption's band of the ruler (the
// ruler's whole width, the caption's row high) is kept as drawn the second
// time it is drawn (copied out of the picture), and copied in from then on.
// A caption stays within its row, so the copy is the same to the pixel.
void TCustomSked::drawLeftBar(QPainter& p, const QImage& picture) const
{
    drawLeftBarBackground(p);
    const QRect ruler = m_layout.leftBar;
    if (!m_layout.drawContent || ruler.isEmpty() || m_layout.captions.isEmpty()) {
        return;
    }
    // Shared by all day columns (the GUI thread's); bounded, as it starts
    // again when full.
    static QHash<RulerLook, QHash<CaptionBand, QImage>> looks;
    static qsizetype bandCount = 0;
    constexpr qsizetype kMostBands = 256;
    const qreal dpr = picture.devicePixelRatio();
    const RulerLook look = rulerLook(dpr);
    auto bands = looks.find(look);
    if (bands == looks.end()) {
        bands = looks.insert(look, {});
    }
    const QRect inPicture(QPoint(0, 0), picture.deviceIndependentSize().toSize());
    for (const SkedCaptionCell& cell : m_layout.captions) {
        const QPoint origin(ruler.left(), cell.rect.top());
        const QRect band(origin, QSize(ruler.width(), cell.rect.height()));
        const TLineItem* item = m_lines.Items(cell.line);
        const CaptionBand key{item ? item->Caption() : QString(), cell.highlight, cell.rect.translated(-origin),
                              (ruler & band).translated(-origin)};
        auto it = bands->find(key);
        if (it != bands->end() && !it->isNull()) {
            p.drawImage(origin, it.value());
            continue;
        }
        drawCaption(p, cell);
        if (!inPicture.contains(band)) {
            continue; // a row cut off at the bottom: never kept
        }
        if (it == bands->end()) {
            // Seen for the first time (the first paint of the window among
            // them): kept when it comes again.
            if (bandCount >= kMostBands) {
                looks.clear();
                bands = looks.insert(look, {});
                bandCount = 0;
            }
            bands->insert(key, QImage());
            ++bandCount;
        } else {
            // The band as the picture now holds it: its background and the
            // caption, nothing else drawn over it yet.
            *it = picture.copy(QRect(band.topLeft() * dpr, band.size() * dpr));
            it->setDevicePixelRatio(dpr);
        }
    }
}

TCustomSked::RulerLook TCustomSked::rulerLook(qreal dpr) const
{
    const TLeftBar& bar = m_view.LeftBar();
    RulerLook look;
    look.dpr = dpr;
    look.background = qc(m_color, this);
    look.bar = qc(bar.Color(), this);
    look.line = qc(bar.LineColor(), this);
    look.text = qc(bar.Font().Color(), this);
    look.highlight = qc(bar.HighlightColor(), this);
    look.edge = int(bar.EdgeStyle());
    look.alignment = int(bar.Alignment());
    look.highlightHeight = bar.HighlightHeight();
    look.font = fontWithStyle(bar.Font().Style());
    return look;
}

void TCustomSked::drawLeftBarBackground(QPainter& p) const
{
    const QRect r = m_layout.leftBar;
    if (r.isEmpty()) {
        return;
    }
    const TLeftBar& bar = m_view.LeftBar();
    p.fillRect(r, qc(bar.Color(), this));
    const int w = bar.Width();
    auto column = [&](int x, QColor c) { p.fillRect(QRect(x, r.top(), 1, r.height()), c); };
    switch (bar.EdgeStyle()) {
    case sesLine:
        column(w - 1, qc(bar.LineColor(), this));
        break;
    case sesRaise:
        column(w - 2, Qt::white);
        column(w - 1, QColor(0x80, 0x80, 0x80));
        break;
    case sesLower:
        column(w - 2, QColor(0x80, 0x80, 0x80));
        column(w - 1, Qt::white);
        break;
    case sesNone:
        break;
    }
}

void TCustomSked::drawCaption(QPainter& p, int line, QRect rect, bool bold, TColor color,
                              TFontStyles style) const
{
    const TLineItem* item = m_lines.Items(line);
    if (!item || item->Caption().isEmpty()) {
        return;
    }
    QFont f = fontWithStyle(style);
    if (bold) {
        f.setBold(true);
    }
    p.setFont(f);
    p.setPen(qc(color, this));
    const QRect textRect = rect.adjusted(textMargin, 0, -textMargin, 0);
    drawTextLine(p, textRect, int(horizontalOf(m_view.LeftBar().Alignment()) | Qt::AlignTop),
                 item->Caption());
}

void TCustomSked::drawCaption(QPainter& p, const SkedCaptionCell& cell) const
{
    const TLeftBar& bar = m_view.LeftBar();
    drawCaption(p, cell.line, cell.rect, cell.highlight, bar.Font().Color(), bar.Font().Style());
    if (cell.highlight) {
        const int h = bar.HighlightHeight();
        p.fillRect(ltrb(cell.rect.left(), cell.rect.bottom() + 1 - h, cell.rect.right() + 1, cell.rect.bottom() + 1),
                   qc(bar.HighlightColor(), this));
    }
}

void TCustomSked::drawItems(QPainter& p)
{
    const QRect view = m_layout.view;
    const QList<QPixmap>* images = imagesInEffect();
    p.save();
    p.setClipRect(view);
    for (const SkedBlock& block : m_layout.blocks) {
        if (block.blockRect.bottom() < view.top()) {
            continue;
        }
        if (block.blockRect.top() > view.bottom()) {
            break;
        }
        TSkedItem* item = m_items.Items(block.item);
        if (block.hasImage && images) {
            p.drawPixmap(block.imagePos, images->at(item->m_imageIndex));
        }
        const QFont f = fontWithStyle(item->m_font.Style());
        const QFontMetrics fm(f);
        p.setFont(f);
        p.setPen(readableOn(qc(item->m_font.Color(), this), qc(m_color, this)));
        // A block has rows of its own, and each line of its text its own row,
        // on the view's colour.
        for (int l = 0; l < block.textLines.size(); ++l) {
            const int top = block.textRect.top() + l * m_rowHeight;
            const TextGround ground{qc(m_color, this),
                                   QRect(block.textRect.left(), top, block.textRect.width(), m_rowHeight) & view};
            drawTextLine(p, QPoint(block.textRect.left() + textMargin, top + fm.ascent()), block.textLines.at(l),
                         &ground);
        }
        if (block.repeatRect.isValid()) {
            paintRepeatMark(p, block.repeatRect, p.pen().color());
        }
        if (OnDrawItem) {
            m_canvas = &p;
            OnDrawItem(this, item, block.blockRect);
            m_canvas = nullptr;
        }
    }
    p.restore();
}

void TCustomSked::drawBars(QPainter& p) const
{
    p.save();
    p.setClipRect(m_layout.view);
    for (const SkedBlock& block : m_layout.blocks) {
        if (!block.hasBar) {
            continue;
        }
        const QColor color = readableOn(qc(m_items.Items(block.item)->LineColor(), this), qc(m_color, this));
        if (block.fillBar) {
            p.fillRect(block.bar, color);
        }
        p.fillRect(block.startStub, color);
        if (block.hasEndHandle) {
            p.fillRect(block.endStub, color);
        }
    }
    p.restore();
}

bool TCustomSked::sameBlock(int a, int b) const
{
    if (a < 0 || b < 0 || a >= RowCount() || b >= RowCount()) {
        return false;
    }
    const TSkedRow ra = m_layout.rows.at(a);
    const TSkedRow rb = m_layout.rows.at(b);
    return a == b || (ra.Item >= 0 && ra.Item == rb.Item);
}

// A row's ruler cell shows marked when it is the drop row, the selected row
// or the focus row of a selected item.
bool TCustomSked::isRowMarked(int row) const
{
    if (row < 0 || row >= RowCount()) {
        return false;
    }
    if (sameBlock(row, m_dropRow) || sameBlock(row, m_selectedRow)) {
        return true;
    }
    const TSkedItem* item = m_items.Items(m_layout.rows.at(row).Item);
    return sameBlock(row, m_focusRow) && item && item->Selected();
}

void TCustomSked::drawMarkedCells(QPainter& p)
{
    QList<int> done;
    for (int row : {m_selectedRow, m_focusRow, m_dropRow}) {
        if (row < 0 || !isRowMarked(row)) {
            continue;
        }
        bool seen = false;
        for (int d : done) {
            seen = seen || sameBlock(d, row);
        }
        if (!seen) {
            drawRowCellOn(p, row, true);
            done.append(row);
        }
    }
}

void TCustomSked::DrawRowCell(int row, bool marked)
{
    if (row < 0 || row >= RowCount() || !m_view.LeftBar().Visible() || m_picture.isNull()) {
        return;
    }
    if (!m_pictureStale) { // else the pending render draws the cell
        QPainter p(&m_picture);
        drawRowCellOn(p, row, marked);
    }
    viewport()->update(rowBand(row));
}

void TCustomSked::drawRowCellOn(QPainter& p, int row, bool marked)
{
    if (row < 0 || row >= RowCount() || !m_view.LeftBar().Visible()) {
        return;
    }
    const TLeftBar& bar = m_view.LeftBar();
    const TFocusStyle& fs = m_view.FocusStyle();
    TColor brush = bar.Color(), text = bar.Font().Color(), strip = bar.HighlightColor();
    TFontStyles style = bar.Font().Style();
    if (marked && (hasFocus() || m_dropRow >= 0)) {
        brush = fs.Color();
        text = fs.Font().Color();
        style = fs.Font().Style();
        strip = fs.Font().Color();
    } else if (marked && !m_hideSelection) {
        brush = inactiveCellColor(this);
        text = clBlack;
        style = fs.Font().Style();
    }
    const QRect view = m_layout.view;
    p.save();
    p.setClipRect(ltrb(0, view.top(), view.left() + view.width(), view.top() + view.height()));
    const int right = bar.Width() - edgeWidth(bar.EdgeStyle());
    const TSkedRow r = m_layout.rows.at(row);
    const bool highlight = r.Line == bar.HighlightLine();
    QRect caption;
    TSkedItem* item = m_items.Items(r.Item);
    const SkedBlock* block = r.Item >= 0 ? m_layout.blockOf(r.Item) : nullptr;
    if (!item || !block) {
        const int top = m_layout.rowTop(row);
        p.fillRect(ltrb(0, top, right, top + m_rowHeight), qc(brush, this));
        caption = ltrb(bar.LeftMargin(), top, right - bar.RightMargin(), top + m_rowHeight);
        drawCaption(p, r.Line, caption, highlight, text, style);
    } else {
        const QRect b = block->blockRect;
        p.fillRect(ltrb(0, b.top(), right, b.top() + b.height()), qc(brush, this));
        caption = ltrb(bar.LeftMargin(), b.top(), right - bar.RightMargin(), b.top() + m_rowHeight);
        if (item->m_firstRow >= m_topRow && item->m_firstRow <= m_topRow + m_visibleRows) {
            drawCaption(p, r.Line, caption, highlight, text, style);
        }
        if (OnDrawItem) {
            m_canvas = &p;
            OnDrawItem(this, item, b);
            m_canvas = nullptr;
        }
    }
    const TLineItem* line = m_lines.Items(r.Line);
    if (highlight && line && !line->Caption().isEmpty()) {
        const int h = bar.HighlightHeight();
        p.fillRect(ltrb(caption.left(), caption.bottom() + 1 - h, caption.right() + 1, caption.bottom() + 1),
                   qc(strip, this));
    }
    p.restore();
}

QRect TCustomSked::rowBand(int row) const
{
    if (row < 0 || row >= RowCount()) {
        return QRect();
    }
    const TSkedRow r = m_layout.rows.at(row);
    const SkedBlock* block = r.Item >= 0 ? m_layout.blockOf(r.Item) : nullptr;
    if (block) {
        return QRect(0, block->blockRect.top(), m_layout.picture.width(), block->blockRect.height());
    }
    return QRect(0, m_layout.rowTop(row), m_layout.picture.width(), m_rowHeight);
}

void TCustomSked::paintEvent(QPaintEvent* e)
{
    QPainter p(viewport());
    if (!m_pictureReady || m_layout.picture != viewport()->size()) {
        p.fillRect(e->rect(), qc(m_color, this));
        return;
    }
    ensurePicture(p.paintEngine()->paintDevice()->devicePixelRatioF());
    p.drawImage(QPoint(0, 0), m_picture);
    paintTopBar(p);
    paintFocusRect(p);
    paintOverlays(p);
}

void TCustomSked::paintTopBar(QPainter& p) const
{
    const TTopBar& bar = m_view.TopBar();
    const QRect r = m_layout.topBar;
    if (!bar.Visible() || r.isEmpty()) {
        return;
    }
    p.fillRect(r, qc(bar.Color(), this));
    const int h = bar.Height();
    auto rowAt = [&](int y, QColor c) { p.fillRect(QRect(0, y, r.width(), 1), c); };
    switch (bar.EdgeStyle()) {
    case sesLine:
        rowAt(h - 1, qc(bar.LineColor(), this));
        break;
    case sesRaise:
        rowAt(h - 2, Qt::white);
        rowAt(h - 1, QColor(0x80, 0x80, 0x80));
        break;
    case sesLower:
        rowAt(h - 2, QColor(0x80, 0x80, 0x80));
        rowAt(h - 1, Qt::white);
        break;
    case sesNone:
        break;
    }
    if (bar.Caption().isEmpty()) {
        return;
    }
    const QRect textRect = ltrb(textMargin, 1, r.width() - textMargin, h - edgeWidth(bar.EdgeStyle()));
    const QFont f = fontWithStyle(bar.Font().Style());
    p.save();
    p.setClipRect(textRect);
    p.setFont(f);
    p.setPen(qc(bar.Font().Color(), this));
    const TextGround ground{qc(bar.Color(), this), textRect & r};
    drawTextLine(p, textRect, int(horizontalOf(bar.Alignment()) | verticalOf(bar.Layout())),
                 elidedLine(bar.Caption(), f, textRect.width()), &ground);
    p.restore();
}

void TCustomSked::paintFocusRect(QPainter& p)
{
    if (!hasFocus() || m_focusRow < 0) {
        return;
    }
    if (m_focusRow >= RowCount()) {
        m_focusRow = -1;
        return;
    }
    const QRect view = m_layout.view;
    const QRect band = rowBand(m_focusRow);
    if (band.bottom() < view.top() || band.top() > view.bottom()) {
        return;
    }
    p.save();
    p.setClipRect(ltrb(0, view.top(), view.left() + view.width(), view.top() + view.height()));
    const TFocusStyle& fs = m_view.FocusStyle();
    if (fs.RectStyle() == sfrLine) {
        const int w = qMax(1, fs.RectLineWidth());
        const QColor c = qc(fs.Color(), this);
        p.fillRect(QRect(band.left(), band.top(), w, band.height()), c);
        p.fillRect(QRect(band.left(), band.bottom() + 1 - w, band.width(), w), c);
        p.fillRect(QRect(band.right() + 1 - w, band.top(), w, band.height()), c);
        p.fillRect(QRect(band.left(), band.top(), band.width(), w), c);
    } else {
        QPen pen(qc(clWindowText, this), 1);
        pen.setDashPattern({1.0, 1.0});
        pen.setCapStyle(Qt::FlatCap);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(band).adjusted(0.5, 0.5, -0.5, -0.5));
    }
    p.restore();
}

void TCustomSked::paintOverlays(QPainter& p) const
{
    const QColor c = qc(m_view.FocusStyle().Color(), this);
    p.save();
    const int top = m_view.topBarHeight();
    p.setClipRect(QRect(0, top, m_layout.picture.width(), m_layout.picture.height() - top));
    if (m_gripOverlay && m_gripState != TGripState::None) {
        p.fillRect(m_gripRect, c);
    }
    if (!m_dropMark.isEmpty()) {
        p.fillRect(m_dropMark, c);
    }
    p.restore();
}

void TCustomSked::invalidateBelowTopBar()
{
    const int top = m_view.topBarHeight();
    viewport()->update(QRect(0, top, viewport()->width(), viewport()->height() - top));
}

void TCustomSked::RenderAll()
{
    fullRender();
    viewport()->update();
}

void TCustomSked::holdRender()
{
    ++m_renderHold;
}

void TCustomSked::releaseRender()
{
    m_renderHold = qMax(0, m_renderHold - 1);
    if (m_renderHold == 0 && m_renderPending) {
        m_renderPending = false;
        RenderAll();
    }
}

} // namespace nox::sked
