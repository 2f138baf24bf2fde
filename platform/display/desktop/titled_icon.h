#pragma once
// The status item's picture drawn the way the panel shows it: the battery as tall as the panel's
// own icons, with the figures of the title drawn into the picture for panels that draw no label.
// A panel that keeps a wide picture wide gets the title beside the battery; one that squeezes
// every picture into a square gets the battery across the square with the charge written inside
// it. A template picture takes the panel's tint; with `outlined`, a thin edge of the opposite
// shade keeps it legible on a bar of either shade, for panels whose colour cannot be known.

#include "platform/display/desktop/panel_tint.h"
#include "platform/display/desktop/status_pixmap.h"
#include "platform/display/display_snapshots.h"

#include <optional>
#include <string>
#include <string_view>

enum class IconShape : uint8_t { wide, square };

struct TitledIconRequest {
    int height = 16; // in pixels: the panel's icon size times its scale
    IconShape shape = IconShape::wide;
    std::string title = {};             // drawn into the picture; empty for the battery alone
    std::optional<PanelTint> tint = {}; // present for a template picture
    bool outlined = false;
    std::string font_family = "Sans";
};

// Empty for a picture without pixels or a height below 8 pixels.
StatusPixmap draw_titled_icon(const ImagePixels& picture, const TitledIconRequest& request);

// The charge in a title, "78" of "78% • 03:27 left"; empty when the title shows none (a health
// such as "93.4% health" is no charge).
std::string charge_in_title(std::string_view title);
