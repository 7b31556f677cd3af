#include "branding/TBrandRandom.h"

#include <chrono>
#include <exception>

namespace halvane {
namespace {

std::uint64_t StartSeed() {
  try {
    std::random_device device;
    return (static_cast<std::uint64_t>(device()) << 32) ^ device();
  } catch (const std::exception&) {
    return static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  }
}

}  // namespace

TBrandRandom::TBrandRandom() : FEngine(StartSeed()) {}

std::size_t TBrandRandom::Pick(std::size_t count) {
  if (count <= 1) return 0;
  const auto range = static_cast<std::uint64_t>(count);
  // Values below the threshold would favour the low results of the modulo.
  const std::uint64_t threshold = (0 - range) % range;
  std::uint64_t value = FEngine();
  while (value < threshold) value = FEngine();
  return static_cast<std::size_t>(value % range);
}

TBrandRandom& ProgramBrandRandom() {
  static TBrandRandom random;
  return random;
}

}  // namespace halvane
