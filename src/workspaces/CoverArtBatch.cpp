#include "CoverArtBatch.h"

#include "CoverArtImage.h"
#include "audiofiles/MetadataWriteCoordinator.h"
#include "audiofiles/WriteError.h"
#include "library/LibraryStore.h"
#include "platform/BrivelloLocalization.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "platform/Scheduler.h"

#include <QFileInfo>
#include <QPointer>

namespace brivello {

namespace {
const QString kIcon = QStringLiteral("photo.badge.plus");

std::optional<Track> trackWithID(const LibraryStore &store, const QUuid &id)
{
    for (const Track &track : store.tracks()) {
        if (track.id == id)
            return track;
    }
    return std::nullopt;
}
} // namespace

CoverArtBatch::CoverArtBatch(LibraryStore &store)
    : QObject(&store)
    , m_store(store)
{}

void CoverArtBatch::assignArtwork(const QByteArray &imageData, const QSet<QUuid> &ids)
{
    const std::optional<QByteArray> artwork = CoverArtImage::normalizedArtworkData(imageData);
    if (!artwork) {
        m_store.setLastError(
            QStringLiteral("Не удалось подготовить выбранное изображение для обложки."));
        return;
    }
    QList<QUuid> targetIDs;
    for (const Track &track : m_store.tracks()) {
        if (ids.contains(track.id))
            targetIDs.append(track.id);
    }
    if (m_store.artworkWritingIDs().intersects(ids)) {
        m_store.showStatus(QStringLiteral("Дождитесь завершения текущей записи обложек"),
                           kIcon,
                           WorkspaceStatus::Tone::warning);
        return;
    }
    if (targetIDs.isEmpty())
        return;
    QSet<QUuid> writing = m_store.artworkWritingIDs();
    for (const QUuid &id : std::as_const(targetIDs))
        writing.insert(id);
    m_store.setArtworkWritingIDs(std::move(writing));
    m_store.showStatus(BrivelloLocalization::format(QStringLiteral("Сохраняем обложку: %d"),
                                                    static_cast<int>(targetIDs.size())),
                       kIcon,
                       WorkspaceStatus::Tone::success);
    [](QCoro::Task<> task) -> QCoro::Task<> { co_await task; }(run(targetIDs, *artwork));
}

QCoro::Task<> CoverArtBatch::run(QList<QUuid> targetIDs, QByteArray artwork)
{
    QPointer<CoverArtBatch> self(this);
    QSet<QUuid> writtenIDs;
    QList<Failure> failures;
    const int count = static_cast<int>(targetIDs.size());
    QHash<QUuid, QUrl> startURLs;
    for (const Track &track : m_store.tracks())
        startURLs.insert(track.id, track.url);
    for (int index = 0; index < count; ++index) {
        const QUuid id = targetIDs[index];
        const QUrl startURL = startURLs.value(id);
        std::optional<QString> error = co_await attempt(id, artwork, startURL);
        if (!self)
            co_return;
        if (error) {
            // The lock is not held while waiting; whatever held the file up may let go.
            co_await m_store.services().schedulerService().sleep(kRetryDelay);
            if (!self)
                co_return;
            error = co_await attempt(id, artwork, startURL);
            if (!self)
                co_return;
        }
        if (error) {
            const std::optional<Track> current = trackWithID(m_store, id);
            failures.append({current ? current->url : startURL, *error});
        } else {
            writtenIDs.insert(id);
        }
        const int processed = index + 1;
        if (processed < count && processed % kProgressInterval == 0) {
            m_store.showStatus(BrivelloLocalization::format(
                                   QStringLiteral("Сохраняем обложку: %d из %d"), processed, count),
                               kIcon,
                               WorkspaceStatus::Tone::success,
                               30.0);
        }
    }
    finish(targetIDs, writtenIDs, artwork, failures);
}

// Looks the track up now, so the tags written are the ones it has at this moment.
QCoro::Task<std::optional<QString>>
CoverArtBatch::attempt(QUuid id, QByteArray artwork, QUrl fallbackURL)
{
    const std::optional<Track> track = trackWithID(m_store, id);
    if (!track) {
        co_return WriteError(WriteError::Kind::fileNotFound,
                             QFileInfo(fallbackURL.toLocalFile()).fileName())
            .errorDescription();
    }
    try {
        co_await MetadataWriteCoordinator::shared().assignArtwork(artwork, track->tags, track->url);
    } catch (const WriteError &error) {
        co_return error.errorDescription();
    } catch (const std::exception &error) {
        co_return QString::fromLocal8Bit(error.what());
    }
    co_return std::nullopt;
}

void CoverArtBatch::finish(const QList<QUuid> &targetIDs,
                           const QSet<QUuid> &writtenIDs,
                           const QByteArray &artwork,
                           const QList<Failure> &failures)
{
    if (!writtenIDs.isEmpty()) {
        QList<Track> tracks = m_store.tracks();
        for (Track &track : tracks) {
            if (writtenIDs.contains(track.id))
                track.artwork = QImage::fromData(artwork);
        }
        m_store.setTracks(std::move(tracks));
    }
    QSet<QUuid> writing = m_store.artworkWritingIDs();
    for (const QUuid &id : targetIDs)
        writing.remove(id);
    m_store.setArtworkWritingIDs(std::move(writing));
    NotificationCenter::defaultCenter().post(
        brivelloTrackMetadataDidChange, nullptr, {{QStringLiteral("artworkBatch"), true}});
    const int written = static_cast<int>(writtenIDs.size());
    const int failed = static_cast<int>(failures.size());
    if (failed > 0) {
        m_store.setLastError(BrivelloLocalization::format(
            QStringLiteral("Не удалось сохранить обложку в %d из %d файлов. Первый файл: %@. %@"),
            failed,
            static_cast<int>(targetIDs.size()),
            QFileInfo(failures.first().url.toLocalFile()).fileName(),
            failures.first().description));
        m_store.showStatus(BrivelloLocalization::format(
                               QStringLiteral("Сохранено %d, ошибок: %d"), written, failed),
                           QStringLiteral("exclamationmark.triangle"),
                           WorkspaceStatus::Tone::warning);
    } else {
        m_store.showStatus(
            BrivelloLocalization::format(QStringLiteral("Обложка сохранена: %d"), written),
            kIcon,
            WorkspaceStatus::Tone::success);
    }
    emit batchFinished();
}

} // namespace brivello
