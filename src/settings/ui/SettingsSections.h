#pragma once

#include "SettingsSheet.h"
#include "shell/BrivelloTheme.h"

#include <QColor>
#include <QString>

class QBoxLayout;
class QCheckBox;
class QLabel;
class QSlider;
class QWidget;

namespace brivello {

class LibraryStore;
class UpdateManager;

// Builds the content of one settings section; every control reads its setting from the
// user defaults when built and writes each change back at once. Main thread.
class SettingsSections
{
public:
    static QWidget *
    build(SettingsSheet::SettingsSection section, LibraryStore &library, UpdateManager &updates);

    // The label texts of the numeric settings, with stored values that are not finite or out
    // of range shown as the nearest valid value.
    static QString seekStepText(double seconds);
    static QString densityRangeText(double decibels);
    static QString tableScaleText(double scale);
    static int colorComponentText(double component);
    static double validNumber(double value, double minimum, double maximum, double fallback);
    // The colour the player draws its waveform in, from the stored settings.
    static QColor selectedWaveformColor();

private:
    struct SliderSetting
    {
        QString key;
        double fallback;
        double minimum;
        double maximum;
        int steps;
    };
    // The slider of a library setting: its default and range from the library's key table.
    static SliderSetting sliderSetting(const QString &key, int steps);

    static QWidget *player();
    static QWidget *analysis();
    static QWidget *tables();
    static QWidget *genres(LibraryStore &library);
    static QWidget *cleaner(LibraryStore &library);
    static QWidget *hotkeys();
    static QWidget *language(UpdateManager &updates);

    static QWidget *page(int spacing);
    static QLabel *caption(const QString &key, QWidget *parent);
    static QLabel *headline(const QString &key, QWidget *parent);
    static QCheckBox *
    toggle(const QString &key, const QString &setting, bool fallback, QWidget *parent);
    // A slider over [minimum, maximum] in `steps` steps bound to a number setting.
    static QSlider *slider(const SliderSetting &setting, QWidget *parent);
    static double sliderValue(const QSlider *slider, double minimum, double maximum);
    // A titled slider with its value after it, formatted as the stored setting reads.
    static void sliderRow(QBoxLayout *column,
                          const QString &titleKey,
                          const SliderSetting &setting,
                          QString (*format)(double),
                          TextStyle valueStyle);
};

} // namespace brivello
