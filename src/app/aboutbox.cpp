#include "app/aboutbox.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyle>

namespace nox
{

namespace
{

constexpr int kClientWidth = 292;
constexpr int kClientHeight = 141;
constexpr QPoint kIconPos(16, 16);
constexpr QPoint kCaptionPos(64, 16);

} // namespace

TForm8::TForm8(const QString& caption, QWidget* parent) : QDialog(parent), m_caption(caption)
{
    setWindowTitle(QStringLiteral("Nox のバージョン情報"));
    setFixedSize(kClientWidth, kClientHeight);

    const int lineHeight = fontMetrics().height();
    const int linkTop = kIconPos.y() + 32 + 6; // below the icon
    m_helpLink = new QLabel(this);
    m_helpLink->setObjectName(QStringLiteral("helpLink"));
    m_helpLink->setTextFormat(Qt::RichText);
    m_helpLink->setText(QStringLiteral("<a href=\"help\">ヘルプを開く</a> (F1)"));
    m_helpLink->setTextInteractionFlags(Qt::TextBrowserInteraction);
    m_helpLink->setGeometry(kCaptionPos.x(), linkTop, kClientWidth - kCaptionPos.x() - 8, lineHeight + 4);
    connect(m_helpLink, &QLabel::linkActivated, this, [this] {
        if (OnHelp) {
            OnHelp(this);
        }
    });

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setDefault(true);
    m_ok->setGeometry(kClientWidth - 91, kClientHeight - 37, 75, 25);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
}

void TForm8::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter p(this);
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull()) {
        icon = style()->standardIcon(QStyle::SP_MessageBoxInformation);
    }
    icon.paint(&p, QRect(kIconPos, QSize(32, 32)));
    p.setPen(palette().color(QPalette::WindowText));
    const QFontMetrics metrics = p.fontMetrics();
    p.drawText(kCaptionPos.x(), kCaptionPos.y() + metrics.ascent(), m_caption);
}

} // namespace nox
