// SPDX-License-Identifier: MIT
#include "TestHttpServer.h"

#include <QJsonDocument>
#include <QTcpSocket>
#include <QTest>

namespace {

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    case 502:
        return "Bad Gateway";
    default:
        return "Status";
    }
}

} // namespace

QByteArray TestHttpServer::Request::header(QByteArrayView name) const
{
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

QJsonObject TestHttpServer::Request::json() const
{
    return QJsonDocument::fromJson(body).object();
}

TestHttpServer::TestHttpServer(QObject* parent)
    : QObject(parent)
    , m_responder([](const Request&) { return Response {}; })
{
    connect(&m_server, &QTcpServer::newConnection, this, &TestHttpServer::onNewConnection);
    if (!m_server.listen(QHostAddress::LocalHost, 0))
        qFatal("TestHttpServer: cannot listen on loopback: %s", qPrintable(m_server.errorString()));
}

TestHttpServer::~TestHttpServer()
{
    for (Connection& connection : m_connections) {
        if (connection.socket)
            connection.socket->disconnect(this);
    }
}

QUrl TestHttpServer::url() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(m_server.serverPort()));
}

QUrl TestHttpServer::refusingUrl()
{
    // A port that was just free: nothing listens there once it is released.
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port));
}

void TestHttpServer::answer(Response response)
{
    m_responder = [response](const Request&) { return response; };
}

void TestHttpServer::answer(Responder responder)
{
    m_responder = std::move(responder);
}

void TestHttpServer::hold()
{
    m_holding = true;
}

void TestHttpServer::release()
{
    m_holding = false;
    for (Connection& connection : m_connections) {
        if (connection.requestIndex >= 0 && !connection.answered)
            respond(connection);
    }
}

bool TestHttpServer::waitForRequests(qsizetype count, int timeoutMs)
{
    return QTest::qWaitFor([&] { return m_requests.size() >= count; }, timeoutMs);
}

bool TestHttpServer::waitForAbandonedConnections(int count, int timeoutMs)
{
    return QTest::qWaitFor([&] { return m_abandoned >= count; }, timeoutMs);
}

void TestHttpServer::onNewConnection()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        socket->setParent(this);
        Connection& connection = m_connections.emplace_back();
        connection.socket = socket;
        Connection* pointer = &connection;
        connect(socket, &QTcpSocket::readyRead, this, [this, pointer] { onReadyRead(pointer); });
        connect(socket, &QTcpSocket::disconnected, this, [this, pointer] {
            if (!pointer->answered)
                ++m_abandoned;
            pointer->answered = true; // nothing more to send there
            if (pointer->socket)
                pointer->socket->deleteLater();
        });
        onReadyRead(pointer);
    }
}

void TestHttpServer::onReadyRead(Connection* connection)
{
    if (!connection->socket || connection->requestIndex >= 0)
        return;
    connection->buffer += connection->socket->readAll();
    if (!parse(*connection))
        return;
    if (!m_holding)
        respond(*connection);
}

// Records the request once it has fully arrived.
bool TestHttpServer::parse(Connection& connection)
{
    const qsizetype headEnd = connection.buffer.indexOf("\r\n\r\n");
    if (headEnd < 0)
        return false;
    const QList<QByteArray> lines = connection.buffer.left(headEnd).split('\n');
    Request request;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            request.headers.append({ line.left(colon).trimmed(), line.mid(colon + 1).trimmed() });
    }
    const qsizetype length = request.header("Content-Length").toLongLong();
    if (connection.buffer.size() < headEnd + 4 + length)
        return false;
    request.body = connection.buffer.mid(headEnd + 4, length);

    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    request.method = requestLine.value(0);
    const QByteArray target = requestLine.value(1);
    const qsizetype question = target.indexOf('?');
    request.hasQuery = question >= 0;
    request.path = request.hasQuery ? target.left(question) : target;
    request.query = request.hasQuery ? target.mid(question + 1) : QByteArray();

    connection.requestIndex = m_requests.size();
    m_requests.append(request);
    return true;
}

void TestHttpServer::respond(Connection& connection)
{
    connection.answered = true;
    if (!connection.socket || connection.socket->state() != QAbstractSocket::ConnectedState)
        return;
    const Response response = m_responder(m_requests.at(connection.requestIndex));
    QByteArray head
        = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + reasonPhrase(response.status) + "\r\n";
    if (!response.contentType.isEmpty())
        head += "Content-Type: " + response.contentType + "\r\n";
    if (response.sendLength)
        head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    head += "Connection: close\r\n\r\n";
    connection.socket->write(head);
    connection.socket->write(response.body);
    connection.socket->disconnectFromHost(); // after everything written has gone out
}
