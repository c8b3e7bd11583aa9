#include "SpreadWindowGrid.h"

#include <algorithm>

namespace brivello {

SpreadWindowGrid::SpreadWindowGrid(int count, int length)
    : m_count(std::max(count, 1))
    , m_length(std::max(length, 1))
{}

void SpreadWindowGrid::open(qint64 start)
{
    Window window;
    window.start = start;
    window.samples.reserve(size_t(m_length));
    m_windows.push_back(std::move(window));
    if (m_windows.size() > size_t(2 * m_count))
        thin();
}

void SpreadWindowGrid::thin()
{
    const qint64 wider = m_step * 2;
    std::vector<Window> kept;
    kept.reserve(size_t(m_count) + 1);
    for (Window &window : m_windows) {
        if (window.start % wider == 0)
            kept.push_back(std::move(window));
    }
    m_windows = std::move(kept);
    m_step = wider;
    m_next = (m_next + m_step - 1) / m_step * m_step;
    m_firstOpen = 0;
    while (m_firstOpen < m_windows.size() &&
           m_windows[m_firstOpen].samples.size() >= size_t(m_length))
        ++m_firstOpen;
}

void SpreadWindowGrid::feed(const float *samples, qint64 count)
{
    if (count <= 0)
        return;
    const qint64 end = m_decoded + count;
    while (m_next < end) {
        const qint64 start = m_next;
        m_next += m_step;
        open(start);
    }
    for (size_t i = m_firstOpen; i < m_windows.size(); ++i) {
        Window &window = m_windows[i];
        const qint64 have = window.start + qint64(window.samples.size());
        const qint64 from = std::max(have, m_decoded);
        const qint64 to = std::min(window.start + m_length, end);
        if (to > from) {
            window.samples.insert(
                window.samples.end(), samples + (from - m_decoded), samples + (to - m_decoded));
        }
    }
    while (m_firstOpen < m_windows.size() &&
           m_windows[m_firstOpen].samples.size() >= size_t(m_length))
        ++m_firstOpen;
    m_decoded = end;
}

std::vector<const SpreadWindowGrid::Window *>
SpreadWindowGrid::pick(const std::vector<qint64> &starts) const
{
    std::vector<const Window *> picked;
    if (m_windows.empty())
        return picked;
    const qint64 lastWhole = std::max<qint64>(m_decoded - m_length, 0);
    picked.reserve(starts.size());
    for (const qint64 wanted : starts) {
        auto after = std::lower_bound(
            m_windows.begin(), m_windows.end(), wanted, [](const Window &window, qint64 start) {
                return window.start < start;
            });
        auto best = after == m_windows.end() ? after - 1 : after;
        if (after != m_windows.begin()) {
            auto before = after - 1;
            if (after == m_windows.end() || wanted - before->start <= after->start - wanted ||
                after->start > lastWhole)
                best = before;
        }
        picked.push_back(&*best);
    }
    return picked;
}

} // namespace brivello
