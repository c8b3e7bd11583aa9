// The hotkey and language sections of the settings sheet.
#include "HotkeyRecorderView.h"
#include "SettingsCard.h"
#include "SettingsLook.h"
#include "SettingsSections.h"
#include "UpdatesGroup.h"
#include "platform/AppLanguage.h"
#include "platform/BrivelloLocalization.h"
#include "platform/Defaults.h"
#include "settings/ShellSettings.h"
#include "shell/BrivelloSymbols.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace brivello {

namespace {

struct HotkeyRow
{
    const char *title;
    const char *key;
    const char *fallback;
};

const HotkeyRow kHotkeyRows[] = {
    {"Перемотка назад", "hotkeySeekBack", "←"},
    {"Перемотка вперёд", "hotkeySeekForward", "→"},
    {"Предыдущий трек", "hotkeyPreviousTrack", "↑"},
    {"Следующий трек", "hotkeyNextTrack", "↓"},
    {"Воспроизведение / пауза", "hotkeyPlayPause", "Space"},
    {"Добавить / убрать из избранного", "hotkeyFavorite", "F"},
    {"Удалить из плейлиста", "hotkeyRemove", "Delete"},
    {"Переместить файл в Корзину", "hotkeyTrash", "⌘Delete"},
    {"Вернуть удалённый трек", "hotkeyUndo", "⌘Z"},
    {"Очистить выбранные", "hotkeyClean", "⌘B"},
    {"Поиск и выбор жанра", "hotkeyGenrePalette", "G"},
};

constexpr int kRecorderWidth = 112;

// The segmented picker of the interface language: one segment per language, the stored one
// drawn selected; it follows the setting wherever that is changed. A value that names no
// language selects no segment.
QWidget *languagePicker(QWidget *parent)
{
    auto *picker = new QWidget(parent);
    picker->setObjectName(QStringLiteral("languagePicker"));
    auto *row = new QHBoxLayout(picker);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    QList<QPushButton *> segments;
    for (AppLanguage language : AppLanguage::allCases()) {
        // The two names stay as they are in every language.
        auto *segment =
            new QPushButton(language == AppLanguage::russian ? QStringLiteral("Русский")
                                                             : QStringLiteral("English"),
                            picker);
        segment->setCheckable(true);
        segment->setObjectName(language.rawValue());
        segment->setCursor(Qt::PointingHandCursor);
        segments.append(segment);
        row->addWidget(segment);
    }
    ShellSettings &settings = ShellSettings::standard();
    const auto follow = [segments, &settings] {
        for (QPushButton *segment : segments)
            segment->setChecked(segment->objectName() == settings.appLanguage());
    };
    for (QPushButton *segment : segments) {
        // A click on the selected segment keeps it selected.
        QObject::connect(segment, &QPushButton::clicked, segment, [segment, follow, &settings] {
            settings.setAppLanguage(segment->objectName());
            follow();
        });
    }
    QObject::connect(&settings, &ShellSettings::appLanguageChanged, picker, follow);
    follow();

    const bool light = BrivelloTheme::isLight(SettingsLook::scheme());
    const QString track = (light ? blackA(0.05) : whiteA(0.06)).name(QColor::HexArgb);
    const QString edge = (light ? blackA(0.14) : whiteA(0.14)).name(QColor::HexArgb);
    const QString selected = (light ? QColor(Qt::white) : whiteA(0.22)).name(QColor::HexArgb);
    const QString text = BrivelloTheme::primary(SettingsLook::scheme()).name(QColor::HexArgb);
    picker->setStyleSheet(
        QStringLiteral("QPushButton { background: %1; border: 1px solid %2; color: %4;"
                       " padding: 2px 14px; min-width: 64px; }"
                       "QPushButton#ru { border-top-left-radius: 7px;"
                       " border-bottom-left-radius: 7px; border-right: none; }"
                       "QPushButton#en { border-top-right-radius: 7px;"
                       " border-bottom-right-radius: 7px; }"
                       "QPushButton:checked { background: %3; font-weight: 600; }")
            .arg(track, edge, selected, text));
    return picker;
}

} // namespace

QWidget *SettingsSections::hotkeys()
{
    QWidget *widget = page(10);
    auto *column = static_cast<QVBoxLayout *>(widget->layout());
    column->addWidget(toggle(QStringLiteral("Показывать подсказки после трёх секунд наведения"),
                             QStringLiteral("contextualHintsEnabled"),
                             true,
                             widget));
    column->addWidget(caption(QStringLiteral("Подсказки объясняют действие элемента и показывают "
                                             "доступную горячую клавишу."),
                              widget));
    column->addSpacing(3);
    column->addWidget(SettingsLook::divider(widget));
    column->addSpacing(3);
    for (const HotkeyRow &entry : kHotkeyRows) {
        auto *line = new QHBoxLayout;
        line->addWidget(new QLabel(BrivelloLocalization::string(QString::fromUtf8(entry.title))));
        line->addStretch(1);
        auto *recorder = new HotkeyRecorderView(widget);
        recorder->setObjectName(QString::fromLatin1(entry.key));
        recorder->setFixedSize(kRecorderWidth, 26);
        const QString key = QString::fromLatin1(entry.key);
        recorder->setValue(Defaults::standard().string(key, QString::fromUtf8(entry.fallback)));
        // Two commands may share a combination; the window's fixed order decides.
        recorder->onCapture = [recorder, key](const QString &text) {
            Defaults::standard().set(key, text);
            recorder->setValue(text);
        };
        line->addWidget(recorder);
        column->addLayout(line);
    }
    return widget;
}

QWidget *SettingsSections::language(UpdateManager &updates)
{
    QWidget *widget = page(16);
    auto *column = static_cast<QVBoxLayout *>(widget->layout());
    auto *pickerRow = new QHBoxLayout;
    pickerRow->addWidget(
        new QLabel(BrivelloLocalization::string(QStringLiteral("Язык приложения"))));
    pickerRow->addWidget(languagePicker(widget));
    pickerRow->addStretch(1);
    column->addLayout(pickerRow);

    auto *card = new SettingsCard(12, widget);
    auto *cardRow = new QHBoxLayout(card);
    cardRow->setContentsMargins(14, 14, 14, 14);
    cardRow->setSpacing(12);
    auto *globe = new QLabel(card);
    const ColorScheme scheme = SettingsLook::scheme();
    globe->setPixmap(BrivelloSymbols::pixmap(QStringLiteral("globe"),
                                             20,
                                             BrivelloTheme::secondary(scheme),
                                             scheme,
                                             widget->devicePixelRatioF()));
    cardRow->addWidget(globe);
    auto *texts = new QVBoxLayout;
    texts->setSpacing(3);
    texts->addWidget(headline(QStringLiteral("Язык интерфейса"), card));
    texts->addWidget(caption(QStringLiteral("Изменение применяется сразу и сохраняется после "
                                            "закрытия Brivello."),
                             card));
    cardRow->addLayout(texts, 1);
    column->addWidget(card);

    column->addWidget(SettingsLook::divider(widget));
    column->addWidget(new UpdatesGroup(updates, widget));
    return widget;
}

} // namespace brivello
