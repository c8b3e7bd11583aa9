#pragma once

#include "platform/Scheduler.h"

#include <QtGlobal>
#include <qcoro/qcorotask.h>

namespace brivello {

class LibraryStore;
struct WorkspaceSession;

// Keeps the store's workspace snapshot in the user defaults: restores it at start (keeping an
// unreadable one aside), and saves it debounced, in the background, or at once. Part of
// LibraryStore; main thread.
class WorkspaceSessionKeeper
{
public:
    explicit WorkspaceSessionKeeper(LibraryStore &store);
    ~WorkspaceSessionKeeper();

    // Saves at once: the snapshot is encoded and stored before this returns. Called when
    // the window deactivates or closes and on quit, so no recent change is lost.
    void saveWorkspaceSessionNow();
    // Debounced request: a background save 0.35 s after the last request.
    void scheduleWorkspaceSave();
    // Takes the snapshot now, encodes it off the main thread and stores it unless a newer
    // snapshot was taken meanwhile.
    QCoro::Task<> saveWorkspaceSessionInBackground();
    void cancelPendingSave() { m_sessionSaveWorkItem.cancel(); }
    bool isRestoringWorkspaceSession() const { return m_isRestoringWorkspaceSession; }
    bool hasPendingWorkspaceSave() const { return m_sessionSaveWorkItem.isPending(); }
    void restoreWorkspaceSession();

private:
    WorkspaceSession makeWorkspaceSession();
    void preserveUnreadableSnapshot();

    LibraryStore &m_store;
    ScheduledWork m_sessionSaveWorkItem;
    qint64 m_workspaceSaveRevision = 0;
    bool m_isRestoringWorkspaceSession = false;
};

} // namespace brivello
