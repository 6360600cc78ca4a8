#include "appearance/ui/styledialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include "appearance/styleelements.h"
#include "appearance/ui/stylepreview.h"
#include "core/inifile.h"
#include "widgets/choosers.h"

namespace nox
{

namespace
{
constexpr int kClientWidth = 679;
constexpr int kClientHeight = 452;
constexpr int kPreviewWidth = 400;

// Section titles in bold on the button face; elements with a colour show it
// in a small swatch before the caption.
class ElementDelegate : public QStyledItemDelegate
{
public:
    ElementDelegate(const TForm5* dialog, QObject* parent) : QStyledItemDelegate(parent), m_dialog(dialog) {}
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const TStyleElement& e = StyleElement(index.row());
        const QPalette& pal = option.palette;
        const bool selected = option.state & QStyle::State_Selected;
        p->save();
        if (e.title) {
            p->fillRect(option.rect, pal.button());
            QFont bold = option.font;
            bold.setBold(true);
            p->setFont(bold);
            p->setPen(pal.buttonText().color());
            p->drawText(option.rect.adjusted(4, 0, 0, 0), Qt::AlignVCenter, e.caption.mid(8));
            p->restore();
            return;
        }
        p->fillRect(option.rect, selected ? pal.highlight() : pal.base());
        const QRect swatch(option.rect.left() + 6, option.rect.center().y() - 5, 18, 11);
        if (e.color != TStyleColorAccess::None) {
            p->fillRect(swatch, toQColor(StyleElementColorValue(m_dialog->Style(), index.row()), pal));
            p->setPen(pal.text().color());
            p->drawRect(swatch.adjusted(0, 0, -1, -1));
        }
        p->setPen(selected ? pal.highlightedText().color() : pal.text().color());
        p->drawText(option.rect.adjusted(swatch.right() + 6, 0, 0, 0), Qt::AlignVCenter, e.caption);
        p->restore();
    }

private:
    const TForm5* m_dialog;
};

QSpinBox* spin(QWidget* parent, int low, int high, const char* name)
{
    auto* s = new QSpinBox(parent);
    s->setRange(low, high);
    s->setObjectName(QLatin1String(name));
    return s;
}

// A caption and its controls on one line.
QWidget* row(QWidget* parent, const QString& caption, std::initializer_list<QWidget*> controls)
{
    auto* w = new QWidget(parent);
    auto* line = new QHBoxLayout(w);
    line->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(caption, w);
    label->setMinimumWidth(64);
    line->addWidget(label);
    for (QWidget* c : controls) {
        c->setParent(w);
        line->addWidget(c);
    }
    line->addStretch(1);
    return w;
}
} // namespace

QStringList ScreenFontNames()
{
    QStringList names;
    for (const QString& family : QFontDatabase::families()) {
        if (!family.startsWith(u'@')) {
            names << family;
        }
    }
    return names;
}

TForm5::TForm5(const TStyle& style, bool halfFormat, int styleIndex, QWidget* owner)
    : QDialog(owner), m_styleIndex(qBound(0, styleIndex, 2))
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("スタイル"));
    setFixedSize(kClientWidth, kClientHeight);
    m_preview = new TStylePreview(this, 190, 400);
    buildControls();
    layOut();
    m_preview->SetStyle(style, halfFormat);
    connectControls();
    m_list->setCurrentRow(0);
    selectElement(0);
}

const TStyle& TForm5::Style() const
{
    return m_preview->Style();
}

bool TForm5::HalfFormat() const
{
    return m_preview->HalfFormat();
}

void TForm5::buildControls()
{
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("ElementList"));
    for (int i = 0; i < StyleElementCount(); ++i) {
        m_list->addItem(StyleElement(i).caption);
    }
    m_list->setItemDelegate(new ElementDelegate(this, m_list));
    m_colorButton = new QPushButton(QStringLiteral("色..."), this);
    m_fontName = new QComboBox(this);
    m_fontName->setObjectName(QStringLiteral("FontName"));
    m_fontName->addItems(ScreenFontNames());
    m_fontName->setMaxVisibleItems(16);
    m_fontName->setMinimumWidth(150);
    m_fontSize = spin(this, 6, 16, "FontSize");
    m_headerSize = spin(this, 6, 16, "HeaderSize");
    m_secondSize = spin(this, 6, 16, "SecondSize");
    m_headerVisible = new QCheckBox(QStringLiteral("表示する"), this);
    m_dayLineWidth = spin(this, 1, 3, "DayLineWidth");
    m_halfFormat = new QCheckBox(QStringLiteral("30分表示は省略形で表示する"), this);
    m_monthLineWidth = spin(this, 1, 3, "MonthLineWidth");
    m_sizing = new QCheckBox(QStringLiteral("マウスで変更可能にする"), this);
    m_resetColRate = new QPushButton(QStringLiteral("列幅の比率を初期値にする"), this);
    m_default = new QPushButton(QStringLiteral("既定値"), this);
    m_export = new QPushButton(QStringLiteral("ファイルに保存"), this);
    m_import = new QPushButton(QStringLiteral("ファイルから読み込み"), this);
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("キャンセル"), this);
}

void TForm5::layOut()
{
    m_preview->setGeometry(8, 8, kPreviewWidth, kClientHeight - 16);
    const int x = kPreviewWidth + 16;
    const int w = kClientWidth - x - 8;
    m_list->setGeometry(x, 8, w, 220);
    auto* panel = new QWidget(this);
    panel->setGeometry(x, 234, w, 146);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(3);
    auto* colorLine = new QHBoxLayout;
    colorLine->addWidget(m_colorButton);
    colorLine->addStretch(1);
    column->addLayout(colorLine);
    m_labels = {row(panel, QStringLiteral("フォント名 :"), {m_fontName}),
                row(panel, QStringLiteral("サイズ :"), {m_fontSize}),
                row(panel, QStringLiteral("サイズ :"), {m_headerSize, m_secondSize}),
                row(panel, QStringLiteral("線幅 :"), {m_dayLineWidth}),
                row(panel, QStringLiteral("線幅 :"), {m_monthLineWidth})};
    for (QWidget* w2 : m_labels) {
        column->addWidget(w2);
    }
    for (QWidget* c : {static_cast<QWidget*>(m_headerVisible), static_cast<QWidget*>(m_halfFormat),
                       static_cast<QWidget*>(m_sizing), static_cast<QWidget*>(m_resetColRate)}) {
        c->setParent(panel);
        column->addWidget(c, 0, Qt::AlignLeft);
    }
    column->addStretch(1);
    const int half = (w - 6) / 2;
    m_default->setGeometry(x, 384, half, 26);
    m_export->setGeometry(x + half + 6, 384, half, 26);
    m_import->setGeometry(x + half + 6, 414, half, 26);
    m_ok->setGeometry(x, 414, (half - 4) / 2, 26);
    m_cancel->setGeometry(x + (half - 4) / 2 + 4, 414, (half - 4) / 2, 26);
}

void TForm5::connectControls()
{
    connect(m_list, &QListWidget::currentRowChanged, this, &TForm5::selectElement);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        const int index = m_list->row(item);
        if (StyleElement(index).color != TStyleColorAccess::None) {
            pickColor(index);
        }
    });
    connect(m_colorButton, &QPushButton::clicked, this, [this] { pickColor(m_list->currentRow()); });
    connect(m_fontName, &QComboBox::currentTextChanged, this,
            [this](const QString& name) { update([&](TStyle& s) { s.FontName = name; }); });
    connect(m_fontSize, &QSpinBox::valueChanged, this,
            [this](int v) { update([&](TStyle& s) { s.FontSize = v; }); });
    connect(m_headerSize, &QSpinBox::valueChanged, this,
            [this](int v) { update([&](TStyle& s) { s.HeaderFontSize1 = v; }); });
    connect(m_secondSize, &QSpinBox::valueChanged, this,
            [this](int v) { update([&](TStyle& s) { s.HeaderFontSize2 = v; }); });
    connect(m_headerVisible, &QCheckBox::toggled, this,
            [this](bool on) { update([&](TStyle& s) { s.HeaderVisible = on; }); });
    connect(m_dayLineWidth, &QSpinBox::valueChanged, this,
            [this](int v) { update([&](TStyle& s) { s.ViewLineWidth = v; }); });
    connect(m_monthLineWidth, &QSpinBox::valueChanged, this,
            [this](int v) { update([&](TStyle& s) { s.MVLineWidth = v; }); });
    connect(m_sizing, &QCheckBox::toggled, this,
            [this](bool on) { update([&](TStyle& s) { s.LineSizing = on; }); });
    connect(m_halfFormat, &QCheckBox::toggled, this, &TForm5::setHalfFormat);
    connect(m_resetColRate, &QPushButton::clicked, this, [this] {
        const QString rate = m_preview->CurrentColRate();
        update([&](TStyle& s) { s.ColWidth = rate; });
    });
    connect(m_default, &QPushButton::clicked, this, &TForm5::loadDefault);
    connect(m_export, &QPushButton::clicked, this, &TForm5::exportStyle);
    connect(m_import, &QPushButton::clicked, this, &TForm5::importStyle);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

// Shows the controls of the element's row and hides the others.
void TForm5::selectElement(int index)
{
    if (index < 0) {
        return;
    }
    const TStyleElement& e = StyleElement(index);
    m_colorButton->setEnabled(e.color == TStyleColorAccess::Button);
    m_labels.at(0)->setVisible(e.controls & secFontName);
    m_labels.at(1)->setVisible(e.controls & secFontSize);
    m_labels.at(2)->setVisible(e.controls & secHeaderFontSize);
    m_secondSize->setVisible(e.controls & secSecondSize);
    m_labels.at(3)->setVisible(e.controls & secDayLineWidth);
    m_labels.at(4)->setVisible(e.controls & secMonthLineWidth);
    m_headerVisible->setVisible(e.controls & secHeaderVisible);
    m_halfFormat->setVisible(e.controls & secHalfFormat);
    m_sizing->setVisible(e.controls & secSizing);
    m_resetColRate->setVisible(e.controls & secSizing);
    fillControls();
}

void TForm5::fillControls()
{
    const TStyle& s = Style();
    m_filling = true;
    const int font = m_fontName->findText(s.FontName);
    if (font >= 0) {
        m_fontName->setCurrentIndex(font);
    } else {
        m_fontName->setEditText(s.FontName);
    }
    m_fontSize->setValue(s.FontSize);
    m_headerSize->setValue(s.HeaderFontSize1);
    m_secondSize->setValue(s.HeaderFontSize2);
    m_headerVisible->setChecked(s.HeaderVisible);
    m_dayLineWidth->setValue(s.ViewLineWidth);
    m_monthLineWidth->setValue(s.MVLineWidth);
    m_sizing->setChecked(s.LineSizing);
    m_halfFormat->setChecked(HalfFormat());
    m_filling = false;
}

void TForm5::update(const std::function<void(TStyle&)>& change)
{
    if (m_filling) {
        return;
    }
    TStyle s = Style();
    change(s);
    m_preview->SetStyle(s, HalfFormat());
    m_list->viewport()->update();
}

void TForm5::setHalfFormat(bool on)
{
    if (!m_filling) {
        m_preview->SetStyle(Style(), on);
    }
}

void TForm5::pickColor(int index)
{
    TStyle s = Style();
    TColor* color = StyleElementColor(s, index);
    if (!color) {
        return;
    }
    const std::optional<TColor> chosen = ChooseColor(this, *color);
    if (chosen) {
        *color = *chosen;
        m_preview->SetStyle(s, HalfFormat());
        m_list->viewport()->update();
    }
}

void TForm5::loadDefault()
{
    TStyle s = Style();
    const TStyleReadResult r = ReadStyle(s, m_styleIndex, true);
    if (!r.fileFound) {
        ShowMessage(this, TMessageKind::Warning,
                    QStringLiteral("既定のスタイルファイルが見つかりません。\r\n") + StyleFilePath(true));
        return;
    }
    m_preview->SetStyle(s, HalfFormat());
    fillControls();
    m_list->viewport()->update();
}

void TForm5::exportStyle()
{
    const QString file = ChooseSaveFile(this, TSaveKind::Styles, QStringLiteral("テキストファイル (*.txt)"),
                                      QStringLiteral("txt"));
    if (file.isEmpty()) {
        return;
    }
    if (!ExportStyle(file, Style())) {
        ShowMessage(this, TMessageKind::Error, QStringLiteral("ファイルに保存できませんでした。\r\n") + file);
    }
}

// A file without a "Style" section holds no style: it changes nothing, so
// the fonts do not fall back to the defaults for keys that are not there.
void TForm5::importStyle()
{
    const QString file = ChooseExistingFile(this, QStringLiteral("テキストファイル (*.txt)"));
    if (file.isEmpty()) {
        return;
    }
    if (!IniFile(file).sectionExists(QStringLiteral("Style"))) {
        ShowMessage(this, TMessageKind::Warning, QStringLiteral("スタイルのファイルではありません。\r\n") + file);
        return;
    }
    TStyle s = Style();
    const TStyleReadResult r = ImportStyle(file, s);
    m_preview->SetStyle(s, HalfFormat());
    fillControls();
    m_list->viewport()->update();
    if (!r.badKeys.isEmpty()) {
        ShowMessage(this, TMessageKind::Warning,
                    QStringLiteral("読み込めない値がありました（元の値のままです）: ") + r.badKeys.join(u','));
    }
}

bool ShowStyleDialog(QWidget* owner, int styleIndex, TStyle& style, bool& halfFormat)
{
    TForm5 dialog(style, halfFormat, styleIndex, owner);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    style = dialog.Style();
    halfFormat = dialog.HalfFormat();
    return true;
}

} // namespace nox
