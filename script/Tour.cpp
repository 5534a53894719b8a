#include "script/Tour.h"

#include "audio/AudioSystem.h"
#include "data/Catalogue.h"
#include "data/OrbitGeometry.h"
#include "script/TrackElement.h"

#include <glm/vec4.hpp>

#include <algorithm>

namespace earth {
namespace {

constexpr float kPi = orbit::pi;

const glm::vec4 kGreen{0.44f, 0.82f, 0.42f, 1.0f};
const glm::vec4 kOrange{1.0f, 0.75f, 0.34f, 1.0f};
const glm::vec4 kBlue{0.42f, 0.65f, 0.87f, 1.0f};
const glm::vec4 kRed{0.78f, 0.13f, 0.22f, 1.0f};

glm::vec4 faded(glm::vec4 colour) {
    colour.a = 0.3f;
    return colour;
}

struct PoseAngles {
    float elevationDegrees;
    float azimuthDegrees;
    float distanceRadii;
};

// The tour's camera poses P0 to P9.
constexpr PoseAngles kPoses[] = {{0, 0, 3},      {52, 80, 6},     {45, 90, 4},  {16, 172, 8},
                                 {5, 172, 5.5f}, {30, 172, 9},    {16, 20, 12}, {89, 80, 5.5f},
                                 {35, 192, 5.5f}, {70, 40, 2}};

OrbitPose pose(int index, float scale) {
    const PoseAngles& p = kPoses[index];
    return fromAngles(p.elevationDegrees / 180.0f * kPi, p.azimuthDegrees / 180.0f * kPi,
                      p.distanceRadii * orbit::earthRadius * scale);
}

}  // namespace

std::vector<int> subsetByClass(const std::vector<Satellite>& catalogue, int bits) {
    std::vector<int> numbers;
    for (const Satellite& s : catalogue) {
        if ((s.orbitClass & bits) != 0) numbers.push_back(s.catalogNumber);
    }
    return numbers;
}

std::vector<int> subsetByCategory(const std::vector<Satellite>& catalogue, const std::string& name) {
    std::vector<int> numbers;
    for (const Satellite& s : catalogue) {
        if (std::find(s.categories.begin(), s.categories.end(), name) != s.categories.end()) {
            numbers.push_back(s.catalogNumber);
        }
    }
    return numbers;
}

std::vector<int> allSatellites(const std::vector<Satellite>& catalogue) {
    std::vector<int> numbers;
    numbers.reserve(catalogue.size());
    for (const Satellite& s : catalogue) numbers.push_back(s.catalogNumber);
    return numbers;
}

OrbitPose startPose(float scale) { return pose(0, scale); }

ExplorationScript::ExplorationScript(const std::vector<Satellite>& catalogue, const float* scale)
    : selection_(&catalogue),
      free_(&selection_, scale, &look_, &follow_),
      look_(&selection_, &free_),
      follow_(&selection_, 1.0f * orbit::earthRadius * *scale, kPi / 8.0f, &reorient_),
      reorient_(&selection_, kPi / 8.0f, &free_) {
    IScriptElement* next = &free_;
    next = pool_.make<SubsetVisible>(subsetByClass(catalogue, OrbitClass::All), next);
    next = pool_.make<SubsetColor>(subsetByClass(catalogue, OrbitClass::Leo), kGreen, next);
    next = pool_.make<SubsetColor>(subsetByClass(catalogue, OrbitClass::Elliptical), kRed, next);
    next = pool_.make<SubsetColor>(subsetByClass(catalogue, OrbitClass::Meo), kOrange, next);
    next = pool_.make<SubsetColor>(subsetByClass(catalogue, OrbitClass::Geo), kBlue, next);
    next = pool_.make<ShowSplashScreen>(0, next);
    first_ = pool_.make<WaitForInput>(next);
}

TourScript::TourScript(const std::vector<Satellite>& catalogue, AudioSystem& audio, float scale,
                       float initialRate, IScriptElement* exploration) {
    const float r0 = initialRate;
    const auto leo = subsetByClass(catalogue, OrbitClass::Leo);
    const auto meo = subsetByClass(catalogue, OrbitClass::Meo);
    const auto geo = subsetByClass(catalogue, OrbitClass::Geo);
    const auto elliptical = subsetByClass(catalogue, OrbitClass::Elliptical);

    auto track = [&](int id) { return pool_.make<TrackElement>(audio, id); };
    auto move = [&](int poseIndex, float seconds, IScriptElement* next = nullptr) {
        return pool_.make<CameraTransition>(pose(poseIndex, scale), seconds, next);
    };
    auto colour = [&](const std::vector<int>& numbers, const glm::vec4& c) {
        return pool_.make<SubsetColor>(numbers, c, nullptr);
    };
    auto size = [&](const std::vector<int>& numbers, float s) {
        return pool_.make<SubsetSize>(numbers, s, nullptr);
    };
    auto visible = [&](std::vector<int> numbers, IScriptElement* next = nullptr) {
        return pool_.make<SubsetVisible>(std::move(numbers), next);
    };
    auto rate = [&](float target, float seconds, IScriptElement* next = nullptr) {
        return pool_.make<SetRate>(target, seconds, next);
    };
    auto together = [&](std::vector<IScriptElement*> children, IScriptElement* next) {
        return pool_.make<CompoundScriptElement>(std::move(children), next);
    };
    auto ride = [&](int number) { return pool_.make<StickToSatellite>(number); };
    auto flyTo = [&](int number, float seconds, IScriptElement* next) {
        return pool_.make<TransitionToSatellite>(number, seconds, next);
    };

    // Built from the last step back, since every step is given its successor.
    std::vector<IScriptElement*> s(36, nullptr);
    s[35] = together({visible({}, pool_.make<ShowSplashScreen>(2, exploration)), track(266)},
                     nullptr);
    s[34] = move(0, 3.0f, s[35]);
    s[33] = together({colour(gpsBlockIifSatellites, kOrange), size(gpsBlockIifSatellites, 0.04f),
                      ride(24876), track(261)},
                     s[34]);
    s[32] = together({ride(24876), rate(r0, 8.0f)}, s[33]);
    // The other navigation satellites fade, so that the six of the newer series stand out in
    // orange when step 33 names them.
    const auto gps = subsetByCategory(catalogue, "gps-ops");
    s[31] = together({visible(gps), colour(gps, faded(kOrange))}, s[32]);
    s[30] = flyTo(24876, 10.0f, s[31]);
    s[29] = rate(0.0f, 2.0f, s[30]);
    // One thin colour for the whole cloud: fragments left red or thick by earlier steps would
    // otherwise stand out of it.
    const auto cloud = subsetByCategory(catalogue, "1999-025");
    s[28] = together({visible(cloud), colour(cloud, kGreen), size(cloud, 0.01f), track(251)}, s[29]);
    s[27] = together({move(9, 5.0f)}, s[28]);
    // Two satellites flying close together: larger, and one in another colour, so that they
    // read as two.
    s[26] = together({move(2, 6.0f), visible({40025, 40032}),
                      pool_.make<SubsetColor>(SubsetColor::Entries{{40025, kGreen}, {40032, kOrange}}, nullptr),
                      size({40025, 40032}, 0.04f), track(226)},
                     s[27]);
    s[25] = together({rate(1.5f * r0, 6.0f), size(subsetByClass(catalogue, OrbitClass::All), 0.01f),
                      move(2, 8.0f), visible(sunSynchronousLeoSatellites), track(216)},
                     s[26]);
    s[24] = together({rate(7.0f * r0, 6.0f),
                      visible(subsetByClass(catalogue, OrbitClass::Meo | OrbitClass::Geo |
                                                           OrbitClass::Elliptical)),
                      colour(elliptical, kRed), size(elliptical, 0.01f), colour(geo, kBlue),
                      size(geo, 0.01f), colour(meo, kOrange), size(meo, 0.01f), ride(27540),
                      track(206)},
                     s[25]);
    s[23] = flyTo(27540, 6.0f, s[24]);
    s[22] = rate(0.0f, 2.0f, s[23]);
    // One child slot holds two moves in sequence: over the pole, then down to P8.
    s[21] = together({move(7, 10.0f, move(8, 6.0f)), visible(polarLeoSatellites), size(leo, 0.02f),
                      colour(leo, kGreen), size(elliptical, 0.01f), track(196)},
                     s[22]);
    s[20] = together({move(3, 10.0f), track(186)}, s[21]);
    s[19] = rate(r0, 6.0f, s[20]);
    s[18] = together(
        {track(181), visible({27714, 32404, 23613}),
         pool_.make<SubsetColor>(
             SubsetColor::Entries{{27714, kBlue}, {23613, kOrange}, {32404, kGreen}}, nullptr),
         pool_.make<SubsetSize>(
             SubsetSize::Entries{{27714, 0.08f}, {23613, 0.09f}, {32404, 0.08f}}, nullptr),
         rate(12.0f * r0, 4.0f)},
        s[19]);
    s[17] = rate(3.0f, 0.5f, s[18]);
    s[16] = move(6, 5.0f, s[17]);
    s[15] = together({rate(r0, 10.0f), ride(32404), track(171)}, s[16]);
    s[14] = visible(geo, s[15]);
    s[13] = flyTo(32404, 10.0f, s[14]);
    s[12] = rate(0.0f, 2.0f, s[13]);
    s[11] = together({colour(geo, kBlue), colour(meo, faded(kOrange)), size(meo, 0.01f),
                      size(geo, 0.025f), track(161), move(5, 6.0f)},
                     s[12]);
    s[10] = together({colour(elliptical, faded(kRed)), colour(meo, kOrange),
                      size(elliptical, 0.01f), size(meo, 0.025f), track(156), move(3, 6.0f)},
                     s[11]);
    s[9] = together({colour(leo, faded(kGreen)), colour(elliptical, kRed), size(leo, 0.01f),
                     size(elliptical, 0.028f), track(151), move(3, 6.0f)},
                    s[10]);
    s[8] = together({colour(geo, faded(kBlue)), colour(meo, faded(kOrange)),
                     colour(elliptical, faded(kRed)), colour(leo, kGreen), size(leo, 0.02f),
                     track(146), move(4, 6.0f)},
                    s[9]);
    s[7] = together({move(3, 6.0f), track(126)}, s[8]);
    s[6] = together({visible(allSatellites(catalogue)), track(121)}, s[7]);
    s[5] = together({visible({1}), size({1, 3}, 0.02f), track(116)}, s[6]);
    s[4] = together({move(2, 9.0f), track(106)}, s[5]);
    s[3] = move(1, 8.0f, s[4]);
    s[2] = pool_.make<ShowSplashScreen>(0, s[3]);
    s[1] = pool_.make<WaitForInput>(s[2]);
    steps_.assign(s.begin() + 1, s.end());
}

IScriptElement* buildExploration(const std::vector<Satellite>& catalogue, const float* scale) {
    static ExplorationScript script(catalogue, scale);
    return script.first();
}

namespace {
AudioSystem& programAudio() {
    static AudioSystem audio(1.0f);
    return audio;
}

// The music loop plays from the moment a script is built until the program ends; it is not
// a script element, so pausing the script leaves it playing.
AudioSystem& startMusic() {
    AudioSystem& audio = programAudio();
    static AudioTrack music(audio, 101);
    music.playLooped();
    return audio;
}
}  // namespace

void setSoundMuted(bool muted) { programAudio().setMuted(muted); }

ScriptContext buildTour(const std::vector<Satellite>& catalogue, SatelliteOperations* renderer,
                        const float* scale, float initialRate) {
    AudioSystem& audio = startMusic();
    IScriptElement* exploration = buildExploration(catalogue, scale);
    static TourScript tour(catalogue, audio, *scale, initialRate, exploration);
    return ScriptContext(renderer, startPose(*scale).frame, initialRate, 1, tour.first());
}

ScriptContext buildNoTour(const std::vector<Satellite>& catalogue, SatelliteOperations* renderer,
                          const float* scale, float initialRate) {
    startMusic();
    IScriptElement* exploration = buildExploration(catalogue, scale);
    return ScriptContext(renderer, startPose(*scale).frame, initialRate, 2, exploration);
}

}  // namespace earth
