// Replays a recorded log: its lines, each with the moment it is due.
//
// At the original pace the RMC times set the clock: the lines from one RMC
// up to the next are spread evenly over the time between the two RMC times.
// Lines before the first and after the last RMC keep the spacing of their
// neighbouring interval. A log without two usable RMC times, or a fixed line
// rate, sends the lines at a constant rate.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

struct ReplayLine {
    std::string bytes; // as in the file, line end included
    double at;         // seconds after the start of the replay
};

// Cuts the file contents into lines at each LF (the last line may lack it).
std::vector<std::string> splitLogLines(std::string_view contents);

// Seconds of the day of an RMC line's time field, if it is one and has one.
std::optional<double> rmcSecondsOfDay(std::string_view line);

// lineRate > 0 forces that many lines per second.
std::vector<ReplayLine> scheduleReplay(std::vector<std::string> lines, double lineRate);

// Reads a whole file; false and an error text on failure.
bool readFile(const std::string& path, std::string* contents, std::string* error);

} // namespace sim
