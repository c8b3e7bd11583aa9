#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QUuid>
#include <functional>

namespace brivello {

// The store-side workspace operations the section views call: the conversion run, the cover
// batch and the duplicate search. The window hands in the store's; tests hand in recorders.
struct WorkspaceActions
{
    std::function<void()> convertQueuedItems;
    std::function<void(const QUuid &)> removeConversionItem;
    std::function<void(const QByteArray &, const QSet<QUuid> &)> assignArtwork;
    std::function<void()> findDuplicates;
    std::function<void()> clearDuplicateWorkspace;
    // The files marked in the duplicate card of that group id.
    std::function<void(const QString &)> trashMarkedTracks;
};

} // namespace brivello
