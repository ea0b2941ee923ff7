#include <algorithm>
#include <cstdint>
#include <vector>

#include "common/CritSec.h"
#include "uikit/host/CBkWndMsgFunction.h"

namespace BkWin {

namespace {

// One call waiting in the queue (heap, owned by the queue) or in flight through Send (on the sender's stack).
class PendingCall {
public:
    PendingCall(IRunnable* runnable, DWORD delayMs, UINT_PTR key) : m_runnable(runnable), m_delay(delayMs), m_key(key) {
        if (m_runnable) m_runnable->AddRef();
    }
    ~PendingCall() {
        if (m_runnable) m_runnable->Release();
    }
    PendingCall(const PendingCall&) = delete;
    PendingCall& operator=(const PendingCall&) = delete;

    void AddRef() { InterlockedIncrement(&m_refs); }
    void Release() {
        if (InterlockedDecrement(&m_refs) == 0) delete this;
    }

    bool IsDue(DWORD now) const { return BkTickElapsed(now, m_queued, m_delay); }

    void Run() {
        if (m_runnable) m_runnable->Run();
    }

    volatile LONG m_refs = 1;
    IRunnable* m_runnable;  // owned reference
    DWORD m_queued = 0;
    DWORD m_delay;
    UINT m_id = 0;
    bool m_cancelled = false;
    UINT_PTR m_key;
    uint64_t m_order = 0;  // posting order; unlike the id it never wraps
    bool m_ran = false;    // Send only
};

using CallList = std::vector<PendingCall*>;

void ReleaseAll(CallList& calls) {
    for (PendingCall* call : calls) call->Release();
    calls.clear();
}

}  // namespace

class BkRunnableQueue {
public:
    void AddRef() { InterlockedIncrement(&m_refs); }
    void Release() {
        if (InterlockedDecrement(&m_refs) == 0) delete this;
    }

    void Attach(HWND hwnd) {
        Detach();
        CritSecLock lock(m_lock);
        m_hwnd = hwnd;
    }

    void Detach() {
        CallList dropped;
        {
            CritSecLock lock(m_lock);
            if (m_timerRunning && m_hwnd) KillTimer(m_hwnd, CBkWndMsgFunction::kQueueTimerId);
            m_timerRunning = false;
            m_hwnd = nullptr;
            dropped.swap(m_calls);
            for (PendingCall* call : dropped) call->m_cancelled = true;
        }
        // Releasing a runnable may run arbitrary destructors: never under the lock.
        ReleaseAll(dropped);
    }

    bool Send(IRunnable* runnable) {
        if (!runnable) return false;
        PendingCall wrap(runnable, 0, 0);
        HWND hwnd;
        {
            CritSecLock lock(m_lock);
            hwnd = m_hwnd;
            if (!hwnd || !IsWindow(hwnd)) return false;
            m_sends.push_back(&wrap);
        }
        SendMessageW(hwnd, CBkWndMsgFunction::SendMessageId(), 0, reinterpret_cast<LPARAM>(&wrap));
        {
            CritSecLock lock(m_lock);
            m_sends.erase(std::remove(m_sends.begin(), m_sends.end(), &wrap), m_sends.end());
        }
        // SendMessageW answers 0 for a window that went away as well: only a call that ran counts.
        return wrap.m_ran;
    }

    LRESULT HandleSend(HWND hwnd, LPARAM lParam) {
        PendingCall* wrap = nullptr;
        {
            CritSecLock lock(m_lock);
            // Only wraps of our own Send are trusted; anyone can send a registered message with any lParam.
            auto it = std::find(m_sends.begin(), m_sends.end(), reinterpret_cast<PendingCall*>(lParam));
            if (m_hwnd && hwnd == m_hwnd && it != m_sends.end()) wrap = *it;
        }
        if (!wrap || !wrap->m_runnable) return 1;
        wrap->Run();
        wrap->m_ran = true;
        return 0;
    }

    UINT Post(IRunnable* runnable, DWORD delayMs, UINT_PTR key) {
        if (!runnable) return 0;
        auto* call = new PendingCall(runnable, delayMs, key);
        UINT id = 0;
        {
            CritSecLock lock(m_lock);
            if (m_hwnd && IsWindow(m_hwnd)) {
                id = m_nextId;
                m_nextId = m_nextId == UINT_MAX ? 1 : m_nextId + 1;
                call->m_id = id;
                call->m_order = m_nextOrder++;
                call->m_queued = GetTickCount();
                m_calls.push_back(call);
                if (PostMessageW(m_hwnd, CBkWndMsgFunction::PostMessageId(), 0, static_cast<LPARAM>(id))) {
                    call = nullptr;
                } else {
                    // A full message queue: report the failure instead of leaving a call nothing will wake.
                    m_calls.pop_back();
                    id = 0;
                }
            }
        }
        if (call) call->Release();
        return id;
    }

    void Cancel(UINT id) {
        RemoveIf([id](const PendingCall* call) { return call->m_id == id; });
    }

    void CancelByKey(UINT_PTR key) {
        if (key == 0) return;
        RemoveIf([key](const PendingCall* call) { return call->m_key == key; });
    }

    // Runs every call that is due, then arms or stops the polling timer. Calls posted while this runs have their
    // own message and wait for it, so a runnable that re-posts itself cannot keep the window's thread here forever.
    void Process(HWND hwnd) {
        uint64_t limit;
        {
            CritSecLock lock(m_lock);
            if (!m_hwnd || hwnd != m_hwnd) return;
            limit = m_nextOrder;
        }
        for (;;) {
            PendingCall* next = nullptr;
            CallList dropped;
            {
                CritSecLock lock(m_lock);
                if (!m_hwnd) break;
                const DWORD now = GetTickCount();
                for (auto it = m_calls.begin(); it != m_calls.end();) {
                    PendingCall* call = *it;
                    if (call->m_order >= limit) {
                        ++it;
                    } else if (call->m_cancelled) {
                        dropped.push_back(call);
                        it = m_calls.erase(it);
                    } else if (call->IsDue(now)) {
                        next = call;
                        m_calls.erase(it);
                        break;
                    } else {
                        ++it;
                    }
                }
            }
            ReleaseAll(dropped);
            if (!next) break;
            next->Run();
            next->Release();
        }
        CritSecLock lock(m_lock);
        if (!m_hwnd) return;
        if (!m_calls.empty()) {
            if (!m_timerRunning) {
                m_timerRunning =
                    SetTimer(m_hwnd, CBkWndMsgFunction::kQueueTimerId, CBkWndMsgFunction::kQueueTimerMs, nullptr) != 0;
            }
        } else if (m_timerRunning) {
            KillTimer(m_hwnd, CBkWndMsgFunction::kQueueTimerId);
            m_timerRunning = false;
        }
    }

    bool IsAttachedTo(HWND hwnd) {
        CritSecLock lock(m_lock);
        return m_hwnd && m_hwnd == hwnd;
    }

private:
    ~BkRunnableQueue() { Detach(); }

    template <typename Pred>
    void RemoveIf(Pred pred) {
        CallList removed;
        {
            CritSecLock lock(m_lock);
            for (auto it = m_calls.begin(); it != m_calls.end();) {
                if (pred(*it)) {
                    (*it)->m_cancelled = true;
                    removed.push_back(*it);
                    it = m_calls.erase(it);
                } else {
                    ++it;
                }
            }
        }
        ReleaseAll(removed);
    }

    volatile LONG m_refs = 1;
    CritSec m_lock;
    HWND m_hwnd = nullptr;
    UINT m_nextId = 1;
    uint64_t m_nextOrder = 1;
    CallList m_calls;                   // owned references, posting order
    std::vector<PendingCall*> m_sends;  // wraps of Send calls in flight, not owned
    bool m_timerRunning = false;
};

}  // namespace BkWin

CBkWndMsgFunction::CBkWndMsgFunction() : m_queue(new BkWin::BkRunnableQueue) {}

CBkWndMsgFunction::~CBkWndMsgFunction() {
    m_queue->Detach();
    m_queue->Release();
}

UINT CBkWndMsgFunction::SendMessageId() {
    static const UINT id = RegisterWindowMessageW(L"SEND_{D07BC72F-4EAE-4c53-921B-5B576AD6192E}");
    return id;
}

UINT CBkWndMsgFunction::PostMessageId() {
    static const UINT id = RegisterWindowMessageW(L"POST_{D07BC72F-4EAE-4c53-921B-5B576AD6192E}");
    return id;
}

void CBkWndMsgFunction::AttachRunnableWindow(HWND hwnd) { m_queue->Attach(hwnd); }

void CBkWndMsgFunction::DetachRunnableWindow() { m_queue->Detach(); }

bool CBkWndMsgFunction::ProcessRunnableMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const UINT sendId = SendMessageId();
    const UINT postId = PostMessageId();
    const bool isSend = sendId != 0 && msg == sendId;
    const bool isPost = postId != 0 && msg == postId;
    const bool isTimer = msg == WM_TIMER && wParam == kQueueTimerId;
    if (!isSend && !isPost && !isTimer) return false;
    if (isTimer && !m_queue->IsAttachedTo(hwnd)) return false;

    // A runnable may destroy the object that mixes this in: keep the queue alive on our own reference.
    BkWin::BkRunnableQueue* queue = m_queue;
    queue->AddRef();
    if (isSend) {
        result = queue->HandleSend(hwnd, lParam);
    } else {
        queue->Process(hwnd);
        result = 0;
    }
    queue->Release();
    return true;
}

bool CBkWndMsgFunction::Send(BkWin::IRunnable* runnable) { return m_queue->Send(runnable); }

UINT CBkWndMsgFunction::Post(BkWin::IRunnable* runnable, DWORD delayMs) { return m_queue->Post(runnable, delayMs, 0); }

UINT CBkWndMsgFunction::Post(BkWin::IRunnable* runnable, DWORD delayMs, UINT_PTR key) {
    return m_queue->Post(runnable, delayMs, key);
}

void CBkWndMsgFunction::Cancel(UINT id) { m_queue->Cancel(id); }

void CBkWndMsgFunction::CancelByKey(UINT_PTR key) { m_queue->CancelByKey(key); }
