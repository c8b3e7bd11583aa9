// The add panel's filters and the status line for a folder without audio files.
#include "shell/OpenPanels.h"

#include "library/TrackImporter.h"
#include "platform/Defaults.h"
#include "shell/FolderAudioProbe.h"
#include "support/LibraryStoreFixture.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFileDialog>
#include <QTest>
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

TEST_F(OpenPanelsTest, EveryPanelListsAnyFileAndFolder)
{
    touch("Crate/notes.txt");
    touch("Crate/Track.mp3");
    touch("Crate/Mix.ogg");
    QDir().mkpath(path("Crate/Sub"));
    for (Tab tab : {Tab::playlist, Tab::covers, Tab::converter, Tab::analysis, Tab::duplicates}) {
        QWidget parent;
        OpenPanels::openForSection(store(), tab, &parent);
        auto *dialog = parent.findChild<QFileDialog *>();
        ASSERT_TRUE(dialog);
        dialog->setDirectory(path("Crate"));
        auto *view = dialog->findChild<QAbstractItemView *>(QStringLiteral("listView"));
        ASSERT_TRUE(view);
        const auto listed = [view] {
            QStringList names;
            const QModelIndex root = view->rootIndex();
            for (int row = 0; row < view->model()->rowCount(root); ++row)
                names << view->model()->index(row, 0, root).data().toString();
            names.sort();
            return names;
        };
        const QStringList all{"Mix.ogg", "Sub", "Track.mp3", "notes.txt"};
        EXPECT_TRUE(QTest::qWaitFor([&] { return listed() == all; }, 10000))
            << listed().join(", ").toStdString();
        dialog->reject();
    }
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
