#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QUrl>

class QTcpSocket;

// A small HTTP/1.1 server on a local port for tests of code that talks to a
// real server: it records each request and answers it as told.
class LocalHttpServer final : public QObject {
    Q_OBJECT
public:
    enum class Behaviour {
        respond,         // the status set with setStatus() and a short body
        neverAnswer,     // reads the request and stays silent
        dropConnection,  // reads the request and closes the connection without a word
        hugeBody,        // status 200 and a 1 GB body, sent as fast as it is read
        malformedStatus, // a status line that is not HTTP
        redirectToOk,    // "303 See Other" to a page that answers 200
    };
    struct Request {
        QByteArray method;
        QByteArray path;
        QHash<QByteArray, QByteArray> headers; // names in lower case
        QByteArray body;
    };

    explicit LocalHttpServer(QObject* parent = nullptr);

    bool listen();
    QUrl url(const QString& path) const;
    // A URL on a local port where nothing listens.
    static QUrl closedPortUrl(const QString& path);

    void setStatus(int status) { m_status = status; }
    void setBehaviour(Behaviour behaviour) { m_behaviour = behaviour; }

    const QList<Request>& requests() const { return m_requests; }
    // Bytes of response bodies written to clients so far.
    qint64 bodyBytesSent() const { return m_bodyBytesSent; }

signals:
    void requestReceived();

private:
    void read(QTcpSocket* socket);
    void answer(QTcpSocket* socket);
    void sendMoreBody(QTcpSocket* socket);

    QTcpServer m_server;
    int m_status = 200;
    Behaviour m_behaviour = Behaviour::respond;
    QList<Request> m_requests;
    QHash<QTcpSocket*, QByteArray> m_buffers;
    QHash<QTcpSocket*, qint64> m_bodyLeft;
    qint64 m_bodyBytesSent = 0;
};
