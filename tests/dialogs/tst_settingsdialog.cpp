// The settings dialog TForm4 on a temporary data folder, driven by real
// events, with a host that records what it is asked to apply. Colour, file
// and message dialogs are answered through the chooser seam.
#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyleOptionTab>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "alarm/ui/popupwindow.h"
#include "appearance/ui/stylepreview.h"
#include "core/folders.h"
#include "core/inifile.h"
#include "core/textfile.h"
#include "dialogs/settingsdialog.h"
#include "dialogs/settingshost.h"
#include "dialogs/settingspage_p.h"
#include "widgets/choosers.h"
#include "widgets/multirowtabbar.h"

using namespace nox;

namespace
{

struct FakeHost : TSettingsHost {
    TNoxSettings running;
    TStyle style;
    ImageStrip images;
    QStringList categories{QStringLiteral("仕事")};
    HolidayList holidays;
    QDate selected = QDate(2026, 3, 20);
    AlarmSettings alarms;
    QStringList log;
    HolidayList appliedHolidays;
    QStringList appliedCategories;
    QString appliedFilter;
    TStyle appliedStyle;
    int appliedIndex = -1;

    TNoxSettings RunningSettings() const override { return running; }
    TStyle CurrentStyle() const override { return style; }
    ImageStrip Images() const override { return images; }
    QStringList Categories() const override { return categories; }
    HolidayList Holidays() const override { return holidays; }
    QDate SelectedDate() const override { return selected; }
    AlarmSettings RunningAlarmSettings() const override { return alarms; }
    void ApplyStyle(int index, const TStyle& s, bool) override
    {
        appliedIndex = index;
        appliedStyle = s;
        log << QStringLiteral("style");
    }
    void ApplyImages(const ImageStrip&) override { log << QStringLiteral("images"); }
    void ApplyCategories(const QStringList& c, const QString& f) override
    {
        appliedCategories = c;
        appliedFilter = f;
        log << QStringLiteral("categories");
    }
    void ApplyHolidays(const HolidayList& h) override
    {
        appliedHolidays = h;
        log << QStringLiteral("holidays");
    }
    void ApplyPrint(const TNoxSettings&) override { log << QStringLiteral("print"); }
    void ApplyClock(const TNoxSettings&) override { log << QStringLiteral("clock"); }
    void ApplyAlarms(const AlarmSettings&) override { log << QStringLiteral("alarms"); }
    void ApplyPopup(const TPopupSettings&) override { log << QStringLiteral("popup"); }
    void ApplyOther(const TNoxSettings&) override { log << QStringLiteral("other"); }
    void RepaintStatusBar() override { log << QStringLiteral("statusbar"); }
};

QPushButton* button(QWidget* root, const QString& text)
{
    for (QPushButton* b : root->findChildren<QPushButton*>()) {
        if (b->text() == text) {
            return b;
        }
    }
    qFatal("no button %s", qPrintable(text));
    return nullptr;
}

template <class T> T* child(QWidget* root, int index = 0)
{
    const QList<T*> all = root->findChildren<T*>();
    return index < all.size() ? all.at(index) : nullptr;
}

// The page's n-th one-line text box (not the editor inside a spin, date or combo box).
QLineEdit* textBox(QWidget* page, int n = 0)
{
    QList<QLineEdit*> boxes;
    for (QLineEdit* e : page->findChildren<QLineEdit*>()) {
        QWidget* owner = e->parentWidget();
        if (!qobject_cast<QAbstractSpinBox*>(owner) && !qobject_cast<QComboBox*>(owner)) {
            boxes << e;
        }
    }
    return boxes.value(n);
}

// On the indicator: a check box takes clicks only there and on its caption.
void clickBox(QAbstractButton* box)
{
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

// Typed as an input method commits it (keyClicks takes ASCII only).
void type(QWidget* w, const QString& text)
{
    w->setFocus();
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(w, &commit);
}

void clickTab(TForm4& dialog, int page)
{
    for (int i = 0; i < dialog.Tabs()->count(); ++i) {
        if (SettingsPageNumber(dialog.Tabs()->tabText(i)) == page) {
            QTest::mouseClick(dialog.Tabs(), Qt::LeftButton, {}, dialog.Tabs()->tabRect(i).center());
        }
    }
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestSettingsDialog : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void holidayPageAloneWritesOnlyTheHolidayList();
    void duplicateDateRefusedWhileUpdateMayDuplicate();
    void holidayImport_data();
    void holidayImport();
    void categoryNoFilterCaptionRefusedWithBlankAccepted();
    void cancelAfterAddingImagesLeavesTheStrip();
    void pickingAStyleThenCancelLeavesStyleIni();
    void pickingAStyleThenOkWritesTheSection();
    void changedPagesApplyInPageOrder();
    void enterAndDeletionKeysAreSwallowed();
    void failedWritesAreReported();
    void fullDialogRemembersItsPage();
    void soundTestMessages();
    void popupTestKeepsRunningSettings();
    void everyPageFitsTheWindow();
    void tabsShowTheirWholeCaption_data();
    void tabsShowTheirWholeCaption();

private:
    FakeHost* m_host = nullptr;
    QTemporaryDir* m_home = nullptr;
    QStringList m_messages;
    QStringList m_openFiles;
    TColor m_colour = 0x00112233;
    std::unique_ptr<TForm4> open(int page);
};

void TestSettingsDialog::init()
{
    m_home = new QTemporaryDir;
    qputenv("NOX_HOME", m_home->path().toUtf8());
    folders::resetCache();
    QDir().mkpath(folders::dataFolder());
    const QString factory = QCoreApplication::applicationDirPath() + QStringLiteral("/default");
    QDir().mkpath(m_home->path() + QStringLiteral("/default"));
    for (const QString& name : QDir(factory).entryList(QDir::Files)) {
        QFile::copy(factory + u'/' + name, m_home->path() + QStringLiteral("/default/") + name);
    }
    QFile::copy(factory + QStringLiteral("/style.ini"), folders::dataFile(QStringLiteral("style.ini")));
    m_host = new FakeHost;
    m_host->holidays.add(QStringLiteral("2026/03/20"), QStringLiteral("春分の日"));
    m_messages.clear();
    m_openFiles.clear();
    TChooserHooks hooks;
    hooks.message = [this](TMessageKind, const QString& text) { m_messages << text; };
    hooks.openFiles = [this](const QString&, bool) { return m_openFiles; };
    hooks.color = [this](TColor) { return std::optional<TColor>(m_colour); };
    SetChooserHooks(hooks);
}

void TestSettingsDialog::cleanup()
{
    SetChooserHooks({});
    setWriteFaultHook({});
    delete m_host;
    delete m_home;
}

std::unique_ptr<TForm4> TestSettingsDialog::open(int page)
{
    auto dialog = std::make_unique<TForm4>(*m_host, page);
    dialog->show();
    dialog->activateWindow();
    [&] { QVERIFY(QTest::qWaitForWindowActive(dialog.get())); }();
    return dialog;
}

void TestSettingsDialog::holidayPageAloneWritesOnlyTheHolidayList()
{
    auto dialog = open(spHoliday);
    int shown = 0;
    for (int i = 0; i < dialog->Tabs()->count(); ++i) {
        shown += dialog->Tabs()->isTabVisible(i) ? 1 : 0;
    }
    QCOMPARE(shown, 1);
    QVERIFY(!dialog->Page(spStyle));
    auto* page = dialog->Page(spHoliday);
    auto* name = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(name && name->parentWidget() == page);
    child<QDateEdit>(page)->setDate(QDate(2026, 5, 5));
    QTest::keyClicks(name, "Kodomo");
    QTest::mouseClick(button(page, QStringLiteral("追加")), Qt::LeftButton);
    QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
    QCOMPARE(m_host->log, QStringList{QStringLiteral("holidays")});
    QCOMPARE(m_host->appliedHolidays.keys(), (QStringList{"2026/03/20", "2026/05/05"}));
    const TextReadResult file = readTextLines(folders::dataFile(QStringLiteral("holiday.txt")));
    QCOMPARE(file->lines, (QStringList{"2026/03/20\t春分の日", "2026/05/05\tKodomo"}));
    QVERIFY(!QFile::exists(folders::dataFile(QStringLiteral("Nox.ini"))));
}

void TestSettingsDialog::duplicateDateRefusedWhileUpdateMayDuplicate()
{
    auto dialog = open(spHoliday);
    auto* page = static_cast<THolidayPage*>(dialog->Page(spHoliday));
    type(textBox(page), QStringLiteral("振替"));
    QTest::mouseClick(button(page, QStringLiteral("追加")), Qt::LeftButton); // 3/20 is listed
    QCOMPARE(m_messages, QStringList{QStringLiteral("登録済みの日付です。")});
    QCOMPARE(page->Rows().size(), 1);
    child<QDateEdit>(page)->setDate(QDate(2026, 3, 21));
    QTest::mouseClick(button(page, QStringLiteral("追加")), Qt::LeftButton);
    QCOMPARE(page->Rows().size(), 2);
    QTreeWidget* list = page->List();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->topLevelItem(0)).center());
    QCOMPARE(child<QDateEdit>(page)->date(), QDate(2026, 3, 20));
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down); // another row, the picker keeps 3/20
    QTest::mouseClick(button(page, QStringLiteral("更新")), Qt::LeftButton);
    QCOMPARE(page->Rows().at(0).shown, page->Rows().at(1).shown);
    QCOMPARE(m_messages.size(), 1);
}

void TestSettingsDialog::holidayImport_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("rows");
    QTest::newRow("line 3 one-digit month")
        << QByteArray("2026/01/01\ta\r\n2026/02/11\tb\r\n2026/2/3\tc\r\n")
        << QStringLiteral("3行目のデータの日付書式がただしくありません！\r\n読み込みを中止します。") << 1;
    QTest::newRow("no tab") << QByteArray("2026/01/01 a\r\n")
                            << QStringLiteral(
                                   "1行目のデータの日付もしくは名称がありません！\r\n読み込みを中止します。")
                            << 1;
    QTest::newRow("tab and empty name, listed date skipped")
        << QByteArray("2026/05/05\t\r\n2026/03/20\tdup\r\n") << QString() << 2;
    QTest::newRow("CP932 names") << QByteArray("2026/11/03\t\x95\xb6\x89\xbb\x82\xcc\x93\xfa\r\n")
                                 << QString() << 2;
    QTest::newRow("missing file") << QByteArray() << QStringLiteral("ファイルが見つかりません！") << 1;
}

void TestSettingsDialog::holidayImport()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, message);
    QFETCH(int, rows);
    const QString path = m_home->filePath(QStringLiteral("import.txt"));
    if (!file.isEmpty()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(file);
    }
    m_openFiles = {path};
    auto dialog = open(spHoliday);
    auto* page = static_cast<THolidayPage*>(dialog->Page(spHoliday));
    QTest::mouseClick(button(page, QStringLiteral("読み込み")), Qt::LeftButton);
    QCOMPARE(m_messages, message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(page->Rows().size(), rows);
    if (QTest::currentDataTag() == QByteArray("CP932 names")) {
        QCOMPARE(page->Rows().last().name, QStringLiteral("文化の日"));
    }
    if (rows > 1 && QTest::currentDataTag() == QByteArray("tab and empty name, listed date skipped")) {
        QCOMPARE(page->Rows().last().name, QString());
    }
    QCOMPARE(page->Changed(), rows > 1);
}

void TestSettingsDialog::categoryNoFilterCaptionRefusedWithBlankAccepted()
{
    auto dialog = open(spCategory);
    auto* page = static_cast<TCategoryPage*>(dialog->Page(spCategory));
    QCOMPARE(QApplication::focusWidget(), page->Chooser());
    QLineEdit* name = textBox(page);
    type(name, QStringLiteral("分類 指定なし"));
    QTest::mouseClick(button(page, QStringLiteral("追加")), Qt::LeftButton);
    QCOMPARE(m_messages, QStringList{QStringLiteral("この分類名称は登録できません。")});
    QCOMPARE(QApplication::focusWidget(), name);
    QTest::keyClick(name, Qt::Key_Space);
    QTest::mouseClick(button(page, QStringLiteral("追加")), Qt::LeftButton);
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(page->Categories(), (QStringList{QStringLiteral("仕事"), QStringLiteral("分類 指定なし ")}));
    QCOMPARE(page->Chooser()->count(), 3);
    page->Chooser()->setCurrentIndex(1);
    QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
    QCOMPARE(m_host->log, QStringList{QStringLiteral("categories")});
    QCOMPARE(m_host->appliedFilter, QStringLiteral("仕事"));
    QCOMPARE(readTextLines(folders::dataFile(QStringLiteral("category.nox")))->lines, page->Categories());
}

void TestSettingsDialog::cancelAfterAddingImagesLeavesTheStrip()
{
    QImage bitmap(20, 10, QImage::Format_RGB32);
    bitmap.fill(Qt::red);
    const QString good = m_home->filePath(QStringLiteral("a.bmp"));
    QVERIFY(bitmap.save(good, "BMP"));
    const QString bad = m_home->filePath(QStringLiteral("b.bmp"));
    QFile f(bad);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("not a bitmap");
    f.close();
    m_openFiles = {good, bad};
    auto dialog = open(spAll);
    clickTab(*dialog, spImage);
    auto* page = static_cast<TImagePage*>(dialog->Page(spImage));
    QTest::mouseClick(button(page, QStringLiteral("追加")), Qt::LeftButton);
    QCOMPARE(page->Images().count(), 1);
    QCOMPARE(m_messages.size(), 1);
    QVERIFY(m_messages.first().contains(bad));
    QVERIFY(page->Changed());
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    QCOMPARE(dialog->result(), int(QDialog::Rejected));
    QVERIFY(m_host->log.isEmpty());
}

void TestSettingsDialog::pickingAStyleThenCancelLeavesStyleIni()
{
    const QByteArray before = fileBytes(folders::dataFile(QStringLiteral("style.ini")));
    auto dialog = open(spAll);
    auto* page = static_cast<TStylePage*>(dialog->Page(spStyle));
    const TStyle shown = page->Preview()->Style();
    QTest::mouseClick(child<QRadioButton>(page, 1), Qt::LeftButton);
    QCOMPARE(page->StyleIndex(), 1);
    QVERIFY(page->Preview()->Style() != shown);
    QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
    QCOMPARE(fileBytes(folders::dataFile(QStringLiteral("style.ini"))), before);
    QVERIFY(m_host->log.isEmpty());
    QVERIFY(!QFile::exists(folders::dataFile(QStringLiteral("Nox.ini"))));
}

void TestSettingsDialog::pickingAStyleThenOkWritesTheSection()
{
    m_host->style.DayKind.SkedBKColor = 0x00ABCDEF;
    auto dialog = open(spStyle);
    auto* page = static_cast<TStylePage*>(dialog->Page(spStyle));
    QTest::mouseClick(child<QRadioButton>(page, 2), Qt::LeftButton);
    TStyle expected = m_host->style;
    expected.DayKind = TDayKindColors();
    expected.DayKind.SkedBKColor = 0x00ABCDEF; // kept unless the file names it
    ReadStyle(expected, 2);
    QCOMPARE(page->Preview()->Style(), expected);
    QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
    QCOMPARE(m_host->log, (QStringList{QStringLiteral("style"), QStringLiteral("statusbar")}));
    QCOMPARE(m_host->appliedIndex, 2);
    QCOMPARE(m_host->appliedStyle, expected);
    TStyle written;
    ReadStyle(written, 2);
    QCOMPARE(written, expected);
    QCOMPARE(IniFile(folders::dataFile(QStringLiteral("Nox.ini")))
                 .readInteger(QStringLiteral("sked"), QStringLiteral("style"), -1),
             2);
}

void TestSettingsDialog::changedPagesApplyInPageOrder()
{
    auto dialog = open(spAll);
    clickTab(*dialog, spClock);
    QCOMPARE(dialog->CurrentPage(), int(spClock));
    clickBox(child<QCheckBox>(dialog->Page(spClock)));
    clickTab(*dialog, spOther);
    clickBox(child<QCheckBox>(dialog->Page(spOther), 1));
    clickTab(*dialog, spStyle);
    QTest::mouseClick(child<QRadioButton>(dialog->Page(spStyle), 1), Qt::LeftButton);
    QVERIFY(dialog->Page(spClock)->Changed());
    QVERIFY(dialog->Page(spOther)->Changed());
    QVERIFY(dialog->Page(spStyle)->Changed());
    QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
    QCOMPARE(dialog->AppliedPages(), (QList<int>{spStyle, spOther, spClock}));
    QCOMPARE(m_host->log, (QStringList{"style", "other", "clock", "statusbar"}));
    const IniFile ini(folders::dataFile(QStringLiteral("Nox.ini")));
    QCOMPARE(ini.readString(QStringLiteral("window1"), QStringLiteral("statusbar"), {}), QStringLiteral("1"));
    QCOMPARE(ini.readString(QStringLiteral("clock"), QStringLiteral("visible"), {}), QStringLiteral("0"));
    QCOMPARE(ini.readString(QStringLiteral("alarm"), QStringLiteral("enable"), QStringLiteral("untouched")),
             QStringLiteral("untouched"));
}

void TestSettingsDialog::enterAndDeletionKeysAreSwallowed()
{
    auto dialog = open(spPopup);
    auto* width = child<QSpinBox>(dialog->Page(spPopup), 1);
    QCOMPARE(width->value(), 160);
    QLineEdit* inner = width->findChild<QLineEdit*>();
    inner->setFocus();
    QTest::keyClick(inner, Qt::Key_End);
    QTest::keyClick(inner, Qt::Key_Backspace);
    QTest::keyClick(inner, Qt::Key_Home);
    QTest::keyClick(inner, Qt::Key_Delete);
    QCOMPARE(width->value(), 160);
    QTest::keyClick(inner, Qt::Key_Return);
    auto* format = child<QComboBox>(dialog->Page(spPopup), 1)->lineEdit();
    QTest::keyClick(format, Qt::Key_Enter);
    QVERIFY(dialog->isVisible());
    QTest::keyClick(inner, Qt::Key_Up);
    QCOMPARE(width->value(), 161);
}

void TestSettingsDialog::failedWritesAreReported()
{
    setWriteFaultHook([](const QString& path, WriteStep step) {
        return path.endsWith(QStringLiteral("holiday.txt")) && step == WriteStep::Rename ? EACCES : 0;
    });
    QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/default/holiday.txt"),
                folders::dataFile(QStringLiteral("holiday.txt")));
    const QByteArray before = fileBytes(folders::dataFile(QStringLiteral("holiday.txt")));
    auto dialog = open(spHoliday);
    auto* page = dialog->Page(spHoliday);
    QTest::mouseClick(button(page, QStringLiteral("削除")), Qt::LeftButton); // nothing chosen: no change
    QVERIFY(!page->Changed());
    QTreeWidget* list = static_cast<THolidayPage*>(page)->List();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->topLevelItem(0)).center());
    QTest::mouseClick(button(page, QStringLiteral("削除")), Qt::LeftButton);
    const int rowsLeft = list->topLevelItemCount();
    int observed = 0; // the program's own notices of failed writes
    setWriteFailureObserver([&](const QString&, const QString&) { ++observed; });
    QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
    setWriteFailureObserver({});
    QCOMPARE(m_messages.size(), 1); // told once, in the dialog's message
    QCOMPARE(observed, 0);
    QVERIFY2(m_messages.first().contains(QStringLiteral("holiday.txt")), qPrintable(m_messages.first()));
    QCOMPARE(fileBytes(folders::dataFile(QStringLiteral("holiday.txt"))), before);
    // The program goes on with what is on disk; the dialog stays open with
    // the user's list for another try.
    QCOMPARE(m_host->log, QStringList{QStringLiteral("holidays")});
    HolidayList onDisk;
    (void)onDisk.load(folders::dataFolder(), QString());
    QCOMPARE(m_host->appliedHolidays.keys(), onDisk.keys());
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->result(), 0);
    QCOMPARE(list->topLevelItemCount(), rowsLeft);

    setWriteFaultHook({});
    QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
    QCOMPARE(m_host->appliedHolidays.count(), rowsLeft);
    QVERIFY(fileBytes(folders::dataFile(QStringLiteral("holiday.txt"))) != before);
}

void TestSettingsDialog::fullDialogRemembersItsPage()
{
    {
        auto dialog = open(spAll);
        clickTab(*dialog, spAlarm);
        QCOMPARE(dialog->CurrentPage(), int(spAlarm));
        QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
    }
    {
        auto dialog = open(spHoliday);
        QCOMPARE(dialog->CurrentPage(), int(spHoliday));
        QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
    }
    auto dialog = open(spAll);
    QCOMPARE(dialog->CurrentPage(), int(spAlarm));
    QCOMPARE(dialog->RememberedPage(), int(spAlarm));
    QVERIFY(dialog->Tabs()->rowCount() > 1);
}

void TestSettingsDialog::soundTestMessages()
{
    const QString notWave = m_home->filePath(QStringLiteral("song.mp3"));
    QFile f(notWave);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("ID3 not a wave");
    f.close();
    auto dialog = open(spAlarm);
    auto* page = dialog->Page(spAlarm);
    QLineEdit* sound = textBox(page);
    QPushButton* test = button(page, QStringLiteral("テスト"));
    for (const QString& text :
         {QStringLiteral("BEEP"), m_home->filePath(QStringLiteral("none.wav")), notWave}) {
        sound->clear();
        QTest::keyClicks(sound, text);
        QTest::mouseClick(test, Qt::LeftButton);
    }
    QCOMPARE(m_messages.size(), 2);
    QCOMPARE(m_messages.at(0), QStringLiteral("ファイルが見つかりません！"));
    QVERIFY(m_messages.at(1).contains(notWave));
}

void TestSettingsDialog::popupTestKeepsRunningSettings()
{
    const TPopupSettings running = PopupSettings();
    auto dialog = open(spPopup);
    auto* width = child<QSpinBox>(dialog->Page(spPopup), 1);
    width->setFocus();
    QTest::keyClick(width, Qt::Key_Up);
    QTest::mouseClick(button(dialog->Page(spPopup), QStringLiteral("テスト")), Qt::LeftButton);
    TForm7* popup = LastPopup();
    QVERIFY(popup);
    QCOMPARE(popup->width(), running.width + 1);
    QVERIFY(popup->Message().endsWith(QStringLiteral("\r\n\r\nポップアップメッセージのテスト")));
    QVERIFY(!popup->Record());
    QCOMPARE(PopupSettings(), running);
    popup->close();
}

void TestSettingsDialog::everyPageFitsTheWindow()
{
    auto dialog = open(spAll);
    for (int number = spStyle; number <= spPopup; ++number) {
        QWidget* page = dialog->Page(number);
        const QSize room = page->parentWidget()->contentsRect().size();
        const QSize needed = page->minimumSizeHint();
        QVERIFY2(needed.width() <= room.width() && needed.height() <= room.height(),
                 qPrintable(QStringLiteral("page %1 needs %2 x %3 in %4 x %5")
                                .arg(number)
                                .arg(needed.width())
                                .arg(needed.height())
                                .arg(room.width())
                                .arg(room.height())));
    }
}

// The style draws a tab's caption inside margins of its own: a tab as wide as
// its text cut "祝祭日" to "兄祭E" when the holiday page was shown alone.
void TestSettingsDialog::tabsShowTheirWholeCaption_data()
{
    QTest::addColumn<int>("page");
    QTest::newRow("all pages") << int(spAll);
    QTest::newRow("holidays alone") << int(spHoliday);
    QTest::newRow("categories alone") << int(spCategory);
    QTest::newRow("print alone") << int(spPrint);
    QTest::newRow("popup alone") << int(spPopup);
}

void TestSettingsDialog::tabsShowTheirWholeCaption()
{
    QFETCH(int, page);
    auto dialog = open(page);
    TMultiRowTabBar* tabs = dialog->Tabs();
    int shown = 0;
    for (int i = 0; i < tabs->count(); ++i) {
        if (!tabs->isTabVisible(i)) {
            continue;
        }
        ++shown;
        const QStyleOptionTab opt = tabs->tabOption(i);
        const QRect text = tabs->style()->subElementRect(QStyle::SE_TabBarTabText, &opt, tabs);
        const int needed = tabs->fontMetrics().horizontalAdvance(opt.text);
        QVERIFY2(text.width() >= needed, qPrintable(QStringLiteral("%1: %2 of %3 pixels")
                                                        .arg(opt.text)
                                                        .arg(text.width())
                                                        .arg(needed)));
        QVERIFY(tabs->rect().contains(tabs->tabRect(i)));
    }
    QCOMPARE(shown, page == spAll ? tabs->count() : 1);
}

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
