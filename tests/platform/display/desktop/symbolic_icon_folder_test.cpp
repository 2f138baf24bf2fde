#include "platform/display/desktop/symbolic_icon_folder.h"

#include "tests/support/environment_scope.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// Two rows of three pixels: a run of two opaque ones and a clear one, then three at half alpha.
StatusPixmap two_rows() {
    return StatusPixmap{3, 2, {0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0,    0, 0, 0,
                               0x80, 1, 2, 3, 0x80, 1, 2, 3, 0x80, 1, 2, 3}};
}

TEST(SymbolicSvg, DrawsEachRunOfPixelsOnceInItsAlphaWithTheSchemesTextColour) {
    const std::string svg = symbolic_svg(two_rows(), 6, 4, "#bebebe");
    EXPECT_NE(svg.find("width=\"6\" height=\"4\" viewBox=\"0 0 3 2\""), std::string::npos) << svg;
    EXPECT_NE(svg.find(".ColorScheme-Text{color:#bebebe;}"), std::string::npos) << svg;
    EXPECT_NE(svg.find("fill-opacity=\"1\" d=\"M0 0h2v1h-2z\""), std::string::npos) << svg;
    EXPECT_NE(svg.find("fill-opacity=\"0.533\" d=\"M0 1h3v1h-3z\""), std::string::npos) << svg;
    // The clear pixel is drawn by nothing.
    EXPECT_EQ(svg.find("M2 0"), std::string::npos) << svg;
}

TEST(SymbolicIconFolder, NamesEachPictureByItsPixelsKeepsTheNewestAndRemovesAllAtTheEnd) {
    const TemporaryFolder runtime;
    const EnvironmentScope runtime_dir("XDG_RUNTIME_DIR", runtime.path().c_str());
    std::string path;
    {
        std::unique_ptr<SymbolicIconFolder> folder = SymbolicIconFolder::make("indicator");
        ASSERT_TRUE(folder);
        path = folder->path();
        EXPECT_EQ(path.rfind((runtime.path() / "indicator-").string(), 0), 0u) << path;
        EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all,
                  std::filesystem::perms::owner_all);
        const std::string name = folder->name_for(two_rows(), 3, 2);
        EXPECT_TRUE(name.starts_with("indicator-status-")) << name;
        EXPECT_TRUE(name.ends_with("-symbolic")) << name;
        EXPECT_EQ(file_bytes(path + "/hicolor/scalable/status/" + name + ".svg"),
                  symbolic_svg(two_rows(), 3, 2, "#bebebe"));
        EXPECT_EQ(folder->name_for(two_rows(), 3, 2), name);
        // Only the newest few files are kept.
        std::vector<std::string> names;
        for (uint8_t alpha = 1; alpha <= 10; ++alpha) {
            StatusPixmap other = two_rows();
            other.argb[0] = alpha;
            names.push_back(folder->name_for(other, 3, 2));
            EXPECT_NE(names.back(), name);
        }
        const std::string icons = path + "/hicolor/scalable/status/";
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(icons),
                                std::filesystem::directory_iterator()),
                  4);
        EXPECT_FALSE(std::filesystem::exists(icons + names[5] + ".svg"));
        EXPECT_TRUE(std::filesystem::exists(icons + names[9] + ".svg"));
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

} // namespace
