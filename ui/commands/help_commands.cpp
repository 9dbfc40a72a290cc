// The Help menu: the help file (not built yet), the web pages, the language in use, about.
#include "ui/commands/commands.h"
#include "ui/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QMenu>
#include <QMessageBox>
#include <QUrl>

namespace qm::ui {

namespace {

constexpr const char* kHomePage = "https://quillmere.org/";
constexpr const char* kUploadPage = "https://quillmere.org/gallery/upload";

void showAbout(TMainForm& main)
{
    QMessageBox::about(&main, TMainForm::tr("About Quillmere"),
                       TMainForm::tr("<b>Quillmere</b> %1<br>A raster paint program that records every stroke.")
                           .arg(QCoreApplication::applicationVersion()));
}

} // namespace

void addHelpCommands(TMainForm& main, QMenu& menu)
{
    main.addPlaceholders(menu, {"actOpenHtmlHelp"});
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
