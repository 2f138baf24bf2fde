#include "history/history_export.h"

#include "history/history_csv.h"
#include "history/history_place.h"
#include "platform/foundation/home_folder.h"
#include "platform/foundation/problem_report.h"
#include "platform/foundation/program_identity.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <system_error>
#include <unistd.h>

namespace {

bool write_file(const HistoryStore& store, const std::string& file) {
    const std::string partial = file + ".partial";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        write_history_csv(store, out);
        out.flush();
        if (out && std::rename(partial.c_str(), file.c_str()) == 0) return true;
    }
    const int error = errno;
    ::unlink(partial.c_str());
    say_problem({"cannot write ", file, ": ", std::generic_category().message(error)});
    return false;
}

} // namespace

int export_history(const std::string& file) {
    const std::optional<HistoryPlace> place = history_place(
        std::getenv("XDG_DATA_HOME"), home_folder(), main_program_identity().lower_name());
    if (!place || ::access(place->file.c_str(), F_OK) != 0) {
        say_problem({"no battery history yet", place ? " at " + place->file : std::string()});
        return 1;
    }
    HistoryStore::Opened opened = HistoryStore::open(place->file);
    if (!opened.store) {
        say_problem({opened.said});
        return 1;
    }
    if (!opened.said.empty()) say_problem({opened.said});
    if (file != "-") return write_file(*opened.store, file) ? 0 : 1;
    write_history_csv(*opened.store, std::cout);
    std::cout.flush();
    if (std::cout) return 0;
    say_problem({"cannot write to standard output"});
    return 1;
}
