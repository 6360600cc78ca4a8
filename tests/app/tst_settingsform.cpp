// The settings dialog opened from the main window's entry points, and what
// its "OK" changes in the running window.
#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/appenvironment.h"
#include "app/mainsettingshost.h"
#include "app/statuspanels.h"
#include "appearance/styleelements.h"
#include "appearance/ui/styledialog.h"
#include "core/color.h"
#include "core/inifile.h"
#include "core/textfile.h"
#include "dialogs/settingsdialog.h"
#include "dialogs/settingspage_p.h"
#include "mainformfixture.h"
#include "monthview/monthview.h"
#include "sked/skedcontrol.h"
#include "widgets/choosers.h"
#include "widgets/noxbutton.h"

using namespace nox;

namespace
{
QPushButton* button(QWidget* root, const QString& text)
{
    for (QPushButton* b : root->findChildren<QPushButton*>()) {
        if (b->text() == text) {
            return b;
        }
    }
    return nullptr;
}

// Runs `step` on the next modal window of type T once it is up.
template <class T> void onModal(QObject* context, std::function<void(T*)> step)
{
    QTimer::singleShot(0, context, [context, step] {
        if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget())) {
            step(w);
        } else {
            onModal<T>(context, step);
        }
    });
}
} // namespace

class TestSettingsForm : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutions(); }
    void cleanup() { SetChooserHooks({}); }
    void styleColourEditedReachesTheWindow();
    void holidayFromTheStatusBar();
    void categoriesFromTheCategoryMenu();
};

void TestSettingsForm::styleColourEditedReachesTheWindow()
{
    MainFormFixture f;
    TNoxMainForm* form = f.start();
    InstallSettingsDialog(*form);
    const TColor red = 0x000000FF;
    TChooserHooks hooks;
    hooks.color = [&](TColor) { return std::optional<TColor>(red); };
    SetChooserHooks(hooks);
    onModal<TForm4>(this, [this](TForm4* settings) {
        settings->SetCurrentPage(spStyle);
        onModal<TForm5>(this, [this, settings](TForm5* style) {
            QListWidget* list = style->ElementList();
            const QRect r = list->visualItemRect(list->item(StyleElementIndex(QStringLiteral("背景色"))));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
            QTest::mouseClick(style->ColorButton(), Qt::LeftButton);
            QTest::mouseClick(style->OkButton(), Qt::LeftButton);
            QTimer::singleShot(0, this, [settings] { QTest::mouseClick(settings->OkButton(), Qt::LeftButton); });
        });
        QTest::mouseClick(button(settings->Page(spStyle), QStringLiteral("編集...")), Qt::LeftButton);
    });
    form->toolButton(QStringLiteral("設定..."))->Click();
    QCOMPARE(form->skedControl()->Color(), red);
    QCOMPARE(form->monthView()->View()->WeekDayBKColor(), red);
    const int style = form->settings().style;
    QCOMPARE(IniFile(f.dataFile(QStringLiteral("style.ini")))
                 .readString(StyleSectionName(style), QStringLiteral("Color"), {}),
             colorToString(red));
}

void TestSettingsForm::holidayFromTheStatusBar()
{
    MainFormFixture f;
    TNoxMainForm* form = f.start();
    InstallSettingsDialog(*form);
    bool alone = false;
    bool nameFocused = false;
    onModal<TForm4>(this, [&](TForm4* settings) {
        alone = !settings->Page(spStyle);
        auto* name = qobject_cast<QLineEdit*>(settings->focusWidget());
        nameFocused = name && name->parentWidget() == settings->Page(spHoliday);
        QTest::keyClicks(settings->focusWidget(), "Founders");
        QTest::mouseClick(button(settings->Page(spHoliday), QStringLiteral("追加")), Qt::LeftButton);
        QTest::mouseClick(settings->OkButton(), Qt::LeftButton);
    });
    TStatusPanels* status = form->statusPanels();
    QTest::mouseDClick(status, Qt::LeftButton, {}, status->panelRect(1).center());
    QVERIFY(alone);
    QVERIFY(nameFocused);
    const QDate day = f.clock.date(); // the focused column's date
    QCOMPARE(form->holidays().name(day), QStringLiteral("Founders"));
    QCOMPARE(form->monthView()->HolidayName(day), QStringLiteral("Founders"));
    QVERIFY(readTextLines(f.dataFile(QStringLiteral("holiday.txt")))
                ->lines.contains(HolidayList::keyOf(day) + QStringLiteral("\tFounders")));
    QCOMPARE(status->panelText(1), QStringLiteral("Founders (0)"));
}

void TestSettingsForm::categoriesFromTheCategoryMenu()
{
    MainFormFixture f;
    f.writeFile(QStringLiteral("category.nox"), "A\r\n");
    TNoxMainForm* form = f.start();
    InstallSettingsDialog(*form);
    bool chooserFocused = false;
    onModal<TForm4>(this, [&](TForm4* settings) {
        auto* page = static_cast<TCategoryPage*>(settings->Page(spCategory));
        chooserFocused = settings->focusWidget() == page->Chooser();
        QLineEdit* name = nullptr;
        for (QLineEdit* e : page->findChildren<QLineEdit*>()) {
            if (e->parentWidget() != page->Chooser()) {
                name = e;
            }
        }
        QTest::keyClicks(name, "B");
        QTest::mouseClick(button(page, QStringLiteral("追加")), Qt::LeftButton);
        page->Chooser()->setCurrentIndex(2);
        QTest::mouseClick(settings->OkButton(), Qt::LeftButton);
    });
    for (QAction* a : form->CategoryMenu()->actions()) {
        if (a->text() == QStringLiteral("分類の編集(&E)..")) {
            a->trigger();
        }
    }
    QVERIFY(chooserFocused);
    QCOMPARE(form->categories(), (QStringList{"A", "B"}));
    QCOMPARE(form->categoryFilter(), QStringLiteral("B"));
    QCOMPARE(form->statusPanels()->panelText(0), QStringLiteral("B"));
    QCOMPARE(readTextLines(f.dataFile(QStringLiteral("category.nox")))->lines, (QStringList{"A", "B"}));
}

QTEST_MAIN(TestSettingsForm)
#include "tst_settingsform.moc"
