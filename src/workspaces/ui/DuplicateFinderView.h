#pragma once

#include "WorkspaceSectionView.h"
#include "workspaces/DuplicateGroupRows.h"

class QLabel;
class QStackedLayout;

namespace brivello {

class ActionButton;
class ScanProgressBar;
class WorkspaceEmptyState;

// The duplicates section: roots by drop, the search with its phases and progress, and the
// groups as cards whose files are marked, played and moved to the Trash. Keyboard moves
// and the end of a track walk the files; all state lives in the store. Main thread.
class DuplicateFinderView : public WorkspaceSectionView
{
    Q_OBJECT
public:
    enum class Content { dropZone, scanning, emptyResult, groups };

    DuplicateFinderView(LibraryStore &store,
                        AudioPlayer &player,
                        WorkspaceActions actions,
                        QWidget *parent = nullptr);

    Content content() const;
    ActionButton *findButton() const { return m_find; }
    ActionButton *clearButton() const { return m_clear; }
    QLabel *scopeLabel() const { return m_scope; }
    QLabel *percentLabel() const { return m_percent; }
    QLabel *detailLabel() const { return m_detail; }
    QLabel *counterLabel() const { return m_counter; }
    ScanProgressBar *progressBar() const { return m_bar; }
    // The empty result's panel on show: not searched yet, or searched and nothing found.
    WorkspaceEmptyState *emptyResultState() const;
    FileRowList *list() const { return m_list; }
    // The list's rows: a heading per card, then its files.
    const QList<DuplicateGroupRows::Row> &rows() const { return m_rows; }
    bool isDropTarget() const { return m_isDropTarget; }

    QList<Track> navigableTracks() const;
    void navigateDuplicates(int offset, bool afterFinish = false);
    void importDroppedURLs(const QList<QUrl> &urls);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    int fileRowCount() const override;
    int fileRowHeight(int row) const override;
    void paintFileRow(QPainter &painter, const QRect &rect, int row, bool hovered) const override;
    bool bindFileRow(int row, PlaylistMultiFileDragOverlay &overlay) override;
    bool pressFileRowControl(int row, const QPoint &pointInRow, int clickCount) override;
    QString fileRowToolTip(int row, const QPoint &pointInRow) const override;

    QWidget *buildHeader();
    QWidget *buildProgress();
    QWidget *buildScanning();
    QWidget *buildEmptyResult();
    void refresh() override;
    void refreshProgress(const DuplicateSearchState &state);
    void refreshEmptyResult(const DuplicateSearchState &state);
    void searchChanged();
    void tracksChanged();
    QWidget *page(Content content) const;
    void setSelection(const QSet<QUuid> &ids, const std::optional<QUuid> &focus);
    void revealFocus();
    void trashMarked(int group);
    void find();
    void setDropTarget(bool target);
    static void paintDropFrame(QWidget *frame);

    QList<DuplicateGroupRows::Row> m_rows;
    QList<QUuid> m_lastNavigableIDs;
    std::optional<QUuid> m_lastFocus;
    bool m_isDropTarget = false;
    ActionButton *m_clear = nullptr;
    ActionButton *m_find = nullptr;
    QLabel *m_title = nullptr;
    QLabel *m_subtitle = nullptr;
    QWidget *m_scopeLine = nullptr;
    QLabel *m_scope = nullptr;
    QWidget *m_progress = nullptr;
    QLabel *m_phase = nullptr;
    QLabel *m_percent = nullptr;
    ScanProgressBar *m_bar = nullptr;
    QLabel *m_detail = nullptr;
    QLabel *m_counter = nullptr;
    QStackedLayout *m_content = nullptr;
    QWidget *m_dropZone = nullptr;
    QWidget *m_scanning = nullptr;
    QWidget *m_emptyResult = nullptr;
    WorkspaceEmptyState *m_notSearched = nullptr;
    WorkspaceEmptyState *m_foundNone = nullptr;
    FileRowList *m_list = nullptr;
    QWidget *m_dropFrame = nullptr;
};

} // namespace brivello
