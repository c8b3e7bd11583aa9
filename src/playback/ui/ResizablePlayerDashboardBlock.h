#pragma once

#include "playback/PlayerBlockSizing.h"

#include <QPointer>
#include <QWidget>
#include <optional>

namespace brivello {

class ContextualHint;
class LibraryStore;
class ToolbarIconButton;

// The player block: hosts the player panel at a height the user drags with a small handle
// (stored as "playerPanelHeight") and a button that moves the block above or below the
// section content ("dashboardPlayerOnTop"). Main thread; owned by the main window.
class ResizablePlayerDashboardBlock : public QWidget
{
    Q_OBJECT
public:
    static const QString kStoredHeightKey;

    explicit ResizablePlayerDashboardBlock(LibraryStore &store, QWidget *parent = nullptr);

    // The bounds and layout the main window computed for the current window size.
    void setSizing(const PlayerBlockSizing &sizing);
    const PlayerBlockSizing &sizing() const { return m_sizing; }
    double effectiveHeight() const;
    double storedHeight() const;

    // Replaces the panel (an empty frame until the player panel exists).
    void setPanel(QWidget *panel);
    QWidget *panel() const { return m_panel; }
    QWidget *handle() const { return m_handle; }
    ToolbarIconButton *moveButton() const { return m_move; }

    // The drag, in global coordinates; the handle forwards its mouse events here.
    void dragChanged(double translationY);
    void dragEnded();
    bool isDragging() const { return m_resizePreview.has_value(); }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void applyHeight();
    void forwardSizing();
    void refreshMoveButton();
    void layoutOverlay();

    LibraryStore &m_store;
    PlayerBlockSizing m_sizing;
    std::optional<double> m_resizeStart;
    std::optional<double> m_resizePreview;
    QPointer<QWidget> m_panel;
    QWidget *m_handle = nullptr;
    ToolbarIconButton *m_move = nullptr;
    ContextualHint *m_moveHint = nullptr;
};

} // namespace brivello
