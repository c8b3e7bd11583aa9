#include "settings/ui/HotkeyRecorderView.h"

#include "SettingsViewFixture.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

namespace brivello {
namespace {

constexpr auto Ctrl = Qt::ControlModifier;
constexpr auto Shift = Qt::ShiftModifier;
constexpr auto Alt = Qt::AltModifier;
constexpr auto Meta = Qt::MetaModifier;

// A dialog with the recorder and a line edit that Tab would move the focus to.
class HotkeyRecorderViewTest : public SettingsViewFixture
{
protected:
    void SetUp() override
    {
        SettingsViewFixture::SetUp();
        auto *layout = new QVBoxLayout(&m_dialog);
        m_recorder = new HotkeyRecorderView(&m_dialog);
        layout->addWidget(m_recorder);
        layout->addWidget(new QLineEdit(&m_dialog));
        m_recorder->onCapture = [this](const QString &text) {
            m_captured.append(text);
            m_recorder->setValue(text);
        };
        m_dialog.show();
        m_dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&m_dialog));
        QTest::mouseClick(m_recorder, Qt::LeftButton);
        ASSERT_TRUE(m_recorder->isRecording());
    }

    QDialog m_dialog;
    HotkeyRecorderView *m_recorder = nullptr;
    QStringList m_captured;
};

TEST_F(HotkeyRecorderViewTest, KeyPressesRecordGlyphsThenTheKeyName)
{
    const struct
    {
        int key;
        Qt::KeyboardModifiers modifiers;
        const char *expected;
    } cases[] = {
        {Qt::Key_A, Shift | Ctrl, "⇧⌘A"},
        {Qt::Key_Backspace, Ctrl, "⌘Delete"},
        {Qt::Key_F, Alt, "⌥F"},
        {Qt::Key_F, Qt::NoModifier, "F"},
        {Qt::Key_Z, Meta | Alt | Shift | Ctrl, "⌃⌥⇧⌘Z"},
        {Qt::Key_Backspace, Qt::NoModifier, "Delete"},
        {Qt::Key_Delete, Qt::NoModifier, "ForwardDelete"},
        {Qt::Key_Left, Qt::NoModifier, "←"},
        {Qt::Key_Right, Qt::NoModifier, "→"},
        {Qt::Key_Down, Qt::NoModifier, "↓"},
        {Qt::Key_Up, Shift, "⇧↑"},
        {Qt::Key_Space, Qt::NoModifier, "Space"},
        {Qt::Key_Return, Qt::NoModifier, "Return"},
        {Qt::Key_Tab, Qt::NoModifier, "Tab"},
        {Qt::Key_F5, Qt::NoModifier, "KeyCode:96"},
    };
    for (const auto &c : cases) {
        m_captured.clear();
        QTest::keyClick(m_recorder, Qt::Key(c.key), c.modifiers);
        EXPECT_EQ(m_captured, QStringList{QString::fromUtf8(c.expected)}) << c.expected;
        EXPECT_TRUE(m_recorder->isRecording()) << c.expected;
    }
    EXPECT_TRUE(m_dialog.isVisible());

    // "А" of the Russian layout sits on the F key; the hotkey then works in both layouts.
    m_captured.clear();
    QKeyEvent cyrillic(QEvent::KeyPress, 0x0410, Qt::NoModifier, QStringLiteral("а"));
    QApplication::sendEvent(m_recorder, &cyrillic);
    EXPECT_EQ(m_captured, QStringList{"F"});
}

TEST_F(HotkeyRecorderViewTest, ModifiersAloneRecordNothing)
{
    QTest::keyClick(m_recorder, Qt::Key_Control, Ctrl);
    QTest::keyClick(m_recorder, Qt::Key_Shift, Shift);
    QTest::keyClick(m_recorder, Qt::Key_Alt, Alt);
    QTest::keyClick(m_recorder, Qt::Key_Meta, Meta);
    EXPECT_TRUE(m_captured.isEmpty());
    EXPECT_TRUE(m_recorder->isRecording());
}

TEST_F(HotkeyRecorderViewTest, EscapeStopsRecordingAndIsNeverAHotkey)
{
    m_recorder->setValue(QStringLiteral("⌘Z"));
    QTest::keyClick(m_recorder, Qt::Key_Escape);
    EXPECT_TRUE(m_captured.isEmpty());
    EXPECT_FALSE(m_recorder->isRecording());
    EXPECT_EQ(m_recorder->value(), "⌘Z");
    // The dialog keeps Escape from the recorder: it stays open.
    EXPECT_TRUE(m_dialog.isVisible());
}

TEST_F(HotkeyRecorderViewTest, RecorderIsTheFocusThatKeepsKeysFromTheWindow)
{
    EXPECT_TRUE(m_recorder->property("brivelloCapturesKeys").toBool());
    QTest::keyClick(m_recorder, Qt::Key_A, Ctrl);
    QTest::keyClick(m_recorder, Qt::Key_B, Ctrl);
    EXPECT_EQ(m_captured, (QStringList{"⌘A", "⌘B"}));
    EXPECT_EQ(m_recorder->value(), "⌘B");
}

} // namespace
} // namespace brivello
