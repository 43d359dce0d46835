// Fixed-capacity ring queue of item pointers: 100 slots allocated once,
// every operation under the queue's own lock, never blocking.
#pragma once

#include <mutex>

template <typename T>
class CQueueData
{
public:
    virtual ~CQueueData() = default;
    T data{};
    CQueueData* next = nullptr;
};

template <typename T>
class CQueue
{
public:
    static constexpr int kCapacity = 100;

    CQueue() = default;
    virtual ~CQueue()
    {
        if (!m_bInitialised) {
            return;
        }
        std::lock_guard lock(m_Lock);
        CQueueData<T>* pFirst = m_Head.next;
        CQueueData<T>* pSlot = pFirst;
        do {
            CQueueData<T>* pNext = pSlot->next;
            delete pSlot;
            pSlot = pNext;
        } while (pSlot != pFirst && pSlot != nullptr);
    }
    CQueue(const CQueue&) = delete;
    CQueue& operator=(const CQueue&) = delete;

    // The argument is ignored: the capacity is always 100.
    void Init(int /*nSize*/ = kCapacity)
    {
        std::lock_guard lock(m_Lock);
        if (m_bInitialised) {
            return;
        }
        m_bInitialised = true;
        m_nCapacity = kCapacity;
        m_nCount = 0;
        CQueueData<T>* pFirst = new CQueueData<T>;
        CQueueData<T>* pLast = pFirst;
        for (int i = 1; i < kCapacity; ++i) {
            pLast->next = new CQueueData<T>;
            pLast = pLast->next;
        }
        pLast->next = pFirst;
        m_Head.next = m_Read.next = m_Write.next = pFirst;
        m_Tail.next = pLast;
    }

    // False when the queue is full (or not initialised); the caller keeps the item.
    bool Put(T item)
    {
        std::lock_guard lock(m_Lock);
        if (!m_bInitialised || m_nCount + 1 > m_nCapacity) {
            return false;
        }
        ++m_nCount;
        CQueueData<T>* pSlot = m_Write.next;
        pSlot->data = item;
        m_Write.next = pSlot->next;
        return true;
    }

    // False when the queue is empty; otherwise the oldest item.
    bool Get(T& item)
    {
        std::lock_guard lock(m_Lock);
        if (m_nCount == 0) {
            return false;
        }
        --m_nCount;
        CQueueData<T>* pSlot = m_Read.next;
        m_Read.next = pSlot->next;
        item = pSlot->data;
        return true;
    }

    int Count() const
    {
        std::lock_guard lock(m_Lock);
        return m_nCount;
    }

    int Capacity() const { return kCapacity; }

    // Empties the queue without freeing the items.
    void Clear()
    {
        std::lock_guard lock(m_Lock);
        m_Read.next = m_Write.next = m_Head.next;
        m_nCount = 0;
    }

private:
    mutable std::mutex m_Lock;
    int m_nCapacity = kCapacity;
    int m_nCount = 0;
    bool m_bInitialised = false;
    CQueueData<T> m_Head;  // next: first slot of the ring
    CQueueData<T> m_Tail;  // next: last slot of the ring
    CQueueData<T> m_Read;  // next: slot to read next
    CQueueData<T> m_Write; // next: slot to write next
};
