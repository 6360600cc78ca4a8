#pragma once
// The result list of the search window: six columns under a flat header that
// scrolls with the list and never sorts, rows of 20 pixels drawn by the
// window's own rules (banded date groups, the date once per group, the time
// right-aligned, texts cut with an ellipsis), several rows selectable.
#include <QAbstractTableModel>
#include <QColor>
#include <QList>
#include <QPixmap>
#include <QTreeView>
#include <functional>

#include "search/searchresult.h"

namespace nox
{

class TSearchResultModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { colImage, colDate, colTime, colText, colMemo, colCategory, ColumnCount };
    static constexpr int kRowHeight = 20;

    using QAbstractTableModel::QAbstractTableModel;

    const QList<TSkedSearchRec>& results() const { return m_results; }
    const TSkedSearchRec& at(int row) const { return m_results.at(row); }
    void setResults(const QList<TSkedSearchRec>& results);
    // Removes the row and hands its date to the next line of its group.
    void removeResult(int row);
    void replaceResult(int row, const TSkedSearchRec& rec);
    // The date column's format ("window1"/"dateformat").
    void setDateFormat(const QString& format);
    QString dateText(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    const QString& dateFormat() const { return m_dateFormat; }
    // The texts each column shows (DisplayRole).
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QList<TSkedSearchRec> m_results;
    QString m_dateFormat = QStringLiteral("yyyy/m/dd(aaa)");
};

// How rows are coloured and which images they show.
struct TResultLook {
    bool bandGroups = true;  // "searchcolor"
    QColor bandColor;        // "searchcolorvalue"
    QList<QPixmap> images;   // the image strip
};

class TResultList : public QTreeView
{
    Q_OBJECT
public:
    explicit TResultList(QWidget* parent = nullptr);

    TSearchResultModel* resultModel() const { return m_model; }
    void setLook(const TResultLook& look);
    const TResultLook& look() const { return m_look; }
    // Selected rows, ascending.
    QList<int> selectedRows() const;
    int focusedRow() const;

    // The widths of the six columns as the user set them, each raised to its
    // minimum. The text column ("スケジュール") is shown narrower when the
    // columns right of it would leave the list's width otherwise (never
    // narrower than its minimum); it gets its width back as room allows.
    void setColumnWidths(const QList<int>& widths);
    QList<int> columnWidths() const { return m_wanted; }
    // The narrowest width that shows a column's texts whole: the image, the
    // widest date of the date format, "23:30-23:30"; a few characters of the
    // other texts.
    int minimumColumnWidth(int column) const;

    // Double-click on a row, Enter in the list.
    std::function<void()> OnOpen;

protected:
    bool viewportEvent(QEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void drawCell(QPainter& p, const QRect& cell, int column, int row, const QColor& text) const;
    // Shows the wanted widths, the text column within the room left.
    void fitColumns();
    void columnResizedByUser(int column, int size);

    TSearchResultModel* m_model;
    TResultLook m_look;
    QList<int> m_wanted;
    bool m_fitting = false;
};

} // namespace nox
