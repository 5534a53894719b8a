#pragma once
// Where an information panel stands in the scene: beside the viewer or next to its satellite,
// always facing the camera and upright with respect to the camera's up vector.

#include <glm/vec3.hpp>

namespace earth {

struct PanelPlacement {
    glm::vec3 centre{0.0f};
    glm::vec3 facing{0.0f, 0.0f, 1.0f};  // unit, from the camera towards the centre
    glm::vec3 right{1.0f, 0.0f, 0.0f};
    glm::vec3 up{0.0f, 1.0f, 0.0f};
    float scale = 0.0f;
};

struct PanelCamera {
    glm::vec3 position{0.0f};
    glm::vec3 forward{0.0f, 0.0f, -1.0f};
    glm::vec3 up{0.0f, 1.0f, 0.0f};
    glm::vec3 right{1.0f, 0.0f, 0.0f};  // the first column of the camera's basis
};

inline constexpr float kNearViewPanelScale = 0.05f;
inline constexpr float kSatellitePanelScale = 0.3f;

// nearView: 0.5 units ahead of the camera, turned 45 degrees to the right about its up axis.
// Otherwise: 0.2 units ahead of the satellite at `position` along its unit `motion`.
PanelPlacement placePanel(const PanelCamera& camera, bool nearView, const glm::vec3& position,
                          const glm::vec3& motion);

}  // namespace earth
