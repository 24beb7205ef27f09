#include "Receiver.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {

constexpr double kEarthRadius = 6371000.0;
constexpr int kMaxUsedPerGsa = 12;
constexpr double kTrackThreshold = 16; // dB-Hz below which a signal is lost

} // namespace

unsigned systemsOf(Style style) {
    if (style == Style::Gps) return gnssBit(Gnss::Gps);
    return gnssBit(Gnss::Gps) | gnssBit(Gnss::Glonass) | gnssBit(Gnss::Galileo) |
           gnssBit(Gnss::Beidou);
}

Receiver::Receiver(const ReceiverConfig& cfg, const Route& route, const WriterConfig& writer,
                   Rng& rng, double startUnixTime)
    : cfg_(cfg), route_(route), writer_(writer), rng_(rng), runStart_(startUnixTime) {
    writer_.config().style = cfg.style;
    restart(cfg.start, startUnixTime);
}

void Receiver::restart(StartMode mode, double unixTime) {
    mode_ = mode;
    restartAt_ = unixTime;
    ttff_ = mode == StartMode::Cold ? cfg_.coldTtff : cfg_.hotTtff;
    fix_ = false;
    fixedOnce_ = false;
    tracks_.clear();
}

Receiver::Track& Receiver::track(Gnss sys, int prn) {
    auto key = std::make_pair(static_cast<int>(sys), prn);
    auto it = tracks_.find(key);
    if (it != tracks_.end()) return it->second;
    return tracks_[key]; // filled in by measure()
}

CycleReport Receiver::measure(double t) {
    CycleReport r;
    r.unixTime = t;
    Motion motion = route_.at(t - runStart_);
    double since = t - restartAt_;

    std::vector<SatView> views = sky_.visible(t, motion.position, systemsOf(cfg_.style));
    std::sort(views.begin(), views.end(), [](const SatView& a, const SatView& b) {
        if (a.system != b.system) return a.system < b.system;
        return a.prn < b.prn;
    });

    struct Candidate {
        size_t index;
        int snr;
    };
    std::vector<Candidate> usable;
    std::vector<AzEl> geometry;
    for (const SatView& v : views) {
        auto key = std::make_pair(static_cast<int>(v.system), v.prn);
        bool fresh = tracks_.find(key) == tracks_.end();
        Track& tr = track(v.system, v.prn);
        if (fresh) {
            tr.bias = rng_.uniform(-3.0, 3.0);
            if (mode_ == StartMode::Hot && !fixedOnce_) {
                // Orbits and time kept from before: tracked at once.
                tr.acquireAt = 0;
                tr.ephemerisAt = 0;
            } else if (!fixedOnce_ && since < ttff_) {
                // Searching: satellites are found one after another, and their
                // orbits are decoded by the time of the first fix at the latest.
                double left = ttff_ - since;
                double lo = std::min(2.0, 0.3 * left);
                tr.acquireAt = since + rng_.uniform(lo, std::max(lo + 0.1, 0.7 * left));
                tr.ephemerisAt = std::min(tr.acquireAt + rng_.uniform(18.0, 30.0), ttff_);
            } else {
                // A satellite rising while the receiver runs.
                tr.acquireAt = since + rng_.uniform(1.0, 4.0);
                tr.ephemerisAt = tr.acquireAt + rng_.uniform(18.0, 30.0);
            }
        }
        bool acquired = since >= tr.acquireAt;
        if (!acquired && !fixedOnce_) continue; // not found yet: not reported
        SatReport s;
        s.system = v.system;
        s.prn = v.prn;
        s.elevation = std::clamp(static_cast<int>(std::lround(v.elevationDeg)), 0, 90);
        s.azimuth = static_cast<int>(std::lround(v.azimuthDeg)) % 360;
        bool orbitKnown = acquired && since >= tr.ephemerisAt;
        s.positionKnown = fixedOnce_ || orbitKnown;
        s.snr = -1;
        s.used = false;
        if (acquired) {
            double el = v.elevationDeg;
            double snr = 32.0 + 16.0 * std::sin(el * kDeg) + tr.bias + rng_.noise(0.8);
            if (el < 10) snr -= (10 - el) * 0.8;
            double dt = since - tr.acquireAt;
            if (dt < 8) snr -= 12.0 * (1.0 - dt / 8.0); // the loop settles after acquisition
            snr = std::clamp(snr, 0.0, 50.0);
            if (snr >= kTrackThreshold) s.snr = static_cast<int>(std::lround(snr));
        }
        if (s.snr >= 0 && orbitKnown && v.elevationDeg >= cfg_.maskDeg)
            usable.push_back({r.sats.size(), s.snr});
        r.sats.push_back(s);
    }

    // The strongest satellites, up to twelve per GSA sentence.
    std::stable_sort(usable.begin(), usable.end(),
                     [](const Candidate& a, const Candidate& b) { return a.snr > b.snr; });
    int perSystem[kGnssCount] = {};
    int total = 0;
    for (const Candidate& c : usable) {
        SatReport& s = r.sats[c.index];
        int& count = cfg_.style == Style::Gps ? total : perSystem[static_cast<int>(s.system)];
        if (count >= kMaxUsedPerGsa) continue;
        ++count;
        s.used = true;
        ++r.usedCount;
        geometry.push_back({static_cast<double>(s.azimuth), static_cast<double>(s.elevation)});
    }
    r.dop = computeDop(geometry);
    fix_ = since >= ttff_ - 1e-9 && r.usedCount >= 4 && r.dop.valid;
    if (fix_) fixedOnce_ = true;
    r.fix = fix_;

    r.position = motion.position;
    r.speedMs = motion.speedMs;
    r.courseDeg = motion.courseDeg;
    if (r.fix) {
        // A little measurement noise, scaled by the geometry.
        double sigma = 0.6 * r.dop.hdop;
        double lat0 = motion.position.latDeg * kDeg;
        r.position.latDeg += rng_.noise(sigma) / kEarthRadius / kDeg;
        r.position.lonDeg += rng_.noise(sigma) / (kEarthRadius * std::cos(lat0)) / kDeg;
        r.position.altM += rng_.noise(1.5 * r.dop.vdop);
        r.speedMs = std::max(0.0, r.speedMs + rng_.noise(motion.speedMs > 0 ? 0.08 : 0.02));
    }
    // At high rates the satellite view goes out once a second.
    double frac = t - std::floor(t);
    r.withGsv = cfg_.rate <= 1 || frac < 0.5 / cfg_.rate || frac > 1 - 0.5 / cfg_.rate;
    return r;
}

size_t Receiver::worstBytesPerSecond(double from) const {
    ReceiverConfig cfg = cfg_;
    cfg.start = StartMode::Hot;
    cfg.hotTtff = 0;
    WriterConfig w = writer_.config();
    Rng rng(1);
    size_t worst = 0;
    // Sample the sky over a day, with the route at each point in time.
    for (int k = 0; k < 48; ++k) {
        double t = from + k * 1800.0;
        Receiver probe(cfg, route_, w, rng, from);
        probe.restart(StartMode::Hot, std::floor(t));
        size_t bytes = 0;
        for (int c = 0; c < cfg.rate; ++c) {
            double tc = std::floor(t) + static_cast<double>(c) / cfg.rate;
            for (const std::string& s : probe.cycle(tc))
                bytes += s.size();
        }
        worst = std::max(worst, bytes);
    }
    return worst;
}

} // namespace sim
