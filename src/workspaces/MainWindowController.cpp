#include "MainWindowController.h"

#include "library/AudioPlayer.h"
#include "library/LibrarySections.h"
#include "library/WorkspaceSessionKeeper.h"
#include "platform/AppLanguage.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "settings/ShellSettings.h"

#include <QLocale>
#include <QTimer>
#include <qcoro/qcorotask.h>

namespace brivello {

namespace {

QLocale localeFor(const QString &language)
{
    return QLocale(language == QLatin1String("en") ? QStringLiteral("en") : QStringLiteral("ru"));
}

} // namespace

MainWindowController::MainWindowController(LibraryStore &store,
                                           AudioPlayer &player,
                                           UpdateManager &updates,
                                           QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_player(player)
    , m_updates(updates)
    , m_sectionCounts(store)
{
    m_lastSelectedID = m_store.selectedID();
    m_language = ShellSettings::standard().appLanguage();
    QLocale::setDefault(localeFor(m_language));
    connect(
        &m_store, &LibraryStore::selectedIDChanged, this, &MainWindowController::selectedIDChanged);
    connect(&m_updates, &UpdateManager::availableReleaseChanged, this, [this] {
        presentUpdatePromptIfNeeded(m_updates.availableRelease());
    });
    connect(&ShellSettings::standard(),
            &ShellSettings::appLanguageChanged,
            this,
            &MainWindowController::languageSettingChanged);
    NotificationCenter::defaultCenter().observe(
        brivelloPlaybackDidFinish, nullptr, this, [this](const Notification &) {
            playbackDidFinish();
        });
}

void MainWindowController::windowAppeared()
{
    m_store.setAudioPlayer(&m_player);
    // Not kept: the result arrives through availableReleaseChanged.
    [](UpdateManager *updates) -> QCoro::Task<> {
        co_await updates->checkForUpdates();
    }(&m_updates);
}

void MainWindowController::activateTab(LibraryStore::LibraryTab tab)
{
    if (m_store.activeTab() == tab)
        return;
    m_switching = true;
    m_store.setIsEditingMetadata(false);
    m_store.sections().rememberSelection(m_store.activeTab());
    const LibrarySections::SelectionState state = m_store.sections().selectionState(tab);
    m_store.setSelectedID(state.focusedID);
    m_store.setSelectedIDs(state.ids);
    m_store.setActiveTab(tab);
    m_lastSelectedID = m_store.selectedID();
    m_switching = false;
    if (tab == LibraryStore::LibraryTab::favorites && state.focusedID) {
        const QUuid focused = *state.focusedID;
        QTimer::singleShot(0, this, [focused] {
            NotificationCenter::defaultCenter().post(
                brivelloFocusFavoriteTrack, nullptr, {{kUserInfoTrackID, focused}});
        });
    }
}

void MainWindowController::selectedIDChanged()
{
    const std::optional<QUuid> id = m_store.selectedID();
    if (id == m_lastSelectedID)
        return;
    m_lastSelectedID = id;
    if (m_switching || m_store.activeTab() != LibraryStore::LibraryTab::playlist)
        return;
    if (!m_store.selectedIDs().isEmpty())
        return;
    m_store.setSelectedIDs(id ? QSet<QUuid>{*id} : QSet<QUuid>{});
    m_store.session().scheduleWorkspaceSave();
}

void MainWindowController::playbackDidFinish()
{
    const LibraryStore::LibraryTab tab = m_store.activeTab();
    if (tab == LibraryStore::LibraryTab::converter || tab == LibraryStore::LibraryTab::duplicates)
        return;
    if (m_playNext)
        m_playNext();
}

void MainWindowController::presentUpdatePromptIfNeeded(
    const std::optional<UpdateManager::Release> &release)
{
    const std::optional<UpdateManager::Release> shown = m_promptRule.releaseToPresent(release);
    if (!shown)
        return;
    m_promptRelease = shown;
    emit updatePromptRequested(*shown);
}

void MainWindowController::languageSettingChanged()
{
    const QString language = ShellSettings::standard().appLanguage();
    if (language == m_language)
        return;
    m_language = language;
    QLocale::setDefault(localeFor(language));
    NotificationCenter::defaultCenter().post(brivelloLanguageDidChange);
}

} // namespace brivello
