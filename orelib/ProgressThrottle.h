#pragma once
// Which progress values are worth a message to the dialog. The extraction
// reports progress far more often than anyone can see, and each message
// waits for the UI thread: only a changed value goes, at most one per
// interval (by default a quarter second: four a second), except the first
// and the finished one, which always go.
#include <cstdint>

namespace orelib {

class CProgressThrottle {
public:
    explicit CProgressThrottle(uint64_t intervalMs = 250) : m_intervalMs(intervalMs) {}

    // `perMille` is 0..1000; `nowMs` a monotonic clock in milliseconds.
    bool ShouldSend(uint32_t perMille, uint64_t nowMs);

private:
    uint64_t m_intervalMs;
    bool m_sentAny = false;
    uint32_t m_lastValue = 0;
    uint64_t m_lastTime = 0;
};

}  // namespace orelib
