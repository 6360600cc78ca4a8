#include <QHBoxLayout>
#include <QPainter>
#include <QTest>

#include "shots.h"
#include "widgets/noxbutton.h"

using namespace nox;

namespace
{

// A 16x16 glyph on a magenta background (no alpha): a dark square with a
// white centre.
QPixmap sampleGlyph(int count = 1)
{
    QImage image(16 * count, 16, QImage::Format_RGB32);
    image.fill(QColor(255, 0, 255));
    for (int i = 0; i < count; ++i) {
        QPainter p(&image);
        p.fillRect(16 * i + 3, 3, 10, 10, i == 2 ? QColor(0, 128, 0) : QColor(20, 40, 160));
        p.fillRect(16 * i + 6, 6, 4, 4, Qt::white);
    }
    return QPixmap::fromImage(image);
}

// Position of the first pixel of the given colour, scanning rows.
QPoint findColour(const QImage& image, QRgb colour)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF)) {
                return {x, y};
            }
        }
    }
    return {-1, -1};
}

void sendEnter(QWidget* w)
{
    QEnterEvent ev(QPointF(5, 5), QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(w, &ev);
}

} // namespace

class TestNoxButton : public QObject
{
    Q_OBJECT
private slots:
    void layoutRules_data();
    void layoutRules();
    void groupWithoutAllowAllUpStaysDown();
    void allowAllUpIsSharedAndReleases();
    void clickOnlyOnReleaseInside();
    void downNeedsGroupIndex();
    void doubleClickOnlyWhileDown();
    void disabledGlyphIsEmbossed();
    void hoverBoxOnDownButtonKeepsOffset();
    void stripImagesPerState();
    void accelerator();
    void shotRowOfStates();
};

void TestNoxButton::layoutRules_data()
{
    QTest::addColumn<int>("layout");
    QTest::addColumn<int>("margin");
    QTest::addColumn<int>("spacing");
    QTest::addColumn<QSize>("text");
    QTest::addColumn<QPoint>("glyphPos");
    QTest::addColumn<QPoint>("textPos");
    // client 100 x 20, glyph 16 x 16
    QTest::newRow("left centred block")
        << int(blGlyphLeft) << -1 << 4 << QSize(30, 12) << QPoint(25, 2) << QPoint(45, 4);
    QTest::newRow("left margin auto spacing")
        << int(blGlyphLeft) << 2 << -1 << QSize(30, 12) << QPoint(2, 2) << QPoint(44, 4);
    QTest::newRow("right fixed") << int(blGlyphRight) << 3 << 4 << QSize(30, 12) << QPoint(81, 2)
                                 << QPoint(47, 4);
    QTest::newRow("no caption ignores spacing")
        << int(blGlyphLeft) << -1 << 10 << QSize(0, 0) << QPoint(42, 2) << QPoint(58, 10);
    QTest::newRow("bottom") << int(blGlyphBottom) << 1 << 1 << QSize(30, 2) << QPoint(42, 3) << QPoint(35, 0);
}

void TestNoxButton::layoutRules()
{
    QFETCH(int, layout);
    QFETCH(int, margin);
    QFETCH(int, spacing);
    QFETCH(QSize, text);
    QFETCH(QPoint, glyphPos);
    QFETCH(QPoint, textPos);
    const auto r =
        CalcButtonLayout(QSize(100, 20), QSize(16, 16), text, TButtonLayout(layout), margin, spacing);
    QCOMPARE(r.glyphPos, glyphPos);
    QCOMPARE(r.textRect.topLeft(), textPos);
}

void TestNoxButton::groupWithoutAllowAllUpStaysDown()
{
    QWidget parent;
    TNoxButton b[3];
    int clicks = 0;
    for (auto& button : b) {
        button.setParent(&parent);
        button.SetGroupIndex(1);
        button.OnClick = [&](QObject*) { ++clicks; };
    }
    QTest::mouseClick(&b[0], Qt::LeftButton);
    QVERIFY(b[0].Down());
    QCOMPARE(b[0].State(), bsExclusive);
    QTest::mouseClick(&b[0], Qt::LeftButton);
    QVERIFY2(b[0].Down(), "clicking a down button of a group without AllowAllUp keeps it down");
    QTest::mouseClick(&b[2], Qt::LeftButton);
    QVERIFY(b[2].Down());
    QVERIFY(!b[0].Down());
    QCOMPARE(b[0].State(), bsUp);
    QVERIFY(!b[1].Down());
    QCOMPARE(clicks, 3);
    for (auto& button : b) {
        button.setParent(nullptr);
    }
}

void TestNoxButton::allowAllUpIsSharedAndReleases()
{
    QWidget parent;
    auto* a = new TNoxButton(&parent);
    auto* c = new TNoxButton(&parent);
    auto* other = new TNoxButton(&parent);
    a->SetGroupIndex(2);
    c->SetGroupIndex(2);
    other->SetGroupIndex(3);
    a->SetAllowAllUp(true);
    QVERIFY(c->AllowAllUp());
    QVERIFY(!other->AllowAllUp());
    c->SetDown(true);
    QTest::mouseClick(c, Qt::LeftButton);
    QVERIFY(!c->Down());
    QCOMPARE(c->State(), bsUp);
    // A button of another group is not touched.
    other->SetDown(true);
    a->SetDown(true);
    QVERIFY(other->Down());
}

void TestNoxButton::clickOnlyOnReleaseInside()
{
    QWidget parent;
    auto* push = new TNoxButton(&parent);
    auto* toggle = new TNoxButton(&parent);
    toggle->SetGroupIndex(1);
    toggle->move(40, 0);
    int clicks = 0;
    push->OnClick = [&](QObject* sender) {
        QCOMPARE(sender, push);
        ++clicks;
    };
    toggle->OnClick = [&](QObject*) { ++clicks; };

    QTest::mousePress(push, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(push->State(), bsDown);
    QTest::mouseMove(push, QPoint(60, 5));
    QMouseEvent move(QEvent::MouseMove, QPointF(60, 5), push->mapToGlobal(QPointF(60, 5)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(push, &move);
    QCOMPARE(push->State(), bsUp);
    QTest::mouseRelease(push, Qt::LeftButton, {}, QPoint(60, 5));
    QCOMPARE(clicks, 0);
    QCOMPARE(push->State(), bsUp);
    QVERIFY(!push->Dragging());

    QTest::mousePress(toggle, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(toggle, Qt::LeftButton, {}, QPoint(-3, 5));
    QCOMPARE(clicks, 0);
    QVERIFY(!toggle->Down());

    QTest::mouseClick(push, Qt::LeftButton, {}, QPoint(21, 22));
    QCOMPARE(clicks, 1);
    QCOMPARE(push->State(), bsUp);
}

void TestNoxButton::downNeedsGroupIndex()
{
    TNoxButton b;
    b.SetDown(true);
    QVERIFY(!b.Down());
    b.SetGroupIndex(4);
    b.SetDown(true);
    QVERIFY(b.Down());
    b.SetDown(false);
    QVERIFY2(b.Down(), "without AllowAllUp a down button cannot be released");
    b.SetNumGlyphs(6);
    QCOMPARE(b.NumGlyphs(), 4);
    b.SetMargin(-5);
    QCOMPARE(b.Margin(), -1);
}

void TestNoxButton::doubleClickOnlyWhileDown()
{
    QWidget parent;
    auto* b = new TNoxButton(&parent);
    int dbl = 0;
    b->OnDblClick = [&](QObject*) { ++dbl; };
    QTest::mouseDClick(b, Qt::LeftButton);
    QCOMPARE(dbl, 0);
    b->SetGroupIndex(1);
    b->SetDown(true);
    QTest::mouseDClick(b, Qt::LeftButton);
    QCOMPARE(dbl, 1);
}

void TestNoxButton::disabledGlyphIsEmbossed()
{
    QImage up(8, 8, QImage::Format_ARGB32);
    up.fill(Qt::transparent);
    up.setPixel(2, 2, qRgb(0, 0, 0));
    up.setPixel(5, 5, qRgb(255, 255, 255)); // near white: no ink
    const QImage made = MakeDisabledGlyph(up, Qt::white, Qt::darkGray);
    QCOMPARE(made.pixel(2, 2), QColor(Qt::darkGray).rgba());
    QCOMPARE(made.pixel(3, 3), QColor(Qt::white).rgba());
    QCOMPARE(qAlpha(made.pixel(5, 5)), 0);
    QCOMPARE(qAlpha(made.pixel(0, 0)), 0);

    // A disabled button with a one-image strip draws the made picture: no
    // trace of the glyph's own blue remains, the shadow colour appears.
    QWidget parent;
    auto* b = new TNoxButton(&parent);
    b->resize(30, 30);
    b->SetGlyph(sampleGlyph());
    b->setEnabled(false);
    const QImage shot = b->grab().toImage();
    QCOMPARE(b->State(), bsDisabled);
    QCOMPARE(findColour(shot, qRgb(20, 40, 160)), QPoint(-1, -1));
    QCOMPARE(findColour(shot, qRgb(255, 0, 255)), QPoint(-1, -1));
    const QColor shadow = toQColor(clBtnShadow, b->palette());
    QVERIFY(findColour(shot.copy(2, 2, 26, 26), shadow.rgb()) != QPoint(-1, -1));
}

void TestNoxButton::hoverBoxOnDownButtonKeepsOffset()
{
    QWidget parent;
    auto* b = new TNoxButton(&parent);
    b->resize(30, 30);
    b->SetGlyph(sampleGlyph());
    b->SetGroupIndex(1);
    const QPoint upPos = findColour(b->grab().toImage(), qRgb(20, 40, 160));
    QVERIFY(upPos.x() >= 0);
    b->SetDown(true);
    sendEnter(b);
    QVERIFY(b->MouseInControl());
    const QImage shot = b->grab().toImage();
    QCOMPARE(shot.pixel(0, 0) & 0xFFFFFF, toQColor(0x00FF8000).rgb() & 0xFFFFFF);
    QCOMPARE(findColour(shot, qRgb(20, 40, 160)), upPos + QPoint(1, 1));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(b, &leave);
    QVERIFY(!b->MouseInControl());
}

// Up, disabled, down from a three-image strip; the exclusive look (a group
// button that is Down) has no image of its own there and uses the up image.
void TestNoxButton::stripImagesPerState()
{
    QWidget parent;
    auto* b = new TNoxButton(&parent);
    b->resize(30, 30);
    b->SetGlyph(sampleGlyph(3));
    b->SetNumGlyphs(3);
    b->SetGroupIndex(1);
    const QRgb upInk = qRgb(20, 40, 160);
    const QRgb downInk = qRgb(0, 128, 0);
    QVERIFY(findColour(b->grab().toImage(), upInk).x() >= 0);
    QCOMPARE(findColour(b->grab().toImage(), downInk), QPoint(-1, -1));
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(15, 15));
    QCOMPARE(b->State(), bsDown);
    QVERIFY(findColour(b->grab().toImage(), downInk).x() >= 0);
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(15, 15));
    QVERIFY(b->Down());
    QCOMPARE(b->State(), bsExclusive);
    const QImage exclusive = b->grab().toImage();
    QCOMPARE(findColour(exclusive, downInk), QPoint(-1, -1));
    QVERIFY(findColour(exclusive, upInk).x() >= 0);
}

void TestNoxButton::accelerator()
{
    QWidget window;
    auto* b = new TNoxButton(&window);
    b->SetCaption(QStringLiteral("今日(&T)"));
    int clicks = 0;
    b->OnClick = [&](QObject*) { ++clicks; };
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_T, Qt::AltModifier);
    QCOMPARE(clicks, 1);
    b->setEnabled(false);
    QTest::keyClick(&window, Qt::Key_T, Qt::AltModifier);
    QCOMPARE(clicks, 1);
}

void TestNoxButton::shotRowOfStates()
{
    QWidget row;
    row.setFont(testshots::japaneseFont());
    row.setAutoFillBackground(true);
    auto* lay = new QHBoxLayout(&row);
    lay->setSpacing(4);
    auto make = [&](const QString& caption, TButtonLayout layout) {
        auto* b = new TNoxButton(&row);
        b->SetCaption(caption);
        b->SetGlyph(sampleGlyph());
        b->SetLayout(layout);
        b->setFixedSize(layout == blGlyphTop ? QSize(56, 44) : QSize(72, 26));
        lay->addWidget(b);
        return b;
    };
    make(QStringLiteral("通常"), blGlyphLeft);
    auto* hover = make(QStringLiteral("ホバー"), blGlyphLeft);
    auto* pressed = make(QStringLiteral("押下"), blGlyphLeft);
    auto* excl = make(QStringLiteral("選択"), blGlyphRight);
    excl->SetGroupIndex(1);
    excl->SetDown(true);
    auto* exclHover = make(QStringLiteral("選択中"), blGlyphTop);
    exclHover->SetGroupIndex(2);
    exclHover->SetDown(true);
    auto* disabled = make(QStringLiteral("無効"), blGlyphLeft);
    disabled->setEnabled(false);
    make(QString(), blGlyphLeft)->setFixedSize(24, 24);
    row.show();
    QVERIFY(QTest::qWaitForWindowExposed(&row));
    sendEnter(hover);
    sendEnter(exclHover);
    QTest::mousePress(pressed, Qt::LeftButton);
    QCOMPARE(pressed->State(), bsDown);
    testshots::save(&row, QStringLiteral("noxbutton_states"));
    QTest::mouseRelease(pressed, Qt::LeftButton);
}

QTEST_MAIN(TestNoxButton)
#include "tst_noxbutton.moc"
