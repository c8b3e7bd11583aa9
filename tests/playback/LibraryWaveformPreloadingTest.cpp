#include "playback/LibraryWaveformPreloading.h"

#include "library/TrackImporter.h"
#include "support/LibraryStoreFixture.h"

#include <QCoreApplication>

namespace brivello::testing {

namespace {

class PrioritizingQueue : public WaveformPreloadQueue
{
public:
    void prioritizePlayback(const QUrl &current, const QList<QUrl> &following) override
    {
        calls.append({current, following});
    }
    QList<QPair<QUrl, QList<QUrl>>> calls;
};

} // namespace

class LibraryWaveformPreloadingTest : public LibraryStoreFixture
{
protected:
    QList<QPair<QUrl, QList<QUrl>>> prioritize(const QUuid &id)
    {
        m_queue.calls.clear();
        LibraryWaveformPreloading::prioritizeWaveformsForPlayback(store(), id, m_queue);
        QCoreApplication::processEvents();
        return m_queue.calls;
    }

    PrioritizingQueue m_queue;
};

TEST_F(LibraryWaveformPreloadingTest, HandsTheTrackAndTheTwoAfterItInTheActiveSection)
{
    makeStore();
    const QList<QUrl> urls{touch(QStringLiteral("a.mp3")),
                           touch(QStringLiteral("b.mp3")),
                           touch(QStringLiteral("c.mp3")),
                           touch(QStringLiteral("d.mp3"))};
    const QList<QUuid> ids = importAndWait(urls);
    ASSERT_EQ(ids.size(), 4);
    using Call = QPair<QUrl, QList<QUrl>>;
    EXPECT_EQ(prioritize(ids[1]), QList<Call>{Call(urls[1], {urls[2], urls[3]})});
    EXPECT_EQ(prioritize(ids[3]), QList<Call>{Call(urls[3], {})});
    EXPECT_TRUE(prioritize(QUuid::createUuid()).isEmpty());
    store().setActiveTab(LibraryTab::analysis);
    EXPECT_TRUE(prioritize(ids[1]).isEmpty()) << "playing from another section";
}

TEST_F(LibraryWaveformPreloadingTest, ConverterItemsBecomeLibraryTracksOfTheSamePath)
{
    makeStore();
    const QUrl known = touch(QStringLiteral("known.mp3"));
    const QUrl other = touch(QStringLiteral("other.wav"));
    const QList<QUuid> ids = importAndWait({known});
    ASSERT_EQ(ids.size(), 1);
    store().importer().importForConversion(
        {QUrl::fromLocalFile(path(QStringLiteral(".//known.mp3"))), other});
    spinUntil([this] { return store().conversionItems().size() == 2; });
    store().setActiveTab(LibraryTab::converter);

    const QList<Track> list = LibraryWaveformPreloading::activeSectionTracks(store());
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list[0].id, ids[0]);
    EXPECT_NE(list[1].id, LibraryWaveformPreloading::activeSectionTracks(store())[1].id)
        << "a file outside the library gets a fresh id each time";
    EXPECT_EQ(list[1].format, QStringLiteral("WAV"));
    EXPECT_EQ(prioritize(ids[0]).size(), 1);
}

} // namespace brivello::testing
