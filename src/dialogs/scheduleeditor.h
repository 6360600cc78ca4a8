#pragma once
// TForm2, the schedule editor: a modal dialog on one schedule record, new
// (mode emNew) or existing (emEdit). It edits every field of the record and,
// on "OK", stores it through the schedule book itself (a new schedule is
// appended to its day file; an edited one leaves the day file it had when the
// dialog opened and is appended to the file of its date) together with its
// alarms. The caller only refreshes its view afterwards.
//
// The "繰り返し" section (dialogs/repeatsection.h) makes a new schedule a
// repeat rule, or an edited one a rule in its place. On an occurrence of a
// rule it shows the rule: a change of the rule changes every occurrence; a
// change of the schedule alone asks whether it is for this one, this and
// the following ones, or all of them.
//
// The dialog works on a copy: the caller's record is written only when the
// book has stored the schedule. A write that fails is reported in a message
// box naming the file and the dialog stays open, so nothing typed is lost.
#include <QDialog>
#include <QFont>
#include <QList>
#include <QPixmap>
#include <QStringList>
#include <functional>
#include <optional>

#include "core/color.h"
#include "store/bookresult.h"
#include "store/repeatrule.h"
#include "store/skedrec.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QMimeData;
class QPlainTextEdit;
class QPushButton;
class QSplitter;

namespace nox
{

class RepeatSection;
class ScheduleBook;

enum TEditorMode { emNew = 1, emEdit = 2 };

// The category list and the image strip as the settings dialog left them.
struct TEditorLists {
    QStringList categories;
    QList<QPixmap> images;
};

// What the editor shows besides the record; filled by the caller.
struct TScheduleEditorSetup {
    ScheduleBook* book = nullptr; // stores the schedule (not owned, required)
    QString dateFormat = QStringLiteral("yyyy/m/dd(aaa)");
    QStringList lineCaptions; // the first day column's 48 time-line captions
    QStringList categories;
    QList<QPixmap> images;
    QString categoryFilter; // preselected for a new schedule when listed
    // Look of both text boxes in the current view mode; the text colour and
    // style come from the record.
    TColor textBackground = clWhite;
    QFont textFont;
    TColor lineSampleBackground = clWhite; // the day view's colour
    // "編集.." beside the category and the image list: opens the settings
    // dialog on its page ("分類" or "イメージ") and returns the lists anew
    // after "OK", nothing after "キャンセル". Unset: both buttons are disabled.
    std::function<std::optional<TEditorLists>(const QString& page)> editLists;
};

class TForm2 : public QDialog
{
    Q_OBJECT
public:
    // `record` is read now and written only on a stored "OK"; it must outlive
    // the dialog.
    TForm2(QWidget* owner, TSkedRec& record, TEditorMode mode, TScheduleEditorSetup setup);

    QDateEdit* DatePicker() const { return m_date; }
    QComboBox* StartList() const { return m_start; }
    QComboBox* EndList() const { return m_end; }
    QComboBox* CategoryList() const { return m_category; }
    QPushButton* CategoryEditButton() const { return m_categoryEdit; }
    QPushButton* LineColorButton() const { return m_lineColorButton; }
    QWidget* LineSample() const { return m_lineSample; }
    QPushButton* TextColorButton() const { return m_textColorButton; }
    // 0 "太字", 1 "斜体", 2 "下線", 3 "取り消し線".
    QCheckBox* StyleBox(int index) const { return m_styleBoxes.value(index); }
    QComboBox* ImageList() const { return m_image; }
    QPushButton* ImageEditButton() const { return m_imageEdit; }
    QComboBox* AlarmList() const { return m_alarm; }
    QCheckBox* OpenRelatedBox() const { return m_openRelated; }
    QPlainTextEdit* TextBox() const { return m_text; }
    QPlainTextEdit* MemoBox() const { return m_memo; }
    QSplitter* Splitter() const { return m_splitter; }
    QLineEdit* RelatedBox() const { return m_related; }
    QPushButton* OpenButton() const { return m_open; }
    QPushButton* BrowseButton() const { return m_browse; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }
    RepeatSection* Repeat() const { return m_repeat; }

    // The colours and style the text boxes show now.
    TColor TextColor() const { return m_textColor; }
    TColor LineColor() const { return m_lineColor; }
    TFontStyles FontStyle() const { return m_fontStyle; }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildFieldPanel(QWidget* panel);
    QWidget* buildTextPanel(const QString& title, QPlainTextEdit* box, QWidget* foot);
    QWidget* buildRelatedRow();
    QPlainTextEdit* newTextBox();
    void connectControls();
    void fillCategories(const QStringList& names);
    void fillImages(const QList<QPixmap>& images);
    void fillFromRecord();
    void applyTextLook();
    void setLineColor(TColor color);
    void startChosen(int index);
    void endChosen(int index);
    void alarmChosen(int index);
    void styleToggled(int bit, bool on);
    void chooseTextColor();
    void chooseLineColor();
    void editLists(const QString& page);
    void browse();
    void rememberHeights();
    void keepRatio();
    void clampToScreen();
    bool acceptDrop(const QMimeData* mime) const;
    TSkedRec recordFromControls() const;
    void confirm();
    // confirm() of a schedule that repeats, or of an occurrence of a rule.
    BookResult storeRepeating(const TSkedRec& rec, bool* cancelled);
    BookResult storeOccurrence(const TSkedRec& rec, bool* cancelled);

    TSkedRec& m_record;
    const TSkedRec m_copy; // Date and ID as the dialog opened
    const TEditorMode m_mode;
    TScheduleEditorSetup m_setup;
    TColor m_textColor = clWindowText;
    TColor m_lineColor = clWindowText;
    TFontStyles m_fontStyle = 0;
    int m_textHeight = 0;
    int m_memoHeight = 0;
    // A stored image index the image list lacks: kept until the user chooses.
    std::optional<qint32> m_unlistedImage;

    QDateEdit* m_date = nullptr;
    QComboBox* m_start = nullptr;
    QComboBox* m_end = nullptr;
    QComboBox* m_category = nullptr;
    QPushButton* m_categoryEdit = nullptr;
    QPushButton* m_lineColorButton = nullptr;
    QWidget* m_lineSample = nullptr;
    QPushButton* m_textColorButton = nullptr;
    QList<QCheckBox*> m_styleBoxes;
    QComboBox* m_image = nullptr;
    QPushButton* m_imageEdit = nullptr;
    QComboBox* m_alarm = nullptr;
    QCheckBox* m_openRelated = nullptr;
    QPlainTextEdit* m_text = nullptr;
    QPlainTextEdit* m_memo = nullptr;
    QWidget* m_textPanel = nullptr;
    QWidget* m_memoPanel = nullptr;
    QSplitter* m_splitter = nullptr;
    QLineEdit* m_related = nullptr;
    QPushButton* m_open = nullptr;
    QPushButton* m_browse = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    RepeatSection* m_repeat = nullptr;
    int m_repeatHeight = 0;     // the section's height the dialog was last sized for
    int m_baseRepeatHeight = 0; // its height with one row
    std::optional<RepeatRule> m_rule; // the rule of an occurrence being edited
};

// Shows the editor modally on `record`, centred on `owner`. Returns true
// exactly when it was closed with "OK": the schedule is then stored (day
// files and alarms) and `record` holds it as stored. Otherwise nothing
// changed, on disk or in `record`.
bool ShowScheduleEditor(QWidget* owner, TSkedRec& record, TEditorMode mode, const TScheduleEditorSetup& setup);

} // namespace nox
