#pragma once
// The colours that tell the orbit classes apart: the globe's tubes, the tour, the help's
// legend and the search list all use these.

#include "data/Satellite.h"

#include <glm/vec4.hpp>

#include <cstdint>

namespace earth::colours {

inline constexpr glm::vec4 leo{0.44f, 0.82f, 0.42f, 1.0f};         // green
inline constexpr glm::vec4 meo{1.0f, 0.75f, 0.34f, 1.0f};          // orange
inline constexpr glm::vec4 geo{0.42f, 0.65f, 0.87f, 1.0f};         // blue
inline constexpr glm::vec4 elliptical{0.78f, 0.13f, 0.22f, 1.0f};  // red
// Faint: the fragments would otherwise drown the satellites in the tour's crowded sky.
inline constexpr glm::vec4 debris{0.2f, 0.2f, 0.2f, 0.5f};

// The colour free exploration gives an object of this class (debris that fits no class is
// drawn in the debris grey).
inline glm::vec4 ofClass(std::int32_t orbitClass) {
    switch (orbitClass) {
        case OrbitClass::Leo: return leo;
        case OrbitClass::Meo: return meo;
        case OrbitClass::Geo: return geo;
        case OrbitClass::Elliptical: return elliptical;
        default: return debris;
    }
}

}  // namespace earth::colours
