#include "shell/AppKeyboardMonitor.h"

#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace brivello;

namespace {

// A window with a button and a field, and a window shortcut on Ctrl+Z.
class AppKeyboardMonitorTest : public ::testing::Test
{
protected:
    AppKeyboardMonitorTest()
    {
        auto *layout = new QVBoxLayout(&window);
        button = new QPushButton(QStringLiteral("b"), &window);
        field = new QLineEdit(&window);
        layout->addWidget(button);
        layout->addWidget(field);
        auto *undo = new QAction(&window);
        undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
        window.addAction(undo);
        QObject::connect(undo, &QAction::triggered, [this] { ++shortcutRuns; });
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        button->setFocus();
    }
    QWidget window;
    QPushButton *button = nullptr;
    QLineEdit *field = nullptr;
    int shortcutRuns = 0;
};

TEST_F(AppKeyboardMonitorTest, ATakenPressWinsOverShortcutsAndOthersGoOnAsUsual)
{
    AppKeyboardMonitor monitor;
    QList<int> seen;
    monitor.start([&seen](const QKeyEvent &event, QWidget *) {
        seen.append(event.key());
        return event.key() == Qt::Key_Z;
    });
    QTest::keyClick(button, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(shortcutRuns, 0);
    EXPECT_EQ(seen.count(Qt::Key_Z), 1); // decided once, then the press itself is eaten

    field->setFocus();
    QTest::keyClick(field, Qt::Key_Q);
    EXPECT_EQ(field->text(), QStringLiteral("q")); // not taken: the field types it
    EXPECT_EQ(seen.count(Qt::Key_Q), 1);

    monitor.stop(); // keys go on as usual
    EXPECT_FALSE(monitor.isStarted());
    seen.clear();
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(shortcutRuns, 1);
    EXPECT_TRUE(seen.isEmpty());
}

} // namespace
