#pragma once

#include "GlassPanel.h"
#include "library/LibraryStore.h"

#include <QList>
#include <functional>

class QHBoxLayout;

namespace brivello {

class ActionButton;
class MainWindowController;

// The bar above the section content: the section's symbol and upper-cased title, and the
// section's commands (add files; in favourites the four selection commands). Fixed 54 pt.
class SectionToolbar : public GlassPanel
{
    Q_OBJECT
public:
    static constexpr int kHeight = 54;

    explicit SectionToolbar(MainWindowController &controller, QWidget *parent = nullptr);

    QString titleText() const { return m_title; }
    QList<ActionButton *> buttons() const { return m_buttons; }

    // The favourites' commands act on the store's active selection; their owners install them.
    struct FavoritesActions
    {
        std::function<void()> clean;
        std::function<void()> sendToConverter;
        std::function<void()> sendToAnalysis; // the toolbar then switches to the analysis
        std::function<void()> exportSelection;
    };
    void setFavoritesActions(FavoritesActions actions) { m_actions = std::move(actions); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void rebuild();
    void retranslate();
    void updateEnabled();
    ActionButton *addButton(const QString &title,
                            const QString &symbol,
                            const QString &hintTitle,
                            const QString &hintDetail,
                            std::function<void()> action,
                            std::function<QString()> shortcut = {});

    MainWindowController &m_controller;
    LibraryStore &m_store;
    QHBoxLayout *m_layout = nullptr;
    QList<ActionButton *> m_buttons;
    QString m_title;
    std::optional<LibraryStore::LibraryTab> m_builtFor;
    FavoritesActions m_actions;
};

} // namespace brivello
