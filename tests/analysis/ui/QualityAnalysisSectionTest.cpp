#include "analysis/ui/QualityAnalysisDetail.h"
#include "analysis/ui/QualityAnalysisList.h"
#include "analysis/ui/QualityAnalysisRow.h"
#include "analysis/ui/QualityAnalyzerView.h"
#include "analysis/ui/SpectrogramPreview.h"
#include "analysis/ui/SpekSpectrogram.h"
#include "library/TrackImporter.h"
#include "platform/Defaults.h"
#include "platform/LocalFile.h"
#include "shell/ActionButton.h"
#include "shell/ContentArea.h"
#include "support/TestAudioFiles.h"
#include "support/ui/EndToEndFixture.h"
#include "workspaces/WorkspaceStatusSummary.h"
#include "workspaces/ui/WorkspaceStatusBar.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <cstdio>

namespace brivello {
namespace {

using test::TestAudioFiles;

class QualityAnalysisSectionTest : public testing::EndToEndFixture
{
protected:
    void TearDown() override
    {
        EndToEndFixture::TearDown();
        // QTemporaryDir cannot remove names that are not UTF-8.
        TestAudioFiles::run(QStringLiteral("rm"), {QStringLiteral("-rf"), path(QString())});
    }
    QualityAnalyzerView *showSection()
    {
        return EndToEndFixture::showSection<QualityAnalyzerView>(Tab::analysis);
    }

    QString generate(const QString &name, const QString &graph, const QStringList &codec = {})
    {
        return makeFromLavfi(name, graph, codec + QStringList{"-ac", "2"});
    }

    // One file for each verdict: genuine FLAC, MP3, FLAC made from a 96k MP3, silent FLAC.
    QStringList verdictFiles()
    {
        const QString noise = QStringLiteral("anoisesrc=color=pink:duration=2:amplitude=0.4");
        const QString genuine = generate("verdicts/Genuine.flac", noise);
        const QString mp3 = generate("verdicts/Encoded.mp3", noise, {"-b:a", "192k"});
        const QString low = generate("verdicts/low.mp3", noise, {"-b:a", "96k"});
        const QString transcoded = path("verdicts/Transcoded.flac");
        EXPECT_TRUE(
            TestAudioFiles::run("ffmpeg", {"-nostdin", "-v", "error", "-i", low, transcoded}).ok());
        QFile::remove(low);
        const QString silent = generate("verdicts/Silence.flac", "anullsrc=duration=2");
        return {genuine, mp3, transcoded, silent};
    }

    // Imports `files` into the analysis section and waits until none is left to analyse.
    void importAndAnalyse(const QStringList &files)
    {
        const qsizetype before = store().analysisTracks().size();
        store().importer().importForAnalysis(urls(files));
        ASSERT_TRUE(spinUntil([&] {
            return store().analysisTracks().size() == before + files.size() &&
                   store().analysis().analyzingQualityIDs().isEmpty() &&
                   store().analysis().qualityAnalyses().size() +
                           store().analysis().qualityFailures().size() ==
                       store().analysisTracks().size();
        })) << "the analyses never finished";
    }

    int rowOfFile(QualityAnalyzerView *view, const QString &name)
    {
        const QualityAnalysisListModel *model = view->list()->analysisModel();
        for (int row = 0; row < model->rowCount(); ++row) {
            if (model->trackAt(row).url.fileName() == name)
                return row;
        }
        return -1;
    }

    QPoint rowCentre(QualityAnalyzerView *view, int row)
    {
        view->list()->layOutRows();
        const QRect rect = view->list()->visualRect(view->list()->analysisModel()->index(row));
        return rect.adjusted(0, 0, 0, -QualityAnalysisRow::kRowSpacing).center();
    }

    QString statusLine()
    { // What the status block says once the transient message of the import has gone.
        return window().findChild<WorkspaceStatusBar *>()->summary().automaticMessage();
    }
};

TEST_F(QualityAnalysisSectionTest, DropOfFilesAndAFolderOnTheSectionImportsThem)
{
    const QString first = makeAudio("drop/one.flac");
    const QString second = makeAudio("drop/two.mp3");
    makeAudio("drop/folder/three.wav");
    makeAudio("drop/folder/deeper/four.flac");
    ASSERT_TRUE(TestAudioFiles::writeAll(path("drop/folder/notes.txt"), "not audio"));
    QDir().mkpath(path("drop/nothing"));

    QualityAnalyzerView *view = showSection();
    ASSERT_NE(view, nullptr);
    // The empty section takes the drop.
    EXPECT_TRUE(dropFiles(view, view->rect().center(), {first, second, path("drop/folder")}));
    ASSERT_TRUE(spinUntil([this] { return store().analysisTracks().size() == 4; }));
    // The rows follow the store one event-loop turn later.
    EXPECT_TRUE(spinUntil([view] { return view->list()->analysisModel()->rowCount() == 4; }));
    EXPECT_TRUE(view->list()->isVisible());

    // A folder without audio adds nothing and breaks nothing.
    EXPECT_TRUE(dropFiles(view, view->rect().center(), {path("drop/nothing")}));
    settle(200);
    EXPECT_EQ(store().analysisTracks().size(), 4);

    // Files dropped on a row join through the row overlay; between rows, through the section.
    const QString fifth = makeAudio("later/five.flac");
    const QString sixth = makeAudio("later/six.flac");
    QWidget *rows = view->list()->viewport();
    EXPECT_TRUE(dropFiles(rows, rowCentre(view, 0), {fifth, sixth}));
    ASSERT_TRUE(spinUntil([this] { return store().analysisTracks().size() == 6; }));
    const QString seventh = makeAudio("later/seven.flac");
    EXPECT_TRUE(dropFiles(rows, QPoint(rows->width() / 2, rows->height() - 3), {seventh}));
    ASSERT_TRUE(spinUntil([this] { return store().analysisTracks().size() == 7; }));
    EXPECT_EQ(view->list()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

TEST_F(QualityAnalysisSectionTest, HotkeyAndCompletionMoveTheHighlightAndTheDetail)
{
    const QStringList files = makeAudioFiles(QStringLiteral("nav/%1.flac"), 3, 0.6);
    QualityAnalyzerView *view = showSection();
    ASSERT_NE(view, nullptr);
    importAndAnalyse(files);
    const QualityAnalysisListModel *model = view->list()->analysisModel();
    const QUuid a = model->trackAt(0).id;
    const QUuid b = model->trackAt(1).id;
    const QUuid c = model->trackAt(2).id;

    QTest::mouseClick(view->list()->viewport(), Qt::LeftButton, {}, rowCentre(view, 0));
    EXPECT_EQ(store().selectedIDs(), QSet<QUuid>{a});
    EXPECT_EQ(view->focusedID(), a);

    QTest::keyClick(&window(), Qt::Key_Down);
    settle();
    EXPECT_EQ(store().selectedID(), b);
    EXPECT_TRUE(model->isSelected(1));
    EXPECT_FALSE(model->isSelected(0));
    EXPECT_EQ(view->focusedID(), b);
    EXPECT_EQ(view->detail()->pageName(), QStringLiteral("result"));
    ASSERT_TRUE(spinUntil([this] { return sink() != nullptr && player().isPlaying(); }));
    EXPECT_TRUE(model->isCurrent(1));

    // b plays to its end: the next row is played, highlighted and shown in the detail.
    for (int i = 0; i < 10 && store().selectedID() != c; ++i)
        advanceAudio(0.3);
    EXPECT_EQ(store().selectedID(), c);
    EXPECT_TRUE(model->isSelected(2));
    EXPECT_EQ(view->focusedID(), c);

    // Clearing the selection clears the focus.
    store().setSelectedIDs({});
    settle();
    EXPECT_EQ(view->focusedID(), std::nullopt);
    EXPECT_EQ(view->detail()->pageName(), QStringLiteral("empty"));
}

// A selection made elsewhere repaints the rows it leaves and the row it reaches: what the window
// shows of each row is what a fresh painting of the window shows.
TEST_F(QualityAnalysisSectionTest, ASelectionMadeElsewhereRepaintsTheHighlight)
{
    const QStringList files = makeAudioFiles(QStringLiteral("elsewhere/%1.flac"), 3, 0.3);
    QualityAnalyzerView *view = showSection();
    ASSERT_NE(view, nullptr);
    importAndAnalyse(files);
    settle();
    QualityAnalysisList *list = view->list();
    const QualityAnalysisListModel *model = list->analysisModel();
    const auto rowIn = [&](const QImage &image, int row) {
        const QPoint origin = list->viewport()->mapTo(&window(), QPoint());
        const QRect rect = list->visualRect(model->index(row)).translated(origin);
        return image.copy(rect).convertToFormat(QImage::Format_RGB32);
    };
    // The two ways of drawing round the translucent layers apart by a step at most.
    const auto sameLook = [](const QImage &a, const QImage &b) {
        if (a.size() != b.size())
            return false;
        for (int y = 0; y < a.height(); ++y) {
            for (int x = 0; x < a.width(); ++x) {
                const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
                if (std::abs(qRed(p) - qRed(q)) > 3 || std::abs(qGreen(p) - qGreen(q)) > 3 ||
                    std::abs(qBlue(p) - qBlue(q)) > 3)
                    return false;
            }
        }
        return true;
    };
    store().setSelectedIDs({});
    settle();
    const QImage plain = rowIn(window().grab().toImage(), 0);
    for (const int selected : {1, 2, 0}) {
        const QUuid id = model->trackAt(selected).id;
        store().setSelectedIDs({id});
        store().setSelectedID(id);
        settle();
        // The offscreen screen hands back the window's backing store: what was last drawn.
        const QImage shown =
            QGuiApplication::primaryScreen()->grabWindow(window().winId()).toImage();
        const QImage fresh = window().grab().toImage();
        for (int row = 0; row < 3; ++row)
            EXPECT_TRUE(sameLook(rowIn(shown, row), rowIn(fresh, row)))
                << "row " << row << " still shows the old highlight after row " << selected
                << " was selected";
    }
    EXPECT_FALSE(sameLook(rowIn(window().grab().toImage(), 0), plain)) << "no highlight is drawn";
}

TEST_F(QualityAnalysisSectionTest, RowsPaintTheVerdictInItsColourInBothAppearances)
{
    if (!TestAudioFiles::hasProgram("ffmpeg"))
        GTEST_SKIP() << "ffmpeg is missing";
    QualityAnalyzerView *view = showSection();
    ASSERT_NE(view, nullptr);
    QStringList files = verdictFiles();
    // And one that cannot be analysed, for the picture.
    files << path("verdicts/Broken.mp3");
    ASSERT_TRUE(TestAudioFiles::writeAll(files.last(), {}));
    importAndAnalyse(files);
    const QList<std::pair<QString, AudioQualityVerdict>> expected = {
        {"Genuine.flac", AudioQualityVerdict::lossless},
        {"Encoded.mp3", AudioQualityVerdict::lossy},
        {"Transcoded.flac", AudioQualityVerdict::suspicious},
        {"Silence.flac", AudioQualityVerdict::inconclusive}};
    QualityAnalysisList *list = view->list();
    for (const char *appearance : {"dark", "light"}) {
        setAppearance(QString::fromLatin1(appearance));
        const ColorScheme scheme = BrivelloTheme::schemeFor(QString::fromLatin1(appearance));
        const QImage image = list->viewport()->grab().toImage();
        for (const auto &[name, verdict] : expected) {
            const int row = rowOfFile(view, name);
            ASSERT_GE(row, 0) << name.toStdString();
            ASSERT_EQ(list->analysisModel()->result(row)->verdict, verdict) << name.toStdString();
            const QRect rect = list->visualRect(list->analysisModel()->index(row));
            const QRect status = QualityAnalysisRow::statusRect(rect, 1.0);
            // The verdict line is the upper half of the block; its most saturated pixel.
            const QColor wanted = QualityAnalysisRow::verdictColor(verdict, scheme);
            int best = 1 << 30;
            for (int y = status.top(); y < status.center().y(); ++y) {
                for (int x = status.left(); x <= status.right(); ++x) {
                    const QColor c = image.pixelColor(x, y);
                    const int d = std::abs(c.red() - wanted.red()) +
                                  std::abs(c.green() - wanted.green()) +
                                  std::abs(c.blue() - wanted.blue());
                    best = std::min(best, d);
                }
            }
            EXPECT_LT(best, 40) << name.toStdString() << " in " << appearance;
        }
        const QString shot = QStringLiteral("analysis-verdicts-%1.png").arg(appearance);
        const QUuid shown = list->analysisModel()->trackAt(rowOfFile(view, "Transcoded.flac")).id;
        store().setSelectedIDs({shown});
        store().setSelectedID(shown);
        saveScreenshot(shot, settledGrab());
    }
}

TEST_F(QualityAnalysisSectionTest, AFileThatCannotBeAnalysedCountsAsDoneWithItsReason)
{
    const QString good = makeAudio("bad/good.flac");
    const QString empty = path("bad/empty.mp3");
    const QString text = path("bad/words.flac");
    ASSERT_TRUE(TestAudioFiles::writeAll(empty, {}));
    ASSERT_TRUE(TestAudioFiles::writeAll(text, QByteArray("these are no samples").repeated(40)));
    QualityAnalyzerView *view = showSection();
    ASSERT_NE(view, nullptr);
    importAndAnalyse({good, empty, text});

    const QualityAnalysisListModel *model = view->list()->analysisModel();
    const int emptyRow = rowOfFile(view, "empty.mp3");
    const int textRow = rowOfFile(view, "words.flac");
    EXPECT_EQ(model->failure(emptyRow), QStringLiteral("Файл пуст."));
    EXPECT_EQ(model->failure(textRow), QStringLiteral("Файл не читается как аудио."));
    EXPECT_EQ(model->status(emptyRow).text, QStringLiteral("Файл пуст."));
    EXPECT_EQ(statusLine(), QStringLiteral("Анализ: 3 из 3 готово"));

    // Focusing it shows the reason and queues nothing; the button's explicit request retries.
    QTest::mouseClick(view->list()->viewport(), Qt::LeftButton, {}, rowCentre(view, textRow));
    EXPECT_EQ(view->detail()->pageName(), QStringLiteral("failure"));
    EXPECT_EQ(view->detail()->failureText(), QStringLiteral("Файл не читается как аудио."));
    EXPECT_TRUE(store().analysis().analyzingQualityIDs().isEmpty());
    QTest::mouseClick(view->analyzeButton(), Qt::LeftButton);
    EXPECT_TRUE(store().analysis().analyzingQualityIDs().contains(model->trackAt(textRow).id) ||
                store().analysis().qualityFailures().contains(model->trackAt(textRow).id));
    ASSERT_TRUE(spinUntil([this] { return store().analysis().analyzingQualityIDs().isEmpty(); }));
    EXPECT_EQ(model->failure(textRow), QStringLiteral("Файл не читается как аудио."));
}

// Names in CP1251 bytes ("Песня", not valid UTF-8) are analysed, and a reason names what is
// wrong with the file rather than calling it missing.
TEST_F(QualityAnalysisSectionTest, FilesNamedInCp1251AreAnalysedOrGiveTheirRealReason)
{
    const QByteArray song = "\xcf\xe5\xf1\xed\xff";
    const QByteArray folder = QFile::encodeName(path("cp1251"));
    const QString made =
        generate("cp1251/made.flac", "anoisesrc=color=pink:duration=2:amplitude=0.4");
    ASSERT_EQ(std::rename(QFile::encodeName(made).constData(), folder + '/' + song + ".flac"), 0);
    ASSERT_TRUE(TestAudioFiles::writeAll(path("cp1251/made.mp3"), {}));
    ASSERT_EQ(std::rename(QFile::encodeName(path("cp1251/made.mp3")).constData(),
                          folder + '/' + song + ".mp3"),
              0);
    const QUrl flac = LocalFile::url(folder + '/' + song + ".flac");
    const QUrl empty = LocalFile::url(folder + '/' + song + ".mp3");
    ASSERT_NE(showSection(), nullptr);
    store().importer().importForAnalysis({flac, empty});
    ASSERT_TRUE(spinUntil([&] {
        return store().analysisTracks().size() == 2 &&
               store().analysis().analyzingQualityIDs().isEmpty() &&
               store().analysis().qualityAnalyses().size() +
                       store().analysis().qualityFailures().size() ==
                   2;
    })) << "the analyses never finished";
    for (const Track &track : store().analysisTracks()) {
        if (track.url == flac) {
            EXPECT_FALSE(store().analysis().qualityFailures().contains(track.id))
                << store().analysis().qualityFailures().value(track.id).toStdString();
            const auto analysis = store().analysis().qualityAnalyses().value(track.id);
            ASSERT_TRUE(analysis);
            EXPECT_EQ(analysis->verdict, AudioQualityVerdict::lossless);
        } else {
            EXPECT_EQ(store().analysis().qualityFailures().value(track.id),
                      QStringLiteral("Файл пуст."));
        }
    }
}

TEST_F(QualityAnalysisSectionTest, ResultsAndReasonsFollowALanguageSwitchMadeAfterTheAnalysis)
{
    const QString good = generate("language/Genuine.flac",
                                  QStringLiteral("anoisesrc=color=pink:duration=2:amplitude=0.4"));
    const QString text = path("language/words.flac");
    ASSERT_TRUE(TestAudioFiles::writeAll(text, QByteArray("these are no samples").repeated(40)));
    QualityAnalyzerView *view = showSection();
    ASSERT_NE(view, nullptr);
    importAndAnalyse({good, text}); // in Russian
    const QualityAnalysisListModel *model = view->list()->analysisModel();
    const int goodRow = rowOfFile(view, "Genuine.flac");
    const int textRow = rowOfFile(view, "words.flac");
    ASSERT_EQ(store().analysis().qualityAnalyses().value(model->trackAt(goodRow).id)->verdict,
              AudioQualityVerdict::lossless);
    // The texts of the detail's labels that are on screen now.
    const auto shown = [view] {
        QStringList texts;
        for (const QLabel *label : view->detail()->findChildren<QLabel *>()) {
            if (label->isVisible() && !label->text().isEmpty())
                texts << label->text();
        }
        return texts;
    };

    QTest::mouseClick(view->list()->viewport(), Qt::LeftButton, {}, rowCentre(view, textRow));
    ASSERT_EQ(view->detail()->pageName(), QStringLiteral("failure"));
    ASSERT_TRUE(shown().contains(QStringLiteral("Файл не читается как аудио.")));
    Defaults::standard().set(QStringLiteral("appLanguage"), QStringLiteral("en"));
    settle();
    EXPECT_EQ(view->detail()->failureText(), QStringLiteral("The file cannot be read as audio."));
    EXPECT_TRUE(shown().contains(QStringLiteral("The file cannot be read as audio.")))
        << shown().join('\n').toStdString();
    EXPECT_EQ(model->status(textRow).text, QStringLiteral("The file cannot be read as audio."));

    QTest::mouseClick(view->list()->viewport(), Qt::LeftButton, {}, rowCentre(view, goodRow));
    ASSERT_EQ(view->detail()->pageName(), QStringLiteral("result"));
    EXPECT_TRUE(shown().contains(QStringLiteral(
        "No pronounced early cut-off found. This does not guarantee the quality of the "
        "original master.")))
        << shown().join('\n').toStdString();
    for (const QString &label : shown()) {
        EXPECT_FALSE(label.contains(QRegularExpression(QStringLiteral("[\\x{0400}-\\x{04FF}]"))))
            << label.toStdString();
    }

    // And back, without analysing again.
    Defaults::standard().set(QStringLiteral("appLanguage"), QStringLiteral("ru"));
    settle();
    EXPECT_TRUE(shown().contains(QStringLiteral(
        "Выраженного раннего среза не найдено. Это не гарантирует качество исходного мастера.")));
}

TEST_F(QualityAnalysisSectionTest, TheLightSpectrogramPlateIsOpaqueAndFollowsTheAppearance)
{
    QualityAnalyzerView *view = showSection();
    ASSERT_NE(view, nullptr);
    importAndAnalyse({makeAudio("plate/tone.flac", 2.0)});
    const QUuid id = store().analysisTracks().first().id;
    store().setSelectedIDs({id});
    store().setSelectedID(id);
    settle();
    ASSERT_EQ(view->detail()->pageName(), QStringLiteral("result"));
    SpectrogramPreview *preview = view->detail()->spectrogram()->preview();

    // Drawn on a clear canvas, the plate's quiet corner keeps its own opacity.
    const auto plateAlpha = [preview] {
        QImage image(preview->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        preview->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return image.pixelColor(preview->width() - 12, 8);
    };
    setAppearance("light");
    const QColor light = plateAlpha();
    EXPECT_EQ(light.alpha(), 255);
    EXPECT_LT(light.lightness(), 40);
    setAppearance("dark");
    EXPECT_LT(plateAlpha().alpha(), 160);
}

TEST_F(QualityAnalysisSectionTest, TableDensityScalesTheRowsButNotTheStatusBlock)
{
    QualityAnalyzerView *view = showSection();
    ASSERT_NE(view, nullptr);
    importAndAnalyse({makeAudio("density/a-rather-long-title-that-cannot-fit-the-row.flac"),
                      makeAudio("density/b.flac")});
    QualityAnalysisList *list = view->list();
    for (const double density : {0.85, 1.35}) {
        store().settings().setTableDensity(density);
        settle();
        list->layOutRows();
        const QRect rect = list->visualRect(list->analysisModel()->index(0));
        EXPECT_EQ(rect.height(),
                  QualityAnalysisRow::rowHeight(density) + QualityAnalysisRow::kRowSpacing);
        EXPECT_NEAR(QualityAnalysisRow::coverRect(rect, density).width(), 34 * density, 0.01);
        EXPECT_EQ(QualityAnalysisRow::statusRect(rect, density).width(),
                  QualityAnalysisRow::kStatusWidth);
        // Long titles are cut, never scrolled sideways.
        EXPECT_FALSE(list->horizontalScrollBar()->isVisible());
        saveScreenshot(QStringLiteral("analysis-density-%1.png").arg(density), settledGrab());
    }
}

TEST_F(QualityAnalysisSectionTest, ASelectionMadeElsewhereScrollsTheRowIntoView)
{
    // One tone and copies of it: the rows only have to outnumber what the list shows.
    QStringList files{makeAudio(QStringLiteral("many/00.flac"), 0.3)};
    for (int i = 1; i < 24; ++i) {
        files << path(QStringLiteral("many/%1.flac").arg(i, 2, 10, QLatin1Char('0')));
        ASSERT_TRUE(QFile::copy(files.first(), files.last()));
    }
    QualityAnalyzerView *view = showSection();
    ASSERT_NE(view, nullptr);
    store().importer().importForAnalysis(urls(files));
    QualityAnalysisList *list = view->list();
    // The rows, not their analyses: those run at idle priority, which a busy machine may not
    // give any time for a long while.
    ASSERT_TRUE(spinUntil([list] { return list->analysisModel()->rowCount() == 24; }));
    const QUuid last = list->analysisModel()->trackAt(23).id;
    // As another view or the store's own upkeep would: the section only listens.
    store().setSelectedIDs({last});
    store().setSelectedID(last);
    ASSERT_TRUE(spinUntil([&] {
        return list->viewport()->rect().contains(
            list->visualRect(list->analysisModel()->index(23)).center());
    }));
    EXPECT_EQ(view->focusedID(), last);
    EXPECT_GT(list->verticalScrollBar()->value(), 0);
}

} // namespace
} // namespace brivello
