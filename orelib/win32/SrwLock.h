#pragma once
// A slim reader/writer lock held for one scope: acquired by the constructor,
// released by the destructor on every way out.
#include <windows.h>

namespace orelib {

class CSrwExclusiveLock {
public:
    explicit CSrwExclusiveLock(SRWLOCK& lock) : m_lock(lock) { AcquireSRWLockExclusive(&m_lock); }
    ~CSrwExclusiveLock() { ReleaseSRWLockExclusive(&m_lock); }
    CSrwExclusiveLock(const CSrwExclusiveLock&) = delete;
    CSrwExclusiveLock& operator=(const CSrwExclusiveLock&) = delete;

    // Waits for `condition`, the lock released meanwhile and held again after.
    void Wait(CONDITION_VARIABLE& condition) { SleepConditionVariableSRW(&condition, &m_lock, INFINITE, 0); }

private:
    SRWLOCK& m_lock;
};

}  // namespace orelib
