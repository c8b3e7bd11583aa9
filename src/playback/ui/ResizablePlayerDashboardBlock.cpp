#include "ResizablePlayerDashboardBlock.h"

#include "PlayerBar.h"
#include "library/LibrarySettingsKeys.h"
#include "library/LibraryStore.h"
#include "platform/BrivelloLocalization.h"
#include "platform/Defaults.h"
#include "shell/ContextualHint.h"
#include "shell/GlassPanel.h"
#include "shell/ShellEvents.h"
#include "shell/ToolbarIconButton.h"

#include <QMouseEvent>
#include <QPainter>

namespace brivello {

const QString ResizablePlayerDashboardBlock::kStoredHeightKey = QStringLiteral("playerPanelHeight");

namespace {

// The 26 × 3 grip in a 28 × 22 hit area; drags resize the block.
class ResizeHandle : public QWidget
{
public:
    explicit ResizeHandle(ResizablePlayerDashboardBlock *block)
        : QWidget(block)
        , m_block(block)
    {
        setFixedSize(28, 22);
        setCursor(Qt::SizeVerCursor);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        const bool light = BrivelloTheme::isLight(ShellEvents::instance().scheme());
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(light ? blackA(0.18) : whiteA(0.18));
        painter.drawRoundedRect(QRectF(1, 9.5, 26, 3), 1.5, 1.5);
    }
    void mousePressEvent(QMouseEvent *event) override
    {
        m_pressY = event->globalPosition().y();
        m_block->dragChanged(0);
    }
    void mouseMoveEvent(QMouseEvent *event) override
    {
        if (event->buttons() & Qt::LeftButton)
            m_block->dragChanged(event->globalPosition().y() - m_pressY);
    }
    void mouseReleaseEvent(QMouseEvent *) override { m_block->dragEnded(); }

private:
    ResizablePlayerDashboardBlock *m_block;
    qreal m_pressY = 0;
};

} // namespace

ResizablePlayerDashboardBlock::ResizablePlayerDashboardBlock(LibraryStore &store, QWidget *parent)
    : QWidget(parent)
    , m_store(store)
{
    m_sizing = PlayerBlockSizing::compute(1440, 900, m_store.settings().waveformHeight());
    setPanel(new GlassPanel(26, this));
    m_handle = new ResizeHandle(this);
    m_move = new ToolbarIconButton(QStringLiteral("arrow.up.to.line.compact"), this);
    m_move->setFixedSize(28, 22);
    connect(m_move, &QAbstractButton::clicked, this, [this] {
        m_store.settings().setDashboardPlayerOnTop(!m_store.settings().dashboardPlayerOnTop());
    });
    m_moveHint = ContextualHint::attach(m_move,
                                        m_store.services().schedulerService(),
                                        QString(),
                                        QStringLiteral("Меняет местами плеер и список раздела."));
    connect(&m_store.settings(),
            &LibrarySettings::dashboardPlayerOnTopChanged,
            this,
            &ResizablePlayerDashboardBlock::refreshMoveButton);
    connect(&ShellEvents::instance(),
            &ShellEvents::languageChanged,
            this,
            &ResizablePlayerDashboardBlock::refreshMoveButton);
    connect(&ShellEvents::instance(),
            &ShellEvents::appearanceChanged,
            m_handle,
            qOverload<>(&QWidget::update));
    refreshMoveButton();
    applyHeight();
}

void ResizablePlayerDashboardBlock::setPanel(QWidget *panel)
{
    if (m_panel == panel)
        return;
    delete m_panel;
    m_panel = panel;
    panel->setParent(this);
    panel->setGeometry(rect());
    panel->show();
    panel->lower();
    forwardSizing();
}

void ResizablePlayerDashboardBlock::forwardSizing()
{
    if (auto *bar = qobject_cast<PlayerBar *>(m_panel.data()))
        bar->setLayoutOptions(m_sizing.compact, m_sizing.layoutControlsTopInset);
}

void ResizablePlayerDashboardBlock::setSizing(const PlayerBlockSizing &sizing)
{
    m_sizing = sizing;
    forwardSizing();
    applyHeight();
}

double ResizablePlayerDashboardBlock::storedHeight() const
{
    return m_store.settings().defaults().real(kStoredHeightKey, 0);
}

double ResizablePlayerDashboardBlock::effectiveHeight() const
{
    return PlayerBlockSizing::effectiveHeight(
        m_resizePreview, storedHeight(), m_sizing.minimumHeight, m_sizing.maximumHeight);
}

void ResizablePlayerDashboardBlock::applyHeight()
{
    setFixedHeight(int(effectiveHeight()));
}

void ResizablePlayerDashboardBlock::dragChanged(double translationY)
{
    if (!m_resizeStart)
        m_resizeStart = effectiveHeight();
    const double height = PlayerBlockSizing::dragHeight(*m_resizeStart,
                                                        translationY,
                                                        m_store.settings().dashboardPlayerOnTop(),
                                                        m_sizing.minimumHeight,
                                                        m_sizing.maximumHeight);
    if (m_resizePreview != height) {
        m_resizePreview = height;
        applyHeight();
    }
}

void ResizablePlayerDashboardBlock::dragEnded()
{
    const double height = m_resizePreview ? *m_resizePreview : effectiveHeight();
    m_store.settings().defaults().set(kStoredHeightKey, height);
    m_resizePreview.reset();
    m_resizeStart.reset();
    applyHeight();
}

void ResizablePlayerDashboardBlock::refreshMoveButton()
{
    const bool onTop = m_store.settings().dashboardPlayerOnTop();
    m_move->setSymbol(onTop ? QStringLiteral("arrow.down.to.line.compact")
                            : QStringLiteral("arrow.up.to.line.compact"));
    const QString moveTitle = onTop ? QStringLiteral("Переместить плеер вниз")
                                    : QStringLiteral("Переместить плеер вверх");
    m_moveHint->setTitle(moveTitle);
    m_move->setAccessibleName(BrivelloLocalization::string(moveTitle));
    const QString handleHint =
        BrivelloLocalization::string(QStringLiteral("Изменить высоту плеера"));
    m_handle->setToolTip(handleHint);
    m_handle->setAccessibleName(handleHint);
}

void ResizablePlayerDashboardBlock::layoutOverlay()
{
    const int rowWidth = m_handle->width() + 10 + m_move->width();
    const int left = (width() - rowWidth) / 2;
    m_handle->move(left, 12);
    m_move->move(left + m_handle->width() + 10, 12);
    m_handle->raise();
    m_move->raise();
}

void ResizablePlayerDashboardBlock::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_panel)
        m_panel->setGeometry(rect());
    layoutOverlay();
}

} // namespace brivello
