// Several items dropped at once on the analysis, covers and converter sections of the real
// window: one import for the drop, so its one status counts everything it added.
#include "analysis/ui/QualityAnalyzerView.h"
#include "library/LibrarySections.h"
#include "platform/Defaults.h"
#include "support/TestAudioFiles.h"
#include "support/ui/EndToEndFixture.h"
#include "workspaces/ui/ConverterView.h"
#include "workspaces/ui/CoverManager.h"

namespace brivello {
namespace {

using test::TestAudioFiles;

class SectionDropEndToEndTest : public testing::EndToEndFixture
{
protected:
    // Eight audio files among nine items: five loose files, a folder of three and a text file.
    QStringList nineItems(const QString &folder)
    {
        QStringList items = makeAudioFiles(folder + QStringLiteral("/loose %1.mp3"), 5, 0.3);
        makeAudioFiles(folder + QStringLiteral("/set/%1.flac"), 3, 0.3);
        items << path(folder + QStringLiteral("/set"));
        const QString notes = path(folder + QStringLiteral("/notes.txt"));
        EXPECT_TRUE(TestAudioFiles::writeAll(notes, "not audio"));
        items << notes;
        items.insert(2, items.takeLast());
        return items;
    }
    bool statusBecomes(const QString &message)
    {
        return spinUntil([&] { return statusMessage() == message; }, 20000);
    }
};

TEST_F(SectionDropEndToEndTest, ADropOnTheAnalysisCountsAllItsFilesInEitherLanguage)
{
    auto *view = showSection<QualityAnalyzerView>(Tab::analysis);
    ASSERT_TRUE(view);
    ASSERT_TRUE(dropFiles(view, view->rect().center(), nineItems(QStringLiteral("ru"))));
    EXPECT_TRUE(statusBecomes(QStringLiteral("Добавлено в анализ: 8")))
        << "the status says " << statusMessage().toStdString();
    EXPECT_EQ(store().analysisTracks().size(), 8);

    Defaults::standard().set(QStringLiteral("appLanguage"), QStringLiteral("en"));
    ASSERT_TRUE(dropFiles(view, view->rect().center(), nineItems(QStringLiteral("en"))));
    EXPECT_TRUE(statusBecomes(QStringLiteral("Added to analysis: 8")))
        << "the status says " << statusMessage().toStdString();
}

TEST_F(SectionDropEndToEndTest, ADropOnTheCoversCountsAndSelectsAllItsFiles)
{
    auto *view = showSection<CoverManager>(Tab::covers);
    ASSERT_TRUE(view);
    ASSERT_TRUE(dropFiles(view, view->rect().center(), nineItems(QStringLiteral("covers"))));
    EXPECT_TRUE(statusBecomes(QStringLiteral("Добавлено в обложки: 8")))
        << "the status says " << statusMessage().toStdString();
    EXPECT_EQ(store().sections().coverTracks().size(), 8);
    EXPECT_EQ(store().sections().visibleSelection().size(), 8);
}

TEST_F(SectionDropEndToEndTest, ADropOnTheConverterQueuesItsFilesInPathOrder)
{
    auto *view = showSection<ConverterView>(Tab::converter);
    ASSERT_TRUE(view);
    const QStringList later = makeAudioFiles(QStringLiteral("queue/z/%1.mp3"), 3, 0.3);
    const QString first = makeAudio(QStringLiteral("queue/a.ogg"), 0.3);
    ASSERT_TRUE(dropFiles(view, view->rect().center(), {path("queue/z"), first}));
    ASSERT_TRUE(spinUntil([this] { return store().conversionItems().size() == 4; }));
    QStringList queued;
    for (const ConversionItem &item : store().conversionItems())
        queued << item.url.toLocalFile();
    EXPECT_EQ(queued, QStringList{first} + later);
}

} // namespace
} // namespace brivello
