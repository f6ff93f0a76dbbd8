#pragma once

// The part of GCC's quadmath.h the tests use, for processors where long
// double is already IEEE binary128 (64-bit ARM Linux) and GCC ships neither
// __float128 nor libquadmath: the same 113-bit type and its functions, under
// the names the tests use.
#include <cmath>

static_assert(sizeof(long double) == 16 && __LDBL_MANT_DIG__ == 113, "long double must be IEEE binary128 here");

typedef long double __float128;

inline __float128 acosq(__float128 x)
{
    return std::acos(x);
}

inline __float128 fmodq(__float128 x, __float128 y)
{
    return std::fmod(x, y);
}

inline __float128 cosq(__float128 x)
{
    return std::cos(x);
}

inline __float128 sinq(__float128 x)
{
    return std::sin(x);
}

inline __float128 atan2q(__float128 y, __float128 x)
{
    return std::atan2(y, x);
}
