#include "SettingsSections.h"

#include "SettingsLook.h"
#include "WaveformColorPreview.h"
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
    return std::isfinite(value) ? std::clamp(value, minimum, maximum) : fallback;
}

QString SettingsSections::seekStepText(double seconds)
{
    const double step = validNumber(seconds, 5, 60, 15);
    return BrivelloLocalization::format(QStringLiteral("Перемотка: %d секунд"),
                                        static_cast<qlonglong>(std::trunc(step)));
}

QString SettingsSections::densityRangeText(double decibels)
{
    const double range = validNumber(decibels, 60, 140, 100);
    return QStringLiteral("\u2212%1 dB").arg(static_cast<qlonglong>(std::trunc(range)));
}

QString SettingsSections::tableScaleText(double scale)
{
    // Truncated, but a step such as 1.15 (stored as 1.1499…) still reads 115.
    const double percent = validNumber(scale, 0.85, 1.35, 1.0) * 100;
    return QString::number(static_cast<qlonglong>(std::trunc(percent + 1e-9))) + QLatin1Char('%');
}

int SettingsSections::colorComponentText(double component)
{
    return static_cast<int>(std::lround(validNumber(component, 0, 1, 1) * 255));
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

QSlider *SettingsSections::slider(const QString &setting,
                                  double fallback,
                                  double minimum,
                                  double maximum,
                                  int steps,
                                  QWidget *parent)
{
    auto *control = new QSlider(Qt::Horizontal, parent);
    control->setRange(0, steps);
    const double value =
        validNumber(Defaults::standard().real(setting, fallback), minimum, maximum, fallback);
    control->setValue(
        static_cast<int>(std::lround((value - minimum) / (maximum - minimum) * steps)));
    QObject::connect(control, &QSlider::valueChanged, control, [=] {
        Defaults::standard().set(setting, sliderValue(control, minimum, maximum));
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
