#include "DashboardSidebar.h"

#include "ContextualHint.h"
#include "MainWindowController.h"
#include "SectionCatalog.h"
#include "ShellEvents.h"
#include "SidebarAppearanceToggle.h"
#include "SidebarSectionButton.h"
#include "ToolbarIconButton.h"
#include "WorkspaceStatusBar.h"
#include "platform/BrivelloLocalization.h"
#include "platform/Defaults.h"

#include <QPainter>
#include <QVariantAnimation>

namespace brivello {

namespace {
const QString kCollapsedKey = QStringLiteral("sidebarCollapsed");
constexpr qreal kPartSpacing = 20;
} // namespace

DashboardSidebar::DashboardSidebar(MainWindowController &controller, QWidget *parent)
    : GlassPanel(26, parent)
    , m_controller(controller)
    , m_store(controller.store())
    , m_markerAnimation(new QVariantAnimation(this))
    , m_widthAnimation(new QVariantAnimation(this))
{
    for (LibraryStore::LibraryTab tab : LibraryStore::allTabs()) {
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
        Defaults::standard().set(kCollapsedKey, !Defaults::standard().boolean(kCollapsedKey));
    });
    m_settings = new ToolbarIconButton(QStringLiteral("gearshape"), this);
    m_settings->setFixedSize(44, 44);
    connect(m_settings, &QAbstractButton::clicked, this, &DashboardSidebar::settingsRequested);
    ContextualHint::attach(
        m_settings,
        QStringLiteral("Настройки"),
        QStringLiteral("Открывает настройки очистки, жанров, горячих клавиш и языка."));
    m_toggle = new SidebarAppearanceToggle(this);
    m_status = new WorkspaceStatusBar(m_store, controller.player(), this);

    m_markerAnimation->setDuration(300);
    m_markerAnimation->setEasingCurve(QEasingCurve::OutCubic);
    connect(m_markerAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant &v) {
        m_markerY = v.toReal();
        update();
    });
    m_widthAnimation->setDuration(280);
    m_widthAnimation->setEasingCurve(QEasingCurve::InOutQuad);
    connect(m_widthAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant &v) {
        setFixedWidth(v.toInt());
    });

    connect(&m_store, &LibraryStore::activeTabChanged, this, [this] { refreshSelection(true); });
    for (auto signal : {&LibraryStore::tracksChanged,
                        &LibraryStore::conversionItemsChanged,
                        &LibraryStore::analysisTracksChanged,
                        &LibraryStore::duplicateGroupsChanged})
        connect(&m_store, signal, this, &DashboardSidebar::refreshCounts);
    connect(&Defaults::standard(), &Defaults::changed, this, [this](const QString &key) {
        if (key == kCollapsedKey)
            applyCollapsed(!ShellEvents::instance().reduceMotion());
    });
    connect(&ShellEvents::instance(),
            &ShellEvents::languageChanged,
            this,
            &DashboardSidebar::retranslate);

    m_collapsed = !Defaults::standard().boolean(kCollapsedKey);
    applyCollapsed(false);
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
    const bool collapsed = Defaults::standard().boolean(kCollapsedKey);
    if (collapsed == m_collapsed)
        return;
    m_collapsed = collapsed;
    m_geometry = SidebarGeometry::forState(collapsed);
    m_collapse->setSymbol(collapsed ? QStringLiteral("sidebar.right")
                                    : QStringLiteral("sidebar.left"));
    m_status->setVisible(!collapsed);
    for (SidebarSectionButton *button : std::as_const(m_buttons))
        button->setCollapsed(
            collapsed, m_geometry.rowHeight, m_geometry.buttonPadding, m_geometry.iconSpacing);
    m_widthAnimation->stop();
    if (animated && isVisible()) {
        m_widthAnimation->setStartValue(width());
        m_widthAnimation->setEndValue(int(m_geometry.width));
        m_widthAnimation->start();
    } else {
        setFixedWidth(int(m_geometry.width));
    }
    m_markerAnimation->stop();
    m_markerY = m_geometry.markerY(SectionCatalog::index(m_store.activeTab()));
    retranslate();
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
                  listTop() + m_markerY,
                  SidebarGeometry::kMarkerWidth,
                  SidebarGeometry::kMarkerHeight);
}

void DashboardSidebar::layoutChildren()
{
    const SidebarGeometry &g = m_geometry;
    const qreal left = g.horizontalPadding;
    const qreal inner = g.innerWidth;
    // Header: the collapse button at the trailing end, or across the rail when collapsed.
    if (m_collapsed)
        m_collapse->setGeometry(
            QRectF(left, g.verticalPadding, inner, g.collapseButtonHeight).toRect());
    else
        m_collapse->setGeometry(QRectF(left + inner - g.collapseButtonWidth,
                                       g.verticalPadding,
                                       g.collapseButtonWidth,
                                       g.collapseButtonHeight)
                                    .toRect());
    qreal y = listTop();
    for (SidebarSectionButton *button : std::as_const(m_buttons)) {
        button->setGeometry(QRectF(left, y, inner, g.rowHeight).toRect());
        y += g.rowHeight + g.rowSpacing;
    }
    qreal bottom = height() - g.verticalPadding;
    if (!m_collapsed) {
        m_status->setGeometry(
            QRectF(left, bottom - WorkspaceStatusBar::kHeight, inner, WorkspaceStatusBar::kHeight)
                .toRect());
        bottom -= WorkspaceStatusBar::kHeight + 2 + kPartSpacing;
        const qreal rowTop = bottom - 44;
        m_settings->move(int(left), int(rowTop));
        m_toggle->move(int(left + inner - m_toggle->width()),
                       int(rowTop + (44 - m_toggle->height()) / 2));
    } else {
        const qreal toggleTop = bottom - m_toggle->height();
        m_toggle->move(int(left + (inner - m_toggle->width()) / 2), int(toggleTop));
        m_settings->move(int(left + (inner - 44) / 2), int(toggleTop - 10 - 44));
    }
}

void DashboardSidebar::resizeEvent(QResizeEvent *event)
{
    GlassPanel::resizeEvent(event);
    layoutChildren();
}

void DashboardSidebar::refreshCounts()
{
    for (LibraryStore::LibraryTab tab : LibraryStore::allTabs())
        sectionButton(tab)->setCount(SectionCatalog::count(m_store, tab));
}

void DashboardSidebar::refreshSelection(bool animated)
{
    const LibraryStore::LibraryTab active = m_store.activeTab();
    for (LibraryStore::LibraryTab tab : LibraryStore::allTabs())
        sectionButton(tab)->setSelected(tab == active);
    const qreal target = m_geometry.markerY(SectionCatalog::index(active));
    m_markerAnimation->stop();
    if (animated && isVisible() && !ShellEvents::instance().reduceMotion()) {
        m_markerAnimation->setStartValue(m_markerY);
        m_markerAnimation->setEndValue(target);
        m_markerAnimation->start();
    } else {
        m_markerY = target;
        update();
    }
}

void DashboardSidebar::retranslate()
{
    const QString collapseText =
        BrivelloLocalization::string(m_collapsed ? QStringLiteral("Развернуть боковую панель")
                                                 : QStringLiteral("Свернуть боковую панель"));
    m_collapse->setToolTip(collapseText);
    m_collapse->setAccessibleName(collapseText);
    const QString settings = BrivelloLocalization::string(QStringLiteral("Настройки"));
    m_settings->setToolTip(settings);
    m_settings->setAccessibleName(settings);
}

void DashboardSidebar::paintEvent(QPaintEvent *event)
{
    GlassPanel::paintEvent(event);
    const ColorScheme scheme = ShellEvents::instance().scheme();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!m_collapsed) {
        QFont font = BrivelloTheme::font(TextStyle::headline, QFont::Bold);
        font.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
        painter.setFont(font);
        painter.setPen(BrivelloTheme::primary(scheme));
        painter.drawText(QRectF(m_geometry.horizontalPadding,
                                m_geometry.verticalPadding,
                                m_geometry.innerWidth - 52,
                                m_geometry.collapseButtonHeight),
                         Qt::AlignVCenter | Qt::AlignLeft,
                         QStringLiteral("BRIVELLO"));
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(BrivelloTheme::primary(scheme));
    painter.drawRoundedRect(markerRect(), 3, 3);
}

} // namespace brivello
