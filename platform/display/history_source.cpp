#include "platform/display/history_source.h"

#include <utility>

namespace {

HistorySource& installed_source() {
    static HistorySource source;
    return source;
}

} // namespace

void set_history_source(HistorySource source) {
    installed_source() = std::move(source);
}

std::shared_ptr<const HistoryCharts> current_history() {
    const HistorySource& source = installed_source();
    return source ? source() : nullptr;
}
