#include "history/history_start.h"

#include "history/history_place.h"
#include "platform/foundation/home_folder.h"
#include "platform/foundation/kept_files.h"
#include "platform/foundation/problem_report.h"
#include "platform/foundation/program_identity.h"

#include <cstdlib>

namespace {

std::unique_ptr<HistoryStore> open_store() {
    const std::optional<HistoryPlace> place = history_place(
        std::getenv("XDG_DATA_HOME"), home_folder(), main_program_identity().lower_name());
    if (!place) {
        report_problem("no battery history: no home folder to keep it in");
        return nullptr;
    }
    std::string problem;
    if (!create_folders(place->base, place->folder, problem)) {
        report_problem("no battery history: " + problem);
        return nullptr;
    }
    HistoryStore::Opened opened = HistoryStore::open(place->file);
    if (!opened.said.empty()) report_problem(opened.said);
    return std::move(opened.store);
}

} // namespace

std::unique_ptr<HistoryRecorder> start_history() {
    return std::make_unique<HistoryRecorder>(open_store(), report_problem);
}
