#include "audiofiles/FFmpegExecutable.h"
#include "library/LibrarySections.h"
#include "library/TrackImporter.h"
#include "platform/Defaults.h"
#include "platform/HeldTemporaryFile.h"
#include "platform/LocalFile.h"
#include "shell/ActionButton.h"
#include "support/AudioFixtures.h"
#include "support/ChildProcesses.h"
#include "support/TestAudioFiles.h"
#include "support/ui/EndToEndFixture.h"
#include "workspaces/ui/ConverterView.h"
#include "workspaces/ui/CoverManager.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHelpEvent>
#include <QMap>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <cstdio>
#include <unistd.h>

namespace brivello {
namespace {

using test::TestAudioFiles;

// The covers and converter sections driven from their own buttons in the real window.
class CoversConverterEndToEndTest : public testing::EndToEndFixture
{
protected:
    void TearDown() override
    {
        EndToEndFixture::TearDown();
        // QTemporaryDir cannot remove names that are not UTF-8.
        TestAudioFiles::run(QStringLiteral("rm"), {QStringLiteral("-rf"), path(QString())});
    }
    // ffprobe's key=value lines for the first audio stream and the container's duration.
    static QMap<QString, QString> probeStream(const QString &file)
    {
        const auto probe = TestAudioFiles::run("ffprobe",
                                               {"-v",
                                                "error",
                                                "-select_streams",
                                                "a:0",
                                                "-show_entries",
                                                "stream=codec_name,bit_rate:format=duration",
                                                "-of",
                                                "default=nw=1",
                                                file});
        EXPECT_TRUE(probe.ok()) << probe.err.toStdString();
        QMap<QString, QString> values;
        for (const QString &line : QString::fromUtf8(probe.out).split('\n', Qt::SkipEmptyParts))
            values.insert(line.section('=', 0, 0), line.section('=', 1));
        return values;
    }
};

TEST_F(CoversConverterEndToEndTest, AssignCoverWritesThePictureIntoFlacAndMp3)
{
    const QString flac = makeAudio(QStringLiteral("covers/a.flac"));
    const QString mp3 = makeAudio(QStringLiteral("covers/b.mp3"));
    const QString png = path(QStringLiteral("cover.png"));
    const QByteArray picture = TestAudioFiles::pngPicture(48);
    ASSERT_TRUE(TestAudioFiles::writeAll(png, picture));
    store().importer().importForCovers(urls({flac, mp3}));
    ASSERT_TRUE(spinUntil([this] { return store().sections().coverTracks().size() == 2; }));

    CoverManager *covers = showSection<CoverManager>(Tab::covers);
    ASSERT_TRUE(covers);
    covers->handleDroppedURLs({QUrl::fromLocalFile(png)});
    ASSERT_TRUE(spinUntil([covers] { return !covers->artworkData().isEmpty(); }));
    EXPECT_FALSE(covers->assignButton()->isEnabled()); // nothing selected yet
    pressKey(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(covers->selectedCoverIDs().size(), 2);
    ASSERT_TRUE(covers->assignButton()->isEnabled());
    QTest::mouseClick(covers->assignButton(), Qt::LeftButton);
    ASSERT_TRUE(spinUntil([this] {
        return store().artworkWritingIDs().isEmpty() &&
               statusMessage() == QStringLiteral("Обложка сохранена: 2");
    }));

    EXPECT_EQ(embeddedPicture(flac), picture);
    EXPECT_EQ(embeddedPicture(mp3), picture);
    EXPECT_TRUE(TestAudioFiles::run(QStringLiteral("flac"), {QStringLiteral("-t"), flac}).ok());
}

// An image named in CP1251 bytes ("Песня", not valid UTF-8) dropped on the section becomes the
// pending cover, and is offered again after a restart.
TEST_F(CoversConverterEndToEndTest, AnImageNamedInCp1251BecomesTheCoverAndStaysChosen)
{
    const QByteArray picture = TestAudioFiles::pngPicture(32);
    ASSERT_TRUE(TestAudioFiles::writeAll(path(QStringLiteral("made.png")), picture));
    const QByteArray named = QFile::encodeName(path(QString())) + "\xcf\xe5\xf1\xed\xff.png";
    ASSERT_EQ(std::rename(QFile::encodeName(path(QStringLiteral("made.png"))).constData(),
                          named.constData()),
              0);
    CoverManager *covers = showSection<CoverManager>(Tab::covers);
    ASSERT_TRUE(covers);
    covers->handleDroppedURLs({LocalFile::url(named)});
    EXPECT_EQ(covers->artworkData(), picture);
    EXPECT_EQ(covers->artworkName(), QString(5, QChar(0xFFFD)) + QStringLiteral(".png"));
    EXPECT_EQ(statusMessage(), QString());
    EXPECT_TRUE(store().sections().coverTracks().isEmpty());
    // The settings file holds UTF-8 text: the name's bytes are kept in a form it can hold.
    const QString stored = Defaults::standard().string(QStringLiteral("lastCoverArtworkPath"));
    EXPECT_EQ(LocalFile::displayName(stored), stored);

    restartApp();
    covers = showSection<CoverManager>(Tab::covers);
    ASSERT_TRUE(covers);
    EXPECT_EQ(covers->artworkData(), picture);
}

TEST_F(CoversConverterEndToEndTest, ConvertWritesAnMp3AtThePickedBitRate)
{
    const QString flac = makeAudio(QStringLiteral("convert/song.flac"), 2.0);
    queueForConversion(urls({flac}));
    ConverterView *converter = showSection<ConverterView>(Tab::converter);
    ASSERT_TRUE(converter);
    QComboBox *picker = converter->bitratePicker();
    EXPECT_EQ(picker->currentData().toInt(), 320);
    picker->setFocus();
    QTest::keyClick(picker, Qt::Key_Up); // 320 → 256
    QTest::keyClick(picker, Qt::Key_Up); // 256 → 192
    EXPECT_EQ(store().settings().converterBitrate(), 192);
    QTest::mouseClick(converter->convertButton(), Qt::LeftButton);
    ASSERT_TRUE(spinUntil([this] {
        return store().conversionItems().first().status.kind == ConversionItem::Status::completed;
    }));
    EXPECT_EQ(converter->statusText(0), QStringLiteral("Готово"));
    const QString mp3 = path(QStringLiteral("convert/song.mp3"));
    EXPECT_EQ(store().conversionItems().first().outputURL, QUrl::fromLocalFile(mp3));
    const QMap<QString, QString> stream = probeStream(mp3);
    EXPECT_EQ(stream.value("codec_name"), "mp3");
    EXPECT_EQ(stream.value("bit_rate"), "192000");
    EXPECT_NEAR(stream.value("duration").toDouble(), 2.0, 0.1);
    EXPECT_FALSE(converter->convertButton()->isEnabled()); // nothing waits any more
}

// ffmpeg's first line is its version banner; the row shows the line that names the error and
// keeps the whole output for its tooltip.
TEST_F(CoversConverterEndToEndTest, AFailedConversionShowsFfmpegsErrorLine)
{
    const QString fake = path(QStringLiteral("fake/notes.flac"));
    QDir().mkpath(path(QStringLiteral("fake")));
    ASSERT_TRUE(TestAudioFiles::writeAll(fake, "these are notes, not audio\n"));
    queueForConversion(urls({fake}));
    ConverterView *converter = showSection<ConverterView>(Tab::converter);
    ASSERT_TRUE(converter);
    QTest::mouseClick(converter->convertButton(), Qt::LeftButton);
    ASSERT_TRUE(spinUntil([this] {
        return store().conversionItems().first().status.kind == ConversionItem::Status::failed;
    }));
    const QString output = store().conversionItems().first().status.message;
    QStringList lines = output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    lines.removeIf([](const QString &line) { return line.trimmed().isEmpty(); });
    ASSERT_GE(lines.size(), 2) << output.toStdString();
    EXPECT_TRUE(lines.first().startsWith(QStringLiteral("ffmpeg version")));
    const QString shown = converter->statusText(0);
    EXPECT_EQ(shown, lines.last().trimmed());
    EXPECT_FALSE(shown.startsWith(QStringLiteral("ffmpeg version")));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("fake/notes.mp3"))));
    EXPECT_EQ(statusMessage(), QStringLiteral("Конвертировано: 0 · Ошибок: 1"));

    // The tooltip over the status text holds ffmpeg's whole output.
    QWidget *viewport = converter->list()->viewport();
    const QRect row = converter->list()->rowRect(0);
    const QPoint status(row.right() - 16 - 22 - 12 - 40, row.center().y());
    QHelpEvent help(QEvent::ToolTip, status, viewport->mapToGlobal(status));
    QApplication::sendEvent(viewport, &help);
    EXPECT_EQ(QToolTip::text(), output);
    QToolTip::hideText();
}

// An item that stops waiting (finished or failed elsewhere) while another one converts is
// left alone when the run reaches it.
TEST_F(CoversConverterEndToEndTest, AnItemThatStopsWaitingDuringARunIsNotConverted)
{
    const QList<ConversionItem> items =
        queueForConversion(urls({makeAudio(QStringLiteral("run/1.flac"), 3.0),
                                 makeAudio(QStringLiteral("run/2.flac")),
                                 makeAudio(QStringLiteral("run/3.flac"))}));
    ConverterView *converter = showSection<ConverterView>(Tab::converter);
    ASSERT_TRUE(converter);
    QTest::mouseClick(converter->convertButton(), Qt::LeftButton);
    ASSERT_TRUE(spinUntil([this] {
        return store().conversionItems().first().status.kind == ConversionItem::Status::converting;
    }));
    QList<ConversionItem> changed = store().conversionItems();
    changed[1].status = {ConversionItem::Status::completed, {}};
    changed[2].status = ConversionItem::Status::failure(QStringLiteral("failed elsewhere"));
    store().setConversionItems(changed);
    ASSERT_TRUE(spinUntil(
        [this] { return statusMessage().startsWith(QStringLiteral("Конвертация завершена")); }));
    EXPECT_EQ(statusMessage(), QStringLiteral("Конвертация завершена: 1"));
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("run/1.mp3"))));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("run/2.mp3"))));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("run/3.mp3"))));
    const QList<ConversionItem> after = store().conversionItems();
    EXPECT_EQ(after.at(1).status.kind, ConversionItem::Status::completed);
    EXPECT_FALSE(after.at(1).outputURL.has_value());
    EXPECT_EQ(after.at(2).status.message, QStringLiteral("failed elsewhere"));
}

// Quitting while ffmpeg writes stops it: nothing runs on, no partial file stays beside the
// source, and after the restart the item waits for a run that writes the first free name.
TEST_F(CoversConverterEndToEndTest, QuittingDuringAConversionStopsFfmpegAndTheItemWaitsAgain)
{
    // The real ffmpeg at the speed of playback, so the quit comes while it writes.
    QTemporaryDir tools;
    const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    ASSERT_FALSE(ffmpeg.isEmpty());
    test::writeScript(tools.filePath("MP3Converter/ffmpeg"),
                      QStringLiteral("exec '%1' -re \"$@\"\n").arg(ffmpeg));
    FFmpegExecutable::setPlacesForTesting(FFmpegExecutable::SearchPlaces{tools.path(), {}, {}});
    const std::shared_ptr<void> restore(
        nullptr, [](void *) { FFmpegExecutable::setPlacesForTesting(std::nullopt); });

    const QString flac = makeAudio(QStringLiteral("quit/song.flac"), 30.0);
    queueForConversion(urls({flac}));
    ConverterView *converter = showSection<ConverterView>(Tab::converter);
    ASSERT_TRUE(converter);
    QTest::mouseClick(converter->convertButton(), Qt::LeftButton);
    const QDir folder(path(QStringLiteral("quit")));
    const auto everything = [&folder] {
        return folder.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    };
    pid_t running = 0;
    ASSERT_TRUE(spinUntil(
        [&] {
            const QList<pid_t> found = test::ChildProcesses::of(::getpid(), "libmp3lame");
            running = found.isEmpty() ? 0 : found.first();
            return running != 0 && everything().size() == 2;
        },
        30000))
        << "ffmpeg never started";
    EXPECT_TRUE(HeldTemporaryFile::isOurName(everything().constFirst().toUtf8()));

    restartApp();
    EXPECT_TRUE(test::ChildProcesses::hasEnded(running)) << "ffmpeg runs on after the quit";
    settle(300);
    EXPECT_EQ(everything().join(", ").toStdString(), "song.flac");
    ASSERT_EQ(store().conversionItems().size(), 1);
    EXPECT_EQ(store().conversionItems().first().url, QUrl::fromLocalFile(flac));
    EXPECT_EQ(store().conversionItems().first().status.kind, ConversionItem::Status::waiting);
}

} // namespace
} // namespace brivello
