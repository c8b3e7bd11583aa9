#include "ManifestServer.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace brivello {

ManifestServer::ManifestServer()
{
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readRequest(socket); });
        }
    });
}

QUrl ManifestServer::url() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/latest.json").arg(m_server.serverPort()));
}

void ManifestServer::readRequest(QTcpSocket *socket)
{
    QByteArray text = socket->property("request").toByteArray() + socket->readAll();
    socket->setProperty("request", text);
    if (!text.contains("\r\n\r\n") || socket->property("answered").toBool())
        return;
    socket->setProperty("answered", true);
    m_requests.append(text);
    const Answer next = m_answers.isEmpty() ? Answer{404, {}} : m_answers.takeFirst();
    if (next.hold)
        m_held.append(socket);
    else
        answer(socket, next);
}

void ManifestServer::release(int index, const Answer &reply)
{
    if (QTcpSocket *socket = m_held.value(index))
        answer(socket, reply);
}

void ManifestServer::answer(QTcpSocket *socket, const Answer &answer)
{
    if (answer.hangUp) {
        socket->abort();
        return;
    }
    QByteArray head = "HTTP/1.1 " + QByteArray::number(answer.status) + " Answer\r\n" +
                      "Content-Type: application/json\r\n";
    if (answer.streamBytes > 0) {
        socket->write(head + "\r\n");
        socket->write(QByteArray(answer.streamBytes, ' '));
        return;
    }
    head += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n";
    socket->write(head + "Connection: close\r\n\r\n" + answer.body);
    socket->disconnectFromHost();
}

QByteArray
ManifestServer::manifest(const QString &version, const QString &link, const QString &notes)
{
    const QJsonObject object{{QStringLiteral("version"), version},
                             {QStringLiteral("build"), 57},
                             {QStringLiteral("downloadURL"), link},
                             {QStringLiteral("releaseNotes"), notes},
                             {QStringLiteral("publishedAt"), QStringLiteral("2026-12-01")}};
    return QJsonDocument(object).toJson();
}

} // namespace brivello
