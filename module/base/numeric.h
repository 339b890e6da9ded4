// numeric.h -- constants of double arithmetic that several subsystems share.
//
// Tolerances derived from the precision of a double (the working tolerance of
// the ratio tests, the BEPSILON default, the stability test of a modulus)
// must all start from the same unit, or two parts of a run would disagree
// about what counts as noise.
#pragma once

namespace tymlp {

// The unit roundoff of double arithmetic: the largest relative error of one
// rounded operation (2^-53, written as the procedure has always written it).
inline constexpr double kUnitRoundoff = 1.110223024625157e-16;

// 2^31 - 1, the largest value a 32-bit integer option or priority can hold,
// as a double for the range checks that compare doubles read from input.
inline constexpr double kInt32MaxAsDouble = 2147483647.0;

}  // namespace tymlp
