#pragma once

#include "WorkspaceSectionView.h"
#include "workspaces/SectionListRules.h"

#include <QImage>

class QLabel;
class QStackedLayout;

namespace brivello {

class ActionButton;
struct Track;

// The covers section: the covers workspace's tracks with the store's shared selection, and a
// pending image (chosen or dropped, remembered across restarts) that "Присвоить обложку"
// writes into the selected files. Main thread; built by the content area.
class CoverManager : public WorkspaceSectionView
{
    Q_OBJECT
public:
    CoverManager(LibraryStore &store,
                 AudioPlayer &player,
                 WorkspaceActions actions,
                 QWidget *parent = nullptr);

    QSet<QUuid> selectedCoverIDs() const;
    FileRowList *list() const { return m_list; }
    ActionButton *assignButton() const { return m_assign; }
    QLabel *countLabel() const { return m_count; }
    QString artworkName() const { return m_artworkName; }
    const QByteArray &artworkData() const { return m_artworkData; }
    bool isShowingEmptyState() const;

    void chooseArtwork();
    // Accepts the file as the pending cover; false when it is not a decodable image.
    bool acceptArtwork(const QString &path);
    void restoreSavedArtwork();
    void handleDroppedURLs(const QList<QUrl> &urls);
    void selectTracks(const QUuid &id, SectionListRules::Modifiers modifiers);
    void assign();

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    int fileRowCount() const override;
    int fileRowHeight(int row) const override;
    void paintFileRow(QPainter &painter, const QRect &rect, int row, bool hovered) const override;
    bool bindFileRow(int row, PlaylistMultiFileDragOverlay &overlay) override;

    QWidget *buildListPanel();
    QWidget *buildControlsPanel();
    void refresh() override;
    void refreshPreview();
    void repairSelection();
    void followAnchor();
    void importCompleted(const QList<QUuid> &ids);
    void applySelection(const SectionListRules::Selection &selection);

    QList<Track> m_rows;
    QByteArray m_artworkData;
    QImage m_preview;
    QString m_artworkName;
    QLabel *m_filesTitle = nullptr;
    QLabel *m_count = nullptr;
    QStackedLayout *m_listStack = nullptr;
    QWidget *m_empty = nullptr;
    FileRowList *m_list = nullptr;
    QLabel *m_previewLabel = nullptr;
    QLabel *m_nameLabel = nullptr;
    QLabel *m_hint = nullptr;
    ActionButton *m_choose = nullptr;
    ActionButton *m_assign = nullptr;
};

} // namespace brivello
