#include "HintOverlay.h"

#include "BrivelloTheme.h"
#include "ContextualHint.h"
#include "ShellEvents.h"
#include "platform/BrivelloLocalization.h"
#include "settings/ContextualHintState.h"
#include "settings/HotkeyMatcher.h"

#include <QApplication>
#include <QCursor>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

namespace brivello {

namespace {
constexpr int kPadding = 12;
constexpr int kArrow = 7;
} // namespace

HintOverlay *HintOverlay::forWindow(QWidget *window)
{
    auto *existing = window->findChild<HintOverlay *>(QString(), Qt::FindDirectChildrenOnly);
    return existing ? existing : new HintOverlay(window);
}

HintOverlay::HintOverlay(QWidget *window)
    : QWidget(window)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_StyledBackground, false);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(kPadding, kPadding + kArrow, kPadding, kPadding);
    layout->setSpacing(8);
    m_title = new QLabel(this);
    m_title->setFont(BrivelloTheme::font(TextStyle::subheadline, QFont::DemiBold));
    m_title->setWordWrap(true);
    layout->addWidget(m_title);
    m_detail = new QLabel(this);
    m_detail->setFont(BrivelloTheme::font(TextStyle::caption));
    m_detail->setWordWrap(true);
    layout->addWidget(m_detail);
    m_shortcutRow = new QWidget(this);
    auto *row = new QHBoxLayout(m_shortcutRow);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(7);
    m_shortcutLabel = new QLabel(m_shortcutRow);
    m_shortcutLabel->setFont(BrivelloTheme::font(TextStyle::caption));
    m_shortcut = new QLabel(m_shortcutRow);
    QFont mono = BrivelloTheme::font(TextStyle::caption, QFont::DemiBold);
    mono.setFamily(QStringLiteral("monospace"));
    mono.setStyleHint(QFont::Monospace);
    m_shortcut->setFont(mono);
    m_shortcut->setContentsMargins(7, 3, 7, 3);
    row->addWidget(m_shortcutLabel);
    row->addWidget(m_shortcut);
    row->addStretch(1);
    layout->addWidget(m_shortcutRow);
    m_disable = new QPushButton(this);
    m_disable->setFlat(true);
    m_disable->setFocusPolicy(Qt::NoFocus);
    m_disable->setFont(BrivelloTheme::font(TextStyle::caption, QFont::Medium));
    m_disable->setCursor(Qt::PointingHandCursor);
    m_disable->setStyleSheet(QStringLiteral("QPushButton{border:none;padding:2px 0 0 0;"
                                            "text-align:left;background:transparent;}"));
    layout->addWidget(m_disable, 0, Qt::AlignLeft);
    connect(m_disable, &QPushButton::clicked, this, [this] {
        if (m_hint)
            m_hint->state()->disableHints();
        else
            ContextualHintState::setHintsEnabled(false);
        hide();
    });
    connect(&ShellEvents::instance(), &ShellEvents::languageChanged, this, &HintOverlay::refresh);
    connect(&ShellEvents::instance(), &ShellEvents::appearanceChanged, this, &HintOverlay::refresh);
    hide();
    qApp->installEventFilter(this);
}

QString HintOverlay::titleText() const
{
    return m_title->text();
}

QString HintOverlay::detailText() const
{
    return m_detail->text();
}

QString HintOverlay::shortcutText() const
{
    return m_shortcutRow->isVisibleTo(this) ? m_shortcut->text() : QString();
}

void HintOverlay::present(ContextualHint *hint)
{
    if (m_hint && m_hint != hint)
        m_hint->state()->dismiss();
    m_hint = hint;
    // A control deleted while its hint is open takes the hint with it.
    connect(hint, &QObject::destroyed, this, [this] {
        if (!m_hint)
            hide();
    });
    refresh();
    show();
    raise();
}

void HintOverlay::close(ContextualHint *hint)
{
    if (m_hint != hint)
        return;
    m_hint = nullptr;
    hide();
}

void HintOverlay::refresh()
{
    if (!m_hint)
        return;
    const ColorScheme scheme = ShellEvents::instance().scheme();
    const bool light = BrivelloTheme::isLight(scheme);
    m_title->setText(BrivelloLocalization::string(m_hint->title()));
    m_detail->setText(BrivelloLocalization::string(m_hint->detail()));
    const QString shortcut = m_hint->shortcut();
    m_shortcutRow->setVisible(!shortcut.isEmpty());
    m_shortcut->setText(HotkeyMatcher::displayText(shortcut));
    m_shortcutLabel->setText(BrivelloLocalization::string(QStringLiteral("Горячая клавиша")));
    m_disable->setText(BrivelloLocalization::string(QStringLiteral("Отключить подсказки")));
    const auto colour = [](QWidget *w, const QColor &c) {
        QPalette p = w->palette();
        p.setColor(QPalette::WindowText, c);
        p.setColor(QPalette::ButtonText, c);
        w->setPalette(p);
    };
    colour(m_title, BrivelloTheme::primary(scheme));
    colour(m_detail, light ? blackA(0.66) : whiteA(0.72));
    colour(m_shortcutLabel, BrivelloTheme::secondary(scheme));
    colour(m_shortcut, BrivelloTheme::primary(scheme));
    m_shortcut->setStyleSheet(
        QStringLiteral("background:%1;border-radius:5px;")
            .arg((light ? blackA(0.045) : whiteA(0.055)).name(QColor::HexArgb)));
    colour(m_disable, BrivelloTheme::secondary(scheme));
    setFixedWidth(kWidth + 2 * kPadding);
    // The height follows the wrapped texts of this hint, not the size the last hint left.
    layout()->activate();
    setFixedHeight(layout()->hasHeightForWidth() ? layout()->heightForWidth(width())
                                                 : layout()->sizeHint().height());
    place();
    update();
}

void HintOverlay::place()
{
    if (!m_hint || !m_hint->control())
        return;
    const QRect target = anchorInWindow();
    int x = target.x() + target.width() / 2 - width() / 2;
    int y = target.bottom() + 1;
    x = qBound(8, x, qMax(8, parentWidget()->width() - width() - 8));
    // No room below: open above, with the arrow on the bottom edge pointing down at the control.
    m_above = y + height() > parentWidget()->height() - 8;
    if (m_above)
        y = target.top() - height();
    layout()->setContentsMargins(
        kPadding, kPadding + (m_above ? 0 : kArrow), kPadding, kPadding + (m_above ? kArrow : 0));
    move(x, y);
}

QRect HintOverlay::anchorInWindow() const
{
    QWidget *control = m_hint ? m_hint->control() : nullptr;
    if (!control)
        return {};
    const QRect anchor = m_hint->anchorRect();
    return QRect(control->mapTo(parentWidget(), anchor.topLeft()), anchor.size());
}

void HintOverlay::paintEvent(QPaintEvent *)
{
    const ColorScheme scheme = ShellEvents::instance().scheme();
    const bool light = BrivelloTheme::isLight(scheme);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bubble = QRectF(rect()).adjusted(
        0.5, (m_above ? 0 : kArrow) + 0.5, -0.5, -(m_above ? kArrow : 0) - 0.5);
    QPainterPath path;
    path.addRoundedRect(bubble, 10, 10);
    if (const QRect anchor = anchorInWindow(); !anchor.isNull()) {
        const qreal ax = anchor.x() + anchor.width() / 2 - x();
        const qreal base = m_above ? bubble.bottom() - 0.5 : bubble.top() + 0.5;
        const qreal tipY = m_above ? height() - 0.5 : 0.5;
        QPolygonF arrow;
        arrow << QPointF(ax - kArrow, base) << QPointF(ax, tipY) << QPointF(ax + kArrow, base);
        QPainterPath tip;
        tip.addPolygon(arrow);
        path = path.united(tip);
    }
    painter.setPen(QPen(light ? blackA(0.14) : whiteA(0.16), 1));
    painter.setBrush(light ? rgbA(0.98, 0.98, 0.975, 0.98) : rgbA(0.15, 0.155, 0.18, 0.97));
    painter.drawPath(path);
}

bool HintOverlay::isUnderPointer() const
{
    return isVisible() && rect().contains(mapFromGlobal(QCursor::pos()));
}

bool HintOverlay::eventFilter(QObject *watched, QEvent *event)
{
    // Off the hint and not back on its control: the hint closes.
    if (event->type() == QEvent::Leave && watched == this && m_hint && m_hint->control()) {
        QWidget *control = m_hint->control();
        const QPoint onControl = control->mapFromGlobal(QCursor::pos());
        if (!m_hint->anchorRect().contains(onControl))
            m_hint->state()->dismiss();
    }
    // A window (a dialog) that goes takes its open hint along; it must not come back with it.
    if (event->type() == QEvent::Hide && watched == parentWidget() && m_hint)
        m_hint->state()->dismiss();
    if (event->type() == QEvent::MouseButtonPress && isVisible()) {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget && widget != this && !isAncestorOf(widget) && widget->window() == window()) {
            if (m_hint)
                m_hint->state()->dismiss();
            else
                hide();
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace brivello
