#include "script/ScriptElements.h"

#include "render/SatelliteOperations.h"

#include <algorithm>

namespace earth {

CompoundScriptElement::CompoundScriptElement(std::vector<IScriptElement*> children,
                                             IScriptElement* next)
    : children_(std::move(children)), next_(next) {}

template <typename Operation>
IScriptElement* CompoundScriptElement::fanOut(ScriptContext& ctx, Operation operation) {
    std::size_t finished = 0;
    for (IScriptElement*& slot : children_) {
        runChain(slot, operation(*slot), ctx);
        if (slot->isFinished()) {
            ++finished;
        }
    }
    return finished == children_.size() ? next_ : nullptr;
}

IScriptElement* CompoundScriptElement::start(ScriptContext& ctx) {
    return fanOut(ctx, [&](IScriptElement& e) { return e.start(ctx); });
}

IScriptElement* CompoundScriptElement::update(float dt, ScriptContext& ctx) {
    return fanOut(ctx, [&](IScriptElement& e) { return e.update(dt, ctx); });
}

IScriptElement* CompoundScriptElement::onContinue(ScriptContext& ctx) {
    return fanOut(ctx, [&](IScriptElement& e) { return e.onContinue(ctx); });
}

IScriptElement* CompoundScriptElement::onSkip(ScriptContext& ctx) {
    return fanOut(ctx, [&](IScriptElement& e) { return e.onSkip(ctx); });
}

void CompoundScriptElement::pause(ScriptContext& ctx) {
    for (IScriptElement* child : children_) {
        child->pause(ctx);
    }
}

void CompoundScriptElement::resume(ScriptContext& ctx) {
    for (IScriptElement* child : children_) {
        child->resume(ctx);
    }
}

bool CompoundScriptElement::isFinished() const {
    return std::all_of(children_.begin(), children_.end(),
                       [](const IScriptElement* child) { return child->isFinished(); });
}

IScriptElement* WaitForInput::onContinue(ScriptContext&) {
    done_ = true;
    return next_;
}

IScriptElement* ShowSplashScreen::start(ScriptContext& ctx) {
    ctx.splash = splash_;
    return next_;
}

IScriptElement* SetRate::start(ScriptContext& ctx) {
    ramp_.arm(ctx.effectiveRate(), target_, duration_);
    return nullptr;
}

IScriptElement* SetRate::update(float dt, ScriptContext& ctx) {
    ramp_.update(dt);
    ctx.rate = ramp_.value;
    return ramp_.active ? nullptr : next_;
}

namespace {

template <typename Value>
std::vector<std::pair<int, Value>> sameForAll(const std::vector<std::int32_t>& numbers,
                                              const Value& value) {
    std::vector<std::pair<int, Value>> entries;
    entries.reserve(numbers.size());
    for (std::int32_t number : numbers) {
        entries.emplace_back(number, value);
    }
    return entries;
}

}  // namespace

SubsetColor::SubsetColor(const std::vector<std::int32_t>& numbers, const glm::vec4& color,
                         IScriptElement* next)
    : entries_(sameForAll(numbers, color)), next_(next) {}

SubsetColor::SubsetColor(Entries entries, IScriptElement* next)
    : entries_(std::move(entries)), next_(next) {}

IScriptElement* SubsetColor::start(ScriptContext& ctx) {
    ctx.renderer->setColors(entries_);
    return next_;
}

SubsetSize::SubsetSize(const std::vector<std::int32_t>& numbers, float size, IScriptElement* next)
    : entries_(sameForAll(numbers, size)), next_(next) {}

SubsetSize::SubsetSize(Entries entries, IScriptElement* next)
    : entries_(std::move(entries)), next_(next) {}

IScriptElement* SubsetSize::start(ScriptContext& ctx) {
    ctx.renderer->setSizes(entries_);
    return next_;
}

IScriptElement* SubsetVisible::start(ScriptContext& ctx) {
    ctx.renderer->setVisible(ids_);
    ctx.shown = static_cast<std::size_t>(std::count_if(
        ids_.begin(), ids_.end(), [&](int number) { return ctx.renderer->getColor(number).has_value(); }));
    return next_;
}

}  // namespace earth
