// The embedded GLSL: each name gives its file's text; any other name fails with the sentence.
#include "render/ShaderCatalogue.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace {

TEST(ShaderCatalogue, NamesGiveTheirFilesAndOtherNamesFail) {
    const auto names = earth::shaderNames();
    EXPECT_GE(names.size(), 10u);
    for (const std::string& name : names) {
        std::ifstream in(std::string(ORBITARIUM_SOURCE_DIR) + "/render/shaders/" + name, std::ios::binary);
        std::ostringstream file;
        file << in.rdbuf();
        EXPECT_EQ(earth::shaderSource(name), file.str()) << name;
    }
    for (const char* name : {"orbit.gsh", "orbit.vert", "", "ORBIT.VSH", "shaders.txt"}) {
        try {
            earth::shaderSource(name);
            ADD_FAILURE() << "no failure for '" << name << "'";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "Missing shader");
        }
    }
}

}  // namespace
