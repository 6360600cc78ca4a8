// The question asked before an occurrence of a repeat rule is changed or
// removed: each button answers its scope; cancelling answers nothing.
#include "dialogs/occurrencequestion.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace nox;

Q_DECLARE_METATYPE(std::optional<OccurrenceScope>)

class TestOccurrenceQuestion : public QObject
{
    Q_OBJECT
private slots:
    void answers_data()
    {
        QTest::addColumn<QString>("button"); // empty: Escape
        QTest::addColumn<std::optional<OccurrenceScope>>("expected");
        QTest::newRow("this one") << QStringLiteral("この予定のみ") << std::optional(OccurrenceScope::This);
        QTest::newRow("following") << QStringLiteral("これ以降") << std::optional(OccurrenceScope::Following);
        QTest::newRow("all") << QStringLiteral("すべて") << std::optional(OccurrenceScope::All);
        QTest::newRow("cancel") << QStringLiteral("キャンセル") << std::optional<OccurrenceScope>();
        QTest::newRow("escape") << QString() << std::optional<OccurrenceScope>();
        QTest::newRow("return takes this one")
            << QStringLiteral("\n") << std::optional(OccurrenceScope::This);
    }

    void answers()
    {
        QFETCH(QString, button);
        QFETCH(std::optional<OccurrenceScope>, expected);
        QString shownText;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            shownText = box->text();
            if (button.isEmpty()) {
                QTest::keyClick(box, Qt::Key_Escape);
                return;
            }
            if (button == QStringLiteral("\n")) {
                QTest::keyClick(box, Qt::Key_Return);
                return;
            }
            for (QAbstractButton* b : box->buttons()) {
                if (b->text() == button) {
                    QTest::mouseClick(b, Qt::LeftButton);
                    return;
                }
            }
            QFAIL("no such button");
        });
        const std::optional<OccurrenceScope> answer =
            askOccurrenceScope(nullptr, QStringLiteral("Nox"), occurrenceRemoveQuestion());
        QCOMPARE(shownText, occurrenceRemoveQuestion());
        QCOMPARE(answer, expected);
    }
};

QTEST_MAIN(TestOccurrenceQuestion)
#include "tst_occurrencequestion.moc"
