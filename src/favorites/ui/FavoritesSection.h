#pragma once

#include <QWidget>

QT_FORWARD_DECLARE_CLASS(QFrame)
QT_FORWARD_DECLARE_CLASS(QStackedLayout)
QT_FORWARD_DECLARE_CLASS(QUndoStack)
QT_FORWARD_DECLARE_CLASS(QVBoxLayout)

namespace brivello {

class AudioPlayer;
class FavoritesTableModel;
class FavoritesTableView;
class LibraryStore;

// The favourites section: the empty state while the library has no favourite at all,
// otherwise the bar slot at the top (the genre quick bar) above the table, which fills the
// rest. A genre filter that hides every row still shows the table. Main thread.
class FavoritesSection : public QWidget
{
    Q_OBJECT
public:
    FavoritesSection(LibraryStore &store,
                     AudioPlayer *player,
                     QUndoStack *undoStack,
                     QWidget *parent = nullptr);

    // Puts a widget above the table (taking ownership), with a divider under it.
    void setTopBar(QWidget *bar);
    FavoritesTableView *table() const { return m_table; }
    FavoritesTableModel *model() const { return m_model; }
    bool isShowingEmptyState() const;

private:
    void updatePage();

    LibraryStore &m_store;
    FavoritesTableModel *m_model = nullptr;
    FavoritesTableView *m_table = nullptr;
    QStackedLayout *m_pages = nullptr;
    QWidget *m_empty = nullptr;
    QVBoxLayout *m_content = nullptr;
    QFrame *m_divider = nullptr;
};

} // namespace brivello
