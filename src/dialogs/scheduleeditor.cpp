#include "dialogs/scheduleeditor.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QVBoxLayout>

#include "core/datetime.h"
#include "core/screenfont.h"
#include "core/textfile.h"
#include "dialogs/occurrencequestion.h"
#include "dialogs/repeatsection.h"
#include "dialogs/scheduleeditor_p.h"
#include "store/schedulebook.h"
#include "widgets/choosers.h"
#include "widgets/relatedtarget.h"

namespace nox
{

using namespace editor;

namespace
{
constexpr int kClientWidth = 472;
constexpr int kClientHeight = 370;
constexpr int kFieldPanelHeight = 105;
constexpr int kSplitterHandle = 3;
constexpr int kMemoMinimum = 72;
constexpr int kDesignMemoHeight = 89;
constexpr int kDesignTextHeight = 140;
constexpr int kTextMinimum = 40;
constexpr int kTextMargin = 4;
constexpr int kTimeVisibleEntries = 12;
constexpr int kAlarmVisibleEntries = 16;
constexpr int kImageRowHeight = 20;
const char* const kStyleCaptions[] = {"太字", "斜体", "下線", "取り消し線"};
constexpr int kStyleBits[] = {fsBold, fsItalic, fsUnderline, fsStrikeOut};

// A sunken panel in the day view's colour with a 4-pixel bar in the line colour.
class LineSampleWidget : public QFrame
{
public:
    LineSampleWidget(TColor background, QWidget* parent) : QFrame(parent), m_background(background)
    {
        setFrameShape(QFrame::Panel);
        setFrameShadow(QFrame::Sunken);
        setFixedSize(48, 14);
    }
    void setColor(TColor color)
    {
        m_color = color;
        update();
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter p(this);
        p.fillRect(contentsRect(), toQColor(m_background, palette()));
        const QRect inner = contentsRect().adjusted(3, 0, -3, 0);
        p.fillRect(QRect(inner.left(), inner.center().y() - 1, inner.width(), 4),
                   toQColor(m_color, palette()));
        QFrame::paintEvent(event);
    }

private:
    TColor m_background;
    TColor m_color = clWindowText;
};

// Tells after each resize, once the panes have their new sizes.
class RatioSplitter : public QSplitter
{
public:
    using QSplitter::QSplitter;
    std::function<void()> OnResized;

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QSplitter::resizeEvent(event);
        if (OnResized) {
            OnResized();
        }
    }
};

QLabel* fieldLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

// A push button that keeps its caption's width and is skipped by the Tab key
// when `tabStop` is false.
QPushButton* smallButton(const QString& caption, QWidget* parent, bool tabStop = true)
{
    auto* button = new QPushButton(caption, parent);
    button->setAutoDefault(false);
    button->setFixedWidth(button->fontMetrics().horizontalAdvance(caption) + 12);
    if (!tabStop) {
        button->setFocusPolicy(Qt::ClickFocus);
    }
    return button;
}

QString failureText(const BookResult& result)
{
    if (result.message().contains(result.file())) {
        return result.message();
    }
    return QStringLiteral("ファイル「%1」: %2").arg(result.file(), result.message());
}
} // namespace

TForm2::TForm2(QWidget* owner, TSkedRec& record, TEditorMode mode, TScheduleEditorSetup setup)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_record(record), m_copy(record), m_mode(mode), m_setup(std::move(setup)),
      m_textHeight(kDesignTextHeight), m_memoHeight(kDesignMemoHeight)
{
    Q_ASSERT(m_setup.book);
    setWindowTitle(QStringLiteral("スケジュール") +
                   (mode == emNew ? QStringLiteral(" - [新規]") : QStringLiteral(" - [編集]")));
    QFont ui(screenFamily(QStringLiteral("ＭＳ Ｐゴシック")));
    ui.setPixelSize(12);
    setFont(ui);
    setSizeGripEnabled(true);
    setAcceptDrops(true);

    auto* fields = new QWidget(this);
    fields->setFixedHeight(kFieldPanelHeight);
    buildFieldPanel(fields);
    m_text = newTextBox();
    m_memo = newTextBox();
    auto* splitter = new RatioSplitter(Qt::Vertical, this);
    m_splitter = splitter;
    m_splitter->setHandleWidth(kSplitterHandle);
    m_splitter->setChildrenCollapsible(false);
    m_textPanel = buildTextPanel(QStringLiteral("スケジュール"), m_text, nullptr);
    m_memoPanel = buildTextPanel(QStringLiteral("メモ"), m_memo, buildRelatedRow());
    m_textPanel->setMinimumHeight(kTextMinimum);
    m_memoPanel->setMinimumHeight(kMemoMinimum);
    m_splitter->addWidget(m_textPanel);
    m_splitter->addWidget(m_memoPanel);
    m_splitter->setSizes({kDesignTextHeight, kDesignMemoHeight});
    splitter->OnResized = [this] { keepRatio(); };

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    m_cancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(4, 3, 4, 4);
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);

    m_repeat = new RepeatSection(this);
    m_baseRepeatHeight = m_repeat->sizeHint().height();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(fields);
    layout->addWidget(m_repeat);
    layout->addWidget(m_splitter, 1);
    layout->addLayout(buttons);

    setMinimumSize(kClientWidth, kClientHeight);
    resize(kClientWidth, kClientHeight);
    fillFromRecord();
    connectControls();
}

void TForm2::buildFieldPanel(QWidget* panel)
{
    m_date = new QDateEdit(panel);
    m_date->setCalendarPopup(true);
    m_date->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
    m_date->calendarWidget()->setFirstDayOfWeek(Qt::Sunday);
    m_date->setDisplayFormat(datePickerPattern(m_setup.dateFormat));
    m_start = new QComboBox(panel);
    m_end = new QComboBox(panel);
    for (QComboBox* list : {m_start, m_end}) {
        list->setMaxVisibleItems(kTimeVisibleEntries);
        list->setMinimumWidth(64);
    }
    m_category = new EntryCombo(EntryKind::PlaceholderText, QStringLiteral("指定なし"), true, 0, panel);
    m_category->setMinimumWidth(108);
    m_categoryEdit = smallButton(QStringLiteral("編集.."), panel, false);
    m_lineColorButton = smallButton(QStringLiteral("色..."), panel);
    auto* sample = new LineSampleWidget(m_setup.lineSampleBackground, panel);
    m_lineSample = sample;
    m_textColorButton = smallButton(QStringLiteral("色..."), panel);
    for (const char* caption : kStyleCaptions) {
        auto* box = new QCheckBox(QString::fromUtf8(caption), panel);
        box->setStyleSheet(
            QStringLiteral("QCheckBox { spacing: 2px; }")); // four boxes and the image list share a row
        m_styleBoxes << box;
    }
    m_image = new EntryCombo(EntryKind::Image, QStringLiteral("なし"), false, kImageRowHeight, panel);
    m_image->setMinimumWidth(m_image->fontMetrics().horizontalAdvance(QStringLiteral("なし")) + 36);
    m_imageEdit = smallButton(QStringLiteral("編集.."), panel, false);
    m_alarm = new EntryCombo(EntryKind::Text, QString(), true, 0, panel);
    m_alarm->setMaxVisibleItems(kAlarmVisibleEntries);
    for (int i = 0; i < kAlarmChoiceCount; ++i) {
        m_alarm->addItem(QString::fromUtf8(alarmChoice(i).caption));
    }
    m_openRelated = new QCheckBox(QStringLiteral("開始時間に関連情報を開く"), panel);

    auto row = [](std::initializer_list<QWidget*> widgets, int spacing = 2) {
        auto* box = new QHBoxLayout;
        box->setSpacing(spacing);
        for (QWidget* w : widgets) {
            box->addWidget(w);
        }
        box->addStretch();
        return box;
    };
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(2, 4, 4, 4);
    grid->setHorizontalSpacing(2);
    grid->setVerticalSpacing(2);
    grid->addWidget(fieldLabel(QStringLiteral("日時 :"), panel), 0, 0);
    grid->addLayout(row({m_date, m_start, new QLabel(QStringLiteral("-"), panel), m_end}), 0, 1, 1, 3);
    grid->addWidget(fieldLabel(QStringLiteral("分類 :"), panel), 1, 0);
    grid->addLayout(row({m_category, m_categoryEdit}), 1, 1);
    grid->addWidget(fieldLabel(QStringLiteral("ライン :"), panel), 1, 2);
    grid->addLayout(row({m_lineColorButton, m_lineSample}), 1, 3);
    grid->addWidget(fieldLabel(QStringLiteral("文字 :"), panel), 2, 0);
    grid->addLayout(
        row({m_textColorButton, m_styleBoxes[0], m_styleBoxes[1], m_styleBoxes[2], m_styleBoxes[3]}, 6), 2,
        1);
    grid->addWidget(fieldLabel(QStringLiteral("イメージ :"), panel), 2, 2);
    grid->addLayout(row({m_image, m_imageEdit}), 2, 3);
    grid->addWidget(fieldLabel(QStringLiteral("ｱﾗｰﾑ :"), panel), 3, 0);
    grid->addLayout(row({m_alarm, new QLabel(QStringLiteral("前に通知"), panel), m_openRelated}), 3, 1, 1, 3);
    grid->setColumnStretch(1, 1);
}

QPlainTextEdit* TForm2::newTextBox()
{
    auto* box = new QPlainTextEdit(this);
    box->setFrameShape(QFrame::NoFrame);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->document()->setDocumentMargin(kTextMargin);
    box->setTabChangesFocus(false);
    return box;
}

QWidget* TForm2::buildTextPanel(const QString& title, QPlainTextEdit* box, QWidget* foot)
{
    auto* panel = new QWidget(this);
    auto* caption = new QLabel(title, panel);
    caption->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(caption);
    box->setParent(panel);
    layout->addWidget(box, 1);
    if (foot) {
        foot->setParent(panel);
        layout->addWidget(foot);
    }
    return panel;
}

QWidget* TForm2::buildRelatedRow()
{
    auto* row = new QWidget(this);
    m_related = new QLineEdit(row);
    m_related->setFrame(false);
    m_related->installEventFilter(this);
    m_open = smallButton(QStringLiteral("開く"), row);
    m_browse = smallButton(QStringLiteral("参照..."), row);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 1, 2, 1);
    layout->setSpacing(2);
    layout->addWidget(new QLabel(QStringLiteral(" 関連情報 : "), row));
    layout->addWidget(m_related, 1);
    layout->addWidget(m_open);
    layout->addWidget(m_browse);
    return row;
}

void TForm2::fillCategories(const QStringList& names)
{
    m_category->clear();
    m_category->addItem(QString());
    m_category->addItems(names);
}

void TForm2::fillImages(const QList<QPixmap>& images)
{
    m_image->clear();
    m_image->addItem(QString());
    for (const QPixmap& image : images) {
        m_image->addItem(QIcon(image), QString());
    }
    if (!images.isEmpty()) {
        m_image->setIconSize(images.first().size());
    }
}

void TForm2::fillFromRecord()
{
    m_date->setDate(m_copy.date());
    m_textColor = m_copy.TextColor;
    m_fontStyle = m_copy.FontStyle & (fsBold | fsItalic | fsUnderline | fsStrikeOut);
    fillCategories(m_setup.categories);
    m_category->setCurrentIndex(0);
    QStringList times = timeEntries(m_setup.lineCaptions);
    for (int slot = int(times.size()); slot < kSlotCount; ++slot) {
        times << skedTimeText(slot);
    }
    m_start->addItems(times);
    m_end->addItems(times);
    fillImages(m_setup.images);
    m_start->setCurrentIndex(qBound(0, m_copy.StartTime, kSlotCount - 1));
    m_end->setCurrentIndex(qBound(0, m_copy.EndTime, kSlotCount - 1));
    for (int i = 0; i < m_styleBoxes.size(); ++i) {
        m_styleBoxes[i]->setChecked(m_fontStyle & kStyleBits[i]);
    }
    if (m_mode == emNew) {
        m_image->setCurrentIndex(0);
        m_alarm->setCurrentIndex(0);
        const int filtered =
            m_setup.categoryFilter.isEmpty() ? -1 : m_category->findText(m_setup.categoryFilter);
        if (filtered > 0) {
            m_category->setCurrentIndex(filtered);
        }
        setLineColor(m_textColor);
    } else {
        m_text->setPlainText(unescapeSkedText(m_copy.Text));
        m_memo->setPlainText(unescapeSkedText(m_copy.Memo));
        const bool listed = m_copy.ImageIndex + 1 < m_image->count();
        m_image->setCurrentIndex(listed ? m_copy.ImageIndex + 1 : -1);
        if (!listed) {
            m_unlistedImage = m_copy.ImageIndex;
        }
        setLineColor(m_copy.LineColor);
        const int category = m_copy.Category.isEmpty() ? -1 : m_category->findText(m_copy.Category);
        if (category > 0) {
            m_category->setCurrentIndex(category);
        }
        m_alarm->setCurrentIndex(alarmIndexOf(m_copy.AlarmMinutes));
        m_related->setText(m_copy.RelatedInfo);
        m_openRelated->setChecked(m_copy.OpenRelatedInfo);
    }
    alarmChosen(m_alarm->currentIndex());
    applyTextLook();
    RepeatRule rule;
    if (m_copy.isOccurrence() && m_setup.book->rule(m_copy.RuleID, &rule).ok()) {
        m_rule = rule;
        m_repeat->setRule(rule.rrule, rule.holiday, rule.first);
    } else {
        m_repeat->setRule(std::nullopt, HolidayRule::None, m_copy.date());
    }
}

void TForm2::connectControls()
{
    // The section's rows unfold below the fields: the dialog grows by them
    // rather than take the room of the text boxes.
    m_repeatHeight = m_baseRepeatHeight;
    const auto fit = [this] {
        const int now = m_repeat->sizeHint().height();
        if (now != m_repeatHeight) {
            const int grown = now - m_repeatHeight;
            m_repeatHeight = now;
            setMinimumHeight(kClientHeight + now - m_baseRepeatHeight);
            resize(width(), height() + grown);
        }
    };
    connect(m_repeat, &RepeatSection::changed, this, fit);
    fit(); // an occurrence opens with its rule unfolded
    connect(m_date, &QDateEdit::dateChanged, this, [this](const QDate& date) {
        if (!m_rule) {
            m_repeat->setFirstDate(date);
        }
    });
    connect(m_start, &QComboBox::currentIndexChanged, this, &TForm2::startChosen);
    connect(m_end, &QComboBox::currentIndexChanged, this, &TForm2::endChosen);
    connect(m_alarm, &QComboBox::currentIndexChanged, this, &TForm2::alarmChosen);
    connect(m_image, &QComboBox::activated, this, [this] { m_unlistedImage.reset(); });
    for (int i = 0; i < m_styleBoxes.size(); ++i) {
        const int bit = kStyleBits[i];
        connect(m_styleBoxes[i], &QCheckBox::toggled, this, [this, bit](bool on) { styleToggled(bit, on); });
    }
    connect(m_textColorButton, &QPushButton::clicked, this, &TForm2::chooseTextColor);
    connect(m_lineColorButton, &QPushButton::clicked, this, &TForm2::chooseLineColor);
    connect(m_categoryEdit, &QPushButton::clicked, this, [this] { editLists(QStringLiteral("分類")); });
    connect(m_imageEdit, &QPushButton::clicked, this, [this] { editLists(QStringLiteral("イメージ")); });
    m_categoryEdit->setEnabled(bool(m_setup.editLists));
    m_imageEdit->setEnabled(bool(m_setup.editLists));
    connect(m_open, &QPushButton::clicked, this, [this] {
        if (!m_related->text().isEmpty()) {
            OpenRelatedTarget(m_related->text());
        }
    });
    connect(m_browse, &QPushButton::clicked, this, &TForm2::browse);
    connect(m_ok, &QPushButton::clicked, this, &TForm2::confirm);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_splitter, &QSplitter::splitterMoved, this, &TForm2::rememberHeights);
}

// Both text boxes: the view mode's background and face, the record's colour and style.
void TForm2::applyTextLook()
{
    QFont font = m_setup.textFont;
    applyFontStyles(font, m_fontStyle);
    for (QPlainTextEdit* box : {m_text, m_memo}) {
        box->setFont(font);
        QPalette pal = box->palette();
        pal.setColor(QPalette::Base, toQColor(m_setup.textBackground, palette()));
        pal.setColor(QPalette::Text, toQColor(m_textColor, palette()));
        box->setPalette(pal);
    }
}

void TForm2::setLineColor(TColor color)
{
    m_lineColor = color;
    static_cast<LineSampleWidget*>(m_lineSample)->setColor(color);
}

// Start and end stay ordered; they may be equal.
void TForm2::startChosen(int index)
{
    if (index > m_end->currentIndex()) {
        m_end->setCurrentIndex(index);
    }
}

void TForm2::endChosen(int index)
{
    if (index >= 0 && index < m_start->currentIndex()) {
        m_start->setCurrentIndex(index);
    }
}

// Opening the related information at the start exists only with an alarm.
void TForm2::alarmChosen(int index)
{
    const bool hasAlarm = index > 0;
    if (!hasAlarm) {
        m_openRelated->setChecked(false);
    }
    m_openRelated->setEnabled(hasAlarm);
}

void TForm2::styleToggled(int bit, bool on)
{
    m_fontStyle = on ? (m_fontStyle | bit) : (m_fontStyle & ~bit);
    applyTextLook();
}

void TForm2::chooseTextColor()
{
    if (const std::optional<TColor> chosen = ChooseColor(this, m_textColor)) {
        m_textColor = *chosen;
        setLineColor(*chosen);
        applyTextLook();
    }
}

void TForm2::chooseLineColor()
{
    if (const std::optional<TColor> chosen = ChooseColor(this, m_lineColor)) {
        setLineColor(*chosen);
    }
}

// After "OK" in the settings dialog the page's list is filled again with no
// entry chosen.
void TForm2::editLists(const QString& page)
{
    if (!m_setup.editLists) {
        return;
    }
    const std::optional<TEditorLists> lists = m_setup.editLists(page);
    if (!lists) {
        return;
    }
    if (page == QStringLiteral("分類")) {
        m_setup.categories = lists->categories;
        fillCategories(lists->categories);
        m_category->setCurrentIndex(-1);
    } else {
        m_setup.images = lists->images;
        m_unlistedImage.reset();
        fillImages(lists->images);
        m_image->setCurrentIndex(-1);
    }
}

void TForm2::browse()
{
    const QString file = ChooseOpenFile(this, QString(), m_related->text());
    if (!file.isEmpty()) {
        m_related->setText(file);
    }
}

void TForm2::rememberHeights()
{
    const QList<int> sizes = m_splitter->sizes();
    if (sizes.size() == 2 && sizes[0] + sizes[1] > 0) {
        m_textHeight = sizes[0];
        m_memoHeight = sizes[1];
    }
}

// A resize keeps the ratio of the two text areas.
void TForm2::keepRatio()
{
    const QList<int> sizes = m_splitter->sizes();
    if (sizes.size() != 2) {
        return;
    }
    const int total = sizes[0] + sizes[1];
    const int memo = keptMemoHeight(total, m_textHeight, m_memoHeight, kMemoMinimum);
    m_splitter->setSizes({total - memo, memo});
    rememberHeights();
}

void TForm2::clampToScreen()
{
    const QScreen* screen = this->screen();
    if (!screen || isMaximized()) {
        return;
    }
    const QPoint topLeft = clampedTopLeft(frameGeometry(), screen->availableGeometry());
    if (topLeft != frameGeometry().topLeft()) {
        move(topLeft);
    }
}

bool TForm2::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate) {
        clampToScreen();
    }
    return QDialog::event(event);
}

void TForm2::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_text->setFocus();
}

bool TForm2::acceptDrop(const QMimeData* mime) const
{
    return mime && mime->hasUrls() && !droppedRelatedPath(mime->urls()).isEmpty();
}

void TForm2::dragEnterEvent(QDragEnterEvent* event)
{
    if (acceptDrop(event->mimeData())) {
        event->acceptProposedAction();
    }
}

void TForm2::dropEvent(QDropEvent* event)
{
    const QString path =
        acceptDrop(event->mimeData()) ? droppedRelatedPath(event->mimeData()->urls()) : QString();
    if (!path.isEmpty()) {
        m_related->setText(path);
        event->acceptProposedAction();
    }
}

// Files dropped on the related-information box fill it in; other drops
// (plain text) are the box's own.
bool TForm2::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_related) {
        const QEvent::Type type = event->type();
        if (type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop) {
            auto* drag = static_cast<QDropEvent*>(event);
            if (drag->mimeData()->hasUrls()) {
                if (type == QEvent::Drop) {
                    dropEvent(drag);
                } else if (acceptDrop(drag->mimeData())) {
                    drag->acceptProposedAction();
                } else {
                    drag->ignore();
                }
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

TSkedRec TForm2::recordFromControls() const
{
    TSkedRec rec = m_copy; // the ID and any fields of later versions stay
    rec.setDate(m_date->date());
    rec.StartTime = qMax(0, m_start->currentIndex());
    rec.EndTime = qMax(rec.StartTime, m_end->currentIndex());
    rec.Text = escapeSkedText(m_text->toPlainText());
    rec.TextColor = m_textColor;
    rec.FontStyle = m_fontStyle;
    rec.LineColor = m_lineColor;
    rec.ImageIndex =
        m_image->currentIndex() >= 0 ? m_image->currentIndex() - 1 : m_unlistedImage.value_or(-1);
    rec.Memo = escapeSkedText(m_memo->toPlainText());
    rec.Category = m_category->currentIndex() > 0 ? m_category->currentText() : QString();
    rec.AlarmMinutes = alarmChoice(qMax(0, m_alarm->currentIndex())).minutes;
    rec.RelatedInfo = escapeSkedText(m_related->text());
    rec.OpenRelatedInfo = m_openRelated->isChecked();
    return rec;
}

// "OK": a schedule needs a text; it is stored before the dialog closes. When
// the day file could not be written the dialog stays open; when only a later
// step failed (the schedule is stored) the failure is shown and it closes.
void TForm2::confirm()
{
    if (m_text->toPlainText().isEmpty()) {
        ShowMessage(this, TMessageKind::Information, QStringLiteral("スケジュールを入力してください。"));
        m_text->setFocus();
        return;
    }
    if (const QString problem = m_repeat->problem(); !problem.isEmpty()) {
        ShowMessage(this, TMessageKind::Information, problem);
        m_repeat->setFocus();
        return;
    }
    const TSkedRec rec = recordFromControls();
    ScheduleBook& book = *m_setup.book;
    bool cancelled = false;
    const BookResult result = [&] {
        const WriteFailuresToldByCaller toldHere; // in the one message below
        if (m_rule) {
            return storeOccurrence(rec, &cancelled);
        }
        if (m_repeat->isRepeating()) {
            return storeRepeating(rec, &cancelled);
        }
        return m_mode == emNew ? book.add(rec, amNew) : book.replace(m_copy.date(), m_copy.ID, rec, amEdited);
    }();
    if (cancelled) {
        return;
    }
    if (result.code() == BookStatus::ChangedOnDisk) {
        // Stored, together with another program's change of the day.
        ShowMessage(this, TMessageKind::Information, result.message());
        m_record = rec;
        accept();
        return;
    }
    if (!result.ok()) {
        ShowMessage(this, TMessageKind::Error, failureText(result));
        if (!result->record) {
            return;
        }
    }
    m_record = result->record.value_or(rec);
    accept();
}

// A new rule of the controls; an edited schedule of a day file leaves its
// file once the rule is stored.
BookResult TForm2::storeRepeating(const TSkedRec& rec, bool* cancelled)
{
    *cancelled = false;
    RepeatRule rule;
    rule.first = rec.date();
    rule.rrule = m_repeat->rrule();
    rule.holiday = m_repeat->holiday();
    rule.sked = rec;
    BookResult result = m_setup.book->addRule(&rule);
    if (result.ok() && m_mode == emEdit) {
        const BookResult removed = m_setup.book->remove(m_copy.date(), m_copy.ID);
        if (!removed.ok()) {
            return removed;
        }
    }
    return result;
}

// An occurrence: a changed rule changes all of them; else the user says
// which occurrences the change is for.
BookResult TForm2::storeOccurrence(const TSkedRec& rec, bool* cancelled)
{
    *cancelled = false;
    ScheduleBook& book = *m_setup.book;
    const bool ruleChanged = m_repeat->isRepeating() &&
                             (m_repeat->rrule() != m_rule->rrule || m_repeat->holiday() != m_rule->holiday);
    if (ruleChanged) {
        const QString rrule = m_repeat->rrule();
        const HolidayRule holiday = m_repeat->holiday();
        const qint64 shift = m_copy.date().daysTo(rec.date());
        return book.changeRule(m_rule->id, [&](RepeatRule& r) {
            r.rrule = rrule;
            r.holiday = holiday;
            r.first = r.first.addDays(shift);
            r.sked = rec;
            r.sked.RuleID = 0;
            r.sked.RuleDate = 0;
        });
    }
    if (!m_repeat->isRepeating()) {
        return book.changeOccurrence(OccurrenceScope::This, m_copy, rec);
    }
    const std::optional<OccurrenceScope> scope = askOccurrenceScope(this, windowTitle(), occurrenceChangeQuestion());
    if (!scope) {
        *cancelled = true;
        return BookResult::success(BookChange{});
    }
    return book.changeOccurrence(*scope, m_copy, rec);
}

bool ShowScheduleEditor(QWidget* owner, TSkedRec& record, TEditorMode mode, const TScheduleEditorSetup& setup)
{
    TForm2 dialog(owner, record, mode, setup);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace nox
