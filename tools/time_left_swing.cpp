// How much the time to empty swings from one reading to the next, worked out from the power of
// the instant and from the averaged rate (platform/iokit/rate_average.h), on a recorded discharge.
//
//   time_left_swing LOG
//
// LOG has a line a reading: "unix time,status,full energy (µWh),energy now (µWh)", as a cron job
// reading /sys/class/power_supply/BAT0 writes it. Such a log holds no power: the power of the
// instant is the energy used since the reading before, which is how coarsely a battery's own
// figure follows the load. Readings more than 90 s apart, or not discharging, start again.

#include "platform/iokit/rate_average.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Line {
    double time = 0;
    std::string status;
    double energy = 0; // µWh
};

std::vector<Line> read_log(const char* path) {
    std::vector<Line> lines;
    std::ifstream in(path);
    for (std::string text; std::getline(in, text);) {
        std::istringstream fields(text);
        Line line;
        std::string time, full, energy;
        if (std::getline(fields, time, ',') && std::getline(fields, line.status, ',') &&
            std::getline(fields, full, ',') && std::getline(fields, energy, ',')) {
            line.time = std::stod(time);
            line.energy = std::stod(energy);
            lines.push_back(line);
        }
    }
    return lines;
}

struct Swings {
    std::vector<double> instant; // minutes between one estimate and the next
    std::vector<double> averaged;
};

double percentile(std::vector<double> values, double share) {
    if (values.empty()) return 0;
    std::ranges::sort(values);
    return values[static_cast<std::size_t>(share * static_cast<double>(values.size() - 1))];
}

void print_row(const char* name, const std::vector<double>& swings) {
    std::printf("%-9s %8.1f %8.1f %8.1f %8.1f\n", name, percentile(swings, 0.5),
                percentile(swings, 0.9), percentile(swings, 0.99), percentile(swings, 1.0));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: time_left_swing LOG\n");
        return 2;
    }
    const std::vector<Line> lines = read_log(argv[1]);
    Swings swings;
    RateAverage average;
    double last_instant = 0, last_averaged = 0;
    std::size_t estimates = 0;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const Line &before = lines[i - 1], &now = lines[i];
        const double dt = now.time - before.time;
        const double used = before.energy - now.energy;
        if (now.status != "Discharging" || before.status != "Discharging" || dt <= 0 || dt > 90 ||
            used <= 0) {
            average.add(now.time, std::nullopt, RateDirection::Discharging);
            last_instant = 0;
            continue;
        }
        const double power = used / dt * 3600; // µW
        const Figure smoothed =
            average.add(now.time, std::llround(power), RateDirection::Discharging);
        const double instant_minutes = now.energy / power * 60;
        const double averaged_minutes = now.energy / static_cast<double>(*smoothed) * 60;
        if (last_instant > 0) {
            swings.instant.push_back(std::fabs(instant_minutes - last_instant));
            swings.averaged.push_back(std::fabs(averaged_minutes - last_averaged));
        }
        last_instant = instant_minutes;
        last_averaged = averaged_minutes;
        ++estimates;
    }
    std::printf("%zu estimates; change of the time to empty from one reading to the next, "
                "in minutes (half-life %.0f s)\n",
                estimates, RateAverage::k_half_life);
    std::printf("%-9s %8s %8s %8s %8s\n", "", "median", "p90", "p99", "max");
    print_row("instant", swings.instant);
    print_row("averaged", swings.averaged);
    return 0;
}
