#pragma once
// The signals that tell a panel what of the status item changed. Each names one part (NewIcon the
// picture, NewToolTip the tooltip), and a panel reads again the part a signal names; but Xfce's
// tray reads every property again (one GetAll) on any of them, so there one signal says it all,
// and a second would only have the panel read the whole item, pictures and all, once more.

#include "platform/display/desktop/panel_host.h"

struct ItemChange {
    bool picture = false;
    bool tool_tip = false;
};

struct ItemSignals {
    bool new_icon = false;
    bool new_tool_tip = false;
    bool operator==(const ItemSignals&) const = default;
};

// Whether the panel reads every property of the item again on any change signal.
bool rereads_whole_item(const PanelHost& host);

ItemSignals change_signals(ItemChange change, const PanelHost& host);
