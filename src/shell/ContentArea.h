#pragma once

#include "GlassPanel.h"
#include "library/LibraryStore.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QUrl>
#include <functional>

namespace brivello {

class MotionValue;

// The large glass panel that shows the active section's view. Each section installs a
// factory; a switch builds the entered section's view afresh and discards the one left.
// Files dropped outside the views go to the playlist while the playlist is active.
// A view left is hidden at once and deleted only once no drag it started runs: a drop on a
// section button switches sections from inside that drag.
class ContentArea : public GlassPanel
{
    Q_OBJECT
public:
    static constexpr qreal kRadius = 26;

    using SectionFactory = std::function<QWidget *(QWidget *parent)>;
    using DropHandler = std::function<void(const QList<QUrl> &)>;

    explicit ContentArea(LibraryStore &store, QWidget *parent = nullptr);

    // Installs the view of a section; the shown section is rebuilt at once.
    void setSectionFactory(LibraryStore::LibraryTab tab, SectionFactory factory);
    void setPlaylistDropHandler(DropHandler handler) { m_playlistDrop = std::move(handler); }
    QWidget *currentView() const { return m_view; }

    bool isDropHighlighted() const { return m_highlighted; }
    void setDropHighlighted(bool highlighted);
    // The highlight's fade (the state motion).
    MotionValue *dropHighlightMotion() const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void rebuild();
    // Hides the view left and deletes it later (see disposeRetiredViews).
    void retire(QWidget *view);
    void scheduleDisposal();
    void disposeRetiredViews();
    QWidget *placeholder(LibraryStore::LibraryTab tab);

    LibraryStore &m_store;
    QHash<int, SectionFactory> m_factories;
    QPointer<QWidget> m_view;
    QList<QPointer<QWidget>> m_retired;
    bool m_disposalScheduled = false;
    QWidget *m_highlight = nullptr;
    bool m_highlighted = false;
    DropHandler m_playlistDrop;
};

} // namespace brivello
