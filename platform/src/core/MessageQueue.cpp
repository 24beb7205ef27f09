// Message queues as Windows runs them: a message sent to a window of the
// same thread calls its procedure directly; one sent from another thread is
// queued, wakes the owner and blocks the sender until the owner, retrieving
// messages, has handled it. Sent messages go before posted ones; WM_TIMER is
// produced only when nothing else is waiting. The UI thread waits inside Qt's
// event loop, and every Qt loop (including nested ones such as a file dialog)
// serves the sent messages.
//
// A stream of sends from one thread (the reader handing over each received
// line and waiting for it to be handled) would otherwise cost two sleeping
// thread switches and one pass of Qt's event loop per message. When sends
// follow each other closely, the owner, having replied, watches its queue for
// a short moment before going back to Qt, and a sender whose target is
// watching watches for its reply instead of sleeping; each message is still
// handled on its own, in order, while its sender waits. The owner returns to
// Qt at least every few milliseconds so paints, input and timers go on.
#include "core/MessageQueue.h"

#include "core/Input.h"
#include "core/Window.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <memory>

namespace winapi {

namespace {

using Clock = std::chrono::steady_clock;

struct ThreadQueue;

struct SentMessage {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;
    std::atomic<bool> done{false}; // set after result, under the sender's lock
    ThreadQueue* sender = nullptr;
    Clock::time_point queuedAt;
};

// How long an owner watches for the next send after a reply, and a sender
// for its reply; and how long an owner may keep serving before Qt runs.
constexpr auto kWatchNextSend = std::chrono::microseconds(200);
constexpr auto kWatchReply = std::chrono::microseconds(500);
constexpr auto kServeSlice = std::chrono::milliseconds(8);
constexpr int kStreamAfter = 4; // close sends in a row before the owner watches

struct Timer {
    HWND hwnd;
    UINT_PTR id;
    UINT elapse;
    TIMERPROC proc;
    Clock::time_point due;
};

struct ThreadQueue {
    std::mutex mutex;
    std::condition_variable cv;
    std::deque<SentMessage*> sent;
    std::deque<MSG> posted;
    std::vector<Timer> timers; // touched by the owner thread only
    bool quit = false;
    int quitCode = 0;
    bool qt = false; // the thread runs Qt's event loop
    int handlingSent = 0;
    std::atomic<size_t> sentWaiting{0}; // sent.size(), for watching without the lock
    bool watching = false; // the owner will look at `sent` again before it sleeps (lock)
    std::atomic<bool> wakePosted{false}; // a Qt call to serve sent messages is on its way
    // Owner only: when the last reply went out, and how many sends in a row
    // have come within the watching time after a reply. Watching pays only
    // in a steady stream (a replay); a live receiver's lines come one or two
    // at a time and a watch after them would mostly spin in vain.
    Clock::time_point lastReply{};
    int closeSends = 0;
};

std::mutex g_queuesMutex;
std::map<std::thread::id, std::shared_ptr<ThreadQueue>> g_queues;

ThreadQueue& queueOf(std::thread::id id) {
    std::lock_guard<std::mutex> lock(g_queuesMutex);
    auto& q = g_queues[id];
    if (!q) {
        q = std::make_shared<ThreadQueue>();
        q->qt = QCoreApplication::instance() &&
                QCoreApplication::instance()->thread() == QThread::currentThread() &&
                id == std::this_thread::get_id();
    }
    return *q;
}

ThreadQueue& currentQueue() {
    thread_local ThreadQueue* q = nullptr;
    if (!q) {
        q = &queueOf(std::this_thread::get_id());
        // Another thread may have created this queue first (a send before the
        // owner ever looked at its queue); only the owner knows it runs Qt.
        QCoreApplication* app = QCoreApplication::instance();
        std::lock_guard<std::mutex> lock(q->mutex);
        q->qt = app && app->thread() == QThread::currentThread();
    }
    return *q;
}

void serveSentFromQt();

// Wakes the owner of `q` wherever it waits: its condition variable, or Qt's
// event loop (with a call that serves sent messages from any nested loop;
// one such call on its way serves every message sent before it runs).
void wake(ThreadQueue& q, bool sentMessage) {
    q.cv.notify_all();
    if (!q.qt) return;
    if (QCoreApplication* app = QCoreApplication::instance()) {
        if (sentMessage) {
            if (!q.wakePosted.exchange(true))
                QMetaObject::invokeMethod(app, &serveSentFromQt, Qt::QueuedConnection);
        } else if (auto* d = QAbstractEventDispatcher::instance(app->thread())) {
            d->wakeUp();
        }
    }
}

// Spins until `ready` holds or `limit` has passed, yielding now and then so
// that on a busy machine the thread being waited for gets to run.
template <typename Ready> bool watchFor(Ready ready, Clock::duration limit) {
    const auto until = Clock::now() + limit;
    for (unsigned i = 1;; ++i) {
        if (ready()) return true;
        if ((i & 63) == 0) {
            if (Clock::now() >= until) return false;
            std::this_thread::yield();
        } else {
#if defined(__x86_64__) || defined(__i386__)
            __builtin_ia32_pause();
#endif
        }
    }
}

bool matches(const MSG& m, HWND filter, UINT min, UINT max) {
    if (filter && m.hwnd != filter) {
        // A window filter takes the window's children too.
        Window* w = findWindow(m.hwnd);
        bool child = false;
        while (w && !w->isTopLevel()) {
            if (w->parent == filter) {
                child = true;
                break;
            }
            w = findWindow(w->parent);
        }
        if (!child) return false;
    }
    if (min == 0 && max == 0) return true;
    return m.message >= min && m.message <= max;
}

LRESULT callProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* w = findWindow(hwnd);
    if (!w || !w->proc) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return w->proc(hwnd, message, wParam, lParam);
}

bool ownerOf(HWND hwnd, std::thread::id* id) {
    Window* w = findWindow(hwnd);
    if (!w) return false;
    *id = w->thread;
    return true;
}

} // namespace

namespace {

// Serves the sent messages waiting for this thread. With `watch`, after a
// reply it keeps watching for the next send while sends have been following
// replies closely, for at most one serving slice.
void serveSent(bool watch) {
    ThreadQueue& q = currentQueue();
    const auto sliceEnd = Clock::now() + kServeSlice;
    while (true) {
        SentMessage* sm = nullptr;
        {
            std::unique_lock<std::mutex> lock(q.mutex);
            if (q.sent.empty() && watch && q.closeSends >= kStreamAfter &&
                Clock::now() < sliceEnd) {
                q.watching = true;
                lock.unlock();
                bool seen =
                    watchFor([&] { return q.sentWaiting.load(std::memory_order_acquire) > 0; },
                             kWatchNextSend);
                lock.lock();
                q.watching = false;
                if (!seen && q.sent.empty()) q.closeSends = 0;
            }
            if (q.sent.empty()) return;
            sm = q.sent.front();
            q.sent.pop_front();
            q.sentWaiting.store(q.sent.size(), std::memory_order_release);
        }
        bool close =
            q.lastReply != Clock::time_point{} && sm->queuedAt - q.lastReply < kWatchNextSend;
        q.closeSends = close ? q.closeSends + 1 : 0;
        ++q.handlingSent;
        LRESULT result = callProc(sm->hwnd, sm->message, sm->wParam, sm->lParam);
        --q.handlingSent;
        ThreadQueue* sender = sm->sender;
        {
            std::lock_guard<std::mutex> lock(sender->mutex);
            sm->result = result;
            sm->done.store(true, std::memory_order_release);
            sender->cv.notify_all();
        }
        q.lastReply = Clock::now();
    }
}

// Runs from Qt's event loop, posted by a sender.
void serveSentFromQt() {
    currentQueue().wakePosted.store(false);
    serveSent(true);
}

} // namespace

void processSentMessages() {
    serveSent(false);
}

void forgetWindowMessages(HWND hwnd) {
    std::vector<std::shared_ptr<ThreadQueue>> queues;
    {
        std::lock_guard<std::mutex> lock(g_queuesMutex);
        for (auto& [id, q] : g_queues)
            queues.push_back(q);
    }
    for (auto& q : queues) {
        std::vector<SentMessage*> orphans;
        {
            std::lock_guard<std::mutex> lock(q->mutex);
            auto& s = q->sent;
            for (auto it = s.begin(); it != s.end();) {
                if ((*it)->hwnd == hwnd) {
                    orphans.push_back(*it);
                    it = s.erase(it);
                    q->sentWaiting.store(s.size(), std::memory_order_release);
                } else {
                    ++it;
                }
            }
            auto& p = q->posted;
            p.erase(
                std::remove_if(p.begin(), p.end(), [&](const MSG& m) { return m.hwnd == hwnd; }),
                p.end());
        }
        for (SentMessage* sm : orphans) {
            std::lock_guard<std::mutex> lock(sm->sender->mutex);
            sm->result = 0;
            sm->done.store(true, std::memory_order_release);
            sm->sender->cv.notify_all();
        }
    }
    ThreadQueue& own = currentQueue();
    auto& t = own.timers;
    t.erase(std::remove_if(t.begin(), t.end(), [&](const Timer& x) { return x.hwnd == hwnd; }),
            t.end());
}

bool nextMessage(MSG* msg, HWND filter, UINT min, UINT max, bool remove, bool wait) {
    ThreadQueue& q = currentQueue();
    bool pumped = false;
    while (true) {
        processSentMessages();
        {
            std::unique_lock<std::mutex> lock(q.mutex);
            auto it = std::find_if(q.posted.begin(), q.posted.end(),
                                   [&](const MSG& m) { return matches(m, filter, min, max); });
            if (it != q.posted.end()) {
                *msg = *it;
                if (remove) q.posted.erase(it);
                lock.unlock();
                noteRetrieved(*msg);
                return true;
            }
            if (q.quit && (min == 0 && max == 0)) {
                *msg = MSG{};
                msg->message = WM_QUIT;
                msg->wParam = static_cast<WPARAM>(q.quitCode);
                if (remove) q.quit = false;
                return true;
            }
        }
        // Timers, only when nothing else waits.
        auto now = Clock::now();
        Clock::time_point nextDue = Clock::time_point::max();
        for (Timer& t : q.timers) {
            if (filter && t.hwnd != filter) continue;
            if (t.due <= now && (min == 0 || (WM_TIMER >= min && WM_TIMER <= max))) {
                *msg = MSG{};
                msg->hwnd = t.hwnd;
                msg->message = WM_TIMER;
                msg->wParam = t.id;
                msg->lParam = reinterpret_cast<LPARAM>(t.proc);
                msg->time = static_cast<DWORD>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch())
                        .count());
                if (remove) t.due = now + std::chrono::milliseconds(t.elapse);
                return true;
            }
            nextDue = std::min(nextDue, t.due);
        }
        if (!wait) {
            if (pumped || !q.qt) return false;
            // Let Qt deliver pending input and paints once, then look again.
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            pumped = true;
            continue;
        }
        if (q.qt) {
            static QTimer* waker = nullptr;
            if (nextDue != Clock::time_point::max()) {
                if (!waker) {
                    waker = new QTimer(QCoreApplication::instance());
                    waker->setSingleShot(true);
                    QObject::connect(waker, &QTimer::timeout, [] {});
                }
                auto ms =
                    std::chrono::duration_cast<std::chrono::milliseconds>(nextDue - now).count();
                waker->start(static_cast<int>(std::max<long long>(ms, 0) + 1));
            }
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        } else {
            std::unique_lock<std::mutex> lock(q.mutex);
            auto ready = [&] { return !q.sent.empty() || !q.posted.empty() || q.quit; };
            if (nextDue == Clock::time_point::max())
                q.cv.wait(lock, ready);
            else
                q.cv.wait_until(lock, nextDue, ready);
        }
    }
}

void postInput(const MSG& msg) {
    ThreadQueue& q = currentQueue();
    std::lock_guard<std::mutex> lock(q.mutex);
    q.posted.push_back(msg);
}

} // namespace winapi

using namespace winapi;

BOOL WINAPI GetMessageW(LPMSG msg, HWND hwnd, UINT min, UINT max) {
    if (!msg) return -1;
    nextMessage(msg, hwnd, min, max, true, true);
    return msg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL WINAPI PeekMessageW(LPMSG msg, HWND hwnd, UINT min, UINT max, UINT removeFlags) {
    if (!msg) return FALSE;
    return nextMessage(msg, hwnd, min, max, (removeFlags & PM_REMOVE) != 0, false);
}

BOOL WINAPI PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    std::thread::id owner = std::this_thread::get_id();
    if (hwnd && !ownerOf(hwnd, &owner)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    ThreadQueue& q = queueOf(owner);
    MSG m{};
    m.hwnd = hwnd;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = GetTickCount();
    {
        std::lock_guard<std::mutex> lock(q.mutex);
        q.posted.push_back(m);
    }
    if (owner != std::this_thread::get_id()) wake(q, false);
    return TRUE;
}

LRESULT WINAPI SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    std::thread::id owner;
    if (!ownerOf(hwnd, &owner)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (owner == std::this_thread::get_id()) return callProc(hwnd, message, wParam, lParam);

    ThreadQueue& self = currentQueue();
    ThreadQueue& target = queueOf(owner);
    SentMessage sm{hwnd, message, wParam, lParam, 0, false, &self, Clock::now()};
    bool targetWatching;
    {
        std::lock_guard<std::mutex> lock(target.mutex);
        target.sent.push_back(&sm);
        target.sentWaiting.store(target.sent.size(), std::memory_order_release);
        targetWatching = target.watching;
    }
    // A watching owner looks at its queue again before it sleeps: no wake.
    if (!targetWatching) wake(target, true);
    // Its reply then usually comes within microseconds: watch for it too.
    if (targetWatching)
        watchFor([&] { return sm.done.load(std::memory_order_acquire); }, kWatchReply);
    // Wait for the reply; meanwhile serve messages sent to this thread.
    while (true) {
        {
            std::unique_lock<std::mutex> lock(self.mutex);
            self.cv.wait(lock, [&] { return sm.done || !self.sent.empty(); });
            if (sm.done) return sm.result;
        }
        processSentMessages();
    }
}

BOOL WINAPI InSendMessage(void) {
    return currentQueue().handlingSent > 0;
}

void WINAPI PostQuitMessage(int code) {
    ThreadQueue& q = currentQueue();
    std::lock_guard<std::mutex> lock(q.mutex);
    q.quit = true;
    q.quitCode = code;
}

LRESULT WINAPI DispatchMessageW(const MSG* msg) {
    if (!msg || !msg->hwnd) return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
        proc(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
        return 0;
    }
    DispatchScope scope(*msg);
    return callProc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT WINAPI CallWindowProcW(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam,
                               LPARAM lParam) {
    return proc ? proc(hwnd, message, wParam, lParam) : 0;
}

UINT_PTR WINAPI SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
    if (hwnd) {
        Window* w = findWindow(hwnd);
        if (!w || w->thread != std::this_thread::get_id()) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
    }
    elapse = std::clamp<UINT>(elapse, 10u, 0x7FFFFFFFu);
    ThreadQueue& q = currentQueue();
    auto due = Clock::now() + std::chrono::milliseconds(elapse);
    for (Timer& t : q.timers) {
        if (t.hwnd == hwnd && t.id == id) {
            t.elapse = elapse;
            t.proc = proc;
            t.due = due;
            return hwnd ? 1 : id;
        }
    }
    if (!hwnd) {
        static UINT_PTR nextId = 0x7F00;
        id = nextId++;
    }
    q.timers.push_back(Timer{hwnd, id, elapse, proc, due});
    return hwnd ? 1 : id;
}

BOOL WINAPI KillTimer(HWND hwnd, UINT_PTR id) {
    ThreadQueue& q = currentQueue();
    auto& t = q.timers;
    auto it = std::find_if(t.begin(), t.end(),
                           [&](const Timer& x) { return x.hwnd == hwnd && x.id == id; });
    if (it == t.end()) {
        SetLastError(1402); // ERROR_INVALID_TIMER_HANDLE... as Windows reports
        return FALSE;
    }
    t.erase(it);
    // A WM_TIMER already queued is not separate here: timers are produced on
    // retrieval, so none arrives after KillTimer.
    return TRUE;
}
