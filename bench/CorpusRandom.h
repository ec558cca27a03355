#pragma once
// Random numbers for the made-up logs: splitmix64, so that the same seed gives
// the same bytes on every system (<random>'s distributions differ between
// standard libraries).

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kivgen {

class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // A number from 0 to n - 1.
    std::uint32_t Below(std::size_t n)
    {
        return static_cast<std::uint32_t>(((Next() >> 32) * static_cast<std::uint64_t>(n)) >> 32);
    }

    int Between(int lo, int hi) { return lo + static_cast<int>(Below(static_cast<std::size_t>(hi - lo + 1))); }

    bool PerThousand(int p) { return Below(1000) < static_cast<std::uint32_t>(p); }

    template <class T>
    const T& Pick(const std::vector<T>& items)
    {
        return items[Below(items.size())];
    }

private:
    std::uint64_t state_;
};

// An independent stream for each file, so that one day's log does not change
// when another day's generation changes.
inline Rng StreamFor(std::uint64_t seed, std::uint64_t tag, std::uint64_t index)
{
    Rng mixer(seed ^ (tag * 0x9E3779B97F4A7C15ull) ^ (index * 0xD1B54A32D192ED03ull));
    return Rng(mixer.Next());
}

} // namespace kivgen
