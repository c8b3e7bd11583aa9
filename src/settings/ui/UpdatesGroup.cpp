#include "UpdatesGroup.h"

#include "SettingsLook.h"
#include "platform/BrivelloLocalization.h"
#include "settings/UpdateManager.h"
#include "shell/ActionButton.h"
#include "shell/BrivelloSymbols.h"
#include "shell/ShellEvents.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace brivello {

namespace {
const QColor kGreen = rgbA(0.20, 0.70, 0.35);
const QColor kOrange = rgbA(1.0, 0.58, 0.0);
} // namespace

UpdatesGroup::UpdatesGroup(UpdateManager &updates, QWidget *parent)
    : QWidget(parent)
    , m_updates(updates)
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    auto *row = new QHBoxLayout;
    row->setSpacing(12);
    auto *texts = new QVBoxLayout;
    texts->setSpacing(3);
    m_title = SettingsLook::label(TextStyle::headline, this);
    m_version = SettingsLook::label(TextStyle::subheadline, this);
    texts->addWidget(m_title);
    texts->addWidget(m_version);
    row->addLayout(texts);
    row->addStretch(1);

    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 0);
    m_progress->setTextVisible(false);
    m_progress->setFixedSize(60, 6);
    m_upToDate = new QWidget(this);
    auto *upToDateRow = new QHBoxLayout(m_upToDate);
    upToDateRow->setContentsMargins(0, 0, 0, 0);
    upToDateRow->setSpacing(5);
    m_upToDateIcon = new QLabel(m_upToDate);
    m_upToDateText = SettingsLook::label(TextStyle::subheadline, m_upToDate);
    upToDateRow->addWidget(m_upToDateIcon);
    upToDateRow->addWidget(m_upToDateText);
    m_check =
        new ActionButton(QStringLiteral("Проверить"), QStringLiteral("arrow.clockwise"), this);
    m_download =
        new ActionButton(QStringLiteral("Скачать %@"), QStringLiteral("arrow.down.circle"), this);
    for (QWidget *control : {static_cast<QWidget *>(m_progress),
                             m_upToDate,
                             static_cast<QWidget *>(m_check),
                             static_cast<QWidget *>(m_download)})
        row->addWidget(control, 0, Qt::AlignVCenter);
    column->addLayout(row);

    m_footnote = SettingsLook::label(TextStyle::caption, this);
    m_footnote->setWordWrap(true);
    column->addWidget(m_footnote);

    connect(m_check, &QAbstractButton::clicked, this, [this] {
        // The result arrives through stateChanged.
        [](UpdateManager *manager) -> QCoro::Task<> {
            co_await manager->checkForUpdates();
        }(&m_updates);
    });
    connect(m_download, &QAbstractButton::clicked, this, [this] {
        m_updates.downloadAvailableRelease();
    });
    connect(&m_updates, &UpdateManager::stateChanged, this, &UpdatesGroup::refresh);
    // After the buttons' own retranslation, which knows only the unformatted key.
    connect(&ShellEvents::instance(), &ShellEvents::languageChanged, this, &UpdatesGroup::refresh);
    connect(
        &ShellEvents::instance(), &ShellEvents::appearanceChanged, this, &UpdatesGroup::applyLook);
    applyLook();
    refresh();
}

void UpdatesGroup::refresh()
{
    using State = UpdateManager::State;
    const State state = m_updates.state();
    const std::optional<UpdateManager::Release> release = m_updates.availableRelease();
    m_title->setText(BrivelloLocalization::string(QStringLiteral("Обновления")));
    m_version->setText(
        BrivelloLocalization::format(QStringLiteral("Версия %@"), m_updates.currentVersion()));
    m_upToDateText->setText(BrivelloLocalization::string(QStringLiteral("Актуально")));
    m_progress->setVisible(state == State::checking);
    m_upToDate->setVisible(state == State::upToDate);
    m_check->setVisible(state == State::idle || state == State::failed);
    m_download->setVisible(state == State::available);
    if (release) {
        m_download->setText(
            BrivelloLocalization::format(QStringLiteral("Скачать %@"), release->version));
        m_download->updateGeometry();
    }

    QString footnote;
    bool failure = false;
    if (release) {
        footnote = release->releaseNotes;
    } else if (state == State::failed) {
        const QString error = m_updates.errorText().isEmpty()
                                  ? QStringLiteral("Проверка обновлений недоступна.")
                                  : m_updates.errorText();
        footnote = BrivelloLocalization::string(error);
        failure = true;
    }
    m_footnote->setVisible(release || failure);
    m_footnote->setText(footnote);
    const ColorScheme scheme = SettingsLook::scheme();
    SettingsLook::setTextColor(m_footnote, failure ? kOrange : BrivelloTheme::secondary(scheme));
}

void UpdatesGroup::applyLook()
{
    const ColorScheme scheme = SettingsLook::scheme();
    SettingsLook::setTextColor(m_title, BrivelloTheme::primary(scheme));
    SettingsLook::setTextColor(m_version, BrivelloTheme::secondary(scheme));
    SettingsLook::setTextColor(m_upToDateText, kGreen);
    m_upToDateIcon->setPixmap(BrivelloSymbols::pixmap(
        QStringLiteral("checkmark.circle.fill"), 13, kGreen, scheme, devicePixelRatioF()));
    refresh();
}

} // namespace brivello
