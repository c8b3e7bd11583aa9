#include "SectionListRules.h"

#include <QRegularExpression>
#include <algorithm>

namespace brivello {

namespace {

std::optional<QSet<QUuid>>
shiftRange(const QList<QUuid> &list, const std::optional<QUuid> &anchor, const QUuid &clicked)
{
    if (!anchor)
        return std::nullopt;
    const qsizetype a = list.indexOf(*anchor);
    const qsizetype b = list.indexOf(clicked);
    if (a < 0 || b < 0)
        return std::nullopt;
    QSet<QUuid> range;
    for (qsizetype i = std::min(a, b); i <= std::max(a, b); ++i)
        range.insert(list.at(i));
    return range;
}

QSet<QUuid> toggled(QSet<QUuid> ids, const QUuid &id)
{
    if (!ids.remove(id))
        ids.insert(id);
    return ids;
}

} // namespace

SectionListRules::Selection SectionListRules::coverClick(const QList<QUuid> &list,
                                                         const Selection &current,
                                                         const QUuid &clicked,
                                                         Modifiers modifiers)
{
    QSet<QUuid> ids;
    const std::optional<QSet<QUuid>> range =
        modifiers.shift ? shiftRange(list, current.anchor, clicked) : std::nullopt;
    if (range)
        ids = *range;
    else if (modifiers.command)
        ids = toggled(current.ids, clicked);
    else
        ids = {clicked};
    const std::optional<QUuid> anchor = ids.contains(clicked) ? clicked : anyMember(ids);
    return {ids, anchor};
}

SectionListRules::Selection SectionListRules::converterClick(const QList<QUuid> &list,
                                                             const Selection &current,
                                                             const QUuid &clicked,
                                                             Modifiers modifiers)
{
    if (modifiers.shift) {
        if (const std::optional<QSet<QUuid>> range = shiftRange(list, current.anchor, clicked))
            return {*range, current.anchor};
    }
    if (modifiers.command)
        return {toggled(current.ids, clicked), clicked};
    return {{clicked}, clicked};
}

SectionListRules::Selection SectionListRules::duplicateClick(const QUuid &clicked)
{
    return {{clicked}, clicked};
}

std::optional<std::optional<QUuid>>
SectionListRules::coverAnchorRepair(const QSet<QUuid> &ids, const std::optional<QUuid> &anchor)
{
    if (ids.isEmpty())
        return std::optional<QUuid>{};
    if (ids.size() == 1)
        return std::optional<QUuid>{*ids.cbegin()};
    if (anchor && !ids.contains(*anchor))
        return anyMember(ids);
    return std::nullopt;
}

SectionListRules::Selection SectionListRules::prune(const Selection &current,
                                                    const QSet<QUuid> &valid)
{
    Selection result{QSet<QUuid>(current.ids).intersect(valid), current.anchor};
    if (result.anchor && !valid.contains(*result.anchor))
        result.anchor = anyMember(result.ids);
    return result;
}

std::optional<int> SectionListRules::converterMoveTarget(const QList<QUuid> &list,
                                                         const Selection &current,
                                                         int offset)
{
    if (offset == 0 || list.isEmpty())
        return std::nullopt;
    const std::optional<QUuid> reference = current.anchor ? current.anchor : anyMember(current.ids);
    const qsizetype index = reference ? list.indexOf(*reference) : -1;
    const qsizetype count = list.size();
    const qsizetype target =
        index >= 0 ? index + offset : (offset > 0 ? offset - 1 : count + offset);
    return int(std::clamp<qsizetype>(target, 0, count - 1));
}

std::optional<int> SectionListRules::duplicateMoveTarget(const QList<QUuid> &list,
                                                         const std::optional<QUuid> &focus,
                                                         int offset)
{
    if (list.isEmpty())
        return std::nullopt;
    const qsizetype count = list.size();
    qsizetype base = focus ? list.indexOf(*focus) : -1;
    if (base < 0)
        base = offset > 0 ? -1 : count;
    return int(std::clamp<qsizetype>(base + offset, 0, count - 1));
}

std::optional<int> SectionListRules::nextAfterFinish(const QList<QUuid> &list,
                                                     const std::optional<int> &target,
                                                     const std::optional<QUuid> &finished)
{
    if (!target)
        return std::nullopt;
    if (finished && list.at(*target) == *finished)
        return std::nullopt;
    return target;
}

QString SectionListRules::failureLine(const QString &message)
{
    const QStringList lines = message.split(QRegularExpression(QStringLiteral("[\\r\\n]")));
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        if (!line->trimmed().isEmpty())
            return line->trimmed();
    }
    return message.trimmed();
}

bool SectionListRules::canConvert(const QList<ConversionItem> &items)
{
    return std::any_of(items.cbegin(), items.cend(), [](const ConversionItem &item) {
        return item.status.kind == ConversionItem::Status::waiting;
    });
}

bool SectionListRules::canFindDuplicates(qsizetype fileCount, bool isSearching)
{
    return fileCount >= 2 && !isSearching;
}

bool SectionListRules::canClearDuplicates(qsizetype fileCount, qsizetype rootCount)
{
    return fileCount > 0 || rootCount > 0;
}

QList<QUuid> SectionListRules::firstOccurrences(const QList<QUuid> &ids)
{
    QList<QUuid> result;
    QSet<QUuid> seen;
    for (const QUuid &id : ids) {
        if (!seen.contains(id)) {
            seen.insert(id);
            result.append(id);
        }
    }
    return result;
}

std::optional<QUuid> SectionListRules::anyMember(const QSet<QUuid> &ids)
{
    if (ids.isEmpty())
        return std::nullopt;
    return *ids.cbegin();
}

} // namespace brivello
