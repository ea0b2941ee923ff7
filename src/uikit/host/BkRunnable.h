// Pieces of code handed from one thread to a window's thread: the reference-counted runnable, the context that
// runs them (implemented by CBkWndMsgFunction), a ready-made reference count and the member-function runnable.
//
// Ownership: a runnable starts with one reference, owned by whoever created it. Send and Post take references of
// their own for as long as they need the runnable; the creator still releases its own one (BkRefPtr does that).
//
// Threads: IRunnable::AddRef/Release may be called from any thread; Run is called on the window's thread only.
// IBkRunnableContext may be called from any thread.
#pragma once

#include <windows.h>

#include <utility>

namespace BkWin {

// True when at least waitMs have passed from since to now, two GetTickCount readings. Unsigned arithmetic keeps it
// right across the 49.7-day wrap of the tick count.
inline bool BkTickElapsed(DWORD now, DWORD since, DWORD waitMs) { return static_cast<DWORD>(now - since) >= waitMs; }

struct IRunnable {
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
    virtual void Run() = 0;

protected:
    ~IRunnable() = default;
};

struct IBkRunnableContext {
    // Runs the runnable on the window's thread and waits for it (directly when called on that thread). False when
    // the window no longer exists or the call did not run.
    virtual bool Send(IRunnable* runnable) = 0;
    // Queues the runnable to run on the window's thread no earlier than delayMs from now. Returns the call's id
    // (never 0), or 0 when the window no longer exists or the runnable is null.
    virtual UINT Post(IRunnable* runnable, DWORD delayMs) = 0;
    // Removes the queued call with that id; a call already taken for running still runs.
    virtual void Cancel(UINT id) = 0;
    // Removes every queued call posted with that key. Key 0 means "no key" and removes nothing.
    virtual void CancelByKey(UINT_PTR key) = 0;
    // Post with a key for CancelByKey. The key is any non-zero value the caller chooses; by convention the address
    // of the object the call works on, so that object can drop all its calls when it goes away.
    virtual UINT Post(IRunnable* runnable, DWORD delayMs, UINT_PTR key) = 0;

protected:
    ~IBkRunnableContext() = default;
};

// Interlocked reference counting for an interface with AddRef/Release; the object deletes itself at zero. It starts
// with one reference, owned by its creator.
template <typename Base>
class BkRefImpl : public Base {
public:
    BkRefImpl() = default;
    BkRefImpl(const BkRefImpl&) = delete;
    BkRefImpl& operator=(const BkRefImpl&) = delete;
    virtual ~BkRefImpl() = default;

    ULONG AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_refs)); }
    ULONG Release() override {
        const LONG left = InterlockedDecrement(&m_refs);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

private:
    volatile LONG m_refs = 1;
};

// Holds one reference to a reference-counted object. Constructed from a raw pointer it adopts the reference the
// pointer carries (the creator's one); Copy() makes a new reference.
template <typename T>
class BkRefPtr {
public:
    BkRefPtr() = default;
    explicit BkRefPtr(T* adopt) : m_p(adopt) {}
    ~BkRefPtr() { Reset(); }
    BkRefPtr(const BkRefPtr& other) : m_p(other.m_p) {
        if (m_p) m_p->AddRef();
    }
    BkRefPtr(BkRefPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    BkRefPtr& operator=(BkRefPtr other) noexcept {
        std::swap(m_p, other.m_p);
        return *this;
    }

    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    void Reset() {
        if (T* p = std::exchange(m_p, nullptr)) p->Release();
    }

private:
    T* m_p = nullptr;
};

// Calls obj->method() when run. The object is not owned: the caller keeps it alive until the call has run or was
// cancelled (CancelByKey with the object's address, see PostClassFunc).
template <typename C>
class ClassFunc_0 : public BkRefImpl<IRunnable> {
public:
    using Method = void (C::*)();
    ClassFunc_0(C* obj, Method method) : m_obj(obj), m_method(method) {}
    void Run() override {
        if (m_obj && m_method) (m_obj->*m_method)();
    }

private:
    C* m_obj;  // not owned
    Method m_method;
};

template <typename C>
BkRefPtr<ClassFunc_0<C>> MakeClassFunc(C* obj, void (C::*method)()) {
    return BkRefPtr<ClassFunc_0<C>>(new ClassFunc_0<C>(obj, method));
}

// Posts obj->method() keyed with obj's address: `context.CancelByKey(reinterpret_cast<UINT_PTR>(obj))` in obj's
// destructor drops what is still queued. Returns the call id, or 0.
template <typename C>
UINT PostClassFunc(IBkRunnableContext& context, C* obj, void (C::*method)(), DWORD delayMs = 0) {
    auto call = MakeClassFunc(obj, method);
    return context.Post(call.Get(), delayMs, reinterpret_cast<UINT_PTR>(obj));
}

// Runs obj->method() on the context's window thread and waits for it.
template <typename C>
bool SendClassFunc(IBkRunnableContext& context, C* obj, void (C::*method)()) {
    auto call = MakeClassFunc(obj, method);
    return context.Send(call.Get());
}

}  // namespace BkWin
