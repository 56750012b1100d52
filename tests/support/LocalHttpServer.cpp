#include "support/LocalHttpServer.h"

#include <QTcpSocket>

namespace {

constexpr qint64 hugeBodySize = qint64(1) << 30;
constexpr qint64 bodyChunk = 64 * 1024;

QByteArray reason(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 201:
        return "Created";
    case 204:
        return "No Content";
    case 303:
        return "See Other";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

} // namespace

LocalHttpServer::LocalHttpServer(QObject* parent) : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
            connect(socket, &QTcpSocket::bytesWritten, this,
                    [this, socket] { sendMoreBody(socket); });
            connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
                m_buffers.remove(socket);
                m_bodyLeft.remove(socket);
                socket->deleteLater();
            });
        }
    });
}

bool LocalHttpServer::listen()
{
    return m_server.listen(QHostAddress::LocalHost);
}

QUrl LocalHttpServer::url(const QString& path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
}

QUrl LocalHttpServer::closedPortUrl(const QString& path)
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(path));
}

void LocalHttpServer::read(QTcpSocket* socket)
{
    QByteArray& buffer = m_buffers[socket];
    buffer += socket->readAll();
    const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
    if (headerEnd < 0)
        return;
    Request request;
    const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    request.method = requestLine.value(0);
    request.path = requestLine.value(1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0)
            request.headers.insert(lines[i].left(colon).trimmed().toLower(),
                                   lines[i].mid(colon + 1).trimmed());
    }
    const qsizetype length = request.headers.value("content-length", "0").toLongLong();
    if (buffer.size() < headerEnd + 4 + length)
        return;
    request.body = buffer.mid(headerEnd + 4, length);
    buffer.clear();
    m_requests << request;
    emit requestReceived();
    answer(socket);
}

void LocalHttpServer::answer(QTcpSocket* socket)
{
    const auto respond = [socket](int status, const QByteArray& extraHeaders) {
        const QByteArray body = status == 204 ? QByteArray() : QByteArray("ok");
        socket->write("HTTP/1.1 " + QByteArray::number(status) + ' ' + reason(status) +
                      "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n" +
                      extraHeaders + "Connection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    };
    switch (m_behaviour) {
    case Behaviour::respond:
        respond(m_status, {});
        break;
    case Behaviour::redirectToOk:
        if (m_requests.last().method == "POST")
            respond(303, "Location: /ok\r\n");
        else
            respond(200, {});
        break;
    case Behaviour::neverAnswer:
        break;
    case Behaviour::dropConnection:
        socket->disconnectFromHost();
        break;
    case Behaviour::hugeBody:
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
                      QByteArray::number(hugeBodySize) + "\r\n\r\n");
        m_bodyLeft.insert(socket, hugeBodySize);
        sendMoreBody(socket);
        break;
    case Behaviour::malformedStatus:
        socket->write("HTTP/1.1 OK-ish\r\nbroken header line\r\n\r\nok");
        socket->disconnectFromHost();
        break;
    }
}

void LocalHttpServer::sendMoreBody(QTcpSocket* socket)
{
    const auto it = m_bodyLeft.find(socket);
    if (it == m_bodyLeft.end() || it.value() <= 0 || socket->bytesToWrite() > bodyChunk)
        return;
    const qint64 size = std::min(bodyChunk, it.value());
    socket->write(QByteArray(size, 'x'));
    it.value() -= size;
    m_bodyBytesSent += size;
}
