#pragma once

#include "UpdateHeading.h"
#include "settings/UpdateManager.h"

#include <QDialog>
#include <functional>

class QLabel;
class QTextEdit;

namespace brivello {

class ActionButton;

// The prompt that announces a newer release: both versions, the notes in a selectable
// scrolling area, "Позже" and the download button (which runs `download`, then closes).
// Main thread; shown by the main window.
class UpdateAvailableSheet : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kWidth = 560;
    static constexpr int kHeight = 390;
    static constexpr int kNotesMinimumHeight = 110;
    static constexpr int kNotesMaximumHeight = 240;

    UpdateAvailableSheet(const UpdateManager::Release &release,
                         const QString &currentVersion,
                         std::function<void()> download,
                         QWidget *parent = nullptr);

    // The notes trimmed, or the fallback text when nothing remains.
    static QString notesText(const QString &releaseNotes);

    QTextEdit *notesView() const { return m_notes; }
    ActionButton *laterButton() const { return m_later; }
    ActionButton *downloadButton() const { return m_download; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void retranslate();
    void applyLook();

    UpdateManager::Release m_release;
    QString m_currentVersion;
    std::function<void()> m_downloadAction;
    UpdateHeading m_heading;
    QLabel *m_title = nullptr;
    QLabel *m_installed = nullptr;
    QLabel *m_whatsNew = nullptr;
    QTextEdit *m_notes = nullptr;
    ActionButton *m_later = nullptr;
    ActionButton *m_download = nullptr;
};

} // namespace brivello
