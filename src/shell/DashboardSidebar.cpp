#include "DashboardSidebar.h"

#include "ContextualHint.h"
#include "ShellEvents.h"
#include "SidebarAppearanceToggle.h"
#include "SidebarSectionButton.h"
#include "ToolbarIconButton.h"
#include "platform/BrivelloLocalization.h"
#include "settings/ShellSettings.h"
#include "workspaces/MainWindowController.h"
#include "workspaces/SectionCatalog.h"
#include "workspaces/ui/WorkspaceStatusBar.h"

#include <QGraphicsOpacityEffect>
#include <QPainter>
#include <QVariantAnimation>

namespace brivello {

namespace {
constexpr qreal kPartSpacing = 20;
} // namespace

DashboardSidebar::DashboardSidebar(MainWindowController &controller, QWidget *parent)
    : GlassPanel(26, parent)
    , m_controller(controller)
    , m_store(controller.store())
    , m_markerAnimation(new QVariantAnimation(this))
    , m_expansionAnimation(new QVariantAnimation(this))
{
    for (LibraryStore::LibraryTab tab : allLibraryTabs()) {
        auto *button = new SidebarSectionButton(
            SectionCatalog::titleKey(tab), SectionCatalog::icon(tab), this);
        connect(button, &QAbstractButton::clicked, this, [this, tab] {
            m_controller.activateTab(tab);
        });
        button->setReceiveURLs([this, tab](const QList<QUrl> &urls) {
            if (m_dropReceiver)
                m_dropReceiver(urls, tab);
        });
        m_buttons.append(button);
    }
    m_collapse = new ToolbarIconButton(QStringLiteral("sidebar.left"), this);
    connect(m_collapse, &QAbstractButton::clicked, this, [] {
        ShellSettings &settings = ShellSettings::standard();
        settings.setSidebarCollapsed(!settings.sidebarCollapsed());
    });
    Scheduler &scheduler = m_store.services().schedulerService();
    m_collapseHint = ContextualHint::attach(m_collapse, scheduler, QString(), QString());
    m_settings = new ToolbarIconButton(QStringLiteral("gearshape"), this);
    m_settings->setFixedSize(44, 44);
    connect(m_settings, &QAbstractButton::clicked, this, &DashboardSidebar::settingsRequested);
    ContextualHint::attach(
        m_settings,
        scheduler,
        QStringLiteral("Настройки"),
        QStringLiteral("Открывает настройки очистки, жанров, горячих клавиш и языка."));
    m_toggle = new SidebarAppearanceToggle(scheduler, this);
    m_status =
        new WorkspaceStatusBar(m_store, controller.sectionCounts(), controller.player(), this);
    m_statusFade = new QGraphicsOpacityEffect(m_status);
    m_statusFade->setEnabled(false);
    m_status->setGraphicsEffect(m_statusFade);

    m_markerAnimation->setDuration(300);
    m_markerAnimation->setEasingCurve(QEasingCurve::OutCubic);
    connect(m_markerAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant &v) {
        m_markerIndex = v.toReal();
        update();
    });
    m_expansionAnimation->setDuration(280);
    m_expansionAnimation->setEasingCurve(QEasingCurve::InOutQuad);
    connect(m_expansionAnimation,
            &QVariantAnimation::valueChanged,
            this,
            [this](const QVariant &v) { setExpansion(v.toReal()); });

    connect(&m_store, &LibraryStore::activeTabChanged, this, [this] { refreshSelection(true); });
    for (auto signal : {&LibraryStore::tracksChanged,
                        &LibraryStore::conversionItemsChanged,
                        &LibraryStore::analysisTracksChanged,
                        &LibraryStore::duplicateSearchChanged})
        connect(&m_store, signal, this, &DashboardSidebar::refreshCounts);
    connect(&ShellSettings::standard(), &ShellSettings::sidebarCollapsedChanged, this, [this] {
        applyCollapsed(!ShellEvents::instance().reduceMotion());
    });
    connect(&ShellEvents::instance(),
            &ShellEvents::languageChanged,
            this,
            &DashboardSidebar::retranslate);

    m_collapsed = ShellSettings::standard().sidebarCollapsed();
    m_collapse->setSymbol(m_collapsed ? QStringLiteral("sidebar.right")
                                      : QStringLiteral("sidebar.left"));
    m_markerIndex = SectionCatalog::index(m_store.activeTab());
    setExpansion(m_collapsed ? 0 : 1);
    refreshCounts();
    refreshSelection(false);
    retranslate();
}

SidebarSectionButton *DashboardSidebar::sectionButton(LibraryStore::LibraryTab tab) const
{
    return m_buttons.value(SectionCatalog::index(tab));
}

void DashboardSidebar::applyCollapsed(bool animated)
{
    const bool collapsed = ShellSettings::standard().sidebarCollapsed();
    if (collapsed == m_collapsed)
        return;
    m_collapsed = collapsed;
    m_collapse->setSymbol(collapsed ? QStringLiteral("sidebar.right")
                                    : QStringLiteral("sidebar.left"));
    retranslate();
    const qreal target = collapsed ? 0 : 1;
    m_expansionAnimation->stop();
    if (animated && isVisible()) {
        m_expansionAnimation->setStartValue(m_expansion);
        m_expansionAnimation->setEndValue(target);
        m_expansionAnimation->start();
    } else {
        setExpansion(target);
    }
}

// Everything that differs between the two states follows one value, so the width, rows,
// marker and bottom row move together while the texts and the status block fade.
void DashboardSidebar::setExpansion(qreal expansion)
{
    m_expansion = expansion;
    m_geometry = SidebarGeometry::between(expansion);
    for (SidebarSectionButton *button : std::as_const(m_buttons))
        button->setExpansion(
            expansion, m_geometry.rowHeight, m_geometry.buttonPadding, m_geometry.iconSpacing);
    m_status->setVisible(expansion > 0);
    m_statusFade->setOpacity(expansion);
    m_statusFade->setEnabled(expansion < 1);
    setFixedWidth(qRound(m_geometry.width));
    layoutChildren();
    update();
}

qreal DashboardSidebar::listTop() const
{
    return m_geometry.verticalPadding + m_geometry.collapseButtonHeight + kPartSpacing;
}

QRectF DashboardSidebar::markerRect() const
{
    return QRectF(m_geometry.horizontalPadding + m_geometry.markerX,
                  listTop() + markerY(),
                  SidebarGeometry::kMarkerWidth,
                  SidebarGeometry::kMarkerHeight);
}

void DashboardSidebar::layoutChildren()
{
    const SidebarGeometry &g = m_geometry;
    const qreal e = m_expansion;
    const qreal left = g.horizontalPadding;
    const qreal inner = g.innerWidth;
    // Header: the collapse button at the trailing end, or across the rail when collapsed.
    m_collapse->setGeometry(QRectF(left + (inner - g.collapseButtonWidth) * e,
                                   g.verticalPadding,
                                   g.collapseButtonWidth,
                                   g.collapseButtonHeight)
                                .toRect());
    qreal y = listTop();
    for (SidebarSectionButton *button : std::as_const(m_buttons)) {
        button->setGeometry(QRectF(left, y, inner, g.rowHeight).toRect());
        y += g.rowHeight + g.rowSpacing;
    }
    // Bottom row: settings and switch side by side above the status block when expanded,
    // stacked and centred when collapsed; positions blend while the sidebar animates.
    const qreal bottom = height() - g.verticalPadding;
    m_status->setGeometry(
        QRectF(left, bottom - WorkspaceStatusBar::kHeight, inner, WorkspaceStatusBar::kHeight)
            .toRect());
    const qreal rowTop = bottom - WorkspaceStatusBar::kHeight - 2 - kPartSpacing - 44;
    const QPointF openSettings(left, rowTop);
    const QPointF openToggle(left + inner - m_toggle->width(),
                             rowTop + (44 - m_toggle->height()) / 2.0);
    const qreal toggleTop = bottom - m_toggle->height();
    const QPointF closedToggle(left + (inner - m_toggle->width()) / 2.0, toggleTop);
    const QPointF closedSettings(left + (inner - 44) / 2.0, toggleTop - 10 - 44);
    const auto mix = [e](QPointF closed, QPointF open) {
        return (closed + (open - closed) * e).toPoint();
    };
    m_settings->move(mix(closedSettings, openSettings));
    m_toggle->move(mix(closedToggle, openToggle));
}

void DashboardSidebar::resizeEvent(QResizeEvent *event)
{
    GlassPanel::resizeEvent(event);
    layoutChildren();
}

void DashboardSidebar::refreshCounts()
{
    for (LibraryStore::LibraryTab tab : allLibraryTabs())
        sectionButton(tab)->setCount(m_controller.sectionCounts().count(tab));
}

void DashboardSidebar::refreshSelection(bool animated)
{
    const LibraryStore::LibraryTab active = m_store.activeTab();
    for (LibraryStore::LibraryTab tab : allLibraryTabs())
        sectionButton(tab)->setSelected(tab == active);
    const qreal target = SectionCatalog::index(active);
    m_markerAnimation->stop();
    if (animated && isVisible() && !ShellEvents::instance().reduceMotion()) {
        m_markerAnimation->setStartValue(m_markerIndex);
        m_markerAnimation->setEndValue(target);
        m_markerAnimation->start();
    } else {
        m_markerIndex = target;
        update();
    }
}

void DashboardSidebar::retranslate()
{
    const QString collapseTitle = m_collapsed ? QStringLiteral("Развернуть боковую панель")
                                              : QStringLiteral("Свернуть боковую панель");
    m_collapseHint->setTitle(collapseTitle);
    m_collapseHint->setDetail(
        m_collapsed
            ? QStringLiteral("Показывает названия разделов, счётчики и строку состояния.")
            : QStringLiteral("Оставляет только значки разделов, чтобы списку было просторнее."));
    m_collapse->setAccessibleName(BrivelloLocalization::string(collapseTitle));
    m_settings->setAccessibleName(BrivelloLocalization::string(QStringLiteral("Настройки")));
}

void DashboardSidebar::paintEvent(QPaintEvent *event)
{
    GlassPanel::paintEvent(event);
    const ColorScheme scheme = ShellEvents::instance().scheme();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_expansion > 0) {
        painter.setOpacity(m_expansion);
        QFont font = BrivelloTheme::font(TextStyle::headline, QFont::Bold);
        font.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
        painter.setFont(font);
        painter.setPen(BrivelloTheme::primary(scheme));
        // Ends before the collapse button, which slides under it while the sidebar collapses.
        const qreal left = m_geometry.horizontalPadding;
        painter.drawText(QRectF(left,
                                m_geometry.verticalPadding,
                                qMax<qreal>(0, m_collapse->x() - 8 - left),
                                m_geometry.collapseButtonHeight),
                         Qt::AlignVCenter | Qt::AlignLeft,
                         QStringLiteral("BRIVELLO"));
        painter.setOpacity(1);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(BrivelloTheme::primary(scheme));
    painter.drawRoundedRect(markerRect(), 3, 3);
}

} // namespace brivello
