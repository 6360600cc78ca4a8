#include "monthview/monthviewgeometry.h"

#include <QStringList>

namespace nox::monthview
{

MonthFrame monthFrame(const QDate& anyDayOfMonth)
{
    MonthFrame f;
    f.firstOfMonth = QDate(anyDayOfMonth.year(), anyDayOfMonth.month(), 1);
    f.firstCell = f.firstOfMonth.dayOfWeek() % 7; // Qt: Monday 1 .. Sunday 7
    f.endCell = f.firstCell + f.firstOfMonth.daysInMonth();
    return f;
}

constexpr int kMaxRate = 10000;

QList<int> parseRate(const QString& text, int count)
{
    QList<int> rates(count, 0);
    const QStringList pieces = text.split(QLatin1Char(','));
    for (int i = 0; i < count && i < pieces.size(); ++i) {
        bool ok = false;
        const int value = pieces.at(i).trimmed().toInt(&ok);
        // A rate beyond any sense (the sum of seven must not overflow) reads as 1.
        rates[i] = ok && value <= kMaxRate ? qMax(0, value) : 1;
    }
    return rates;
}

QString rateText(const QList<int>& rates)
{
    QStringList parts;
    for (int r : rates) {
        parts << QString::number(r);
    }
    return parts.join(QLatin1Char(','));
}

QList<int> distribute(const QList<int>& rates, int total, int lineWidth)
{
    const int n = int(rates.size());
    QList<int> sizes(n, 0);
    if (n == 0) {
        return sizes;
    }
    qint64 sum = 0;
    for (int r : rates) {
        sum += r;
    }
    QList<int> used = rates;
    if (sum <= 0) {
        used.fill(1);
        sum = n;
    }
    int given = 0;
    for (int i = 0; i < n; ++i) {
        sizes[i] = int(qint64(total) * used.at(i) / sum);
        given += sizes.at(i);
    }
    // The remainder is a few pixels at most (less than the part count plus
    // the line width); it goes one pixel at a time to the first parts.
    const int rest = total - given - lineWidth;
    const int step = rest > 0 ? 1 : -1;
    for (int k = 0; k < qAbs(rest); ++k) {
        sizes[k % n] += step;
    }
    return sizes;
}

Grid makeGrid(const QList<int>& colRates, const QList<int>& rowRates, int width, int height, int top,
              int lineWidth)
{
    Grid g;
    const QList<int> widths = distribute(colRates, width, lineWidth);
    const QList<int> heights = distribute(rowRates, height - top, lineWidth);
    g.x[0] = 0;
    for (int i = 1; i <= kColCount; ++i) {
        g.x[i] = g.x[i - 1] + widths.value(i - 1);
    }
    g.y[0] = top;
    for (int j = 1; j <= kRowCount; ++j) {
        g.y[j] = g.y[j - 1] + heights.value(j - 1);
    }
    return g;
}

int cellAt(const Grid& grid, const QPoint& p, int lineWidth)
{
    int col = -1;
    for (int i = 0; i < kColCount; ++i) {
        if (p.x() < grid.x[i + 1]) {
            if (p.x() <= grid.x[i] + lineWidth) {
                return -1;
            }
            col = i;
            break;
        }
    }
    if (col < 0) {
        return -1;
    }
    for (int j = 0; j < kRowCount; ++j) {
        if (p.y() < grid.y[j + 1]) {
            if (p.y() <= grid.y[j] + lineWidth) {
                return -1;
            }
            return j * kColCount + col;
        }
    }
    return col - kColCount;
}

int barSlotAt(const Grid& grid, int row, const QPoint& p, int lineHeight, int dayTextMargin)
{
    const int dy = p.y() - grid.y[row];
    if (dy <= lineHeight + dayTextMargin + 2) {
        return -1;
    }
    return (dy - (lineHeight + dayTextMargin + 3)) / (lineHeight + 5);
}

HoverZone hoverZone(const Grid& grid, const QPoint& p, int lineWidth, int width, int height, bool colSizing,
                    bool rowSizing)
{
    HoverZone z;
    bool onColumnBorder = false;
    if (colSizing) {
        for (int i = 1; i < kColCount; ++i) {
            if (grid.x[i] - 3 <= p.x() && p.x() < grid.x[i] + lineWidth + 3) {
                z.state = TSizingState::HoverColumn;
                z.column = i;
                onColumnBorder = true;
            }
        }
    }
    if (rowSizing) {
        for (int i = 1; i < kRowCount; ++i) {
            if (grid.y[i] - 3 <= p.y() && p.y() < grid.y[i] + lineWidth + 3) {
                z.state = onColumnBorder ? TSizingState::HoverCrossing : TSizingState::HoverRow;
                z.row = i;
            }
        }
    }
    if (z.state != TSizingState::None) {
        return z;
    }
    if (colSizing && ((p.y() >= 0 && p.y() <= lineWidth + 6) || p.y() >= height - 6)) {
        z.state = TSizingState::ZoomColumn;
        z.column = kColCount;
        for (int i = 1; i <= kColCount; ++i) {
            if (grid.x[i] >= p.x()) {
                z.column = i;
                break;
            }
        }
    } else if (rowSizing && ((p.x() >= 0 && p.x() <= lineWidth + 6) || p.x() >= width - 6)) {
        z.state = TSizingState::ZoomRow;
        z.row = kRowCount;
        for (int i = 1; i <= kRowCount; ++i) {
            if (grid.y[i] >= p.y()) {
                z.row = i;
                break;
            }
        }
    }
    return z;
}

QList<int> moveBorder(QList<int> b, int c, int pos, int floor, int extent, int lineWidth)
{
    const int n = int(b.size()) - 1;
    if (c >= 1 && c < n) {
        if (pos > b[c + 1] - kMinCellSize) {
            b[c] = qMin(pos, extent + kMinCellSize * c - lineWidth - kMinCellSize * n);
            for (int i = c + 1; i <= n && b[i] - kMinCellSize < b[i - 1]; ++i) {
                b[i] = b[i - 1] + kMinCellSize;
            }
        } else if (pos < b[c - 1] + kMinCellSize) {
            b[c] = qMax(pos, floor + kMinCellSize * c);
            for (int i = c - 1; i >= 1 && b[i + 1] < b[i] + kMinCellSize; --i) {
                b[i] = qMax(b[i + 1] - kMinCellSize, floor + kMinCellSize * i);
            }
        } else {
            b[c] = pos;
        }
    }
    QList<int> sizes;
    for (int i = 1; i <= n; ++i) {
        sizes << b[i] - b[i - 1];
    }
    return sizes;
}

QList<int> zoomRates(int count, int zoomed, int extent)
{
    QList<int> rates(count, kMinCellSize);
    if (zoomed >= 1 && zoomed <= count) {
        rates[zoomed - 1] = qMax(0, extent - kMinCellSize * (count - 1));
    }
    return rates;
}

DateRow layoutDateRow(const QRect& row, const DateRowWidths& w, int gap, int minName)
{
    DateRow out;
    if (!row.isValid()) {
        return out;
    }
    const int left = row.left();
    int right = row.left() + row.width(); // exclusive edge of the free part
    const auto takeRight = [&](int width) {
        const QRect r(right - width, row.top(), width, row.height());
        right -= width + gap;
        return r;
    };
    const int dayWidth = qMin(w.day, row.width());
    out.day = takeRight(dayWidth);
    if (w.rokuyo > 0 && right - w.rokuyo >= left) {
        out.rokuyo = takeRight(w.rokuyo);
    }
    int x = left;
    const auto takeLeft = [&](int width) {
        const int room = right - x;
        if (width <= 0 || room < qMin(width, minName)) {
            return QRect();
        }
        const QRect r(x, row.top(), qMin(width, room), row.height());
        x += r.width() + gap;
        return r;
    };
    out.holiday = takeLeft(w.holiday);
    out.seasonal = takeLeft(w.seasonal);
    if (w.lunar > 0 && right - w.lunar >= x) {
        out.lunar = takeRight(w.lunar);
    }
    return out;
}

} // namespace nox::monthview
