#pragma once

#include "platform/Scheduler.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>
#include <qcoro/qcorotask.h>

class QNetworkAccessManager;

namespace brivello {

// Knows whether a newer release exists: fetches the release manifest on request, compares
// its version with the running one and publishes the outcome. Never checks or retries on its
// own. Main thread; one per process, owned by the application.
class UpdateManager : public QObject
{
    Q_OBJECT
public:
    static constexpr double kTimeout = 12.0;
    // A manifest is a few hundred bytes; anything past this is not one and is not buffered.
    static constexpr qint64 kMaximumManifestSize = 1024 * 1024;
    static const QUrl kManifestURL;

    struct Release
    {
        QString version;
        qint64 build = 0;
        QUrl downloadURL;
        QString releaseNotes;
        QString publishedAt;
        QString id() const { return version + QLatin1Char('-') + QString::number(build); }
        bool operator==(const Release &other) const = default;
    };

    enum class State { idle, checking, available, upToDate, failed };
    Q_ENUM(State)

    // Opens an address with the user's default handler; tests pass a recorder.
    using Opener = std::function<void(const QUrl &)>;

    // A check's time-out runs on `scheduler`.
    explicit UpdateManager(Scheduler &scheduler = Scheduler::shared(), QObject *parent = nullptr);
    ~UpdateManager() override;

    State state() const { return m_state; }
    std::optional<Release> availableRelease() const { return m_availableRelease; }
    QString errorText() const { return m_errorText; }
    // The version the project was built as, "1.0" when none was given.
    QString currentVersion() const;

    QUrl manifestURL() const { return m_manifestURL; }
    void setManifestURL(const QUrl &url) { m_manifestURL = url; }
    void setTimeout(double seconds) { m_timeout = seconds; }
    void setOpener(Opener opener) { m_opener = std::move(opener); }

    // One check; the result is left in the state. When checks overlap, the one started last
    // decides the state and earlier answers are dropped.
    QCoro::Task<> checkForUpdates();
    // Opens the available release's download address; nothing without one.
    void downloadAvailableRelease();

    // Publishes a state; `available` carries its release, every other state none.
    void setState(State state,
                  std::optional<Release> release = std::nullopt,
                  const QString &errorText = {});

    // Strict reading of a manifest: every field present with its JSON type, `build` a whole
    // number and `downloadURL` an absolute https address. Anything else gives none.
    static std::optional<Release> decodeRelease(const QByteArray &body);
    // True when `candidate` is a higher dotted version than `reference`.
    static bool isNewer(const QString &candidate, const QString &reference);

signals:
    void stateChanged();
    void availableReleaseChanged();

private:
    struct Exchange;
    struct ExchangeAwaiter;
    std::shared_ptr<Exchange> startExchange();
    void receive(Exchange &exchange);
    void complete(const std::shared_ptr<Exchange> &exchange, bool failed);

    State m_state = State::idle;
    std::optional<Release> m_availableRelease;
    QString m_errorText;
    QUrl m_manifestURL;
    double m_timeout = kTimeout;
    Opener m_opener;
    Scheduler &m_scheduler;
    QNetworkAccessManager *m_network = nullptr;
    quint64 m_generation = 0;
    QList<std::shared_ptr<Exchange>> m_exchanges;
};

} // namespace brivello
