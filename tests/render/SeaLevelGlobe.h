#pragma once
// A smooth unit globe (the grid at sea level everywhere) and the test maps for it.

#include "render/EarthRenderer.h"
#include "render/LoadedEarthData.h"

#include <cstring>
#include <string>

namespace earth::test {

inline const LoadedEarthData& seaLevelGlobe() {
    static const LoadedEarthData mesh = [] {
        const ElevationGridShape shape;
        std::string bytes(shape.recordCount() * kElevationRecordBytes, '\0');
        for (int c = 0; c < shape.columns; ++c) {
            for (int r = 0; r < shape.rows; ++r) {
                const double record[3] = {-180.0 + 0.4 * c, -90.0 + 0.4 * r, 0.0};
                std::memcpy(&bytes[(static_cast<std::size_t>(c) * shape.rows + r) * 24], record,
                            sizeof record);
            }
        }
        return LoadedEarthData(bytes, 1.0f);
    }();
    return mesh;
}

// Day map: longitude as red / (red + green); 60201 all black, 60202 blue, 60203 all water.
inline EarthResources testMaps(std::uint16_t specular = 60201, std::uint16_t night = 60202) {
    EarthResources r;
    r.day = 60200;
    r.specular = specular;
    r.night = night;
    r.mesh = &seaLevelGlobe();
    return r;
}

}  // namespace earth::test
