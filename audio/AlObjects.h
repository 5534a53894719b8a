#pragma once
// Move-only owners of OpenAL names. The context that made a name must be current on the
// calling thread when the owner deletes it (AudioSystem::Lock takes care of that).

#include <AL/al.h>

#include <utility>

namespace earth {

namespace detail {

// One owner template for both kinds of name, told apart by their generate/delete pair.
template <void (*Generate)(ALsizei, ALuint*), void (*Delete)(ALsizei, const ALuint*)>
class AlName {
public:
    AlName() noexcept = default;

    // Makes a new name; stays empty if the library refuses (the caller checks alGetError).
    static AlName create() {
        AlName owner;
        ALuint name = 0;
        Generate(1, &name);
        owner.name_ = name;
        return owner;
    }

    // Takes over a name made elsewhere.
    static AlName adopt(ALuint name) noexcept {
        AlName owner;
        owner.name_ = name;
        return owner;
    }

    AlName(const AlName&) = delete;
    AlName& operator=(const AlName&) = delete;
    AlName(AlName&& other) noexcept : name_(std::exchange(other.name_, 0u)) {}
    // Swap, so the old name dies with the moved-from object.
    AlName& operator=(AlName&& other) noexcept {
        std::swap(name_, other.name_);
        return *this;
    }
    ~AlName() {
        if (name_ != 0) {
            Delete(1, &name_);
        }
    }

    ALuint get() const noexcept { return name_; }
    explicit operator bool() const noexcept { return name_ != 0; }

    // Gives the name up without deleting it.
    ALuint release() noexcept { return std::exchange(name_, 0u); }

private:
    ALuint name_ = 0;
};

inline void generateSources(ALsizei n, ALuint* names) { alGenSources(n, names); }
inline void deleteSources(ALsizei n, const ALuint* names) { alDeleteSources(n, names); }
inline void generateBuffers(ALsizei n, ALuint* names) { alGenBuffers(n, names); }
inline void deleteBuffers(ALsizei n, const ALuint* names) { alDeleteBuffers(n, names); }

}  // namespace detail

using AlSource = detail::AlName<detail::generateSources, detail::deleteSources>;
using AlBuffer = detail::AlName<detail::generateBuffers, detail::deleteBuffers>;

}  // namespace earth
