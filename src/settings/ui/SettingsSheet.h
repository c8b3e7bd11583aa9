#pragma once

#include <QDialog>
#include <QList>
#include <optional>

class QLabel;
class QScrollArea;
class QVBoxLayout;

namespace brivello {

class ActionButton;
class LibraryStore;
class SettingsSidebarEntry;
class UpdateBanner;
class UpdateManager;

// The one settings surface: a fixed sheet with a sidebar of seven sections, the update
// banner, the selected section's controls (each change is written at once) and "Готово".
// However it closes, the genre list is normalised and announced. Main thread; shown by the
// main window with the store and the update manager.
class SettingsSheet : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kWidth = 820;
    static constexpr int kHeight = 620;

    enum class SettingsSection { player, genres, analysis, tables, hotkeys, cleaner, language };
    static QList<SettingsSection> allSections();
    static QString rawValue(SettingsSection section);
    static std::optional<SettingsSection> sectionFromRawValue(const QString &raw);
    // Russian keys and symbol names of a section.
    static QString titleKey(SettingsSection section);
    static QString symbol(SettingsSection section);
    static QString hintKey(SettingsSection section);

    SettingsSheet(LibraryStore &library, UpdateManager &updates, QWidget *parent = nullptr);
    ~SettingsSheet() override;

    SettingsSection selectedSection() const { return m_selected; }
    void selectSettingsSection(SettingsSection section);
    // Ends every text edit in the sheet and the store's metadata editing.
    void resignSettingsFocus();
    QString sectionHint() const;

    QWidget *page() const { return m_page; }
    UpdateBanner *banner() const { return m_banner; }
    ActionButton *doneButton() const { return m_done; }
    QList<SettingsSidebarEntry *> sidebarEntries() const { return m_entries; }

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void buildSidebar(QWidget *sidebar);
    void rebuildPage();
    void scheduleRefresh();
    void retranslate();
    void finish();

    LibraryStore &m_library;
    UpdateManager &m_updates;
    SettingsSection m_selected = SettingsSection::player;
    bool m_finished = false;
    bool m_refreshPending = false;
    QLabel *m_title = nullptr;
    UpdateBanner *m_banner = nullptr;
    QList<SettingsSidebarEntry *> m_entries;
    QLabel *m_sectionTitle = nullptr;
    QLabel *m_sectionIcon = nullptr;
    QScrollArea *m_scroll = nullptr;
    QVBoxLayout *m_scrollColumn = nullptr;
    QWidget *m_page = nullptr;
    QLabel *m_hint = nullptr;
    ActionButton *m_done = nullptr;
};

} // namespace brivello
