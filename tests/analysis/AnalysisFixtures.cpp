#include "AnalysisFixtures.h"

#include "support/TestAudioFiles.h"

#include <QFile>
#include <QtEndian>
#include <gtest/gtest.h>

namespace brivello::test {

namespace {

void appendLE32(QByteArray &bytes, quint32 value)
{
    char raw[4];
    qToLittleEndian(value, raw);
    bytes.append(raw, 4);
}

void appendLE16(QByteArray &bytes, quint16 value)
{
    char raw[2];
    qToLittleEndian(value, raw);
    bytes.append(raw, 2);
}

} // namespace

bool writeFloatWav(const QString &path, const std::vector<float> &samples, int sampleRate)
{
    const auto dataSize = quint32(samples.size() * sizeof(float));
    QByteArray bytes("RIFF");
    appendLE32(bytes, 36 + dataSize);
    bytes.append("WAVEfmt ");
    appendLE32(bytes, 16);
    appendLE16(bytes, 3); // IEEE float
    appendLE16(bytes, 1);
    appendLE32(bytes, quint32(sampleRate));
    appendLE32(bytes, quint32(sampleRate) * 4);
    appendLE16(bytes, 4);
    appendLE16(bytes, 32);
    bytes.append("data");
    appendLE32(bytes, dataSize);
    for (float sample : samples) {
        quint32 raw;
        std::memcpy(&raw, &sample, 4);
        appendLE32(bytes, raw);
    }
    return TestAudioFiles::writeAll(path, bytes);
}

void ffmpeg(const QStringList &arguments)
{
    const TestAudioFiles::Result result = TestAudioFiles::run(
        QStringLiteral("ffmpeg"), QStringList{"-nostdin", "-v", "error", "-y"} + arguments);
    ASSERT_TRUE(result.ok()) << result.err.constData();
}

void lavfi(const QString &graph, const QString &path, const QStringList &options)
{
    ffmpeg(QStringList{"-f", "lavfi", "-i", graph} + options + QStringList{path});
}

} // namespace brivello::test
