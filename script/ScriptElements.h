#pragma once
// The composite element and the simple steps of the scripts.

#include "script/ScriptElement.h"
#include "script/Tween.h"

#include <glm/vec4.hpp>

#include <cstdint>
#include <utility>
#include <vector>

namespace earth {

// Runs its children side by side, each slot a sequence of its own; hands over to `next`
// once every slot's element is finished. Used once, never reset.
class CompoundScriptElement : public IScriptElement {
public:
    CompoundScriptElement(std::vector<IScriptElement*> children, IScriptElement* next);

    IScriptElement* start(ScriptContext& ctx) override;
    IScriptElement* update(float dt, ScriptContext& ctx) override;
    IScriptElement* onContinue(ScriptContext& ctx) override;
    IScriptElement* onSkip(ScriptContext& ctx) override;
    void pause(ScriptContext& ctx) override;
    void resume(ScriptContext& ctx) override;
    bool isFinished() const override;

    // The element each slot has reached.
    const std::vector<IScriptElement*>& children() const { return children_; }

private:
    template <typename Operation>
    IScriptElement* fanOut(ScriptContext& ctx, Operation operation);

    std::vector<IScriptElement*> children_;
    IScriptElement* next_;
};

// Never hands over, never finishes.
class ScriptTerminal : public IScriptElement {};

// Stays until the continue control.
class WaitForInput : public IScriptElement {
public:
    explicit WaitForInput(IScriptElement* next) : next_(next) {}
    IScriptElement* onContinue(ScriptContext& ctx) override;
    bool isFinished() const override { return done_; }

private:
    IScriptElement* next_;
    bool done_ = false;
};

class ShowSplashScreen : public IScriptElement {
public:
    ShowSplashScreen(std::int32_t splash, IScriptElement* next) : splash_(splash), next_(next) {}
    IScriptElement* start(ScriptContext& ctx) override;

private:
    std::int32_t splash_;
    IScriptElement* next_;
};

// Eases the simulation rate from its current (effective) value to `target`.
class SetRate : public IScriptElement {
public:
    SetRate(float target, float duration, IScriptElement* next)
        : next_(next), target_(target), duration_(duration) {}
    IScriptElement* start(ScriptContext& ctx) override;
    IScriptElement* update(float dt, ScriptContext& ctx) override;
    bool isFinished() const override { return !ramp_.active; }

private:
    IScriptElement* next_;
    float target_;
    float duration_;
    Tween ramp_;
};

class SubsetColor : public IScriptElement {
public:
    using Entries = std::vector<std::pair<int, glm::vec4>>;
    SubsetColor(const std::vector<std::int32_t>& numbers, const glm::vec4& color,
                IScriptElement* next);
    SubsetColor(Entries entries, IScriptElement* next);
    IScriptElement* start(ScriptContext& ctx) override;
    bool isFinished() const override { return true; }

private:
    Entries entries_;
    IScriptElement* next_;
};

class SubsetSize : public IScriptElement {
public:
    using Entries = std::vector<std::pair<int, float>>;
    SubsetSize(const std::vector<std::int32_t>& numbers, float size, IScriptElement* next);
    SubsetSize(Entries entries, IScriptElement* next);
    IScriptElement* start(ScriptContext& ctx) override;
    bool isFinished() const override { return true; }

private:
    Entries entries_;
    IScriptElement* next_;
};

// Exactly these satellites are shown afterwards; an empty list hides all.
class SubsetVisible : public IScriptElement {
public:
    SubsetVisible(std::vector<int> ids, IScriptElement* next)
        : ids_(std::move(ids)), next_(next) {}
    IScriptElement* start(ScriptContext& ctx) override;
    bool isFinished() const override { return true; }

private:
    std::vector<int> ids_;
    IScriptElement* next_;
};

}  // namespace earth
