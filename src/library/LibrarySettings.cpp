#include "LibrarySettings.h"

#include "platform/Defaults.h"

#include <QHash>
#include <QVariant>
#include <functional>

namespace brivello {

namespace {

QString read(const Defaults &defaults, const QString &key, const QString &fallback)
{
    return defaults.string(key, fallback);
}

double read(const Defaults &defaults, const QString &key, double fallback)
{
    return defaults.real(key, fallback);
}

qint64 read(const Defaults &defaults, const QString &key, qint64 fallback)
{
    return defaults.integer(key, fallback);
}

bool read(const Defaults &defaults, const QString &key, bool fallback)
{
    return defaults.boolean(key, fallback);
}

using SignalOf = void (LibrarySettings::*)();

struct SettingRow
{
    SignalOf signal = nullptr;
    QVariant fallback;
};

const QHash<QString, SettingRow> &rowsByKey()
{
    static const QHash<QString, SettingRow> table{
#define BRIVELLO_SETTING_ROW(getter, Setter, Type, key, fallback)                                  \
    {key, {&LibrarySettings::getter##Changed, QVariant::fromValue(Type(fallback))}},
        BRIVELLO_LIBRARY_SETTINGS(BRIVELLO_SETTING_ROW)
#undef BRIVELLO_SETTING_ROW
    };
    return table;
}

} // namespace

LibrarySettings::LibrarySettings(Defaults &defaults, QObject *parent)
    : QObject(parent)
    , m_defaults(defaults)
{
    connect(&m_defaults, &Defaults::changed, this, &LibrarySettings::defaultsChanged);
}

#define BRIVELLO_SETTING_DEFINITIONS(getter, Setter, Type, key, fallback)                          \
    Type LibrarySettings::getter() const                                                           \
    {                                                                                              \
        return read(m_defaults, key, Type(fallback));                                              \
    }                                                                                              \
    void LibrarySettings::set##Setter(const Type &value)                                           \
    {                                                                                              \
        m_defaults.set(key, value);                                                                \
    }
BRIVELLO_LIBRARY_SETTINGS(BRIVELLO_SETTING_DEFINITIONS)
#undef BRIVELLO_SETTING_DEFINITIONS

QString LibrarySettings::defaultHotkey(const QString &key)
{
    if (!key.startsWith(QLatin1String("hotkey")))
        return {};
    return rowsByKey().value(key).fallback.toString();
}

QString LibrarySettings::hotkey(const QString &key) const
{
    return m_defaults.string(key, defaultHotkey(key));
}

void LibrarySettings::setHotkey(const QString &key, const QString &value)
{
    m_defaults.set(key, value);
}

bool LibrarySettings::contains(const QString &key)
{
    return rowsByKey().contains(key);
}

void LibrarySettings::defaultsChanged(const QString &key)
{
    const SignalOf signal = rowsByKey().value(key).signal;
    if (!signal)
        return;
    std::invoke(signal, this);
    emit changed(key);
}

} // namespace brivello
