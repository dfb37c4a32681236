#pragma once

// Web servers on 127.0.0.1 for the acquisition tests: Python's http.server
// on a folder (plain or TLS with a certificate made for the test), and a
// server of the test's own that answers with the faults a web directory
// can show.

#include <QByteArray>
#include <QHash>
#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <memory>

namespace palvenor::test {

class FolderServer {
public:
    // Serves folder; over TLS when certificate and key are given.
    explicit FolderServer(const QString& folder, const QString& certificate = {}, const QString& key = {}) {
        QStringList arguments{QStringLiteral(PALVENOR_FOLDER_SERVER), folder};
        if (!certificate.isEmpty()) arguments << certificate << key;
        process_.start(QStringLiteral("python3"), arguments);
        if (process_.waitForReadyRead(20000)) port_ = process_.readLine().trimmed().toInt();
        scheme_ = certificate.isEmpty() ? QStringLiteral("http") : QStringLiteral("https");
    }
    ~FolderServer() {
        process_.kill();
        process_.waitForFinished();
    }
    bool ok() const { return port_ > 0; }
    QString url(const QString& path = QStringLiteral("/")) const {
        return QStringLiteral("%1://127.0.0.1:%2%3").arg(scheme_).arg(port_).arg(path);
    }

private:
    QProcess process_;
    int port_ = 0;
    QString scheme_;
};

// A self-signed certificate for 127.0.0.1 that this process trusts.
struct TrustedCertificate {
    QTemporaryDir dir;
    QString certificate = dir.filePath(QStringLiteral("cert.pem"));
    QString key = dir.filePath(QStringLiteral("key.pem"));
    bool ok = false;

    TrustedCertificate() {
        const int made = QProcess::execute(
            QStringLiteral("openssl"),
            {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
             QStringLiteral("-nodes"), QStringLiteral("-keyout"), key, QStringLiteral("-out"), certificate,
             QStringLiteral("-days"), QStringLiteral("1"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
             QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1")});
        const QList<QSslCertificate> certificates = QSslCertificate::fromPath(certificate);
        ok = made == 0 && !certificates.isEmpty();
        if (!ok) return;
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.addCaCertificates(certificates);
        QSslConfiguration::setDefaultConfiguration(configuration);
    }
};

// Answers GET requests from a table of paths; runs in the test's thread,
// served while the program lets events run.
class FaultServer {
public:
    enum class Fault { None, Silent, StallAfterHeader, Drop };
    struct Answer {
        Answer(int status = 200, QByteArray body = {}, QByteArray contentType = "application/octet-stream",
               Fault fault = Fault::None, QByteArray location = {})
            : status(status), body(std::move(body)), contentType(std::move(contentType)), fault(fault),
              location(std::move(location)) {}
        int status;
        QByteArray body;
        QByteArray contentType;
        Fault fault;
        QByteArray location;  // for a redirect
    };

    FaultServer() {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) serve(socket);
        });
    }
    void on(const QString& path, Answer answer) { answers_[path] = std::move(answer); }
    QString url(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
    }
    QStringList requested;

private:
    void serve(QTcpSocket* socket) {
        auto request = std::make_shared<QByteArray>();
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request] {
            *request += socket->readAll();
            if (!request->contains("\r\n\r\n")) return;
            const QString path = QString::fromLatin1(request->split(' ').value(1));
            request->clear();
            requested << path;
            respond(socket, answers_.value(path, Answer{404, "<html><body>Not Found</body></html>", "text/html"}));
        });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
    static void respond(QTcpSocket* socket, const Answer& answer) {
        if (answer.fault == Fault::Silent) return;
        if (answer.fault == Fault::Drop) {
            socket->abort();
            return;
        }
        QByteArray head = "HTTP/1.1 " + QByteArray::number(answer.status) + " X\r\nContent-Type: " +
                          answer.contentType + "\r\nContent-Length: " + QByteArray::number(answer.body.size()) + "\r\n";
        if (!answer.location.isEmpty()) head += "Location: " + answer.location + "\r\n";
        socket->write(head + "\r\n");
        if (answer.fault == Fault::StallAfterHeader) {
            socket->write(answer.body.left(answer.body.size() / 2));
            return;
        }
        socket->write(answer.body);
    }

    QTcpServer server_;
    QHash<QString, Answer> answers_;
};

}  // namespace palvenor::test
