#include "dialogs/processing.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace nox
{

TForm10::TForm10(QWidget* owner, const QString& text)
    : QWidget(owner, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    m_label = new QLabel(this);
    m_bar = new QProgressBar(this);
    m_bar->setTextVisible(false);
    m_bar->setRange(0, 0);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 12);
    layout->addWidget(m_label);
    layout->addWidget(m_bar);
    SetText(text);
    setFixedSize(260, 72);
    if (owner) {
        const QRect frame = owner->window()->frameGeometry();
        move(frame.center() - rect().center());
    }
    show();
    raise();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TForm10::SetText(const QString& text)
{
    setWindowTitle(text);
    m_label->setText(text);
}

void TForm10::SetMaximum(int count)
{
    m_bar->setRange(0, qMax(0, count));
    m_bar->setValue(0);
}

void TForm10::Advance()
{
    if (m_bar->value() < m_bar->maximum()) {
        m_bar->setValue(m_bar->value() + 1);
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

int TForm10::Position() const
{
    return m_bar->value();
}

} // namespace nox
