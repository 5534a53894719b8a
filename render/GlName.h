#pragma once
// Owners of OpenGL object names. Each owner deletes its name(s) exactly once, through the
// deletion entry point it was made with; moving hands that duty to the target.
//
// The deleters hold a reference to the variable that holds the entry point (the loader fills
// such variables once a context exists), so the pointer is read when the name dies, not when
// the owner is made. This header needs no GL header, which keeps the ownership rules testable
// without a context.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>

namespace glcommon {

namespace impl {

class GlNameDeleter {
public:
    virtual ~GlNameDeleter() = default;
    virtual void deleteName(std::uint32_t name) = 0;
};

class GlNameArrayDeleter {
public:
    virtual ~GlNameArrayDeleter() = default;
    virtual void deleteNames(std::int32_t count, const std::uint32_t* names) = 0;
};

// F is the type of the entry-point variable (a function pointer) or of a function.
template <class F>
class GlNameDeleterImpl final : public GlNameDeleter {
public:
    explicit GlNameDeleterImpl(F& function) : function_(function) {}
    void deleteName(std::uint32_t name) override { function_(name); }

private:
    F& function_;
};

template <class F>
class GlNameArrayDeleterImpl final : public GlNameArrayDeleter {
public:
    explicit GlNameArrayDeleterImpl(F& function) : function_(function) {}
    void deleteNames(std::int32_t count, const std::uint32_t* names) override {
        function_(count, names);
    }

private:
    F& function_;
};

}  // namespace impl

class GlName {
public:
    GlName() noexcept = default;

    // Adopts a name returned by a creation call (glCreateProgram, glCreateShader).
    template <class F>
    GlName(std::uint32_t name, F& deleteFunction)
        : name_(name),
          deleter_(std::make_unique<impl::GlNameDeleterImpl<F>>(deleteFunction)),
          released_(false) {}

    GlName(const GlName&) = delete;
    GlName& operator=(const GlName&) = delete;

    GlName(GlName&& other) noexcept
        : name_(other.name_), deleter_(std::move(other.deleter_)), released_(other.released_) {
        other.name_ = 0;
        other.released_ = true;
    }

    // Swap-based: whatever the target held dies with the moved-from object.
    GlName& operator=(GlName&& other) noexcept {
        swap(other);
        return *this;
    }

    ~GlName() { reset(); }

    void swap(GlName& other) noexcept {
        std::swap(name_, other.name_);
        std::swap(deleter_, other.deleter_);
        std::swap(released_, other.released_);
    }

    // Deletes the name now (if still owned); the owner is empty afterwards.
    void reset() noexcept {
        if (!released_ && deleter_) deleter_->deleteName(name_);
        released_ = true;
        name_ = 0;
        deleter_.reset();
    }

    // Gives up ownership without deleting; the caller becomes responsible for the name.
    std::uint32_t release() noexcept {
        const std::uint32_t name = name_;
        name_ = 0;
        released_ = true;
        deleter_.reset();
        return name;
    }

    std::uint32_t get() const noexcept { return name_; }
    bool owns() const noexcept { return !released_; }

private:
    std::uint32_t name_ = 0;
    std::unique_ptr<impl::GlNameDeleter> deleter_;
    bool released_ = true;
};

template <std::size_t N>
class GlNameArray {
public:
    static_assert(N > 0, "an owner of no names owns nothing");

    GlNameArray() noexcept = default;

    // Makes the deleter first, so that a name generated here always has one to die with.
    template <class Gen, class F>
    GlNameArray(Gen&& generate, F& deleteFunction)
        : deleter_(std::make_unique<impl::GlNameArrayDeleterImpl<F>>(deleteFunction)),
          released_(false) {
        std::forward<Gen>(generate)(static_cast<std::int32_t>(N), names_.data());
    }

    GlNameArray(const GlNameArray&) = delete;
    GlNameArray& operator=(const GlNameArray&) = delete;

    GlNameArray(GlNameArray&& other) noexcept
        : names_(other.names_), deleter_(std::move(other.deleter_)), released_(other.released_) {
        other.names_.fill(0);
        other.released_ = true;
    }

    GlNameArray& operator=(GlNameArray&& other) noexcept {
        swap(other);
        return *this;
    }

    ~GlNameArray() { reset(); }

    void swap(GlNameArray& other) noexcept {
        std::swap(names_, other.names_);
        std::swap(deleter_, other.deleter_);
        std::swap(released_, other.released_);
    }

    void reset() noexcept {
        if (!released_ && deleter_) deleter_->deleteNames(static_cast<std::int32_t>(N), names_.data());
        released_ = true;
        names_.fill(0);
        deleter_.reset();
    }

    std::uint32_t operator[](std::size_t i) const noexcept { return names_[i]; }
    const std::uint32_t* data() const noexcept { return names_.data(); }
    static constexpr std::size_t size() noexcept { return N; }
    bool owns() const noexcept { return !released_; }

private:
    std::array<std::uint32_t, N> names_{};
    std::unique_ptr<impl::GlNameArrayDeleter> deleter_;
    bool released_ = true;
};

template <std::size_t N>
void swap(GlNameArray<N>& a, GlNameArray<N>& b) noexcept {
    a.swap(b);
}
inline void swap(GlName& a, GlName& b) noexcept { a.swap(b); }

}  // namespace glcommon
