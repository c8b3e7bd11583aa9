#include "GenreChipSection.h"

#include "GenreCapsuleButton.h"
#include "GenreToolsLook.h"
#include "platform/BrivelloLocalization.h"
#include "shell/ShellEvents.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

namespace brivello {

GenreChipSection::GenreChipSection(const QString &titleKey,
                                   const QStringList &genres,
                                   Apply apply,
                                   QWidget *parent)
    : QWidget(parent)
    , m_titleKey(titleKey)
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    m_caption = GenreToolsLook::secondaryLabel(TextStyle::caption, this);
    column->addWidget(m_caption);

    auto *row = new QWidget;
    auto *chips = new QHBoxLayout(row);
    chips->setContentsMargins(0, 0, 0, 0);
    chips->setSpacing(6);
    for (const QString &genre : genres) {
        auto *chip = new GenreCapsuleButton(GenreCapsuleButton::Shape::capsule, row);
        chip->setText(genre);
        chip->setPadding(12, 0);
        chip->setFixedExtent(kRowHeight);
        chip->setFixedSize(chip->sizeHint());
        connect(chip, &QAbstractButton::clicked, this, [apply, genre] { apply(genre); });
        chips->addWidget(chip);
        m_chips.append(chip);
    }
    chips->addStretch(1);
    column->addWidget(GenreToolsLook::sideways(row, kRowHeight, this));

    connect(&ShellEvents::instance(),
            &ShellEvents::languageChanged,
            this,
            &GenreChipSection::retranslate);
    connect(&ShellEvents::instance(),
            &ShellEvents::appearanceChanged,
            this,
            &GenreChipSection::retranslate);
    retranslate();
}

void GenreChipSection::retranslate()
{
    m_caption->setText(BrivelloLocalization::string(m_titleKey));
    GenreToolsLook::setSecondary(m_caption);
    for (GenreCapsuleButton *chip : m_chips)
        chip->setToolTip(
            BrivelloLocalization::format(QStringLiteral("Присвоить жанр «%@»"), chip->text()));
}

} // namespace brivello
