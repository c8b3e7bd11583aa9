#include "SettingsSheet.h"

#include "SettingsLook.h"
#include "SettingsSections.h"
#include "SettingsSidebarEntry.h"
#include "UpdateBanner.h"
#include "library/GenreEditing.h"
#include "library/LibraryStore.h"
#include "platform/AppLanguage.h"
#include "platform/BrivelloLocalization.h"
#include "platform/Defaults.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "shell/ActionButton.h"
#include "shell/BrivelloSymbols.h"
#include "shell/GlassPanel.h"
#include "shell/ShellEvents.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

namespace brivello {

namespace {

using Section = SettingsSheet::SettingsSection;

struct SectionInfo
{
    Section section;
    const char *raw;
    const char *title;
    const char *symbol;
    const char *hint;
};

// Linux wording: the quick slots are kept per computer, not "on this Mac".
const SectionInfo kSections[] = {
    {Section::player,
     "player",
     "Плеер и waveform",
     "waveform",
     "Плеер можно переносить на таблицу и менять его высоту верхней границей."},
    {Section::genres,
     "genres",
     "Жанры",
     "music.note.list",
     "Жанры вводятся через запятую или с новой строки; быстрые слоты сохраняются на этом "
     "компьютере."},
    {Section::analysis,
     "analysis",
     "Спектрограмма",
     "waveform.path.ecg",
     "DFT определяет детализацию по частоте, диапазон dB — видимость тихих сигналов."},
    {Section::tables,
     "tables",
     "Таблицы",
     "tablecells",
     "Один масштаб применяется ко всем таблицам и спискам."},
    {Section::hotkeys,
     "hotkeys",
     "Горячие клавиши",
     "keyboard",
     "Кликните поле, затем нажмите нужную клавишу или сочетание."},
    {Section::cleaner,
     "cleaner",
     "Очистка",
     "sparkles",
     "Очистка запускается кнопкой «Очистить выбранные» во вкладке «Избранное»."},
    {Section::language,
     "language",
     "Язык",
     "globe",
     "Язык интерфейса переключается без перезапуска приложения."},
};

const SectionInfo &info(Section section)
{
    return kSections[static_cast<int>(section)];
}

constexpr int kSidebarWidth = 190;
constexpr int kFillerHeight = 150;

} // namespace

QList<SettingsSheet::SettingsSection> SettingsSheet::allSections()
{
    QList<Section> sections;
    for (const SectionInfo &entry : kSections)
        sections.append(entry.section);
    return sections;
}

QString SettingsSheet::rawValue(SettingsSection section)
{
    return QString::fromLatin1(info(section).raw);
}

std::optional<SettingsSheet::SettingsSection> SettingsSheet::sectionFromRawValue(const QString &raw)
{
    for (const SectionInfo &entry : kSections) {
        if (raw == QLatin1String(entry.raw))
            return entry.section;
    }
    return std::nullopt;
}

QString SettingsSheet::titleKey(SettingsSection section)
{
    return QString::fromUtf8(info(section).title);
}

QString SettingsSheet::symbol(SettingsSection section)
{
    return QString::fromLatin1(info(section).symbol);
}

QString SettingsSheet::hintKey(SettingsSection section)
{
    return QString::fromUtf8(info(section).hint);
}

SettingsSheet::SettingsSheet(LibraryStore &library, UpdateManager &updates, QWidget *parent)
    : QDialog(parent)
    , m_library(library)
    , m_updates(updates)
{
    setFixedSize(kWidth, kHeight);
    setModal(true);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(26, 26, 26, 26);
    column->setSpacing(16);
    m_title = SettingsLook::label(TextStyle::title2, this, QFont::Bold);
    column->addWidget(m_title);
    m_banner = new UpdateBanner(updates, this);
    column->addWidget(m_banner);

    auto *body = new QHBoxLayout;
    body->setSpacing(18);
    auto *sidebar = new GlassPanel(16, this);
    sidebar->setFixedWidth(kSidebarWidth);
    buildSidebar(sidebar);
    body->addWidget(sidebar);

    auto *pane = new QVBoxLayout;
    pane->setSpacing(12);
    auto *titleRow = new QHBoxLayout;
    titleRow->setSpacing(9);
    m_sectionIcon = new QLabel(this);
    m_sectionTitle = SettingsLook::label(TextStyle::title3, this, QFont::DemiBold);
    titleRow->addWidget(m_sectionIcon);
    titleRow->addWidget(m_sectionTitle, 1);
    pane->addLayout(titleRow);
    pane->addWidget(SettingsLook::divider(this));
    m_scroll = new QScrollArea(this);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *content = new QWidget;
    content->setAutoFillBackground(false);
    m_scroll->viewport()->setAutoFillBackground(false);
    m_scrollColumn = new QVBoxLayout(content);
    m_scrollColumn->setContentsMargins(0, 0, 6, 0);
    m_scrollColumn->setSpacing(0);
    auto *filler = new QWidget(content);
    filler->setMinimumHeight(kFillerHeight);
    m_scrollColumn->addWidget(filler, 1);
    m_scroll->setWidget(content);
    pane->addWidget(m_scroll, 1);
    body->addLayout(pane, 1);
    column->addLayout(body, 1);

    auto *footer = new QHBoxLayout;
    m_hint = SettingsLook::label(TextStyle::caption, this);
    m_hint->setWordWrap(true);
    footer->addWidget(m_hint, 1);
    footer->addStretch();
    m_done = new ActionButton(QStringLiteral("Готово"), QStringLiteral("checkmark.circle"), this);
    footer->addWidget(m_done);
    column->addLayout(footer);
    connect(m_done, &QAbstractButton::clicked, this, &SettingsSheet::finish);

    connect(&ShellEvents::instance(),
            &ShellEvents::languageChanged,
            this,
            &SettingsSheet::scheduleRefresh);
    connect(&ShellEvents::instance(),
            &ShellEvents::appearanceChanged,
            this,
            &SettingsSheet::scheduleRefresh);
    // The sheet follows its own language switch even before the window announces it.
    connect(&Defaults::standard(), &Defaults::changed, this, [this](const QString &key) {
        if (key == kAppLanguageKey)
            scheduleRefresh();
    });
    retranslate();
    rebuildPage();
}

SettingsSheet::~SettingsSheet() = default;

void SettingsSheet::buildSidebar(QWidget *sidebar)
{
    auto *entries = new QVBoxLayout(sidebar);
    entries->setContentsMargins(8, 8, 8, 8);
    entries->setSpacing(4);
    for (Section section : allSections()) {
        auto *entry = new SettingsSidebarEntry(section, sidebar);
        connect(entry, &QAbstractButton::clicked, this, [this, section] {
            selectSettingsSection(section);
        });
        entries->addWidget(entry);
        m_entries.append(entry);
    }
    entries->addStretch(1);
}

void SettingsSheet::selectSettingsSection(SettingsSection section)
{
    if (section != m_selected) {
        m_selected = section;
        retranslate();
        rebuildPage();
    }
    // After the switch has been applied.
    QTimer::singleShot(0, this, &SettingsSheet::resignSettingsFocus);
}

void SettingsSheet::resignSettingsFocus()
{
    if (QWidget *focus = focusWidget())
        focus->clearFocus();
    m_library.setIsEditingMetadata(false);
}

QString SettingsSheet::sectionHint() const
{
    return BrivelloLocalization::string(hintKey(m_selected));
}

void SettingsSheet::scheduleRefresh()
{
    // Later, and once: the change may come from a control of the page being replaced.
    if (m_refreshPending)
        return;
    m_refreshPending = true;
    QTimer::singleShot(0, this, [this] {
        m_refreshPending = false;
        retranslate();
        rebuildPage();
    });
}

void SettingsSheet::rebuildPage()
{
    // A new page each time: no state of a previous section's controls survives.
    if (m_page) {
        m_page->hide();
        m_page->deleteLater();
    }
    m_page = SettingsSections::build(m_selected, m_library, m_updates);
    m_scrollColumn->insertWidget(0, m_page);
    // The scroll area sizes wrapped-text content to its viewport; the page needs its height.
    m_scroll->widget()->setMinimumHeight(m_page->sizeHint().height() + kFillerHeight);
}

void SettingsSheet::retranslate()
{
    const ColorScheme scheme = SettingsLook::scheme();
    setPalette(BrivelloTheme::palette(scheme));
    setWindowTitle(BrivelloLocalization::string(QStringLiteral("Настройки")));
    m_title->setText(windowTitle());
    m_sectionTitle->setText(BrivelloLocalization::string(titleKey(m_selected)));
    m_sectionIcon->setPixmap(BrivelloSymbols::pixmap(
        symbol(m_selected), 15, BrivelloTheme::primary(scheme), scheme, devicePixelRatioF()));
    m_hint->setText(sectionHint());
    SettingsLook::setTextColor(m_hint, BrivelloTheme::secondary(scheme));
    for (SettingsSidebarEntry *entry : m_entries) {
        entry->setChecked(entry->section() == m_selected);
        entry->retranslate();
    }
}

void SettingsSheet::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    m_library.genreEditing().normalizeGenreList();
    NotificationCenter::defaultCenter().post(brivelloGenresDidChange);
    resignSettingsFocus();
    QDialog::done(QDialog::Accepted);
}

void SettingsSheet::reject()
{
    // Escape closes through "Готово" too.
    finish();
}

void SettingsSheet::closeEvent(QCloseEvent *event)
{
    finish();
    event->accept();
}

void SettingsSheet::mousePressEvent(QMouseEvent *event)
{
    resignSettingsFocus();
    QDialog::mousePressEvent(event);
}

void SettingsSheet::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
}

} // namespace brivello
