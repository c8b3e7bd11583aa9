// What a conversion leaves behind, met in the real window: the hidden temporary a killed
// conversion left in the folder, and the failure line of a row once the language changes.
#include "audiofiles/FFmpegExecutable.h"
#include "platform/Defaults.h"
#include "platform/HeldTemporaryFile.h"
#include "shell/ActionButton.h"
#include "support/AudioFixtures.h"
#include "support/TestAudioFiles.h"
#include "support/ui/EndToEndFixture.h"
#include "workspaces/ui/ConverterView.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHelpEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

namespace brivello {
namespace {

using test::TestAudioFiles;

class ConverterAftermathEndToEndTest : public testing::EndToEndFixture
{
protected:
    void TearDown() override
    {
        FFmpegExecutable::setPlacesForTesting(std::nullopt);
        EndToEndFixture::TearDown();
    }
    // Every file of the folder, hidden ones included, by name.
    QStringList everything(const QString &folder) const
    {
        return QDir(path(folder)).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }
    // Presses the convert button and waits until no item converts or waits any more.
    bool convertAll(ConverterView &converter)
    {
        QTest::mouseClick(converter.convertButton(), Qt::LeftButton);
        return spinUntil([this] {
            for (const ConversionItem &item : store().conversionItems()) {
                if (item.status.kind == ConversionItem::Status::waiting ||
                    item.status.kind == ConversionItem::Status::converting)
                    return false;
            }
            return true;
        });
    }
    // The tooltip over the status text of `row`.
    static QString statusToolTip(ConverterView &converter, int row)
    {
        QWidget *viewport = converter.list()->viewport();
        const QRect rect = converter.list()->rowRect(row);
        const QPoint at(rect.right() - 16 - 22 - 12 - 40, rect.center().y());
        QHelpEvent help(QEvent::ToolTip, at, viewport->mapToGlobal(at));
        QApplication::sendEvent(viewport, &help);
        const QString text = QToolTip::text();
        QToolTip::hideText();
        return text;
    }
};

// A conversion killed with the application left its hidden temporary beside the source. The
// next conversion into that folder takes it away, and nothing else: a file merely named like
// ours and the temporary of a write still running stay.
TEST_F(ConverterAftermathEndToEndTest, AConversionClearsWhatAKilledOneLeftInTheFolder)
{
    const QString source = makeAudio(QStringLiteral("set/song.flac"), 1.0);
    const QString folder = path(QStringLiteral("set"));
    // The name a killed conversion's temporary had, with its partial MP3: ours, unlocked.
    QString leftover;
    {
        HeldTemporaryFile killed(folder, QStringLiteral("mp3"), 0666);
        ASSERT_TRUE(killed.isOpen());
        leftover = QFileInfo(killed.path()).fileName();
    }
    ASSERT_TRUE(
        TestAudioFiles::writeAll(folder + QLatin1Char('/') + leftover, QByteArray(4096, '\xff')));
    const QString lookalike =
        QStringLiteral(".brivello-0F6A3B52-9C1D-4E8F-A7B6-2D3C4E5F6071-000000000000.mp3");
    ASSERT_TRUE(TestAudioFiles::writeAll(folder + QLatin1Char('/') + lookalike, "not ours"));
    HeldTemporaryFile running(folder, QStringLiteral("wav"));
    ASSERT_TRUE(running.isOpen());
    const QString runningName = QFileInfo(running.path()).fileName();

    queueForConversion(urls({source}));
    ConverterView *converter = showSection<ConverterView>(Tab::converter);
    ASSERT_TRUE(converter);
    ASSERT_TRUE(convertAll(*converter));
    ASSERT_EQ(store().conversionItems().first().status.kind, ConversionItem::Status::completed)
        << store().conversionItems().first().status.message.toStdString();

    QStringList expected = {
        lookalike, runningName, QStringLiteral("song.flac"), QStringLiteral("song.mp3")};
    expected.sort();
    EXPECT_EQ(everything(QStringLiteral("set")).join(", ").toStdString(),
              expected.join(", ").toStdString());
    EXPECT_EQ(TestAudioFiles::readAll(folder + QLatin1Char('/') + lookalike), "not ours");
}

// The failure lines of the converter's own messages follow a language switch made after the
// failure, and so do their tooltips: one row failed in Russian, the other in English.
TEST_F(ConverterAftermathEndToEndTest, AFailedRowSpeaksTheLanguageChosenAfterTheFailure)
{
    const QString noFFmpegRu = QStringLiteral(
        "Для конвертации в MP3 нужен FFmpeg. Установите его командой: sudo apt install ffmpeg");
    const QString noFFmpegEn = QStringLiteral(
        "Converting to MP3 requires FFmpeg. Install it with: sudo apt install ffmpeg");
    const QString silentRu = QStringLiteral("Не удалось конвертировать файл в MP3.");
    const QString silentEn = QStringLiteral("Could not convert the file to MP3.");

    // In Russian, with no ffmpeg anywhere.
    QTemporaryDir nowhere;
    FFmpegExecutable::setPlacesForTesting(FFmpegExecutable::SearchPlaces{nowhere.path(), {}, {}});
    queueForConversion(urls({makeAudio(QStringLiteral("fail/one.flac"))}));
    ConverterView *converter = showSection<ConverterView>(Tab::converter);
    ASSERT_TRUE(converter);
    ASSERT_TRUE(convertAll(*converter));
    ASSERT_EQ(store().conversionItems().first().status.kind, ConversionItem::Status::failed);
    EXPECT_EQ(converter->statusText(0).toStdString(), noFFmpegRu.toStdString());

    Defaults::standard().set(QStringLiteral("appLanguage"), QStringLiteral("en"));
    settle();
    EXPECT_EQ(converter->statusText(0).toStdString(), noFFmpegEn.toStdString());
    EXPECT_EQ(statusToolTip(*converter, 0).toStdString(), noFFmpegEn.toStdString());

    // In English, with an ffmpeg that fails without a word.
    QTemporaryDir tools;
    test::writeScript(tools.filePath(QStringLiteral("MP3Converter/ffmpeg")),
                      QStringLiteral("exit 1\n"));
    FFmpegExecutable::setPlacesForTesting(FFmpegExecutable::SearchPlaces{tools.path(), {}, {}});
    queueForConversion(urls({makeAudio(QStringLiteral("fail/two.flac"))}));
    ASSERT_TRUE(convertAll(*converter));
    ASSERT_EQ(store().conversionItems().size(), 2);
    ASSERT_EQ(store().conversionItems().last().status.kind, ConversionItem::Status::failed);
    EXPECT_EQ(converter->statusText(1).toStdString(), silentEn.toStdString());

    Defaults::standard().set(QStringLiteral("appLanguage"), QStringLiteral("ru"));
    settle();
    EXPECT_EQ(converter->statusText(0).toStdString(), noFFmpegRu.toStdString());
    EXPECT_EQ(converter->statusText(1).toStdString(), silentRu.toStdString());
    EXPECT_EQ(statusToolTip(*converter, 1).toStdString(), silentRu.toStdString());

    Defaults::standard().set(QStringLiteral("appLanguage"), QStringLiteral("en"));
    settle();
    EXPECT_EQ(converter->statusText(0).toStdString(), noFFmpegEn.toStdString());
    EXPECT_EQ(converter->statusText(1).toStdString(), silentEn.toStdString());
    EXPECT_EQ(statusToolTip(*converter, 0).toStdString(), noFFmpegEn.toStdString());
    EXPECT_EQ(statusToolTip(*converter, 1).toStdString(), silentEn.toStdString());
}

} // namespace
} // namespace brivello
