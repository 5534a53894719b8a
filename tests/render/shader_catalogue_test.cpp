// The embedded GLSL: every catalogue name resolves, the manifest and the files agree, and each
// file passes the reference compiler's front end.
#include "render/ShaderCatalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

struct ManifestLine {
    std::string name;
    std::string path;
};

// Both shader manifests: the renderers' and the headset's.
std::vector<ManifestLine> manifest() {
    std::vector<ManifestLine> lines;
    for (const char* file : {"/render/shaders/shaders.txt", "/ovrlib/shaders/shaders.txt"}) {
    std::ifstream in(std::string(ORBITARIUM_SOURCE_DIR) + file);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string type, name, path;
        fields >> type >> name >> path;
        EXPECT_EQ(type, "SHADER") << line;
        lines.push_back({name, path});
    }
    }
    return lines;
}

TEST(ShaderCatalogue, HoldsTheManifestsSourcesAsTheyAreOnDisk) {
    const auto lines = manifest();
    std::vector<std::string> names;
    for (const auto& entry : lines) {
        names.push_back(entry.name);
        const std::string text = earth::shaderSource(entry.name);
        EXPECT_EQ(text, readFile(std::string(ORBITARIUM_SOURCE_DIR) + "/" + entry.path)) << entry.name;
        EXPECT_EQ(text.rfind("#version ", 0), 0u) << entry.name;
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(earth::shaderNames(), names);
}

TEST(ShaderCatalogue, UnknownNamesFailWithTheSentence) {
    for (const char* name : {"orbit.gs", "orbit.vert", "", "ORBIT.GSH", "shaders.txt"}) {
        try {
            earth::shaderSource(name);
            ADD_FAILURE() << "no failure for '" << name << "'";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "Missing shader");
        }
    }
}

// glslangValidator does not know our extensions, so the stage is given explicitly.
TEST(ShaderCatalogue, EveryFilePassesGlslangValidator) {
    ASSERT_EQ(std::system("glslangValidator --version > /dev/null 2>&1"), 0)
        << "glslangValidator (Debian glslang-tools) is needed for this test";
    for (const auto& entry : manifest()) {
        const std::string ext = entry.name.substr(entry.name.rfind('.') + 1);
        const std::string stage = ext == "vsh"   ? "vert"
                                  : ext == "gsh" ? "geom"
                                  : ext == "csh" ? "comp"
                                                 : "frag";
        ASSERT_TRUE(ext == "vsh" || ext == "gsh" || ext == "fsh" || ext == "csh") << entry.name;
        const std::string command = "glslangValidator -S " + stage + " '" +
                                    std::string(ORBITARIUM_SOURCE_DIR) + "/" + entry.path + "'";
        EXPECT_EQ(std::system((command + " > /dev/null").c_str()), 0)
            << entry.name << " rejected; run: " << command;
    }
}

}  // namespace
