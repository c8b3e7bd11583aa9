#include "favorites/ui/GenreQuickBar.h"

#include "favorites/ui/GenreCapsuleButton.h"
#include "favorites/ui/GenreChipSection.h"
#include "favorites/ui/GenreComboBox.h"
#include "favorites/ui/GenreCommandPalette.h"
#include "library/GenreEditing.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "support/LibraryStoreFixture.h"
#include "support/WidgetScreenshot.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QUndoStack>
#include <QWheelEvent>

using namespace brivello;
using namespace brivello::testing;

namespace {

using Tab = LibraryStore::LibraryTab;

class GenreQuickBarTest : public LibraryStoreFixture
{
protected:
    void SetUp() override
    {
        LibraryStoreFixture::SetUp();
        makeStore();
        ids = setFavouriteTracks({"t0.mp3", "t1.mp3", "t2.mp3"});
        store().setActiveTab(Tab::favorites);
        store().setQuickGenreSlotsRaw(QStringLiteral("Afro House\n\nPop"));
        bar = std::make_unique<GenreQuickBar>(store(), [this] { return &undo; });
        bar->resize(900, GenreQuickBar::kHeight);
        bar->show();
    }
    void TearDown() override
    {
        bar.reset();
        LibraryStoreFixture::TearDown();
    }
    QString genreOf(int index) const
    {
        for (const Track &t : m_store->tracks())
            if (t.id == ids[index])
                return t.tags.genre;
        return {};
    }
    static void click(QWidget *button)
    {
        QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
    }

    QList<QUuid> ids;
    QUndoStack undo;
    std::unique_ptr<GenreQuickBar> bar;
};

TEST_F(GenreQuickBarTest, ChipsKeepSlotNumbersAndAssignTheirGenreToTheSelection)
{
    ASSERT_EQ(bar->chips().size(), 2);
    EXPECT_EQ(bar->chips()[0]->text(), "Afro House");
    EXPECT_EQ(bar->chips()[0]->badge(), 1);
    EXPECT_EQ(bar->chips()[1]->text(), "Pop");
    EXPECT_EQ(bar->chips()[1]->badge(), 3);

    // Nothing selected: chips and clear are off; search and the toggle stay usable.
    EXPECT_FALSE(bar->chips()[1]->isEnabled());
    EXPECT_FALSE(bar->clearButton()->isEnabled());
    EXPECT_TRUE(bar->searchButton()->isEnabled());
    EXPECT_TRUE(bar->untaggedToggle()->isEnabled());

    store().setSelectedIDs({ids[0], ids[2]});
    ASSERT_TRUE(bar->chips()[1]->isEnabled());
    click(bar->chips()[1]);
    EXPECT_EQ(genreOf(0), "Pop");
    EXPECT_EQ(genreOf(1), "");
    EXPECT_EQ(genreOf(2), "Pop");
    EXPECT_EQ(undo.count(), 1);

    // The selection is read at the click, and the clear button empties it again.
    store().setSelectedIDs({ids[2]});
    click(bar->clearButton());
    EXPECT_EQ(genreOf(0), "Pop");
    EXPECT_EQ(genreOf(2), "");
    EXPECT_EQ(undo.count(), 2);

    // Slots edited in the settings show at once.
    store().genreEditing().setQuickGenre(QStringLiteral("Techno"), 8);
    ASSERT_EQ(bar->chips().size(), 3);
    EXPECT_EQ(bar->chips()[2]->badge(), 9);
}

TEST_F(GenreQuickBarTest, ToggleFlipsTheUntaggedFilterAndItsFill)
{
    click(bar->untaggedToggle());
    EXPECT_TRUE(store().favoriteOnlyUntagged());
    EXPECT_EQ(bar->untaggedToggle()->fill(), GenreCapsuleButton::Fill::active);
    click(bar->untaggedToggle());
    EXPECT_FALSE(store().favoriteOnlyUntagged());
    EXPECT_EQ(bar->untaggedToggle()->fill(), GenreCapsuleButton::Fill::neutral);
}

TEST_F(GenreQuickBarTest, PaletteOpensOnTheNotificationOnlyInFavouritesAndEnterApplies)
{
    store().setActiveTab(Tab::playlist);
    NotificationCenter::defaultCenter().post(brivelloShowGenrePalette);
    EXPECT_FALSE(bar->isShowingPalette());

    store().setActiveTab(Tab::favorites);
    store().setSelectedIDs({ids[1]});
    NotificationCenter::defaultCenter().post(brivelloShowGenrePalette);
    ASSERT_TRUE(bar->isShowingPalette());
    GenreCommandPalette *palette = bar->palette();
    // The field takes the focus 80 ms later.
    m_scheduler.advance(0.08);
    EXPECT_EQ(bar->popup()->focusWidget(), palette->searchField());

    EXPECT_EQ(palette->heading(), "Все жанры");
    palette->searchField()->setText(QStringLiteral("hôuse"));
    EXPECT_EQ(palette->heading(), "Результаты");
    EXPECT_TRUE(palette->chipSectionTitles().isEmpty());
    ASSERT_EQ(palette->rows().size(), 6);
    EXPECT_EQ(palette->rows()[0]->text(), "Afro House");
    EXPECT_EQ(palette->rows()[0]->badge(), 1);
    QTest::keyClick(palette->searchField(), Qt::Key_Return);
    EXPECT_EQ(genreOf(1), "Afro House");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(bar->isShowingPalette());

    // Recent genres show for an empty query; a query without matches applies nothing.
    bar->showPalette();
    palette = bar->palette();
    EXPECT_TRUE(palette->chipSectionTitles().contains("Недавние"));
    palette->searchField()->setText(QStringLiteral("(.*"));
    EXPECT_TRUE(palette->rows().isEmpty());
    EXPECT_EQ(palette->primaryResult(), std::nullopt);
    click(palette->clearButton());
    EXPECT_EQ(genreOf(1), "");
}

TEST_F(GenreQuickBarTest, FiveHundredGenresAndVeryLongNamesKeepThePaletteLayout)
{
    QStringList names;
    for (int i = 0; i < 500; ++i)
        names.append(QStringLiteral("Genre %1").arg(i));
    names.append(QString(300, QLatin1Char('x')));
    store().settings().setGenreListRaw(names.join(QStringLiteral(", ")) + QStringLiteral(", , ,"));
    store().setQuickGenreSlotsRaw(QString(300, QLatin1Char('y')));
    ASSERT_EQ(bar->chips().size(), 1);
    bar->showPalette();
    GenreCommandPalette *palette = bar->palette();
    EXPECT_EQ(palette->rows().size(), 501);
    EXPECT_EQ(palette->width(), GenreCommandPalette::kWidth);
    EXPECT_LE(palette->rows().last()->width(), GenreCommandPalette::kWidth);
    palette->searchField()->setText(QStringLiteral("   "));
    EXPECT_EQ(palette->heading(), "Результаты");
    EXPECT_EQ(palette->rows().size(), 501);
    EXPECT_EQ(palette->primaryResult(), store().genreEditing().genres().first());
}

TEST_F(GenreQuickBarTest, Screenshots)
{
    store().setQuickGenreSlotsRaw(
        QStringLiteral("Afro House\n\nIndie Dance\nPop\nHouse\nTech House\nDeep House"));
    store().setSelectedIDs({ids[0]});
    store().genreEditing().assignGenre(QStringLiteral("Tech House"), {ids[0]});
    const QImage image = grabOnGlass(bar.get(), 26);
    // The title starts at the left margin; the bar is 44 high.
    EXPECT_EQ(image.height(), GenreQuickBar::kHeight);
    saveWidgetScreenshot(QStringLiteral("genre-quickbar.png"), image);
    bar->showPalette();
    bar->palette()->searchField()->setText(QStringLiteral("house"));
    saveWidgetScreenshot(QStringLiteral("genre-palette-search.png"),
                         bar->popup()->grab().toImage());
    bar->closePalette();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    bar->showPalette();
    saveWidgetScreenshot(QStringLiteral("genre-palette.png"), bar->popup()->grab().toImage());
}

TEST(GenreComboBoxTest, WritesEveryChangeAndRebuildsTheListOnlyWhenOptionsDiffer)
{
    GenreComboBox box;
    QString bound = QStringLiteral("Pop");
    const auto setter = [&bound](const QString &text) { bound = text; };
    box.setBinding(bound, setter, {"House", "Pop"});
    EXPECT_EQ(box.currentText(), "Pop");
    EXPECT_EQ(box.listRebuildCount(), 1);
    box.setBinding(bound, setter, {"House", "Pop"});
    EXPECT_EQ(box.listRebuildCount(), 1);
    box.setBinding(bound, setter, {"Pop", "House"});
    EXPECT_EQ(box.listRebuildCount(), 2);
    EXPECT_EQ(box.itemText(0), "Pop");

    box.show();
    box.lineEdit()->clear();
    QTest::keyClicks(box.lineEdit(), QStringLiteral("Te"));
    EXPECT_EQ(bound, box.currentText());
    box.setBinding(QStringLiteral("Trance"), setter, {});
    EXPECT_EQ(box.currentText(), "Trance");
    EXPECT_EQ(box.count(), 0);
}

TEST(GenreChipSectionTest, ChipsHandTheirGenreUnchangedToTheOwner)
{
    QStringList applied;
    GenreChipSection section(QStringLiteral("Недавние"),
                             {QStringLiteral("Без жанра"), QStringLiteral(" Pop ")},
                             [&applied](const QString &genre) { applied.append(genre); });
    section.show();
    ASSERT_EQ(section.chips().size(), 2);
    for (int i = 0; i < 2; ++i)
        QTest::mouseClick(section.chips()[1], Qt::LeftButton, {}, QPoint(10, 16));
    QTest::mouseClick(section.chips()[0], Qt::LeftButton, {}, QPoint(10, 16));
    EXPECT_EQ(applied, (QStringList{" Pop ", " Pop ", "Без жанра"}));
}

} // namespace

TEST_F(GenreQuickBarTest, ChipsThatDoNotFitScrollIntoViewUnderTheWheel)
{
    store().setQuickGenreSlotsRaw(QStringLiteral(
        "Progressive House\nMelodic Techno\nDrum & Bass\nAfro House\nDeep House\nTech House\n"
        "Minimal\nOrganic House\nIndie Dance"));
    bar->resize(700, GenreQuickBar::kHeight);
    QCoreApplication::processEvents();
    ASSERT_EQ(bar->chips().size(), 9);
    GenreCapsuleButton *ninth = bar->chips().last();
    QWidget *viewport = ninth->parentWidget()->parentWidget();
    const auto rightEdge = [&] { return ninth->mapTo(viewport, QPoint(ninth->width(), 0)).x(); };
    ASSERT_GT(rightEdge(), viewport->width()) << "the row fits; the test needs a narrower bar";
    for (int i = 0; i < 40 && rightEdge() > viewport->width(); ++i) {
        QWheelEvent wheel(QPointF(10, 10),
                          viewport->mapToGlobal(QPointF(10, 10)),
                          QPoint(),
                          QPoint(0, -120),
                          Qt::NoButton,
                          Qt::NoModifier,
                          Qt::NoScrollPhase,
                          false);
        QApplication::sendEvent(viewport, &wheel);
    }
    EXPECT_LE(rightEdge(), viewport->width()) << "the ninth chip stays cut off";
    EXPECT_EQ(ninth->text(), QStringLiteral("Indie Dance"));
}

TEST_F(GenreQuickBarTest, NineChipsDrawCloserAndThenBesideBareSymbolsRatherThanHideOne)
{
    store().setQuickGenreSlotsRaw(QStringLiteral(
        "Afro House\nAfro Tech\nIndie Dance\nPop\nHouse\nTech House\nDeep House\nHip-Hop\nR&B"));
    bar->resize(1600, GenreQuickBar::kHeight);
    QCoreApplication::processEvents();
    EXPECT_FALSE(bar->searchButton()->text().isEmpty());
    GenreCapsuleButton *ninth = bar->chips().last();
    QWidget *viewport = ninth->parentWidget()->parentWidget();
    const int fullWidth = ninth->width();
    // Each width down to the bar's in a 1440 px window: the ninth chip stays whole (narrower
    // bars scroll the chips under the wheel).
    for (int width = 1100; width >= 1016; width -= 12) {
        bar->resize(width, GenreQuickBar::kHeight);
        QCoreApplication::processEvents();
        EXPECT_LE(ninth->mapTo(viewport, QPoint(ninth->width(), 0)).x(), viewport->width())
            << width;
    }
    EXPECT_LT(ninth->width(), fullWidth);
    EXPECT_TRUE(bar->searchButton()->text().isEmpty());
    EXPECT_FALSE(bar->searchButton()->accessibleName().isEmpty());
    bar->resize(1600, GenreQuickBar::kHeight);
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->untaggedToggle()->text(), bar->untaggedToggle()->accessibleName());
}
