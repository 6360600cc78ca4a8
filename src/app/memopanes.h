#pragma once
// The memo panes under the views: one per day column in the day view, the
// schedule memo and the day memo in the month view. A pane remembers the
// text it was loaded with and is saved only when the user changed it and
// the text differs from that: a memo typed back to what it was is not
// written again, and a pane that was never loaded can never put an empty
// text over a stored memo.
//
// Day memos are also saved kAutoSaveDelay ms after typing stops, so that a
// crash or a lost display loses at most that pause. A day memo that another
// program changed in the memo file since the pane loaded it is not replaced:
// both texts are kept, the other one first (see save()).
#include <QDate>
#include <QFont>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>

#include "core/color.h"

class QObject;
class QWidget;

namespace nox
{

class MemoStore;
class TNoxMemo;

class TMemoPanes
{
public:
    // `area` holds the panes; `filter` watches them (focus, keys).
    TMemoPanes(QWidget* area, MemoStore& store, QObject* filter);

    QWidget* area() const { return m_area; }
    int count() const { return int(m_panes.size()); }
    // nullptr outside 0..count()-1.
    TNoxMemo* pane(int index) const;
    int indexOf(const QObject* pane) const;
    bool hasFocus() const;

    struct Style {
        int count = 0;
        QStringList captions; // per pane; none: no caption bar
        int barHeight = 0;
        TColor barColor = clBtnFace;
        TColor barTextColor = clBtnText;
        TColor color = clWindow; // background of the panes and the area
        TColor fontColor = clWindowText;
        QFont font;
    };
    // Makes `style.count` panes (keeping the first ones) and gives all the style.
    void prepare(const Style& style);

    // Shows `text` in the pane as loaded, a text that belongs to no date (the
    // month view's schedule memo). A text of more than kMaxPaneChars is shown
    // by its start, read-only (the memo itself stays whole).
    void load(int index, const QString& text);
    static constexpr qsizetype kMaxPaneChars = 16384;
    // Loads the date's memo from the store; the pane belongs to that date
    // until the next load. A text that could not be stored under that date
    // comes back instead, still to be saved.
    void loadMemo(int index, const QDate& date);
    // loadMemo of panes 0 .. count-1 with the days from `first` on, in one
    // reading of the memo file.
    void loadMemos(const QDate& first, int count);
    // The date the pane was loaded for; invalid for a text without one.
    QDate date(int index) const;
    // Takes the pane's text as loaded (nothing to save any more).
    void settle(int index);
    bool changed(int index) const;
    // Writes the pane's text under the date it was loaded for, when it
    // changed (a composition still open is taken first). A failed write is
    // reported (reportWriteFailure, naming the memo file) and the text is
    // kept for the date until a later save stores it. True when nothing had
    // to be written or it was stored.
    //
    // When the memo file holds another text for the date than the pane was
    // loaded with (another program wrote it meanwhile), the stored text is
    // that text, a line kMergeSeparator, and the pane's text; the pane shows
    // it and OnMerged is told.
    bool save(int index);
    static constexpr int kAutoSaveDelay = 2000;
    static const QString kMergeSeparator;
    // Saves every changed day memo pane without an open composition (what
    // the timer after typing runs).
    void autoSave();
    bool autoSavePending() const { return m_autoSave.isActive(); }
    // Told the message (it names the date and the file) after a merging save.
    std::function<void(const QString& message)> OnMerged;
    // True while a typed text could not be stored.
    bool hasUnsaved() const { return !m_unsaved.isEmpty(); }
    // Gives up the texts that could not be stored (the user chose so).
    void discardUnsaved();
    // Ends an open input method composition in a pane: the composed text
    // is taken into the pane as if the user had confirmed it. Called before
    // panes are saved or filled again.
    void commitComposition();

private:
    void loaded(int index, const QDate& date, const QString& text);
    // save() without taking a composition first.
    bool store(int index);
    QString mergedWithStored(TNoxMemo* pane, const QDate& date, const QString& text);
    QWidget* m_area;
    MemoStore& m_store;
    QObject* m_filter;
    QList<TNoxMemo*> m_panes;
    QMap<QDate, QString> m_unsaved; // texts whose write failed, by date
    QTimer m_autoSave;
};

} // namespace nox
