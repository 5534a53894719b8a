#include "app/DesktopView.h"
#include "app/FullScreen.h"
#include "app/Screenshot.h"
#include "app/ViewportRatio.h"
#include "script/Camera.h"

#include <glm/geometric.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>

namespace earth {
namespace {

TEST(DesktopView, NearPlaneNeverReachesTheGlobeFromAnyAltitude) {
    // From 100 km (below every catalogued perigee) to far beyond the geostationary ring.
    for (const float km : {100.0f, 160.0f, 400.0f, 640.0f, 2000.0f, 35786.0f, 60000.0f}) {
        const glm::vec3 eye(0.0f, 0.0f, 1.0f + km / 6378.1f);
        const float zNear = desktopNearPlane(eye);
        EXPECT_GT(zNear, 0.0f) << km;
        EXPECT_LT(zNear, glm::length(eye) - 1.0014f) << km << " km: the plane cuts the relief";
        EXPECT_LE(zNear, 0.1f) << km;
    }
}

TEST(DesktopView, PointerRayThroughCentreAndCornersSpansTheFieldOfView) {
    const CameraFrame camera = fromAngles(0.0f, 0.0f, 3.0f).frame;
    PointerInput pointer;
    pointer.inside = true;
    pointer.position = {399.5f, 299.5f};  // the centre of an 800 x 600 window
    PointerInput centre = pointerRay(pointer, camera, {800.0f, 600.0f});
    EXPECT_GT(glm::dot(centre.ray.direction, camera.forward), 0.99999f);
    EXPECT_EQ(centre.ray.origin, camera.position);
    // The top left corner pixel's ray lands on the projection's top left corner.
    pointer.position = {-0.5f, -0.5f};
    const PointerInput corner = pointerRay(pointer, camera, {800.0f, 600.0f});
    const glm::mat4 view = glm::lookAt(camera.position, camera.position + camera.forward, camera.up);
    const glm::vec4 clip = desktopProjection(800.0f / 600.0f) * view *
                           glm::vec4(camera.position + corner.ray.direction * 2.0f, 1.0f);
    EXPECT_NEAR(clip.x / clip.w, -1.0f, 1e-4f);
    EXPECT_NEAR(clip.y / clip.w, 1.0f, 1e-4f);
    EXPECT_GT(centre.pixelAngle, 0.0f);
    EXPECT_FALSE(pointerRay(pointer, camera, {0.0f, 0.0f}).inside) << "minimised window";
}

TEST(WindowHabits, AspectFitScreenshotNameAndMonitorChoice) {
    EXPECT_FLOAT_EQ(framebufferAspect(1920, 1080, 4.0f / 3.0f), 1920.0f / 1080.0f);
    for (const auto& [w, h] : {std::pair{0, 0}, std::pair{800, 0}, std::pair{0, 600}}) {
        EXPECT_EQ(framebufferAspect(w, h, 1.5f), 1.5f) << w << "x" << h << ": a minimised window";
    }
    const FittedSize big = fitWithin(2160, 1200, 1920, 1080);
    EXPECT_LE(big.width, 1728);
    EXPECT_LE(big.height, 972);
    EXPECT_NEAR(static_cast<double>(big.width) / big.height, 1.8, 0.01) << "two eyes side by side";
    EXPECT_EQ(fitWithin(2160, 1200, 2560, 1440).width, 2160) << "fits already";
    EXPECT_EQ(fitWithin(2160, 1200, 0, 0).width, 2160) << "unknown work area";

    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(screenshotName(1416528765), "orbitarium-20141121-001245.png");

    const WindowRect monitors[] = {{0, 0, 1920, 1080}, {1920, 0, 2560, 1440}};
    EXPECT_EQ(mostOverlapping({1800, 100, 800, 600}, monitors, 2), 1);
    EXPECT_EQ(mostOverlapping({100, 100, 800, 600}, monitors, 2), 0);
    EXPECT_EQ(mostOverlapping({-5000, 0, 10, 10}, monitors, 2), 0) << "off every monitor";
}

}  // namespace
}  // namespace earth
