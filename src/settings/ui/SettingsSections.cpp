#include "SettingsSections.h"

#include "SettingsLook.h"
#include "WaveformColorPreview.h"
#include "library/LibrarySettings.h"
#include "platform/BrivelloLocalization.h"
#include "platform/Defaults.h"

#include <QCheckBox>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>
#include <cmath>

namespace brivello {

QWidget *SettingsSections::build(SettingsSheet::SettingsSection section,
                                 LibraryStore &library,
                                 UpdateManager &updates)
{
    using Section = SettingsSheet::SettingsSection;
    switch (section) {
    case Section::player:
        return player();
    case Section::genres:
        return genres(library);
    case Section::analysis:
        return analysis();
    case Section::tables:
        return tables();
    case Section::hotkeys:
        return hotkeys();
    case Section::cleaner:
        return cleaner(library);
    case Section::language:
        return language(updates);
    }
    return page(0);
}

double SettingsSections::validNumber(double value, double minimum, double maximum, double fallback)
{
    return SettingRange{minimum, maximum}.clamp(value, fallback);
}

SettingsSections::SliderSetting SettingsSections::sliderSetting(const QString &key, int steps)
{
    const SettingRange range = LibrarySettings::range(key).value_or(SettingRange{0, 1});
    return {key, LibrarySettings::fallback(key).toDouble(), range.minimum, range.maximum, steps};
}

QString SettingsSections::seekStepText(double seconds)
{
    const double step = kSeekStepRange.clamp(seconds, kSeekStepDefault);
    return BrivelloLocalization::format(QStringLiteral("Перемотка: %d секунд"),
                                        static_cast<qlonglong>(std::trunc(step)));
}

QString SettingsSections::densityRangeText(double decibels)
{
    const double range = kAnalysisDensityRangeLimits.clamp(decibels, kAnalysisDensityRangeDefault);
    return QStringLiteral("\u2212%1 dB").arg(static_cast<qlonglong>(std::trunc(range)));
}

QString SettingsSections::tableScaleText(double scale)
{
    // Truncated, but a step such as 1.15 (stored as 1.1499…) still reads 115.
    const double percent = kTableDensityRange.clamp(scale, kTableDensityDefault) * 100;
    return QString::number(static_cast<qlonglong>(std::trunc(percent + 1e-9))) + QLatin1Char('%');
}

int SettingsSections::colorComponentText(double component)
{
    return static_cast<int>(std::lround(kWaveformComponentRange.clamp(component, 1) * 255));
}

QColor SettingsSections::selectedWaveformColor()
{
    const Defaults &defaults = Defaults::standard();
    return WaveformColorPreview::waveformColor(
        defaults.string(QStringLiteral("waveformColorPreset"), QStringLiteral("white")),
        defaults.real(QStringLiteral("waveformCustomRed"), 1.0),
        defaults.real(QStringLiteral("waveformCustomGreen"), 1.0),
        defaults.real(QStringLiteral("waveformCustomBlue"), 1.0),
        SettingsLook::scheme());
}

QWidget *SettingsSections::page(int spacing)
{
    auto *widget = new QWidget;
    auto *column = new QVBoxLayout(widget);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(spacing);
    // Its own height, never squeezed by the scroll area; the filler below takes the rest.
    widget->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    return widget;
}

QLabel *SettingsSections::caption(const QString &key, QWidget *parent)
{
    QLabel *label = SettingsLook::label(TextStyle::caption, parent);
    label->setText(BrivelloLocalization::string(key));
    label->setWordWrap(true);
    SettingsLook::setTextColor(label, BrivelloTheme::secondary(SettingsLook::scheme()));
    return label;
}

QLabel *SettingsSections::headline(const QString &key, QWidget *parent)
{
    QLabel *label = SettingsLook::label(TextStyle::headline, parent);
    label->setText(BrivelloLocalization::string(key));
    return label;
}

QCheckBox *
SettingsSections::toggle(const QString &key, const QString &setting, bool fallback, QWidget *parent)
{
    auto *box = new QCheckBox(BrivelloLocalization::string(key), parent);
    box->setChecked(Defaults::standard().boolean(setting, fallback));
    QObject::connect(box, &QCheckBox::toggled, box, [setting](bool on) {
        Defaults::standard().set(setting, on);
    });
    return box;
}

QSlider *SettingsSections::slider(const SliderSetting &setting, QWidget *parent)
{
    auto *control = new QSlider(Qt::Horizontal, parent);
    control->setRange(0, setting.steps);
    const double minimum = setting.minimum;
    const double maximum = setting.maximum;
    const double value = validNumber(Defaults::standard().real(setting.key, setting.fallback),
                                     minimum,
                                     maximum,
                                     setting.fallback);
    control->setValue(
        static_cast<int>(std::lround((value - minimum) / (maximum - minimum) * setting.steps)));
    QObject::connect(control, &QSlider::valueChanged, control, [=, key = setting.key] {
        Defaults::standard().set(key, sliderValue(control, minimum, maximum));
    });
    return control;
}

double SettingsSections::sliderValue(const QSlider *slider, double minimum, double maximum)
{
    // Rounded to a millionth, so 0.85 + 6 × 0.05 is stored as 1.15, not 1.1500000000000001.
    const double value = minimum + (maximum - minimum) * slider->value() / slider->maximum();
    return std::round(value * 1e6) / 1e6;
}

} // namespace brivello
