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

// Neutral addresses of the project (reserved documentation domain) until a
// real home is chosen.
const QString kMakerPage = QStringLiteral("https://nox.example.org/");
const QString kMakerMail = QStringLiteral("nox@example.org");

constexpr int kClientWidth = 292;
constexpr int kClientHeight = 141;
constexpr QPoint kIconPos(16, 16);
constexpr QPoint kCaptionPos(64, 16);

QLabel* linkLabel(const QString& prefix, const QUrl& url, const QString& shown, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::RichText);
    label->setText(QStringLiteral("%1 <a href=\"%2\">%3</a>")
                       .arg(prefix.toHtmlEscaped(), url.toString(QUrl::FullyEncoded).toHtmlEscaped(),
                            shown.toHtmlEscaped()));
    label->setTextInteractionFlags(Qt::TextBrowserInteraction);
    label->setOpenExternalLinks(true);
    return label;
}

} // namespace

QUrl makerPageUrl()
{
    return QUrl(kMakerPage);
}

QUrl makerMailUrl()
{
    return QUrl(QStringLiteral("mailto:") + kMakerMail);
}

TForm8::TForm8(const QString& caption, QWidget* parent) : QDialog(parent), m_caption(caption)
{
    setWindowTitle(QStringLiteral("Nox のバージョン情報"));
    setFixedSize(kClientWidth, kClientHeight);

    const int lineHeight = fontMetrics().height();
    const int linksTop = kIconPos.y() + 32 + 6; // below the icon
    m_pageLink = linkLabel(QStringLiteral("Web:"), makerPageUrl(), kMakerPage, this);
    m_pageLink->setGeometry(kCaptionPos.x(), linksTop, kClientWidth - kCaptionPos.x() - 8, lineHeight + 4);
    m_mailLink = linkLabel(QStringLiteral("Mail:"), makerMailUrl(), kMakerMail, this);
    m_mailLink->setGeometry(kCaptionPos.x(), linksTop + lineHeight + 6, kClientWidth - kCaptionPos.x() - 8,
                            lineHeight + 4);

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
