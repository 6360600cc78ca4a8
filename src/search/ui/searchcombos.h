#pragma once
// The drop-down lists of the search window and the bulk change dialog: the
// list opens at least as wide as its widest entry text plus 32 pixels, an
// entry may carry its own text colour (the grey "なし" / "指定なし"), and the
// image list shows the images of the strip.
#include <QComboBox>
#include <QList>
#include <QPixmap>

namespace nox
{

// Grey of the "なし" / "指定なし" entries.
inline constexpr QRgb kNoneEntryGrey = 0x808080;

class TWideComboBox : public QComboBox
{
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    // The width the drop-down list opens with.
    int popupWidth() const;
    void showPopup() override;

protected:
    // Draws the closed box with the current entry's own text colour.
    void paintEvent(QPaintEvent* event) override;
};

// Entry 0 "なし" in grey (any image / no image), entry k the image k - 1.
class TImageComboBox : public TWideComboBox
{
    Q_OBJECT
public:
    explicit TImageComboBox(QWidget* parent = nullptr);
    void setImages(const QList<QPixmap>& images);
};

// Appends `text` as an entry drawn in grey.
void addGreyEntry(QComboBox* box, const QString& text);

} // namespace nox
