#include "library/WorkspaceSession.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>
#include <limits>

using namespace brivello;

namespace {

QJsonObject trackObject(const QString &id = QStringLiteral("6F9619FF-8B86-D011-B42D-00C04FC964FF"))
{
    QJsonObject tags;
    for (int i = 0; i < AudioTags::kFieldCount; ++i)
        tags.insert(QLatin1String(AudioTags::fieldKey(i)), QString());
    return QJsonObject{{QStringLiteral("id"), id},
                       {QStringLiteral("url"), QStringLiteral("file:///m/a%20b.mp3")},
                       {QStringLiteral("tags"), tags},
                       {QStringLiteral("isFavorite"), true},
                       {QStringLiteral("isInPlaylist"), false},
                       {QStringLiteral("isInCoverWorkspace"), false}};
}

QJsonObject minimalDocument()
{
    return QJsonObject{{QStringLiteral("tracks"), QJsonArray{trackObject()}},
                       {QStringLiteral("selectedIDs"), QJsonArray{}},
                       {QStringLiteral("activeTab"), QStringLiteral("Плейлист")},
                       {QStringLiteral("conversionURLs"), QJsonArray{}},
                       {QStringLiteral("duplicateRoots"), QJsonArray{}},
                       {QStringLiteral("duplicateTracks"), QJsonArray{}}};
}

std::optional<WorkspaceSession> decode(const QJsonObject &root)
{
    return WorkspaceSession::decode(QJsonDocument(root).toJson(QJsonDocument::Compact));
}

TEST(WorkspaceSessionTest, RequiredMembersAloneReadAndNullOrUnknownOnesReadAsAbsent)
{
    QJsonObject root = minimalDocument();
    root.insert(QStringLiteral("selectedID"), QJsonValue::Null);
    root.insert(QStringLiteral("analysisTracks"), QJsonValue::Null);
    root.insert(QStringLiteral("somethingNew"), 42);
    const auto session = decode(root);
    ASSERT_TRUE(session.has_value());
    ASSERT_EQ(session->tracks.size(), 1);
    EXPECT_EQ(session->tracks[0].url.toLocalFile(), QStringLiteral("/m/a b.mp3"));
    EXPECT_TRUE(session->tracks[0].isFavorite);
    EXPECT_FALSE(session->selectedID || session->resumeTrackID || session->tabSelectionIDs ||
                 session->tabFocusedIDs || session->analysisTracks ||
                 session->estimatedBPMByTrackID || session->estimatedBPMConfidenceByTrackID);
}

class RequiredMemberTest : public ::testing::TestWithParam<const char *>
{
};

TEST_P(RequiredMemberTest, MissingOrMistypedMemberRejectsTheDocument)
{
    const QString name = QString::fromLatin1(GetParam());
    QJsonObject missing = minimalDocument();
    missing.remove(name);
    EXPECT_FALSE(decode(missing).has_value()) << GetParam();
    QJsonObject mistyped = minimalDocument();
    mistyped.insert(name, 7);
    EXPECT_FALSE(decode(mistyped).has_value()) << GetParam();
    QJsonObject null = minimalDocument();
    null.insert(name, QJsonValue::Null);
    EXPECT_FALSE(decode(null).has_value()) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Document,
                         RequiredMemberTest,
                         ::testing::Values("tracks",
                                           "selectedIDs",
                                           "activeTab",
                                           "conversionURLs",
                                           "duplicateRoots",
                                           "duplicateTracks"));

class RequiredTrackMemberTest : public ::testing::TestWithParam<const char *>
{
};

TEST_P(RequiredTrackMemberTest, OneBadTrackRejectsTheDocument)
{
    QJsonObject track = trackObject();
    track.remove(QString::fromLatin1(GetParam()));
    QJsonObject root = minimalDocument();
    root.insert(QStringLiteral("duplicateTracks"), QJsonArray{track});
    EXPECT_FALSE(decode(root).has_value()) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(
    Track,
    RequiredTrackMemberTest,
    ::testing::Values("id", "url", "tags", "isFavorite", "isInPlaylist", "isInCoverWorkspace"));

TEST(WorkspaceSessionTest, BadIdentityTagsOrAddressRejectTheDocument)
{
    QJsonObject root = minimalDocument();
    root.insert(QStringLiteral("tracks"), QJsonArray{trackObject(QStringLiteral("not-an-id"))});
    EXPECT_FALSE(decode(root).has_value());

    QJsonObject track = trackObject();
    QJsonObject tags = track.value(QStringLiteral("tags")).toObject();
    tags.remove(QStringLiteral("musicalKey"));
    track.insert(QStringLiteral("tags"), tags);
    root = minimalDocument();
    root.insert(QStringLiteral("tracks"), QJsonArray{track});
    EXPECT_FALSE(decode(root).has_value());

    root = minimalDocument();
    root.insert(QStringLiteral("conversionURLs"), QJsonArray{QString()});
    EXPECT_FALSE(decode(root).has_value());

    root = minimalDocument();
    root.insert(QStringLiteral("tabSelectionIDs"),
                QJsonObject{{QStringLiteral("Плейлист"), QJsonArray{QStringLiteral("zz")}}});
    EXPECT_FALSE(decode(root).has_value());

    root = minimalDocument();
    root.insert(QStringLiteral("selectedID"),
                QStringLiteral("00000000-0000-0000-0000-00000000000"));
    EXPECT_FALSE(decode(root).has_value());

    EXPECT_FALSE(WorkspaceSession::decode("{not json").has_value());
    EXPECT_FALSE(WorkspaceSession::decode("[]").has_value());

    // An unknown member nested deeper than the stack allows is refused, not skipped.
    QByteArray deep = QJsonDocument(minimalDocument()).toJson(QJsonDocument::Compact);
    deep.chop(1);
    deep += ",\"later\":" + QByteArray(200000, '[') + QByteArray(200000, ']') + "}";
    EXPECT_FALSE(WorkspaceSession::decode(deep).has_value());
    deep = QJsonDocument(minimalDocument()).toJson(QJsonDocument::Compact);
    deep.chop(1);
    deep += ",\"later\":" + QByteArray(1000, '[') + QByteArray(1000, ']') + "}";
    EXPECT_TRUE(WorkspaceSession::decode(deep).has_value());
}

TEST(WorkspaceSessionTest, LowerCaseIdentityReadsAndIsWrittenInUpperCase)
{
    QJsonObject root = minimalDocument();
    root.insert(QStringLiteral("tracks"),
                QJsonArray{trackObject(QStringLiteral("6f9619ff-8b86-d011-b42d-00c04fc964ff"))});
    const auto session = decode(root);
    ASSERT_TRUE(session.has_value());
    const QByteArray written = session->encode();
    EXPECT_TRUE(written.contains("6F9619FF-8B86-D011-B42D-00C04FC964FF"));
    EXPECT_FALSE(written.contains("6f9619ff"));
}

TEST(WorkspaceSessionTest, AllZeroIdentityIsWrittenAndReadBack)
{
    WorkspaceSession session;
    WorkspaceSession::SessionTrack track;
    track.url = QUrl(QStringLiteral("file:///m/zero.mp3"));
    session.tracks = {track};
    session.selectedID = QUuid();
    session.activeTab = QStringLiteral("Плейлист");
    const auto read = WorkspaceSession::decode(session.encode());
    ASSERT_TRUE(read.has_value());
    ASSERT_EQ(read->tracks.size(), 1);
    EXPECT_TRUE(read->tracks[0].id.isNull());
    EXPECT_EQ(read->selectedID, QUuid());
}

TEST(WorkspaceSessionTest, EncodedDocumentRoundTripsEveryMember)
{
    WorkspaceSession session;
    Track track = Track::make(QUrl::fromLocalFile(QStringLiteral("/m/Папка/\"q\" \\ 100%.flac")));
    track.tags.genre = QStringLiteral("House");
    track.tags.title = QStringLiteral("Line\nbreak\t\"quoted\" back\\slash \u0001");
    track.tags.artist = QStringLiteral("Ёлка 🎧 東京");
    track.isInPlaylist = true;
    session.tracks = {WorkspaceSession::SessionTrack::from(track)};
    session.selectedID = track.id;
    session.selectedIDs = {track.id};
    session.activeTab = QStringLiteral("Избранное");
    session.tabSelectionIDs = QHash<QString, QList<QUuid>>{
        {QStringLiteral("Избранное"), {track.id}}, {QStringLiteral("Анализ"), {}}};
    session.tabFocusedIDs = QHash<QString, QUuid>{{QStringLiteral("Избранное"), track.id}};
    session.resumeTrackID = track.id;
    session.conversionURLs = {QUrl::fromLocalFile(QStringLiteral("/m/x y.ogg"))};
    session.analysisTracks = QList<WorkspaceSession::SessionTrack>{session.tracks[0]};
    session.duplicateRoots = {QUrl::fromLocalFile(QStringLiteral("/m"))};
    session.duplicateTracks = session.tracks;
    session.estimatedBPMByTrackID = QHash<QUuid, QString>{{track.id, QStringLiteral("\"124\"")}};
    session.estimatedBPMConfidenceByTrackID = QHash<QUuid, double>{{track.id, 0.1234567890123}};

    const QByteArray bytes = session.encode();
    EXPECT_FALSE(bytes.contains('\n'));
    const auto back = WorkspaceSession::decode(bytes);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->tracks[0].id, track.id);
    EXPECT_EQ(back->tracks[0].url, track.url);
    EXPECT_EQ(back->tracks[0].tags, track.tags);
    EXPECT_TRUE(back->tracks[0].isInPlaylist);
    EXPECT_EQ(back->selectedID, track.id);
    EXPECT_EQ(back->activeTab, QStringLiteral("Избранное"));
    EXPECT_EQ(back->tabSelectionIDs->value(QStringLiteral("Анализ")).size(), 0);
    EXPECT_TRUE(back->tabSelectionIDs->contains(QStringLiteral("Анализ")));
    EXPECT_EQ(back->tabFocusedIDs->value(QStringLiteral("Избранное")), track.id);
    EXPECT_EQ(back->conversionURLs, session.conversionURLs);
    EXPECT_EQ(back->analysisTracks->size(), 1);
    EXPECT_EQ(back->duplicateRoots, session.duplicateRoots);
    EXPECT_EQ(back->estimatedBPMByTrackID->value(track.id), QStringLiteral("\"124\""));
    EXPECT_DOUBLE_EQ(back->estimatedBPMConfidenceByTrackID->value(track.id), 0.1234567890123);
    const Track restored = back->tracks[0].toTrack();
    EXPECT_EQ(restored.format, QStringLiteral("FLAC"));
    EXPECT_EQ(restored.duration, 0);
}

// Each membership flag travels on its own: a mix-up between two of them moves tracks between
// sections at the next start.
TEST(WorkspaceSessionTest, EveryMixOfMembershipFlagsRoundTrips)
{
    WorkspaceSession session;
    session.activeTab = QStringLiteral("Плейлист");
    for (int flags = 0; flags < 8; ++flags) {
        Track track = Track::make(QUrl::fromLocalFile(QStringLiteral("/m/%1.mp3").arg(flags)));
        track.isFavorite = flags & 1;
        track.isInPlaylist = flags & 2;
        track.isInCoverWorkspace = flags & 4;
        session.tracks.append(WorkspaceSession::SessionTrack::from(track));
    }
    session.duplicateTracks = session.tracks;
    session.analysisTracks = session.tracks;
    const auto back = WorkspaceSession::decode(session.encode());
    ASSERT_TRUE(back.has_value());
    for (const QList<WorkspaceSession::SessionTrack> *list :
         {&back->tracks, &back->duplicateTracks, &*back->analysisTracks}) {
        ASSERT_EQ(list->size(), 8);
        for (int flags = 0; flags < 8; ++flags) {
            SCOPED_TRACE(flags);
            EXPECT_EQ((*list)[flags].isFavorite, bool(flags & 1));
            EXPECT_EQ((*list)[flags].isInPlaylist, bool(flags & 2));
            EXPECT_EQ((*list)[flags].isInCoverWorkspace, bool(flags & 4));
        }
    }
}

// The reader takes the document straight from its text: JSON as any writer may spell it reads
// as a parsed document would, and text that is not JSON is rejected as a whole.
TEST(WorkspaceSessionTest, AnyValidSpellingReadsAndMalformedTextIsRejected)
{
    const QByteArray tags =
        R"({"title" : "\u00c9t\u00e9 \ud83c\udfa7 a\/b", "artist":"", "album":"",
        "albumArtist":"", "genre":"x", "year":"", "track":"", "comment":"", "bpm":"",
        "musicalKey":"", "extra": [1, -2.5e3, {"deep": [true, null]}]})";
    const QByteArray text =
        "\r\n { \"selectedIDs\" : [ ] ,\t\"activeTab\":\"A\", \"activeTab\":\"B\","
        "\"tracks\":[{\"isFavorite\":false,\"url\":\"file:///m/a.mp3\","
        "\"id\":\"6f9619ff-8b86-d011-b42d-00c04fc964ff\",\"tags\":" +
        tags +
        ",\"isInPlaylist\":true,\"isInCoverWorkspace\":false,"
        "\"isFavorite\":true}],"
        "\"conversionURLs\":[],\"duplicateRoots\":[],\"duplicateTracks\":[],"
        "\"estimatedBPMConfidenceByTrackID\":{"
        "\"6F9619FF-8B86-D011-B42D-00C04FC964FF\":1.25E-1}} ";
    ASSERT_FALSE(QJsonDocument::fromJson(text).isNull());
    const auto session = WorkspaceSession::decode(text);
    ASSERT_TRUE(session.has_value());
    EXPECT_EQ(session->activeTab, QStringLiteral("B"));
    ASSERT_EQ(session->tracks.size(), 1);
    EXPECT_TRUE(session->tracks[0].isFavorite);
    EXPECT_EQ(session->tracks[0].tags.title, QStringLiteral("Été 🎧 a/b"));
    EXPECT_EQ(session->tracks[0].tags.genre, QStringLiteral("x"));
    EXPECT_EQ(session->estimatedBPMConfidenceByTrackID->value(session->tracks[0].id), 0.125);

    const QByteArray good = QJsonDocument(minimalDocument()).toJson(QJsonDocument::Compact);
    ASSERT_TRUE(WorkspaceSession::decode(good).has_value());
    const QList<QByteArray> malformed = {
        good + "x",
        good.left(good.size() - 1),
        QByteArray(good).replace("\"activeTab\":", "\"activeTab\""),
        QByteArray(good).replace("Плейлист", "Плей\\qлист"),
        QByteArray(good).replace("Плейлист", "Плей\xff\xfeлист"),
        QByteArray(good).replace("Плейлист", "Плей\nлист"),
        QByteArray(good).replace("],", "]"),
        QByteArray(good).replace("true", "tru"),
        QByteArray("[") + good + "]",
        QByteArray(),
    };
    for (const QByteArray &bad : malformed) {
        SCOPED_TRACE(bad.toStdString());
        EXPECT_FALSE(WorkspaceSession::decode(bad).has_value());
    }
}

TEST(WorkspaceSessionTest, NonFiniteConfidenceIsLeftOutAndNeverBlocksTheSave)
{
    WorkspaceSession session;
    const QUuid good = QUuid::createUuid();
    const QUuid bad = QUuid::createUuid();
    const QUuid worse = QUuid::createUuid();
    session.activeTab = QStringLiteral("Плейлист");
    session.estimatedBPMConfidenceByTrackID =
        QHash<QUuid, double>{{good, 0.5},
                             {bad, std::numeric_limits<double>::quiet_NaN()},
                             {worse, std::numeric_limits<double>::infinity()}};
    const auto back = WorkspaceSession::decode(session.encode());
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->estimatedBPMConfidenceByTrackID->size(), 1);
    EXPECT_TRUE(back->estimatedBPMConfidenceByTrackID->contains(good));
}

} // namespace
