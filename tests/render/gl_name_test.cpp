// GL name ownership without a context: the deletion entry points are plain variables here.
#include "render/GlName.h"
#include "render/ShaderProgram.h"

#include <gtest/gtest.h>

#include <cstring>
#include <type_traits>
#include <vector>

using glcommon::GlName;
using glcommon::GlNameArray;

static_assert(!std::is_copy_constructible_v<GlName>);
static_assert(!std::is_copy_assignable_v<GlName>);
static_assert(std::is_nothrow_move_constructible_v<GlName>);
static_assert(std::is_nothrow_move_assignable_v<GlName>);
static_assert(!std::is_copy_constructible_v<GlNameArray<4>>);
static_assert(std::is_nothrow_move_constructible_v<GlNameArray<4>>);
static_assert(std::is_nothrow_move_assignable_v<GlNameArray<4>>);

namespace {

std::vector<unsigned> deleted;          // every name handed to a deletion, in order
std::vector<std::vector<unsigned>> deletedArrays;
unsigned nextName = 100;

void countingDelete(unsigned name) { deleted.push_back(name); }
void otherDelete(unsigned name) { deleted.push_back(name + 1000000); }
void countingDeleteArray(int n, const unsigned* names) {
    deletedArrays.emplace_back(names, names + n);
}
void generate(int n, unsigned* names) {
    for (int i = 0; i < n; ++i) names[i] = nextName++;
}

// Stand-ins for the loader's entry-point variables.
void (*deleteOne)(unsigned) = countingDelete;
void (*deleteMany)(int, const unsigned*) = countingDeleteArray;

class GlNameTest : public ::testing::Test {
protected:
    void SetUp() override {
        deleted.clear();
        deletedArrays.clear();
        nextName = 100;
        deleteOne = countingDelete;
    }
};

TEST_F(GlNameTest, DefaultOwnsNothingAndDeletesNothing) {
    {
        GlName name;
        GlNameArray<3> names;
        EXPECT_EQ(name.get(), 0u);
        EXPECT_FALSE(name.owns());
        EXPECT_FALSE(names.owns());
        for (std::size_t i = 0; i < names.size(); ++i) EXPECT_EQ(names[i], 0u);
    }
    EXPECT_TRUE(deleted.empty());
    EXPECT_TRUE(deletedArrays.empty());
}

TEST_F(GlNameTest, DeletesOnceWithTheEntryPointReadWhenTheNameDies) {
    { GlName name(7, deleteOne); }
    EXPECT_EQ(deleted, std::vector<unsigned>{7});
    {
        GlName name(8, deleteOne);
        deleteOne = otherDelete;  // the loader may fill the variable after the owner exists
    }
    EXPECT_EQ(deleted, (std::vector<unsigned>{7, 1000008}));
}

TEST_F(GlNameTest, MovesTransferTheDutyAndReleaseGivesItUp) {
    {
        GlName source(7, deleteOne);
        GlName target(std::move(source));
        EXPECT_EQ(source.get(), 0u);
        EXPECT_FALSE(source.owns());
        EXPECT_EQ(target.get(), 7u);
        { GlName dies(std::move(target)); }
        EXPECT_EQ(deleted, std::vector<unsigned>{7});
    }
    EXPECT_EQ(deleted, std::vector<unsigned>{7});

    GlName target;
    {
        GlName source(9, deleteOne);
        target = std::move(source);
    }
    EXPECT_EQ(target.get(), 9u);
    target.reset();
    target.reset();
    EXPECT_EQ(deleted, (std::vector<unsigned>{7, 9}));

    GlName name(5, deleteOne);
    GlName& alias = name;
    name = std::move(alias);  // a self-move keeps the name
    EXPECT_EQ(name.get(), 5u);
    EXPECT_EQ(name.release(), 5u);
    EXPECT_FALSE(name.owns());
    EXPECT_EQ(deleted.size(), 2u);
}

TEST_F(GlNameTest, MoveAssignmentOverAnOwnerReleasesTheOldNameWithTheSource) {
    GlName target(1, deleteOne);
    {
        GlName source(2, deleteOne);
        target = std::move(source);
        EXPECT_TRUE(deleted.empty());
    }
    EXPECT_EQ(deleted, std::vector<unsigned>{1});
    target = GlName();
    EXPECT_EQ(deleted, (std::vector<unsigned>{1, 2}));
}

TEST_F(GlNameTest, ArrayGeneratesNAndDeletesThemTogetherOnce) {
    {
        GlNameArray<4> names(generate, deleteMany);
        EXPECT_TRUE(names.owns());
        EXPECT_EQ(names[0], 100u);
        EXPECT_EQ(names[3], 103u);
        GlNameArray<4> moved(std::move(names));
        EXPECT_EQ(names[0], 0u);
        GlNameArray<4> assigned;
        assigned = std::move(moved);
    }
    ASSERT_EQ(deletedArrays.size(), 1u);
    EXPECT_EQ(deletedArrays[0], (std::vector<unsigned>{100, 101, 102, 103}));
}

TEST_F(GlNameTest, ArrayMoveAssignmentOverAnOwner) {
    GlNameArray<2> target(generate, deleteMany);  // 100, 101
    {
        GlNameArray<2> source(generate, deleteMany);  // 102, 103
        target = std::move(source);
    }
    ASSERT_EQ(deletedArrays.size(), 1u);
    EXPECT_EQ(deletedArrays[0], (std::vector<unsigned>{100, 101}));
    EXPECT_EQ(target[0], 102u);
}

TEST(InfoLog, CopiesUpToTheTerminatorOrTheBufferEvenForAZeroLength) {
    // Drivers that report a length of 0 still get a zeroed byte they may terminate.
    int capacitySeen = -1;
    EXPECT_EQ(glcommon::impl::fetchInfoLog(0, [&](std::int32_t capacity, char* buffer) {
                  capacitySeen = capacity;
                  EXPECT_EQ(buffer[0], '\0');
                  buffer[0] = '\0';
              }),
              "");
    EXPECT_EQ(capacitySeen, 1);
    const char text[] = "0:3(1): error: syntax error";
    EXPECT_EQ(glcommon::impl::fetchInfoLog(sizeof text, [&](std::int32_t capacity, char* buffer) {
                  ASSERT_EQ(capacity, static_cast<std::int32_t>(sizeof text));
                  std::memcpy(buffer, text, sizeof text);
              }),
              text);
    EXPECT_EQ(glcommon::impl::fetchInfoLog(3, [](std::int32_t capacity, char* buffer) {
                  std::memset(buffer, 'x', static_cast<std::size_t>(capacity));  // unterminated
              }),
              "xxx");
}

}  // namespace
