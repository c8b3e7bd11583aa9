// The hotkey and language sections of the settings sheet.
#include "HotkeyRecorderView.h"
#include "SettingsCard.h"
#include "SettingsLook.h"
#include "SettingsSections.h"
#include "UpdatesGroup.h"
#include "platform/AppLanguage.h"
#include "platform/BrivelloLocalization.h"
#include "platform/Defaults.h"
#include "shell/BrivelloSymbols.h"

#include <QButtonGroup>
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
    auto *segments = new QButtonGroup(widget);
    const QString stored = Defaults::standard().string(kAppLanguageKey, QStringLiteral("ru"));
    for (AppLanguage language : AppLanguage::allCases()) {
        // The two names stay as they are in every language.
        auto *segment =
            new QPushButton(language == AppLanguage::russian ? QStringLiteral("Русский")
                                                             : QStringLiteral("English"),
                            widget);
        segment->setCheckable(true);
        segment->setChecked(stored == language.rawValue());
        segment->setObjectName(language.rawValue());
        segments->addButton(segment);
        pickerRow->addWidget(segment);
        const QString raw = language.rawValue();
        QObject::connect(segment, &QPushButton::clicked, segment, [raw] {
            Defaults::standard().set(kAppLanguageKey, raw);
        });
    }
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
