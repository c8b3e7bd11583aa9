#include "favorites/ui/FavoritesTableView.h"

#include "favorites/FavoritesSettingsKeys.h"
#include "favorites/FavoritesTableModel.h"
#include "favorites/ui/FavoritesHeaderView.h"
#include "favorites/ui/FavoritesItemDelegate.h"
#include "favorites/ui/FavoritesSection.h"
#include "favorites/ui/FavoritesTableGestures.h"
#include "platform/Defaults.h"
#include "shell/ShellEvents.h"
#include "support/LibraryStoreFixture.h"
#include "support/RecordingAudioPlayer.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QUndoStack>

using namespace brivello;
using namespace brivello::testing;

class FavoritesTableViewTest : public LibraryStoreFixture
{
protected:
    void SetUp() override
    {
        LibraryStoreFixture::SetUp();
        QList<Track> tracks;
        for (int i = 0; i < 8; ++i) {
            Track track = Track::make(touch(QStringLiteral("t%1.flac").arg(i)));
            track.tags.title = QStringLiteral("Song %1").arg(i);
            track.tags.artist = QStringLiteral("Artist %1").arg(i);
            track.tags.genre = i % 2 ? QStringLiteral("House") : QString();
            track.isFavorite = true;
            tracks.append(track);
        }
        makeStore().setTracks(tracks);
        store().setActiveTab(LibraryTab::favorites);
        m_section = std::make_unique<FavoritesSection>(store(), &m_player, &m_undo);
        m_section->resize(1200, 600);
        m_section->show();
        QCoreApplication::processEvents();
    }
    void TearDown() override
    {
        m_section.reset();
        LibraryStoreFixture::TearDown();
    }

    FavoritesTableView &table() { return *m_section->table(); }
    FavoritesTableModel &model() { return *m_section->model(); }
    QPoint cellCenter(int row, const QString &column)
    {
        return favoritesCellCenter(table(), row, column);
    }
    void rightClick(int row, const QString &column) { favoritesRightClick(table(), row, column); }

    RecordingAudioPlayer m_player;
    QUndoStack m_undo;
    std::unique_ptr<FavoritesSection> m_section;
};

TEST_F(FavoritesTableViewTest, ClicksSelectRowsIntoTheStore)
{
    QTest::mouseClick(table().viewport(), Qt::LeftButton, {}, cellCenter(2, "album"));
    EXPECT_EQ(store().selectedIDs(), QSet<QUuid>{model().idAt(2)});
    EXPECT_EQ(store().selectedID(), model().idAt(2));
    QTest::mouseClick(
        table().viewport(), Qt::LeftButton, Qt::ControlModifier, cellCenter(5, "year"));
    EXPECT_EQ(store().selectedIDs(), (QSet<QUuid>{model().idAt(2), model().idAt(5)}));
    QTest::mouseClick(
        table().viewport(), Qt::LeftButton, Qt::ShiftModifier, cellCenter(3, "title"));
    EXPECT_EQ(store().selectedIDs().size(), 4); // the range from the first selected row
    QTest::mouseDClick(table().viewport(), Qt::LeftButton, {}, cellCenter(4, "format"));
    EXPECT_EQ(m_player.started, QList<QUuid>{model().idAt(4)});
    EXPECT_EQ(store().selectedIDs(), QSet<QUuid>{model().idAt(4)});
}

TEST_F(FavoritesTableViewTest, ArrowKeysSelectAndPlayAndControlASelectsAll)
{
    store().setSelectedID(std::nullopt);
    table().setFocus();
    QTest::keyClick(&table(), Qt::Key_Down);
    EXPECT_EQ(m_player.played, QList<QUuid>{model().idAt(0)});
    QTest::keyClick(&table(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(store().selectedID(), model().idAt(1));
    EXPECT_TRUE(table().selectionModel()->isRowSelected(1));
    store().setSelectedID(std::nullopt);
    QTest::keyClick(&table(), Qt::Key_Up);
    EXPECT_EQ(m_player.played.last(), model().idAt(7));
    QTest::keyClick(&table(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(store().selectedIDs().size(), 8);
    EXPECT_EQ(table().selectionModel()->selectedRows().size(), 8);
}

TEST_F(FavoritesTableViewTest, MovedColumnsKeepHeartAndPlayingFirstAndAreStored)
{
    QHeaderView *header = table().horizontalHeader();
    const int title = FavoritesTableModel::columnOf("title");
    header->moveSection(header->visualIndex(title), 0);
    EXPECT_EQ(header->visualIndex(FavoritesTableModel::columnOf("favorite")), 0);
    EXPECT_EQ(header->visualIndex(FavoritesTableModel::columnOf("playing")), 1);
    EXPECT_EQ(header->visualIndex(title), 2);
    const QStringList stored =
        Defaults::standard().value(kFavoriteTableColumnOrderKey).toStringList();
    EXPECT_EQ(stored.mid(0, 3), (QStringList{"favorite", "playing", "title"}));

    header->resizeSection(FavoritesTableModel::columnOf("album"), 222);
    EXPECT_EQ(Defaults::standard().real(kFavoriteTableWidthKeyPrefix + "album"), 222.0);
    table().toggleColumn("year");
    EXPECT_TRUE(header->isSectionHidden(FavoritesTableModel::columnOf("year")));
    EXPECT_EQ(Defaults::standard().value(kFavoriteTableHiddenColumnsKey).toString(), "year");
    table().toggleColumn("playing"); // never hidden
    EXPECT_FALSE(header->isSectionHidden(FavoritesTableModel::columnOf("playing")));

    // A new table reads the layout back.
    FavoritesSection again(store(), &m_player, &m_undo);
    QHeaderView *restored = again.table()->horizontalHeader();
    EXPECT_EQ(restored->visualIndex(title), 2);
    EXPECT_EQ(restored->sectionSize(FavoritesTableModel::columnOf("album")), 222);
    EXPECT_TRUE(restored->isSectionHidden(FavoritesTableModel::columnOf("year")));
}

TEST_F(FavoritesTableViewTest, RightClickOnTitleEditsInPlaceAndHoldsRefreshesBack)
{
    const QUuid id = model().idAt(1);
    const QString title = model().rows().at(1).tags.title;
    rightClick(1, "title");
    ASSERT_TRUE(table().isEditing());
    EXPECT_TRUE(store().isEditingMetadata());
    auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->text(), title);

    // A tag change of another track arrives mid-edit: no reset, applied after.
    QSignalSpy resets(&model(), &QAbstractItemModel::modelReset);
    QList<Track> tracks = store().tracks();
    tracks[0].tags.title = QStringLiteral("Zz moved");
    store().setTracks(tracks);
    m_scheduler.advance(1);
    QCoreApplication::processEvents();
    EXPECT_EQ(resets.size(), 0);

    editor->setText(QStringLiteral("Renamed"));
    QTest::keyClick(editor, Qt::Key_Return);
    for (int i = 0; i < 3; ++i) {
        m_scheduler.advance(1);
        QCoreApplication::processEvents();
    }
    EXPECT_FALSE(store().isEditingMetadata());
    EXPECT_EQ(resets.size(), 1);
    const auto found = std::find_if(store().tracks().cbegin(),
                                    store().tracks().cend(),
                                    [&](const Track &t) { return t.id == id; });
    EXPECT_EQ(found->tags.title, QStringLiteral("Renamed"));
    EXPECT_EQ(m_undo.count(), 1);
}

TEST_F(FavoritesTableViewTest, EscapeEndsAGenreEditKeepingWhatWasTyped)
{
    const QModelIndex genre = model().index(0, FavoritesTableModel::columnOf("genre"));
    static_cast<QAbstractItemView &>(table()).edit(genre);
    ASSERT_TRUE(table().isEditing());
    auto *field = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    ASSERT_TRUE(field);
    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("Techno"));
    EXPECT_EQ(model().genreDraft(model().idAt(0)), std::optional<QString>(field->text()));
    const QUuid id = model().idAt(0);
    QTest::keyClick(field, Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_FALSE(table().isEditing());
    EXPECT_FALSE(store().isEditingMetadata());
    EXPECT_FALSE(model().genreDraft(id).has_value());
    const auto found = std::find_if(store().tracks().cbegin(),
                                    store().tracks().cend(),
                                    [&](const Track &t) { return t.id == id; });
    ASSERT_NE(found, store().tracks().cend());
    EXPECT_EQ(found->tags.genre, QStringLiteral("Techno"));
}

TEST_F(FavoritesTableViewTest, AnEditedCellDrawsOnlyItsEditorsText)
{
    rightClick(1, "title");
    ASSERT_TRUE(table().isEditing());
    const QModelIndex title = model().index(1, FavoritesTableModel::columnOf("title"));
    QStyleOptionViewItem option;
    option.initFrom(&table());
    option.widget = &table();
    option.rect = QRect(0, 0, 200, 32);
    QImage image(200, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        table().favoritesDelegate()->paint(&painter, option, title);
    }
    EXPECT_EQ(image, [] {
        QImage clear(200, 32, QImage::Format_ARGB32_Premultiplied);
        clear.fill(Qt::transparent);
        return clear;
    }()) << "the old title is drawn under the editor";
    auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    ASSERT_TRUE(editor);
    EXPECT_NE(editor->palette().color(QPalette::Text), editor->palette().color(QPalette::Base));
    QTest::keyClick(editor, Qt::Key_Escape);
}

TEST_F(FavoritesTableViewTest, ColumnsKeepTheirMinimumWidthsAndThePlayingEntryIsFixed)
{
    QHeaderView *header = table().horizontalHeader();
    header->resizeSection(FavoritesTableModel::columnOf("album"), 20);
    EXPECT_EQ(header->sectionSize(FavoritesTableModel::columnOf("album")), 55);
    EXPECT_EQ(Defaults::standard().real(kFavoriteTableWidthKeyPrefix + "album"), 55.0);
    header->resizeSection(FavoritesTableModel::columnOf("favorite"), 12);
    EXPECT_EQ(header->sectionSize(FavoritesTableModel::columnOf("favorite")), 24);
    EXPECT_EQ(header->sectionSize(FavoritesTableModel::columnOf("playing")), 10);

    std::unique_ptr<QMenu> columns(table().makeColumnMenu(-1, nullptr));
    const auto actions = columns->actions();
    ASSERT_EQ(actions.size(), 12);
    QAction *playing = actions.at(1);
    EXPECT_EQ(playing->data().toString(), QStringLiteral("playing"));
    EXPECT_TRUE(playing->isChecked());
    EXPECT_FALSE(playing->isEnabled());
    playing->trigger();
    EXPECT_FALSE(header->isSectionHidden(FavoritesTableModel::columnOf("playing")));
}

TEST_F(FavoritesTableViewTest, RevealScrollsSmoothlyOrAtOnceWithReducedMotion)
{
    m_section->resize(1200, 160);
    QCoreApplication::processEvents();
    ShellEvents::instance().setReduceMotion(false);
    table().reveal(7);
    EXPECT_TRUE(table().isRevealing());
    EXPECT_TRUE(spinUntil([&] { return !table().isRevealing(); }));
    const QRect last = table().visualRect(model().index(7, 2));
    EXPECT_LE(last.bottom(), table().viewport()->height());
    ShellEvents::instance().setReduceMotion(true);
    table().reveal(0);
    EXPECT_FALSE(table().isRevealing());
    EXPECT_EQ(table().verticalScrollBar()->value(), 0);
    ShellEvents::instance().setReduceMotion(false);
}

TEST_F(FavoritesTableViewTest, HoverFollowsTheRowScrolledUnderAStillPointer)
{
    m_section->resize(1200, 160);
    QCoreApplication::processEvents();
    const QPoint at = cellCenter(1, "album");
    QCursor::setPos(table().viewport()->mapToGlobal(at));
    QTest::mouseMove(table().viewport(), at);
    if (QCursor::pos() != table().viewport()->mapToGlobal(at))
        GTEST_SKIP() << "the platform keeps no pointer position";
    ASSERT_EQ(table().hoveredRow(), 1);
    table().verticalScrollBar()->setValue(table().rowHeight(0) * 2);
    EXPECT_EQ(table().hoveredRow(), table().rowAt(at.y()));
    EXPECT_NE(table().hoveredRow(), 1);
}

TEST_F(FavoritesTableViewTest, EmptyStateOnlyWithoutAnyFavourite)
{
    EXPECT_FALSE(m_section->isShowingEmptyState());
    model().selectGenreFilter(QStringLiteral("Nothing like this"));
    EXPECT_FALSE(m_section->isShowingEmptyState());
    EXPECT_EQ(model().rowCount(), 0);
    QList<Track> tracks = store().tracks();
    for (Track &track : tracks)
        track.isFavorite = false;
    store().setTracks(tracks);
    EXPECT_TRUE(m_section->isShowingEmptyState());
}

TEST_F(FavoritesTableViewTest, TheGenreHeaderOpensTheFilterOnlyFromItsChevronAndMenusHoldTheirItems)
{
    FavoritesHeaderView *header = table().favoritesHeader();
    QSignalSpy filter(header, &FavoritesHeaderView::genreFilterRequested);
    const int genre = FavoritesTableModel::columnOf("genre");
    const QRect zone = header->filterZone(genre);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, zone.center());
    EXPECT_EQ(filter.size(), 1);
    const int left = header->sectionViewportPosition(genre) + 10;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(left, zone.center().y()));
    EXPECT_EQ(filter.size(), 1);

    store().setFavoriteGenreFilter(QStringLiteral("House"));
    std::unique_ptr<QMenu> genres(table().makeGenreFilterMenu(nullptr));
    QStringList checked;
    for (QAction *action : genres->actions()) {
        if (action->isChecked())
            checked << action->data().toString();
    }
    EXPECT_EQ(checked, QStringList{"House"});
    EXPECT_EQ(genres->actions().size(), 4); // all, untagged, separator, House

    std::unique_ptr<QMenu> columns(table().makeColumnMenu(genre, nullptr));
    EXPECT_EQ(columns->actions().size(), 3 + 12); // two auto-sizes, separator, every column
    store().setSelectedIDs({model().idAt(1), model().idAt(2)});
    table().syncSelectionFromStore();
    std::unique_ptr<QMenu> rows(table().makeRowMenu(nullptr));
    ASSERT_EQ(rows->actions().size(), 5);
    rows->actions().at(3)->trigger(); // to the converter
    EXPECT_TRUE(spinUntil([&] { return store().conversionItems().size() == 2; }));
}
