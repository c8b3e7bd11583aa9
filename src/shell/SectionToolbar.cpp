#include "SectionToolbar.h"

#include "ActionButton.h"
#include "BrivelloSymbols.h"
#include "ContextualHint.h"
#include "OpenPanels.h"
#include "ShellEvents.h"
#include "library/LibrarySections.h"
#include "library/LibrarySettingsKeys.h"
#include "platform/BrivelloLocalization.h"
#include "workspaces/MainWindowController.h"
#include "workspaces/SectionCatalog.h"

#include <QHBoxLayout>
#include <QPainter>

namespace brivello {

namespace {
constexpr int kPaddingX = 22;
constexpr int kSpacing = 14;
constexpr qreal kTitleTracking = 2;
} // namespace

SectionToolbar::SectionToolbar(MainWindowController &controller, QWidget *parent)
    : GlassPanel(20, parent)
    , m_controller(controller)
    , m_store(controller.store())
{
    setFixedHeight(kHeight);
    m_layout = new QHBoxLayout(this);
    m_layout->setContentsMargins(kPaddingX, 0, kPaddingX, 0);
    m_layout->setSpacing(kSpacing);
    m_layout->addStretch(1);
    rebuild();
    connect(&m_store, &LibraryStore::activeTabChanged, this, &SectionToolbar::rebuild);
    connect(&m_store, &LibraryStore::selectedIDChanged, this, &SectionToolbar::updateEnabled);
    connect(&m_store, &LibraryStore::selectedIDsChanged, this, &SectionToolbar::updateEnabled);
    connect(&ShellEvents::instance(),
            &ShellEvents::languageChanged,
            this,
            &SectionToolbar::retranslate);
}

ActionButton *SectionToolbar::addButton(const QString &title,
                                        const QString &symbol,
                                        const QString &hintTitle,
                                        const QString &hintDetail,
                                        std::function<void()> action,
                                        std::function<QString()> shortcut)
{
    auto *button = new ActionButton(title, symbol, this);
    connect(button, &QAbstractButton::clicked, this, [action] {
        if (action)
            action();
    });
    ContextualHint::attach(
        button, m_store.services().schedulerService(), hintTitle, hintDetail, std::move(shortcut));
    m_layout->addWidget(button);
    button->show();
    m_buttons.append(button);
    return button;
}

void SectionToolbar::rebuild()
{
    using Tab = LibraryStore::LibraryTab;
    const Tab tab = m_store.activeTab();
    if (m_builtFor == tab)
        return;
    m_builtFor = tab;
    qDeleteAll(m_buttons);
    m_buttons.clear();
    LibraryStore *store = &m_store;
    QWidget *window = this;
    if (tab != Tab::favorites) {
        addButton(QStringLiteral("Добавить"),
                  QStringLiteral("plus"),
                  QStringLiteral("Добавить файлы"),
                  QStringLiteral("Добавляет аудиофайлы или папки в текущий раздел."),
                  [store, tab, window] { OpenPanels::openForSection(*store, tab, window); });
    } else {
        const auto run = [this](std::function<void()> FavoritesActions::*member) {
            return [this, member] {
                if (m_actions.*member)
                    (m_actions.*member)();
            };
        };
        addButton(QStringLiteral("Очистить выбранные"),
                  QStringLiteral("sparkles"),
                  QStringLiteral("Очистить выбранные"),
                  QStringLiteral("Применяет сохранённые настройки очистки к выбранным трекам."),
                  run(&FavoritesActions::clean),
                  [store] { return store->settings().hotkey(kHotkeyCleanKey); });
        addButton(QStringLiteral("В конвертер"),
                  QStringLiteral("arrow.right.circle"),
                  QStringLiteral("Отправить в конвертер"),
                  QStringLiteral("Добавляет выбранные треки в очередь конвертации."),
                  run(&FavoritesActions::sendToConverter));
        MainWindowController *controller = &m_controller;
        addButton(QStringLiteral("В анализ"),
                  QStringLiteral("waveform.path.ecg"),
                  QStringLiteral("Отправить в анализ"),
                  QStringLiteral("Добавляет выбранные треки в раздел спектрального анализа."),
                  [this, controller] {
                      if (m_actions.sendToAnalysis)
                          m_actions.sendToAnalysis();
                      controller->activateTab(Tab::analysis);
                  });
        addButton(QStringLiteral("Экспорт"),
                  QStringLiteral("square.and.arrow.up"),
                  QStringLiteral("Экспортировать выбранные"),
                  QStringLiteral("Копирует выбранные треки в выбранную папку."),
                  run(&FavoritesActions::exportSelection));
    }
    m_layout->activate();
    retranslate();
    updateEnabled();
}

void SectionToolbar::updateEnabled()
{
    if (m_store.activeTab() != LibraryStore::LibraryTab::favorites)
        return;
    const bool hasSelection = !m_store.sections().activeSelection().isEmpty();
    for (ActionButton *button : std::as_const(m_buttons))
        button->setEnabled(hasSelection);
}

void SectionToolbar::retranslate()
{
    m_title = BrivelloLocalization::string(SectionCatalog::titleKey(m_store.activeTab())).toUpper();
    setAccessibleName(m_title);
    update();
}

void SectionToolbar::paintEvent(QPaintEvent *event)
{
    GlassPanel::paintEvent(event);
    const ColorScheme scheme = ShellEvents::instance().scheme();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal icon = BrivelloTheme::iconFrame(BrivelloIconScale::section);
    const QColor iconColor =
        BrivelloTheme::isLight(scheme) ? BrivelloTheme::primary(scheme) : whiteA(0.88);
    BrivelloSymbols::paint(painter,
                           QPointF(kPaddingX, (height() - icon) / 2),
                           SectionCatalog::icon(m_store.activeTab()),
                           BrivelloIconScale::section,
                           iconColor,
                           scheme);
    QFont font = BrivelloTheme::systemFont(15, QFont::Bold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, kTitleTracking);
    painter.setFont(font);
    painter.setPen(BrivelloTheme::primary(scheme));
    painter.drawText(QRectF(kPaddingX + icon + kSpacing, 0, width() / 2.0, height()),
                     Qt::AlignVCenter | Qt::AlignLeft,
                     m_title);
}

} // namespace brivello
