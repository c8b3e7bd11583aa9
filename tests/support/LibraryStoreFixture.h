#pragma once

#include "library/LibraryStore.h"
#include "platform/Scheduler.h"
#include "playback/WaveformPreloadQueue.h"

#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

// Readable failure messages for Qt text.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace brivello::testing {

// Remembers what the store handed to the waveform preloader.
class RecordingPreloadQueue : public WaveformPreloadQueue
{
public:
    void enqueue(const QList<QUrl> &urls) override { calls.append(urls); }
    QList<QList<QUrl>> calls;
};

struct MetadataLoadCall
{
    QList<Track> tracks;
    MetadataDestination destination;
};

// Clean user defaults, virtual time, recorded metadata loads and waveform preloads, and a
// temporary folder for audio files. Stores are made with makeStore() after any set-up.
class LibraryStoreFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    LibraryStore &makeStore();
    // Drops the store (it never outlives the fixture).
    void dropStore() { m_store.reset(); }
    LibraryStore &store() { return *m_store; }

    // Creates an empty file (and its folders) under the temporary folder.
    QUrl touch(const QString &relativePath, const QByteArray &content = {});
    QString path(const QString &relativePath) const;
    QUrl url(const QString &relativePath) const;
    // Gives the store one favourite playlist track per file name (no file is made); their ids.
    QList<QUuid> setFavouriteTracks(const QStringList &fileNames);

    // Runs the event loop until `done` holds (or a generous safety limit passes).
    static bool spinUntil(const std::function<bool()> &done);
    // Runs imports to their end: waits for the completion.
    QList<QUuid> importAndWait(const QList<QUrl> &urls);

    VirtualScheduler m_scheduler;
    RecordingPreloadQueue m_preloads;
    QList<MetadataLoadCall> m_metadataLoads;
    // What makeStore() builds the store with: the virtual time, and the recorders of its
    // metadata loads and waveform preloads. A test may change it before makeStore().
    LibraryStoreServices m_services;
    QTemporaryDir m_dir;
    std::unique_ptr<LibraryStore> m_store;
};

} // namespace brivello::testing
