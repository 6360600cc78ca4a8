#pragma once
// The pages of the settings dialog TForm4. Each page fills its controls from
// the host's running values (Fill), keeps a changed flag that every user
// change on it sets, and on "OK" writes its keys and lets the host put them
// into effect (Apply). Failures go to TForm4::ReportFailure.
#include <QWidget>

#include "alarm/alarmsettings.h"
#include "alarm/ui/popupsettings.h"
#include "appearance/style.h"
#include "core/noxsettings.h"
#include "store/holidayrows.h"
#include "store/imagestrip.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTimeEdit;
class QTreeWidget;

namespace nox
{

class TForm4;
class TSettingsHost;
class TStylePreview;
class Settings;

class TSettingsPage : public QWidget
{
    Q_OBJECT
public:
    TSettingsPage(TForm4& dialog, int number, const QString& caption);

    int Number() const { return m_number; }
    QString Caption() const { return m_caption; }
    bool Changed() const { return m_changed; }
    void SetChanged(bool changed) { m_changed = changed; }

    virtual void Fill() = 0;
    virtual void Apply() = 0;
    // The control that takes the focus when the page is opened alone.
    virtual QWidget* FocusWhenAlone() { return nullptr; }

protected:
    TSettingsHost& host() const;
    void markChanged() { m_changed = true; }
    // Every input control below this page marks it changed when it changes.
    void watchControls();
    // "Nox.ini" of the data folder.
    static Settings ini();
    // Reports a failed write of `file` (a name of the data folder).
    void reportWrite(bool ok, const QString& file);
    // Shows a modal information box.
    void inform(const QString& text);

    TForm4& m_dialog;

private:
    int m_number;
    QString m_caption;
    bool m_changed = false;
};

// --- 1 "スタイル" ------------------------------------------------------------
class TStylePage : public TSettingsPage
{
    Q_OBJECT
public:
    explicit TStylePage(TForm4& dialog);
    void Fill() override;
    void Apply() override;
    TStylePreview* Preview() const { return m_preview; }
    int StyleIndex() const;

private:
    void pickStyle(int index);
    void loadDefault();
    void edit();

    QButtonGroup* m_radios = nullptr;
    TStylePreview* m_preview = nullptr;
};

// --- 5 "イメージ" -------------------------------------------------------------
class TImagePage : public TSettingsPage
{
    Q_OBJECT
public:
    explicit TImagePage(TForm4& dialog);
    void Fill() override;
    void Apply() override;
    const ImageStrip& Images() const { return m_images; }
    QListWidget* List() const { return m_list; }

private:
    void refill(const QList<int>& selected);
    void updateButtons();
    void addImages();
    void removeImages();
    void moveImage(int delta);
    void loadFactory();

    ImageStrip m_images;
    QListWidget* m_list = nullptr;
    QLabel* m_size = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_remove = nullptr;
    QPushButton* m_up = nullptr;
    QPushButton* m_down = nullptr;
    QPushButton* m_factory = nullptr;
};

// --- 4 "分類" -----------------------------------------------------------------
class TCategoryPage : public TSettingsPage
{
    Q_OBJECT
public:
    explicit TCategoryPage(TForm4& dialog);
    void Fill() override;
    void Apply() override;
    QWidget* FocusWhenAlone() override;
    QStringList Categories() const;
    QComboBox* Chooser() const { return m_chooser; }

private:
    void add();
    void remove();
    void move(int delta);
    void syncChooser(const QString& keep);

    QComboBox* m_chooser = nullptr;
    QListWidget* m_list = nullptr;
    QLineEdit* m_name = nullptr;
};

// --- 3 "祝祭日" ---------------------------------------------------------------
class THolidayPage : public TSettingsPage
{
    Q_OBJECT
public:
    explicit THolidayPage(TForm4& dialog);
    void Fill() override;
    void Apply() override;
    QWidget* FocusWhenAlone() override;
    const QList<THolidayRow>& Rows() const { return m_rows; }
    QTreeWidget* List() const { return m_list; }

private:
    void refill(int current);
    void rowClicked();
    void add();
    void updateRow();
    void remove();
    void import();

    QString m_dateFormat;
    QList<THolidayRow> m_rows;
    QDateEdit* m_date = nullptr;
    QLineEdit* m_name = nullptr;
    QTreeWidget* m_list = nullptr;
};

// --- 6 "印刷" -----------------------------------------------------------------
class TPrintPage : public TSettingsPage
{
    Q_OBJECT
public:
    explicit TPrintPage(TForm4& dialog);
    void Fill() override;
    void Apply() override;
    QListWidget* Layouts() const { return m_layouts; }
    QPushButton* PreviewButton() const { return m_previewButton; }
    QLabel* Thumbnail() const { return m_thumbnail; }

private:
    void layoutChosen();
    void showPreview();
    void showText(const QString& text, int points, int inset);

    QListWidget* m_layouts = nullptr;
    QPushButton* m_previewButton = nullptr;
    QFrame* m_frame = nullptr;
    QLabel* m_thumbnail = nullptr;
    QComboBox* m_dateFormat = nullptr;
    QCheckBox* m_duplicate = nullptr;
    QButtonGroup* m_noneSked = nullptr;
};

// --- 7 "時計" -----------------------------------------------------------------
class TClockPage : public TSettingsPage
{
    Q_OBJECT
public:
    explicit TClockPage(TForm4& dialog);
    void Fill() override;
    void Apply() override;

private:
    void updateEnabled();
    void updatePreview();
    void pickColor(TColor& color);
    TNoxSettings values() const;

    TColor m_bk = clBlack;
    TColor m_fg = clYellow;
    QCheckBox* m_visible = nullptr;
    QComboBox* m_format = nullptr;
    QLabel* m_preview = nullptr;
    QComboBox* m_font = nullptr;
    QSpinBox* m_size = nullptr;
    QCheckBox* m_bold = nullptr;
    QCheckBox* m_italic = nullptr;
    QCheckBox* m_underline = nullptr;
    QPushButton* m_bkButton = nullptr;
    QPushButton* m_fgButton = nullptr;
    QRadioButton* m_relative = nullptr;
    QRadioButton* m_mouse = nullptr;
    QComboBox* m_corner = nullptr;
    QSpinBox* m_x = nullptr;
    QSpinBox* m_y = nullptr;
};

// --- 8 "アラーム/時報" ----------------------------------------------------------
class TAlarmPage : public TSettingsPage
{
    Q_OBJECT
public:
    explicit TAlarmPage(TForm4& dialog);
    void Fill() override;
    void Apply() override;
    AlarmSettings Values() const;

private:
    QWidget* soundRow(QLineEdit*& edit);
    void browse(QLineEdit* edit);
    void test(const QString& sound);
    void updateEnabled();

    QCheckBox* m_alarmEnable = nullptr;
    QLineEdit* m_alarmSound = nullptr;
    QCheckBox* m_bellEnable = nullptr;
    QLineEdit* m_bellSound = nullptr;
    QCheckBox* m_bell60 = nullptr;
    QLineEdit* m_msg60 = nullptr;
    QCheckBox* m_bell30 = nullptr;
    QLineEdit* m_msg30 = nullptr;
    QCheckBox* m_bell[3] = {};
    QTimeEdit* m_time[3] = {};
    QLineEdit* m_msg[3] = {};
    QObject* m_sound = nullptr; // owns the sound of the last test
};

// --- 9 "ポップアップメッセージ" ---------------------------------------------------
class TPopupPage : public TSettingsPage
{
    Q_OBJECT
public:
    explicit TPopupPage(TForm4& dialog);
    void Fill() override;
    void Apply() override;
    TPopupSettings Values() const;

private:
    void updatePreview();
    void pickColor(TColor& color);
    void test();

    TColor m_bk = 0x009DFFFF;
    TColor m_fg = clBlack;
    QComboBox* m_font = nullptr;
    QSpinBox* m_size = nullptr;
    QCheckBox* m_bold = nullptr;
    QCheckBox* m_italic = nullptr;
    QCheckBox* m_underline = nullptr;
    QSpinBox* m_width = nullptr;
    QSpinBox* m_height = nullptr;
    QComboBox* m_format = nullptr;
    QComboBox* m_pos = nullptr;
    QLabel* m_preview = nullptr;
};

// --- 2 "その他" ---------------------------------------------------------------
class TOtherPage : public TSettingsPage
{
    Q_OBJECT
public:
    explicit TOtherPage(TForm4& dialog);
    void Fill() override;
    void Apply() override;

private:
    void pickColor();
    void updateSample();

    TColor m_bandColor = 0x00FFE9D7;
    bool m_bandShown = false; // what the sample shows
    QCheckBox* m_taskBar = nullptr;
    QCheckBox* m_statusBar = nullptr;
    QComboBox* m_topIndex = nullptr;
    QSpinBox* m_leftDate = nullptr;
    QComboBox* m_dateFormat = nullptr;
    QComboBox* m_mvDefaultTime = nullptr;
    QCheckBox* m_endClose = nullptr;
    QCheckBox* m_rokuyo = nullptr;
    QCheckBox* m_lunar = nullptr;
    QCheckBox* m_seasonal = nullptr;
    QCheckBox* m_band = nullptr;
    QPushButton* m_bandButton = nullptr;
    QWidget* m_sample = nullptr;
};

// Pages of the dialog in tab order.
QList<TSettingsPage*> CreateSettingsPages(TForm4& dialog);

} // namespace nox
