#include "ui/ui_text.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QTranslator>

#include <cstdio>

namespace qm::ui {

namespace {

QPointer<QWidget> g_mainWindow;
TMessageHook* g_hook = nullptr;
bool g_english = false;

QString plainLines(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

} // namespace

QString uiText(const char* source)
{
    return plainLines(QCoreApplication::translate("Quillmere", source));
}

std::string translatedText(const char* source)
{
    return QCoreApplication::translate("Quillmere", source).toStdString();
}

QString uiText(const char* source, const QStringList& fields)
{
    const QString format = uiText(source);
    QString out;
    qsizetype next = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == QLatin1Char('%') && i + 1 < format.size()) {
            // %s, %d and %4d-style widths all take the next field.
            qsizetype j = i + 1;
            while (j < format.size() && format[j].isDigit())
                ++j;
            if (j < format.size() && (format[j] == QLatin1Char('s') || format[j] == QLatin1Char('d'))) {
                out += next < fields.size() ? fields[next++] : QString();
                i = j;
                continue;
            }
            if (format[i + 1] == QLatin1Char('%')) {
                out += QLatin1Char('%');
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

bool englishAttached() { return g_english; }

bool attachLanguage(int32_t setting)
{
    if (setting == 2 || (setting != 1 && QLocale().language() == QLocale::Japanese))
        return true;
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral(":/i18n/quillmere_en.qm"))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    g_english = true;
    return true;
}

QString warningCaption()
{
    return uiText("%s (%s)", {uiText("警告"), QString::fromLatin1(kProgramName)});
}

QWidget* messageOwner()
{
    if (QWidget* active = QApplication::activeWindow())
        return active;
    return g_mainWindow.data();
}

void setMainWindow(QWidget* window) { g_mainWindow = window; }

void setMessageHook(TMessageHook* hook) { g_hook = hook; }

void showWarning(const QString& text)
{
    if (g_hook) {
        g_hook->shown << text;
        return;
    }
    QMessageBox::warning(messageOwner(), warningCaption(), text);
}

void showInformation(const QString& text)
{
    if (g_hook) {
        g_hook->shown << text;
        return;
    }
    QMessageBox::information(messageOwner(), QString::fromLatin1(kProgramName), text);
}

bool confirm(const QString& text)
{
    if (g_hook) {
        g_hook->shown << text;
        return g_hook->answer;
    }
    return QMessageBox::question(messageOwner(), QString::fromLatin1(kProgramName), text,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

bool confirmWarning(const QString& text)
{
    if (g_hook) {
        g_hook->shown << text;
        return g_hook->answer;
    }
    return QMessageBox::warning(messageOwner(), QString::fromLatin1(kProgramName), text,
                                QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

int askYesNoCancel(const QString& text)
{
    if (g_hook) {
        g_hook->shown << text;
        return g_hook->answer ? 0 : 1;
    }
    const auto answer =
        QMessageBox::question(messageOwner(), QString::fromLatin1(kProgramName), text,
                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    return answer == QMessageBox::Yes ? 0 : answer == QMessageBox::No ? 1 : 2;
}

void deferWarning(const QString& text)
{
    QTimer::singleShot(0, QCoreApplication::instance(), [text] { showWarning(text); });
}

void TDeferredMessageSink::showMessage(std::string_view text)
{
    // Fixed texts have a translation; texts with filled-in fields show as they are.
    const QString shown = uiText(std::string(text).c_str());
    if (unattended)
        std::fprintf(stderr, "%s\n", qPrintable(shown));
    else
        deferWarning(shown);
}

} // namespace qm::ui
