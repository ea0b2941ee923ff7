// A critical section and its scope guard, for state shared between threads. Windows only.
#pragma once

#include <windows.h>

class CritSec {
public:
    CritSec() { InitializeCriticalSection(&m_section); }
    ~CritSec() { DeleteCriticalSection(&m_section); }
    CritSec(const CritSec&) = delete;
    CritSec& operator=(const CritSec&) = delete;

    void Enter() { EnterCriticalSection(&m_section); }
    void Leave() { LeaveCriticalSection(&m_section); }

private:
    CRITICAL_SECTION m_section;
};

class CritSecLock {
public:
    explicit CritSecLock(CritSec& section) : m_section(section) { m_section.Enter(); }
    ~CritSecLock() { m_section.Leave(); }
    CritSecLock(const CritSecLock&) = delete;
    CritSecLock& operator=(const CritSecLock&) = delete;

private:
    CritSec& m_section;
};
