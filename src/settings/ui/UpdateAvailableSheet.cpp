#include "UpdateAvailableSheet.h"

#include "SettingsLook.h"
#include "platform/BrivelloLocalization.h"
#include "shell/ActionButton.h"
#include "shell/ShellEvents.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

namespace brivello {

namespace {
const QString kNoNotes = QStringLiteral("Описание обновления пока не добавлено.");
constexpr int kIconSize = 34;
constexpr qreal kLineSpacing = 4;
} // namespace

UpdateAvailableSheet::UpdateAvailableSheet(const UpdateManager::Release &release,
                                           const QString &currentVersion,
                                           std::function<void()> download,
                                           QWidget *parent)
    : QDialog(parent)
    , m_release(release)
    , m_currentVersion(currentVersion)
    , m_downloadAction(std::move(download))
{
    setFixedSize(kWidth, kHeight);
    setModal(true);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(26, 26, 26, 26);
    column->setSpacing(20);

    auto *header = new QHBoxLayout;
    header->setSpacing(12);
    m_heading = UpdateHeading::build(
        header,
        this,
        {kIconSize, kIconSize + 4, TextStyle::title2, QFont::Bold, TextStyle::body, 3});
    m_title = m_heading.title;
    m_installed = m_heading.line;
    column->addLayout(header);
    column->addWidget(SettingsLook::divider(this));

    auto *notesColumn = new QVBoxLayout;
    notesColumn->setSpacing(10);
    m_whatsNew = SettingsLook::label(TextStyle::headline, this);
    notesColumn->addWidget(m_whatsNew);
    m_notes = new QTextEdit(this);
    m_notes->setReadOnly(true);
    m_notes->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // No caret until the reader clicks into the notes.
    m_notes->setFocusPolicy(Qt::ClickFocus);
    m_notes->setFrameShape(QFrame::NoFrame);
    m_notes->setFont(BrivelloTheme::font(TextStyle::body));
    m_notes->setMinimumHeight(kNotesMinimumHeight);
    m_notes->setMaximumHeight(kNotesMaximumHeight);
    m_notes->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_notes->viewport()->setAutoFillBackground(false);
    notesColumn->addWidget(m_notes, 1);
    column->addLayout(notesColumn, 1);

    auto *buttons = new QHBoxLayout;
    // The shared button always carries a symbol; a dismissing one here.
    m_later = new ActionButton(QStringLiteral("Позже"), QStringLiteral("xmark"), this);
    m_download = new ActionButton(
        QStringLiteral("Скачать обновление"), QStringLiteral("arrow.down.circle"), this);
    buttons->addWidget(m_later);
    buttons->addStretch(1);
    buttons->addWidget(m_download);
    column->addLayout(buttons);

    connect(m_later, &QAbstractButton::clicked, this, &QDialog::reject);
    connect(m_download, &QAbstractButton::clicked, this, [this] {
        if (m_downloadAction)
            m_downloadAction();
        accept();
    });
    connect(&ShellEvents::instance(),
            &ShellEvents::languageChanged,
            this,
            &UpdateAvailableSheet::retranslate);
    connect(&ShellEvents::instance(),
            &ShellEvents::appearanceChanged,
            this,
            &UpdateAvailableSheet::applyLook);
    retranslate();
    applyLook();
}

QString UpdateAvailableSheet::notesText(const QString &releaseNotes)
{
    const QString trimmed = releaseNotes.trimmed();
    return trimmed.isEmpty() ? BrivelloLocalization::string(kNoNotes) : trimmed;
}

void UpdateAvailableSheet::retranslate()
{
    setWindowTitle(BrivelloLocalization::string(QStringLiteral("Обновление")));
    m_title->setText(BrivelloLocalization::format(QStringLiteral("Доступна новая версия %@"),
                                                  m_release.version));
    m_installed->setText(BrivelloLocalization::format(
        QStringLiteral("Сейчас установлена версия %@"), m_currentVersion));
    m_whatsNew->setText(BrivelloLocalization::string(QStringLiteral("Что нового")));

    m_notes->setPlainText(notesText(m_release.releaseNotes));
    QTextCursor cursor(m_notes->document());
    cursor.select(QTextCursor::Document);
    QTextBlockFormat format;
    format.setLineHeight(kLineSpacing, QTextBlockFormat::LineDistanceHeight);
    cursor.mergeBlockFormat(format);
}

void UpdateAvailableSheet::applyLook()
{
    const ColorScheme scheme = SettingsLook::scheme();
    setPalette(BrivelloTheme::palette(scheme));
    m_heading.applyLook(scheme);
    SettingsLook::setTextColor(m_installed, BrivelloTheme::secondary(scheme));
    SettingsLook::setTextColor(m_whatsNew, BrivelloTheme::primary(scheme));
    SettingsLook::setTextColor(m_notes, BrivelloTheme::primary(scheme));
    update();
}

void UpdateAvailableSheet::paintEvent(QPaintEvent *)
{
    const ColorScheme scheme = SettingsLook::scheme();
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.fillRect(rect(), SettingsLook::cardFill(scheme));
}

} // namespace brivello
