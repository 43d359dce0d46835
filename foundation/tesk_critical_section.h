// Recursive lock object and its scoped guard.
#pragma once

#include <mutex>

class CTeskCriticalSection
{
public:
    CTeskCriticalSection() = default;
    virtual ~CTeskCriticalSection() = default;
    CTeskCriticalSection(const CTeskCriticalSection&) = delete;
    CTeskCriticalSection& operator=(const CTeskCriticalSection&) = delete;

    virtual void Lock() { m_Mutex.lock(); }
    virtual void Unlock() { m_Mutex.unlock(); }

private:
    std::recursive_mutex m_Mutex;
};

// Holds a section (which may be null) for the lifetime of a block.
class CTeskCriticalAutoRelease
{
public:
    explicit CTeskCriticalAutoRelease(CTeskCriticalSection* pSection) : m_pSection(pSection)
    {
        if (m_pSection != nullptr) {
            m_pSection->Lock();
            m_nEntered = 1;
        }
    }
    explicit CTeskCriticalAutoRelease(CTeskCriticalSection& section)
        : CTeskCriticalAutoRelease(&section)
    {
    }
    virtual ~CTeskCriticalAutoRelease()
    {
        for (; m_nEntered > 0; --m_nEntered) {
            m_pSection->Unlock();
        }
    }
    CTeskCriticalAutoRelease(const CTeskCriticalAutoRelease&) = delete;
    CTeskCriticalAutoRelease& operator=(const CTeskCriticalAutoRelease&) = delete;

private:
    CTeskCriticalSection* m_pSection;
    int m_nEntered = 0;
};
