#pragma once
// The generator's one source of chance.
#include <cstdint>
#include <iterator>

namespace Generator {

// SplitMix64: small, fast and the same on every platform and library (unlike the standard
// distributions), so a seed gives the same register everywhere.
class Random {
public:
    explicit Random(uint64_t seed) : m_state(seed) {}
    uint64_t next() {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // 0 <= result < n.
    int below(int n) { return n <= 0 ? 0 : int(next() % uint64_t(n)); }
    // lo <= result <= hi.
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    bool chance(int percent) { return below(100) < percent; }
    template <class List> const auto& pick(const List& list) {
        return list[size_t(below(int(std::size(list))))];
    }

private:
    uint64_t m_state;
};

} // namespace Generator
