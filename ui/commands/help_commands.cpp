// The Help menu: the manual, the web pages, the language in use, about.
#include "ui/commands/commands.h"
#include "ui/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QMenu>
#include <QMessageBox>
#include <QUrl>

namespace qm::ui {

namespace {

constexpr const char* kHomePage = "https://quillmere.org/";
constexpr const char* kUploadPage = "https://quillmere.org/gallery/upload";

// The manual the browser reads: the copy installed with the program, else the one built into
// it, written out into the cache folder (again only when it changed).
QString manualFile()
{
    const QString installed = QCoreApplication::applicationDirPath() +
                              QStringLiteral("/../share/doc/quillmere/manual.html");
    if (QFileInfo::exists(installed))
        return QFileInfo(installed).canonicalFilePath();
    QFile embedded(QStringLiteral(":/docs/manual.html"));
    if (!embedded.open(QIODevice::ReadOnly))
        return {};
    const QByteArray page = embedded.readAll();
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    const QString path = folder + QStringLiteral("/manual.html");
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == page)
        return path;
    QDir().mkpath(folder);
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(page) != page.size() || !out.commit())
        return {};
    return path;
}

void openManual()
{
    const QString path = manualFile();
    if (path.isEmpty() || !QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        showWarning(TMainForm::tr("The manual could not be opened.\r    path = %1").arg(path));
}

void showAbout(TMainForm& main)
{
    QMessageBox::about(&main, TMainForm::tr("About Quillmere"),
                       TMainForm::tr("<b>Quillmere</b> %1<br>A raster paint program that records every stroke.")
                           .arg(QCoreApplication::applicationVersion()));
}

} // namespace

void addHelpCommands(TMainForm& main, QMenu& menu)
{
    main.addCommand(menu, "actOpenHtmlHelp", TMainForm::tr("&Manual"), openManual, QKeySequence::HelpContents);
    main.addCommand(menu, "actWebHomePage", TMainForm::tr("Home Page"),
                    [] { QDesktopServices::openUrl(QUrl(QString::fromLatin1(kHomePage))); });
    main.addCommand(menu, "actWebRegEvent", TMainForm::tr("Upload a Recording"),
                    [] { QDesktopServices::openUrl(QUrl(QString::fromLatin1(kUploadPage))); });
    menu.addSeparator();
    // The language actions only show which texts are in use (refreshActions checks them).
    auto* languages = new QActionGroup(&main);
    for (const char* name : {"actLangEnglish", "actLangJapanese"}) {
        const bool english = QByteArray(name) == "actLangEnglish";
        QAction* a = main.addCommand(menu, name, english ? TMainForm::tr("English") : TMainForm::tr("Japanese"),
                                     [] {});
        a->setCheckable(true);
        languages->addAction(a);
    }
    menu.addSeparator();
    main.addCommand(menu, "actAboutBox", TMainForm::tr("&About Quillmere"), [&main] { showAbout(main); });
}

} // namespace qm::ui
