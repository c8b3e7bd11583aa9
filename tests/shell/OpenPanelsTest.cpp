// The add panel's filters and the status line for a folder without audio files.
#include "shell/OpenPanels.h"

#include "library/TrackImporter.h"
#include "platform/Defaults.h"
#include "shell/FolderAudioProbe.h"
#include "support/LibraryStoreFixture.h"

#include <QFileDialog>
#include <QWidget>

namespace brivello {
namespace {

using Tab = LibraryStore::LibraryTab;

class OpenPanelsTest : public testing::LibraryStoreFixture
{
protected:
    void SetUp() override
    {
        LibraryStoreFixture::SetUp();
        makeStore();
    }
    void TearDown() override
    {
        LibraryStoreFixture::TearDown();
        Defaults::standard().resetForTesting();
    }
    QString statusMessage()
    {
        const auto status = store().workspaceStatus();
        return status ? status->message : QString();
    }
};

TEST_F(OpenPanelsTest, ThePanelOffersTheSectionsAudioFilesBesideAllFiles)
{
    const QString seven = QStringLiteral("*.aac *.aif *.aiff *.flac *.m4a *.mp3 *.wav");
    EXPECT_EQ(OpenPanels::nameFilters(OpenPanels::audioTypes(Tab::playlist)),
              (QStringList{"Аудиофайлы (" + seven + ")", "Все файлы (*)"}));
    EXPECT_EQ(OpenPanels::nameFilters(OpenPanels::audioTypes(Tab::converter)).first(),
              "Аудиофайлы (*.aac *.aif *.aiff *.flac *.m4a *.mp3 *.ogg *.wav)");
    Defaults::standard().set("appLanguage", "en");
    EXPECT_EQ(OpenPanels::nameFilters(OpenPanels::audioTypes(Tab::covers)),
              (QStringList{"Audio Files (" + seven + ")", "All Files (*)"}));

    QWidget parent;
    OpenPanels::openForSection(store(), Tab::analysis, &parent);
    auto *dialog = parent.findChild<QFileDialog *>();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->nameFilters().size(), 2);
    EXPECT_EQ(dialog->selectedNameFilter(), "Audio Files (" + seven + ")");
    dialog->reject();
}

TEST_F(OpenPanelsTest, OnlyFoldersWithoutAudioAtAnyDepthAreReported)
{
    touch("music/deep/er/Track.FLAC");
    touch("covers/front.jpg");
    touch("covers/.hidden/notes.txt");
    touch("hidden/.sub/x.mp3");
    touch("loose.mp3");
    QDir().mkpath(path("empty"));
    const QList<QUrl> urls{
        url("music"), url("covers"), url("hidden"), url("loose.mp3"), url("empty"), url("gone")};
    EXPECT_EQ(FolderAudioProbe::foldersWithoutAudio(urls, TrackImporter::playlistExtensions()),
              (QStringList{path("covers"), path("empty")}));
}

TEST_F(OpenPanelsTest, AddingAFolderWithoutAudioSaysSoInTheStatusLine)
{
    touch("Scans/front.jpg");
    for (Tab tab : {Tab::playlist, Tab::converter, Tab::duplicates}) {
        store().setWorkspaceStatus(std::nullopt);
        OpenPanels::importIntoSection(store(), tab, {url("Scans")});
        EXPECT_TRUE(spinUntil([this] { return !statusMessage().isEmpty(); }));
        EXPECT_EQ(statusMessage(), "В папке нет аудиофайлов: Scans");
    }
    touch("Set/One.mp3");
    store().setWorkspaceStatus(std::nullopt);
    OpenPanels::importIntoSection(store(), Tab::playlist, {url("Set")});
    EXPECT_TRUE(spinUntil([this] { return !statusMessage().isEmpty(); }));
    EXPECT_EQ(statusMessage(), "Добавлено в плейлист: 1");
}

} // namespace
} // namespace brivello
