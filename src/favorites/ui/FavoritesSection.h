#pragma once

#include "GenreQuickBar.h"

#include <QPointer>
#include <QWidget>

namespace brivello {

// The favourites section's view: the genre quick bar, a divider and the body below it (the
// favourites table once installed). Main thread; built by the content area.
class FavoritesSection : public QWidget
{
    Q_OBJECT
public:
    FavoritesSection(LibraryStore &store,
                     GenreQuickBar::UndoStackProvider undoStack,
                     QWidget *parent = nullptr);

    GenreQuickBar *quickBar() const { return m_quickBar; }
    QWidget *body() const { return m_body; }
    // Replaces the body; the section takes ownership.
    void setBody(QWidget *body);

private:
    GenreQuickBar *m_quickBar = nullptr;
    QPointer<QWidget> m_body;
};

} // namespace brivello
