#pragma once
// The status item's picture as a StatusNotifierItem pixmap: ARGB32 in network byte order (bytes
// A, R, G, B per pixel), rows from the top. A template picture keeps only its alpha and takes the
// panel's tint.

#include "platform/display/desktop/panel_tint.h"
#include "platform/display/display_snapshots.h"

#include <cstdint>
#include <optional>
#include <vector>

struct StatusPixmap {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> argb;
    bool operator==(const StatusPixmap&) const = default;
};

// The picture at `scale` pixels per point: the exact pixels where the picture holds that many,
// each pixel repeated where it holds fewer, the mean of the pixels each one covers where it holds
// more. `tint` is applied when present (a template image). Empty for a picture without pixels or
// a scale below 1.
StatusPixmap make_status_pixmap(const ImagePixels& pixels, int scale,
                                std::optional<PanelTint> tint);
