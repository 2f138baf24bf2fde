#include "runtime/ui/next_key_window.h"

namespace rt {

const void* choose_next_key_window(std::span<const KeyWindowCandidate> windows, const void* closing,
                                   const void* previous_key) {
    if (!previous_key) return nullptr;
    const void* first_visible = nullptr;
    for (const KeyWindowCandidate& candidate : windows) {
        if (candidate.window == closing) continue;
        if (candidate.window == previous_key)
            return candidate.visible ? candidate.window : first_visible;
        if (candidate.visible && !first_visible) first_visible = candidate.window;
    }
    return first_visible;
}

} // namespace rt
