#include "RunningInstance.h"

#include <QCryptographicHash>
#include <QLocalSocket>

namespace palvenor {

namespace {
constexpr int kConnectTimeoutMs = 1000;
const QByteArray kWake = QByteArrayLiteral("wake\n");
}  // namespace

RunningInstance::RunningInstance(QString name, QObject* parent)
    : QObject(parent), name_(std::move(name)) {
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains(kWake.trimmed())) emit wakeRequested();
                socket->disconnectFromServer();
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

QString RunningInstance::defaultName(const QString& iniPath) {
    const QByteArray hash =
        QCryptographicHash::hash(iniPath.toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
    return QStringLiteral("palvenor-") + qEnvironmentVariable("USER", QStringLiteral("user")) +
           QLatin1Char('-') + QString::fromLatin1(hash);
}

bool RunningInstance::anotherIsRunning() const {
    QLocalSocket socket;
    socket.connectToServer(name_);
    const bool answered = socket.waitForConnected(kConnectTimeoutMs);
    socket.abort();
    return answered;
}

bool RunningInstance::listen() {
    if (server_.isListening()) return true;
    if (server_.listen(name_)) return true;
    QLocalServer::removeServer(name_);
    return server_.listen(name_);
}

bool RunningInstance::wakeOther() const {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(kConnectTimeoutMs)) return false;
    socket.write(kWake);
    socket.waitForBytesWritten(kConnectTimeoutMs);
    socket.waitForDisconnected(kConnectTimeoutMs);
    return true;
}

}  // namespace palvenor
