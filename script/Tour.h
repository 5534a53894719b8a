#pragma once
// The program's scripts: the guided tour, the free exploration that follows it, and the
// script that starts straight in free exploration.

#include "data/Satellite.h"
#include "script/CameraElements.h"
#include "script/ScriptElement.h"
#include "script/ScriptElements.h"
#include "script/Selection.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace earth {

class AudioSystem;
class SatelliteOperations;

// Catalogue numbers of the satellites whose orbit class has any of `bits`, in catalogue order.
std::vector<int> subsetByClass(const std::vector<Satellite>& catalogue, int bits);
// Catalogue numbers of the satellites listed in the named category.
std::vector<int> subsetByCategory(const std::vector<Satellite>& catalogue, const std::string& name);
std::vector<int> allSatellites(const std::vector<Satellite>& catalogue);

// Owns elements of any type for as long as the script lives (elements are never deleted
// through their interface, so each keeps its own deleter).
class ElementPool {
public:
    template <typename T, typename... Args>
    T* make(Args&&... args) {
        auto element = std::make_shared<T>(std::forward<Args>(args)...);
        T* raw = element.get();
        items_.push_back(std::move(element));
        return raw;
    }

private:
    std::vector<std::shared_ptr<void>> items_;
};

// The free-exploration loop: wait for the continue control, colour and show the classes,
// then the free camera with selection by gaze, flights to the selection and back.
class ExplorationScript {
public:
    ExplorationScript(const std::vector<Satellite>& catalogue, const float* scale);
    ExplorationScript(const ExplorationScript&) = delete;
    ExplorationScript& operator=(const ExplorationScript&) = delete;

    IScriptElement* first() const { return first_; }
    const Selection& selection() const { return selection_; }
    FreeCameraElement* freeCamera() { return &free_; }

private:
    // The loop's four elements refer to each other; declared together so that each can be
    // given the others' addresses at construction.
    Selection selection_;
    FreeCameraElement free_;
    SelectWithLookElement look_;
    StickToSelection follow_;
    ReorientToFixedCamera reorient_;
    ElementPool pool_;
    IScriptElement* first_ = nullptr;
};

// The thirty-five steps of the guided tour; the last one hands over to `exploration`.
class TourScript {
public:
    TourScript(const std::vector<Satellite>& catalogue, AudioSystem& audio, float scale,
               float initialRate, IScriptElement* exploration);
    TourScript(const TourScript&) = delete;
    TourScript& operator=(const TourScript&) = delete;

    IScriptElement* first() const { return steps_.front(); }
    // The element of each step, step 1 first.
    const std::vector<IScriptElement*>& steps() const { return steps_; }

private:
    ElementPool pool_;
    std::vector<IScriptElement*> steps_;
};

// The camera pose the tour and the exploration start from: 3 Earth radii out on +Z.
OrbitPose startPose(float scale);

IScriptElement* buildExploration(const std::vector<Satellite>& catalogue, const float* scale);
ScriptContext buildTour(const std::vector<Satellite>& catalogue, SatelliteOperations* renderer,
                        const float* scale, float initialRate);
// Silences the music and every narration, or brings them back.
void setSoundMuted(bool muted);

ScriptContext buildNoTour(const std::vector<Satellite>& catalogue, SatelliteOperations* renderer,
                          const float* scale, float initialRate);

}  // namespace earth
