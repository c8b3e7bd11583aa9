#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSet>
#include <QUrl>
#include <QUuid>
#include <qcoro/qcorotask.h>

namespace brivello {

class LibraryStore;

// Writes one cover into many library files, one after another under each file's write lock,
// with one retry per file, progress lines and a failure summary. Main thread; a child of the
// store. Batches on disjoint tracks may run side by side; the store's artworkWritingIDs keeps
// them apart.
class CoverArtBatch : public QObject
{
    Q_OBJECT
public:
    explicit CoverArtBatch(LibraryStore &store);

    void assignArtwork(const QByteArray &imageData, const QSet<QUuid> &ids);

    static constexpr double kRetryDelay = 0.12;
    static constexpr int kProgressInterval = 12;

signals:
    void batchFinished();

private:
    struct Failure
    {
        QUrl url;
        QString description;
    };
    QCoro::Task<> run(QList<QUuid> targetIDs, QByteArray artwork);
    // The error text of a failed attempt, or nothing when the file was written.
    QCoro::Task<std::optional<QString>> attempt(QUuid id, QByteArray artwork, QUrl fallbackURL);
    void finish(const QList<QUuid> &targetIDs,
                const QSet<QUuid> &writtenIDs,
                const QByteArray &artwork,
                const QList<Failure> &failures);

    LibraryStore &m_store;
};

} // namespace brivello
