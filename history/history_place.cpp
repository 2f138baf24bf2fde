#include "history/history_place.h"

std::optional<HistoryPlace> history_place(const char* xdg_data_home, const std::string& home,
                                          const std::string& program) {
    std::string base, folder;
    if (xdg_data_home && xdg_data_home[0] == '/') {
        base = xdg_data_home;
        folder = base + "/" + program;
    } else if (!home.empty()) {
        base = home;
        folder = home + "/.local/share/" + program;
    } else {
        return std::nullopt;
    }
    return HistoryPlace{base, folder, folder + "/history.sqlite3"};
}
