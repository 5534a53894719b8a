// GL name ownership without a context: the deletion entry points are plain variables here.
#include "render/GlName.h"
#include "render/ShaderProgram.h"

#include <gtest/gtest.h>

#include <cstring>
#include <type_traits>
#include <vector>

using glcommon::GlName;
using glcommon::GlNameArray;

static_assert(!std::is_copy_constructible_v<GlName> && !std::is_copy_assignable_v<GlName>);
static_assert(std::is_nothrow_move_constructible_v<GlName> && std::is_nothrow_move_assignable_v<GlName>);
static_assert(!std::is_copy_constructible_v<GlNameArray<4>>);
static_assert(std::is_nothrow_move_constructible_v<GlNameArray<4>> &&
              std::is_nothrow_move_assignable_v<GlNameArray<4>>);

namespace {

std::vector<unsigned> deleted;  // every name handed to a deletion, in order
std::vector<std::vector<unsigned>> deletedArrays;

void countingDelete(unsigned name) { deleted.push_back(name); }
void otherDelete(unsigned name) { deleted.push_back(name + 1000000); }
void countingDeleteArray(int n, const unsigned* names) { deletedArrays.emplace_back(names, names + n); }
void generate(int n, unsigned* names) {
    static unsigned next = 100;
    for (int i = 0; i < n; ++i) names[i] = next++;
}

// Stand-ins for the loader's entry-point variables.
void (*deleteOne)(unsigned) = countingDelete;
void (*deleteMany)(int, const unsigned*) = countingDeleteArray;

TEST(GlNameTest, EachNameDiesOnceThroughTheEntryPointOfThatMoment) {
    deleted.clear();
    { GlName empty; }
    {
        GlName name(8, deleteOne);
        deleteOne = otherDelete;  // the loader may fill the variable after the owner exists
    }
    deleteOne = countingDelete;
    EXPECT_EQ(deleted, std::vector<unsigned>{1000008});

    deleted.clear();
    GlName target(1, deleteOne);
    {
        GlName source(2, deleteOne);
        target = std::move(source);  // 1 now dies with the moved-from source
        EXPECT_TRUE(deleted.empty());
        GlName moved(std::move(target));
        EXPECT_FALSE(target.owns());
        EXPECT_EQ(target.get(), 0u);
        target = std::move(moved);
        GlName& alias = target;
        target = std::move(alias);  // a self-move keeps the name
    }
    EXPECT_EQ(deleted, std::vector<unsigned>{1});
    EXPECT_EQ(target.get(), 2u);
    EXPECT_EQ(target.release(), 2u);
    target.reset();
    EXPECT_EQ(deleted, std::vector<unsigned>{1}) << "a released name is not deleted";
}

TEST(GlNameTest, ArrayGeneratesNAndDeletesThemTogetherOnce) {
    deletedArrays.clear();
    GlNameArray<2> survivor(generate, deleteMany);  // 100, 101
    {
        GlNameArray<2> names(generate, deleteMany);  // 102, 103
        GlNameArray<2> moved(std::move(names));
        EXPECT_FALSE(names.owns());
        EXPECT_EQ(names[0], 0u);
        survivor = std::move(moved);  // 100 and 101 die with `moved`
    }
    ASSERT_EQ(deletedArrays.size(), 1u);
    EXPECT_EQ(deletedArrays[0], (std::vector<unsigned>{100, 101}));
    EXPECT_EQ(survivor[1], 103u);
}

TEST(InfoLog, CopiesUpToTheTerminatorOrTheBufferEvenForAZeroLength) {
    // Drivers that report a length of 0 still get a zeroed byte they may terminate.
    int capacitySeen = -1;
    EXPECT_EQ(glcommon::impl::fetchInfoLog(0, [&](std::int32_t capacity, char* buffer) {
                  capacitySeen = capacity;
                  EXPECT_EQ(buffer[0], '\0');
              }),
              "");
    EXPECT_EQ(capacitySeen, 1);
    EXPECT_EQ(glcommon::impl::fetchInfoLog(3, [](std::int32_t capacity, char* buffer) {
                  std::memset(buffer, 'x', static_cast<std::size_t>(capacity));  // unterminated
              }),
              "xxx");
}

}  // namespace
