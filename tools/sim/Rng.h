// The simulator's one source of randomness: a small seeded generator whose
// sequence is the same on every platform, so a seed makes a run repeatable.
#pragma once

#include <cstdint>

namespace sim {

class Rng {
  public:
    explicit Rng(uint64_t seed = 1) { reseed(seed); }
    void reseed(uint64_t seed);

    uint64_t next();
    // Uniform in [0, 1).
    double uniform();
    // Uniform in [lo, hi).
    double uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    // Uniform integer in [lo, hi] (inclusive).
    int range(int lo, int hi);
    // True with probability p.
    bool chance(double p) { return uniform() < p; }
    // Roughly normal noise with the given standard deviation (sum of uniforms,
    // so it is bounded and computed the same way everywhere).
    double noise(double sigma);

  private:
    uint64_t s_[4];
};

} // namespace sim
