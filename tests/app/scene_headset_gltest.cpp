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

// Compute invocations while `work` runs: the propagation, one per record, outnumbers the
// per-view sort (one per 64 shown segments) and everything else the scene computes.
std::uint64_t invocations(const std::function<void()>& work) {
    GLuint query = 0;
    glGenQueries(1, &query);
    glBeginQuery(GL_COMPUTE_SHADER_INVOCATIONS_ARB, query);
    work();
    glEndQuery(GL_COMPUTE_SHADER_INVOCATIONS_ARB);
    GLuint64 count = 0;
    glGetQueryObjectui64v(query, GL_QUERY_RESULT, &count);
    glDeleteQueries(1, &query);
    return count;
}

TEST(SceneHeadset, BothEyesShareOnePropagationPassPerFrame) {
    setenv("ALSOFT_DRIVERS", "null", 0);  // the tour's music needs no sound card here
    test::GlTestContext gl(ovrlib::VirtualHeadsetRuntime::kDisplayWidth / 4,
                           ovrlib::VirtualHeadsetRuntime::kDisplayHeight / 4);

    // What one pass over the catalogue computes, measured on a renderer of its own.
    SimulationClock clock;
    const std::vector<Satellite> catalogue = loadSatellites();
    auto renderer = std::make_unique<SatelliteRenderer>(clock, catalogue);
    const std::uint64_t onePass = invocations([&] { renderer->propagate(); });
    renderer.reset();
    ASSERT_GT(onePass, catalogue.size()) << "the propagation pass computed nothing";

    auto runtime = std::make_unique<ovrlib::VirtualHeadsetRuntime>();
    ovrlib::VirtualHeadsetRuntime* display = runtime.get();
    ovrlib::HeadsetContext context(std::move(runtime), nullptr);
    ovrlib::Headset headset(&context);
    Scene scene(&headset, gl.window(), 1.0f, true);
    for (std::uint32_t frame = 0; frame < 3; ++frame) {
        const std::uint32_t presentedBefore = display->framesPresented();
        // One pass and the two eyes' sorts; a second pass would double it.
        const std::uint64_t computed = invocations([&] { scene.frame(frame); });
        EXPECT_TRUE(computed >= onePass && computed < onePass + onePass / 4) << computed << " in frame " << frame;
        EXPECT_EQ(display->framesPresented(), presentedBefore + 1) << "frame " << frame;
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

}  // namespace
}  // namespace earth
