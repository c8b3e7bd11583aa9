#include "FavoritesSection.h"

#include "shell/ShellEvents.h"
#include "workspaces/SectionCatalog.h"
#include "workspaces/ui/WorkspaceEmptyState.h"

#include <QPainter>
#include <QVBoxLayout>

namespace brivello {

namespace {

// The hairline between the bar and the table.
class Divider : public QWidget
{
public:
    explicit Divider(QWidget *parent)
        : QWidget(parent)
    {
        setFixedHeight(1);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        const bool light = BrivelloTheme::isLight(ShellEvents::instance().scheme());
        QPainter(this).fillRect(rect(), light ? blackA(0.1) : whiteA(0.1));
    }
};

} // namespace

FavoritesSection::FavoritesSection(LibraryStore &store,
                                   GenreQuickBar::UndoStackProvider undoStack,
                                   QWidget *parent)
    : QWidget(parent)
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_quickBar = new GenreQuickBar(store, std::move(undoStack), this);
    column->addWidget(m_quickBar);
    column->addWidget(new Divider(this));
    const auto tab = LibraryStore::LibraryTab::favorites;
    setBody(new WorkspaceEmptyState(
        SectionCatalog::icon(tab), SectionCatalog::titleKey(tab), QString(), this));
}

void FavoritesSection::setBody(QWidget *body)
{
    auto *column = static_cast<QVBoxLayout *>(layout());
    delete m_body;
    m_body = body;
    body->setParent(this);
    column->addWidget(body, 1);
}

} // namespace brivello
