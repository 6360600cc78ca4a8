#pragma once
// Printing and previewing a rendered layout through a page engine. The engine
// (a web engine of several hundred megabytes) lives in a module of its own
// that is loaded only when the first page is printed or previewed, never at
// program start; deleting the object ends its page.
#include <QImage>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>

class QWidget;

namespace nox
{

class TBrowserCommands
{
public:
    enum Mode { bmPrint = 0, bmPreview = 1 };
    virtual ~TBrowserCommands() = default;

    // Loads the file and, once it has really loaded, opens the print dialog
    // and prints it, or opens the print preview on it. Every failure is
    // shown to the user in a message box (over `owner` of the module's
    // creation). Returns true when the page was printed or previewed.
    virtual bool RunBrowserCommand(const QString& path, Mode mode) = 0;

    // A picture of the top of the file's page, as wide as an A4 page and in
    // the proportions of `size`, scaled to `size`; a null image when the page
    // does not load (shown to the user like every failure).
    virtual QImage PagePicture(const QString& path, QSize size) = 0;

    // Stores a file the engine made (a PDF printed to a file): the module
    // links no part of the program, so the program hands it its one writer
    // of files (writeFileAtomic). Returns true iff the file was written;
    // *error names the file and the reason otherwise.
    using FileWriter = std::function<bool(const QString& path, const QByteArray& bytes, QString* error)>;
    void setFileWriter(FileWriter writer) { m_writeFile = std::move(writer); }

protected:
    FileWriter m_writeFile;
};

// Name of the entry point of the module: TBrowserCommands* (QWidget* owner).
inline constexpr char kBrowserModuleEntry[] = "nox_create_browser_commands";
// File name of the module, looked for beside the program and in the library
// folder of an installed copy.
inline constexpr char kBrowserModuleName[] = "nox_search_web";

// Loads the module and creates its engine object; null with *error set
// when the module cannot be loaded (the message names it) or the engine
// cannot run here (it needs OpenGL).
std::unique_ptr<TBrowserCommands> createBrowserCommands(QWidget* owner, QString* error);

} // namespace nox
