#pragma once
// Tabs arranged on several rows, as a dialog with many pages shows them: the
// tabs fill rows from left to right as far as the width allows; the row of
// the current tab is drawn last, next to the pages. Hidden tabs take no room.
#include <QList>
#include <QStyleOptionTab>
#include <QWidget>
#include <functional>

namespace nox
{

class TMultiRowTabBar : public QWidget
{
    Q_OBJECT
public:
    explicit TMultiRowTabBar(QWidget* parent = nullptr);

    int addTab(const QString& caption);
    int count() const { return int(m_tabs.size()); }
    QString tabText(int index) const;
    void setTabVisible(int index, bool visible);
    bool isTabVisible(int index) const;
    int currentIndex() const { return m_current; }
    // Selects a visible tab; raises OnChange when it changes.
    void setCurrentIndex(int index);
    // The tab's rectangle after layout (empty when hidden).
    QRect tabRect(int index) const;
    // How the style is asked to draw the tab (its rectangle after layout).
    QStyleOptionTab tabOption(int index) const;
    int rowCount() const;
    // Next (1) or previous (-1) visible tab, wrapping around.
    void step(int delta);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    int heightForWidth(int width) const override;
    bool hasHeightForWidth() const override { return true; }

    std::function<void(QObject* Sender, int index)> OnChange;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Tab {
        QString caption;
        bool visible = true;
        QRect rect;
    };
    // Rows of visible tab indexes for the given width.
    QList<QList<int>> rowsFor(int width) const;
    int tabWidth(int index) const;
    int tabHeight() const;
    void relayout();

    QList<Tab> m_tabs;
    int m_current = -1;
    int m_rows = 1;
};

} // namespace nox
