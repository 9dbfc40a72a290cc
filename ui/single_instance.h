// One running program per user: a later start hands its files to the running one and exits.
// The running program listens on a local socket named per user; a peer asks who it is (the
// query tag "QM20" in normal mode), then hands over one path per message. Render and viewer
// runs never take part.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QLocalServer;
class QLocalSocket;

namespace qm::ui {

// The four-byte answers to the query.
inline constexpr const char* kTagNormal = "QM20";
inline constexpr const char* kTagViewer = "QMVw";
inline constexpr const char* kTagRender = "QMRe";

class TSingleInstance : public QObject {
    Q_OBJECT
public:
    // name: the socket's name; empty = the per-user default.
    explicit TSingleInstance(QString name = {}, QObject* parent = nullptr);
    ~TSingleInstance() override;

    static QString defaultName();

    // Client side: true when a running program in normal mode answers the query.
    bool findRunning(int timeoutMs = 1500);
    // Hands each path over, one message each (after findRunning). The number the running
    // program opened.
    int handOver(const QStringList& paths, int timeoutMs = 5000);

    // Server side: starts answering. False when the name cannot be taken (then this program
    // runs as a further instance).
    bool listen(const QString& tag = QString::fromLatin1(kTagNormal));
    // Opens a handed-over path; true when it opened. Set by the main window.
    std::function<bool(const QString&)> openPath;
    // Brings the main window to the front after a successful hand-over.
    std::function<void()> raise;

private:
    void serve(QLocalSocket* socket);
    QString request(const QByteArray& line, int timeoutMs);

    QString name_;
    QString tag_;
    QLocalServer* server_ = nullptr;
    QLocalSocket* client_ = nullptr;
};

} // namespace qm::ui
