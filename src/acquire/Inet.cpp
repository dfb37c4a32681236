#include "Inet.h"

#include <QEventLoop>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringDecoder>

namespace palvenor::acquire {

Inet::Inet(QObject* parent) : QObject(parent) {
    watchdog_.setSingleShot(true);
    connect(&watchdog_, &QTimer::timeout, this, [this] { stopWith(Ending::TimedOut); });
}

QString Inet::stateText(int state) {
    static const char* const texts[] = {"(0) None ",
                                        "(1) Resolving Host ",
                                        "(2) Host Resolved ",
                                        "(3) Connecting ",
                                        "(4) Connected ",
                                        "(5) Requesting ",
                                        "(6) Request Sent ",
                                        "(7) Receiving Response ",
                                        "(8) Response Received ",
                                        "(9) Disconnecting ",
                                        "(10) Disconnected ",
                                        "(11) Error ",
                                        "(12) Completed"};
    return state >= None && state <= Completed ? QString::fromLatin1(texts[state]) : QString();
}

namespace {

// A short German reason for a failed transfer.
QString failureText(QNetworkReply::NetworkError error, int status) {
    if (status >= 400) return QStringLiteral("Der Server antwortet mit dem Fehler %1").arg(status);
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("Verbindung abgelehnt");
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("Verbindung vom Server getrennt");
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("Server nicht gefunden");
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("Keine sichere Verbindung möglich");
    case QNetworkReply::TooManyRedirectsError:
    case QNetworkReply::InsecureRedirectError:
        return QStringLiteral("Unzulässige Weiterleitung");
    case QNetworkReply::ProtocolUnknownError:
    case QNetworkReply::ProtocolInvalidOperationError:
        return QStringLiteral("Ungültige Adresse");
    default:
        return QStringLiteral("Übertragungsfehler");
    }
}

}  // namespace

void Inet::stopWith(Ending ending) {
    if (!reply_) return;
    ending_ = ending;
    reply_->abort();
}

void Inet::Cancel() { stopWith(Ending::Cancelled); }

// Until the answer's header arrives the connect time-out runs, afterwards
// the idle time-out, started again by every piece of data.
void Inet::start(const QString& url, bool asText) {
    Cancel();
    URL = url;
    body_.clear();
    asText_ = asText;
    ending_ = Ending::Normal;
    errorText_.clear();
    QNetworkRequest request{QUrl(url)};
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    emit StateChanged(Requesting);
    QNetworkReply* reply = manager_.get(request);
    reply_ = reply;
    watchdog_.start(connectTimeoutMs);
    connect(reply, &QNetworkReply::socketStartedConnecting, this, [this] { emit StateChanged(Connecting); });
    connect(reply, &QNetworkReply::requestSent, this, [this] { emit StateChanged(RequestSent); });
    connect(reply, &QNetworkReply::metaDataChanged, this, [this] {
        watchdog_.start(idleTimeoutMs);
        emit StateChanged(ReceivingResponse);
    });
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] {
        watchdog_.start(idleTimeoutMs);
        body_ += reply->readAll();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { finished(reply); });
}

void Inet::finished(QNetworkReply* reply) {
    watchdog_.stop();
    reply_ = nullptr;
    reply->deleteLater();
    if (reply->isOpen()) body_ += reply->readAll();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() != QNetworkReply::NoError || status >= 400) {
        body_.clear();
        errorText_ = ending_ == Ending::TimedOut    ? QStringLiteral("Zeitüberschreitung")
                     : ending_ == Ending::Cancelled ? QStringLiteral("Abgebrochen")
                                                    : failureText(reply->error(), status);
        emit StateChanged(Error);
        return;
    }
    if (asText_) {
        text_ = QStringDecoder(QStringDecoder::Utf8)(body_);
        textRead_ = 0;
    }
    emit StateChanged(ResponseReceived);
    emit StateChanged(Completed);
}

void Inet::Execute(const QString& url) { start(url, true); }

QByteArray Inet::OpenURL(const QString& url) {
    QEventLoop loop;
    const QMetaObject::Connection ending = connect(this, &Inet::StateChanged, &loop, [&loop](int state) {
        if (state == Error || state == Completed) loop.quit();
    });
    start(url, false);
    if (reply_) loop.exec();
    disconnect(ending);
    return body_;
}

QString Inet::GetChunk(int maxChars) {
    const QString chunk = text_.mid(textRead_, maxChars);
    textRead_ += chunk.size();
    return chunk;
}

}  // namespace palvenor::acquire
