#include "NmeaWriter.h"

#include <cmath>
#include <cstdio>

namespace sim {

namespace {

std::string fmt(const char* f, double v) {
    char b[64];
    std::snprintf(b, sizeof b, f, v);
    return b;
}

std::string fmtInt(const char* f, long long v) {
    char b[64];
    std::snprintf(b, sizeof b, f, v);
    return b;
}

// v with leading zeros to at least `width` digits (v >= 0).
std::string padded(long long v, int width) {
    std::string s = std::to_string(v);
    if (static_cast<int>(s.size()) < width)
        s.insert(0, static_cast<size_t>(width - static_cast<int>(s.size())), '0');
    return s;
}

// Civil date from days since 1970-01-01 (proleptic Gregorian).
void civilFromDays(long long z, int* y, int* m, int* d) {
    z += 719468;
    long long era = (z >= 0 ? z : z - 146096) / 146097;
    long long doe = z - era * 146097;
    long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long long mp = (5 * doy + 2) / 153;
    *d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    *m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    *y = static_cast<int>(yoe + era * 400 + (*m <= 2 ? 1 : 0));
}

// Degrees as whole degrees and minutes with the given decimals, rounded once
// so that 59.99999 minutes never prints as 60.
std::string degMin(double deg, int degDigits, int decimals) {
    double scale = std::pow(10.0, decimals);
    long long units = std::llround(std::fabs(deg) * 60.0 * scale); // in 10^-decimals minutes
    long long perDeg = static_cast<long long>(60 * scale);
    long long d = units / perDeg;
    long long rest = units % perDeg;
    long long whole = static_cast<long long>(scale);
    return padded(d, degDigits) + padded(rest / whole, 2) + "." + padded(rest % whole, decimals);
}

const char* gsvTalker(Gnss g) {
    switch (g) {
    case Gnss::Gps:
        return "GP";
    case Gnss::Glonass:
        return "GL";
    case Gnss::Galileo:
        return "GA";
    case Gnss::Beidou:
        return "GB";
    }
    return "GP";
}

// NMEA 4.10 signal id of the signal reported in GSV: L1 C/A, G1, E1 (7), B1I.
int signalId(Gnss g) {
    return g == Gnss::Galileo ? 7 : 1;
}

} // namespace

unsigned char nmeaChecksum(std::string_view body) {
    unsigned char x = 0;
    for (char c : body)
        x ^= static_cast<unsigned char>(c);
    return x;
}

std::string nmeaSentence(std::string_view body) {
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", nmeaChecksum(body));
    std::string s;
    s.reserve(body.size() + 6);
    s += '$';
    s += body;
    s += tail;
    return s;
}

bool nmeaChecksumOk(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    if (line.size() < 4 || line[0] != '$' || line[line.size() - 3] != '*') return false;
    auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    int hi = hex(line[line.size() - 2]), lo = hex(line[line.size() - 1]);
    if (hi < 0 || lo < 0) return false;
    return nmeaChecksum(line.substr(1, line.size() - 4)) == hi * 16 + lo;
}

std::string nmeaTime(double unixTime, int decimals) {
    long long scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    long long units = std::llround(unixTime * static_cast<double>(scale));
    long long day = 86400LL * scale;
    long long inDay = ((units % day) + day) % day;
    long long secs = inDay / scale, frac = inDay % scale;
    std::string t = padded(secs / 3600, 2) + padded(secs / 60 % 60, 2) + padded(secs % 60, 2);
    if (decimals > 0) t += "." + padded(frac, decimals);
    return t;
}

std::string nmeaDate(double unixTime) {
    long long days = static_cast<long long>(std::floor((unixTime + 0.0005) / 86400.0));
    int y, m, d;
    civilFromDays(days, &y, &m, &d);
    char b[16];
    std::snprintf(b, sizeof b, "%02d%02d%02d", d, m, y % 100);
    return b;
}

std::string nmeaLatitude(double deg, int decimals, char* hemisphere) {
    *hemisphere = deg < 0 ? 'S' : 'N';
    return degMin(deg, 2, decimals);
}

std::string nmeaLongitude(double deg, int decimals, char* hemisphere) {
    *hemisphere = deg < 0 ? 'W' : 'E';
    return degMin(deg, 3, decimals);
}

int NmeaWriter::reportedPrn(const SatReport& s) const {
    if (s.system == Gnss::Beidou && cfg_.beidouLegacyPrn) return s.prn + 200;
    return s.prn;
}

std::vector<std::string> NmeaWriter::cycle(const CycleReport& r) const {
    std::vector<std::string> out;
    auto on = [&](Output o) { return cfg_.enabled[static_cast<int>(o)]; };
    auto add = [&](std::vector<std::string> v) {
        for (auto& s : v)
            out.push_back(std::move(s));
    };
    if (cfg_.style == Style::Gps) {
        // A GPS-only module: GGA, GSA, GSV, RMC, VTG, GLL.
        if (on(Output::Gga)) out.push_back(gga(r));
        if (on(Output::Gsa)) add(gsa(r));
        if (on(Output::Gsv) && r.withGsv) add(gsv(r));
        if (on(Output::Rmc)) out.push_back(rmc(r));
        if (on(Output::Vtg)) out.push_back(vtg(r));
        if (on(Output::Gll)) out.push_back(gll(r));
    } else {
        // A multi-GNSS module starts its cycle with RMC.
        if (on(Output::Rmc)) out.push_back(rmc(r));
        if (on(Output::Vtg)) out.push_back(vtg(r));
        if (on(Output::Gga)) out.push_back(gga(r));
        if (on(Output::Gsa)) add(gsa(r));
        if (on(Output::Gsv) && r.withGsv) add(gsv(r));
        if (on(Output::Gll)) out.push_back(gll(r));
    }
    return out;
}

// $GPRMC,081530.000,A,4807.0380,N,01131.5678,E,54.90,123.40,150623,,,A*xx
std::string NmeaWriter::rmc(const CycleReport& r) const {
    std::string b = talker() + "RMC," + nmeaTime(r.unixTime, cfg_.timeDecimals) + ",";
    if (r.fix) {
        char ns, ew;
        std::string lat = nmeaLatitude(r.position.latDeg, latDecimals(), &ns);
        std::string lon = nmeaLongitude(r.position.lonDeg, latDecimals(), &ew);
        b += "A," + lat + "," + ns + "," + lon + "," + ew + ",";
        b += fmt("%.2f", r.speedMs * 3600.0 / 1852.0) + "," + fmt("%.2f", r.courseDeg) + ",";
        b += nmeaDate(r.unixTime) + ",,,A";
    } else {
        b += "V,,,,,0.00,0.00," + nmeaDate(r.unixTime) + ",,,N";
    }
    if (cfg_.nmea41) b += ",V";
    return nmeaSentence(b);
}

// $GPGGA,081530.000,4807.0380,N,01131.5678,E,1,08,0.95,519.8,M,47.0,M,,*xx
std::string NmeaWriter::gga(const CycleReport& r) const {
    std::string b = talker() + "GGA," + nmeaTime(r.unixTime, cfg_.timeDecimals) + ",";
    if (r.fix) {
        char ns, ew;
        std::string lat = nmeaLatitude(r.position.latDeg, latDecimals(), &ns);
        std::string lon = nmeaLongitude(r.position.lonDeg, latDecimals(), &ew);
        b += lat + "," + ns + "," + lon + "," + ew + ",1,";
        b += fmtInt("%02lld", r.usedCount) + "," + fmt("%.2f", r.dop.hdop) + ",";
        b += fmt("%.1f", r.position.altM) + ",M,47.0,M,,";
    } else {
        b += ",,,,0," + fmtInt("%02lld", r.usedCount) + ",,,M,,M,,";
    }
    return nmeaSentence(b);
}

// $GPGLL,4807.0380,N,01131.5678,E,081530.000,A,A*xx
std::string NmeaWriter::gll(const CycleReport& r) const {
    std::string b = talker() + "GLL,";
    if (r.fix) {
        char ns, ew;
        std::string lat = nmeaLatitude(r.position.latDeg, latDecimals(), &ns);
        std::string lon = nmeaLongitude(r.position.lonDeg, latDecimals(), &ew);
        b += lat + "," + ns + "," + lon + "," + ew + "," + nmeaTime(r.unixTime, cfg_.timeDecimals) +
             ",A,A";
    } else {
        b += ",,,," + nmeaTime(r.unixTime, cfg_.timeDecimals) + ",V,N";
    }
    return nmeaSentence(b);
}

// $GPVTG,123.40,T,,M,54.90,N,101.67,K,A*xx
std::string NmeaWriter::vtg(const CycleReport& r) const {
    std::string b = talker() + "VTG,";
    if (r.fix)
        b += fmt("%.2f", r.courseDeg) + ",T,,M," + fmt("%.2f", r.speedMs * 3600.0 / 1852.0) +
             ",N," + fmt("%.2f", r.speedMs * 3.6) + ",K,A";
    else
        b += ",T,,M,,N,,K,N";
    return nmeaSentence(b);
}

// $GPGSA,A,3,04,05,,09,12,,,24,,,,,2.50,1.30,2.10*xx (12 places; 4.10 adds the
// system id)
std::string NmeaWriter::gsaFor(const CycleReport& r, const std::vector<int>& prns,
                               int sysId) const {
    std::string b = talker() + "GSA,A," + (r.fix ? "3" : "1");
    for (int i = 0; i < 12; ++i) {
        b += ',';
        if (i < static_cast<int>(prns.size())) b += fmtInt("%02lld", prns[i]);
    }
    if (r.fix && r.dop.valid)
        b += "," + fmt("%.2f", r.dop.pdop) + "," + fmt("%.2f", r.dop.hdop) + "," +
             fmt("%.2f", r.dop.vdop);
    else
        b += ",,,";
    if (cfg_.nmea41) b += "," + std::to_string(sysId);
    return nmeaSentence(b);
}

std::vector<std::string> NmeaWriter::gsa(const CycleReport& r) const {
    std::vector<std::string> out;
    auto usedOf = [&](Gnss g, bool any) {
        std::vector<int> prns;
        for (const SatReport& s : r.sats)
            if (s.used && (any || s.system == g) && prns.size() < 12)
                prns.push_back(reportedPrn(s));
        return prns;
    };
    if (cfg_.style == Style::Gps) {
        out.push_back(gsaFor(r, usedOf(Gnss::Gps, true), 1));
    } else {
        // One GSA per constellation, as multi-GNSS receivers send them.
        for (int g = 0; g < kGnssCount; ++g)
            out.push_back(gsaFor(r, usedOf(static_cast<Gnss>(g), false), g + 1));
    }
    return out;
}

// $GPGSV,3,1,11,01,45,123,40,07,12,310,,...  four satellites per message.
std::vector<std::string>
NmeaWriter::gsvGroup(const char* t, const std::vector<const SatReport*>& sats, int sigId) const {
    std::vector<std::string> out;
    int total = static_cast<int>(sats.size());
    int messages = total == 0 ? 1 : (total + 3) / 4;
    for (int m = 0; m < messages; ++m) {
        std::string b = std::string(t) + "GSV," + std::to_string(messages) + "," +
                        std::to_string(m + 1) + "," + fmtInt("%02lld", total);
        for (int k = m * 4; k < total && k < m * 4 + 4; ++k) {
            const SatReport& s = *sats[k];
            b += "," + fmtInt("%02lld", reportedPrn(s)) + ",";
            if (s.positionKnown)
                b += fmtInt("%02lld", s.elevation) + "," + fmtInt("%03lld", s.azimuth);
            else
                b += ",";
            b += ",";
            if (s.snr >= 0) b += fmtInt("%02lld", s.snr);
        }
        if (cfg_.nmea41) b += "," + std::to_string(sigId);
        out.push_back(nmeaSentence(b));
    }
    return out;
}

std::vector<std::string> NmeaWriter::gsv(const CycleReport& r) const {
    std::vector<std::string> out;
    int systems = cfg_.style == Style::Gps ? 1 : kGnssCount;
    for (int g = 0; g < systems; ++g) {
        Gnss sys = static_cast<Gnss>(g);
        std::vector<const SatReport*> group;
        for (const SatReport& s : r.sats)
            if (s.system == sys) group.push_back(&s);
        for (auto& line : gsvGroup(gsvTalker(sys), group, signalId(sys)))
            out.push_back(std::move(line));
    }
    return out;
}

} // namespace sim
