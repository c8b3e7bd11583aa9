#include "LibraryWaveformPreloading.h"

#include "library/LibrarySections.h"
#include "library/LibraryStore.h"
#include "platform/LocalFile.h"

#include <QHash>

namespace brivello {

namespace {

QByteArray standardizedPath(const QUrl &url)
{
    return LocalFile::cleanPath(LocalFile::nativePath(url));
}

QList<Track> converterTracks(const LibraryStore &store)
{
    QHash<QByteArray, const Track *> byPath;
    for (const Track &track : store.tracks()) {
        const QByteArray path = standardizedPath(track.url);
        if (!byPath.contains(path))
            byPath.insert(path, &track);
    }
    QList<Track> list;
    for (const ConversionItem &item : store.conversionItems()) {
        if (const Track *known = byPath.value(standardizedPath(item.url))) {
            list.append(*known);
            continue;
        }
        Track made = Track::make(item.url);
        made.isInPlaylist = true;
        list.append(made);
    }
    return list;
}

} // namespace

QList<Track> LibraryWaveformPreloading::activeSectionTracks(const LibraryStore &store)
{
    switch (store.activeTab()) {
    case LibraryTab::playlist:
        return store.sections().playlistTracks();
    case LibraryTab::favorites:
        return store.sections().visibleTracks();
    case LibraryTab::covers:
        return store.sections().coverTracks();
    case LibraryTab::converter:
        return converterTracks(store);
    case LibraryTab::analysis:
        return store.analysisTracks();
    case LibraryTab::duplicates:
        return store.duplicateTracks();
    }
    return {};
}

void LibraryWaveformPreloading::prioritizeWaveformsForPlayback(const LibraryStore &store,
                                                               const QUuid &trackID,
                                                               WaveformPreloadQueue &queue)
{
    const QList<Track> list = activeSectionTracks(store);
    const auto found = std::find_if(
        list.begin(), list.end(), [&trackID](const Track &track) { return track.id == trackID; });
    if (found == list.end())
        return;
    const QUrl current = found->url;
    const qsizetype index = found - list.begin();
    const QList<QUrl> following = urlsOf(list.mid(index + 1, kFollowingCount));
    QMetaObject::invokeMethod(
        &queue,
        [queue = &queue, current, following] { queue->prioritizePlayback(current, following); },
        Qt::QueuedConnection);
}

} // namespace brivello
