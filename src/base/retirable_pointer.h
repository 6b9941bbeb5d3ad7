// A process-wide pointer that other threads may use only through a short
// Lease, and that its owner can retire: Retire clears it and then waits until
// every lease taken before the clear has ended, so the object can be destroyed
// safely afterwards. Used for g_mainDialog, whose reader and worker threads
// outlive the main window at the end of the process. Portable.
#pragma once
#include <atomic>
#include <chrono>
#include <thread>

template <typename T>
class RetirablePointer {
public:
    // Holds the object alive for the lease's lifetime; empty once retired.
    // Keep leases short: never across a modal box or a network exchange.
    class Lease {
    public:
        explicit Lease(RetirablePointer& owner)
            : m_users(&owner.m_users[owner.m_generation.load()])
        {
            m_users->fetch_add(1);
            m_value = owner.m_value.load();
        }
        ~Lease() { m_users->fetch_sub(1); }
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;

        T* Get() const { return m_value; }
        T* operator->() const { return m_value; }
        explicit operator bool() const { return m_value != nullptr; }

    private:
        std::atomic<int>* m_users;
        T* m_value;
    };

    void Publish(T* value) { m_value.store(value); }

    // The owner thread's own view, without a lease.
    T* Peek() const { return m_value.load(); }

    // Clears the pointer; returns true once no lease holds the old object, or
    // false when leases are still held after `timeout` (the caller must then
    // leave the object alive).
    bool Retire(std::chrono::milliseconds timeout)
    {
        // Leases count in the generation they started in. A lease that can
        // still hold the object started before the clear, hence in the old
        // generation; new leases count elsewhere, so they cannot keep the
        // wait going for ever.
        m_value.store(nullptr);
        int old = m_generation.load();
        m_generation.store(old ^ 1);
        auto deadline = std::chrono::steady_clock::now() + timeout;
        while (m_users[old].load() != 0) {
            if (std::chrono::steady_clock::now() >= deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }

private:
    std::atomic<T*> m_value{nullptr};
    std::atomic<int> m_generation{0};
    std::atomic<int> m_users[2] = {{0}, {0}};
};
