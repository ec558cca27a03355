#pragma once
// The work beside the window gives way to the window. A keyword search or a
// room scan keeps every core busy; the window's thread, woken by a key, a
// paint or a screen reader's question, must not wait behind it for its turn
// on a core.

namespace kiv {

// Lowers the calling thread's priority below the window's: on Linux a batch
// thread (SCHED_BATCH, never preempting an interactive one on wake-up) at a
// higher nice value, which the threads it starts inherit; on Windows a
// priority below normal. Best effort: a system that refuses leaves the
// priority as it was.
void GiveWayToTheWindow() noexcept;

} // namespace kiv
