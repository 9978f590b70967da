#include "jobs/JobInputs.h"

#include "io/NumberText.h"
#include "pipeline/Precision.h"

namespace kelvara {

RotationSettings RotationInputs::Settings() const {
    RotationSettings settings{rotation, {}};
    if (rotation != Rotation::PlanarFit) return settings;
    if (plane) {
        settings.plane = PlaneCoefficients{Store((*plane)[0]), Store((*plane)[1]), Store((*plane)[2])};
    } else {
        settings.plane = PlaneCoefficients{AtofToFloat(b0Text), AtofToFloat(b1Text), AtofToFloat(b2Text)};
    }
    return settings;
}

}  // namespace kelvara
