#include "AudioFixtures.h"

#include "TestAudioFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <gtest/gtest.h>

namespace brivello::test {

namespace {

const QString kPython = QStringLiteral("/usr/bin/python3");

// Reads any tag format mutagen knows into the ten fields.
const char *kMutagenDump = R"PY(
import json, sys, mutagen
from mutagen.id3 import ID3
from mutagen.mp4 import MP4Tags
f = mutagen.File(sys.argv[1])
out = {}
tags = f.tags if f is not None else None
names = ["title","artist","album","albumArtist","genre","year","track","comment","bpm","musicalKey"]
if isinstance(tags, ID3):
    ids = ["TIT2","TPE1","TALB","TPE2","TCON","TDRC","TRCK",None,"TBPM","TKEY"]
    for name, fid in zip(names, ids):
        if fid and fid in tags and tags[fid].text:
            out[name] = str(tags[fid].text[0])
    comments = [c for c in tags.getall("COMM") if c.desc == "" and c.text]
    if comments:
        out["comment"] = str(comments[0].text[0])
    pics = tags.getall("APIC")
    if pics:
        front = [p for p in pics if p.type == 3]
        out["pictureSize"] = len((front or pics)[0].data)
elif isinstance(tags, MP4Tags):
    ids = ["\xa9nam","\xa9ART","\xa9alb","aART","\xa9gen","\xa9day","trkn","\xa9cmt","tmpo",
           "----:com.apple.iTunes:initialkey"]
    for name, fid in zip(names, ids):
        if fid in tags and tags[fid]:
            v = tags[fid][0]
            if fid == "trkn":
                v = "%d/%d" % v if v[1] else "%d" % v[0]
            elif isinstance(v, bytes):
                v = v.decode("utf-8")
            out[name] = str(v)
    if "covr" in tags and tags["covr"]:
        out["pictureSize"] = len(tags["covr"][0])
elif tags is not None:
    keys = ["title","artist","album","albumartist","genre","date","tracknumber","comment","bpm",
            "initialkey"]
    for name, key in zip(names, keys):
        values = [v for v in tags.get(key, []) if v]
        if values:
            out[name] = values[0]
pictures = getattr(f, "pictures", None)
if pictures:
    front = [p for p in pictures if p.type == 3]
    out["pictureSize"] = len((front or pictures)[0].data)
print(json.dumps(out))
)PY";

} // namespace

void makeTone(const QString &path,
              double seconds,
              const QStringList &outputOptions,
              int channels,
              int sampleRate)
{
    QStringList arguments = TestAudioFiles::toneArguments(seconds, channels, sampleRate);
    arguments << outputOptions << path;
    const TestAudioFiles::Result result = TestAudioFiles::run(QStringLiteral("ffmpeg"), arguments);
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
}

void runMutagen(const QString &path, const QString &script)
{
    const QString program = QStringLiteral("import sys, mutagen\npath = sys.argv[1]\n") + script;
    const TestAudioFiles::Result result =
        TestAudioFiles::run(kPython, {QStringLiteral("-c"), program, path});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
}

QJsonObject ffprobe(const QString &path)
{
    const TestAudioFiles::Result result = TestAudioFiles::run(QStringLiteral("ffprobe"),
                                                              {QStringLiteral("-v"),
                                                               QStringLiteral("error"),
                                                               QStringLiteral("-print_format"),
                                                               QStringLiteral("json"),
                                                               QStringLiteral("-show_format"),
                                                               QStringLiteral("-show_streams"),
                                                               path});
    return QJsonDocument::fromJson(result.out).object();
}

QJsonObject mutagenTags(const QString &path)
{
    const TestAudioFiles::Result result =
        TestAudioFiles::run(kPython, {QStringLiteral("-c"), QString::fromUtf8(kMutagenDump), path});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    return QJsonDocument::fromJson(result.out).object();
}

void writeScript(const QString &path, const QString &body)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("#!/bin/sh\n");
    file.write(body.toUtf8());
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace brivello::test
