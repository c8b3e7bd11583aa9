#pragma once

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

namespace brivello {

// A one-file HTTP server on 127.0.0.1 for the update check. Each request takes the next
// queued answer; a held answer keeps the connection open until the test releases it.
class ManifestServer : public QObject
{
public:
    struct Answer
    {
        Answer(int code = 200, QByteArray content = {})
            : status(code)
            , body(std::move(content))
        {}
        static Answer held() { return withFlags(true, false, 0); }
        static Answer hungUp() { return withFlags(false, true, 0); }
        // Body bytes with no length given, the connection then kept open.
        static Answer streamed(qint64 bytes) { return withFlags(false, false, bytes); }

        int status;
        QByteArray body;
        bool hold = false;
        bool hangUp = false;
        qint64 streamBytes = 0;

    private:
        static Answer withFlags(bool hold, bool hangUp, qint64 streamBytes)
        {
            Answer answer;
            answer.hold = hold;
            answer.hangUp = hangUp;
            answer.streamBytes = streamBytes;
            return answer;
        }
    };

    ManifestServer();

    QUrl url() const;
    void enqueue(const Answer &answer) { m_answers.append(answer); }
    int requestCount() const { return m_requests.size(); }
    QByteArray request(int index) const { return m_requests.value(index); }
    int heldCount() const { return m_held.size(); }
    // Answers the held request `index` (in arrival order).
    void release(int index, const Answer &answer);

    static QByteArray manifest(const QString &version,
                               const QString &link = QStringLiteral("https://example.org/b.deb"),
                               const QString &notes = QStringLiteral("Fixes"));

private:
    void readRequest(QTcpSocket *socket);
    static void answer(QTcpSocket *socket, const Answer &answer);

    QTcpServer m_server;
    QList<Answer> m_answers;
    QList<QByteArray> m_requests;
    QList<QPointer<QTcpSocket>> m_held;
};

} // namespace brivello
