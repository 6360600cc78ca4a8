#pragma once
// TForm10, the processing window shown in front of the main window during a
// long pass ("更新中...", "削除中..."): a caption, a label and a progress bar.
//
//   TForm10 progress(mainWindow, QStringLiteral("更新中..."));
//   progress.SetMaximum(files.size());
//   for (...) { ...; progress.Advance(); }
//   progress.close();
#include <QWidget>

class QLabel;
class QProgressBar;

namespace nox
{

class TForm10 : public QWidget
{
    Q_OBJECT
public:
    // Sets caption and label to `text`, centres the window on `owner` (a
    // top-level window; may be null) and shows it, modeless and on top.
    explicit TForm10(QWidget* owner, const QString& text);

    QLabel* Label() const { return m_label; }
    QProgressBar* ProgressBar() const { return m_bar; }

    void SetText(const QString& text);
    // Resets the bar to 0 of `count` items.
    void SetMaximum(int count);
    // One item done; lets the window repaint (user input is not processed).
    void Advance();
    int Position() const;

private:
    QLabel* m_label = nullptr;
    QProgressBar* m_bar = nullptr;
};

} // namespace nox
