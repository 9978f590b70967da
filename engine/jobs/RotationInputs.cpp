#include "jobs/RotationInputs.h"

#include "io/NumberText.h"

namespace kelvara {

PlaneCoefficients RotationInputs::Coefficients() const {
    return PlaneCoefficients{AtofToFloat(b0Text), AtofToFloat(b1Text), AtofToFloat(b2Text)};
}

RotationSettings RotationInputs::Settings() const {
    RotationSettings settings{rotation, {}};
    if (rotation == Rotation::PlanarFit) settings.plane = Coefficients();
    return settings;
}

}  // namespace kelvara
