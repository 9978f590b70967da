#pragma once
// Four doubles multiplied and added lane by lane: the unit of the lagged
// products' inner loop. GCC and Clang keep them in one vector register (two
// without AVX), other compilers in four scalars; each lane rounds alike
// everywhere, so every build and processor gives the same bits.

#include <cstring>

namespace kelvara {

#if defined(__GNUC__)
using FourLanes = double __attribute__((vector_size(4 * sizeof(double))));
#else
struct FourLanes {
    double lane[4];
    double operator[](int j) const { return lane[j]; }
    FourLanes& operator+=(const FourLanes& other) {
        for (int j = 0; j < 4; ++j) lane[j] += other.lane[j];
        return *this;
    }
    friend FourLanes operator*(const FourLanes& a, const FourLanes& b) {
        FourLanes product;
        for (int j = 0; j < 4; ++j) product.lane[j] = a.lane[j] * b.lane[j];
        return product;
    }
};
#endif

// Loaded through a copy, as positions need not be aligned. (Taking the lanes
// by reference keeps vectors out of the calling convention.)
inline void LoadLanes(FourLanes& lanes, const double* from) { std::memcpy(&lanes, from, sizeof lanes); }

// ((l0 + l1) + l2) + l3.
inline double SumOfLanes(const FourLanes& lanes) { return ((lanes[0] + lanes[1]) + lanes[2]) + lanes[3]; }

}  // namespace kelvara
