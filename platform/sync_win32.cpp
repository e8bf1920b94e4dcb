// Win32 implementation of platform/sync.h: SRW locks and condition
// variables, which wait and wake inside the process.
#include "platform/sync.h"

#include <windows.h>

namespace platform {
namespace {

static_assert(sizeof(SRWLOCK) == sizeof(void*) && sizeof(CONDITION_VARIABLE) == sizeof(void*));

PSRWLOCK AsLock(void*& p) { return reinterpret_cast<PSRWLOCK>(&p); }
PCONDITION_VARIABLE AsCondition(void*& p) { return reinterpret_cast<PCONDITION_VARIABLE>(&p); }

}  // namespace

void Mutex::lock() { AcquireSRWLockExclusive(AsLock(lock_)); }

void Mutex::unlock() { ReleaseSRWLockExclusive(AsLock(lock_)); }

void Condition::Wait(std::unique_lock<Mutex>& lock) {
  SleepConditionVariableSRW(AsCondition(condition_), AsLock(lock.mutex()->lock_), INFINITE, 0);
}

bool Condition::WaitFor(std::unique_lock<Mutex>& lock, unsigned milliseconds) {
  return SleepConditionVariableSRW(AsCondition(condition_), AsLock(lock.mutex()->lock_), milliseconds, 0) != 0 ||
         GetLastError() != ERROR_TIMEOUT;
}

void Condition::NotifyOne() { WakeConditionVariable(AsCondition(condition_)); }

void Condition::NotifyAll() { WakeAllConditionVariable(AsCondition(condition_)); }

}  // namespace platform
