#include "FavoriteTagEditCommand.h"

#include "library/LibraryStore.h"
#include "library/TagWriting.h"
#include "platform/BrivelloLocalization.h"

namespace brivello {

FavoriteTagEditCommand::FavoriteTagEditCommand(
    LibraryStore &store, const QUuid &trackID, int field, QString previous, QString replacement)
    : m_store(&store)
    , m_trackID(trackID)
    , m_field(field)
    , m_previous(std::move(previous))
    , m_replacement(std::move(replacement))
{
    setText(BrivelloLocalization::string(QStringLiteral("Изменить теги")));
}

void FavoriteTagEditCommand::undo()
{
    if (m_store)
        apply(*m_store, m_trackID, m_field, m_previous);
}

void FavoriteTagEditCommand::redo()
{
    if (!m_pushed) { // the edit itself has already been saved
        m_pushed = true;
        return;
    }
    if (m_store)
        apply(*m_store, m_trackID, m_field, m_replacement);
}

bool FavoriteTagEditCommand::apply(LibraryStore &store,
                                   const QUuid &trackID,
                                   int field,
                                   const QString &value)
{
    if (field < 0 || field >= AudioTags::kFieldCount)
        return false;
    for (const Track &track : store.tracks()) {
        if (track.id != trackID)
            continue;
        if (track.tags.field(field) == value)
            return false;
        AudioTags tags = track.tags;
        tags.field(field) = value;
        store.tagWriting().save(tags, trackID);
        return true;
    }
    return false;
}

} // namespace brivello
