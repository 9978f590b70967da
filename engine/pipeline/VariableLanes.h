#pragma once
// The seven variables of a record side by side, one SIMD lane each: the
// running sums of a block are independent from variable to variable, so
// each lane keeps its own sum in record order and gives the very bits the
// sum of that variable alone gives. SSE2, which every x86-64 processor has;
// elsewhere kVariableLanes is false and the callers sum one variable after
// the other.

#include <cstdint>

#include "pipeline/Variable.h"

#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
#include <emmintrin.h>
#define KELVARA_VARIABLE_LANES 1
#else
#define KELVARA_VARIABLE_LANES 0
#endif

namespace kelvara::lanes {

#if KELVARA_VARIABLE_LANES

inline constexpr bool kVariableLanes = true;

// Eight lanes in two registers: the seven variables, and an eighth lane
// that the caller fills (another series, or nothing).
struct Row {
    __m128 low;   // lanes 0-3
    __m128 high;  // lanes 4-7
};

// Records i to i + 3 of the columns, one Row a record: the columns are
// read four records at a time and turned on their side.
inline void LoadFourRows(const float* const (&columns)[8], int i, Row (&rows)[4]) {
    __m128 a0 = _mm_loadu_ps(columns[0] + i);
    __m128 a1 = _mm_loadu_ps(columns[1] + i);
    __m128 a2 = _mm_loadu_ps(columns[2] + i);
    __m128 a3 = _mm_loadu_ps(columns[3] + i);
    _MM_TRANSPOSE4_PS(a0, a1, a2, a3);
    __m128 b0 = _mm_loadu_ps(columns[4] + i);
    __m128 b1 = _mm_loadu_ps(columns[5] + i);
    __m128 b2 = _mm_loadu_ps(columns[6] + i);
    __m128 b3 = _mm_loadu_ps(columns[7] + i);
    _MM_TRANSPOSE4_PS(b0, b1, b2, b3);
    rows[0] = Row{a0, b0};
    rows[1] = Row{a1, b1};
    rows[2] = Row{a2, b2};
    rows[3] = Row{a3, b3};
}

// Record i of the columns alone.
inline Row LoadRow(const float* const (&columns)[8], int i) {
    return Row{_mm_setr_ps(columns[0][i], columns[1][i], columns[2][i], columns[3][i]),
               _mm_setr_ps(columns[4][i], columns[5][i], columns[6][i], columns[7][i])};
}

// All lanes set for a mark of 1, none for 0.
inline __m128 MaskOf(std::uint8_t mark) { return _mm_castsi128_ps(_mm_set1_epi32(-static_cast<int>(mark))); }

// Calls row(x, mask) for the records first to first + count - 1 of the
// columns, in record order, with the mask of marks[k] for record first + k.
template <class RowFunction>
void ForEachRow(const float* const (&columns)[8], int first, int count, const std::uint8_t* marks, RowFunction row) {
    int k = 0;
    for (; k + 4 <= count; k += 4) {
        Row rows[4];
        LoadFourRows(columns, first + k, rows);
        for (int j = 0; j < 4; ++j) row(rows[j], MaskOf(marks[k + j]));
    }
    for (; k < count; ++k) row(LoadRow(columns, first + k), MaskOf(marks[k]));
}

inline Row LoadLanes(const float (&values)[8]) { return Row{_mm_loadu_ps(values), _mm_loadu_ps(values + 4)}; }

inline void StoreLanes(const Row& row, float (&values)[8]) {
    _mm_storeu_ps(values, row.low);
    _mm_storeu_ps(values + 4, row.high);
}

#else

inline constexpr bool kVariableLanes = false;

#endif

}  // namespace kelvara::lanes
