// The guided tour against a small catalogue: steps in order, what they show, free exploration.

#include "script/Tour.h"

#include "audio/AudioSystem.h"
#include "data/Catalogue.h"
#include "ScriptFakes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace earth {
namespace {

using test::FakeSatellites;

Satellite satellite(int number, int orbitClass, std::vector<std::string> categories = {}) {
    Satellite s = test::makeSatellite(number, "SAT " + std::to_string(number));
    s.orbitClass = orbitClass;
    s.categories = std::move(categories);
    s.isDebris = std::find(s.categories.begin(), s.categories.end(), "1999-025") != s.categories.end();
    return s;
}

class TourTest : public ::testing::Test {
protected:
    TourTest() {
        catalogue = {satellite(1, OrbitClass::Leo, {"sputnik"}),
                     satellite(23613, OrbitClass::Geo, {"geo"}),
                     satellite(24876, OrbitClass::Meo, {"gps-ops"}),
                     satellite(25000, 0, {"1999-025"}),
                     satellite(27540, OrbitClass::Elliptical, {"science"}),
                     satellite(27714, OrbitClass::Geo, {"geo"}),
                     satellite(32404, OrbitClass::Geo, {"geo"}),
                     satellite(36585, OrbitClass::Meo, {"gps-ops"}),
                     satellite(40025, OrbitClass::Leo, {"cubesat"}),
                     satellite(40032, OrbitClass::Leo, {"cubesat"})};
        for (const Satellite& s : catalogue) {
            const float angle = static_cast<float>(s.catalogNumber % 360);
            renderer.add(s.catalogNumber, glm::vec3(2.0f * std::cos(angle), 0.3f, 2.0f * std::sin(angle)),
                         glm::vec3(-std::sin(angle), 0.0f, std::cos(angle)));
        }
    }

    int stepOf(const TourScript& tour, const IScriptElement* element) const {
        const auto& steps = tour.steps();
        const auto it = std::find(steps.begin(), steps.end(), element);
        return it == steps.end() ? 0 : static_cast<int>(it - steps.begin()) + 1;
    }

    bool shown(int number) const { return renderer.records.at(number).visible; }

    std::vector<Satellite> catalogue;
    FakeSatellites renderer;
    float scale = 1.0f / 6378100.0f;
    // No sound device: every track counts as finished at once, so narration steps end with
    // their camera moves and the test runs in simulated frames only.
    AudioSystem audio{1.0f, "no such device"};
};

TEST_F(TourTest, EveryStepTakesChargeInOrderAndTheLastInstallsFreeExploration) {
    ExplorationScript exploration(catalogue, &scale);
    TourScript tour(catalogue, audio, scale, 1000.0f, exploration.first());
    ASSERT_EQ(tour.steps().size(), 35u);

    ScriptContext ctx(&renderer, startPose(scale).frame, 1000.0f, 1, tour.first());
    EXPECT_EQ(ctx.splash, 1);
    EXPECT_NEAR(glm::length(ctx.camera.position), 3.0f, 1e-5f);
    for (int i = 0; i < 50; ++i) ctx.update(test::input(0.05f));
    EXPECT_EQ(stepOf(tour, ctx.current), 1) << "the first splash waits for the continue control";

    ctx.update(test::input(0.05f, {Control::Continue}));
    EXPECT_EQ(ctx.splash, 0);
    EXPECT_EQ(stepOf(tour, ctx.current), 3);
    while (stepOf(tour, ctx.current) == 3) ctx.update(test::input(0.05f));
    // The first move ends on its pose: 52 degrees up, 6 Earth radii out.
    EXPECT_NEAR(glm::length(ctx.camera.position), 6.0f, 1e-4f);
    EXPECT_NEAR(ctx.camera.position.y / 6.0f, std::sin(52.0f / 180.0f * 3.14159265f), 1e-5f);
    EXPECT_TRUE(test::finiteFrame(ctx.camera));

    std::vector<int> visited{1, 2, 3, stepOf(tour, ctx.current)};
    bool sawFastTime = false;
    for (int frame = 0; frame < 20000 && stepOf(tour, ctx.current) != 35; ++frame) {
        ctx.update(test::input(0.05f));
        const int step = stepOf(tour, ctx.current);
        if (step != visited.back()) visited.push_back(step);
        if (ctx.rate >= 12000.0f - 1.0f) sawFastTime = true;
    }
    EXPECT_TRUE(std::is_sorted(visited.begin(), visited.end()));
    // Every timed step (a camera move, a flight or a rate ramp) holds the camera for frames;
    // with no sound the steps made only of instant subset changes may pass within one update.
    for (int step : {3, 4, 7, 8, 9, 10, 11, 12, 13, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24,
                     25, 26, 27, 29, 30, 32, 34}) {
        EXPECT_NE(std::find(visited.begin(), visited.end(), step), visited.end())
            << "step " << step << " never took charge";
    }
    EXPECT_TRUE(sawFastTime);
    // What is shown changes in the tour's order: Sputnik alone, everything, the geosynchronous
    // class, three of them, the polar list, all but low orbits, the sun-synchronous list, two
    // cubesats, the anti-satellite debris, the navigation satellites.
    const std::vector<std::vector<int>> shownInOrder = {
        {1},
        {1, 23613, 24876, 25000, 27540, 27714, 32404, 36585, 40025, 40032},
        {23613, 27714, 32404},
        {27714, 32404, 23613},
        polarLeoSatellites,
        {23613, 24876, 27540, 27714, 32404, 36585},
        sunSynchronousLeoSatellites,
        {40025, 40032},
        {25000},
        {24876, 36585}};
    ASSERT_GE(renderer.visibleCalls.size(), shownInOrder.size());
    for (std::size_t i = 0; i < shownInOrder.size(); ++i) {
        EXPECT_EQ(renderer.visibleCalls[i], shownInOrder[i]) << "visibility change " << i;
    }
    EXPECT_EQ(renderer.records.at(36585).size, 0.04f) << "GPS IIF satellites enlarged";
    ASSERT_EQ(stepOf(tour, ctx.current), 35);

    // Step 35 hides everything and shows the second splash until the continue control.
    ctx.update(test::input(0.05f));
    EXPECT_EQ(ctx.splash, 2);
    EXPECT_TRUE(renderer.visibleCalls.back().empty());
    ctx.update(test::input(0.05f, {Control::Continue}));
    ctx.update(test::input(0.05f));
    EXPECT_EQ(ctx.splash, 0);
    EXPECT_TRUE(shown(1) && shown(32404) && shown(27540) && shown(24876));
    EXPECT_FALSE(shown(25000)) << "debris without a class stays hidden in free exploration";
    EXPECT_EQ(renderer.records.at(32404).color, glm::vec4(0.42f, 0.65f, 0.87f, 1.0f));
    for (int i = 0; i < 100; ++i) ctx.update(test::input(0.05f));
    EXPECT_EQ(stepOf(tour, ctx.current), 35) << "free exploration runs inside the last step";
}

// Pausing inside a step is covered by CameraTransition and CompoundScriptElement tests.

TEST(Subsets, SelectByClassBitsCategoryAndAll) {
    std::vector<Satellite> catalogue;
    for (const auto& [number, orbitClass, category] :
         std::vector<std::tuple<int, int, std::string>>{{5, OrbitClass::Leo, "amateur"},
                                                        {7, OrbitClass::Geo, "geo"},
                                                        {9, 0, "1999-025"},
                                                        {11, OrbitClass::Elliptical, "molniya"}}) {
        Satellite s = test::makeSatellite(number, "x");
        s.orbitClass = orbitClass;
        s.categories = {category};
        catalogue.push_back(s);
    }
    EXPECT_EQ(subsetByClass(catalogue, OrbitClass::All), (std::vector<int>{5, 7, 11}));
    EXPECT_EQ(subsetByClass(catalogue, OrbitClass::Geo | OrbitClass::Elliptical), (std::vector<int>{7, 11}));
    EXPECT_EQ(subsetByCategory(catalogue, "1999-025"), (std::vector<int>{9}));
    EXPECT_TRUE(subsetByCategory(catalogue, "gps-ops").empty());
    EXPECT_EQ(allSatellites(catalogue), (std::vector<int>{5, 7, 9, 11}));
}

}  // namespace
}  // namespace earth
