// LocalHttpServer: a tiny HTTP/1.1 server on 127.0.0.1 inside the test process, serving
// canned responses by path (404 for anything else) and closing each connection after one
// answer. It lives as long as the object; requests are handled on the Qt event loop.
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QMap>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

namespace morvanta::testing {

class LocalHttpServer {
public:
    struct Response {
        int status = 200;
        QByteArray body;
    };

    LocalHttpServer() {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] { accept(); });
    }

    bool isListening() const { return server_.isListening(); }
    QString url(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
    }
    void serve(const QString& path, QByteArray body, int status = 200) {
        routes_[path] = {status, std::move(body)};
    }
    // How many requests asked for the path.
    int requests(const QString& path) const { return counts_.value(path); }

private:
    void accept() {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QTcpSocket::readyRead, socket,
                             [this, socket] { answer(socket); });
        }
    }

    void answer(QTcpSocket* socket) {
        QByteArray& pending = buffers_[socket];
        pending += socket->readAll();
        if (!pending.contains("\r\n\r\n"))
            return;
        QList<QByteArray> requestLine = pending.left(pending.indexOf("\r\n")).split(' ');
        buffers_.remove(socket);
        QString path = requestLine.size() > 1 ? QString::fromLatin1(requestLine[1]) : QString();
        counts_[path] += 1;
        Response response = routes_.value(path, Response{404, "not found"});
        QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) +
                          (response.status == 200 ? " OK" : " Error") +
                          "\r\nContent-Length: " + QByteArray::number(response.body.size()) +
                          "\r\nConnection: close\r\n\r\n";
        socket->write(head + response.body);
        socket->disconnectFromHost();
    }

    QTcpServer server_;
    QMap<QString, Response> routes_;
    QMap<QString, int> counts_;
    QMap<QTcpSocket*, QByteArray> buffers_;
};

} // namespace morvanta::testing
