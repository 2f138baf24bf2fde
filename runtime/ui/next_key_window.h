#pragma once
// Which window becomes key when the key window closes: the window that was key when the closing
// one opened, if it is still open and visible. The windows are those of the window table in its
// enumeration order, identified by their native windows, which this code only compares.

#include <span>

namespace rt {

struct KeyWindowCandidate {
    const void* window;
    bool visible;
};

// Walks the windows up to the previous key window: that window when it is visible; when it is
// hidden, the first visible window met before it; when it is not open any more, the first visible
// window of all. The closing window is never chosen. Null when there is no previous key window or
// nothing qualifies. Ask only when the closing window is the key window.
const void* choose_next_key_window(std::span<const KeyWindowCandidate> windows, const void* closing,
                                   const void* previous_key);

} // namespace rt
