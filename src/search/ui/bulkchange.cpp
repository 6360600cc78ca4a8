#include "search/ui/bulkchange.h"

#include "dialogs/occurrencequestion.h"
#include "dialogs/processing.h"
#include "search/ui/searchcombos.h"
#include "search/ui/searchhost.h"
#include "search/ui/searchmessages.h"
#include "store/repeatrule.h"
#include "store/schedulebook.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>

#include <algorithm>

namespace nox
{

namespace
{

constexpr QSize kClientSize(367, 249);
const char* const kStyleNames[] = {"太字", "斜体", "下線", "取り消し線"};
constexpr int kStyleBits[] = {fsBold, fsItalic, fsUnderline, fsStrikeOut};

} // namespace

TForm9::TForm9(TSearchHost& host, const QList<TSkedSearchRec>& targets, QWidget* parent)
    : QDialog(parent), m_host(host), m_targets(targets), m_textColor(host.viewFontColor()),
      m_lineColor(host.viewFontColor())
{
    setObjectName(QStringLiteral("TForm9"));
    setWindowTitle(QStringLiteral("スケジュールの変更"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 8, 8, 8);
    grid->setSpacing(6);

    QGroupBox* category = addRow(rowCategory, QStringLiteral("分類"));
    m_category = new TWideComboBox(category);
    addGreyEntry(m_category, QStringLiteral("指定なし"));
    m_category->addItems(host.categories());
    static_cast<QHBoxLayout*>(category->layout())->addWidget(m_category, 1);

    QGroupBox* image = addRow(rowImage, QStringLiteral("イメージ"));
    m_image = new TImageComboBox(image);
    m_image->setImages(host.images());
    static_cast<QHBoxLayout*>(image->layout())->addWidget(m_image, 1);

    QGroupBox* text = addRow(rowTextColor, QStringLiteral("文字色"));
    text->layout()->addWidget(colorRow(text, &m_textColor, &m_textSample));
    QGroupBox* line = addRow(rowLineColor, QStringLiteral("ラインカラー"));
    line->layout()->addWidget(colorRow(line, &m_lineColor, &m_lineSample));

    QGroupBox* style = addRow(rowStyle, QStringLiteral("文字スタイル"));
    for (const char* name : kStyleNames) {
        auto* box = new QCheckBox(QString::fromUtf8(name), style);
        m_styles << box;
        style->layout()->addWidget(box);
    }

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &TForm9::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TForm9::reject);

    grid->addWidget(category, 0, 0);
    grid->addWidget(text, 0, 1);
    grid->addWidget(image, 1, 0);
    grid->addWidget(line, 1, 1);
    grid->addWidget(style, 2, 0, 1, 2);
    grid->addWidget(buttons, 3, 0, 1, 2);
    grid->setRowStretch(4, 1);
    setFixedSize(kClientSize.expandedTo(sizeHint()));
}

QGroupBox* TForm9::addRow(Row row, const QString& title)
{
    auto* box = new QGroupBox(title, this);
    box->setCheckable(true);
    box->setChecked(false); // switches the row's controls off too
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(6, 2, 6, 4);
    m_rows[row] = box;
    return box;
}

QWidget* TForm9::colorRow(QGroupBox* box, TColor* color, QFrame** sample)
{
    auto* row = new QWidget(box);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* button = new QPushButton(QStringLiteral("文字色..."), row);
    *sample = new QFrame(row);
    (*sample)->setFrameShape(QFrame::Box);
    (*sample)->setFixedSize(40, 20);
    (*sample)->setAutoFillBackground(true);
    showColor(*sample, *color);
    QFrame* frame = *sample;
    connect(button, &QPushButton::clicked, this, [this, color, frame] { chooseColor(color, frame); });
    layout->addWidget(button);
    layout->addWidget(*sample);
    layout->addStretch(1);
    return row;
}

void TForm9::showColor(QFrame* sample, TColor color)
{
    QPalette pal = sample->palette();
    pal.setColor(QPalette::Window, toQColor(color));
    sample->setPalette(pal);
}

void TForm9::chooseColor(TColor* color, QFrame* sample)
{
    const QColor chosen = QColorDialog::getColor(toQColor(*color), this, QStringLiteral("色の設定"));
    if (chosen.isValid()) {
        *color = fromQColor(chosen);
        showColor(sample, *color);
    }
}

QCheckBox* TForm9::styleBox(int bit) const
{
    return m_styles.value(bit);
}

QPushButton* TForm9::colorButton(Row row) const
{
    return m_rows[row] ? m_rows[row]->findChild<QPushButton*>() : nullptr;
}

void TForm9::setTextColor(TColor color)
{
    m_textColor = color;
    showColor(m_textSample, color);
}

void TForm9::setLineColor(TColor color)
{
    m_lineColor = color;
    showColor(m_lineSample, color);
}

void TForm9::applyFields(QStringList& fields) const
{
    if (m_rows[rowCategory]->isChecked()) {
        fields[kSkedFieldCategory] = m_category->currentIndex() > 0 ? m_category->currentText() : QString();
    }
    if (m_rows[rowImage]->isChecked()) {
        fields[kSkedFieldImage] = QString::number(qMax(0, m_image->currentIndex()) - 1);
    }
    if (m_rows[rowTextColor]->isChecked()) {
        fields[kSkedFieldTextColor] = colorToString(m_textColor);
    }
    if (m_rows[rowStyle]->isChecked()) {
        int style = 0;
        for (int i = 0; i < m_styles.size(); ++i) {
            style |= m_styles[i]->isChecked() ? kStyleBits[i] : 0;
        }
        fields[kSkedFieldFontStyle] = QString::number(style);
    }
    if (m_rows[rowLineColor]->isChecked()) {
        fields[kSkedFieldLineColor] = colorToString(m_lineColor);
    }
}

BookResult TForm9::changeOccurrence(const TSkedSearchRec& target, OccurrenceScope scope,
                                    QSet<qint32>& rulesDone)
{
    if (rulesDone.contains(target.ID)) {
        return BookResult::success({});
    }
    const std::optional<TSkedRec> occurrence = m_host.book().find(target.Date, target.ID);
    if (!occurrence || !occurrence->isOccurrence()) {
        return Status::notFound(QString(), QString());
    }
    QStringList fields = formatSkedLine(*occurrence).split(QLatin1Char('\t'));
    applyFields(fields);
    TSkedRec changed = *occurrence;
    if (!parseSkedLine(fields.join(QLatin1Char('\t')), target.Date, &changed).ok()) {
        return Status::notFound(QString(), QString());
    }
    changed.RuleID = occurrence->RuleID;
    changed.RuleDate = occurrence->RuleDate;
    changed.ExtraFields = occurrence->ExtraFields;
    if (scope != OccurrenceScope::This) {
        rulesDone.insert(target.ID);
    }
    return m_host.book().changeOccurrence(scope, *occurrence, changed);
}

void TForm9::accept()
{
    const bool any = std::any_of(std::begin(m_rows), std::end(m_rows), [](QGroupBox* b) { return b->isChecked(); });
    if (!any) {
        showSearchMessage(this, QMessageBox::Information, QStringLiteral("変更対象の指定がありません！"));
        return;
    }
    if (!confirmTwice(this, QStringLiteral("変更しても宜しいですか？"),
                      QStringLiteral("本当に変更しても宜しいですか？\r\n\r\n変更すると元に戻す事はできません！"))) {
        return;
    }
    // One answer for every occurrence among the targets; none is changed
    // when the user cancels.
    std::optional<OccurrenceScope> scope;
    if (std::any_of(m_targets.cbegin(), m_targets.cend(),
                    [](const TSkedSearchRec& t) { return isRuleId(t.ID); })) {
        scope = askOccurrenceScope(this, windowTitle(), occurrenceChangeQuestion());
        if (!scope) {
            return;
        }
    }
    TForm10 progress(this, QStringLiteral("更新中..."));
    progress.SetMaximum(int(m_targets.size()));
    QString failure;
    QSet<qint32> rulesDone;
    for (const TSkedSearchRec& target : m_targets) {
        // A schedule whose file or line is gone is passed over; nothing else is written for it.
        const BookResult r = isRuleId(target.ID)
                                 ? changeOccurrence(target, *scope, rulesDone)
                                 : m_host.book().rewriteFields(target.Date, target.ID,
                                                               [this](QStringList& f) { applyFields(f); });
        if (r.code() == BookStatus::Failed) {
            failure = r.message();
            break;
        }
        m_changed += r.ok() ? 1 : 0;
        progress.Advance();
    }
    progress.close();
    if (!failure.isEmpty()) {
        showSearchMessage(this, QMessageBox::Critical,
                          QStringLiteral("%1\n\n%2 件のスケジュールを変更したところで中止しました。")
                              .arg(failure)
                              .arg(m_changed));
        reject();
        return;
    }
    QDialog::accept();
}

} // namespace nox
