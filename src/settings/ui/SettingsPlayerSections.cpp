// The player, analysis and table sections of the settings sheet.
#include "SettingsCard.h"
#include "SettingsLook.h"
#include "SettingsSections.h"
#include "WaveformColorPreview.h"
#include "library/LibrarySettings.h"
#include "platform/BrivelloLocalization.h"
#include "platform/Defaults.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>

namespace brivello {

namespace {

const QString kPresetKey = QStringLiteral("waveformColorPreset");

QComboBox *picker(const QList<std::pair<QString, QVariant>> &options,
                  const QVariant &selected,
                  QWidget *parent)
{
    auto *combo = new QComboBox(parent);
    for (const auto &[label, value] : options)
        combo->addItem(label, value);
    // A stored value that is none of the options selects nothing.
    combo->setCurrentIndex(combo->findData(selected));
    return combo;
}

QHBoxLayout *row(QBoxLayout *column, int spacing = -1)
{
    auto *line = new QHBoxLayout;
    if (spacing >= 0)
        line->setSpacing(spacing);
    column->addLayout(line);
    return line;
}

QLabel *valueLabel(QWidget *parent, int width)
{
    QLabel *label = SettingsLook::label(TextStyle::caption, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (width > 0)
        label->setFixedWidth(width);
    SettingsLook::setTextColor(label, BrivelloTheme::secondary(SettingsLook::scheme()));
    return label;
}

} // namespace

void SettingsSections::sliderRow(QBoxLayout *column,
                                 const QString &titleKey,
                                 const SliderSetting &setting,
                                 QString (*format)(double),
                                 TextStyle valueStyle)
{
    QWidget *parent = column->parentWidget();
    QHBoxLayout *line = row(column);
    line->addWidget(new QLabel(BrivelloLocalization::string(titleKey), parent));
    QSlider *control = slider(setting, parent);
    QLabel *text = valueLabel(parent, 0);
    text->setFont(BrivelloTheme::font(valueStyle));
    text->setText(format(Defaults::standard().real(setting.key, setting.fallback)));
    QObject::connect(control, &QSlider::valueChanged, text, [=] {
        text->setText(format(sliderValue(control, setting.minimum, setting.maximum)));
    });
    line->addWidget(control, 1);
    line->addWidget(text);
}

QWidget *SettingsSections::player()
{
    QWidget *widget = page(16);
    auto *column = static_cast<QVBoxLayout *>(widget->layout());
    Defaults &defaults = Defaults::standard();

    QHBoxLayout *seekRow = row(column);
    auto *seekLabel = new QLabel(widget);
    auto *seek = new QSpinBox(widget);
    seek->setRange(int(kSeekStepRange.minimum), int(kSeekStepRange.maximum));
    seek->setSingleStep(5);
    seek->setValue(
        int(kSeekStepRange.clamp(defaults.real(kSeekStepKey, kSeekStepDefault), kSeekStepDefault)));
    seekLabel->setText(seekStepText(seek->value()));
    QObject::connect(seek, &QSpinBox::valueChanged, seekLabel, [seekLabel](int value) {
        Defaults::standard().set(QStringLiteral("seekStep"), double(value));
        seekLabel->setText(seekStepText(value));
    });
    seekRow->addWidget(seekLabel);
    seekRow->addWidget(seek);
    seekRow->addStretch(1);

    QHBoxLayout *presetRow = row(column);
    auto *presetLabel = new QLabel(BrivelloLocalization::string(QStringLiteral("Цвет waveform")));
    QComboBox *preset = picker(
        {{BrivelloLocalization::string(QStringLiteral("Авто")), QStringLiteral("white")},
         {BrivelloLocalization::string(QStringLiteral("Cyan")), QStringLiteral("cyan")},
         {BrivelloLocalization::string(QStringLiteral("Violet")), QStringLiteral("violet")},
         {BrivelloLocalization::string(QStringLiteral("Lime")), QStringLiteral("lime")},
         {BrivelloLocalization::string(QStringLiteral("Свой RGB…")), QStringLiteral("custom")}},
        defaults.string(kPresetKey, QStringLiteral("white")),
        widget);
    presetRow->addWidget(presetLabel);
    presetRow->addWidget(preset);
    presetRow->addStretch(1);

    auto *preview = new WaveformColorPreview(widget);
    preview->setColor(selectedWaveformColor());
    column->addWidget(preview);
    column->addWidget(caption(QStringLiteral("«Авто» подстраивается под тему: светлый сигнал в "
                                             "тёмном интерфейсе и графитовый — в светлом."),
                              widget));

    auto *custom = new SettingsCard(10, widget);
    auto *customColumn = new QVBoxLayout(custom);
    customColumn->setContentsMargins(12, 12, 12, 12);
    customColumn->setSpacing(9);
    customColumn->addWidget(SettingsLook::label(TextStyle::subheadline, custom, QFont::Medium));
    static_cast<QLabel *>(customColumn->itemAt(0)->widget())
        ->setText(BrivelloLocalization::string(QStringLiteral("Свой RGB-цвет")));
    const std::pair<const char *, const char *> channels[] = {
        {"R", "waveformCustomRed"}, {"G", "waveformCustomGreen"}, {"B", "waveformCustomBlue"}};
    for (const auto &[letter, key] : channels) {
        QHBoxLayout *line = row(customColumn, 10);
        QLabel *name = SettingsLook::label(TextStyle::caption, custom, QFont::Bold);
        name->setText(QString::fromLatin1(letter));
        name->setFixedWidth(14);
        name->setAlignment(Qt::AlignCenter);
        const QString setting = QString::fromLatin1(key);
        QSlider *component = slider(sliderSetting(setting, 1000), custom);
        QLabel *number = valueLabel(custom, 30);
        number->setText(
            QString::number(colorComponentText(Defaults::standard().real(setting, 1.0))));
        QObject::connect(component, &QSlider::valueChanged, number, [=] {
            number->setText(QString::number(colorComponentText(sliderValue(component, 0, 1))));
            preview->setColor(selectedWaveformColor());
        });
        line->addWidget(name);
        line->addWidget(component, 1);
        line->addWidget(number);
    }
    column->addWidget(custom);
    custom->setVisible(preset->currentData().toString() == QLatin1String("custom"));
    QObject::connect(preset, &QComboBox::currentIndexChanged, custom, [=] {
        const QString value = preset->currentData().toString();
        Defaults::standard().set(kPresetKey, value);
        custom->setVisible(value == QLatin1String("custom"));
        preview->setColor(selectedWaveformColor());
    });
    return widget;
}

QWidget *SettingsSections::analysis()
{
    QWidget *widget = page(16);
    auto *column = static_cast<QVBoxLayout *>(widget->layout());
    QHBoxLayout *windowRow = row(column);
    windowRow->addWidget(new QLabel(BrivelloLocalization::string(QStringLiteral("DFT-окно"))));
    QComboBox *window =
        picker({{BrivelloLocalization::string(QStringLiteral("2048 — быстрее")), 2048},
                {BrivelloLocalization::string(QStringLiteral("4096 — сбалансировано")), 4096},
                {BrivelloLocalization::string(QStringLiteral("8192 — больше детализации")), 8192}},
               Defaults::standard().integer(QStringLiteral("analysisDFTWindow"), 4096),
               widget);
    QObject::connect(window, &QComboBox::currentIndexChanged, window, [window] {
        Defaults::standard().set(QStringLiteral("analysisDFTWindow"),
                                 window->currentData().toLongLong());
    });
    windowRow->addWidget(window);
    windowRow->addStretch(1);

    sliderRow(column,
              QStringLiteral("Динамический диапазон"),
              sliderSetting(kAnalysisDensityRangeKey, 16),
              &SettingsSections::densityRangeText,
              TextStyle::caption);
    column->addWidget(caption(QStringLiteral("Изменения применяются к новым анализам. Для уже "
                                             "обработанных файлов нажмите «Анализировать "
                                             "выбранные» повторно."),
                              widget));
    return widget;
}

QWidget *SettingsSections::tables()
{
    QWidget *widget = page(12);
    auto *column = static_cast<QVBoxLayout *>(widget->layout());
    sliderRow(column,
              QStringLiteral("Масштаб текста и строк"),
              sliderSetting(kTableDensityKey, 10),
              &SettingsSections::tableScaleText,
              TextStyle::body);
    return widget;
}

} // namespace brivello
