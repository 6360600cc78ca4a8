#pragma once
// TForm5 "スタイル": edits one style on a preview. The element list on the
// right chooses what the colour button ("色...", or a double click on the
// element) and the other controls change; every change shows at once in the
// preview. The dialog reads and writes style files only for "既定値" (the
// factory file) and for export and import; the caller gets the edited style
// back on "OK" and writes "style.ini" itself.
#include <QDialog>

#include "appearance/style.h"

class QCheckBox;
class QComboBox;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace nox
{

class TStylePreview;

class TForm5 : public QDialog
{
    Q_OBJECT
public:
    // `styleIndex` (0..2) names the factory section "既定値" reads.
    TForm5(const TStyle& style, bool halfFormat, int styleIndex, QWidget* owner = nullptr);

    // The edited values (those of the preview).
    const TStyle& Style() const;
    bool HalfFormat() const;

    TStylePreview* Preview() const { return m_preview; }
    QListWidget* ElementList() const { return m_list; }
    QPushButton* ColorButton() const { return m_colorButton; }
    QComboBox* FontNameBox() const { return m_fontName; }
    QSpinBox* FontSizeBox() const { return m_fontSize; }
    QSpinBox* HeaderSizeBox() const { return m_headerSize; }
    QSpinBox* SecondSizeBox() const { return m_secondSize; }
    QCheckBox* HeaderVisibleBox() const { return m_headerVisible; }
    QSpinBox* DayLineWidthBox() const { return m_dayLineWidth; }
    QCheckBox* HalfFormatBox() const { return m_halfFormat; }
    QSpinBox* MonthLineWidthBox() const { return m_monthLineWidth; }
    QCheckBox* SizingBox() const { return m_sizing; }
    QPushButton* ResetColRateButton() const { return m_resetColRate; }
    QPushButton* DefaultButton() const { return m_default; }
    QPushButton* ExportButton() const { return m_export; }
    QPushButton* ImportButton() const { return m_import; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }

private:
    void buildControls();
    void layOut();
    void connectControls();
    void selectElement(int index);
    void pickColor(int index);
    void fillControls();
    void update(const std::function<void(TStyle&)>& change);
    void setHalfFormat(bool on);
    void loadDefault();
    void exportStyle();
    void importStyle();

    int m_styleIndex = 0;
    bool m_filling = false;
    TStylePreview* m_preview = nullptr;
    QListWidget* m_list = nullptr;
    QPushButton* m_colorButton = nullptr;
    QComboBox* m_fontName = nullptr;
    QSpinBox* m_fontSize = nullptr;
    QSpinBox* m_headerSize = nullptr;
    QSpinBox* m_secondSize = nullptr;
    QCheckBox* m_headerVisible = nullptr;
    QSpinBox* m_dayLineWidth = nullptr;
    QCheckBox* m_halfFormat = nullptr;
    QSpinBox* m_monthLineWidth = nullptr;
    QCheckBox* m_sizing = nullptr;
    QPushButton* m_resetColRate = nullptr;
    QPushButton* m_default = nullptr;
    QPushButton* m_export = nullptr;
    QPushButton* m_import = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QList<QWidget*> m_labels; // captions of the optional controls, by control
};

// Shows TForm5 modally on copies of `style` and `halfFormat`; returns true
// and writes the edited values back iff it was closed with "OK".
bool ShowStyleDialog(QWidget* owner, int styleIndex, TStyle& style, bool& halfFormat);

// The screen fonts the font lists offer: every family except those for
// vertical writing (names beginning with "@").
QStringList ScreenFontNames();

} // namespace nox
