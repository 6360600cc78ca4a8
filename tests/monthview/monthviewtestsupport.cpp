#include "monthviewtestsupport.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>

namespace mvtest
{

void setUpFonts()
{
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("Noto Sans CJK JP"));
    QFont f(QStringLiteral("ＭＳ Ｐゴシック"));
    f.setPixelSize(12);
    QApplication::setFont(f);
}

std::unique_ptr<TMonthView> makeView(const QDate& current, const QSize& size, const QDate& today)
{
    auto view = std::make_unique<TMonthView>();
    view->SetBorderStyle(bsNone);
    view->resize(size);
    view->SetToday(today);
    view->SetCurrentDate(current);
    view->show();
    if (!QTest::qWaitForWindowExposed(view.get())) {
        qWarning("month view not exposed");
    }
    return view;
}

TMonthViewItem* addItem(TCustomMonthView& view, const QDate& day, const QTime& start, const QTime& end,
                        const QString& text)
{
    TMonthViewItem* item = view.Items()->Add();
    view.Items()->BeginUpdate();
    item->SetStartDateTime(QDateTime(day, start));
    item->SetEndDateTime(QDateTime(day, end));
    item->SetText(text);
    item->SetID(view.Items()->Count()); // 1, 2, ... in the order of adding
    view.Items()->EndUpdate();
    return item;
}

QPoint w(const TCustomMonthView& view, const QPoint& client)
{
    return client + view.ClientOrigin();
}

QPoint barPoint(const TCustomMonthView& view, int index)
{
    view.ComputedLayout();
    const QRect r = view.Items()->Item(index)->ItemRect();
    return QPoint(r.left() + r.width() / 2, r.top() + r.height() / 2);
}

void hover(TCustomMonthView& view, const QPoint& client)
{
    const QPoint p = w(view, client);
    QMouseEvent e(QEvent::MouseMove, p, view.mapToGlobal(p), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &e);
}

void doubleClick(TCustomMonthView& view, const QPoint& client)
{
    const QPoint p = w(view, client);
    QTest::mouseClick(&view, Qt::LeftButton, Qt::NoModifier, p);
    QTest::mouseDClick(&view, Qt::LeftButton, Qt::NoModifier, p);
    QTest::mouseRelease(&view, Qt::LeftButton, Qt::NoModifier, p);
}

QImage render(TCustomMonthView& view, qreal ratio)
{
    QImage image(view.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::magenta);
    view.render(&image);
    return image;
}

QColor pixel(const QImage& image, const TCustomMonthView& view, const QPoint& client)
{
    const QPoint p = w(view, client) * image.devicePixelRatio();
    return image.pixelColor(p);
}

void shot(QWidget& widget, const QString& name)
{
    const QString folder = qEnvironmentVariable("NOX_TEST_SHOTS");
    if (folder.isEmpty()) {
        return;
    }
    QDir().mkpath(folder);
    for (int ratio : {1, 2}) {
        QImage image(widget.size() * ratio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::white);
        widget.render(&image);
        image.save(QDir(folder).filePath(QStringLiteral("monthview_%1_%2x.png").arg(name).arg(ratio)));
    }
}

} // namespace mvtest
