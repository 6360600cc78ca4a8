#include "widgets/relatedtarget.h"

#include <QDesktopServices>
#include <QFileInfo>

namespace nox
{

namespace
{

std::function<bool(const QUrl&)>& opener()
{
    static std::function<bool(const QUrl&)> f;
    return f;
}

// The address from `start` up to the next blank.
QString tokenFrom(const QString& text, qsizetype start)
{
    qsizetype end = start;
    while (end < text.size() && !text.at(end).isSpace()) {
        ++end;
    }
    return text.mid(start, end - start);
}

QUrl webUrl(const QString& text)
{
    const QString lower = text.toLower();
    qsizetype at = -1;
    for (const char* marker : {"https:", "http:", "www."}) {
        const qsizetype i = lower.indexOf(QLatin1String(marker));
        if (i >= 0 && (at < 0 || i < at)) {
            at = i;
        }
    }
    QString address = tokenFrom(text, at);
    if (address.startsWith(QLatin1String("www."), Qt::CaseInsensitive)) {
        address.prepend(QLatin1String("http://"));
    }
    const QUrl url(address, QUrl::TolerantMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) ||
        url.host().isEmpty()) {
        return {};
    }
    return url;
}

QUrl mailUrl(const QString& text)
{
    QString address = text.trimmed();
    if (address.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive)) {
        address = address.mid(7);
    }
    if (address.isEmpty()) {
        return {};
    }
    QUrl url;
    url.setScheme(QStringLiteral("mailto"));
    url.setPath(address);
    return url.isValid() ? url : QUrl();
}

} // namespace

TRelatedTarget ClassifyRelatedTarget(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        return {};
    }
    const QFileInfo info(t);
    if (info.exists()) {
        const QUrl url = QUrl::fromLocalFile(info.absoluteFilePath());
        return {info.isDir() ? TRelatedKind::Folder : TRelatedKind::File, url};
    }
    const QString lower = t.toLower();
    if (lower.contains(QLatin1String("http:")) || lower.contains(QLatin1String("https:")) ||
        lower.contains(QLatin1String("www."))) {
        const QUrl url = webUrl(t);
        return url.isValid() ? TRelatedTarget{TRelatedKind::Web, url} : TRelatedTarget{};
    }
    if (lower.contains(u'@')) {
        const QUrl url = mailUrl(t);
        return url.isValid() ? TRelatedTarget{TRelatedKind::Mail, url} : TRelatedTarget{};
    }
    return {};
}

bool OpenRelatedTarget(const QString& text)
{
    const TRelatedTarget target = ClassifyRelatedTarget(text);
    if (target.kind == TRelatedKind::None) {
        return false;
    }
    if (opener()) {
        return opener()(target.url);
    }
    return QDesktopServices::openUrl(target.url);
}

void SetRelatedTargetOpener(std::function<bool(const QUrl&)> f)
{
    opener() = std::move(f);
}

} // namespace nox
