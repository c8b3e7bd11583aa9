#include "workspaces/ConversionRun.h"

#include "audiofiles/FFmpegExecutable.h"
#include "support/AudioFixtures.h"
#include "support/LibraryStoreFixture.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace brivello;
using brivello::testing::LibraryStoreFixture;
using Status = ConversionItem::Status;
using Tone = WorkspaceStatus::Tone;

namespace {

// A stub ffmpeg: fails for sources whose name holds "bad", else writes the bit rate argument
// into the output (the last argument).
constexpr auto kStubFFmpeg = R"(
for last; do :; done
case "$4" in *bad*) echo "stub: cannot read $4"; exit 1;; esac
prev=""; rate=""
for a; do [ "$prev" = "-b:a" ] && rate="$a"; prev="$a"; done
printf '%s' "$rate" > "$last"
)";

class ConversionRunTest : public LibraryStoreFixture
{
protected:
    void SetUp() override
    {
        LibraryStoreFixture::SetUp();
        makeStore();
        m_run = new ConversionRun(store());
    }
    void TearDown() override
    {
        FFmpegExecutable::setPlacesForTesting(std::nullopt);
        LibraryStoreFixture::TearDown();
    }
    void useStub()
    {
        test::writeScript(path(QStringLiteral("bin/ffmpeg")), QString::fromUtf8(kStubFFmpeg));
        FFmpegExecutable::setPlacesForTesting(
            FFmpegExecutable::SearchPlaces{{}, {}, path(QStringLiteral("bin"))});
    }
    ConversionItem item(const QString &name, Status::Kind kind = Status::waiting)
    {
        return {QUuid::createUuid(), touch(name, "audio"), {kind, {}}, std::nullopt};
    }
    bool runToEnd()
    {
        QSignalSpy finished(m_run, &ConversionRun::runFinished);
        m_run->convertQueuedItems();
        return spinUntil([&finished] { return !finished.isEmpty(); });
    }
    QString output(int index) const
    {
        QFile file(m_store->conversionItems()[index].outputURL.value_or(QUrl()).toLocalFile());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    ConversionRun *m_run = nullptr;
};

TEST_F(ConversionRunTest, ConvertsWaitingItemsAndReportsFailuresApart)
{
    useStub();
    store().setConversionItems({item(QStringLiteral("a.wav")),
                                item(QStringLiteral("bad.wav")),
                                item(QStringLiteral("done.wav"), Status::completed),
                                item(QStringLiteral("c.flac"))});
    ASSERT_TRUE(runToEnd());
    const QList<ConversionItem> &items = store().conversionItems();
    EXPECT_EQ(items[0].status.kind, Status::completed);
    EXPECT_EQ(output(0), QStringLiteral("320k"));
    EXPECT_EQ(items[1].status.kind, Status::failed);
    EXPECT_TRUE(items[1].status.message.startsWith(QStringLiteral("stub: cannot read")));
    EXPECT_FALSE(items[1].outputURL);
    EXPECT_FALSE(items[2].outputURL); // completed before: not taken again
    EXPECT_EQ(items[3].status.kind, Status::completed);
    ASSERT_TRUE(store().workspaceStatus());
    EXPECT_EQ(store().workspaceStatus()->message, QStringLiteral("Конвертировано: 2 · Ошибок: 1"));
    EXPECT_EQ(store().workspaceStatus()->tone, Tone::warning);
    m_scheduler.advance(4.9);
    EXPECT_TRUE(store().workspaceStatus());
    m_scheduler.advance(0.2);
    EXPECT_FALSE(store().workspaceStatus());
}

// One run at a time: a second call hands its new items to the running one, an item removed
// meanwhile is skipped, and the bit rate is read afresh for each item.
TEST_F(ConversionRunTest, SecondCallJoinsTheRunningOne)
{
    useStub();
    store().setConversionItems({item(QStringLiteral("a.wav")), item(QStringLiteral("b.wav"))});
    QSignalSpy finished(m_run, &ConversionRun::runFinished);
    m_run->convertQueuedItems();
    EXPECT_TRUE(m_run->isRunning());
    EXPECT_EQ(store().conversionItems()[0].status.kind, Status::converting);
    QList<ConversionItem> items = store().conversionItems();
    items.append(item(QStringLiteral("c.wav")));
    store().setConversionItems(items);
    store().settings().setConverterBitrate(192);
    m_run->convertQueuedItems();
    m_run->removeConversionItem(items[1].id);
    ASSERT_TRUE(spinUntil([&finished] { return !finished.isEmpty(); }));
    EXPECT_EQ(finished.size(), 1);
    ASSERT_EQ(store().conversionItems().size(), 2);
    EXPECT_EQ(output(1), QStringLiteral("192k"));
    EXPECT_EQ(store().workspaceStatus()->message, QStringLiteral("Конвертация завершена: 2"));
    EXPECT_FALSE(m_run->isRunning());
}

TEST_F(ConversionRunTest, WithoutFFmpegEveryItemFailsWithTheInstallHint)
{
    FFmpegExecutable::setPlacesForTesting(FFmpegExecutable::SearchPlaces{});
    store().setConversionItems({item(QStringLiteral("a.wav")), item(QStringLiteral("b.wav"))});
    ASSERT_TRUE(runToEnd());
    for (const ConversionItem &entry : store().conversionItems())
        EXPECT_TRUE(entry.status.message.contains(QStringLiteral("FFmpeg")));
    EXPECT_EQ(store().workspaceStatus()->message, QStringLiteral("Конвертировано: 0 · Ошибок: 2"));
}

TEST_F(ConversionRunTest, RemovingTheFocusedItemMovesFocusIntoTheSelection)
{
    const ConversionItem a = item(QStringLiteral("a.wav"));
    const ConversionItem b = item(QStringLiteral("b.wav"));
    store().setConversionItems({a, b});
    store().setConverterSelectedItemIDs({a.id, b.id});
    store().setConverterFocusedItemID(a.id);
    m_run->removeConversionItem(a.id);
    EXPECT_EQ(store().converterFocusedItemID(), b.id);
    m_run->removeConversionItem(b.id);
    EXPECT_FALSE(store().converterFocusedItemID());
    EXPECT_TRUE(store().conversionItems().isEmpty());
}

TEST_F(ConversionRunTest, RealFFmpegWritesMp3AtTheChosenBitRate)
{
    test::makeTone(path(QStringLiteral("tone.wav")), 1.0);
    store().settings().setConverterBitrate(256);
    store().setConversionItems(
        {{QUuid::createUuid(), url(QStringLiteral("tone.wav")), {}, std::nullopt}});
    ASSERT_TRUE(runToEnd());
    const ConversionItem &done = store().conversionItems().first();
    ASSERT_EQ(done.status.kind, Status::completed) << done.status.message.toStdString();
    const QJsonObject probe = test::ffprobe(done.outputURL->toLocalFile());
    const QJsonObject stream = probe[QStringLiteral("streams")].toArray().first().toObject();
    EXPECT_EQ(stream[QStringLiteral("codec_name")].toString(), QStringLiteral("mp3"));
    EXPECT_EQ(stream[QStringLiteral("bit_rate")].toString(), QStringLiteral("256000"));
}

} // namespace
