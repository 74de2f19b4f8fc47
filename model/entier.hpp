// 32-bit integer arithmetic with overflow checking: an overflow is the
// run-time error "Integer overflow" instead of a wrapped value.
#pragma once

#include <cstdint>
#include <string>

#include "app/erreurs.hpp"

namespace entier {

[[noreturn]] inline void Depassement(const char* operation, std::int32_t a, std::int32_t b) {
  throw ErreurExecution(TypeErreur::DepassementEntier,
                        std::to_string(a) + " " + operation + " " + std::to_string(b));
}

inline std::int32_t Plus(std::int32_t a, std::int32_t b) {
  std::int32_t r;
  if (__builtin_add_overflow(a, b, &r)) {
    Depassement("+", a, b);
  }
  return r;
}

inline std::int32_t Moins(std::int32_t a, std::int32_t b) {
  std::int32_t r;
  if (__builtin_sub_overflow(a, b, &r)) {
    Depassement("-", a, b);
  }
  return r;
}

inline std::int32_t Fois(std::int32_t a, std::int32_t b) {
  std::int32_t r;
  if (__builtin_mul_overflow(a, b, &r)) {
    Depassement("*", a, b);
  }
  return r;
}

}  // namespace entier
