#include "ui/single_instance.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QUrl>

#include <unistd.h>

namespace qm::ui {

TSingleInstance::TSingleInstance(QString name, QObject* parent)
    : QObject(parent), name_(name.isEmpty() ? defaultName() : std::move(name))
{
}

TSingleInstance::~TSingleInstance() = default;

QString TSingleInstance::defaultName()
{
    return QStringLiteral("quillmere3-%1").arg(uint(::getuid()));
}

QString TSingleInstance::request(const QByteArray& line, int timeoutMs)
{
    if (!client_ || client_->state() != QLocalSocket::ConnectedState)
        return {};
    client_->write(line + '\n');
    if (!client_->waitForBytesWritten(timeoutMs))
        return {};
    while (!client_->canReadLine())
        if (!client_->waitForReadyRead(timeoutMs))
            return {};
    return QString::fromUtf8(client_->readLine()).trimmed();
}

bool TSingleInstance::findRunning(int timeoutMs)
{
    delete client_;
    client_ = new QLocalSocket(this);
    client_->connectToServer(name_);
    if (!client_->waitForConnected(timeoutMs))
        return false;
    return request("QUERY 0", timeoutMs) == QLatin1String(kTagNormal);
}

int TSingleInstance::handOver(const QStringList& paths, int timeoutMs)
{
    int opened = 0;
    for (const QString& path : paths)
        if (request("OPEN " + QUrl::toPercentEncoding(path), timeoutMs) == QLatin1String("1"))
            ++opened;
    request("RAISE", timeoutMs);
    return opened;
}

bool TSingleInstance::listen(const QString& tag)
{
    tag_ = tag;
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(name_)) {
        // A socket left by a program that died: nobody answered the query, so take it over.
        QLocalServer::removeServer(name_);
        if (!server_->listen(name_))
            return false;
    }
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { serve(socket); });
        }
    });
    return true;
}

void TSingleInstance::serve(QLocalSocket* socket)
{
    while (socket->canReadLine()) {
        const QByteArray line = socket->readLine().trimmed();
        QByteArray answer = "0";
        if (line == "QUERY 0") {
            answer = tag_.toLatin1();
        } else if (line.startsWith("OPEN ")) {
            const QString path = QUrl::fromPercentEncoding(line.mid(5));
            answer = openPath && openPath(path) ? "1" : "0";
        } else if (line == "RAISE") {
            if (raise)
                raise();
            answer = "1";
        }
        socket->write(answer + '\n');
        socket->flush();
    }
}

} // namespace qm::ui
