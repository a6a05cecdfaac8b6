// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QUrl>
#include <QUrlQuery>
#include <functional>
#include <list>
#include <utility>

class QTcpSocket;

// A small HTTP/1.1 server on loopback for tests. It records every request
// exactly as it arrived and answers what the test tells it, on the test's own
// event loop: while a test awaits a call, the server serves it.
//
// One request per connection; every answer closes its connection. Answers can
// be held back and released later, or held for ever (a server that never
// answers).
class TestHttpServer : public QObject {
    Q_OBJECT
public:
    struct Request {
        QByteArray method;
        QByteArray path; // as sent, escapes kept, without the query
        QByteArray query; // as sent, without the "?"
        bool hasQuery = false;
        QList<std::pair<QByteArray, QByteArray>> headers; // in order, names as sent
        QByteArray body;

        QByteArray header(QByteArrayView name) const; // names compare case-insensitively
        QUrlQuery queryItems() const { return QUrlQuery(QString::fromLatin1(query)); }
        // The body as a JSON object; empty when it is not one.
        QJsonObject json() const;
    };

    struct Response {
        int status = 200;
        QByteArray body;
        QByteArray contentType = "application/json"; // no header when empty
        // Without a Content-Length header the body ends where the connection does.
        bool sendLength = true;
    };
    using Responder = std::function<Response(const Request&)>;

    explicit TestHttpServer(QObject* parent = nullptr);
    ~TestHttpServer() override;
    Q_DISABLE_COPY_MOVE(TestHttpServer)

    // http://127.0.0.1:<port>/
    QUrl url() const;
    // An address on loopback where nothing listens: connecting is refused.
    static QUrl refusingUrl();

    // Until told otherwise, every request is answered with an empty 200.
    void answer(Response response);
    void answer(Responder responder);

    // Holds every answer, of requests received so far and later, until
    // release(). Never releasing makes a server that never answers.
    void hold();
    // Sends the held answers and answers at once from now on.
    void release();

    const QList<Request>& requests() const { return m_requests; }
    // Runs the event loop until `count` requests have arrived in all.
    bool waitForRequests(qsizetype count, int timeoutMs = 5000);
    // Runs the event loop until the client has closed `count` connections
    // in all before their answers were sent.
    bool waitForAbandonedConnections(int count, int timeoutMs = 5000);

private:
    struct Connection {
        QPointer<QTcpSocket> socket;
        QByteArray buffer;
        qsizetype requestIndex = -1; // once complete
        bool answered = false;
    };

    void onNewConnection();
    void onReadyRead(Connection* connection);
    bool parse(Connection& connection);
    void respond(Connection& connection);

    QTcpServer m_server;
    QList<Request> m_requests;
    std::list<Connection> m_connections;
    Responder m_responder;
    bool m_holding = false;
    int m_abandoned = 0;
};
