#pragma once
// Stand-ins for the satellite renderer and the catalogue in script tests, and a frame's input.

#include "data/Satellite.h"
#include "render/SatelliteOperations.h"
#include "data/GazePick.h"
#include "script/ScriptElement.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

namespace earth::test {

// The satellites on screen as plain records; the pick uses the program's own rule.
class FakeSatellites final : public SatelliteOperations {
public:
    struct Record {
        glm::vec4 color{1.0f};
        float size = 0.01f;
        bool visible = true;
        std::optional<SatellitePosition> position;
    };

    Record& add(int number, const glm::vec3& position = glm::vec3(0.0f, 0.0f, 2.0f),
                const glm::vec3& direction = glm::vec3(1.0f, 0.0f, 0.0f)) {
        Record& r = records[number];
        r.position = SatellitePosition{position, direction};
        return r;
    }
    bool has(int number) const { return records.count(number) != 0; }

    void setColors(const std::vector<std::pair<int, glm::vec4>>& colors) override {
        for (const auto& [number, color] : colors) if (has(number)) records[number].color = color;
    }
    void setSizes(const std::vector<std::pair<int, float>>& sizes) override {
        for (const auto& [number, size] : sizes) if (has(number)) records[number].size = size;
    }
    void setVisible(const std::vector<int>& numbers) override {
        visibleCalls.push_back(numbers);
        for (auto& [number, r] : records) r.visible = false;
        for (int number : numbers) if (has(number)) records[number].visible = true;
    }
    std::optional<glm::vec4> getColor(int n) const override {
        return has(n) ? std::optional(records.at(n).color) : std::nullopt;
    }
    std::optional<float> getSize(int n) const override {
        return has(n) ? std::optional(records.at(n).size) : std::nullopt;
    }
    std::optional<SatellitePosition> getPosition(int n) const override {
        return has(n) ? records.at(n).position : std::nullopt;
    }
    int pickByGaze(const glm::vec3& origin, const glm::vec3& direction,
                   float maxAngle = 0.0f) const override {
        GazePick pick(origin, direction, maxAngle);
        for (const auto& [number, r] : records) {
            if (r.visible && r.position) pick.consider(number, r.position->position);
        }
        return pick.result();
    }
    void setOrbitAlpha(float alpha) override { orbitAlpha_ = alpha; }
    float orbitAlpha() const override { return orbitAlpha_; }

    std::map<int, Record> records;  // ascending catalogue number, like the renderer
    std::vector<std::vector<int>> visibleCalls;

private:
    float orbitAlpha_ = 1.0f;
};

inline void expectVec(const glm::vec3& actual, const glm::vec3& expected, float tol,
                      const char* what) {
    EXPECT_NEAR(actual.x, expected.x, tol) << what;
    EXPECT_NEAR(actual.y, expected.y, tol) << what;
    EXPECT_NEAR(actual.z, expected.z, tol) << what;
}

inline bool finiteFrame(const CameraFrame& f) {
    for (const glm::vec3& v : {f.position, f.forward, f.up, f.basis[0], f.basis[1], f.basis[2]}) {
        if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z)) return false;
    }
    return true;
}

// One frame's input: `pressed` went down this frame, `held` were already down.
inline FrameInput input(float dt, std::initializer_list<Control> pressed = {},
                        std::initializer_list<Control> held = {}) {
    FrameInput in;
    in.dt = dt;
    for (Control c : pressed) in.pressed.set(static_cast<std::size_t>(c));
    in.held = in.pressed;
    for (Control c : held) in.held.set(static_cast<std::size_t>(c));
    return in;
}

inline Satellite makeSatellite(int number, const std::string& name) {
    Satellite s;
    s.catalogNumber = number;
    s.name = name;
    return s;
}

// Logs which of its slots ran; never finishes, and its start hands over to `onStart`.
class ProbeElement final : public IScriptElement {
public:
    explicit ProbeElement(std::string name, std::vector<std::string>* log = nullptr)
        : name_(std::move(name)), log_(log) {}
    IScriptElement* start(ScriptContext&) override { note("start"); return onStart; }
    IScriptElement* update(float, ScriptContext&) override { note("update"); return nullptr; }
    IScriptElement* onContinue(ScriptContext&) override { note("continue"); return nullptr; }
    IScriptElement* onSkip(ScriptContext&) override { note("skip"); return nullptr; }
    void pause(ScriptContext&) override { note("pause"); }
    void resume(ScriptContext&) override { note("resume"); }
    IScriptElement* onStart = nullptr;

private:
    void note(const char* what) {
        if (log_ != nullptr) log_->push_back(name_ + "." + what);
    }
    std::string name_;
    std::vector<std::string>* log_;
};

}  // namespace earth::test
