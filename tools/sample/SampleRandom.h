// The generator's own random source: a fixed algorithm (SplitMix64) so that one seed
// gives the same databases with every compiler and standard library.
// Layer: sample tool. Never use std:: distributions here, their output is not portable.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sample {

class SampleRandom {
public:
    explicit SampleRandom(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // 0 .. n-1, without the modulo bias; 0 for n == 0.
    std::uint64_t below(std::uint64_t n)
    {
        if (n == 0)
            return 0;
        const std::uint64_t limit = UINT64_MAX - UINT64_MAX % n;
        std::uint64_t v;
        do
            v = next();
        while (v >= limit);
        return v % n;
    }

    // low .. high, both included.
    int between(int low, int high) { return low + static_cast<int>(below(static_cast<std::uint64_t>(high - low) + 1)); }

    // True with a chance of percent in 100.
    bool chance(int percent) { return below(100) < static_cast<std::uint64_t>(percent); }

    template <typename T>
    const T& pick(const std::vector<T>& items) { return items[below(items.size())]; }

    // A child source for one part of the content, so that adding draws to one part
    // leaves every other part as it was.
    SampleRandom fork(std::uint64_t stream) { return SampleRandom(next() ^ (stream * 0xD1B54A32D192ED03ull)); }

private:
    std::uint64_t m_state;
};

}  // namespace sample
