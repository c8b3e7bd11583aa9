#include "GenreCommandPalette.h"

#include "GenreCapsuleButton.h"
#include "GenreChipSection.h"
#include "GenreToolsLook.h"
#include "favorites/GenreTools.h"
#include "library/GenreEditing.h"
#include "library/LibrarySections.h"
#include "library/LibraryStore.h"
#include "platform/BrivelloLocalization.h"
#include "shell/ShellEvents.h"

#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QVBoxLayout>

namespace brivello {

namespace {
const QString kSuggestionsTitle = QStringLiteral("Подсказки из библиотеки");
const QString kRecentTitle = QStringLiteral("Недавние");
} // namespace

GenreCommandPalette::GenreCommandPalette(LibraryStore &store,
                                         Apply apply,
                                         Clear clear,
                                         QWidget *parent)
    : QWidget(parent)
    , m_store(store)
    , m_apply(std::move(apply))
    , m_clearAction(std::move(clear))
{
    setFixedWidth(kWidth);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(14, 14, 14, 14);
    column->setSpacing(12);

    m_field = new QLineEdit(this);
    m_field->setClearButtonEnabled(false);
    column->addWidget(m_field);

    m_clear = new GenreCapsuleButton(GenreCapsuleButton::Shape::row, this);
    m_clear->setSymbol(QStringLiteral("tag.slash"));
    m_clear->setPadding(9, 7);
    m_clear->setTextStyle(TextStyle::callout, QFont::Medium);
    connect(m_clear, &QAbstractButton::clicked, this, [this] { m_clearAction(); });
    column->addWidget(m_clear);

    m_sections = new QVBoxLayout;
    m_sections->setSpacing(12);
    column->addLayout(m_sections);

    m_heading = GenreToolsLook::secondaryLabel(TextStyle::caption, this);
    column->addWidget(m_heading);

    m_list = new QScrollArea(this);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_list->setWidgetResizable(true);
    m_list->setFixedHeight(kListHeight);
    GenreToolsLook::clearBackground(m_list);
    GenreToolsLook::clearBackground(m_list->viewport());
    column->addWidget(m_list);

    m_footnote = GenreToolsLook::secondaryLabel(TextStyle::caption, this);
    m_footnote->setWordWrap(true);
    column->addWidget(m_footnote);

    connect(m_field, &QLineEdit::textChanged, this, &GenreCommandPalette::rebuild);
    connect(m_field, &QLineEdit::returnPressed, this, &GenreCommandPalette::submit);
    connect(&ShellEvents::instance(),
            &ShellEvents::languageChanged,
            this,
            &GenreCommandPalette::retranslate);
    retranslate();

    QPointer<GenreCommandPalette> self(this);
    m_focus = m_store.services().schedulerService().after(kFocusDelay, [self] {
        if (self)
            self->m_field->setFocus(Qt::OtherFocusReason);
    });
}

GenreCommandPalette::~GenreCommandPalette()
{
    m_focus.cancel();
}

void GenreCommandPalette::retranslate()
{
    m_field->setPlaceholderText(BrivelloLocalization::string(QStringLiteral("Введите жанр")));
    m_clear->setText(BrivelloLocalization::string(QStringLiteral("Без жанра")));
    m_clear->setToolTip(
        BrivelloLocalization::string(QStringLiteral("Очистить жанр у выбранных треков")));
    m_footnote->setText(BrivelloLocalization::string(
        QStringLiteral("Enter применяет первый результат. Выделение треков останется на месте.")));
    rebuild();
}

void GenreCommandPalette::rebuild()
{
    const QString query = m_field->text();
    const QStringList quickSlots = m_store.genreEditing().quickGenreSlots();
    while (QLayoutItem *item = m_sections->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    if (query.isEmpty()) {
        const QStringList suggestions =
            m_store.genreEditing().genreSuggestions(m_store.sections().activeSelection());
        const QStringList recent = m_store.genreEditing().recentGenres();
        const auto chipApply = [this](const QString &genre) { m_apply(genre); };
        if (!suggestions.isEmpty())
            m_sections->addWidget(
                new GenreChipSection(kSuggestionsTitle, suggestions, chipApply, this));
        if (!recent.isEmpty())
            m_sections->addWidget(new GenreChipSection(kRecentTitle, recent, chipApply, this));
    }
    m_heading->setText(BrivelloLocalization::string(
        query.isEmpty() ? QStringLiteral("Все жанры") : QStringLiteral("Результаты")));
    buildRows(GenreTools::matchingGenres(m_store.genreEditing().genres(), query), quickSlots);
    adjustSize();
}

void GenreCommandPalette::buildRows(const QStringList &matches, const QStringList &quickSlots)
{
    auto *content = new QWidget;
    auto *rows = new QVBoxLayout(content);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(3);
    if (matches.isEmpty()) {
        auto *none = GenreToolsLook::secondaryLabel(TextStyle::body, content);
        none->setText(BrivelloLocalization::string(QStringLiteral("Совпадений нет")));
        none->setAlignment(Qt::AlignCenter);
        none->setContentsMargins(0, 24, 0, 24);
        rows->addWidget(none);
    }
    for (const QString &genre : matches) {
        auto *row = new GenreCapsuleButton(GenreCapsuleButton::Shape::row, content);
        row->setText(genre);
        row->setPadding(9, 7);
        row->setBadge(GenreTools::slotBadge(genre, quickSlots));
        if (row->badge() > 0)
            row->setAccessibleDescription(
                BrivelloLocalization::format(QStringLiteral("Клавиша %d"), row->badge()));
        connect(row, &QAbstractButton::clicked, this, [this, genre] { m_apply(genre); });
        rows->addWidget(row);
    }
    rows->addStretch(1);
    delete m_list->takeWidget();
    m_list->setWidget(content);
    content->setAutoFillBackground(false); // setWidget turns it on
}

QList<GenreCapsuleButton *> GenreCommandPalette::rows() const
{
    if (!m_list->widget())
        return {};
    return m_list->widget()->findChildren<GenreCapsuleButton *>(Qt::FindDirectChildrenOnly);
}

QStringList GenreCommandPalette::chipSectionTitles() const
{
    QStringList titles;
    for (int i = 0; i < m_sections->count(); ++i) {
        if (auto *section = qobject_cast<GenreChipSection *>(m_sections->itemAt(i)->widget()))
            titles.append(section->caption()->text());
    }
    return titles;
}

QString GenreCommandPalette::heading() const
{
    return m_heading->text();
}

std::optional<QString> GenreCommandPalette::primaryResult() const
{
    const QString query = m_field->text();
    return GenreTools::primaryResult(
        query,
        GenreTools::matchingGenres(m_store.genreEditing().genres(), query),
        m_store.genreEditing().genreSuggestions(m_store.sections().activeSelection()),
        m_store.genreEditing().recentGenres());
}

void GenreCommandPalette::submit()
{
    if (const std::optional<QString> genre = primaryResult())
        m_apply(*genre);
}

} // namespace brivello
