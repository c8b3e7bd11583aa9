#pragma once

#include "analysis/QualityAnalysisListModel.h"
#include "shell/TrackListView.h"

#include <functional>

namespace brivello {

class QualityAnalysisRow;

// The analysis list: one row per track of the section, drawn by QualityAnalysisRow. Presses go
// through the shared row overlay (click selects through the store, double click plays, drags
// carry the files out, files dropped on a row import together); files dropped between rows go
// to `onBackgroundDrop`. No horizontal scrolling: long texts are cut. Main thread; owned by
// the analysis section.
class QualityAnalysisList : public TrackListView
{
    Q_OBJECT
public:
    QualityAnalysisList(LibraryStore &store, AudioPlayer &player, QWidget *parent = nullptr);

    QualityAnalysisListModel *analysisModel() const { return m_model; }
    QualityAnalysisRow *rowDelegate() const { return m_delegate; }
    // Centres the row of `id` (animated unless reduced motion or `animated` is off).
    void scrollToTrack(const QUuid &id, bool animated);
    // The click rule of the section for a click on `id` with `modifiers`.
    void selectAnalysisTrack(const QUuid &id, Qt::KeyboardModifiers modifiers);

    std::function<void(const QList<QUrl> &)> onBackgroundDrop;

    // Ideally 390 wide; the section bounds it to 320 … 460.
    QSize sizeHint() const override { return {390, QListView::sizeHint().height()}; }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void bindOverlay(int row, Qt::KeyboardModifiers modifiers) override;
    void repaintSpinningRows() override;

private:
    int rowAt(const QPoint &pos) const;
    void press(QMouseEvent *event, int clickCount);
    void refreshPlayback();

    QualityAnalysisListModel *m_model;
    QualityAnalysisRow *m_delegate;
};

} // namespace brivello
