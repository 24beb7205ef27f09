// Per-thread message queues: posted messages, sent messages from other
// threads, timers and the quit flag.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace winapi {

// Handles every message sent to this thread's windows from other threads.
// Runs whenever the thread retrieves messages (GetMessageW, PeekMessageW,
// modal loops) and from Qt's event loop, so nested Qt loops serve them too.
void processSentMessages();

// Completes every pending send addressed to `hwnd` with result 0 (the
// window is being destroyed) and drops its posted messages and timers.
void forgetWindowMessages(HWND hwnd);

// Retrieves the next message for the current thread, waiting in Qt's event
// loop when `wait` is set. Returns false when there is none (no wait).
bool nextMessage(MSG* msg, HWND filter, UINT min, UINT max, bool remove, bool wait);

// Posts an input message (already converted from a Qt event) to the UI queue.
void postInput(const MSG& msg);

} // namespace winapi
