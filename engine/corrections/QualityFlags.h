#pragma once
// The 0/1/2 quality flag of a flux from its steady-state and turbulence
// tests (Mauder & Foken 2004).

#include <optional>

namespace kelvara {

// A test percentage truncated to an integer (values beyond an int are held
// at its largest); none for an undefined test.
std::optional<int> TruncatedPercent(double percent);

// Class 1 (0-15 %) to 9 (above 1000 %).
int TestClass(int percent);

// 0 when both classes are at most 2, 1 when both are at most 5, else 2; 2
// when either test is missing.
int QualityFlag(std::optional<int> steadyStateClass, std::optional<int> turbulenceClass);

// The class of a test, none when it is missing.
std::optional<int> ClassOf(std::optional<int> percent);

// The worse of two classes; none when either is missing.
std::optional<int> WorseClass(std::optional<int> a, std::optional<int> b);

}  // namespace kelvara
