#include "UpdateManager.h"

#include <QCoreApplication>
#include <QDesktopServices>

namespace brivello {

UpdateManager::UpdateManager(QObject *parent)
    : QObject(parent)
{}

QString UpdateManager::currentVersion() const
{
    const QString version = QCoreApplication::applicationVersion();
    return version.isEmpty() ? QStringLiteral("1.0") : version;
}

QCoro::Task<> UpdateManager::checkForUpdates()
{
    co_return;
}

void UpdateManager::downloadAvailableRelease()
{
    if (m_availableRelease)
        QDesktopServices::openUrl(m_availableRelease->downloadURL);
}

void UpdateManager::setState(State state, std::optional<Release> release, const QString &errorText)
{
    if (state != State::available)
        release.reset();
    const bool releaseChanged = release != m_availableRelease;
    const bool changed = releaseChanged || state != m_state || errorText != m_errorText;
    m_state = state;
    m_availableRelease = std::move(release);
    m_errorText = errorText;
    if (changed)
        emit stateChanged();
    if (releaseChanged)
        emit availableReleaseChanged();
}

} // namespace brivello
