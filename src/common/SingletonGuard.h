// Process-wide objects made on first use by whichever thread comes first.
//
// The first caller swaps the slot from 0 to a "being made" marker, builds the object and publishes its address;
// callers that see the marker yield until the address appears. Portable (std::atomic only).
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <thread>

// T must be default-constructible by this class (make it a friend when the constructor is private).
template <class T>
class ProcessSingleton {
public:
    enum class AtExit {
        Destroy,  // deleted by an atexit handler
        Keep,     // left alone: worker threads may still reach it while the process winds down
    };

    static T& Get(AtExit atExit = AtExit::Destroy) {
        std::uintptr_t current = s_slot.load(std::memory_order_acquire);
        if (current > kBeingMade) return *reinterpret_cast<T*>(current);

        std::uintptr_t expected = 0;
        if (s_slot.compare_exchange_strong(expected, kBeingMade, std::memory_order_acq_rel)) {
            T* made = new T();
            if (atExit == AtExit::Destroy) std::atexit(&Destroy);
            s_slot.store(reinterpret_cast<std::uintptr_t>(made), std::memory_order_release);
            return *made;
        }
        while ((current = s_slot.load(std::memory_order_acquire)) == kBeingMade) std::this_thread::yield();
        return *reinterpret_cast<T*>(current);
    }

    // The instance when it has been published, else null; never makes one.
    static T* Peek() {
        const std::uintptr_t current = s_slot.load(std::memory_order_acquire);
        return current > kBeingMade ? reinterpret_cast<T*>(current) : nullptr;
    }

private:
    static constexpr std::uintptr_t kBeingMade = 1;

    static void Destroy() { delete reinterpret_cast<T*>(s_slot.exchange(0, std::memory_order_acq_rel)); }

    static inline std::atomic<std::uintptr_t> s_slot{0};
};
