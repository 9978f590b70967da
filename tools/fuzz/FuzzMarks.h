#pragma once
// Coverage that libFuzzer cannot see by itself. Inside code built without
// coverage (the C library, libstdc++) or in which file an argument names,
// two inputs may differ in a way that matters and still look alike to the
// fuzzer. Mark<kCount>(i) calls the i-th of kCount functions, each with a
// coverage counter of its own, so the corpus keeps an input that reaches a
// new i.

#include <array>
#include <cstddef>
#include <utility>

namespace kelvara::fuzz {

namespace detail {

template <std::size_t kIndex>
[[gnu::noinline]] void Marked() {
    // A distinct side effect, so that no two of these functions are merged.
    static volatile std::size_t seen;
    seen = seen + kIndex;
}

template <std::size_t... kIndices>
constexpr auto MakeMarks(std::index_sequence<kIndices...>) {
    return std::array<void (*)(), sizeof...(kIndices)>{&Marked<kIndices>...};
}

}  // namespace detail

template <std::size_t kCount>
void Mark(std::size_t index) {
    static constexpr auto marks = detail::MakeMarks(std::make_index_sequence<kCount>{});
    if (index < kCount) marks[index]();
}

}  // namespace kelvara::fuzz
