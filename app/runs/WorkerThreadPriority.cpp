#include "app/runs/WorkerThreadPriority.h"

#if defined(_WIN32)
#include <windows.h>
#elif defined(__linux__)
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace kiv {

#if defined(__linux__)
namespace {
// Far enough below the window (nice 0) that a busy scan on every core leaves
// it a core whenever it wakes, yet the scan still runs at full speed on an
// otherwise idle machine.
constexpr int kWorkerNice = 10;
} // namespace
#endif

void GiveWayToTheWindow() noexcept
{
#if defined(_WIN32)
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
#elif defined(__linux__)
    const sched_param none{};
    sched_setscheduler(0, SCHED_BATCH, &none);
    // On Linux the nice value belongs to each thread; the thread's own id
    // names it (0 would do too, but says less).
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), kWorkerNice);
#endif
}

} // namespace kiv
