#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace brivello::test {

// Writes mono 32-bit float samples as a WAVE file (format 3). False on failure.
bool writeFloatWav(const QString &path, const std::vector<float> &samples, int sampleRate);

// Runs ffmpeg quietly with `arguments` (after -y); fails the current test when it fails.
void ffmpeg(const QStringList &arguments);

// ffmpeg reading a lavfi graph into `path`, with `options` before the path.
void lavfi(const QString &graph, const QString &path, const QStringList &options = {});

} // namespace brivello::test
