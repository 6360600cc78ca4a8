// The style dialog TForm5 driven by real events; colour and file dialogs
// answered through the chooser seam.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "appearance/styleelements.h"
#include "appearance/ui/styledialog.h"
#include "appearance/ui/stylepreview.h"
#include "core/folders.h"
#include "core/inifile.h"
#include "monthview/monthview.h"
#include "sked/skedcontrol.h"
#include "widgets/choosers.h"

using namespace nox;

namespace
{
QRect elementRect(const TForm5& dialog, const QString& caption)
{
    const int row = StyleElementIndex(caption);
    return dialog.ElementList()->visualItemRect(dialog.ElementList()->item(row));
}

void clickElement(TForm5& dialog, const QString& caption, bool doubleClick = false)
{
    QListWidget* list = dialog.ElementList();
    list->scrollToItem(list->item(StyleElementIndex(caption)));
    const QPoint at = elementRect(dialog, caption).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    if (doubleClick) {
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }
}
} // namespace

class TestStyleDialog : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup() { SetChooserHooks({}); }
    void exportStartsInDocumentsThenWhereLastSaved();
    void controlsFollowTheElement_data();
    void controlsFollowTheElement();
    void doubleClickOpensColourOnlyWhereThereIsOne_data();
    void doubleClickOpensColourOnlyWhereThereIsOne();
    void colourButtonRecoloursThePreview();
    void fontSizeRecomputesDerivedSizes();
    void exportImportRoundTripAndMissingFile();
    void okCopiesBackCancelLeavesAlone();
    void wheelScrollsTheMonthBox();

private:
    int m_colourAsks = 0;
    TColor m_answer = 0x00123456;
    QStringList m_messages;
    QString m_openFile;
    QString m_saveFile;
    QStringList m_saveStarts;
    QTemporaryDir m_home;
};

// The data folder (the save dialog's remembered folders) in a folder of the test's own.
void TestStyleDialog::initTestCase()
{
    qputenv("NOX_HOME", m_home.path().toUtf8());
    folders::resetCache();
    QVERIFY(folders::ensureDataFolder());
}

void TestStyleDialog::init()
{
    m_colourAsks = 0;
    m_messages.clear();
    TChooserHooks hooks;
    hooks.color = [this](TColor) {
        ++m_colourAsks;
        return std::optional<TColor>(m_answer);
    };
    hooks.message = [this](TMessageKind, const QString& text) { m_messages << text; };
    hooks.openFiles = [this](const QString&, bool) { return QStringList{m_openFile}; };
    hooks.saveFile = [this](const QString&, const QString&, const QString& start) {
        m_saveStarts << start;
        return m_saveFile;
    };
    SetChooserHooks(hooks);
}

void TestStyleDialog::controlsFollowTheElement_data()
{
    QTest::addColumn<QString>("element");
    QTest::addColumn<bool>("fontName");
    QTest::addColumn<bool>("secondSize");
    QTest::addColumn<bool>("halfFormat");
    QTest::addColumn<bool>("colourButton");
    QTest::newRow("文字") << QStringLiteral("文字") << true << false << false << true;
    QTest::newRow("文字 with blank") << QStringLiteral("文字 ") << true << true << false << true;
    QTest::newRow("ruler text") << QStringLiteral("レフトバー 文字(時間帯)") << false << false << true << true;
    QTest::newRow("schedule line") << QStringLiteral("スケジュールライン") << false << false << false << false;
    QTest::newRow("now marker") << QStringLiteral("現在時刻表示") << false << false << false << false;
    QTest::newRow("title") << QStringLiteral("--------MonthlyView") << false << false << false << false;
}

void TestStyleDialog::controlsFollowTheElement()
{
    QFETCH(QString, element);
    TForm5 dialog(TStyle(), true, 0);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    clickElement(dialog, element);
    QCOMPARE(dialog.ElementList()->currentItem()->text(), element);
    QTEST(dialog.FontNameBox()->isVisible(), "fontName");
    QTEST(dialog.SecondSizeBox()->isVisible(), "secondSize");
    QTEST(dialog.HalfFormatBox()->isVisible(), "halfFormat");
    QTEST(dialog.ColorButton()->isEnabled(), "colourButton");
}

void TestStyleDialog::doubleClickOpensColourOnlyWhereThereIsOne_data()
{
    QTest::addColumn<QString>("element");
    QTest::addColumn<int>("asks");
    QTest::newRow("section title") << QStringLiteral("--------共通") << 0;
    QTest::newRow("表示") << QStringLiteral("表示") << 0;
    QTest::newRow("schedule line") << QStringLiteral("スケジュールライン") << 0;
    QTest::newRow("now marker, button disabled") << QStringLiteral("現在時刻表示") << 1;
    QTest::newRow("header background") << QStringLiteral("背景色 ") << 1;
}

void TestStyleDialog::doubleClickOpensColourOnlyWhereThereIsOne()
{
    QFETCH(QString, element);
    QFETCH(int, asks);
    const TStyle before;
    TForm5 dialog(before, true, 0);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    clickElement(dialog, element, true);
    QCOMPARE(m_colourAsks, asks);
    if (element == QStringLiteral("現在時刻表示")) {
        QCOMPARE(dialog.Style().ViewHighlightColor, m_answer);
        QCOMPARE(dialog.Preview()->DayView()->View().LeftBar().HighlightColor(), m_answer);
    } else if (asks == 0) {
        QCOMPARE(dialog.Style(), before);
    } else {
        QCOMPARE(dialog.Style().HeaderBKColor, m_answer);
        QCOMPARE(dialog.Style().Color, before.Color); // "背景色" without the blank is another element
    }
}

void TestStyleDialog::colourButtonRecoloursThePreview()
{
    TForm5 dialog(TStyle(), true, 0);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    clickElement(dialog, QStringLiteral("日曜日 背景色"));
    QTest::mouseClick(dialog.ColorButton(), Qt::LeftButton);
    QCOMPARE(dialog.Style().DayKind.SundayBKColor, m_answer);
    QCOMPARE(dialog.Preview()->DayView()->Skeds(2)->View().LeftBar().Color(), m_answer); // "日曜日" column
    QCOMPARE(dialog.Preview()->MonthView()->View()->SundayBKColor(), m_answer);
    clickElement(dialog, QStringLiteral("スケジュール 背景色"));
    QTest::mouseClick(dialog.ColorButton(), Qt::LeftButton);
    const monthview::TMonthViewItems* items = dialog.Preview()->MonthView()->Items();
    QVERIFY(items->Count() == 4);
    for (int i = 0; i < items->Count(); ++i) {
        QCOMPARE(items->Item(i)->Color(), m_answer);
    }
}

void TestStyleDialog::fontSizeRecomputesDerivedSizes()
{
    TForm5 dialog(TStyle(), true, 0);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    clickElement(dialog, QStringLiteral("文字"));
    const int width = dialog.Preview()->DayView()->View().LeftBar().Width();
    QSpinBox* size = dialog.FontSizeBox();
    size->setFocus();
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(size, Qt::Key_Up);
    }
    QCOMPARE(dialog.Style().FontSize, TStyle().FontSize + 5);
    const QFont font = dialog.Preview()->DayView()->Skeds(0)->font();
    QCOMPARE(dialog.Preview()->DayView()->View().LeftBar().Width(), LeftBarWidthFor(font));
    QCOMPARE(dialog.Preview()->DayView()->View().TopBar().Height(), HeaderHeightFor(font));
    QVERIFY(dialog.Preview()->DayView()->View().LeftBar().Width() > width);
}

void TestStyleDialog::exportImportRoundTripAndMissingFile()
{
    QTemporaryDir dir;
    m_saveFile = dir.filePath(QStringLiteral("mine.txt"));
    TStyle edited;
    edited.TodayColor = 0x00010203;
    edited.ColWidth = QStringLiteral("1,2,3,4,5,6,7");
    {
        TForm5 dialog(edited, true, 0);
        QTest::mouseClick(dialog.ExportButton(), Qt::LeftButton);
    }
    QVERIFY(IniFile(m_saveFile).sectionExists(QStringLiteral("Style")));
    TForm5 dialog(TStyle(), true, 0);
    m_openFile = m_saveFile;
    QTest::mouseClick(dialog.ImportButton(), Qt::LeftButton);
    QCOMPARE(dialog.Style(), edited);
    QVERIFY(m_messages.isEmpty());

    m_openFile = dir.filePath(QStringLiteral("gone.txt"));
    QTest::mouseClick(dialog.ImportButton(), Qt::LeftButton);
    QCOMPARE(m_messages, QStringList{QStringLiteral("ファイルが見つかりません！")});
    QCOMPARE(dialog.Style(), edited);

    m_saveFile = dir.filePath(QStringLiteral("no/such/folder/x.txt"));
    QTest::mouseClick(dialog.ExportButton(), Qt::LeftButton);
    QCOMPARE(m_messages.size(), 2);
    QVERIFY(m_messages.last().contains(m_saveFile));
}

// The first export starts in the documents folder, later ones where the
// last one went, also after a restart (the folder is kept in Nox.ini); a
// folder that is gone falls back to the documents folder.
void TestStyleDialog::exportStartsInDocumentsThenWhereLastSaved()
{
    QFile::remove(folders::dataFile(QStringLiteral("Nox.ini")));
    folders::resetCache();
    QTemporaryDir dir;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString fallback = QFileInfo(documents).isDir() ? documents : QDir::homePath();
    QCOMPARE(SaveFolder(TSaveKind::Styles), fallback);
    m_saveStarts.clear();
    m_saveFile = dir.filePath(QStringLiteral("kept/mine.txt"));
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("kept"))));
    TForm5 dialog(TStyle(), true, 0);
    QTest::mouseClick(dialog.ExportButton(), Qt::LeftButton);
    QTest::mouseClick(dialog.ExportButton(), Qt::LeftButton);
    QCOMPARE(m_saveStarts, (QStringList{fallback, dir.filePath(QStringLiteral("kept"))}));
    QCOMPARE(IniFile(folders::dataFile(QStringLiteral("Nox.ini"))).readString("folders", "styles", "?"),
             dir.filePath(QStringLiteral("kept")));
    // Each kind keeps its own folder.
    QCOMPARE(SaveFolder(TSaveKind::Results), fallback);
    QVERIFY(QDir(dir.filePath(QStringLiteral("kept"))).removeRecursively());
    QCOMPARE(SaveFolder(TSaveKind::Styles), fallback);
}

void TestStyleDialog::okCopiesBackCancelLeavesAlone()
{
    for (const bool ok : {false, true}) {
        TStyle style;
        bool half = true;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<TForm5*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            clickElement(*dialog, QStringLiteral("今日"));
            QTest::mouseClick(dialog->ColorButton(), Qt::LeftButton);
            clickElement(*dialog, QStringLiteral("レフトバー 文字(時間帯)"));
            QTest::mouseClick(dialog->HalfFormatBox(), Qt::LeftButton);
            QTest::mouseClick(ok ? dialog->OkButton() : dialog->CancelButton(), Qt::LeftButton);
        });
        QCOMPARE(ShowStyleDialog(nullptr, 0, style, half), ok);
        QCOMPARE(style.TodayColor, ok ? m_answer : TStyle().TodayColor);
        QCOMPARE(half, !ok);
    }
}

void TestStyleDialog::wheelScrollsTheMonthBox()
{
    TForm5 dialog(TStyle(), true, 0);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    monthview::TMonthView* month = dialog.Preview()->MonthView();
    const QDate shown = month->CurrentDate();
    QScrollBar* bar = dialog.Preview()->MonthBox()->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    const QPoint at = month->rect().center();
    QWheelEvent wheel(at, month->mapToGlobal(at), {}, {0, -120}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(month, &wheel);
    QVERIFY(bar->value() > 0);
    QCOMPARE(month->CurrentDate(), shown);
}

QTEST_MAIN(TestStyleDialog)
#include "tst_styledialog.moc"
