#include "HotkeyMatcher.h"

#include <QHash>
#include <optional>

namespace brivello {

namespace {

constexpr QChar kCommandGlyph = QChar(0x2318);
constexpr QChar kOptionGlyph = QChar(0x2325);
constexpr QChar kControlGlyph = QChar(0x2303);
constexpr QChar kShiftGlyph = QChar(0x21E7);

const QHash<QString, quint16> &namedKeys()
{
    static const QHash<QString, quint16> table = {
        {QStringLiteral("←"), 123},
        {QStringLiteral("LEFT"), 123},
        {QStringLiteral("→"), 124},
        {QStringLiteral("RIGHT"), 124},
        {QStringLiteral("↓"), 125},
        {QStringLiteral("DOWN"), 125},
        {QStringLiteral("↑"), 126},
        {QStringLiteral("UP"), 126},
        {QStringLiteral("SPACE"), 49},
        {QStringLiteral("ПРОБЕЛ"), 49},
        {QStringLiteral("DELETE"), 51},
        {QStringLiteral("BACKSPACE"), 51},
        {QStringLiteral("FORWARDDELETE"), 117},
        {QStringLiteral("RETURN"), 36},
        {QStringLiteral("TAB"), 48},
    };
    return table;
}

// The key token of a shortcut once its modifier glyphs agree with the stroke's modifiers;
// nothing when they differ.
std::optional<QString> keyToken(const KeyStroke &stroke, const QString &shortcut)
{
    QString text = shortcut.toUpper();
    text.replace(QStringLiteral("CMD"), QString(kCommandGlyph));
    text.remove(QLatin1Char(' '));

    const std::pair<QChar, bool> modifiers[] = {
        {kCommandGlyph, stroke.command},
        {kOptionGlyph, stroke.option},
        {kControlGlyph, stroke.control},
        {kShiftGlyph, stroke.shift},
    };
    for (const auto &[glyph, held] : modifiers) {
        if (text.contains(glyph) != held)
            return std::nullopt;
        text.remove(glyph);
    }
    return text;
}

} // namespace

quint16 HotkeyMatcher::namedKeyCode(const QString &token)
{
    return namedKeys().value(token, KeyStroke::kNoKeyCode);
}

quint16 HotkeyMatcher::letterKeyCode(QChar letter)
{
    if (letter.unicode() < u'A' || letter.unicode() > u'Z')
        return KeyStroke::kNoKeyCode;
    return KeyStroke::keyCodeForCharacter(letter);
}

bool HotkeyMatcher::matchesDeleteKeyAlias(const KeyStroke &stroke, const QString &shortcut)
{
    if (stroke.keyCode != KeyStroke::kForwardDeleteKeyCode)
        return false;
    const std::optional<QString> token = keyToken(stroke, shortcut);
    return token && *token == QLatin1String("DELETE");
}

bool HotkeyMatcher::matches(const KeyStroke &stroke, const QString &shortcut)
{
    const std::optional<QString> token = keyToken(stroke, shortcut);
    if (!token)
        return false;
    const QString &text = *token;

    if (const quint16 named = namedKeyCode(text); named != KeyStroke::kNoKeyCode)
        return stroke.keyCode == named;

    static const QString kKeyCodePrefix = QStringLiteral("KEYCODE:");
    if (text.startsWith(kKeyCodePrefix)) {
        bool ok = false;
        const uint code = text.mid(kKeyCodePrefix.size()).toUInt(&ok, 10);
        if (ok && code <= 0xFFFF)
            return stroke.keyCode != KeyStroke::kNoKeyCode && stroke.keyCode == code;
    }

    if (text.size() == 1) {
        const quint16 letter = letterKeyCode(text.at(0));
        if (letter != KeyStroke::kNoKeyCode && stroke.keyCode == letter)
            return true;
    }

    const QString characters = stroke.charactersIgnoringModifiers.toUpper();
    return !characters.isEmpty() && characters == text;
}

QString HotkeyMatcher::displayText(const QString &shortcut)
{
    static const std::pair<QChar, const char *> kModifiers[] = {{QChar(0x2318), "Ctrl"},
                                                                {QChar(0x2303), "Meta"},
                                                                {QChar(0x2325), "Alt"},
                                                                {QChar(0x21E7), "Shift"}};
    QString rest = shortcut.trimmed();
    if (rest.startsWith(QLatin1String("CMD"), Qt::CaseInsensitive))
        rest = QChar(0x2318) + rest.mid(3);
    QStringList parts;
    for (const auto &[glyph, name] : kModifiers) {
        if (rest.contains(glyph) && rest != glyph) {
            parts << QLatin1String(name);
            rest.remove(glyph);
        }
    }
    rest = rest.trimmed();
    if (parts.isEmpty())
        return shortcut;
    parts << rest;
    return parts.join(QLatin1Char('+'));
}

} // namespace brivello
