#pragma once

#include <QObject>
#include <QString>
#include <QUrl>
#include <optional>
#include <qcoro/qcorotask.h>

namespace brivello {

// The update checker's published state. Main thread; one per process, owned by the
// application. The web request of the check is not wired in yet: a check leaves the state
// as it finds it.
class UpdateManager : public QObject
{
    Q_OBJECT
public:
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

    explicit UpdateManager(QObject *parent = nullptr);

    State state() const { return m_state; }
    std::optional<Release> availableRelease() const { return m_availableRelease; }
    QString errorText() const { return m_errorText; }
    // The application's version, "1.0" when none is set.
    QString currentVersion() const;

    QCoro::Task<> checkForUpdates();
    // Opens the available release's download address; nothing without one.
    void downloadAvailableRelease();

    // Publishes a state; `available` carries its release, every other state none.
    void setState(State state,
                  std::optional<Release> release = std::nullopt,
                  const QString &errorText = {});

signals:
    void stateChanged();
    void availableReleaseChanged();

private:
    State m_state = State::idle;
    std::optional<Release> m_availableRelease;
    QString m_errorText;
};

} // namespace brivello
