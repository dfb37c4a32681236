#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class QNetworkReply;

namespace palvenor::acquire {

// The HTTP transfer control of a document window: an asynchronous GET whose
// text is read in chunks once it has completed, a synchronous fetch of
// bytes, and the transfer states as numbers 0..12 (11 failure, 12
// completion). A transfer fails when no answer comes within the connect
// time-out, when no data comes within the idle time-out, on Cancel, and on
// an answer with an HTTP status of 400 or above. Redirects are followed
// unless they lead from https to http.
class Inet : public QObject {
    Q_OBJECT
public:
    enum State {
        None = 0,
        Connecting = 3,
        Requesting = 5,
        RequestSent = 6,
        ReceivingResponse = 7,
        ResponseReceived = 8,
        Error = 11,
        Completed = 12,
    };

    explicit Inet(QObject* parent = nullptr);

    // The status bar text of a state: "(0) None " ... "(12) Completed";
    // empty for any other number.
    static QString stateText(int state);

    QString URL;
    int connectTimeoutMs = 15000;
    int idleTimeoutMs = 30000;

    // Starts a GET of url; the answer is read with GetChunk after Completed.
    void Execute(const QString& url);
    bool StillExecuting() const { return !reply_.isNull(); }
    // Ends the running transfer as failed.
    void Cancel();
    // Fetches url and returns its bytes, letting events run meanwhile;
    // empty when the transfer failed.
    QByteArray OpenURL(const QString& url);
    // The next at most maxChars characters of the last completed GET's text;
    // empty when nothing is left.
    QString GetChunk(int maxChars);
    // Why the last transfer failed, in a few German words.
    QString errorText() const { return errorText_; }

signals:
    void StateChanged(int state);

private:
    enum class Ending { Normal, TimedOut, Cancelled };

    void start(const QString& url, bool asText);
    void finished(QNetworkReply* reply);
    void stopWith(Ending ending);

    QNetworkAccessManager manager_;
    QPointer<QNetworkReply> reply_;
    QTimer watchdog_;
    QByteArray body_;
    bool asText_ = false;
    QString text_;
    qsizetype textRead_ = 0;
    Ending ending_ = Ending::Normal;
    QString errorText_;
};

}  // namespace palvenor::acquire
