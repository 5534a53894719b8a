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

using glcommon::ProgramDescription;
using glcommon::ShaderProgram;

namespace {

// Mesa's shader cache keys by source text alone and would report the failing compile below
// as compiled, so it is off for this executable (before any context exists).
const bool shaderCacheOff = setenv("MESA_SHADER_CACHE_DISABLE", "true", 1) == 0;

ProgramDescription compute(const char* name) {
    ProgramDescription d;
    d.compute = name;
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

TEST(ShaderProgramTest, EveryProgramLinksWithoutAWordAndFailuresSayWhereAndWhy) {
    earth::test::GlTestContext context;
    std::vector<ProgramDescription> programs{compute("orbit-position.csh"), compute("orbit-sort.csh"), compute("orbit-heads.csh")};
    for (const char* name : {"basic", "orbit", "orbit-ribbon", "panel", "starfield", "textured-quad", "map-surface"}) {
        programs.push_back(ProgramDescription::drawing(std::string(name) + ".vsh", std::string(name) + ".fsh"));
    }
    for (const ProgramDescription& description : programs) {
        ::testing::internal::CaptureStderr();
        ShaderProgram p(description);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
        GLint linked = 0, attached = -1;
        glGetProgramiv(p.id(), GL_LINK_STATUS, &linked);
        glGetProgramiv(p.id(), GL_ATTACHED_SHADERS, &attached);
        EXPECT_TRUE(linked == GL_TRUE && attached == 0) << description.vertex.value_or(*description.compute);
    }
    expectFailure([] { ShaderProgram p(ProgramDescription::drawing("orbit.vs", "orbit.fsh")); }, "Missing shader");
    ASSERT_TRUE(shaderCacheOff);
    // The sort's compute stage compiled as a vertex stage: its work-group layout is refused.
    std::string err = expectFailure([] { glcommon::compileShader(GL_VERTEX_SHADER, "orbit-sort.csh"); },
                                    "Unable to compile shader");
    EXPECT_NE(err.find("vertex shader \"orbit-sort.csh\" failed to compile:\n"), std::string::npos) << err;
    EXPECT_NE(err.find("error"), std::string::npos) << "driver log missing: " << err;
    // Names are handed out lowest-free-first, so a leaked object would still exist after it.
    const GLuint probe = glCreateShader(GL_VERTEX_SHADER);
    glDeleteShader(probe);
    // The globe's fragment stage reads inputs the tube vertex stage never writes.
    err = expectFailure([] { ShaderProgram p(ProgramDescription::drawing("orbit.vsh", "basic.fsh")); },
                        "Unable to link shader program");
    EXPECT_NE(err.find("program (\"orbit.vsh\", \"basic.fsh\") failed to link"), std::string::npos) << err;
    for (GLuint name = 1; name < probe + 8; ++name) EXPECT_FALSE(glIsShader(name) || glIsProgram(name)) << name;
}

TEST(ShaderProgramTest, TexturesFromImagesOfEachChannelCountAndTheirMipmaps) {
    earth::test::GlTestContext context;
    earth::Image image(60010);  // any decodable test image; its pixels are replaced
    const GLint formats[] = {0, GL_RED, 0, GL_RGB, GL_RGBA};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (int channels : {1, 3, 4}) {
        image.width = 8, image.height = 4, image.channels = channels;  // rows of 4-byte multiples
        std::vector<unsigned char> bytes(static_cast<std::size_t>(8 * 4 * channels)), back(bytes.size());
        for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 7 + 3);
        image.pixels.reset(static_cast<unsigned char*>(std::malloc(bytes.size())));
        std::memcpy(image.pixels.get(), bytes.data(), bytes.size());
        for (bool mipmapped : {false, true}) {
            const auto texture = mipmapped ? glcommon::MipmappedTexture2D(image, formats[channels])
                                           : glcommon::Texture2D(image, formats[channels]);
            glGetTexImage(GL_TEXTURE_2D, 0, static_cast<GLenum>(formats[channels]), GL_UNSIGNED_BYTE, back.data());
            EXPECT_EQ(back, bytes) << channels;
            // Mipmaps down to one texel (8x4: four levels), each pixel from the nearest.
            GLint minFilter = 0, lastWidth = 0;
            glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 3, GL_TEXTURE_WIDTH, &lastWidth);
            EXPECT_EQ(minFilter, mipmapped ? GL_LINEAR_MIPMAP_NEAREST : GL_LINEAR);
            EXPECT_EQ(lastWidth, mipmapped ? 1 : 0);
        }
    }
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    // Two channels are refused, leaving no texture behind.
    image.channels = 2;
    GLuint probe = 0;
    glGenTextures(1, &probe);
    glDeleteTextures(1, &probe);
    expectFailure([&] { glcommon::Texture2D(image, GL_RGBA); }, "Unsupported image format");
    EXPECT_FALSE(glIsTexture(probe));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
