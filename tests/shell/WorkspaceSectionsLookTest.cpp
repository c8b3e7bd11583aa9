#include "ShellFixture.h"
#include "shell/ContentArea.h"
#include "workspaces/MainWindowController.h"
#include "workspaces/ui/ConverterView.h"
#include "workspaces/ui/CoverManager.h"
#include "workspaces/ui/DuplicateFinderView.h"

namespace brivello {
namespace {

// The three workspace sections with content, in the window, as the user sees them.
TEST_F(ShellFixture, WorkspaceSectionsAreDrawnWithContent)
{
    using Tab = LibraryStore::LibraryTab;
    QList<Track> tracks = makeTracks(6, false);
    for (Track &track : tracks)
        track.isInCoverWorkspace = true;
    store().setTracks(tracks);
    store().setSelectedIDs({tracks.at(1).id, tracks.at(2).id});

    QList<ConversionItem> items;
    for (int i = 0; i < 4; ++i)
        items.append(
            {QUuid::createUuid(), url(QStringLiteral("in/%1 - Song.flac").arg(i + 1)), {}, {}});
    items[0].status.kind = ConversionItem::Status::completed;
    items[0].outputURL = url(QStringLiteral("in/1 - Song.mp3"));
    items[1].status.kind = ConversionItem::Status::converting;
    items[2].status = ConversionItem::Status::failure(QStringLiteral("ffmpeg: Invalid data"));
    store().setConversionItems(items);
    store().setConverterSelectedItemIDs({items[3].id});

    QList<Track> files;
    for (int i = 0; i < 5; ++i)
        files.append(Track::make(url(QStringLiteral("dup/%1 - Copy.mp3").arg(i % 3))));
    store().setDuplicateTracks(files);
    DuplicateSearchState state;
    state.roots = {url(QStringLiteral("dup"))};
    state.groups = {
        {QStringLiteral("a"),
         {files[0].id, files[1].id, files[2].id},
         5300000,
         DuplicateMatchKind::exact},
        {QStringLiteral("b"), {files[3].id, files[4].id}, 1234567, DuplicateMatchKind::probable}};
    state.selectedTrackIDs = {files[1].id};
    store().setDuplicateSearch(state);
    m_player->play(files[0]);

    window().resize(1200, 760);
    window().show();
    const struct
    {
        Tab tab;
        const char *name;
        const char *className;
    } sections[] = {{Tab::covers, "covers", "brivello::CoverManager"},
                    {Tab::converter, "converter", "brivello::ConverterView"},
                    {Tab::duplicates, "duplicates", "brivello::DuplicateFinderView"}};
    for (const auto &section : sections) {
        window().controller().activateTab(section.tab);
        QWidget *view = window().contentArea()->currentView();
        ASSERT_TRUE(view);
        EXPECT_STREQ(view->metaObject()->className(), section.className);
        const QImage image = settledGrab();
        EXPECT_FALSE(image.isNull());
        saveScreenshot(QStringLiteral("%1-ru-dark.png").arg(QLatin1String(section.name)), image);
    }
}

} // namespace
} // namespace brivello
