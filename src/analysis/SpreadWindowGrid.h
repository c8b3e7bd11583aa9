#pragma once

#include <QtGlobal>
#include <vector>

namespace brivello {

// Keeps windows of audio spread evenly over a stream of unknown length, in one pass: windows
// open on a grid of starts that widens (every other one dropped) whenever more than twice the
// wanted number are kept, so memory stays bounded by 2 × count × length frames. At the end,
// pick() gives the kept window nearest to each wanted start. Any thread; one owner.
class SpreadWindowGrid
{
public:
    struct Window
    {
        qint64 start = 0;
        std::vector<float> samples; // up to `length` frames from `start`
    };

    SpreadWindowGrid(int count, int length);

    // The next decoded frames, following those fed before.
    void feed(const float *samples, qint64 count);
    qint64 frames() const { return m_decoded; }
    // For each wanted start (non-decreasing), the kept window nearest to it that is whole
    // where one is, so a window near the end is not cut short needlessly.
    std::vector<const Window *> pick(const std::vector<qint64> &starts) const;

private:
    void open(qint64 start);
    void thin();

    int m_count;
    int m_length;
    qint64 m_step = 1;
    qint64 m_next = 0;
    qint64 m_decoded = 0;
    size_t m_firstOpen = 0; // windows before it hold `length` frames
    std::vector<Window> m_windows;
};

} // namespace brivello
