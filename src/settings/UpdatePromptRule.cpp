#include "UpdatePromptRule.h"

#include "platform/Defaults.h"

#include <QDateTime>

namespace brivello {

namespace {
const QString kVersionKey = QStringLiteral("lastUpdatePromptVersion");
const QString kDateKey = QStringLiteral("lastUpdatePromptDate");
} // namespace

UpdatePromptRule::UpdatePromptRule(Clock clock)
    : m_clock(std::move(clock))
{
    if (!m_clock)
        m_clock = [] { return QDateTime::currentMSecsSinceEpoch() / 1000.0; };
}

bool UpdatePromptRule::shouldAnnounce(const QString &version,
                                      const QString &lastVersion,
                                      double lastDate,
                                      double now)
{
    return version != lastVersion || now - lastDate >= kRepeatInterval;
}

std::optional<UpdateManager::Release>
UpdatePromptRule::releaseToPresent(const std::optional<UpdateManager::Release> &release) const
{
    if (!release)
        return std::nullopt;
    Defaults &defaults = Defaults::standard();
    const double now = m_clock();
    if (!shouldAnnounce(
            release->version, defaults.string(kVersionKey), defaults.real(kDateKey), now))
        return std::nullopt;
    defaults.set(kVersionKey, release->version);
    defaults.set(kDateKey, now);
    return release;
}

} // namespace brivello
