// The favourites table in the real window over a real store: edits, genres and covers read back
// from the files with tools nobody here wrote.
#include "favorites/FavoritesTableModel.h"
#include "favorites/ui/FavoritesItemDelegate.h"
#include "favorites/ui/FavoritesSection.h"
#include "favorites/ui/FavoritesTableGestures.h"
#include "favorites/ui/FavoritesTableView.h"
#include "favorites/ui/GenreCapsuleButton.h"
#include "favorites/ui/GenreCommandPalette.h"
#include "favorites/ui/GenreQuickBar.h"
#include "library/FavoriteMembership.h"
#include "library/GenreEditing.h"
#include "library/LibrarySections.h"
#include "platform/BrivelloLocalization.h"
#include "platform/Defaults.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "shell/ContentArea.h"
#include "support/TestAudioFiles.h"
#include "support/ui/EndToEndFixture.h"

#include <QAccessible>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>
#include <QUndoStack>

namespace brivello {

using test::TestAudioFiles;
using testing::favoritesCellCenter;
using testing::favoritesRightClick;

class FavoritesTableEndToEndTest : public testing::EndToEndFixture
{
protected:
    // Favourite files named by their titles, shown in the favourites section; their ids in
    // file order.
    QList<QUuid> favourites(const QStringList &titles, const QStringList &extensions = {})
    {
        QStringList files;
        for (int i = 0; i < titles.size(); ++i) {
            const QString extension = extensions.value(i, QStringLiteral("flac"));
            files << makeAudio(
                QStringLiteral("music/%1.%2").arg(i).arg(extension),
                0.5,
                {QStringLiteral("-metadata"), QStringLiteral("title=") + titles.at(i)});
        }
        const QList<QUuid> ids = importAndWait(urls(files));
        store().favorites().toggleFavorites(QSet<QUuid>(ids.cbegin(), ids.cend()), nullptr);
        showSection(Tab::favorites);
        return ids;
    }
    FavoritesSection *section()
    {
        return qobject_cast<FavoritesSection *>(window().contentArea()->currentView());
    }
    FavoritesTableView &table() { return *section()->table(); }
    FavoritesTableModel &model() { return *section()->model(); }
    QString file(const QUuid &id) { return track(id) ? track(id)->url.toLocalFile() : QString(); }
    QPoint cellCenter(int row, const QString &column)
    {
        return favoritesCellCenter(table(), row, column);
    }
    void rightClick(int row, const QString &column) { favoritesRightClick(table(), row, column); }
    QLineEdit *editor() { return qobject_cast<QLineEdit *>(QApplication::focusWidget()); }
    // The open pop-up menu's action carrying that data or that text.
    static QAction *popupAction(const QVariant &data, const QString &text = {})
    {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return nullptr;
        for (QAction *action : menu->actions()) {
            if ((!text.isEmpty() && action->text() == text) ||
                (text.isEmpty() && action->data() == data && !action->isSeparator()))
                return action;
        }
        return nullptr;
    }
    static void closePopups()
    {
        for (int left = 10; left > 0; --left) {
            QWidget *popup = QApplication::activePopupWidget();
            if (!popup)
                return;
            popup->close();
        }
        ADD_FAILURE() << "a popup would not close";
    }
    QSet<QUuid> tableSelection()
    {
        QSet<QUuid> ids;
        for (const QModelIndex &index : table().selectionModel()->selectedRows())
            ids.insert(model().idAt(index.row()));
        return ids;
    }
    void click(int row, const QString &column, Qt::KeyboardModifiers modifiers = {})
    {
        clickAt(table().viewport(), cellCenter(row, column), modifiers);
    }
    // Clicks the first row, then Ctrl-clicks the others.
    void selectRows(std::initializer_list<int> rows)
    {
        for (const int row : rows)
            click(row, "album", row == *rows.begin() ? Qt::NoModifier : Qt::ControlModifier);
    }
    void selectAllWithKeys()
    {
        table().setFocus();
        QTest::keyClick(&table(), Qt::Key_A, Qt::ControlModifier);
        settle(); // the window selects all, then asks the table to show it
    }
};

TEST_F(FavoritesTableEndToEndTest, TabToTheNextCellKeepsWhatIsTypedThereAndSavesBoth)
{
    const QList<QUuid> ids = favourites({"Alpha", "Beta", "Gamma"});
    ASSERT_EQ(model().idAt(0), ids.at(0));
    rightClick(0, "title");
    ASSERT_TRUE(editor());
    editor()->selectAll();
    QTest::keyClicks(editor(), QStringLiteral("Zulu")); // sorts the row to the end
    QTest::keyClick(editor(), Qt::Key_Tab);
    ASSERT_TRUE(table().isEditing()) << "Tab opens the album editor";
    EXPECT_TRUE(store().isEditingMetadata());
    settle(400); // the title's write lands and the metadata refresh comes due
    ASSERT_TRUE(table().isEditing()) << "a pass destroyed the open editor";
    ASSERT_TRUE(editor());
    QTest::keyClicks(editor(), QStringLiteral("Night Album"));
    QTest::keyClick(editor(), Qt::Key_Return);
    EXPECT_TRUE(waitForTag(file(ids.at(0)), "title", "Zulu"));
    EXPECT_TRUE(waitForTag(file(ids.at(0)), "album", "Night Album"));
    EXPECT_FALSE(store().isEditingMetadata());
    EXPECT_TRUE(spinUntil([&] { return model().idAt(2) == ids.at(0); }));
    EXPECT_EQ(tag(file(ids.at(1)), "album"), QString());

    // Tab and Shift+Tab through every column of the last row end cleanly.
    rightClick(2, "artist");
    for (int i = 0; i < 12 && editor(); ++i)
        QTest::keyClick(editor(), Qt::Key_Tab);
    rightClick(2, "title");
    for (int i = 0; i < 12 && editor(); ++i)
        QTest::keyClick(editor(), Qt::Key_Backtab);
    settle(300);
    EXPECT_FALSE(table().isEditing());
    EXPECT_FALSE(store().isEditingMetadata());
}

TEST_F(FavoritesTableEndToEndTest, EscapeEndsAnEditAndWritesWhatWasTyped)
{
    const QList<QUuid> ids = favourites({"Alpha", "Beta"});
    const int row = model().rowOf(ids.at(1));
    rightClick(row, "title");
    ASSERT_TRUE(editor());
    editor()->selectAll();
    QTest::keyClicks(editor(), QStringLiteral("Typed Then Escaped"));
    QTest::keyClick(editor(), Qt::Key_Escape);
    EXPECT_TRUE(waitForTag(file(ids.at(1)), "title", "Typed Then Escaped"));
    EXPECT_FALSE(table().isEditing());
    EXPECT_FALSE(store().isEditingMetadata());

    // The genre field too, with its draft gone once the genre is written.
    static_cast<QAbstractItemView &>(table()).edit(
        model().index(model().rowOf(ids.at(0)), FavoritesTableModel::columnOf("genre")));
    ASSERT_TRUE(editor());
    QTest::keyClicks(editor(), QStringLiteral("Electro"));
    QTest::keyClick(editor(), Qt::Key_Escape);
    EXPECT_TRUE(waitForTag(file(ids.at(0)), "genre", "Electro"));
    EXPECT_FALSE(model().genreDraft(ids.at(0)).has_value());
    EXPECT_EQ(tag(file(ids.at(1)), "genre"), QString());
}

TEST_F(FavoritesTableEndToEndTest, TheGenrePaletteOpensInsideTheWindowAtEverySize)
{
    favourites({"Alpha", "Beta"});
    auto *bar = section()->findChild<GenreQuickBar *>();
    ASSERT_TRUE(bar);
    const auto global = [](const QWidget *widget) {
        return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
    };
    for (const QSize size :
         {QSize(MainWindow::kMinimumWidth, MainWindow::kMinimumHeight), QSize(1440, 900)}) {
        window().resize(size);
        settle();
        ASSERT_EQ(window().size(), size);
        clickAt(bar->searchButton(), bar->searchButton()->rect().center());
        ASSERT_TRUE(spinUntil([&] { return bar->isShowingPalette(); }, 5000));
        const QRect inside = global(&window());
        const GenreCommandPalette *palette = bar->palette();
        EXPECT_TRUE(inside.contains(global(bar->popup())))
            << size.width() << "×" << size.height() << ": the palette leaves the window";
        EXPECT_TRUE(inside.contains(global(palette->searchField())));
        EXPECT_TRUE(inside.contains(global(palette->footnote())));
        // The help text is wrapped whole inside the palette, not cut at its edge.
        EXPECT_TRUE(global(bar->popup()).contains(global(palette->footnote())));
        EXPECT_GE(palette->footnote()->height(),
                  palette->footnote()->heightForWidth(palette->footnote()->width()));
        if (size == QSize(1440, 900)) { // the window with the palette drawn where it opens
            QImage shot = settledGrab();
            QPainter painter(&shot);
            painter.drawImage(global(bar->popup()).topLeft() - inside.topLeft(),
                              bar->popup()->grab().toImage());
            painter.end();
            saveScreenshot(QStringLiteral("genre-palette-window.png"), shot);
        }
        bar->closePalette();
        settle();
    }
}

TEST_F(FavoritesTableEndToEndTest, GenreFromARowPopUpIsWrittenToTheFileAndUndone)
{
    store().settings().setGenreListRaw(QStringLiteral("House\nDrum & Bass\nTechno"));
    const QList<QUuid> ids = favourites({"One", "Two"});
    const int row = model().rowOf(ids.at(1));
    const QRect cell =
        table().visualRect(model().index(row, FavoritesTableModel::columnOf("genre")));
    QTest::mouseClick(table().viewport(),
                      Qt::LeftButton,
                      {},
                      FavoritesItemDelegate::genreButtonRect(cell).center());
    QAction *none = popupAction(QString());
    ASSERT_TRUE(none) << "the genre pop-up did not open";
    EXPECT_TRUE(none->isChecked()); // "Без жанра" for a track without a genre
    QAction *dnb = popupAction(QStringLiteral("Drum & Bass"));
    ASSERT_TRUE(dnb);
    EXPECT_EQ(dnb->text(), QStringLiteral("Drum && Bass")); // shown with its ampersand
    dnb->trigger();
    closePopups();
    EXPECT_TRUE(waitForTag(file(ids.at(1)), "genre", "Drum & Bass"));
    EXPECT_EQ(tag(file(ids.at(0)), "genre"), QString());
    EXPECT_TRUE(spinUntil([&] { return model().rowOf(ids.at(1)) == 0; })); // genres sort first

    // The filter menu shows the ampersand too.
    std::unique_ptr<QMenu> filter(table().makeGenreFilterMenu(nullptr));
    QStringList texts;
    for (QAction *action : filter->actions())
        texts << action->text();
    EXPECT_TRUE(texts.contains(QStringLiteral("Drum && Bass"))) << texts.join('|').toStdString();

    window().undoStack()->undo();
    EXPECT_TRUE(waitForTag(file(ids.at(1)), "genre", QString()));
}

TEST_F(FavoritesTableEndToEndTest, GenreCommittedOnAnUnselectedRowChangesThatRowAlone)
{
    const QList<QUuid> ids = favourites({"A1", "B2", "C3", "D4"});
    selectRows({0, 1});
    ASSERT_EQ(store().selectedIDs(), (QSet<QUuid>{model().idAt(0), model().idAt(1)}));
    const QUuid target = model().idAt(3);
    static_cast<QAbstractItemView &>(table()).edit(
        model().index(3, FavoritesTableModel::columnOf("genre")));
    ASSERT_TRUE(editor());
    QTest::keyClicks(editor(), QStringLiteral("Techno"));
    QTest::keyClick(editor(), Qt::Key_Left); // arrows move the caret, the edit stays open
    QTest::keyClick(editor(), Qt::Key_Down);
    EXPECT_TRUE(table().isEditing());
    QTest::keyClick(editor(), Qt::Key_Return);
    EXPECT_TRUE(waitForTag(file(target), "genre", "Techno"));
    settle(300);
    for (const QUuid &id : ids) {
        if (id != target) {
            EXPECT_EQ(tag(file(id), "genre"), QString());
        }
    }
    window().undoStack()->undo();
    EXPECT_TRUE(waitForTag(file(target), "genre", QString()));
}

TEST_F(FavoritesTableEndToEndTest, LongBlankAndFilteredAwayGenresEndCleanly)
{
    const QList<QUuid> ids = favourites({"G1", "G2", "G3"});
    const auto typeGenre = [&](int row, const QString &text) {
        static_cast<QAbstractItemView &>(table()).edit(
            model().index(row, FavoritesTableModel::columnOf("genre")));
        EXPECT_TRUE(editor());
        if (editor())
            editor()->insert(text);
    };
    const QUuid first = model().idAt(0);
    const QString longGenre = QString(300, QLatin1Char('x'));
    typeGenre(0, longGenre);
    QTest::keyClick(editor(), Qt::Key_Return);
    EXPECT_TRUE(waitForTag(file(first), "genre", longGenre));

    // Only spaces: the genre is cleared, not set to spaces.
    const int row = model().rowOf(first);
    typeGenre(row, QStringLiteral("   "));
    editor()->selectAll();
    editor()->insert(QStringLiteral("   "));
    QTest::keyClick(editor(), Qt::Key_Return);
    EXPECT_TRUE(waitForTag(file(first), "genre", QString()));

    // Typed, then the row is filtered away before the commit: it still lands on its track.
    settle(300);
    const QUuid typed = model().idAt(1);
    typeGenre(1, QStringLiteral("Dub"));
    store().setFavoriteGenreFilter(QStringLiteral("Nothing like this"));
    settle(300);
    ASSERT_TRUE(table().isEditing()) << "the filter pass destroyed the open editor";
    EXPECT_EQ(model().genreDraft(typed), std::optional<QString>(editor()->text()));
    QTest::keyClick(editor(), Qt::Key_Return);
    EXPECT_TRUE(waitForTag(file(typed), "genre", "Dub"));
    EXPECT_TRUE(spinUntil([&] { return model().rowCount() == 0; }));
    EXPECT_FALSE(store().isEditingMetadata());
}

// Two favourites of one name exported through the toolbar: the copy that finds its name taken
// keeps all of it, dots inside included, and gets the counter before its extension.
TEST_F(FavoritesTableEndToEndTest, ExportRenamesACopyWhoseNameIsTakenKeepingTheWholeName)
{
    const QString name = QStringLiteral("DJ A feat. B - Track");
    const QString first = makeAudio(QStringLiteral("a/") + name + QStringLiteral(".mp3"), 0.5);
    const QString second = makeAudio(QStringLiteral("b/") + name + QStringLiteral(".mp3"), 0.7);
    const QList<QUuid> ids = importAndWait(urls({first, second}));
    ASSERT_EQ(ids.size(), 2);
    store().favorites().toggleFavorites(QSet<QUuid>(ids.cbegin(), ids.cend()), nullptr);
    showSection(Tab::favorites);
    selectAllWithKeys();
    ASSERT_EQ(store().selectedIDs().size(), 2);

    QAbstractButton *exportButton = visibleButton(QStringLiteral("Экспорт"));
    ASSERT_TRUE(exportButton);
    QTest::mouseClick(exportButton, Qt::LeftButton);
    auto *dialog = window().findChild<QFileDialog *>();
    ASSERT_TRUE(dialog);
    const QString target = path(QStringLiteral("export"));
    ASSERT_TRUE(QDir().mkpath(target));
    dialog->selectFile(target);
    static_cast<QDialog *>(dialog)->accept();

    // Either file may be copied first; both arrive whole, the second under the longer name.
    const QString kept = target + QLatin1Char('/') + name + QStringLiteral(".mp3");
    const QString renamed = target + QLatin1Char('/') + name + QStringLiteral(" (2).mp3");
    const QSet<QByteArray> sources = {TestAudioFiles::readAll(first),
                                      TestAudioFiles::readAll(second)};
    EXPECT_TRUE(spinUntil([&] {
        return QSet<QByteArray>{TestAudioFiles::readAll(kept), TestAudioFiles::readAll(renamed)} ==
               sources;
    })) << QDir(target).entryList(QDir::Files).join(QStringLiteral(", ")).toStdString();
    EXPECT_EQ(QDir(target).entryList(QDir::Files).size(), 2);
}

TEST_F(FavoritesTableEndToEndTest, RowMenuWritesOneCoverIntoTwoFlacAndOneMp3)
{
    const QList<QUuid> ids = favourites({"F1", "F2", "M3"}, {"flac", "flac", "mp3"});
    const QString png = path(QStringLiteral("cover.png"));
    const QByteArray picture = TestAudioFiles::pngPicture(48);
    ASSERT_TRUE(TestAudioFiles::writeAll(png, picture));
    selectAllWithKeys();
    ASSERT_EQ(store().selectedIDs().size(), 3);
    rightClick(1, "album");
    QAction *cover =
        popupAction({}, BrivelloLocalization::string(QStringLiteral("Присвоить обложку…")));
    ASSERT_TRUE(cover);
    EXPECT_TRUE(cover->isEnabled());
    cover->trigger();
    closePopups();
    auto *dialog = table().findChild<QFileDialog *>();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->windowTitle(),
              BrivelloLocalization::string(QStringLiteral("Выберите обложку")));
    EXPECT_TRUE(dialog->nameFilters().join(' ').contains(QStringLiteral("*.heic")));
    dialog->selectFile(png);
    static_cast<QDialog *>(dialog)->accept(); // QFileDialog hides it
    ASSERT_FALSE(store().artworkWritingIDs().isEmpty()) << "no cover batch started";
    ASSERT_TRUE(spinUntil([&] { return store().artworkWritingIDs().isEmpty(); }));
    EXPECT_FALSE(store().lastError().has_value());
    for (const QUuid &id : ids)
        EXPECT_EQ(embeddedPicture(file(id)), picture) << file(id).toStdString();

    // A text file is refused with a clear message and writes nothing.
    const QString text = path(QStringLiteral("notes.txt"));
    ASSERT_TRUE(TestAudioFiles::writeAll(text, "not a picture"));
    rightClick(0, "album");
    popupAction({}, BrivelloLocalization::string(QStringLiteral("Присвоить обложку…")))->trigger();
    closePopups();
    dialog = table().findChild<QFileDialog *>();
    ASSERT_TRUE(dialog);
    dialog->setNameFilter(QStringLiteral("*"));
    dialog->selectFile(text);
    static_cast<QDialog *>(dialog)->accept(); // QFileDialog hides it
    EXPECT_TRUE(spinUntil([&] { return store().lastError().has_value(); }, 5000));
}

TEST_F(FavoritesTableEndToEndTest, TableSelectionIsTheStoreSelectionAfterEveryGesture)
{
    const QList<QUuid> ids = favourites({"S1", "S2", "S3", "S4", "S5"});
    click(1, "album");
    EXPECT_EQ(tableSelection(), store().selectedIDs());
    click(3, "album", Qt::ShiftModifier);
    EXPECT_EQ(tableSelection(), store().selectedIDs());
    EXPECT_EQ(store().selectedIDs().size(), 3);
    selectAllWithKeys();
    EXPECT_EQ(store().selectedIDs().size(), 5);
    EXPECT_EQ(tableSelection(), store().selectedIDs());

    // The focus request: inside the selection it keeps all of it, outside it selects one.
    selectRows({0, 2, 3});
    ASSERT_EQ(store().selectedIDs().size(), 3);
    ASSERT_EQ(tableSelection(), store().selectedIDs());
    const QSet<QUuid> three = store().selectedIDs();
    for (const auto &[row, selected] :
         {std::pair{2, three}, std::pair{4, QSet<QUuid>{model().idAt(4)}}}) {
        NotificationCenter::defaultCenter().post(
            brivelloFocusFavoriteTrack,
            nullptr,
            {{kUserInfoTrackID, QVariant::fromValue(model().idAt(row))}});
        settle();
        EXPECT_EQ(store().selectedIDs(), selected) << row;
        EXPECT_EQ(tableSelection(), store().selectedIDs());
    }

    // Re-entry with a multi-row selection.
    selectRows({0, 2, 4});
    showSection(Tab::playlist);
    showSection(Tab::favorites);
    EXPECT_EQ(store().selectedIDs().size(), 3);
    EXPECT_EQ(tableSelection(), store().selectedIDs());

    // Someone else changes the store's selection: the table follows, both ways. A focus left
    // without a selection is what commands act on, so it shows selected.
    store().setSelectedIDs({});
    settle();
    EXPECT_EQ(store().selectedIDs(), store().sections().activeSelection());
    EXPECT_EQ(tableSelection(), store().selectedIDs());
    store().setSelectedID(std::nullopt);
    store().setSelectedIDs({});
    settle();
    EXPECT_TRUE(tableSelection().isEmpty());
    store().setSelectedIDs({ids.at(1)});
    settle();
    EXPECT_EQ(tableSelection(), store().selectedIDs());

    // A restart with one favourite selected.
    click(2, "album");
    const QSet<QUuid> before = store().selectedIDs();
    restartApp();
    ASSERT_EQ(store().activeTab(), Tab::favorites);
    settledGrab();
    ASSERT_TRUE(section());
    spinUntil([&] { return model().rowCount() == 5; }, 20000);
    settle(300);
    EXPECT_EQ(store().sections().activeSelection(), before);
    EXPECT_EQ(tableSelection(), store().selectedIDs());
    EXPECT_EQ(tableSelection(), store().sections().activeSelection());
}

TEST_F(FavoritesTableEndToEndTest, DoubleClickOnAHeartNeverPlaysAndModifiedClicksSelect)
{
    const QList<QUuid> ids = favourites({"H1", "H2", "H3"});
    const QUuid first = model().idAt(0);
    const QUuid second = model().idAt(1);
    const QPoint heart = cellCenter(0, "favorite");
    QTest::mousePress(table().viewport(), Qt::LeftButton, {}, heart);
    QTest::mouseRelease(table().viewport(), Qt::LeftButton, {}, heart);
    settle(); // the pass removes the un-favourited row: another one is under the pointer now
    ASSERT_EQ(model().rowCount(), 2);
    ASSERT_EQ(model().idAt(0), second);
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonDblClick}) {
        QMouseEvent event(type,
                          heart,
                          table().viewport()->mapToGlobal(heart),
                          Qt::LeftButton,
                          Qt::LeftButton,
                          {});
        QApplication::sendEvent(table().viewport(), &event);
    }
    QTest::mouseRelease(table().viewport(), Qt::LeftButton, {}, heart);
    settle();
    EXPECT_FALSE(player().currentID().has_value());
    EXPECT_FALSE(player().isPlaying());
    const auto isFavourite = [&](const QUuid &id) { return track(id) && track(id)->isFavorite; };
    EXPECT_FALSE(isFavourite(first));
    EXPECT_TRUE(isFavourite(second)) << "the double click's second press toggled another heart";

    // Ctrl- and Shift-clicks on a heart select.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    click(0, "album");
    click(1, "favorite", Qt::ControlModifier);
    EXPECT_EQ(store().selectedIDs().size(), 2);
    EXPECT_TRUE(isFavourite(model().idAt(1)));
    EXPECT_EQ(model().rowCount(), 2);
    Q_UNUSED(ids);
}

// The row menu acts on the tracks it opened for: the rows re-sort under it while it shows (a
// genre landing moves the last of twelve favourites, out of sight below, to the top), and the
// cover goes into the clicked file, not into the one now at its row.
TEST_F(FavoritesTableEndToEndTest, RowMenuCoverGoesToTheTracksItOpenedForAfterAReSort)
{
    Defaults::standard().set(QStringLiteral("appLanguage"), QStringLiteral("en"));
    window().resize(window().minimumSize());
    QStringList titles;
    for (int i = 0; i < 12; ++i)
        titles << QStringLiteral("T%1").arg(i, 2, 10, QLatin1Char('0'));
    const QList<QUuid> ids = favourites(titles);
    const QString png = path(QStringLiteral("cover.png"));
    const QByteArray picture = TestAudioFiles::pngPicture(48);
    ASSERT_TRUE(TestAudioFiles::writeAll(png, picture));
    ASSERT_TRUE(spinUntil([&] { return model().idAt(0) == ids.first(); }));
    rightClick(0, "album");
    QAction *cover =
        popupAction({}, BrivelloLocalization::string(QStringLiteral("Присвоить обложку…")));
    ASSERT_TRUE(cover);
    store().genreEditing().assignGenre(QStringLiteral("House"), {ids.last()});
    ASSERT_TRUE(spinUntil([&] { return model().idAt(0) == ids.last(); }))
        << "the rows never re-sorted";
    cover->trigger();
    closePopups();
    auto *dialog = table().findChild<QFileDialog *>();
    ASSERT_TRUE(dialog);
    dialog->selectFile(png);
    static_cast<QDialog *>(dialog)->accept();
    ASSERT_TRUE(spinUntil([&] { return store().artworkWritingIDs().isEmpty(); }));
    const auto hasPicture = [&](const QUuid &id) {
        const auto blocks = TestAudioFiles::run(
            QStringLiteral("metaflac"),
            {QStringLiteral("--list"), QStringLiteral("--block-type=PICTURE"), file(id)});
        return blocks.ok() && !blocks.out.trimmed().isEmpty();
    };
    EXPECT_FALSE(hasPicture(ids.last())) << "the cover went to the file now at its row";
    ASSERT_TRUE(hasPicture(ids.first())) << "the clicked track got no cover";
    EXPECT_EQ(embeddedPicture(file(ids.first())), picture);
}

// The heart and the pause symbol are painted by the delegate: a screen reader hears their
// names through the table's accessible cells, in the language of the moment.
TEST_F(FavoritesTableEndToEndTest, PauseSymbolAndHeartAreNamedToScreenReadersInEitherLanguage)
{
    const QList<QUuid> ids = importAndWait(urls({makeAudio(QStringLiteral("music/a.flac"), 2.0),
                                                 makeAudio(QStringLiteral("music/b.flac"), 2.0)}));
    ASSERT_EQ(ids.size(), 2);
    store().favorites().toggleFavorites(QSet<QUuid>(ids.cbegin(), ids.cend()), nullptr);
    player().play(*track(ids[1]));
    ASSERT_TRUE(spinUntil([this] { return player().isPlaying(); }));
    player().toggle();
    ASSERT_TRUE(spinUntil([this] { return !player().isPlaying(); }));
    ASSERT_EQ(player().currentID(), ids[1]);
    showSection(Tab::favorites);
    ASSERT_TRUE(spinUntil([&] { return model().rowCount() == 2; }));
    settle();
    const int paused = model().rowOf(ids[1]);
    const int other = model().rowOf(ids[0]);

    QAccessibleInterface *view = QAccessible::queryAccessibleInterface(&table());
    ASSERT_TRUE(view && view->tableInterface());
    const auto name = [&](int row, const QString &column) {
        QAccessibleInterface *cell =
            view->tableInterface()->cellAt(row, FavoritesTableModel::columnOf(column));
        return cell ? cell->text(QAccessible::Name) : QStringLiteral("<no cell>");
    };
    EXPECT_EQ(name(paused, "playing"), QStringLiteral("На паузе"));
    EXPECT_EQ(name(other, "playing"), QString()) << "only the current track's cell shows a symbol";
    EXPECT_EQ(name(paused, "favorite"), QStringLiteral("Убрать из избранного"));
    EXPECT_EQ(name(other, "favorite"), QStringLiteral("Убрать из избранного"));

    Defaults::standard().set(QStringLiteral("appLanguage"), QStringLiteral("en"));
    settle();
    EXPECT_EQ(name(paused, "playing"), QStringLiteral("Paused"));
    EXPECT_EQ(name(other, "favorite"), QStringLiteral("Remove from favourites"));

    // Playing again, the cell shows the pulsing dot, which the pause name no longer describes.
    player().toggle();
    ASSERT_TRUE(spinUntil([this] { return player().isPlaying(); }));
    EXPECT_EQ(name(paused, "playing"), QString());
}

} // namespace brivello
