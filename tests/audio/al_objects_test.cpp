#include "audio/AlObjects.h"

#include <gtest/gtest.h>

namespace earth {
namespace {

// Ownership rules checked without a device: adopt and release never call OpenAL.
template <typename Owner>
void expectMoveLeavesTheSourceEmptyAndAssignmentSwaps() {
    static_assert(!std::is_copy_constructible_v<Owner> && !std::is_copy_assignable_v<Owner>);
    static_assert(std::is_nothrow_move_constructible_v<Owner> && std::is_nothrow_move_assignable_v<Owner>);
    EXPECT_FALSE(Owner());
    Owner a = Owner::adopt(7);
    Owner b(std::move(a));
    EXPECT_EQ(a.get() * 10 + b.get(), 7u);
    Owner c = Owner::adopt(9);
    c = std::move(b);
    EXPECT_EQ(c.get(), 7u);
    EXPECT_EQ(b.get(), 9u);  // the old name now dies with the moved-from owner
    EXPECT_EQ(b.release() * 10 + c.release(), 97u);  // made-up names must not reach OpenAL
    EXPECT_FALSE(c);
}

TEST(AlOwner, MoveLeavesTheSourceEmptyAndAssignmentSwaps) {
    expectMoveLeavesTheSourceEmptyAndAssignmentSwaps<AlSource>();
    expectMoveLeavesTheSourceEmptyAndAssignmentSwaps<AlBuffer>();
}

}  // namespace
}  // namespace earth
