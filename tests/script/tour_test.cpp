// The guided tour against a small catalogue, one row per step: what it plays, where the camera
// ends, how long it holds, the rate it leaves, and what it shows, colours and sizes.

#include "script/Tour.h"

#include "audio/AudioSystem.h"
#include "data/Catalogue.h"
#include "script/TrackElement.h"
#include "ScriptFakes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace earth {
namespace {

using test::FakeSatellites;

// One stand-in per group the tour addresses; names make the table readable.
const std::map<int, std::string> kNames = {
    {1, "sputnik"},  {23613, "geoA"},   {24876, "gps"},    {25000, "cloud"},  {27540, "integral"},
    {27714, "geoB"}, {32404, "geoC"},   {36585, "gpsIIF"}, {40025, "cubeA"},  {40032, "cubeB"}};

Satellite satellite(int number, int orbitClass, std::vector<std::string> categories) {
    Satellite s = test::makeSatellite(number, kNames.at(number));
    s.orbitClass = orbitClass;
    s.categories = std::move(categories);
    return s;
}

std::string colourName(const glm::vec4& c) {
    static const std::pair<const char*, glm::vec4> known[] = {
        {"green", {0.44f, 0.82f, 0.42f, 1.0f}}, {"orange", {1.0f, 0.75f, 0.34f, 1.0f}},
        {"blue", {0.42f, 0.65f, 0.87f, 1.0f}},  {"red", {0.78f, 0.13f, 0.22f, 1.0f}}};
    for (const auto& [name, k] : known) {
        if (glm::vec3(c) == glm::vec3(k)) return c.a == 1.0f ? name : std::string(name) + "/f";
    }
    return "other";
}

// Tracks a step plays: its own, or its compound's direct children's.
void tracksOf(const IScriptElement* e, std::string& out) {
    if (const auto* t = dynamic_cast<const TrackElement*>(e)) out += " track " + std::to_string(t->resourceId());
    if (const auto* c = dynamic_cast<const CompoundScriptElement*>(e)) {
        for (const IScriptElement* child : c->children()) tracksOf(child, out);
    }
}

TEST(Tour, EveryStepPlaysMovesShowsAndColoursWhatTheTableSays) {
    const float scale = 1.0f / 6378100.0f;
    const std::vector<Satellite> catalogue = {
        satellite(1, OrbitClass::Leo, {"sputnik"}),      satellite(23613, OrbitClass::Geo, {"geo"}),
        satellite(24876, OrbitClass::Meo, {"gps-ops"}),  satellite(25000, OrbitClass::Elliptical, {"1999-025"}),
        satellite(27540, OrbitClass::Elliptical, {"science"}), satellite(27714, OrbitClass::Geo, {"geo"}),
        satellite(32404, OrbitClass::Geo, {"geo"}),      satellite(36585, OrbitClass::Meo, {"gps-ops"}),
        satellite(40025, OrbitClass::Leo, {"cubesat"}),  satellite(40032, OrbitClass::Leo, {"cubesat"})};
    FakeSatellites renderer;
    for (const Satellite& s : catalogue) {
        const float a = static_cast<float>(s.catalogNumber % 360);
        renderer.add(s.catalogNumber, {2.0f * std::cos(a), 0.3f, 2.0f * std::sin(a)}, {-std::sin(a), 0.0f, std::cos(a)});
    }
    // No sound device: every track counts as finished at once, so a step holds only as long
    // as its camera move or rate ramp.
    AudioSystem audio(1.0f, "no such device");
    ExplorationScript exploration(catalogue, &scale);
    TourScript tour(catalogue, audio, scale, 1000.0f, exploration.first());
    ASSERT_EQ(tour.steps().size(), 35u);

    // Each step alone, in order: started, then updated until it hands over (the first waits
    // for the continue control; the last never hands over, a second of it is enough).
    const float dt = 0.05f;
    ScriptContext ctx(&renderer, startPose(scale).frame, 1000.0f, 1, nullptr);
    std::vector<std::string> rows;
    for (IScriptElement* element : tour.steps()) {
        const std::map<int, FakeSatellites::Record> before = renderer.records;
        const std::size_t visibleCalls = renderer.visibleCalls.size();
        ctx.current = element;
        IScriptElement* next = element->start(ctx);
        int frames = 0;
        if (next == nullptr && dynamic_cast<WaitForInput*>(element) != nullptr) next = element->onContinue(ctx);
        for (; next == nullptr && frames < (element == tour.steps().back() ? 20 : 2000); ++frames) {
            next = element->update(dt, ctx);
        }
        std::string row;
        tracksOf(element, row);
        const OrbitPose p = fromFrame(ctx.camera);
        char numbers[96];
        std::snprintf(numbers, sizeof numbers, " | %.0f/%.0f/%.1f | %.2f s | x%.0f", p.elevation * 180 / orbit::pi,
                      std::fmod(p.azimuth * 180 / orbit::pi + 360.0f, 360.0f), p.distance, frames * dt, ctx.rate);
        row += numbers;
        if (renderer.visibleCalls.size() > visibleCalls) {
            row += " | shown";
            for (const auto& [n, r] : renderer.records) if (r.visible) row += " " + kNames.at(n);
        }
        for (const auto& [n, r] : renderer.records) {
            if (r.color != before.at(n).color) row += " | " + kNames.at(n) + " " + colourName(r.color);
            if (r.size != before.at(n).size) {
                char size[16];
                std::snprintf(size, sizeof size, "%g", r.size);
                row += " | " + kNames.at(n) + " size " + size;
            }
        }
        if (ctx.splash != 0) row += " | splash " + std::to_string(ctx.splash);
        rows.push_back(row);
    }

    // Tracks | elevation/azimuth/distance in radii where the step ends | how long it holds
    // without sound | rate | what it shows | colours (/f faded) and sizes it changes.
    const std::vector<std::string> expected = {
  /*  1 */ " | 0/0/3.0 | 0.00 s | x1000 | splash 1",
  /*  2 */ " | 0/0/3.0 | 0.00 s | x1000",
  /*  3 */ " | 52/80/6.0 | 8.05 s | x1000",
  /*  4 */ " track 106 | 45/90/4.0 | 9.05 s | x1000",
  /*  5 */ " track 116 | 45/90/4.0 | 0.00 s | x1000 | shown sputnik | sputnik size 0.02",
  /*  6 */ " track 121 | 45/90/4.0 | 0.00 s | x1000 | shown sputnik geoA gps cloud integral geoB geoC gpsIIF cubeA cubeB",
  /*  7 */ " track 126 | 16/172/8.0 | 6.05 s | x1000",
  /*  8 */ " track 146 | 5/172/5.5 | 6.05 s | x1000 | sputnik green | geoA blue/f | gps orange/f | cloud red/f | integral red/f | geoB blue/f | geoC blue/f | gpsIIF orange/f | cubeA green | cubeA size 0.02 | cubeB green | cubeB size 0.02",
  /*  9 */ " track 151 | 16/172/8.0 | 6.05 s | x1000 | sputnik green/f | sputnik size 0.01 | cloud red | cloud size 0.028 | integral red | integral size 0.028 | cubeA green/f | cubeA size 0.01 | cubeB green/f | cubeB size 0.01",
  /* 10 */ " track 156 | 16/172/8.0 | 6.05 s | x1000 | gps orange | gps size 0.025 | cloud red/f | cloud size 0.01 | integral red/f | integral size 0.01 | gpsIIF orange | gpsIIF size 0.025",
  /* 11 */ " track 161 | 30/172/9.0 | 6.05 s | x1000 | geoA blue | geoA size 0.025 | gps orange/f | gps size 0.01 | geoB blue | geoB size 0.025 | geoC blue | geoC size 0.025 | gpsIIF orange/f | gpsIIF size 0.01",
  /* 12 */ " | 30/172/9.0 | 2.10 s | x0",
  /* 13 */ " | 9/221/2.0 | 10.05 s | x0",
  /* 14 */ " | 9/221/2.0 | 0.00 s | x0 | shown geoA geoB geoC",
  /* 15 */ " track 171 | 9/221/2.0 | 10.05 s | x1000",
  /* 16 */ " | 16/20/12.0 | 5.05 s | x1000",
  /* 17 */ " | 16/20/12.0 | 0.55 s | x3",
  /* 18 */ " track 181 | 16/20/12.0 | 4.10 s | x12000 | shown geoA geoB geoC | geoA orange | geoA size 0.09 | geoB size 0.08 | geoC green | geoC size 0.08",
  /* 19 */ " | 16/20/12.0 | 6.05 s | x1000",
  /* 20 */ " track 186 | 16/172/8.0 | 10.05 s | x1000",
  /* 21 */ " track 196 | 35/192/5.5 | 16.10 s | x1000 | shown | sputnik green | sputnik size 0.02 | cubeA green | cubeA size 0.02 | cubeB green | cubeB size 0.02",
  /* 22 */ " | 35/192/5.5 | 2.10 s | x0",
  /* 23 */ " | 9/217/2.0 | 6.05 s | x0",
  /* 24 */ " track 206 | 9/217/2.0 | 6.05 s | x7000 | shown geoA gps cloud integral geoB geoC gpsIIF | geoA blue | geoA size 0.01 | gps orange | cloud red | integral red | geoB size 0.01 | geoC blue | geoC size 0.01 | gpsIIF orange",
  /* 25 */ " track 216 | 45/90/4.0 | 8.05 s | x1500 | shown cubeA cubeB | sputnik size 0.01 | cubeA size 0.01 | cubeB size 0.01",
  /* 26 */ " track 226 | 45/90/4.0 | 6.05 s | x1500 | shown cubeA cubeB | cubeA size 0.04 | cubeB orange | cubeB size 0.04",
  /* 27 */ " | 70/40/2.0 | 5.05 s | x1500",
  /* 28 */ " track 251 | 70/40/2.0 | 0.00 s | x1500 | shown cloud | cloud green",
  /* 29 */ " | 70/40/2.0 | 2.10 s | x0",
  /* 30 */ " | 9/187/2.0 | 10.05 s | x0",
  /* 31 */ " | 9/187/2.0 | 0.00 s | x0 | shown gps gpsIIF | gps orange/f | gpsIIF orange/f",
  /* 32 */ " | 9/187/2.0 | 8.05 s | x1000",
  /* 33 */ " track 261 | 9/187/2.0 | 0.00 s | x1000 | gpsIIF orange | gpsIIF size 0.04",
  /* 34 */ " | 0/0/3.0 | 3.10 s | x1000",
  /* 35 */ " track 266 | 0/0/3.0 | 1.00 s | x1000 | shown | splash 2"};
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t s = 0; s < rows.size(); ++s) EXPECT_EQ(rows[s], expected[s]) << "step " << s + 1;
}

}  // namespace
}  // namespace earth
