#pragma once
// TMemoPage: one tab of the free memo notebook, a TNoxMemo that knows its
// memo's number and title. The title is kept here as typed; the tab shows it
// with '&' doubled, so that no character turns into a mnemonic.
#include "widgets/noxmemo.h"

namespace nox
{

class TMemoPage : public TNoxMemo
{
    Q_OBJECT
public:
    TMemoPage(int number, const QString& title, QWidget* parent = nullptr);

    int Number() const { return m_number; }
    QString Title() const { return m_title; }
    void SetTitle(const QString& title) { m_title = title; }
    // false: the memo file exists but could not be read. The page is then
    // read-only and never written, so the file keeps its contents.
    bool Readable() const { return m_readable; }
    void SetUnreadable();

    // The caption of the tab for `title`.
    static QString TabCaption(const QString& title);

private:
    int m_number;
    QString m_title;
    bool m_readable = true;
};

} // namespace nox
