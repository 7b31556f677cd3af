#pragma once
// The generator behind the random choice of welcome page, banner and links.
// The program keeps one for the run, seeded once; tests give it a seed.
#include <cstddef>
#include <cstdint>
#include <random>

namespace halvane {

class TBrandRandom {
 public:
  // Seeded from the operating system's random source (the clock if it has
  // none).
  TBrandRandom();
  explicit TBrandRandom(std::uint64_t seed) : FEngine(seed) {}

  // Uniform in [0, count); count must be at least 1.
  std::size_t Pick(std::size_t count);

 private:
  std::mt19937_64 FEngine;
};

// The program's one generator.
TBrandRandom& ProgramBrandRandom();

}  // namespace halvane
