#pragma once

#include <QtGlobal>
#include <memory>
#include <vector>

namespace brivello {

// Decoded mono samples kept in fixed blocks, so a long file never needs one huge buffer or
// the copy of a growing one. Filled from raw little-endian float bytes; single-threaded.
class SampleBlocks
{
public:
    static constexpr qint64 kBlockSize = qint64(1) << 20;

    // Appends bytes; 1 to 3 bytes of a float split across calls are carried over.
    void append(const char *bytes, qint64 count);
    qint64 size() const { return m_size; }
    float at(qint64 index) const { return m_blocks[index / kBlockSize][index % kBlockSize]; }

    struct Measure
    {
        double sumOfSquares = 0;
        float peak = 0;
    };
    // Sum of squares and largest magnitude over [start, end).
    Measure measure(qint64 start, qint64 end) const;

private:
    std::vector<std::unique_ptr<float[]>> m_blocks;
    qint64 m_size = 0;
    unsigned char m_carry[4] = {};
    int m_carryCount = 0;

    void push(float value);
};

} // namespace brivello
