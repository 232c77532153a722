#include "orelib/ProgressThrottle.h"

namespace orelib {

bool CProgressThrottle::ShouldSend(uint32_t perMille, uint64_t nowMs) {
    if (m_sentAny && perMille == m_lastValue) return false;
    const bool due = !m_sentAny || perMille >= 1000 || nowMs - m_lastTime >= m_intervalMs;
    if (!due) return false;
    m_sentAny = true;
    m_lastValue = perMille;
    m_lastTime = nowMs;
    return true;
}

}  // namespace orelib
