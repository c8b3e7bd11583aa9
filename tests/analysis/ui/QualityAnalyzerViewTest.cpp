#include "analysis/ui/QualityAnalyzerView.h"

#include "analysis/AnalysisScheduler.h"
#include "analysis/ui/QualityAnalysisDetail.h"
#include "analysis/ui/QualityAnalysisList.h"
#include "analysis/ui/QualityAnalysisRow.h"
#include "analysis/ui/SpekSpectrogram.h"
#include "shell/ActionButton.h"
#include "support/LibraryStoreFixture.h"
#include "support/RecordingAudioPlayer.h"
#include "support/WidgetScreenshot.h"

#include <QDir>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedLayout>
#include <QTest>
#include <algorithm>
#include <cmath>

namespace brivello::testing {
namespace {

std::shared_ptr<const AudioQualityAnalysis> sampleResult()
{
    AudioQualityAnalysis r;
    r.verdict = AudioQualityVerdict::suspicious;
    r.sampleRate = 44100;
    r.channelCount = 2;
    r.dftWindowSize = 4096;
    r.densityRangeDB = 60.5f;
    r.cutoffHz = 16789.4;
    r.note = LocalizedText(QStringLiteral("У lossless-контейнера заметный срез около 16700 Гц."));
    r.spectrogram.resize(size_t(r.spectrogramWidth * r.spectrogramHeight));
    for (int c = 0; c < r.spectrogramWidth; ++c) {
        for (int row = 0; row < r.spectrogramHeight; ++row) {
            const double level = row < 122 ? 250 - row * 1.2 + 20 * std::sin(c * 0.3) : 0;
            r.spectrogram[size_t(c * r.spectrogramHeight + row)] =
                uint8_t(std::clamp(level, 0.0, 255.0));
        }
    }
    return std::make_shared<const AudioQualityAnalysis>(std::move(r));
}

class QualityAnalyzerViewTest : public LibraryStoreFixture
{
protected:
    // What the track's row shows in its status block.
    static QualityAnalysisListModel::Status status(const QualityAnalyzerView &view, const QUuid &id)
    {
        const QualityAnalysisListModel *model = view.list()->analysisModel();
        return model->status(model->rowOf(id));
    }

    void SetUp() override
    {
        LibraryStoreFixture::SetUp();
        makeStore();
        for (const char *name : {"01 Intro.flac", "02 Deep.flac"}) {
            Track track;
            track.id = QUuid::createUuid();
            track.url = url(QString::fromUtf8(name));
            track.format = QStringLiteral("FLAC");
            track.duration = 245;
            m_tracks.append(track);
        }
        m_tracks[1].tags.title = QStringLiteral("Deep");
        m_tracks[1].tags.artist = QStringLiteral("Artist");
        m_tracks[1].bitRate = 912000;
        store().setAnalysisTracks(m_tracks);
    }

    RecordingAudioPlayer m_player;
    QList<Track> m_tracks;
};

TEST_F(QualityAnalyzerViewTest, RowsAndDetailShowTheResultWithTruncatedNumbers)
{
    AnalysisQueues::QualityAnalyses analyses;
    analyses.insert(m_tracks[1].id, sampleResult());
    store().analysis().setQualityAnalyses(analyses);
    store().setSelectedIDs({m_tracks[1].id});
    store().setSelectedID(m_tracks[1].id);
    QualityAnalyzerView view(store(), m_player);
    view.resize(1100, 640);
    view.show();

    EXPECT_EQ(status(view, m_tracks[1].id).detail, QStringLiteral("~16700 Гц · 44 kHz"));
    // Only the focused track is queued; the other one was never analysed.
    EXPECT_EQ(status(view, m_tracks[0].id).text, QStringLiteral("Не анализировался"));
    EXPECT_EQ(view.detail()->cutoffText(), QStringLiteral("Срез ~16700 Гц · 44100 Hz"));
    const auto cells = view.detail()->parameterTexts();
    ASSERT_EQ(cells.size(), 6);
    EXPECT_EQ(cells[1].second, QStringLiteral("44100 Hz"));
    EXPECT_EQ(cells[4].second, QStringLiteral("60 dB"));
    EXPECT_EQ(cells[5].second, QStringLiteral("912 kbps"));
    EXPECT_EQ(view.analyzeButton()->text(), QStringLiteral("Анализировать выбранные"));

    testing::saveWidgetScreenshot(QStringLiteral("analysis-result.png"), view.grab().toImage());
}

TEST_F(QualityAnalyzerViewTest, FocusingATrackQueuesIt)
{
    QualityAnalyzerView view(store(), m_player);
    EXPECT_TRUE(store().analysis().qualityQueue().contains(m_tracks[0].id));
    EXPECT_EQ(status(view, m_tracks[0].id).text, QStringLiteral("Анализируем спектр…"));
    EXPECT_EQ(view.analyzeButton()->text(), QStringLiteral("Анализировать все"));
    store().setAnalysisTracks({});
    EXPECT_FALSE(view.analyzeButton()->isEnabled());
}

// One click is one change of the detail: a track still to be analysed shows its spinner at
// once, with no "not analysed" page on the way, and going back shows the kept result.
TEST_F(QualityAnalyzerViewTest, AClickOnARowChangesTheDetailOnce)
{
    AnalysisQueues::QualityAnalyses analyses;
    analyses.insert(m_tracks[1].id, sampleResult());
    store().analysis().setQualityAnalyses(analyses);
    store().setActiveTab(LibraryStore::LibraryTab::analysis);
    store().setSelectedIDs({m_tracks[1].id});
    store().setSelectedID(m_tracks[1].id);
    QualityAnalyzerView view(store(), m_player);
    view.resize(1100, 640);
    view.show();
    ASSERT_EQ(view.detail()->pageName(), QStringLiteral("result"));
    auto *pages = view.detail()->findChild<QStackedLayout *>();
    ASSERT_NE(pages, nullptr);
    QSignalSpy changes(pages, &QStackedLayout::currentChanged);
    const auto click = [&view](int row) {
        view.list()->layOutRows();
        const QRect rect = view.list()->visualRect(view.list()->analysisModel()->index(row));
        QTest::mouseClick(view.list()->viewport(),
                          Qt::LeftButton,
                          {},
                          rect.adjusted(0, 0, 0, -QualityAnalysisRow::kRowSpacing).center());
    };

    click(0);
    EXPECT_EQ(view.focusedID(), m_tracks[0].id);
    EXPECT_EQ(changes.size(), 1);
    EXPECT_EQ(view.detail()->pageName(), QStringLiteral("analyzing"));
    click(1);
    EXPECT_EQ(changes.size(), 2);
    EXPECT_EQ(view.detail()->pageName(), QStringLiteral("result"));
    EXPECT_EQ(view.detail()->spectrogram()->frequencyLabels().first(), QStringLiteral("22 kHz"));
}

} // namespace
} // namespace brivello::testing
