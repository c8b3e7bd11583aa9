// Rows dragged out of every list that drags onto every section button, with the drop delivered
// while the drag runs; the favourites table drags through Qt's own QAbstractItemView::startDrag.
// The drop switches sections, and the list that started the drag must outlive the drag. Run
// under AddressSanitizer with freed memory filled, a list deleted too early crashes Qt.
#include "analysis/ui/QualityAnalysisList.h"
#include "favorites/FavoriteTableColumns.h"
#include "favorites/FavoritesTableModel.h"
#include "favorites/ui/FavoritesTableView.h"
#include "library/FavoriteMembership.h"
#include "library/LibrarySections.h"
#include "library/TrackImporter.h"
#include "shell/ContentArea.h"
#include "shell/DashboardSidebar.h"
#include "shell/PlaylistView.h"
#include "shell/SidebarSectionButton.h"
#include "shell/TrackRowDelegate.h"
#include "support/ui/EndToEndFixture.h"
#include "workspaces/ui/FileRowList.h"

#include <QApplication>
#include <QChildEvent>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QTest>

namespace brivello {
namespace {

// Drops `urls` on `target` at the moment `source` creates the drag object of a drag it starts:
// Qt's startDrag and the row lists both build the QDrag with their list as its parent and then
// run it. (The offscreen platform has no drag loop, so this is the one moment inside the drag.)
class DropInsideDrag : public QObject
{
public:
    DropInsideDrag(QWidget *source, QWidget *target, QList<QUrl> urls)
        : m_target(target)
        , m_urls(std::move(urls))
    {
        source->installEventFilter(this);
    }
    bool fired = false;
    bool accepted = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // A child still being built (its class is not known yet) that is no widget: the QDrag.
        if (fired || event->type() != QEvent::ChildAdded)
            return QObject::eventFilter(watched, event);
        QObject *child = static_cast<QChildEvent *>(event)->child();
        if (child->isWidgetType() || child->metaObject() != &QObject::staticMetaObject)
            return QObject::eventFilter(watched, event);
        fired = true;
        QMimeData mime;
        mime.setUrls(m_urls);
        const QPoint at = m_target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_target, &enter);
        QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_target, &drop);
        accepted = drop.isAccepted();
        return QObject::eventFilter(watched, event);
    }

private:
    QPointer<QWidget> m_target;
    QList<QUrl> m_urls;
};

class SectionSwitchInDragEndToEndTest : public testing::EndToEndFixture
{
protected:
    void SetUp() override
    {
        EndToEndFixture::SetUp();
        const ImportedFolder folder = importFolderInEnglishAtMinimumSize();
        m_files = folder.files;
        m_ids = folder.ids;
        ASSERT_EQ(m_ids.size(), kFolderRows);
    }

    // The list of `source` that drags, and where its first row is.
    QWidget *list(Tab source, QPoint *firstRow)
    {
        QWidget *view = window().contentArea()->currentView();
        switch (source) {
        case Tab::playlist: {
            auto *playlist = view->findChild<PlaylistView *>();
            playlist->layOutRows();
            *firstRow = TrackRowDelegate::geometry(
                            playlist->elementRect(0), true, playlist->rowDelegate()->density())
                            .content.center();
            return playlist;
        }
        case Tab::favorites: {
            auto *table = view->findChild<FavoritesTableView *>();
            const int album = FavoritesTableModel::columnOf(FavoriteTableColumns::kAlbum);
            *firstRow = table->visualRect(table->model()->index(0, album)).center();
            return table;
        }
        case Tab::analysis: {
            auto *analysis = view->findChild<QualityAnalysisList *>();
            analysis->layOutRows();
            *firstRow = analysis->visualRect(analysis->model()->index(0, 0)).center();
            return analysis;
        }
        default: {
            auto *rows = view->findChild<FileRowList *>();
            *firstRow = rows->rowRect(0).center();
            return rows;
        }
        }
    }

    QUrl firstFile(Tab source)
    {
        switch (source) {
        case Tab::playlist:
            return store().sections().playlistTracks().first().url;
        case Tab::favorites:
            return store().sections().visibleTracks().first().url;
        case Tab::covers:
            return store().sections().coverTracks().first().url;
        case Tab::converter:
            return store().conversionItems().first().url;
        default:
            return store().analysisTracks().first().url;
        }
    }

    // Presses the first row of `source` and moves with the button held until a drag starts; the
    // drop lands on `target`'s button inside it. Several: every row, selected with Ctrl+A.
    void dragOnto(Tab source, Tab target, bool several)
    {
        ASSERT_TRUE(clickSectionButton(source));
        settle();
        const QList<QUrl> carried = several ? m_files : QList<QUrl>{firstFile(source)};
        if (several)
            pressKey(Qt::Key_A, Qt::ControlModifier);
        QPoint from;
        const QPointer<QWidget> left = list(source, &from);
        ASSERT_TRUE(left);
        auto *viewport = static_cast<QAbstractScrollArea *>(left.data())->viewport();
        DropInsideDrag drop(left, window().sidebar()->sectionButton(target), carried);
        QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, from);
        for (int step = 1; step <= 4 && !drop.fired && left; ++step) {
            const QPoint to = from + QPoint(0, step * QApplication::startDragDistance());
            QMouseEvent move(QEvent::MouseMove,
                             to,
                             viewport->mapToGlobal(to),
                             Qt::NoButton,
                             Qt::LeftButton,
                             Qt::NoModifier);
            QApplication::sendEvent(viewport, &move);
        }
        ASSERT_TRUE(drop.fired) << "no drag started from section " << int(source);
        EXPECT_TRUE(drop.accepted) << "the button took no drop";
        EXPECT_EQ(store().activeTab(), target);
        EXPECT_TRUE(spinUntil([&] { return !left; })) << "the list left behind outlived the drag";
        EXPECT_TRUE(spinUntil([&] { return holds(target, carried.last()); }))
            << int(source) << " onto " << int(target);
    }

    bool holds(Tab tab, const QUrl &file)
    {
        const auto has = [&file](const QList<Track> &tracks) {
            return std::any_of(
                tracks.cbegin(), tracks.cend(), [&](const Track &t) { return t.url == file; });
        };
        switch (tab) {
        case Tab::playlist:
            return has(store().sections().playlistTracks());
        case Tab::favorites:
            return has(store().sections().favoriteTracks());
        case Tab::covers:
            return has(store().sections().coverTracks());
        case Tab::converter:
            return std::any_of(store().conversionItems().cbegin(),
                               store().conversionItems().cend(),
                               [&](const ConversionItem &item) { return item.url == file; });
        case Tab::analysis:
            return has(store().analysisTracks());
        case Tab::duplicates:
            return has(store().duplicateTracks());
        }
        return false;
    }

    void dragOntoEverySection(Tab source)
    {
        for (bool several : {false, true}) {
            for (Tab target : allSections()) {
                if (target != source)
                    dragOnto(source, target, several);
            }
        }
    }

    QList<QUrl> m_files;
    QList<QUuid> m_ids;
};

TEST_F(SectionSwitchInDragEndToEndTest, PlaylistRowsDroppedOnEverySectionButton)
{
    dragOntoEverySection(Tab::playlist);
}

TEST_F(SectionSwitchInDragEndToEndTest, FavouriteRowsDroppedOnEverySectionButton)
{
    store().favorites().addToFavorites(QSet<QUuid>(m_ids.cbegin(), m_ids.cend()));
    ASSERT_TRUE(
        spinUntil([&] { return store().sections().favoriteTracks().size() == kFolderRows; }));
    dragOntoEverySection(Tab::favorites);
}

TEST_F(SectionSwitchInDragEndToEndTest, CoverRowsDroppedOnEverySectionButton)
{
    store().importer().importForCovers(m_files);
    ASSERT_TRUE(spinUntil([&] { return store().sections().coverTracks().size() == kFolderRows; }));
    dragOntoEverySection(Tab::covers);
}

TEST_F(SectionSwitchInDragEndToEndTest, ConverterRowsDroppedOnEverySectionButton)
{
    queueForConversion(m_files);
    dragOntoEverySection(Tab::converter);
}

TEST_F(SectionSwitchInDragEndToEndTest, AnalysisRowsDroppedOnEverySectionButton)
{
    store().importer().importForAnalysis(m_files);
    ASSERT_TRUE(spinUntil([&] { return store().analysisTracks().size() == kFolderRows; }));
    dragOntoEverySection(Tab::analysis);
}

} // namespace
} // namespace brivello
