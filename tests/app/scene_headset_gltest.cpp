// The whole scene in headset mode through the virtual headset: both eyes share one
// propagation pass per frame, and every frame reaches the headset's display.
//
// The script builders keep their elements in statics tied to the first scene's input, so this
// file builds one scene per process (ctest runs each test in its own process).
#include "app/Scene.h"
#include "data/Catalogue.h"
#include "data/SimulationClock.h"
#include "ovrlib/Headset.h"
#include "ovrlib/VirtualHeadsetRuntime.h"
#include "render/SatelliteRenderer.h"

#include "support/GlTestContext.h"

#include <gtest/gtest.h>

#include <epoxy/gl.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>

namespace earth {
namespace {

// Points captured by transform feedback while `work` runs: the satellite propagation is the
// only capture the scene makes.
std::uint64_t pointsCaptured(const std::function<void()>& work) {
    GLuint query = 0;
    glGenQueries(1, &query);
    glBeginQuery(GL_TRANSFORM_FEEDBACK_PRIMITIVES_WRITTEN, query);
    work();
    glEndQuery(GL_TRANSFORM_FEEDBACK_PRIMITIVES_WRITTEN);
    GLuint64 count = 0;
    glGetQueryObjectui64v(query, GL_QUERY_RESULT, &count);
    glDeleteQueries(1, &query);
    return count;
}

TEST(SceneHeadset, BothEyesShareOnePropagationPassPerFrame) {
    setenv("ALSOFT_DRIVERS", "null", 0);  // the tour's music needs no sound card here
    test::GlTestContext gl(ovrlib::VirtualHeadsetRuntime::kDisplayWidth / 4,
                           ovrlib::VirtualHeadsetRuntime::kDisplayHeight / 4);

    // What one pass over the catalogue captures, measured on a renderer of its own.
    SimulationClock clock;
    const std::vector<Satellite> catalogue = loadSatellites();
    auto renderer = std::make_unique<SatelliteRenderer>(clock, catalogue);
    const std::uint64_t onePass = pointsCaptured([&] { renderer->propagate(); });
    renderer.reset();
    ASSERT_GT(onePass, 0u) << "the propagation pass captured nothing";

    auto runtime = std::make_unique<ovrlib::VirtualHeadsetRuntime>();
    ovrlib::VirtualHeadsetRuntime* display = runtime.get();
    ovrlib::HeadsetContext context(std::move(runtime), nullptr);
    ovrlib::Headset headset(&context);
    Scene scene(&headset, gl.window(), 1.0f, true);
    for (std::uint32_t frame = 0; frame < 3; ++frame) {
        const std::uint32_t presentedBefore = display->framesPresented();
        EXPECT_EQ(pointsCaptured([&] { scene.frame(frame); }), onePass) << "frame " << frame;
        EXPECT_EQ(display->framesPresented(), presentedBefore + 1) << "frame " << frame;
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

}  // namespace
}  // namespace earth
