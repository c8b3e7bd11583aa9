#include "workspaces/ui/DuplicateFinderView.h"

#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "platform/Trash.h"
#include "shell/ActionButton.h"
#include "shell/ShellEvents.h"
#include "support/LibraryStoreFixture.h"
#include "support/RecordingAudioPlayer.h"
#include "workspaces/DuplicateGroupRows.h"
#include "workspaces/DuplicateWorkspace.h"
#include "workspaces/ui/DuplicateGroupCard.h"
#include "workspaces/ui/MiddleElidedLabel.h"
#include "workspaces/ui/ScanProgressBar.h"
#include "workspaces/ui/SectionRowStyle.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTest>

namespace brivello {
namespace {

// Records each file it is asked to move and moves none, as when every move fails.
class RefusingTrash : public Trash
{
public:
    TrashOutcome trashItem(const QString &path) override
    {
        asked.append(path);
        return {{}, TrashError{TrashError::permissionDenied, QStringLiteral("refused")}};
    }
    QStringList asked;
};

class DuplicateFinderViewTest : public testing::LibraryStoreFixture
{
protected:
    DuplicateFinderView &makeView(int fileCount)
    {
        m_services.trash = &m_trash;
        LibraryStore &s = makeStore();
        QList<Track> files;
        for (int i = 0; i < fileCount; ++i)
            files.append(Track::make(url(QStringLiteral("dup/%1.mp3").arg(i))));
        s.setDuplicateTracks(files);
        s.setActiveTab(LibraryStore::LibraryTab::duplicates);
        m_actions.findDuplicates = [this] {
            ++m_finds;
            DuplicateSearchState state = store().duplicateSearch();
            state.isSearching = true;
            store().setDuplicateSearch(state);
        };
        m_actions.trashMarkedTracks = [this](const QString &group) {
            DuplicateWorkspace::of(store()).trashMarkedTracks(group);
        };
        m_view = std::make_unique<DuplicateFinderView>(s, m_player, m_actions);
        m_view->resize(900, 600);
        return *m_view;
    }
    void TearDown() override
    {
        m_view.reset();
        LibraryStoreFixture::TearDown();
    }
    QUuid file(int i) { return store().duplicateTracks().at(i).id; }
    QString filePath(int i) { return store().duplicateTracks().at(i).url.toLocalFile(); }
    // Groups {0,1,2} and {3,1}: file 1 sits in both.
    void setGroups()
    {
        DuplicateSearchState state = store().duplicateSearch();
        state.groups = {
            {QStringLiteral("a"), {file(0), file(1), file(2)}, 5300000, DuplicateMatchKind::exact},
            {QStringLiteral("b"), {file(3), file(1)}, 1000, DuplicateMatchKind::probable}};
        store().setDuplicateSearch(state);
    }
    static void navigate(int offset)
    {
        NotificationCenter::defaultCenter().post(
            brivelloNavigateDuplicateItems, nullptr, {{QStringLiteral("offset"), offset}});
    }

    testing::RecordingAudioPlayer m_player;
    WorkspaceActions m_actions;
    int m_finds = 0;
    RefusingTrash m_trash;
    std::unique_ptr<DuplicateFinderView> m_view;
};

TEST_F(DuplicateFinderViewTest, ButtonsAndContentFollowTheStore)
{
    DuplicateFinderView &view = makeView(1);
    EXPECT_FALSE(view.findButton()->isEnabled());
    EXPECT_TRUE(view.clearButton()->isEnabled());
    EXPECT_EQ(view.content(), DuplicateFinderView::Content::emptyResult);
    store().setDuplicateTracks({});
    EXPECT_FALSE(view.clearButton()->isEnabled());
    DuplicateSearchState state = store().duplicateSearch();
    state.roots = {url(QStringLiteral("dup"))};
    store().setDuplicateSearch(state);
    EXPECT_TRUE(view.clearButton()->isEnabled());
    EXPECT_EQ(view.content(), DuplicateFinderView::Content::dropZone);
    EXPECT_TRUE(view.scopeLabel()->text().contains(QStringLiteral("Поиск в: ")));
    store().setDuplicateTracks(
        {Track::make(url(QStringLiteral("x.mp3"))), Track::make(url(QStringLiteral("y.mp3")))});
    EXPECT_TRUE(view.findButton()->isEnabled());
    // Two quick presses start one search.
    view.findButton()->click();
    view.findButton()->click();
    EXPECT_EQ(m_finds, 1);
    EXPECT_EQ(view.findButton()->titleKey(), QStringLiteral("Ищем…"));
    EXPECT_FALSE(view.findButton()->isEnabled());
    EXPECT_EQ(view.content(), DuplicateFinderView::Content::scanning);
}

TEST_F(DuplicateFinderViewTest, ProgressBlockTexts)
{
    DuplicateFinderView &view = makeView(2);
    DuplicateSearchState state = store().duplicateSearch();
    state.isSearching = true;
    state.phase = DuplicateSearchState::Phase::hashing;
    state.progress = 0.999;
    store().setDuplicateSearch(state);
    EXPECT_EQ(view.percentLabel()->text(), QStringLiteral("99%"));
    EXPECT_EQ(view.detailLabel()->text(), QStringLiteral("Отбираем файлы для проверки"));
    EXPECT_FALSE(view.counterLabel()->isVisibleTo(&view));
    state.candidateCount = 4;
    state.processedCount = 3;
    state.totalCount = 10;
    store().setDuplicateSearch(state);
    EXPECT_EQ(view.detailLabel()->text(),
              QStringLiteral("Хешируем совпавшие по размеру кандидаты"));
    EXPECT_EQ(view.counterLabel()->text(), QStringLiteral("3 / 10"));

    // The bar fills as far as the percent says, within a phase too, in the accent tint.
    view.show();
    state.progress = 0.37;
    store().setDuplicateSearch(state);
    EXPECT_EQ(view.percentLabel()->text(), QStringLiteral("37%"));
    ScanProgressBar *bar = view.progressBar();
    EXPECT_DOUBLE_EQ(bar->value(), 0.37);
    EXPECT_NEAR(bar->filledRect().width(), 0.37 * bar->width(), 0.5);
    const QImage drawn = bar->grab().toImage();
    const QColor filled = drawn.pixelColor(int(bar->width() * 0.2), bar->height() / 2);
    const QColor empty = drawn.pixelColor(int(bar->width() * 0.8), bar->height() / 2);
    EXPECT_EQ(filled,
              ScanProgressBar::tint(BrivelloTheme::isLight(ShellEvents::instance().scheme())));
    EXPECT_NE(empty, filled);
    // Digits of one width, so the numbers do not jitter as they count.
    EXPECT_TRUE(SectionRowStyle::hasMonospacedDigits(view.percentLabel()->font()));
    EXPECT_TRUE(SectionRowStyle::hasMonospacedDigits(view.counterLabel()->font()));
    // A long file name is shortened in the middle: its start and its end stay.
    state.currentFile = QStringLiteral("Artist - ") + QString(400, QLatin1Char('x')) +
                        QStringLiteral(" final.flac");
    store().setDuplicateSearch(state);
    auto *detail = qobject_cast<MiddleElidedLabel *>(view.detailLabel());
    ASSERT_TRUE(detail);
    EXPECT_EQ(detail->text(), state.currentFile);
    EXPECT_TRUE(detail->shownText().startsWith(QStringLiteral("Artist")));
    EXPECT_TRUE(detail->shownText().endsWith(QStringLiteral("final.flac")));
    EXPECT_TRUE(detail->shownText().contains(QChar(0x2026)));
}

TEST_F(DuplicateFinderViewTest, NavigationVisitsEachFileOnceAndStopsAtTheEnd)
{
    DuplicateFinderView &view = makeView(4);
    setGroups();
    EXPECT_EQ(view.content(), DuplicateFinderView::Content::groups);
    const QList<Track> order = view.navigableTracks();
    ASSERT_EQ(order.size(), 4);
    EXPECT_EQ(order.at(3).id, file(3));
    navigate(-1);
    EXPECT_EQ(store().duplicateSearch().focusedTrackID, file(3));
    navigate(1);
    EXPECT_EQ(store().duplicateSearch().focusedTrackID, file(3));
    EXPECT_EQ(m_player.played.size(), 2);
    NotificationCenter::defaultCenter().post(brivelloNavigateDuplicateItems, nullptr, {});
    EXPECT_EQ(m_player.played.size(), 2);
    // At the last file the end of the track ends playback instead of replaying it.
    NotificationCenter::defaultCenter().post(brivelloPlaybackDidFinish);
    EXPECT_EQ(m_player.played.size(), 2);
    navigate(-1);
    NotificationCenter::defaultCenter().post(brivelloPlaybackDidFinish);
    EXPECT_EQ(store().duplicateSearch().focusedTrackID, file(3));
    EXPECT_EQ(m_player.played.size(), 4);
}

TEST_F(DuplicateFinderViewTest, CardsCountExistingFilesAndTrashOnlyTheirMarks)
{
    DuplicateFinderView &view = makeView(4);
    view.show();
    setGroups();
    QList<Track> files = store().duplicateTracks();
    files.removeAt(2);
    store().setDuplicateTracks(files);
    const auto group = store().duplicateSearch().groups.first();
    EXPECT_EQ(DuplicateGroupRows::tracksIn(group, files).size(), 2);
    EXPECT_EQ(DuplicateGroupCard::fileCountText(2), QStringLiteral("Файлов: 2"));
    // Rows: heading a, 0, 1, heading b, 3, 1. Click the toggle of file 3 (row 4).
    QWidget *viewport = view.list()->viewport();
    const QRect row4 = view.list()->rowRect(4);
    QTest::mouseClick(
        viewport, Qt::LeftButton, {}, DuplicateGroupCard::toggleRect(row4, 1.0).center());
    EXPECT_EQ(store().duplicateSearch().selectedTrackIDs, QSet<QUuid>{file(2)});
    EXPECT_FALSE(store().duplicateSearch().focusedTrackID);
    // Card a has no mark: its trash button does nothing.
    const QRect heading0 = view.list()->rowRect(0);
    QTest::mouseClick(
        viewport, Qt::LeftButton, {}, DuplicateGroupCard::trashButtonRect(heading0, 1.0).center());
    EXPECT_TRUE(m_trash.asked.isEmpty());
    const QRect heading3 = view.list()->rowRect(3);
    QTest::mouseClick(
        viewport, Qt::LeftButton, {}, DuplicateGroupCard::trashButtonRect(heading3, 1.0).center());
    // The move fails: the file stays listed, no longer marked.
    EXPECT_EQ(m_trash.asked, QStringList{filePath(2)});
    EXPECT_TRUE(store().duplicateSearch().selectedTrackIDs.isEmpty());
    // A plain click picks the file alone and focuses it; a double click plays it.
    QTest::mouseClick(viewport, Qt::LeftButton, {}, view.list()->rowRect(1).center());
    EXPECT_EQ(store().duplicateSearch().focusedTrackID, file(0));
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, view.list()->rowRect(1).center());
    EXPECT_EQ(m_player.played, QList<QUuid>{file(0)});
}

// The cards follow "tableDensity" like the other lists; their trash button is drawn red
// while it can act.
TEST_F(DuplicateFinderViewTest, CardsScaleWithTheTableDensityAndWarnWithTheirTrashButton)
{
    DuplicateFinderView &view = makeView(4);
    view.show();
    setGroups();
    // Rows: heading a, 0, 1, 2, heading b, 3, 1.
    const int plain = view.list()->rowRect(1).height();
    store().settings().setTableDensity(1.35);
    const QRect row5 = view.list()->rowRect(5);
    EXPECT_EQ(row5.height(), DuplicateGroupCard::fileRowHeight(1.35));
    EXPECT_GT(row5.height(), plain);
    QWidget *viewport = view.list()->viewport();
    QTest::mouseClick(
        viewport, Qt::LeftButton, {}, DuplicateGroupCard::toggleRect(row5, 1.35).center());
    EXPECT_EQ(store().duplicateSearch().selectedTrackIDs, QSet<QUuid>{file(3)});

    const QRect trash = DuplicateGroupCard::trashButtonRect(view.list()->rowRect(4), 1.35);
    const QImage image = viewport->grab(trash).toImage();
    int red = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            red += c.red() > c.green() + 80 && c.red() > c.blue() + 80;
        }
    }
    EXPECT_GT(red, 10);
    EXPECT_EQ(DuplicateGroupCard::trashForeground(ColorScheme::dark, false),
              BrivelloTheme::actionForeground(ColorScheme::dark, false));
}

TEST_F(DuplicateFinderViewTest, MarksAndFocusOutsideTheGroupsArePruned)
{
    makeView(4);
    setGroups();
    DuplicateSearchState state = store().duplicateSearch();
    state.selectedTrackIDs = {file(0), file(3)};
    state.focusedTrackID = file(3);
    store().setDuplicateSearch(state);
    state.groups.removeLast();
    store().setDuplicateSearch(state);
    EXPECT_EQ(store().duplicateSearch().selectedTrackIDs, QSet<QUuid>{file(0)});
    EXPECT_EQ(store().duplicateSearch().focusedTrackID, file(0));
}

TEST_F(DuplicateFinderViewTest, ThreeDroppedFoldersAreThreeRootImports)
{
    DuplicateFinderView &view = makeView(0);
    touch(QStringLiteral("r1/a.mp3"));
    touch(QStringLiteral("r2/b.flac"));
    touch(QStringLiteral("r3/c.wav"));
    view.importDroppedURLs(
        {url(QStringLiteral("r1")), url(QStringLiteral("r2")), url(QStringLiteral("r3"))});
    EXPECT_TRUE(spinUntil([this] { return store().duplicateTracks().size() == 3; }));
    EXPECT_EQ(store().duplicateSearch().roots.size(), 3);
}

} // namespace
} // namespace brivello
