// GL name ownership without a context: the deletion entry points are plain variables here.
#include "render/GlName.h"
#include "render/ShaderProgram.h"

#include <gtest/gtest.h>

#include <cstring>
#include <type_traits>
#include <vector>

using glcommon::GlName;
using glcommon::GlNameArray;

static_assert(!std::is_copy_constructible_v<GlName> && !std::is_copy_assignable_v<GlName> &&
              !std::is_copy_constructible_v<GlNameArray<4>>);
static_assert(std::is_nothrow_move_constructible_v<GlName> && std::is_nothrow_move_assignable_v<GlName> &&
              std::is_nothrow_move_constructible_v<GlNameArray<4>> && std::is_nothrow_move_assignable_v<GlNameArray<4>>);

namespace {

std::vector<unsigned> deleted;  // every name handed to a deletion, in order
void countingDelete(unsigned name) { deleted.push_back(name); }
void otherDelete(unsigned name) { deleted.push_back(name + 1000000); }
void deleteTwo(int n, const unsigned* names) { deleted.insert(deleted.end(), names, names + n); }
void generate(int n, unsigned* names) {
    static unsigned next = 100;
    for (int i = 0; i < n; ++i) names[i] = next++;
}
// Stand-ins for the loader's entry-point variables.
void (*deleteOne)(unsigned) = countingDelete;
void (*deleteMany)(int, const unsigned*) = deleteTwo;

TEST(GlNameTest, EachNameDiesOnceThroughTheEntryPointOfThatMoment) {
    {
        GlName name(8, deleteOne);
        deleteOne = otherDelete;  // the loader may fill the variable after the owner exists
    }
    deleteOne = countingDelete;
    GlName target(1, deleteOne);
    {
        GlName source(2, deleteOne);
        target = std::move(source);  // 1 now dies with the moved-from source
        GlName moved(std::move(target));
        EXPECT_FALSE(target.owns());
        target = std::move(moved);
        GlName& alias = target;
        target = std::move(alias);  // a self-move keeps the name
    }
    EXPECT_EQ(target.release(), 2u);
    target.reset();  // a released name is not deleted
    GlNameArray<2> survivor(generate, deleteMany);  // 100, 101
    {
        GlNameArray<2> names(generate, deleteMany);  // 102, 103
        GlNameArray<2> moved(std::move(names));
        EXPECT_EQ(names[0], 0u);
        survivor = std::move(moved);  // 100 and 101 die with `moved`
    }
    EXPECT_EQ(survivor[1], 103u);
    EXPECT_EQ(deleted, (std::vector<unsigned>{1000008, 1, 100, 101}));
}

TEST(InfoLog, CopiesUpToTheTerminatorOrTheBufferEvenForAZeroLength) {
    // Drivers that report a length of 0 still get a zeroed byte they may terminate.
    EXPECT_EQ(glcommon::impl::fetchInfoLog(0, [](std::int32_t capacity, char* b) { EXPECT_TRUE(capacity == 1 && !*b); }), "");
    EXPECT_EQ(glcommon::impl::fetchInfoLog(3, [](std::int32_t n, char* b) { std::memset(b, 'x', std::size_t(n)); }), "xxx");
}

}  // namespace
