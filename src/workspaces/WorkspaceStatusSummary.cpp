#include "WorkspaceStatusSummary.h"

#include "SectionCatalog.h"
#include "SectionCounts.h"
#include "library/AudioPlayer.h"
#include "library/LibrarySections.h"
#include "platform/BrivelloLocalization.h"

#include <QSet>

namespace brivello {

namespace {

const QString kSeparator = QStringLiteral(" · ");

QString tr(const char *key)
{
    return BrivelloLocalization::string(QString::fromUtf8(key));
}

} // namespace

WorkspaceStatusInputs WorkspaceStatusInputs::read(const LibraryStore &store,
                                                  const SectionCounts &counts,
                                                  const AudioPlayer *player)
{
    Q_ASSERT(&counts.store() == &store);
    WorkspaceStatusInputs in;
    in.tab = store.activeTab();
    in.transient = store.workspaceStatus();
    // What the keys act on: the selected tracks the active section shows.
    in.selectionCount = int(store.sections().visibleSelection().size());
    in.playlistCount = counts.count(LibraryStore::LibraryTab::playlist);
    in.favoriteCount = counts.count(LibraryStore::LibraryTab::favorites);
    in.coverCount = counts.count(LibraryStore::LibraryTab::covers);
    in.favoriteGenreFilter = store.favoriteGenreFilter();
    in.conversionCount = int(store.conversionItems().size());
    for (const ConversionItem &item : store.conversionItems())
        in.conversionCompleted += item.status.kind == ConversionItem::Status::completed ? 1 : 0;
    in.duplicateGroups = store.duplicateSearch().groups;
    // A file that cannot be analysed is done too: its row says why.
    in.analysisCount =
        int(store.analysis().qualityAnalyses().size() + store.analysis().qualityFailures().size());
    in.analysisTrackCount = int(store.analysisTracks().size());
    if (player) {
        in.isPlaying = player->isPlaying();
        in.currentID = player->currentID();
        in.hasCurrentTrack = player->currentTrack().has_value();
    }
    // Only the playlist and the favourites show a position in their visible list.
    if (in.isPlaying && (in.tab == LibraryStore::LibraryTab::playlist ||
                         in.tab == LibraryStore::LibraryTab::favorites)) {
        if (in.tab == LibraryStore::LibraryTab::playlist) {
            in.visibleIDs = store.sections().playlistIDs();
        } else {
            // A named const list: iterating the returned one would detach and copy every track.
            const QList<Track> visible = store.sections().visibleTracks();
            in.visibleIDs.reserve(visible.size());
            for (const Track &track : visible)
                in.visibleIDs.append(track.id);
        }
    }
    return in;
}

WorkspaceStatusSummary::WorkspaceStatusSummary(WorkspaceStatusInputs inputs)
    : m_in(std::move(inputs))
{}

std::optional<WorkspaceStatusSummary::Position>
WorkspaceStatusSummary::activePlaybackPosition() const
{
    if (!m_in.isPlaying || !m_in.currentID)
        return std::nullopt;
    if (m_in.tab != LibraryStore::LibraryTab::playlist &&
        m_in.tab != LibraryStore::LibraryTab::favorites)
        return std::nullopt;
    const qsizetype index = m_in.visibleIDs.indexOf(*m_in.currentID);
    if (index < 0)
        return std::nullopt;
    return Position{int(index) + 1, int(m_in.visibleIDs.size())};
}

QString WorkspaceStatusSummary::listStatus(const QString &title, int total) const
{
    const QString localTitle = BrivelloLocalization::string(title);
    if (const auto position = activePlaybackPosition())
        return BrivelloLocalization::format(
            QStringLiteral("%@: %d из %d"), localTitle, position->position, position->total);
    return BrivelloLocalization::format(QStringLiteral("%@: %d"), localTitle, total);
}

QString WorkspaceStatusSummary::genrePart() const
{
    return m_in.favoriteGenreFilter.isEmpty() ? QString() : kSeparator + m_in.favoriteGenreFilter;
}

std::optional<QString> WorkspaceStatusSummary::selectionLine() const
{
    if (m_in.selectionCount <= 0)
        return std::nullopt;
    return BrivelloLocalization::format(QStringLiteral("Выбрано: %d"), m_in.selectionCount);
}

QString WorkspaceStatusSummary::iconFor(LibraryStore::LibraryTab tab)
{
    // The status block shows the favourites with the filled heart; the rest as in the sidebar.
    if (tab == LibraryStore::LibraryTab::favorites)
        return QStringLiteral("heart.fill");
    return SectionCatalog::icon(tab);
}

QString WorkspaceStatusSummary::automaticIcon() const
{
    return iconFor(m_in.tab);
}

QString WorkspaceStatusSummary::automaticMessage() const
{
    using Tab = LibraryStore::LibraryTab;
    const QString suffix =
        m_in.selectionCount > 0
            ? BrivelloLocalization::format(QStringLiteral(" · Выбрано: %d"), m_in.selectionCount)
            : QString();
    switch (m_in.tab) {
    case Tab::playlist:
        return listStatus(QStringLiteral("Плейлист"), m_in.playlistCount) + suffix;
    case Tab::favorites:
        return listStatus(QStringLiteral("Избранное"), m_in.favoriteCount) + genrePart() + suffix;
    case Tab::covers:
        return BrivelloLocalization::format(QStringLiteral("Обложки: %d"), m_in.coverCount) +
               suffix;
    case Tab::converter:
        return BrivelloLocalization::format(QStringLiteral("Конвертер: %d в очереди · Готово: %d"),
                                            m_in.conversionCount,
                                            m_in.conversionCompleted);
    case Tab::analysis:
        return BrivelloLocalization::format(QStringLiteral("Анализ: %d из %d готово"),
                                            m_in.analysisCount,
                                            m_in.analysisTrackCount) +
               suffix;
    case Tab::duplicates: {
        QSet<QUuid> files;
        for (const AudioDuplicateGroup &group : m_in.duplicateGroups)
            for (const QUuid &id : group.trackIDs)
                files.insert(id);
        if (files.isEmpty())
            return tr("Дубликаты: не найдены");
        return BrivelloLocalization::format(QStringLiteral("Дубликаты: %d групп · %d файлов"),
                                            int(m_in.duplicateGroups.size()),
                                            int(files.size()));
    }
    }
    return {};
}

QString WorkspaceStatusSummary::message() const
{
    return m_in.transient ? m_in.transient->message : automaticMessage();
}

QString WorkspaceStatusSummary::icon() const
{
    return m_in.transient ? m_in.transient->icon : automaticIcon();
}

LibraryStore::WorkspaceStatus::Tone WorkspaceStatusSummary::tone() const
{
    return m_in.transient ? m_in.transient->tone : LibraryStore::WorkspaceStatus::Tone::neutral;
}

WorkspaceStatusSummary::Lines WorkspaceStatusSummary::splitSidebarMessage(const QString &message)
{
    const QStringList pieces = message.split(kSeparator);
    if (pieces.size() < 2)
        return {message, std::nullopt};
    return {pieces.first(), pieces.mid(1).join(kSeparator)};
}

WorkspaceStatusSummary::Lines WorkspaceStatusSummary::sidebarText() const
{
    using Tab = LibraryStore::LibraryTab;
    if (m_in.transient)
        return splitSidebarMessage(m_in.transient->message);
    const std::optional<QString> selection = selectionLine();
    switch (m_in.tab) {
    case Tab::playlist:
        return {listStatus(QStringLiteral("Плейлист"), m_in.playlistCount), selection};
    case Tab::favorites:
        return {listStatus(QStringLiteral("Избранное"), m_in.favoriteCount) + genrePart(),
                selection};
    case Tab::covers:
        return {BrivelloLocalization::format(QStringLiteral("Обложки: %d"), m_in.coverCount),
                selection};
    case Tab::converter:
    case Tab::analysis:
    case Tab::duplicates: {
        Lines lines = splitSidebarMessage(automaticMessage());
        if (!lines.detail)
            lines.detail = selection;
        return lines;
    }
    }
    return {};
}

bool WorkspaceStatusSummary::showsPlayingDot() const
{
    return m_in.isPlaying && m_in.hasCurrentTrack;
}

} // namespace brivello
