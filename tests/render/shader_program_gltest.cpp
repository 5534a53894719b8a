// Every program builds; failures carry the fixed sentences and the driver's log; textures.
#include "render/ShaderProgram.h"
#include "render/Textures.h"

#include "data/Resources.h"
#include "support/GlTestContext.h"

#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

using glcommon::GlNameArray;
using glcommon::ProgramDescription;
using glcommon::ShaderProgram;

namespace {

// Mesa's shader cache keys by source text alone and would report the failing compile below
// as compiled, so it is off for this executable (before any context exists).
const bool shaderCacheOff = setenv("MESA_SHADER_CACHE_DISABLE", "true", 1) == 0;

class GlTest : public ::testing::Test {
protected:
    earth::test::GlTestContext context;
};

ProgramDescription compute(const char* name) {
    ProgramDescription d;
    d.compute = name;
    return d;
}

ProgramDescription propagation() {
    ProgramDescription d;
    d.vertex = "orbit-position.vsh";
    d.addVarying("vPosition").addVarying("vColor").addVarying("vNormal")
        .addVarying("vStrength").addVarying("vSize").addVarying("vShow");
    return d;
}

// Expects the call to throw exactly `sentence`; returns what went to the error stream.
template <class F>
std::string expectFailure(F&& f, const char* sentence) {
    ::testing::internal::CaptureStderr();
    try {
        f();
        ADD_FAILURE() << "expected \"" << sentence << "\"";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), sentence);
    }
    return ::testing::internal::GetCapturedStderr();
}

TEST_F(GlTest, EveryProgramOfTheCatalogueLinksWithoutAWord) {
    const ProgramDescription programs[] = {
        ProgramDescription::drawing("basic.vsh", "basic.fsh"), propagation(),
        ProgramDescription::drawing("orbit.vsh", "orbit.fsh"),
        ProgramDescription::drawing("orbit-ribbon.vsh", "orbit-ribbon.fsh"),
        compute("orbit-sort.csh"), compute("orbit-heads.csh"),
        ProgramDescription::drawing("panel.vsh", "panel.fsh"),
        ProgramDescription::drawing("starfield.vsh", "starfield.fsh"),
        ProgramDescription::drawing("textured-quad.vsh", "textured-quad.fsh"),
        ProgramDescription::drawing("map-surface.vsh", "map-surface.fsh"),
    };
    for (const auto& description : programs) {
        SCOPED_TRACE(description.vertex.value_or(description.compute.value_or("")));
        ::testing::internal::CaptureStderr();
        ShaderProgram p(description);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
        GLint linked = 0, attached = -1;
        glGetProgramiv(p.id(), GL_LINK_STATUS, &linked);
        glGetProgramiv(p.id(), GL_ATTACHED_SHADERS, &attached);
        EXPECT_EQ(linked, GL_TRUE);
        EXPECT_EQ(attached, 0) << "stages stay attached after the link";
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GlTest, FailuresNameTheStageAndShaderPrintTheLogAndLeaveNothingBehind) {
    expectFailure([] { ShaderProgram p(ProgramDescription::drawing("orbit.vs", "orbit.fsh")); },
                  "Missing shader");
    ASSERT_TRUE(shaderCacheOff);
    // The sort's compute stage compiled as a vertex stage: its work-group layout is refused.
    std::string err = expectFailure(
        [] { glcommon::compileShader(GL_VERTEX_SHADER, "orbit-sort.csh"); }, "Unable to compile shader");
    EXPECT_NE(err.find("vertex shader \"orbit-sort.csh\" failed to compile:\n"), std::string::npos) << err;
    EXPECT_NE(err.find("error"), std::string::npos) << "driver log missing: " << err;

    // Names are handed out lowest-free-first, so a leaked object would still exist after it.
    const GLuint probe = glCreateShader(GL_VERTEX_SHADER);
    glDeleteShader(probe);
    // The globe's fragment stage reads inputs the tube vertex stage never writes.
    err = expectFailure([] { ShaderProgram p(ProgramDescription::drawing("orbit.vsh", "basic.fsh")); },
                        "Unable to link shader program");
    EXPECT_NE(err.find("program (\"orbit.vsh\", \"basic.fsh\") failed to link"), std::string::npos) << err;
    for (GLuint name = 1; name < probe + 8; ++name) {
        EXPECT_FALSE(glIsShader(name) || glIsProgram(name)) << name;
    }
    ProgramDescription unknownVarying = propagation();
    unknownVarying.addVarying("vNowhere");
    err = expectFailure([&] { ShaderProgram p(unknownVarying); }, "Unable to link shader program");
    EXPECT_NE(err.find("vNowhere"), std::string::npos) << err;
}

// An image whose pixels the test chooses; rows are 4-byte multiples like every embedded one.
earth::Image makeImage(int width, int height, int channels, const std::vector<unsigned char>& bytes) {
    earth::Image image(60010);  // any decodable test image; its pixels are replaced
    auto* pixels = static_cast<unsigned char*>(std::malloc(bytes.size()));
    std::memcpy(pixels, bytes.data(), bytes.size());
    image.pixels.reset(pixels);
    image.width = width;
    image.height = height;
    image.channels = channels;
    return image;
}

TEST_F(GlTest, TexturesFromImagesOfEachChannelCountAndTheirMipmaps) {
    const GLint formats[] = {0, GL_RED, 0, GL_RGB, GL_RGBA};
    for (int channels : {1, 3, 4}) {
        SCOPED_TRACE(channels);
        const int width = 8, height = 4;
        std::vector<unsigned char> bytes(static_cast<std::size_t>(width * height * channels));
        for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 7 + 3);
        const earth::Image image = makeImage(width, height, channels, bytes);
        for (bool mipmapped : {false, true}) {
            GlNameArray<1> texture = mipmapped ? glcommon::MipmappedTexture2D(image, formats[channels])
                                               : glcommon::Texture2D(image, formats[channels]);
            std::vector<unsigned char> back(bytes.size(), 0xCD);
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            glGetTexImage(GL_TEXTURE_2D, 0, static_cast<GLenum>(formats[channels]), GL_UNSIGNED_BYTE,
                          back.data());
            EXPECT_EQ(back, bytes);
            // Mipmaps down to one texel (8x4: four levels), sampled trilinearly.
            GLint minFilter = 0, lastWidth = 0;
            glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 3, GL_TEXTURE_WIDTH, &lastWidth);
            EXPECT_EQ(minFilter, mipmapped ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
            EXPECT_EQ(lastWidth, mipmapped ? 1 : 0);
        }
    }
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    // Two channels are refused, leaving no texture behind.
    const earth::Image image = makeImage(2, 2, 2, std::vector<unsigned char>(8, 1));
    GLuint probe = 0;
    glGenTextures(1, &probe);
    glDeleteTextures(1, &probe);
    expectFailure([&] { glcommon::Texture2D(image, GL_RGBA); }, "Unsupported image format");
    EXPECT_FALSE(glIsTexture(probe));
}

}  // namespace
