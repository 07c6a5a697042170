#ifndef BENCH_RNG_H_
#define BENCH_RNG_H_

#include <cstddef>
#include <cstdint>

// A seeded generator whose sequence is the same on every machine and with
// every standard library: splitmix64, and integer arithmetic only, so a seed
// names one tree byte for byte.
class Rng {
 public:
  explicit Rng(uint64_t seed) : state_(seed) {}

  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  size_t Below(size_t n) { return n == 0 ? 0 : Next() % n; }
  size_t Between(size_t lo, size_t hi) { return lo + Below(hi - lo + 1); }
  bool Percent(size_t p) { return Below(100) < p; }
  template <typename T, size_t N>
  const T& Pick(const T (&items)[N]) {
    return items[Below(N)];
  }

 private:
  uint64_t state_;
};

// A share of the draws with a range of values; Draw picks a share by its
// weight, then a value in its range.
struct Bucket {
  size_t weight;
  size_t lo;
  size_t hi;
};

template <size_t N>
size_t Draw(Rng& rng, const Bucket (&buckets)[N]) {
  size_t total = 0;
  for (const Bucket& b : buckets) total += b.weight;
  size_t at = rng.Below(total);
  for (const Bucket& b : buckets) {
    if (at < b.weight) return rng.Between(b.lo, b.hi);
    at -= b.weight;
  }
  return buckets[N - 1].hi;
}

#endif  // BENCH_RNG_H_
