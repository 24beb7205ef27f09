// Dilution of precision from the geometry of the satellites used in a fix.
#pragma once

#include <vector>

namespace sim {

struct Dop {
    bool valid = false; // false with fewer than four satellites or a degenerate geometry
    double pdop = 0, hdop = 0, vdop = 0;
};

struct AzEl {
    double azimuthDeg;
    double elevationDeg;
};

// Least-squares geometry with one receiver clock: rows (-e, -n, -u, 1) of the
// unit lines of sight, DOPs from the diagonal of (G^T G)^-1.
Dop computeDop(const std::vector<AzEl>& used);

} // namespace sim
