// Every program builds; failures carry the fixed sentences and the driver's log.
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

using glcommon::GlName;
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

ProgramDescription program(const char* vsh, const char* gsh, const char* fsh) {
    ProgramDescription d;
    if (vsh) d.vertex = vsh;
    if (gsh) d.geometry = gsh;
    if (fsh) d.fragment = fsh;
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

TEST_F(GlTest, EveryProgramOfTheCatalogueLinks) {
    struct Case {
        const char* what;
        ProgramDescription description;
    } cases[] = {
        {"globe", program("basic.vsh", nullptr, "basic.fsh")},
        {"propagation", propagation()},
        {"tubes", program("orbit.vsh", "orbit.gsh", "orbit.fsh")},
        {"panel", program("panel.vsh", nullptr, "panel.fsh")},
        {"stars", program("starfield.vsh", nullptr, "starfield.fsh")},
        {"splash", program("textured-quad.vsh", nullptr, "textured-quad.fsh")},
        {"map surface", program("map-surface.vsh", nullptr, "map-surface.fsh")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ::testing::internal::CaptureStderr();
        ShaderProgram p(c.description);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
        ASSERT_TRUE(p.valid());
        EXPECT_TRUE(glIsProgram(p.id()));
        GLint linked = 0, attached = -1;
        glGetProgramiv(p.id(), GL_LINK_STATUS, &linked);
        glGetProgramiv(p.id(), GL_ATTACHED_SHADERS, &attached);
        EXPECT_EQ(linked, GL_TRUE);
        EXPECT_EQ(attached, 0) << "stages stay attached after the link";
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GlTest, VaryingsAreCapturedInTheOrderAdded) {
    ShaderProgram p(propagation());
    GLint count = 0;
    glGetProgramiv(p.id(), GL_TRANSFORM_FEEDBACK_VARYINGS, &count);
    ASSERT_EQ(count, 6);
    const char* expected[] = {"vPosition", "vColor", "vNormal", "vStrength", "vSize", "vShow"};
    const GLenum types[] = {GL_FLOAT_VEC3, GL_FLOAT_VEC4, GL_FLOAT_VEC3, GL_FLOAT, GL_FLOAT, GL_INT};
    for (GLuint i = 0; i < 6; ++i) {
        char name[64] = {};
        GLsizei length = 0, size = 0;
        GLenum type = 0;
        glGetTransformFeedbackVarying(p.id(), i, sizeof name, &length, &size, &type, name);
        EXPECT_STREQ(name, expected[i]);
        EXPECT_EQ(type, types[i]) << expected[i];
    }
    GLint mode = 0;
    glGetProgramiv(p.id(), GL_TRANSFORM_FEEDBACK_BUFFER_MODE, &mode);
    EXPECT_EQ(mode, GL_INTERLEAVED_ATTRIBS);

    ShaderProgram none(program("orbit.vsh", "orbit.gsh", "orbit.fsh"));
    glGetProgramiv(none.id(), GL_TRANSFORM_FEEDBACK_VARYINGS, &count);
    EXPECT_EQ(count, 0);
}

TEST_F(GlTest, UniformLocationsByNameAndStructField) {
    ShaderProgram globe(program("basic.vsh", nullptr, "basic.fsh"));
    EXPECT_GE(glcommon::uniformLocation(globe, "uModelViewMatrix"), 0);
    EXPECT_GE(glcommon::uniformLocation(globe, "uLightEyespace", "position"), 0);
    EXPECT_GE(glcommon::uniformLocation(globe, "uSpecularMaterial", "shininess"), 0);
    EXPECT_EQ(glcommon::uniformLocation(globe, "uLightEyespace", "nothing"), -1);
    ShaderProgram tubes(program("orbit.vsh", "orbit.gsh", "orbit.fsh"));
    EXPECT_EQ(glcommon::uniformLocation(tubes, "uViewProjectionMatrix"), 0);
    EXPECT_EQ(glcommon::uniformLocation(tubes, "uAlpha"), 1);
}

TEST_F(GlTest, MissingOrFailingStagesFailWithTheSentenceStageShaderAndLog) {
    expectFailure([] { ShaderProgram p(program("orbit.vs", nullptr, "orbit.fsh")); },
                  "Missing shader");
    expectFailure([] { glcommon::compileShader(GL_GEOMETRY_SHADER, "orbit.gsh "); },
                  "Missing shader");
    ASSERT_TRUE(shaderCacheOff);
    // The tube geometry stage compiled as a vertex stage: its input layout is refused there.
    const std::string err = expectFailure(
        [] { glcommon::compileShader(GL_VERTEX_SHADER, "orbit.gsh"); }, "Unable to compile shader");
    EXPECT_NE(err.find("vertex shader \"orbit.gsh\" failed to compile:\n"), std::string::npos) << err;
    EXPECT_NE(err.find("error"), std::string::npos) << "driver log missing: " << err;
    ASSERT_FALSE(err.empty());
    EXPECT_EQ(err.back(), '\n');
}

TEST_F(GlTest, LinkFailuresPrintTheProgramAndLogAndLeaveNothingBehind) {
    // Names are handed out lowest-free-first, so a leaked object would still exist after it.
    const GLuint probe = glCreateShader(GL_VERTEX_SHADER);
    glDeleteShader(probe);
    // The globe's fragment stage reads inputs the tube vertex stage never writes.
    std::string err = expectFailure(
        [] { ShaderProgram p(program("orbit.vsh", nullptr, "basic.fsh")); },
        "Unable to link shader program");
    EXPECT_NE(err.find("program (\"orbit.vsh\", \"basic.fsh\") failed to link"), std::string::npos)
        << err;
    EXPECT_GT(err.size(), 60u) << "driver log missing: " << err;
    for (GLuint name = 1; name < probe + 8; ++name) {
        EXPECT_FALSE(glIsShader(name)) << name;
        EXPECT_FALSE(glIsProgram(name)) << name;
    }

    ProgramDescription unknownVarying = propagation();
    unknownVarying.addVarying("vNowhere");
    err = expectFailure([&] { ShaderProgram p(unknownVarying); }, "Unable to link shader program");
    EXPECT_NE(err.find("vNowhere"), std::string::npos) << err;
}

TEST_F(GlTest, OwnersReleaseBuffersExactlyOnce) {
    GLuint names[4] = {};
    {
        GlNameArray<4> buffers(glGenBuffers, glDeleteBuffers);
        for (int i = 0; i < 4; ++i) {
            names[i] = buffers[i];
            glBindBuffer(GL_ARRAY_BUFFER, names[i]);  // a bound name becomes an object
        }
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        GlNameArray<4> target;
        {
            GlNameArray<4> moved(std::move(buffers));
            target = std::move(moved);
        }
        for (GLuint n : names) EXPECT_TRUE(glIsBuffer(n)) << "moved-from owner deleted " << n;
    }
    for (GLuint n : names) EXPECT_FALSE(glIsBuffer(n)) << n;

    GLuint shaderName = 0;
    {
        GlName shader(glCreateShader(GL_VERTEX_SHADER), glDeleteShader);
        shaderName = shader.get();
        EXPECT_TRUE(glIsShader(shaderName));
    }
    EXPECT_FALSE(glIsShader(shaderName));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
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

std::vector<unsigned char> readTexture(GLenum target, GLenum format, std::size_t bytes) {
    std::vector<unsigned char> out(bytes, 0xCD);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(target, 0, format, GL_UNSIGNED_BYTE, out.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return out;
}

TEST_F(GlTest, Texture2DFromImagesOfEachChannelCount) {
    struct Case {
        int channels;
        GLint internalFormat;
        GLenum readFormat;
    } cases[] = {{1, GL_RED, GL_RED}, {3, GL_RGB, GL_RGB}, {4, GL_RGBA, GL_RGBA}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.channels);
        const int width = 4, height = 2;
        std::vector<unsigned char> bytes(static_cast<std::size_t>(width * height * c.channels));
        for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 7 + 3);
        const earth::Image image = makeImage(width, height, c.channels, bytes);
        GlNameArray<1> texture = glcommon::Texture2D(image, c.internalFormat);
        GLint bound = 0, w = 0, h = 0, wrap = 0, minFilter = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(static_cast<GLuint>(bound), texture[0]);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrap);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
        EXPECT_EQ(w, width);
        EXPECT_EQ(h, height);
        EXPECT_EQ(wrap, GL_CLAMP_TO_EDGE);
        EXPECT_EQ(minFilter, GL_LINEAR);
        EXPECT_EQ(readTexture(GL_TEXTURE_2D, c.readFormat, bytes.size()), bytes);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    // Two channels are refused, leaving no texture behind.
    const earth::Image image = makeImage(2, 2, 2, std::vector<unsigned char>(8, 1));
    GLuint probe = 0;
    glGenTextures(1, &probe);
    glDeleteTextures(1, &probe);
    expectFailure([&] { glcommon::Texture2D(image, GL_RGBA); }, "Unsupported image format");
    EXPECT_FALSE(glIsTexture(probe));
}

TEST_F(GlTest, CubeMapFacesInOrder) {
    std::vector<earth::Image> faces;
    for (unsigned char face = 0; face < 6; ++face) {
        faces.push_back(makeImage(4, 4, 4, std::vector<unsigned char>(64, static_cast<unsigned char>(10 + face))));
    }
    GlNameArray<1> cube =
        glcommon::CubeMapTexture(faces[0], faces[1], faces[2], faces[3], faces[4], faces[5]);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_CUBE_MAP, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), cube[0]);
    for (int face = 0; face < 6; ++face) {
        const auto pixels = readTexture(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, GL_RGBA, 64);
        EXPECT_EQ(pixels, std::vector<unsigned char>(64, static_cast<unsigned char>(10 + face)))
            << "face " << face;
    }
    GLint wrapR = 0;
    glGetTexParameteriv(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, &wrapR);
    EXPECT_EQ(wrapR, GL_CLAMP_TO_EDGE);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
