// 32-bit integer arithmetic with overflow checking: an overflow is the
// run-time error "Integer overflow" instead of a wrapped value.
#pragma once

#include <cstdint>
#include <limits>
#include <string>

#include "app/erreurs.hpp"

namespace entier {

// The exact result, formed in 64 bits, if it fits in 32.
inline std::int32_t Verifier(std::int64_t r, const char* operation, std::int32_t a,
                             std::int32_t b) {
  if (r < std::numeric_limits<std::int32_t>::min() ||
      r > std::numeric_limits<std::int32_t>::max()) {
    throw ErreurExecution(TypeErreur::DepassementEntier,
                          std::to_string(a) + " " + operation + " " + std::to_string(b));
  }
  return static_cast<std::int32_t>(r);
}

inline std::int32_t Plus(std::int32_t a, std::int32_t b) {
  return Verifier(std::int64_t{a} + b, "+", a, b);
}

inline std::int32_t Moins(std::int32_t a, std::int32_t b) {
  return Verifier(std::int64_t{a} - b, "-", a, b);
}

inline std::int32_t Fois(std::int32_t a, std::int32_t b) {
  return Verifier(std::int64_t{a} * b, "*", a, b);
}

}  // namespace entier
