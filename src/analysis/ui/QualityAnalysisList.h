#pragma once

#include "analysis/QualityAnalysisListModel.h"
#include "shell/PlaylistMultiFileDragOverlay.h"

#include <QListView>
#include <QPointer>
#include <QTimer>
#include <QVariantAnimation>
#include <functional>

namespace brivello {

class AudioPlayer;
class LibraryStore;
class QualityAnalysisRow;

// The analysis list: one row per track of the section, drawn by QualityAnalysisRow. Presses go
// through the shared row overlay (click selects through the store, double click plays, drags
// carry the files out, files dropped on a row import together); files dropped between rows go
// to `onBackgroundDrop`. No horizontal scrolling: long texts are cut. Main thread; owned by
// the analysis section.
class QualityAnalysisList : public QListView
{
    Q_OBJECT
public:
    QualityAnalysisList(LibraryStore &store, AudioPlayer &player, QWidget *parent = nullptr);

    QualityAnalysisListModel *analysisModel() const { return m_model; }
    QualityAnalysisRow *rowDelegate() const { return m_delegate; }
    // Centres the row of `id` (animated unless reduced motion or `animated` is off).
    void scrollToTrack(const QUuid &id, bool animated);
    // Lays out rows whose size changed now instead of at the next event-loop turn.
    void layOutRows() { executeDelayedItemsLayout(); }
    // The click rule of the section for a click on `id` with `modifiers`.
    void selectAnalysisTrack(const QUuid &id, Qt::KeyboardModifiers modifiers);

    std::function<void(const QList<QUrl> &)> onBackgroundDrop;

    // Ideally 390 wide; the section bounds it to 320 … 460.
    QSize sizeHint() const override { return {390, QListView::sizeHint().height()}; }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    int rowAt(const QPoint &pos) const;
    void bindOverlay(int row, Qt::KeyboardModifiers modifiers);
    void press(QMouseEvent *event, int clickCount);
    void setHoveredRow(int row);
    void refreshPlayback();
    void updateSpinner();
    void restyle();

    LibraryStore &m_store;
    QPointer<AudioPlayer> m_player;
    QualityAnalysisListModel *m_model;
    QualityAnalysisRow *m_delegate;
    PlaylistMultiFileDragOverlay m_overlay;
    int m_pressedRow = -1;
    QPoint m_pressPos;
    int m_hoveredRow = -1;
    QVariantAnimation m_scroll;
    QTimer m_spinner;
    qreal m_spinnerPhase = 0;
};

} // namespace brivello
