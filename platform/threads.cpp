#include "platform/threads.h"

#include <atomic>
#include <cstdio>
#include <future>

#ifdef _WIN32
#include <windows.h>
#else
#include <pthread.h>
#include <sched.h>
#endif

namespace platform {

struct Thread::Native {
#ifdef _WIN32
  HANDLE handle = nullptr;
  ~Native() {
    if (handle) CloseHandle(handle);
  }
#else
  pthread_t handle{};
#endif
};

namespace {

#ifdef _WIN32
int ToWin32(ThreadPriority priority) {
  switch (priority) {
    case ThreadPriority::Idle: return THREAD_PRIORITY_IDLE;
    case ThreadPriority::Lowest: return THREAD_PRIORITY_LOWEST;
    case ThreadPriority::BelowNormal: return THREAD_PRIORITY_BELOW_NORMAL;
    case ThreadPriority::Normal: break;
  }
  return THREAD_PRIORITY_NORMAL;
}
#endif

bool Apply(Thread::Native* native, ThreadPriority priority) {
#ifdef _WIN32
  return native && native->handle && SetThreadPriority(native->handle, ToWin32(priority)) != 0;
#else
  // Linux: the normal policy has no static priorities; use SCHED_IDLE for
  // Idle and the default for the others.
  if (!native) return false;
  sched_param param{};
  int policy = priority == ThreadPriority::Idle ? SCHED_IDLE : SCHED_OTHER;
  return pthread_setschedparam(native->handle, policy, &param) == 0;
#endif
}

}  // namespace

ThreadPriority CurrentThreadPriority() {
#ifdef _WIN32
  const int level = GetThreadPriority(GetCurrentThread());
  if (level == THREAD_PRIORITY_ERROR_RETURN || level >= THREAD_PRIORITY_NORMAL) return ThreadPriority::Normal;
  if (level >= THREAD_PRIORITY_BELOW_NORMAL) return ThreadPriority::BelowNormal;
  if (level >= THREAD_PRIORITY_LOWEST) return ThreadPriority::Lowest;
  return ThreadPriority::Idle;
#else
  return sched_getscheduler(0) == SCHED_IDLE ? ThreadPriority::Idle : ThreadPriority::Normal;
#endif
}

Thread::~Thread() {
  if (thread_.joinable()) thread_.join();
}

void Thread::Start(std::function<void()> body, ThreadPriority priority) {
  auto native = std::make_shared<Native>();
  std::promise<void> known;
  std::future<void> ready = known.get_future();
  thread_ = std::thread([native, priority, &known, body = std::move(body)]() {
#ifdef _WIN32
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &native->handle, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
#else
    native->handle = pthread_self();
#endif
    Apply(native.get(), priority);  // before any work is done
    known.set_value();
    body();
  });
  ready.wait();
  native_ = native;
}

bool Thread::SetPriority(ThreadPriority priority) {
  return thread_.joinable() && Apply(native_.get(), priority);
}

void Thread::Join() {
  if (thread_.joinable()) thread_.join();
}

void Thread::Detach() {
  if (thread_.joinable()) thread_.detach();
}

unsigned UsableProcessors() {
#ifdef _WIN32
  DWORD_PTR process = 0, system = 0;
  if (GetProcessAffinityMask(GetCurrentProcess(), &process, &system) && process != 0) {
    return static_cast<unsigned>(__builtin_popcountll(static_cast<unsigned long long>(process)));
  }
#else
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0) return static_cast<unsigned>(CPU_COUNT(&set));
#endif
  const unsigned online = std::thread::hardware_concurrency();
  return online > 0 ? online : 1;
}

bool ProcessorFreeNow() {
#ifdef _WIN32
  return true;
#else
  // The fourth field of /proc/loadavg is "running/total": the threads the
  // whole system has running or ready to run now, this one included.
  FILE* loadavg = std::fopen("/proc/loadavg", "r");
  if (!loadavg) return true;
  unsigned running = 0;
  const bool read = std::fscanf(loadavg, "%*s %*s %*s %u/", &running) == 1;
  std::fclose(loadavg);
  return !read || running < UsableProcessors();
#endif
}

}  // namespace platform
