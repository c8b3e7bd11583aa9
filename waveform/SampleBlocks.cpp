#include "SampleBlocks.h"

#include <QtEndian>
#include <cmath>
#include <cstring>

namespace brivello {

void SampleBlocks::push(float value)
{
    const qint64 offset = m_size % kBlockSize;
    if (offset == 0)
        m_blocks.push_back(std::make_unique_for_overwrite<float[]>(kBlockSize));
    m_blocks.back()[offset] = value;
    ++m_size;
}

void SampleBlocks::append(const char *bytes, qint64 count)
{
    qint64 i = 0;
    while (m_carryCount > 0 && m_carryCount < 4 && i < count)
        m_carry[m_carryCount++] = static_cast<unsigned char>(bytes[i++]);
    if (m_carryCount == 4) {
        push(qFromLittleEndian<float>(m_carry));
        m_carryCount = 0;
    }
    for (; i + 4 <= count; i += 4)
        push(qFromLittleEndian<float>(bytes + i));
    while (i < count)
        m_carry[m_carryCount++] = static_cast<unsigned char>(bytes[i++]);
}

SampleBlocks::Measure SampleBlocks::measure(qint64 start, qint64 end) const
{
    Measure result;
    for (qint64 i = start; i < end;) {
        const float *block = m_blocks[i / kBlockSize].get();
        const qint64 offset = i % kBlockSize;
        const qint64 stop = std::min(end - i, kBlockSize - offset) + offset;
        double sum = 0;
        float peak = result.peak;
        for (qint64 k = offset; k < stop; ++k) {
            const float v = block[k];
            sum += double(v) * double(v);
            peak = std::max(peak, std::fabs(v));
        }
        result.sumOfSquares += sum;
        result.peak = peak;
        i += stop - offset;
    }
    return result;
}

} // namespace brivello
