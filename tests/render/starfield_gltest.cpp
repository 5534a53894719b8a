// The star cube with one plain colour per face (behind the globe: frame_pictures_gltest).
#include "render/Starfield.h"

#include "support/GlTestContext.h"
#include "support/OffscreenTarget.h"

#include <epoxy/gl.h>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace earth {
namespace {

using test::Rgba;

constexpr int kSize = 128;

StarfieldFaces testFaces() {
    StarfieldFaces f;
    f.positiveX = 60210;
    f.negativeX = 60211;
    f.positiveY = 60212;
    f.negativeY = 60213;
    f.positiveZ = 60214;
    f.negativeZ = 60215;
    return f;
}

// Face colours of the test images, in the order +X, -X, +Y, -Y, +Z, -Z.
const Rgba kFaceColours[6] = {{255, 0, 0, 255},   {0, 255, 0, 255},   {0, 0, 255, 255},
                              {255, 255, 0, 255}, {255, 0, 255, 255}, {0, 255, 255, 255}};

Rgba faceColourFor(const glm::vec3& d) {
    const glm::vec3 a = glm::abs(d);
    if (a.x >= a.y && a.x >= a.z) return kFaceColours[d.x > 0 ? 0 : 1];
    if (a.y >= a.z) return kFaceColours[d.y > 0 ? 2 : 3];
    return kFaceColours[d.z > 0 ? 4 : 5];
}

// Right-handed rotations written out, to check the composition the cube uses.
glm::mat3 rotationX(float a) {
    return glm::mat3(1, 0, 0, 0, std::cos(a), std::sin(a), 0, -std::sin(a), std::cos(a));
}
glm::mat3 rotationY(float a) {
    return glm::mat3(std::cos(a), 0, -std::sin(a), 0, 1, 0, std::sin(a), 0, std::cos(a));
}
glm::mat3 rotationZ(float a) {
    return glm::mat3(std::cos(a), std::sin(a), 0, -std::sin(a), std::cos(a), 0, 0, 0, 1);
}

class StarfieldTest : public ::testing::Test {
protected:
    void SetUp() override { test::enableSceneState(); }

    glm::mat4 projection() const {
        return glm::perspective(glm::radians(45.0f), 1.0f, 0.1f, 100.0f);
    }
    // The frame's sky matrix: the projection times the view without its translation.
    glm::mat4 sky(const glm::mat4& view) const { return projection() * glm::mat4(glm::mat3(view)); }
    Rgba at(const std::vector<Rgba>& p, int x, int y) const {
        return p[static_cast<std::size_t>(y) * kSize + x];
    }
    void keepOnFailure(const std::vector<Rgba>& pixels, const std::string& name) {
        if (HasFailure()) target.writePng(pixels, name + ".png");
    }

    test::GlTestContext context{kSize, kSize};
    test::OffscreenTarget target{kSize, kSize};
};

TEST_F(StarfieldTest, EachViewingDirectionShowsTheFaceTurnedThereByTheFixedRotation) {
    Starfield stars(testFaces());
    const glm::mat3 r = rotationX(0.75f) * rotationY(0.6f) * rotationZ(1.4f);
    const glm::mat3 actual(Starfield::fixedRotation());
    for (int c = 0; c < 3; ++c) {
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(actual[c][k], r[c][k], 1e-6f);
    }
    // Each face's centre is turned by R: looking along R times the face's axis shows that
    // face, far from its edges.
    const glm::vec3 axes[] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    int movedFaces = 0;
    for (int f = 0; f < 6; ++f) {
        const glm::vec3 d = r * axes[f];
        const glm::vec3 up = std::abs(d.y) > 0.9f ? glm::vec3(0, 0, 1) : glm::vec3(0, 1, 0);
        target.begin();
        stars.draw(sky(glm::lookAt(glm::vec3(0.0f), d, up)));
        const auto pixels = target.read();
        EXPECT_EQ(at(pixels, kSize / 2, kSize / 2), kFaceColours[f]) << "face " << f;
        if (faceColourFor(d) != kFaceColours[f]) ++movedFaces;
        keepOnFailure(pixels, "stars-face-" + std::to_string(f));
    }
    // Without the rotation most of these directions would show another face.
    EXPECT_GE(movedFaces, 4);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(StarfieldTest, MovingTheViewerDoesNotMoveTheStarsAndDepthWritesStayOn) {
    Starfield stars(testFaces());
    const glm::vec3 forward = glm::normalize(glm::vec3(0.3f, -0.2f, -1.0f));
    const glm::vec3 places[] = {{0.0f, 0.0f, 3.0f}, {40.0f, -7.0f, 12.0f}};
    std::vector<Rgba> pictures[2];
    for (int i = 0; i < 2; ++i) {
        const glm::mat4 view = glm::lookAt(places[i], places[i] + forward, glm::vec3(0, 1, 0));
        target.begin();
        stars.draw(sky(view));
        pictures[i] = target.read();
    }
    EXPECT_TRUE(pictures[0] == pictures[1]);
    // A turned view shows another part of the sky.
    const glm::mat4 turned = glm::lookAt(glm::vec3(0.0f), -forward, glm::vec3(0, 1, 0));
    target.begin();
    stars.draw(sky(turned));
    EXPECT_FALSE(target.read() == pictures[0]);
    GLboolean depthWrites = GL_FALSE;  // left on for what is drawn after the sky
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_EQ(depthWrites, GL_TRUE);
}

}  // namespace
}  // namespace earth
