#pragma once
// Waiting for input on a few descriptors at once, as poll() would, but with the set registered
// with the kernel once (epoll), not on every wait. poll() hooks into each descriptor's wait queue
// and out again at every call; after ten seconds asleep that is all cold, and with a terminal and
// two wake-up descriptors it costs a third more than the rest of the wait. A descriptor epoll
// cannot watch (a regular file, /dev/null: always readable to poll) puts the whole set on poll().

#include <array>
#include <cstdint>

class InputWatch {
  public:
    static constexpr std::size_t k_slots = 3;
    // The descriptors, by slot; -1 leaves a slot empty. None is owned.
    using Descriptors = std::array<int, k_slots>;

    InputWatch() = default;
    ~InputWatch();
    InputWatch(const InputWatch&) = delete;
    InputWatch& operator=(const InputWatch&) = delete;

    // Blocks until a descriptor of `watched` has input, an end or an error, until `timeout_ms`
    // passes (-1: no limit) or until a signal comes. Gives one bit per ready slot (1 << slot);
    // 0 for a timeout; -1 with errno set (EINTR for a signal). `watched` may differ from the last
    // call's: a changed set is registered afresh.
    int wait(const Descriptors& watched, int timeout_ms);

  private:
    void watch(const Descriptors& watched);
    int wait_with_poll(int timeout_ms) const;
    void close_epoll();

    Descriptors m_watched{-1, -1, -1}; // what m_epoll or poll() watches
    int m_epoll = -1;                  // -1: poll() watches the set
};
