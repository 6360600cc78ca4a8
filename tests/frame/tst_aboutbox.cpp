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

    // No address that leads nowhere: the one link opens the help page
    // through the window (which tells when it cannot).
    for (const QLabel* label : box.findChildren<QLabel*>()) {
        QVERIFY2(!label->text().contains(QStringLiteral("example")) && !label->text().contains(u'@') &&
                     !label->text().contains(QStringLiteral("http")),
                 qPrintable(label->text()));
        QVERIFY(!label->openExternalLinks());
    }
    int helps = 0;
    box.OnHelp = [&](QObject*) { ++helps; };
    QTest::mouseClick(box.helpLink(), Qt::LeftButton, {}, QPoint(8, box.helpLink()->height() / 2));
    QCOMPARE(helps, 1);

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
