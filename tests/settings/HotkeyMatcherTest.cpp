#include "settings/HotkeyMatcher.h"

#include <QKeyEvent>
#include <gtest/gtest.h>

using namespace brivello;

namespace {

// XKB keycodes (evdev + 8) of a few physical keys.
constexpr quint32 kScanF = 33 + 8;
constexpr quint32 kScanZ = 44 + 8;
constexpr quint32 kScanB = 48 + 8;
constexpr quint32 kScanLeft = 105 + 8;
constexpr quint32 kScan3 = 4 + 8;

KeyStroke press(int key,
                Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                quint32 scanCode = 0,
                const QString &text = {})
{
    const QKeyEvent event(QEvent::KeyPress, key, modifiers, scanCode, 0, 0, text);
    return KeyStroke::fromEvent(event);
}

struct MatchCase
{
    const char *shortcut;
    int key;
    Qt::KeyboardModifiers modifiers;
    quint32 scanCode;
    bool expected;
};

class HotkeyMatcherTableTest : public ::testing::TestWithParam<MatchCase>
{
};

TEST_P(HotkeyMatcherTableTest, MatchesKeyPressesAsTheHotkeyTextSays)
{
    const MatchCase c = GetParam();
    EXPECT_EQ(HotkeyMatcher::matches(press(c.key, c.modifiers, c.scanCode),
                                     QString::fromUtf8(c.shortcut)),
              c.expected)
        << c.shortcut << " key " << std::hex << c.key << " modifiers " << c.modifiers.toInt();
}

constexpr auto None = Qt::NoModifier;
constexpr auto Ctrl = Qt::ControlModifier;
constexpr auto Shift = Qt::ShiftModifier;
constexpr auto Alt = Qt::AltModifier;
constexpr auto Meta = Qt::MetaModifier;

INSTANTIATE_TEST_SUITE_P(
    DefaultHotkeys,
    HotkeyMatcherTableTest,
    ::testing::Values(MatchCase{"←", Qt::Key_Left, None, 0, true},
                      MatchCase{"←", Qt::Key_Left, None, kScanLeft, true},
                      MatchCase{"←", Qt::Key_Right, None, 0, false},
                      MatchCase{"←", Qt::Key_Left, Shift, 0, false},
                      MatchCase{"↓", Qt::Key_Down, None, 0, true},
                      MatchCase{"↓", Qt::Key_Up, None, 0, false},
                      MatchCase{"Space", Qt::Key_Space, None, 0, true},
                      MatchCase{"F", Qt::Key_F, None, 0, true},
                      MatchCase{"F", Qt::Key_F, Shift, 0, false},
                      MatchCase{"F", Qt::Key_G, None, 0, false},
                      MatchCase{"Delete", Qt::Key_Backspace, None, 0, true},
                      MatchCase{"Delete", Qt::Key_Delete, None, 0, false},
                      MatchCase{"Delete", Qt::Key_Backspace, Ctrl, 0, false},
                      MatchCase{"⌘Delete", Qt::Key_Backspace, Ctrl, 0, true},
                      MatchCase{"⌘Delete", Qt::Key_Backspace, Ctrl | Shift, 0, false},
                      MatchCase{"Delete", Qt::Key_Backspace, Ctrl | Shift, 0, false},
                      MatchCase{"⌘Z", Qt::Key_Z, Ctrl, 0, true},
                      MatchCase{"⌘Z", Qt::Key_Z, Ctrl | Alt, 0, false},
                      MatchCase{"⌘Z", Qt::Key_Z, Meta, 0, false},
                      MatchCase{"⌘B", Qt::Key_B, Ctrl, kScanB, true},
                      MatchCase{"G", Qt::Key_G, Alt, 0, false}));

INSTANTIATE_TEST_SUITE_P(
    WrittenForms,
    HotkeyMatcherTableTest,
    ::testing::Values(MatchCase{"cmd z", Qt::Key_Z, Ctrl, 0, true},
                      MatchCase{"CMD+Z", Qt::Key_Z, Ctrl, 0, false},
                      MatchCase{"⌘⇧Z", Qt::Key_Z, Ctrl | Shift, 0, true},
                      MatchCase{"⌃⌥⇧⌘F", Qt::Key_F, Ctrl | Shift | Alt | Meta, 0, true},
                      MatchCase{"⌃F", Qt::Key_F, Meta, 0, true},
                      MatchCase{"⌃F", Qt::Key_F, Ctrl, 0, false},
                      MatchCase{"⌥F", Qt::Key_F, Alt, 0, true},
                      MatchCase{"left", Qt::Key_Left, None, 0, true},
                      MatchCase{"Пробел", Qt::Key_Space, None, 0, true},
                      MatchCase{"ForwardDelete", Qt::Key_Delete, None, 0, true},
                      MatchCase{"KeyCode:96", Qt::Key_F5, None, 0, true},
                      MatchCase{"KeyCode:96", Qt::Key_F6, None, 0, false},
                      MatchCase{"KeyCode:", Qt::Key_F5, None, 0, false},
                      MatchCase{"KeyCode:3", Qt::Key_F, None, 0, true},
                      MatchCase{"/", Qt::Key_Slash, None, 0, true},
                      MatchCase{"", Qt::Key_F, None, 0, false}));

// The hotkey "F" with a Russian layout active: the key reports the Cyrillic letter А.
INSTANTIATE_TEST_SUITE_P(CyrillicLayout,
                         HotkeyMatcherTableTest,
                         ::testing::Values(MatchCase{"F", 0x0410, None, kScanF, true},
                                           MatchCase{"G", 0x041F, None, 0, true},
                                           MatchCase{"⌘Z", 0x042F, Ctrl, kScanZ, true},
                                           MatchCase{"⌘B", 0x0418, Ctrl, 0, true},
                                           MatchCase{"F", 0x0412, None, 0, false},
                                           MatchCase{"А", 0x0410, None, kScanF, true}));

TEST(HotkeyMatcherTest, ThePcDeleteKeyStandsInForDeleteWithTheSameModifiers)
{
    const auto alias = [](int key, Qt::KeyboardModifiers modifiers, const char *shortcut) {
        return HotkeyMatcher::matchesDeleteKeyAlias(press(key, modifiers),
                                                    QString::fromUtf8(shortcut));
    };
    EXPECT_TRUE(alias(Qt::Key_Delete, None, "Delete"));
    EXPECT_TRUE(alias(Qt::Key_Delete, Ctrl, "⌘Delete"));
    EXPECT_TRUE(alias(Qt::Key_Delete, None, "delete"));
    EXPECT_FALSE(alias(Qt::Key_Delete, Ctrl, "Delete"));
    EXPECT_FALSE(alias(Qt::Key_Delete, None, "Backspace"));
    EXPECT_FALSE(alias(Qt::Key_Backspace, None, "Delete")); // a plain match, not the alias
}

TEST(KeyStrokeTest, PhysicalKeyWinsOverTheTypedSymbol)
{
    // A layout that puts "Z" on the physical Y key (German): the scan code decides.
    EXPECT_EQ(press(Qt::Key_Z, None, 21 + 8).keyCode, 16); // the Y key
    EXPECT_EQ(press(Qt::Key_Z, None, 0).keyCode, 6);
}

TEST(KeyStrokeTest, DigitRowHasTheQuickGenreKeyCodes)
{
    const quint16 expected[] = {18, 19, 20, 21, 23, 22, 26, 28, 25};
    for (int digit = 1; digit <= 9; ++digit) {
        EXPECT_EQ(press(Qt::Key_0 + digit).keyCode, expected[digit - 1]) << digit;
        EXPECT_EQ(press(Qt::Key_0 + digit, None, quint32(digit + 1 + 8)).keyCode,
                  expected[digit - 1])
            << digit;
    }
    // Shift+3 reports "#" but stays on the same key.
    EXPECT_EQ(press(Qt::Key_NumberSign, Shift, kScan3).keyCode, 20);
}

TEST(KeyStrokeTest, CharactersIgnoreControlModifiers)
{
    const KeyStroke stroke = press(Qt::Key_Z, Ctrl, 0, QStringLiteral("\x1a"));
    EXPECT_EQ(stroke.charactersIgnoringModifiers, QStringLiteral("Z"));
    EXPECT_TRUE(stroke.command);
    EXPECT_FALSE(stroke.control);
}

} // namespace

TEST(HotkeyDisplayTextTest, ShowsModifierGlyphsAsLinuxKeyNames)
{
    EXPECT_EQ(brivello::HotkeyMatcher::displayText(QStringLiteral("⌘B")), "Ctrl+B");
    EXPECT_EQ(brivello::HotkeyMatcher::displayText(QStringLiteral("⌘Delete")), "Ctrl+Delete");
    EXPECT_EQ(brivello::HotkeyMatcher::displayText(QStringLiteral("⌃⌥⇧⌘K")),
              "Ctrl+Meta+Alt+Shift+K");
    EXPECT_EQ(brivello::HotkeyMatcher::displayText(QStringLiteral("CMD Z")), "Ctrl+Z");
    EXPECT_EQ(brivello::HotkeyMatcher::displayText(QStringLiteral("Space")), "Space");
    EXPECT_EQ(brivello::HotkeyMatcher::displayText(QStringLiteral("←")), "←");
}
