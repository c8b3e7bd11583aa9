#include "WorkspaceSessionWriter.h"

#include <cmath>

namespace brivello {

namespace {
constexpr char kHex[] = "0123456789abcdef";
}

WorkspaceSessionWriter::WorkspaceSessionWriter(qsizetype reserve)
{
    m_out.reserve(reserve);
}

void WorkspaceSessionWriter::string(const QString &text)
{
    // UTF-8 bytes of multi-byte characters are all >= 0x80, so only ASCII needs escaping.
    const QByteArray utf8 = text.toUtf8();
    m_out += '"';
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '"' || byte == '\\') {
            m_out += '\\';
            m_out += c;
        } else if (byte < 0x20) {
            m_out += "\\u00";
            m_out += kHex[byte >> 4];
            m_out += kHex[byte & 0xf];
        } else {
            m_out += c;
        }
    }
    m_out += '"';
}

void WorkspaceSessionWriter::key(const char *name)
{
    if (!m_out.endsWith('{'))
        m_out += ',';
    m_out += '"';
    m_out += name;
    m_out += "\":";
}

void WorkspaceSessionWriter::id(const QUuid &value)
{
    m_out += '"';
    m_out += value.toByteArray(QUuid::WithoutBraces).toUpper();
    m_out += '"';
}

void WorkspaceSessionWriter::url(const QUrl &value)
{
    string(value.toString(QUrl::FullyEncoded));
}

void WorkspaceSessionWriter::track(const WorkspaceSession::SessionTrack &t)
{
    m_out += '{';
    key("id");
    id(t.id);
    key("url");
    url(t.url);
    key("tags");
    m_out += '{';
    for (int i = 0; i < AudioTags::kFieldCount; ++i) {
        key(AudioTags::fieldKey(i));
        string(t.tags.field(i));
    }
    m_out += '}';
    key("isFavorite");
    boolean(t.isFavorite);
    key("isInPlaylist");
    boolean(t.isInPlaylist);
    key("isInCoverWorkspace");
    boolean(t.isInCoverWorkspace);
    m_out += '}';
}

template <typename Item>
void WorkspaceSessionWriter::array(const QList<Item> &list,
                                   void (WorkspaceSessionWriter::*item)(const Item &))
{
    m_out += '[';
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (i > 0)
            m_out += ',';
        (this->*item)(list[i]);
    }
    m_out += ']';
}

void WorkspaceSessionWriter::tracks(const QList<WorkspaceSession::SessionTrack> &list)
{
    array(list, &WorkspaceSessionWriter::track);
}

void WorkspaceSessionWriter::ids(const QList<QUuid> &list)
{
    array(list, &WorkspaceSessionWriter::id);
}

void WorkspaceSessionWriter::urls(const QList<QUrl> &list)
{
    array(list, &WorkspaceSessionWriter::url);
}

QByteArray WorkspaceSessionWriter::write(const WorkspaceSession &s)
{
    const qsizetype trackCount = s.tracks.size() + s.duplicateTracks.size() +
                                 (s.analysisTracks ? s.analysisTracks->size() : 0);
    WorkspaceSessionWriter w(512 + trackCount * 400);
    w.m_out += '{';
    w.key("tracks");
    w.tracks(s.tracks);
    if (s.selectedID) {
        w.key("selectedID");
        w.id(*s.selectedID);
    }
    w.key("selectedIDs");
    w.ids(s.selectedIDs);
    w.key("activeTab");
    w.string(s.activeTab);

    w.key("tabSelectionIDs");
    w.m_out += '{';
    if (s.tabSelectionIDs) {
        for (auto it = s.tabSelectionIDs->cbegin(); it != s.tabSelectionIDs->cend(); ++it) {
            if (!w.m_out.endsWith('{'))
                w.m_out += ',';
            w.string(it.key());
            w.m_out += ':';
            w.ids(it.value());
        }
    }
    w.m_out += '}';
    w.key("tabFocusedIDs");
    w.m_out += '{';
    if (s.tabFocusedIDs) {
        for (auto it = s.tabFocusedIDs->cbegin(); it != s.tabFocusedIDs->cend(); ++it) {
            if (!w.m_out.endsWith('{'))
                w.m_out += ',';
            w.string(it.key());
            w.m_out += ':';
            w.id(it.value());
        }
    }
    w.m_out += '}';
    if (s.resumeTrackID) {
        w.key("resumeTrackID");
        w.id(*s.resumeTrackID);
    }
    w.key("conversionURLs");
    w.urls(s.conversionURLs);
    w.key("analysisTracks");
    w.tracks(s.analysisTracks.value_or(QList<WorkspaceSession::SessionTrack>{}));
    w.key("duplicateRoots");
    w.urls(s.duplicateRoots);
    w.key("duplicateTracks");
    w.tracks(s.duplicateTracks);

    w.key("estimatedBPMByTrackID");
    w.m_out += '{';
    if (s.estimatedBPMByTrackID) {
        for (auto it = s.estimatedBPMByTrackID->cbegin(); it != s.estimatedBPMByTrackID->cend();
             ++it) {
            if (!w.m_out.endsWith('{'))
                w.m_out += ',';
            w.id(it.key());
            w.m_out += ':';
            w.string(it.value());
        }
    }
    w.m_out += '}';
    // A number JSON cannot hold is left out, so it can never make the document unwritable.
    w.key("estimatedBPMConfidenceByTrackID");
    w.m_out += '{';
    if (s.estimatedBPMConfidenceByTrackID) {
        const auto &map = *s.estimatedBPMConfidenceByTrackID;
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            if (!std::isfinite(it.value()))
                continue;
            if (!w.m_out.endsWith('{'))
                w.m_out += ',';
            w.id(it.key());
            w.m_out += ':';
            w.m_out += QByteArray::number(it.value(), 'g', 17);
        }
    }
    w.m_out += '}';
    w.m_out += '}';
    return w.m_out;
}

} // namespace brivello
