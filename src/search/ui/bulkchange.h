#pragma once
// TForm9 "スケジュールの変更": changes up to five display attributes
// (category, image, text colour, text style, line colour) of the schedules
// selected in the search window. Each row is switched on by its check box;
// "OK" asks twice, then rewrites the first line of each schedule's ID in its
// day file through the schedule book (the fields of the rows switched on,
// nothing else), showing the processing window "更新中...".
#include "store/schedulebook.h"

#include <QDialog>
#include <QList>
#include <QSet>

#include "core/color.h"
#include "search/searchresult.h"

class QCheckBox;
class QFrame;
class QGroupBox;
class QPushButton;

namespace nox
{

class TImageComboBox;
class TSearchHost;
class TWideComboBox;

class TForm9 : public QDialog
{
    Q_OBJECT
public:
    enum Row { rowCategory, rowImage, rowTextColor, rowStyle, rowLineColor, RowCount };

    TForm9(TSearchHost& host, const QList<TSkedSearchRec>& targets, QWidget* parent = nullptr);

    // Schedules rewritten so far (also after a failure stopped the pass).
    int changedCount() const { return m_changed; }

    // Parts, for tests.
    QGroupBox* rowBox(Row row) const { return m_rows[row]; }
    TWideComboBox* categoryBox() const { return m_category; }
    TImageComboBox* imageBox() const { return m_image; }
    QCheckBox* styleBox(int bit) const; // 0 bold, 1 italic, 2 underline, 3 strike-out
    QPushButton* colorButton(Row row) const;
    TColor textColor() const { return m_textColor; }
    TColor lineColor() const { return m_lineColor; }
    void setTextColor(TColor color);
    void setLineColor(TColor color);

    // "OK": checks, asks and rewrites.
    void accept() override;

private:
    QGroupBox* addRow(Row row, const QString& title);
    QWidget* colorRow(QGroupBox* box, TColor* color, QFrame** sample);
    void chooseColor(TColor* color, QFrame* sample);
    void showColor(QFrame* sample, TColor color);
    // Puts the values of the rows switched on into the fields of one line.
    void applyFields(QStringList& fields) const;
    // The fields given to an occurrence of a repeat rule, for the
    // occurrences of `scope`; a rule already changed for all or the
    // following ones (in `rulesDone`) is passed over. NotFound when the
    // occurrence is gone.
    BookResult changeOccurrence(const TSkedSearchRec& target, OccurrenceScope scope, QSet<qint32>& rulesDone);

    TSearchHost& m_host;
    QList<TSkedSearchRec> m_targets;
    QGroupBox* m_rows[RowCount] = {};
    TWideComboBox* m_category = nullptr;
    TImageComboBox* m_image = nullptr;
    QList<QCheckBox*> m_styles;
    TColor m_textColor;
    TColor m_lineColor;
    QFrame* m_textSample = nullptr;
    QFrame* m_lineSample = nullptr;
    int m_changed = 0;
};

} // namespace nox
