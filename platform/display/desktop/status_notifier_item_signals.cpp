#include "platform/display/desktop/status_notifier_item_signals.h"

bool rereads_whole_item(const PanelHost& host) {
    return host.kind == PanelHostKind::xfce;
}

ItemSignals change_signals(ItemChange change, const PanelHost& host) {
    if (rereads_whole_item(host) && change.picture) return ItemSignals{.new_icon = true};
    return ItemSignals{.new_icon = change.picture, .new_tool_tip = change.tool_tip};
}
