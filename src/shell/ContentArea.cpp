#include "ContentArea.h"

#include "MotionValue.h"
#include "RoundedClipEffect.h"
#include "ShellEvents.h"
#include "SidebarSectionButton.h"
#include "library/TrackImporter.h"
#include "workspaces/SectionCatalog.h"
#include "workspaces/ui/WorkspaceEmptyState.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QPainter>
#include <QTimer>
#include <utility>

namespace brivello {

namespace {

// The dashed drop highlight drawn over the whole content; lets every event through and
// fades in and out with the state motion, reduced motion or not.
class DropHighlight : public QWidget
{
public:
    explicit DropHighlight(QWidget *parent)
        : QWidget(parent)
        , m_motion(new MotionValue(this, BrivelloTheme::kMotionStateMs))
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        // Only a fade, nothing moves: it eases also when motion is reduced.
        m_motion->setIgnoresReducedMotion(true);
    }
    MotionValue *motion() const { return m_motion; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (m_motion->value() <= 0)
            return;
        const ColorScheme scheme = ShellEvents::instance().scheme();
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setOpacity(m_motion->value());
        const QRectF shape = QRectF(rect()).adjusted(1, 1, -1, -1);
        painter.setPen(Qt::NoPen);
        painter.setBrush(BrivelloTheme::dropFill(scheme));
        painter.drawRoundedRect(shape, ContentArea::kRadius, ContentArea::kRadius);
        QPen pen(
            BrivelloTheme::dropBorder(scheme), 2, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
        pen.setDashPattern({3.5, 2.5}); // 7 on, 5 off at width 2
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(shape, ContentArea::kRadius, ContentArea::kRadius);
    }

private:
    MotionValue *m_motion;
};

} // namespace

ContentArea::ContentArea(LibraryStore &store, QWidget *parent)
    : GlassPanel(kRadius, parent)
    , m_store(store)
    , m_highlight(new DropHighlight(this))
{
    setAcceptDrops(true);
    setMinimumHeight(0);
    m_playlistDrop = [this](const QList<QUrl> &urls) { m_store.importer().importURLs(urls); };
    connect(&m_store, &LibraryStore::activeTabChanged, this, &ContentArea::rebuild);
    rebuild();
}

void ContentArea::setSectionFactory(LibraryStore::LibraryTab tab, SectionFactory factory)
{
    m_factories.insert(int(tab), std::move(factory));
    if (m_store.activeTab() == tab) {
        retire(m_view);
        m_view = nullptr;
        rebuild();
    }
}

QWidget *ContentArea::placeholder(LibraryStore::LibraryTab tab)
{
    return new WorkspaceEmptyState(
        SectionCatalog::icon(tab), SectionCatalog::titleKey(tab), QString(), this);
}

void ContentArea::rebuild()
{
    const LibraryStore::LibraryTab tab = m_store.activeTab();
    if (m_view && m_view->property("brivelloSection").toInt() == int(tab))
        return;
    retire(m_view);
    m_view = nullptr;
    const auto factory = m_factories.constFind(int(tab));
    QWidget *view = factory != m_factories.constEnd() ? (*factory)(this) : placeholder(tab);
    view->setParent(this);
    view->setProperty("brivelloSection", int(tab));
    view->setGeometry(rect());
    // Antialiased corners: the section's rows and bars end on the panel's curve.
    view->setGraphicsEffect(new RoundedClipEffect(kRadius, view));
    view->show();
    m_view = view;
    m_highlight->raise();
}

void ContentArea::retire(QWidget *view)
{
    if (!view)
        return;
    // Never deleted here: this may run inside the drag (QDrag::exec) or another event handler
    // of the view, which goes on using the view once the drop returns to it.
    view->hide();
    m_retired.append(view);
    scheduleDisposal();
}

void ContentArea::scheduleDisposal()
{
    if (m_disposalScheduled)
        return;
    m_disposalScheduled = true;
    QTimer::singleShot(0, this, &ContentArea::disposeRetiredViews);
}

void ContentArea::disposeRetiredViews()
{
    m_disposalScheduled = false;
    QList<QPointer<QWidget>> waiting;
    for (const QPointer<QWidget> &view : std::exchange(m_retired, {})) {
        if (!view)
            continue;
        // Every drag, Qt's own (QAbstractItemView::startDrag) and the row lists', is a QDrag
        // whose parent is its source; Qt deletes it only after QDrag::exec has returned there.
        const QList<QDrag *> drags = view->findChildren<QDrag *>();
        if (drags.isEmpty()) {
            // Deferred once more: it runs after the handler that got here has returned.
            view->deleteLater();
            continue;
        }
        waiting.append(view);
        for (QDrag *drag : drags)
            connect(drag,
                    &QObject::destroyed,
                    this,
                    &ContentArea::scheduleDisposal,
                    Qt::UniqueConnection);
    }
    m_retired += waiting;
}

void ContentArea::resizeEvent(QResizeEvent *event)
{
    GlassPanel::resizeEvent(event);
    if (m_view)
        m_view->setGeometry(rect());
    m_highlight->setGeometry(rect());
}

MotionValue *ContentArea::dropHighlightMotion() const
{
    return static_cast<DropHighlight *>(m_highlight)->motion();
}

void ContentArea::setDropHighlighted(bool highlighted)
{
    m_highlighted = highlighted;
    dropHighlightMotion()->setTarget(highlighted);
    m_highlight->raise();
}

void ContentArea::dragEnterEvent(QDragEnterEvent *event)
{
    if (m_store.activeTab() != LibraryStore::LibraryTab::playlist ||
        SidebarSectionButton::fileURLs(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    SidebarSectionButton::acceptAsCopy(event);
    setDropHighlighted(true);
}

void ContentArea::dragLeaveEvent(QDragLeaveEvent *event)
{
    setDropHighlighted(false);
    GlassPanel::dragLeaveEvent(event);
}

void ContentArea::dropEvent(QDropEvent *event)
{
    setDropHighlighted(false);
    const QList<QUrl> urls = SidebarSectionButton::fileURLs(event->mimeData());
    if (m_store.activeTab() != LibraryStore::LibraryTab::playlist || urls.isEmpty()) {
        event->ignore();
        return;
    }
    SidebarSectionButton::acceptAsCopy(event);
    if (m_playlistDrop)
        m_playlistDrop(urls);
}

} // namespace brivello
