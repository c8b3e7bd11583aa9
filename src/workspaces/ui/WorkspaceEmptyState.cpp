#include "WorkspaceEmptyState.h"

#include "platform/BrivelloLocalization.h"
#include "shell/BrivelloSymbols.h"
#include "shell/ShellEvents.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace brivello {

namespace {

// The empty state's symbol at the large scale.
class EmptyStateSymbol : public QWidget
{
public:
    EmptyStateSymbol(const QString &icon, QWidget *parent)
        : QWidget(parent)
        , m_icon(icon)
    {
        const int side = int(BrivelloTheme::iconFrame(BrivelloIconScale::emptyState));
        setFixedSize(side, side);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        const ColorScheme scheme = ShellEvents::instance().scheme();
        QPainter painter(this);
        const QColor color = BrivelloTheme::isLight(scheme) ? blackA(0.52) : whiteA(0.52);
        BrivelloSymbols::paint(
            painter, QPointF(0, 0), m_icon, BrivelloIconScale::emptyState, color, scheme);
    }

private:
    QString m_icon;
};

} // namespace

WorkspaceEmptyState::WorkspaceEmptyState(const QString &icon,
                                         const QString &titleKey,
                                         const QString &messageKey,
                                         QWidget *parent)
    : QWidget(parent)
    , m_icon(icon)
    , m_titleKey(titleKey)
    , m_messageKey(messageKey)
{
    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(12);
    layout->addStretch(1);
    m_symbol = new EmptyStateSymbol(icon, this);
    layout->addWidget(m_symbol, 0, Qt::AlignHCenter);
    m_title = new QLabel(this);
    m_title->setFont(BrivelloTheme::font(TextStyle::title3, QFont::DemiBold));
    m_title->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_title, 0, Qt::AlignHCenter);
    m_message = new QLabel(this);
    m_message->setFont(BrivelloTheme::font(TextStyle::callout));
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setWordWrap(true);
    m_message->setMaximumWidth(340);
    m_message->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    // A wrapped label aligned inside a box layout is sized by its narrow hint and clipped;
    // stretches on both sides centre it while the layout still asks its height for its width.
    auto *messageRow = new QHBoxLayout;
    messageRow->addStretch(1);
    messageRow->addWidget(m_message, 4);
    messageRow->addStretch(1);
    layout->addLayout(messageRow);
    layout->addStretch(1);
    retranslate();
    restyle();
    connect(&ShellEvents::instance(),
            &ShellEvents::languageChanged,
            this,
            &WorkspaceEmptyState::retranslate);
    connect(&ShellEvents::instance(),
            &ShellEvents::appearanceChanged,
            this,
            &WorkspaceEmptyState::restyle);
}

QString WorkspaceEmptyState::titleText() const
{
    return m_title->text();
}

QString WorkspaceEmptyState::messageText() const
{
    return m_message->text();
}

void WorkspaceEmptyState::setMessageArgument(const QString &argument)
{
    if (m_messageArgument == argument)
        return;
    m_messageArgument = argument;
    retranslate();
}

void WorkspaceEmptyState::retranslate()
{
    m_title->setText(BrivelloLocalization::string(m_titleKey));
    m_message->setText(m_messageArgument
                           ? BrivelloLocalization::format(m_messageKey, *m_messageArgument)
                           : BrivelloLocalization::string(m_messageKey));
    m_message->setVisible(!m_messageKey.isEmpty());
}

void WorkspaceEmptyState::restyle()
{
    const ColorScheme scheme = ShellEvents::instance().scheme();
    const bool light = BrivelloTheme::isLight(scheme);
    QPalette titlePalette = m_title->palette();
    titlePalette.setColor(QPalette::WindowText, BrivelloTheme::primary(scheme));
    m_title->setPalette(titlePalette);
    QPalette messagePalette = m_message->palette();
    messagePalette.setColor(QPalette::WindowText, light ? blackA(0.66) : whiteA(0.72));
    m_message->setPalette(messagePalette);
    m_symbol->update();
}

} // namespace brivello
