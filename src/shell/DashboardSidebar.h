#pragma once

#include "GlassPanel.h"
#include "SidebarGeometry.h"
#include "library/LibraryStore.h"

#include <QList>
#include <QUrl>
#include <functional>

class QGraphicsOpacityEffect;
class QVariantAnimation;

namespace brivello {

class AudioPlayer;
class ContextualHint;
class MainWindowController;
class SidebarAppearanceToggle;
class SidebarSectionButton;
class ToolbarIconButton;
class WorkspaceStatusBar;

// The left column: header with the collapse button, the six section buttons with the moving
// marker, settings and the light/dark switch, and the status block while expanded. The
// collapsed state is the setting "sidebarCollapsed".
class DashboardSidebar : public GlassPanel
{
    Q_OBJECT
public:
    DashboardSidebar(MainWindowController &controller, QWidget *parent = nullptr);

    bool isCollapsed() const { return m_collapsed; }
    const SidebarGeometry &geometryValues() const { return m_geometry; }
    SidebarSectionButton *sectionButton(LibraryStore::LibraryTab tab) const;
    ToolbarIconButton *collapseButton() const { return m_collapse; }
    ToolbarIconButton *settingsButton() const { return m_settings; }
    SidebarAppearanceToggle *appearanceToggle() const { return m_toggle; }
    WorkspaceStatusBar *statusBar() const { return m_status; }
    // The marker's current top, measured from the section list's top.
    qreal markerY() const { return m_geometry.markerY(m_markerIndex); }
    // 1 while expanded, 0 while collapsed, in between during the collapse animation.
    qreal expansion() const { return m_expansion; }
    QRectF markerRect() const;

    // Files dropped on a section button; installed by the drop handling.
    using DropReceiver = std::function<void(const QList<QUrl> &, LibraryStore::LibraryTab)>;
    void setDropReceiver(DropReceiver receiver) { m_dropReceiver = std::move(receiver); }

signals:
    void settingsRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void applyCollapsed(bool animated);
    void setExpansion(qreal expansion);
    void layoutChildren();
    void refreshCounts();
    void refreshSelection(bool animated);
    void retranslate();
    qreal listTop() const;

    MainWindowController &m_controller;
    LibraryStore &m_store;
    SidebarGeometry m_geometry;
    bool m_collapsed = false;
    QList<SidebarSectionButton *> m_buttons;
    ToolbarIconButton *m_collapse = nullptr;
    ContextualHint *m_collapseHint = nullptr;
    ToolbarIconButton *m_settings = nullptr;
    SidebarAppearanceToggle *m_toggle = nullptr;
    WorkspaceStatusBar *m_status = nullptr;
    QVariantAnimation *m_markerAnimation = nullptr;
    QVariantAnimation *m_expansionAnimation = nullptr;
    QGraphicsOpacityEffect *m_statusFade = nullptr;
    qreal m_expansion = 1;
    qreal m_markerIndex = 0;
    DropReceiver m_dropReceiver;
};

} // namespace brivello
