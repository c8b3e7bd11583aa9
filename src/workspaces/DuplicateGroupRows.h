#pragma once

#include "library/DuplicateSearchState.h"
#include "platform/AppLanguage.h"
#include "records/Track.h"

#include <QList>
#include <QString>

namespace brivello {

// The duplicate finder's list laid flat: per group a heading row, then its files that still
// exist. Also the keyboard's walk over the files and the texts of the progress block. Pure.
class DuplicateGroupRows
{
public:
    struct Row
    {
        int group = 0;
        bool isHeading = true;
        Track track; // file rows only
        bool isLastOfGroup = false;
    };

    // The files of `group` found among `files`, in the group's order.
    static QList<Track> tracksIn(const AudioDuplicateGroup &group, const QList<Track> &files);
    static QList<Row> rows(const QList<AudioDuplicateGroup> &groups, const QList<Track> &files);
    // Every file of every group in display order, each once at its first place.
    static QList<Track> navigableTracks(const QList<AudioDuplicateGroup> &groups,
                                        const QList<Track> &files);

    // Russian keys; the view localises them.
    static QString phaseTitle(DuplicateSearchState::Phase phase);
    static QString phaseDetail(DuplicateSearchState::Phase phase, qint64 candidateCount);
    // "99%" for 0.999: truncated, never rounded up to a finished look.
    static QString percentText(double progress);
    // The search line's value; the store's duplicateSearchScopeTitle is this too.
    static QString scopeTitle(const QList<QUrl> &roots, AppLanguage language);
};

} // namespace brivello
