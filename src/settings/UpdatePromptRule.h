#pragma once

#include "settings/UpdateManager.h"

#include <QString>
#include <functional>
#include <optional>

namespace brivello {

// Decides whether a found release is announced: a new version at once, the same version again
// at most once a day. Records what it announced under "lastUpdatePromptVersion" and
// "lastUpdatePromptDate". Main thread.
class UpdatePromptRule
{
public:
    static constexpr double kRepeatInterval = 86400;

    // Wall clock in seconds since 1970; tests pass their own.
    using Clock = std::function<double()>;
    explicit UpdatePromptRule(Clock clock = {});

    static bool
    shouldAnnounce(const QString &version, const QString &lastVersion, double lastDate, double now);

    // Returns the release to show, having stored its version and the time; none otherwise.
    std::optional<UpdateManager::Release>
    releaseToPresent(const std::optional<UpdateManager::Release> &release) const;

private:
    Clock m_clock;
};

} // namespace brivello
