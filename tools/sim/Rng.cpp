#include "Rng.h"

namespace sim {

namespace {

uint64_t splitmix(uint64_t& x) {
    uint64_t z = (x += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

uint64_t rotl(uint64_t x, int k) {
    return (x << k) | (x >> (64 - k));
}

} // namespace

void Rng::reseed(uint64_t seed) {
    uint64_t x = seed;
    for (auto& s : s_)
        s = splitmix(x);
}

// xoshiro256**
uint64_t Rng::next() {
    const uint64_t result = rotl(s_[1] * 5, 7) * 9;
    const uint64_t t = s_[1] << 17;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = rotl(s_[3], 45);
    return result;
}

double Rng::uniform() {
    return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0);
}

int Rng::range(int lo, int hi) {
    if (hi <= lo) return lo;
    uint64_t span = static_cast<uint64_t>(hi - lo) + 1;
    return lo + static_cast<int>(next() % span);
}

double Rng::noise(double sigma) {
    double sum = 0;
    for (int i = 0; i < 4; ++i)
        sum += uniform();
    // Four uniforms have variance 4/12; scale to unit variance.
    return (sum - 2.0) * 1.7320508075688772 * sigma;
}

} // namespace sim
