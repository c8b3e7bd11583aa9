#pragma once

#include "WorkspaceSectionView.h"
#include "workspaces/SectionListRules.h"

class QComboBox;
class QLabel;
class QStackedLayout;

namespace brivello {

class ActionButton;
struct ConversionItem;

// The converter section: the queue with its statuses, the bit rate, the convert button, the
// keyboard moves the window posts, and playback that walks on down the queue. Selection and
// focus live in the store. Main thread; built by the content area while the section shows.
class ConverterView : public WorkspaceSectionView
{
    Q_OBJECT
public:
    ConverterView(LibraryStore &store,
                  AudioPlayer &player,
                  WorkspaceActions actions,
                  QWidget *parent = nullptr);

    FileRowList *list() const { return m_list; }
    QComboBox *bitratePicker() const { return m_bitrate; }
    ActionButton *convertButton() const { return m_convert; }
    QLabel *countLabel() const { return m_count; }
    bool isShowingDropZone() const;
    // The status line the row of queue item `row` shows.
    QString statusText(int row) const;

    void selectConversionItem(const QUuid &id, Qt::KeyboardModifiers modifiers);
    void navigateConversionQueue(int offset, bool afterFinish = false);
    void removeSelectedItems();
    void remove(const QUuid &id);
    void play(const QUrl &url);

    // The row whose ✕ is under the pointer, or -1.
    int hoveredRemoveRow() const { return m_hoveredRemove; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    int fileRowCount() const override;
    int fileRowHeight(int row) const override;
    void paintFileRow(QPainter &painter, const QRect &rect, int row, bool hovered) const override;
    bool bindFileRow(int row, PlaylistMultiFileDragOverlay &overlay) override;
    bool pressFileRowControl(int row, const QPoint &pointInRow, int clickCount) override;
    QString fileRowToolTip(int row, const QPoint &pointInRow) const override;

    void buildHeader(QWidget *header);
    void observeNotifications();
    void importDropped(const QList<QUrl> &urls);
    void queueChanged();
    void refresh() override;
    void setSelection(const SectionListRules::Selection &selection);
    SectionListRules::Selection selection() const;
    QList<QUuid> itemIDs() const;
    QList<QUrl> selectedFiles() const;
    bool isCurrent(const ConversionItem &item) const;
    QRect removeButtonRect(const QRect &row) const;
    QRect statusTextRect(const QRect &row) const;

    QList<QUuid> m_lastIDs;
    int m_hoveredRemove = -1;
    QLabel *m_title = nullptr;
    QLabel *m_subtitle = nullptr;
    QLabel *m_count = nullptr;
    QComboBox *m_bitrate = nullptr;
    ActionButton *m_convert = nullptr;
    QStackedLayout *m_content = nullptr;
    QWidget *m_dropZone = nullptr;
    FileRowList *m_list = nullptr;
};

} // namespace brivello
