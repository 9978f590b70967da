#pragma once
// The rotation as the user typed it, in either processing job.

#include <string>

#include "pipeline/Rotation.h"

namespace kelvara {

struct RotationInputs {
    Rotation rotation = Rotation::TwoAxis;
    std::string b0Text;
    std::string b1Text;
    std::string b2Text;

    // The planar fit needs all three texts; emptiness is tested on the exact
    // text, so blanks count as given.
    bool MissesCoefficient() const {
        return rotation == Rotation::PlanarFit && (b0Text.empty() || b1Text.empty() || b2Text.empty());
    }
    // Each text read as atof reads it, rounded to float.
    PlaneCoefficients Coefficients() const;
    // The rotation with its plane; the texts are only read for the planar fit.
    RotationSettings Settings() const;
};

}  // namespace kelvara
