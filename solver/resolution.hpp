// The row update of the elimination, K[i][j] := K[i][j] - m K[k][j] over
// `nombre` entries of two distinct rows, in its two routes. Each gives every
// entry the very operations of the scalar loop, so the bits are the same
// whichever runs; the solution takes AVX where the processor has it.
#pragma once

#include <cstddef>

using TReduction = void (*)(double* termes, const double* termesPivot, std::size_t nombre,
                            double m);

// Two entries an instruction (SSE2, on every x86-64 processor).
TReduction ReductionSse2();
// Four entries an instruction; nullptr when the processor has no AVX.
TReduction ReductionAvx();
