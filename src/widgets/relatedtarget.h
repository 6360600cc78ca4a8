#pragma once
// Opening a schedule's related information: a folder, a file, a web address
// or a mail address. Texts are never handed to a shell; each kind becomes a
// URL that the desktop opens with its default application.
#include <QString>
#include <QUrl>
#include <functional>

namespace nox
{

enum class TRelatedKind { None, Folder, File, Web, Mail };

struct TRelatedTarget {
    TRelatedKind kind = TRelatedKind::None;
    QUrl url; // valid iff kind != None
};

// Decides what a text names, in this order: an existing folder, an existing
// file, then (ignoring case) a text containing "http:", "https:" or "www."
// is a web address (the address starting there, up to the next blank; "www."
// gets "http://"), else a text containing "@" is a mail address. Anything
// else, and an empty text, is None. Only http, https, mailto and local file
// URLs ever come out.
TRelatedTarget ClassifyRelatedTarget(const QString& text);

// Opens the target through QDesktopServices. Returns true iff there was
// something to open and the desktop accepted it; other texts are ignored
// without a message.
bool OpenRelatedTarget(const QString& text);

// Tests replace the desktop call; pass an empty function to restore it.
void SetRelatedTargetOpener(std::function<bool(const QUrl&)> opener);

} // namespace nox
