#pragma once
// The program's linear congruential generator:
// seed := seed * 134775813 + 1 (mod 2^32), Random(n) = (seed * n) div 2^32.
#include <cstdint>

namespace klt {

class Lcg {
public:
    explicit Lcg(std::uint32_t seed = 0) : seed_(seed) {}
    void setSeed(std::uint32_t seed) { seed_ = seed; }
    std::uint32_t seed() const { return seed_; }
    // A value in 0..n-1 (0 when n <= 0).
    int random(int n)
    {
        seed_ = seed_ * 134775813u + 1u;
        if (n <= 0) return 0;
        return static_cast<int>((static_cast<std::uint64_t>(seed_) * static_cast<std::uint32_t>(n)) >> 32);
    }

private:
    std::uint32_t seed_;
};

} // namespace klt
