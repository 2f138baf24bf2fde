#include "platform/display/terminal/input_watch.h"

#include <poll.h>
#include <sys/epoll.h>
#include <unistd.h>

InputWatch::~InputWatch() {
    close_epoll();
}

void InputWatch::close_epoll() {
    if (m_epoll >= 0) ::close(m_epoll);
    m_epoll = -1;
}

// A new epoll set for each new set of descriptors, so nothing of the old one stays watched.
void InputWatch::watch(const Descriptors& watched) {
    close_epoll();
    m_watched = watched;
    m_epoll = ::epoll_create1(EPOLL_CLOEXEC);
    for (std::size_t slot = 0; slot < k_slots && m_epoll >= 0; ++slot) {
        if (watched[slot] < 0) continue;
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.u32 = static_cast<uint32_t>(slot);
        if (::epoll_ctl(m_epoll, EPOLL_CTL_ADD, watched[slot], &event) != 0) close_epoll();
    }
}

int InputWatch::wait(const Descriptors& watched, int timeout_ms) {
    if (watched != m_watched) watch(watched);
    if (m_epoll < 0) return wait_with_poll(timeout_ms);
    std::array<epoll_event, k_slots> events{};
    const int count = ::epoll_wait(m_epoll, events.data(), k_slots, timeout_ms);
    if (count < 0) return -1;
    int ready = 0;
    for (int i = 0; i < count; ++i)
        ready |= 1 << events[static_cast<std::size_t>(i)].data.u32;
    return ready;
}

int InputWatch::wait_with_poll(int timeout_ms) const {
    std::array<pollfd, k_slots> polled{};
    for (std::size_t slot = 0; slot < k_slots; ++slot)
        polled[slot] = pollfd{m_watched[slot], POLLIN, 0}; // poll() skips -1
    const int count = ::poll(polled.data(), polled.size(), timeout_ms);
    if (count <= 0) return count;
    int ready = 0;
    for (std::size_t slot = 0; slot < k_slots; ++slot) {
        if (polled[slot].revents != 0) ready |= 1 << slot;
    }
    return ready;
}
