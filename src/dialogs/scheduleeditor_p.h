#pragma once
// Helpers of the schedule editor: the entries of its lists, its geometry
// rules, and the owner-drawn drop-down lists. The pure functions are tested
// without a window.
#include <QComboBox>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QStringList>
#include <QStyledItemDelegate>
#include <QUrl>

namespace nox::editor
{

// The entries of the start and end lists: one per time line, in line order.
// A caption of exactly two characters (a half hour shown as "30") becomes the
// entry before it without its last two characters, followed by the caption
// ("9:00" then "30" gives "9:30").
QStringList timeEntries(const QStringList& lineCaptions);

struct AlarmChoice {
    const char* caption; // UTF-8
    int minutes;         // AlarmMinutes; -1 = no alarm
};
constexpr int kAlarmChoiceCount = 14;
// "なし", "0分", "1分", "5分" ... "6時間".
const AlarmChoice& alarmChoice(int index);
// The entry of a minute value; 0 ("なし") for a value the table lacks.
int alarmIndexOf(int minutes);

// The memo panel's height after the two text areas were resized to `total`
// pixels together, keeping the ratio of the remembered heights. Never below
// `minimum`, never above `total`.
int keptMemoHeight(int total, int oldTextHeight, int oldMemoHeight, int minimum);

// Where a window whose frame is `frame` goes so that it does not reach past
// the right or bottom edge of `screen`: moved left and up only.
QPoint clampedTopLeft(const QRect& frame, const QRect& screen);

// The related information taken from dropped URLs: the full path of the first
// local file. Empty when the first URL is not a local file or its path is
// longer than kMaxRelatedPath characters (such a drop is refused).
constexpr int kMaxRelatedPath = 255;
QString droppedRelatedPath(const QList<QUrl>& urls);

// --- owner-drawn lists ------------------------------------------------------------

// How the entries of an EntryCombo are drawn.
enum class EntryKind {
    Text,          // each entry's text 4 px from the left and 1 px from the top
    PlaceholderText, // as Text, but entry 0 (an empty entry) is the placeholder in grey
    Image,         // entry 0 the placeholder in grey at 4, 4; entry k its icon at 2, 2
};

// A drop-down list that draws its entries itself (also the chosen one in the
// closed box) and, when `widen` is set, widens its drop-down part to the
// widest entry text + 32 px when that is wider than the box.
class EntryCombo : public QComboBox
{
public:
    EntryCombo(EntryKind kind, const QString& placeholder, bool widen, int rowHeight, QWidget* parent);
    void showPopup() override;
    // Draws entry `index` into `cell`: a row of the drop-down list, or the
    // closed box (`inList` false).
    void paintEntry(QPainter* painter, const QRect& cell, int index, bool selected, bool inList) const;
    int rowHeight() const { return m_rowHeight; }
    // The widest entry text + 32 px.
    int widestEntry() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString entryText(int index) const;

    EntryKind m_kind;
    QString m_placeholder;
    bool m_widen;
    int m_rowHeight;
};

class EntryDelegate : public QStyledItemDelegate
{
public:
    explicit EntryDelegate(EntryCombo* combo) : QStyledItemDelegate(combo), m_combo(combo) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    EntryCombo* m_combo;
};

} // namespace nox::editor
