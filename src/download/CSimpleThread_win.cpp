#include "download/CSimpleThread.h"

CSimpleThread::~CSimpleThread() {
    if (IsCurrentThread()) {
        Detach();  // the body is destroying its own holder: let the thread end by itself
        return;
    }
    Stop();
}

DWORD WINAPI CSimpleThread::ThreadProc(void* param) {
    // Copy what the thread needs: the body may destroy the holder before Execute returns.
    auto* self = static_cast<CSimpleThread*>(param);
    ISimpleThreatCallback* body = self->m_body;
    void* argument = self->m_argument;
    body->Execute(argument);
    return 0;
}

bool CSimpleThread::Start(ISimpleThreatCallback* body) {
    if (m_thread) {
        WaitForSingleObject(m_thread.Get(), INFINITE);
        m_thread.Reset();
        m_threadId = kNoThread;
    }
    m_body = body;
    m_argument = this;
    DWORD id = 0;
    // Suspended, so the id is stored before the body can ask IsCurrentThread.
    m_thread.Reset(CreateThread(nullptr, 0, &ThreadProc, this, CREATE_SUSPENDED, &id));
    if (!m_thread) return false;
    m_threadId = id;
    ResumeThread(m_thread.Get());
    return true;
}

void CSimpleThread::WaitFor(DWORD milliseconds) {
    if (m_thread && WaitForSingleObject(m_thread.Get(), milliseconds) == WAIT_OBJECT_0) {
        m_thread.Reset();
        m_threadId = kNoThread;
    }
}

void CSimpleThread::Terminate() {
    if (!m_thread) return;
    TerminateThread(m_thread.Get(), 1);
    m_thread.Reset();
    m_threadId = kNoThread;
}

void CSimpleThread::Stop() {
    WaitFor(0);
    Terminate();
}

void CSimpleThread::Detach() {
    m_thread.Reset();
    m_threadId = kNoThread;
}

bool CSimpleThread::IsRunning() const {
    return m_thread && WaitForSingleObject(m_thread.Get(), 0) == WAIT_TIMEOUT;
}
