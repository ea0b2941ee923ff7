#include "common/SingletonGuard.h"
#include "uikit/host/BkAppModule.h"

CBkAppModule& CBkAppModule::Instance() { return ProcessSingleton<CBkAppModule>::Get(); }

bool CBkAppModule::AddMessageLoop(CBkMessageLoop* loop) {
    if (!loop) return false;
    std::lock_guard<std::mutex> lock(m_lock);
    return m_loops.emplace(GetCurrentThreadId(), loop).second;
}

bool CBkAppModule::RemoveMessageLoop() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_loops.erase(GetCurrentThreadId()) != 0;
}

CBkMessageLoop* CBkAppModule::GetMessageLoop(DWORD threadId) const {
    std::lock_guard<std::mutex> lock(m_lock);
    const auto it = m_loops.find(threadId ? threadId : GetCurrentThreadId());
    return it == m_loops.end() ? nullptr : it->second;
}
