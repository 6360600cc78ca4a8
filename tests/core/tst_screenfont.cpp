// A stored font name is asked for by the installed face it stands for, and
// by itself whenever that is not known to be the face drawn.
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QTest>

#include "core/screenfont.h"

using nox::screenFamily;

class TestScreenFont : public QObject
{
    Q_OBJECT

private slots:
    void installedFaceOfAName()
    {
        const QStringList installed = QFontDatabase::families();
        QVERIFY(!installed.isEmpty());
        const QString face = installed.first();
        const QString other = installed.last();
        QFont::insertSubstitution(QStringLiteral("Nox Missing Face"), face);
        QFont::insertSubstitutions(QStringLiteral("Nox Missing Twice"),
                                   {QStringLiteral("Nox Missing Too"), other});
        QFont::insertSubstitution(QStringLiteral("Nox Nowhere"), QStringLiteral("Nox Missing Too"));
        QFont::insertSubstitution(face, other);

        QCOMPARE(screenFamily(QStringLiteral("Nox Missing Face")), face);
        QCOMPARE(screenFamily(QStringLiteral("nox missing face")), face); // the face's own spelling
        QCOMPARE(screenFamily(QStringLiteral("Nox Missing Twice")), other); // first installed one
        QCOMPARE(screenFamily(QStringLiteral("Nox Nowhere")), QStringLiteral("Nox Nowhere"));
        QCOMPARE(screenFamily(QStringLiteral("Nox Unknown")), QStringLiteral("Nox Unknown"));
        QCOMPARE(screenFamily(face), face); // installed: drawn as itself
    }
};

QTEST_MAIN(TestScreenFont)
#include "tst_screenfont.moc"
