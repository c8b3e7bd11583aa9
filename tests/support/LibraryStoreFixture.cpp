#include "LibraryStoreFixture.h"

#include "library/TrackImporter.h"
#include "platform/Defaults.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace brivello::testing {

void LibraryStoreFixture::SetUp()
{
    Defaults::standard().resetForTesting();
    // The store's parts (the workspace runs, the analysis scheduler, the views over the store)
    // take their time from the store's services too.
    m_services.scheduler = &m_scheduler;
    m_services.metadataLoads = [this](const QList<Track> &tracks, MetadataDestination destination) {
        m_metadataLoads.append({tracks, destination});
    };
    m_services.waveformPreloads = [this](const QList<QUrl> &urls) { m_preloads.enqueue(urls); };
    ASSERT_TRUE(m_dir.isValid());
}

void LibraryStoreFixture::TearDown()
{
    m_store.reset();
    // Let queued work of the dropped store run out before the fakes go away.
    QCoreApplication::processEvents();
}

LibraryStore &LibraryStoreFixture::makeStore()
{
    m_store = std::make_unique<LibraryStore>(Defaults::standard(), m_services);
    return *m_store;
}

QString LibraryStoreFixture::path(const QString &relativePath) const
{
    return m_dir.path() + QLatin1Char('/') + relativePath;
}

QUrl LibraryStoreFixture::url(const QString &relativePath) const
{
    return QUrl::fromLocalFile(path(relativePath));
}

QList<QUuid> LibraryStoreFixture::setFavouriteTracks(const QStringList &fileNames)
{
    QList<Track> tracks;
    for (const QString &name : fileNames) {
        Track track = Track::make(url(name));
        track.isFavorite = true;
        track.isInPlaylist = true;
        tracks.append(track);
    }
    store().setTracks(tracks);
    return idsOf(tracks);
}

QUrl LibraryStoreFixture::touch(const QString &relativePath, const QByteArray &content)
{
    const QString file = path(relativePath);
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile out(file);
    EXPECT_TRUE(out.open(QIODevice::WriteOnly)) << file.toStdString();
    out.write(content);
    return QUrl::fromLocalFile(file);
}

bool LibraryStoreFixture::spinUntil(const std::function<bool()> &done)
{
    QDeadlineTimer limit(60000);
    while (!done()) {
        if (limit.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

QList<QUuid> LibraryStoreFixture::importAndWait(const QList<QUrl> &urls)
{
    std::optional<QList<QUuid>> result;
    store().importer().importURLs(urls, [&result](const QList<QUuid> &ids) { result = ids; });
    EXPECT_TRUE(spinUntil([&result] { return result.has_value(); }));
    return result.value_or(QList<QUuid>{});
}

} // namespace brivello::testing
