#include "skedtest.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QTest>

using namespace nox;
using namespace nox::sked;

namespace skedtest
{

const QString defaultFace = QString::fromUtf8("ＭＳ Ｐゴシック");

void setUpFonts()
{
    QFont::insertSubstitution(defaultFace, QStringLiteral("Noto Sans CJK JP"));
    QApplication::setFont(testFont());
}

QFont testFont(int pixelSize)
{
    QFont f(defaultFace);
    f.setPixelSize(pixelSize);
    return f;
}

void fillLines(TLines& lines, int count)
{
    lines.BeginUpdate();
    lines.Clear();
    for (int i = 0; i < count; ++i) {
        lines.Add(QStringLiteral("%1:%2").arg(i / 2).arg(i % 2 ? "30" : "00"));
    }
    lines.EndUpdate();
}

TSkedItem* addItem(TCustomSked& sked, int start, int end, const QString& text, int imageIndex)
{
    auto* item = new TSkedItem(&sked.Items());
    item->setStartLine(start);
    item->setEndLine(end);
    item->setText(text);
    item->setImageIndex(imageIndex);
    item->setLineColor(nox::clNavy);
    sked.Items().Add(item);
    return item;
}

const QList<QPixmap>& images()
{
    static QList<QPixmap> list = [] {
        QList<QPixmap> l;
        const QColor colors[] = {QColor(220, 60, 60), QColor(60, 160, 60), QColor(60, 90, 220),
                                 QColor(230, 170, 30)};
        for (const QColor& c : colors) {
            QPixmap p(16, 16);
            p.fill(Qt::transparent);
            QPainter painter(&p);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setBrush(c);
            painter.setPen(c.darker());
            painter.drawEllipse(QRectF(1.5, 1.5, 13, 13));
            l.append(p);
        }
        return l;
    }();
    return list;
}

bool showActive(QWidget& w, QSize size)
{
    w.resize(size);
    w.show();
    w.activateWindow();
    return QTest::qWaitForWindowActive(&w);
}

QPoint rowPoint(const TCustomSked& sked, int row, int x)
{
    const SkedLayout& lay = sked.layout();
    const int px = x >= 0 ? x : lay.view.left() + lay.view.width() / 2;
    return QPoint(px, lay.rowTop(row) + lay.rowHeight / 2);
}

void saveShot(QWidget& w, const QString& name)
{
    const QString folder = qEnvironmentVariable("NOX_TEST_SHOTS");
    if (folder.isEmpty()) {
        return;
    }
    QDir().mkpath(folder);
    QApplication::processEvents();
    w.grab().save(QDir(folder).filePath(name + ".png"));
    QPixmap twice(w.size() * 2);
    twice.setDevicePixelRatio(2);
    twice.fill(Qt::white);
    w.render(&twice);
    twice.save(QDir(folder).filePath(name + "@2x.png"));
    // Back to the screen's own ratio for the next paint.
    w.repaint();
}

} // namespace skedtest
