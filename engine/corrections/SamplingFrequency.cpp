#include "corrections/SamplingFrequency.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace kelvara {

bool EstimateSamplingFrequency(std::span<const double> seconds, double& fs, std::string& problem) {
    std::vector<double> steps;
    std::size_t last = 0;  // the first record of the current stamp
    for (std::size_t i = 1; i < seconds.size(); ++i) {
        if (seconds[i] == seconds[last]) continue;
        steps.push_back((seconds[i] - seconds[last]) / static_cast<double>(i - last));
        last = i;
    }
    if (steps.empty()) {
        problem =
            "the sampling frequency cannot be found: the first records hold fewer than two different time "
            "stamps (give fs in the site file's [processing])";
        return false;
    }
    const auto middle = steps.begin() + static_cast<std::ptrdiff_t>(steps.size() / 2);
    std::nth_element(steps.begin(), middle, steps.end());
    double median = *middle;
    if (steps.size() % 2 == 0) median = (median + *std::max_element(steps.begin(), middle)) / 2.0;
    const double hz = std::round(1.0 / median);
    if (!(hz >= 1.0) || !std::isfinite(hz)) {
        problem = "the sampling frequency cannot be found: the first records' time stamps step by a median of " +
                  std::to_string(median) + " s (give fs in the site file's [processing])";
        return false;
    }
    fs = hz;
    return true;
}

}  // namespace kelvara
