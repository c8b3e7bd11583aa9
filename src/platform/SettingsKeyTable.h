#pragma once

#include "platform/Defaults.h"
#include "platform/SettingRange.h"

#include <QHash>
#include <QString>
#include <QVariant>
#include <functional>
#include <initializer_list>
#include <optional>
#include <utility>

namespace brivello {

// A settings owner's key table (key, type, default, clamp) by key: it answers the defaults
// and clamps, and turns a write to one of its keys, through any path, into the key's own
// signal followed by the owner's changed(key). Built once from the owner's X-macro row list.
template <class Owner> class SettingsKeyTable
{
public:
    struct Row
    {
        void (Owner::*signal)() = nullptr;
        QVariant fallback;
        std::optional<SettingRange> range;
    };

    SettingsKeyTable(std::initializer_list<std::pair<QString, Row>> rows)
        : m_rows(rows)
    {}

    bool contains(const QString &key) const { return m_rows.contains(key); }
    QVariant fallback(const QString &key) const { return m_rows.value(key).fallback; }
    std::optional<SettingRange> range(const QString &key) const { return m_rows.value(key).range; }

    void notify(Owner &owner, const QString &key) const
    {
        const auto row = m_rows.constFind(key);
        if (row == m_rows.constEnd() || !row->signal)
            return;
        std::invoke(row->signal, owner);
        emit owner.changed(key);
    }

    static QString read(const Defaults &defaults, const QString &key, const QString &fallback)
    {
        return defaults.string(key, fallback);
    }
    static double read(const Defaults &defaults, const QString &key, double fallback)
    {
        return defaults.real(key, fallback);
    }
    static qint64 read(const Defaults &defaults, const QString &key, qint64 fallback)
    {
        return defaults.integer(key, fallback);
    }
    static bool read(const Defaults &defaults, const QString &key, bool fallback)
    {
        return defaults.boolean(key, fallback);
    }

private:
    QHash<QString, Row> m_rows;
};

} // namespace brivello

// What an owner's X-macro rows (getter, Setter, Type, key, default, clamp) generate: in the
// class a getter, a setter and a getterChanged signal per row; in its source file the
// definitions over the owner's m_defaults and its SettingsKeyTable, table().
#define BRIVELLO_SETTING_ACCESSORS(getter, Setter, Type, key, fallback, range)                     \
    Type getter() const;                                                                           \
    void set##Setter(const Type &value);
#define BRIVELLO_SETTING_SIGNAL(getter, Setter, Type, key, fallback, range) void getter##Changed();
// In the owner's source file, with BRIVELLO_SETTINGS_OWNER defined as the owner's class:
// its table() and the definitions of its getters and setters.
#define BRIVELLO_SETTING_DEFINITIONS(getter, Setter, Type, key, fallback, range)                   \
    Type BRIVELLO_SETTINGS_OWNER::getter() const                                                   \
    {                                                                                              \
        return SettingsKeyTable<BRIVELLO_SETTINGS_OWNER>::read(m_defaults, key, Type(fallback));   \
    }                                                                                              \
    void BRIVELLO_SETTINGS_OWNER::set##Setter(const Type &value)                                   \
    {                                                                                              \
        m_defaults.set(key, value);                                                                \
    }
#define BRIVELLO_SETTING_TABLE_ROW(getter, Setter, Type, key, fallback, range)                     \
    {key, {&BRIVELLO_SETTINGS_OWNER::getter##Changed, QVariant::fromValue(Type(fallback)), range}},
#define BRIVELLO_SETTINGS_DEFINE(ROWS)                                                             \
    namespace {                                                                                    \
    const SettingsKeyTable<BRIVELLO_SETTINGS_OWNER> &table()                                       \
    {                                                                                              \
        static const SettingsKeyTable<BRIVELLO_SETTINGS_OWNER> rows{                               \
            ROWS(BRIVELLO_SETTING_TABLE_ROW)};                                                     \
        return rows;                                                                               \
    }                                                                                              \
    }                                                                                              \
    ROWS(BRIVELLO_SETTING_DEFINITIONS)
