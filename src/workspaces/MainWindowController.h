#pragma once

#include "SectionCounts.h"
#include "library/LibraryStore.h"
#include "settings/UpdateManager.h"
#include "settings/UpdatePromptRule.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <optional>

namespace brivello {

class AudioPlayer;

// The main window's logic without its widgets: section switching with selection memory, the
// playlist's selection follow-up, the end-of-track rule, the update prompt and the language
// change. Main thread; owned by the main window.
class MainWindowController : public QObject
{
    Q_OBJECT
public:
    MainWindowController(LibraryStore &store,
                         AudioPlayer &player,
                         UpdateManager &updates,
                         QObject *parent = nullptr);

    LibraryStore &store() const { return m_store; }
    AudioPlayer &player() const { return m_player; }
    UpdateManager &updates() const { return m_updates; }
    // The counts the sidebar and its status block show, kept for this window's store.
    const SectionCounts &sectionCounts() const { return m_sectionCounts; }

    // The one operation that switches sections.
    void activateTab(LibraryStore::LibraryTab tab);
    // The window was shown: link the store and the player, start an update check.
    void windowAppeared();

    // Plays the next visible track after a track ended; installed by the playlist.
    void setPlayNextAfterCompletion(std::function<void()> action)
    {
        m_playNext = std::move(action);
    }
    void setUpdatePromptRule(UpdatePromptRule rule) { m_promptRule = std::move(rule); }
    void presentUpdatePromptIfNeeded(const std::optional<UpdateManager::Release> &release);
    std::optional<UpdateManager::Release> updatePromptRelease() const { return m_promptRelease; }
    void clearUpdatePrompt() { m_promptRelease.reset(); }

signals:
    void updatePromptRequested(const brivello::UpdateManager::Release &release);

private:
    void selectedIDChanged();
    void playbackDidFinish();
    void languageSettingChanged();

    LibraryStore &m_store;
    AudioPlayer &m_player;
    UpdateManager &m_updates;
    SectionCounts m_sectionCounts;
    UpdatePromptRule m_promptRule;
    std::optional<UpdateManager::Release> m_promptRelease;
    std::optional<QUuid> m_lastSelectedID;
    QString m_language;
    bool m_switching = false;
    std::function<void()> m_playNext;
};

} // namespace brivello
