#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/aboutbox.h"

using namespace nox;

class TestAboutBox : public QObject
{
    Q_OBJECT

private slots:
    void layoutAndLinks();
    void okCloses();
};

void TestAboutBox::layoutAndLinks()
{
    TForm8 box(QStringLiteral("Nox - ver 2.05"));
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QCOMPARE(box.windowTitle(), QStringLiteral("Nox のバージョン情報"));
    QCOMPARE(box.size(), QSize(292, 141));
    QCOMPARE(box.captionText(), QStringLiteral("Nox - ver 2.05"));

    // Both links open through the desktop and point where the window's own
    // commands do.
    QVERIFY(box.pageLink()->openExternalLinks());
    QVERIFY(box.pageLink()->text().contains(makerPageUrl().toString()));
    QVERIFY(box.mailLink()->text().contains(makerMailUrl().toString()));
    QCOMPARE(makerMailUrl().scheme(), QStringLiteral("mailto"));
    QVERIFY(makerPageUrl().scheme().startsWith(QStringLiteral("http")));

    // Nothing overlaps the painted icon and caption, and everything stays inside.
    const QRect painted(16, 16, 292 - 16, 32);
    for (QWidget* child : box.findChildren<QWidget*>()) {
        QVERIFY2(!child->geometry().intersects(painted), qPrintable(child->objectName()));
        QVERIFY(box.rect().contains(child->geometry()));
    }
    const QImage image = box.grab().toImage();
    if (const QString shots = qEnvironmentVariable("NOX_TEST_SHOTS"); !shots.isEmpty()) {
        image.save(shots + QStringLiteral("/aboutbox.png"));
    }
}

void TestAboutBox::okCloses()
{
    TForm8 box(QStringLiteral("Nox - ver 2.05"));
    QTimer::singleShot(0, &box, [&] { QTest::mouseClick(box.okButton(), Qt::LeftButton); });
    QCOMPARE(box.exec(), int(QDialog::Accepted));
    QCOMPARE(box.okButton()->text(), QStringLiteral("OK"));
}

QTEST_MAIN(TestAboutBox)
#include "tst_aboutbox.moc"
