// The user-interface texts and the message boxes every window uses. Source texts are the
// program's own (Japanese) texts; an English translation is attached at start-up when the
// locale is not Japanese.
#pragma once

#include "core/message_sink.h"

#include <QString>
#include <QStringList>

#include <string>

class QWidget;

namespace qm::ui {

inline constexpr const char* kProgramName = "Quillmere";
inline constexpr const char* kApplicationTitle = "Quillmere3.0";
inline constexpr const char* kMainCaption = "Quillmere3";

// The translated text of a source text ("\r" line breaks become "\n").
QString uiText(const char* source);
// The same for the engine's texts.
std::string translatedText(const char* source);
// A source text with its printf-style %s and %d fields filled in order.
QString uiText(const char* source, const QStringList& fields);

// Whether the English texts are attached (what the language actions show).
bool englishAttached();
// Attaches the English texts for the "language" setting: 1 English, 2 Japanese (the texts as
// written), 0 English unless the desktop's locale is Japanese. False when they cannot be loaded.
bool attachLanguage(int32_t setting);

// The caption of warnings: "<warning> (<program>)".
QString warningCaption();

// The owner of a message box: the active window, else the main window.
QWidget* messageOwner();
void setMainWindow(QWidget* window);

void showWarning(const QString& text);
void showInformation(const QString& text);
// Yes/No; true for Yes.
bool confirm(const QString& text);
// A warning with OK and Cancel; true for OK.
bool confirmWarning(const QString& text);
// Yes, No or Cancel: 0, 1 or 2.
int askYesNoCancel(const QString& text);
// Shows the warning once the current event has been handled (safe inside paint and input
// handlers).
void deferWarning(const QString& text);

// The engine's messages, shown as deferred warnings; in unattended runs written to standard
// error instead, since nobody would close a box.
class TDeferredMessageSink : public MessageSink {
public:
    void showMessage(std::string_view text) override;
    bool unattended = false;
};

// Tests replace the boxes: every text goes to the hook, and questions get `answer`.
struct TMessageHook {
    QStringList shown;
    bool answer = true;
};
void setMessageHook(TMessageHook* hook);

} // namespace qm::ui
