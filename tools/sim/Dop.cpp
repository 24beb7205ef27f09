#include "Dop.h"

#include "Geo.h"

#include <cmath>

namespace sim {

Dop computeDop(const std::vector<AzEl>& used) {
    Dop d;
    if (used.size() < 4) return d;
    double m[4][8] = {};
    for (const AzEl& s : used) {
        double el = s.elevationDeg * kDeg, az = s.azimuthDeg * kDeg;
        double g[4] = {-std::cos(el) * std::sin(az), -std::cos(el) * std::cos(az), -std::sin(el),
                       1.0};
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                m[r][c] += g[r] * g[c];
    }
    for (int r = 0; r < 4; ++r)
        m[r][4 + r] = 1.0;
    // Gauss-Jordan with partial pivoting.
    for (int c = 0; c < 4; ++c) {
        int pivot = c;
        for (int r = c + 1; r < 4; ++r)
            if (std::fabs(m[r][c]) > std::fabs(m[pivot][c])) pivot = r;
        if (std::fabs(m[pivot][c]) < 1e-9) return d;
        if (pivot != c)
            for (int k = 0; k < 8; ++k)
                std::swap(m[c][k], m[pivot][k]);
        double inv = 1.0 / m[c][c];
        for (int k = 0; k < 8; ++k)
            m[c][k] *= inv;
        for (int r = 0; r < 4; ++r) {
            if (r == c) continue;
            double f = m[r][c];
            for (int k = 0; k < 8; ++k)
                m[r][k] -= f * m[c][k];
        }
    }
    double qe = m[0][4], qn = m[1][5], qu = m[2][6];
    if (qe < 0 || qn < 0 || qu < 0) return d;
    d.valid = true;
    d.hdop = std::sqrt(qe + qn);
    d.vdop = std::sqrt(qu);
    d.pdop = std::sqrt(qe + qn + qu);
    return d;
}

} // namespace sim
