// quillon-preview as a user runs it: its command line, the pictures it
// writes and the clicks it passes to the gauges. The traffic is the fixed
// picture of preview-traffic.json: own aircraft at 9000 ft heading north,
// DLH4AB 10 NM dead ahead 1000 ft above, EZY99 half a mile behind it.
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "render/ColourScheme.h"
#include "render/SharedGdiObjects.h"
#include "tools/preview/ContactSheet.h"
#include "tools/preview/Image.h"
#include "tools/preview/PreviewHost.h"
#include "tools/preview/WindowLayout.h"

using namespace preview;

namespace {

const std::string kPreview = QUILLON_PREVIEW_PATH;
const std::string kModule = QUILLON_MODULE_PATH;
const std::string kScenario = std::string(QUILLON_SOURCE_DIR) + "/tests/tools/preview-traffic.json";
const std::string kPanel = std::string(QUILLON_SOURCE_DIR) + "/tests/tools/panel.cfg";

struct CommandResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string quoted(const std::string& text) {
    std::string q = "'";
    for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string scratch(const std::string& name) {
    return testing::TempDir() + "preview-cmd-" + std::to_string(getpid()) + "-" + name;
}

CommandResult runCommand(const std::string& command) {
    const std::string out = scratch("stdout"), err = scratch("stderr");
    const int status = std::system((command + " >" + quoted(out) + " 2>" + quoted(err)).c_str());
    CommandResult run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = slurp(out);
    run.err = slurp(err);
    return run;
}

CommandResult runPreview(const std::vector<std::string>& args) {
    std::string command = quoted(kPreview) + " --module " + quoted(kModule);
    for (const std::string& a : args) command += " " + quoted(a);
    return runCommand(command);
}

Image readPicture(const std::string& path) {
    Image image;
    std::string error;
    EXPECT_TRUE(readPng(path, image, error)) << error;
    return image;
}

struct Listed {
    bool found = false;
    int pixelX = 0, pixelY = 0;
    double x = 0, y = 0, distanceNm = 0;
};

// One line of `render --list`: PIXEL-X PIXEL-Y LOGICAL-X LOGICAL-Y NM ATC-ID.
Listed findListed(const std::string& listing, const std::string& atcId) {
    std::istringstream lines(listing);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        Listed l;
        std::string id;
        if (fields >> l.pixelX >> l.pixelY >> l.x >> l.y >> l.distanceNm && std::getline(fields >> std::ws, id) &&
            id == atcId) {
            l.found = true;
            return l;
        }
    }
    return {};
}

// Pixels in a logical rectangle that differ from the gauge's background.
int inkIn(const Image& picture, double x0, double y0, double x1, double y1) {
    const uint32_t background = backgroundColour(picture);
    int ink = 0;
    for (int y = static_cast<int>(y0 * picture.height() / 1000); y < y1 * picture.height() / 1000; ++y) {
        for (int x = static_cast<int>(x0 * picture.width() / 1000); x < x1 * picture.width() / 1000; ++x) {
            if (colourDistance(picture.pixel(x, y), background) > 40) ++ink;
        }
    }
    return ink;
}

bool haveCommand(const char* name) {
    return std::system(("command -v " + std::string(name) + " >/dev/null 2>&1").c_str()) == 0;
}

}  // namespace

TEST(PreviewCommandLine, BadArgumentsAndFilesGiveDistinctCodesAndClearMessages) {
    const std::string badScenario = scratch("bad.json");
    std::ofstream(badScenario) << R"({"name": "x", "aircraft": []})";
    const std::string unwritable = "/proc/quillon-preview-cannot-write.png";
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string message;
    } cases[] = {
        {{"render", "--bogus"}, 2, "--bogus"},
        {{"render", "--gauge", "Oval Purple"}, 2, "unknown gauge"},
        {{"--view", "sideways", "render"}, 2, "unknown view"},
        {{"render", "--size", "640"}, 2, "WIDTHxHEIGHT"},
        {{"render", "--size", "8x8"}, 2, "16 to 4096"},
        {{"--range", "4.9", "render"}, 2, "--range"},
        {{"--fps", "0", "animate"}, 2, "--fps"},
        {{"render", "--click", "10"}, 2, "X,Y"},
        {{"render", "--all", "--select", "DLH4AB"}, 2, "excludes"},
        {{"render", "--click", "1,1", "--click-logical", "2,2"}, 2, "excludes"},
        {{}, 2, "subcommand"},
        {{"--scenario", "/nonexistent/traffic.json", "render"}, 3, "/nonexistent/traffic.json"},
        {{"--scenario", badScenario, "render"}, 3, "own"},
        {{"--scenario", kScenario, "render", "--select", "NOSUCH", "-o", scratch("x.png")}, 5, "no aircraft 'NOSUCH'"},
        {{"--scenario", kScenario, "--view", "arc", "render", "--select", "BAW22K", "-o", scratch("x.png")},
         5,
         "outside the forward arc"},
        {{"--scenario", kScenario, "--view", "grid", "render", "--select", "GND1", "-o", scratch("x.png")},
         5,
         "above ground"},
        {{"--scenario", kScenario, "render", "--click", "500,20", "--size", "100x100", "-o", scratch("x.png")},
         2,
         "outside"},
        {{"render", "-o", unwritable}, 6, unwritable},
        {{"animate", "--size", "4096x4096", "--seconds", "600"}, 2, "shorten --seconds"},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const std::string& a : c.args) shown += a + " ";
        const CommandResult run = runPreview(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << shown << "\n" << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << shown << "\nstderr: " << run.err;
    }
    // The module itself missing is an error of its own.
    const CommandResult run = runCommand(quoted(kPreview) + " --module /nonexistent/Quillon.so render -o " + quoted(scratch("y.png")));
    EXPECT_EQ(run.exitCode, 4) << run.err;
    EXPECT_NE(run.err.find("/nonexistent/Quillon.so"), std::string::npos) << run.err;
}

TEST(PreviewCommandLine, HostileArgumentsFailCleanlyAndLeaveNoFileBehind) {
    // Each case runs in an empty folder of its own, where the default out/
    // or a named output would appear.
    const std::string noDisplay = "env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER DISPLAY=:9973 ";
    const std::string badPanel = scratch("bad-panel.cfg"), oddPanel = scratch("odd-panel.cfg");
    std::ofstream(badPanel) << "[Window01]\nsize_mm=300,200\ngauge00=Quillon!Circular Green, ten, 10, 100, 100\n";
    std::ofstream(oddPanel) << "[Window01]\nsize_mm=300,200\ngauge00=Quillon!Oval Purple, 0, 0, 100\n";
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string message;
        std::string environment = "";
    } cases[] = {
        {{"--fps", "nan", "animate", "--gauge", "cg", "--seconds", "1", "-o", "f.gif"}, 2, "'nan' is not a number"},
        {{"--fps", "nan", "render"}, 2, "--fps"},
        {{"--range", "nan", "render"}, 2, "--range"},
        {{"--range", "1e999", "render"}, 2, "not a number"},
        {{"--range", "321", "render"}, 2, "5 to 320"},
        {{"render", "--seconds", "nan"}, 2, "--seconds"},
        {{"animate", "--seconds", "inf"}, 2, "--seconds"},
        {{"window", "--exit-after", "nan"}, 2, "--exit-after"},
        {{"render", "-o", "-"}, 2, "standard output"},
        {{"render", "-o", ""}, 2, "empty"},
        {{"--scenario", "", "render"}, 2, "--scenario: the name is empty"},
        {{"render", "-o", "x.jpg"}, 2, "does not end in .png"},
        {{"animate", "-o", "x.png"}, 2, "does not end in .gif"},
        {{"render", "-o", "."}, 2, "is a folder"},
        {{"render", "--click-logical", "2000,2000"}, 2, "0..1000"},
        {{"render", "--click-logical", "nan,500"}, 2, "X,Y"},
        {{"render", "--gauge", "Radar!Circular Green"}, 2, "not one of Quillon's"},
        {{"window", "--exit-after", "1", "--frame-dump", "d.png"}, 7, "no display", noDisplay},
        {{"panel", "--panel-cfg", badPanel, "--window", "Window01"}, 8, badPanel + ":3: gauge00"},
        {{"panel", "--panel-cfg", oddPanel, "--window", "1"}, 8, oddPanel + ":3: gauge00: unknown gauge"},
        {{"panel", "--panel-cfg", kPanel, "--window", "Window09"}, 8, "(the windows are: Window00, Window01"},
        {{"panel", "--panel-cfg", "/nonexistent/panel.cfg", "--window", "1"}, 8, "/nonexistent/panel.cfg"},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const std::string& a : c.args) shown += "'" + a + "' ";
        const std::string folder = scratch("hostile");
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        std::string command = "cd " + quoted(folder) + " && " + c.environment + quoted(kPreview) + " --module " + quoted(kModule);
        for (const std::string& a : c.args) command += " " + quoted(a);
        const CommandResult run = runCommand(command);
        EXPECT_EQ(run.exitCode, c.exitCode) << shown << "\n" << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << shown << "\nstderr: " << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << shown << "\nstderr: " << run.err;
        EXPECT_TRUE(std::filesystem::is_empty(folder)) << shown << " left a file behind";
    }
    const CommandResult version = runCommand(quoted(kPreview) + " --version");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_NE(version.out.find("2.0.0"), std::string::npos) << version.out;
}

TEST(PreviewPanel, DrawsTheWindowAsTheSimulatorReadsIt) {
    // Odd spacing, both comment styles, a section name in another case, a
    // gauge without a height, a duplicate key, a gap in the numbering, a
    // background colour.
    const std::string cfg = scratch("panel.cfg"), path = scratch("panel.png");
    std::ofstream(cfg) << "// a panel\n"
                          "[window01]\n"
                          "  size_mm = 400 , 200   // odd spacing\n"
                          "gauge00=Quillon!Circular Amber, 0, 0, 200   ; no height: square\n"
                          "   gauge01 = Other!Clock,250,50,100,100,\n"
                          "gauge01=Quillon!Circular Green, 0,0,50,50\n"
                          "gauge03=Quillon!Rectangular Green, 300, 0, 100, 100\n"
                          "background_color=0,0,255\n";
    const CommandResult run = runPreview({"--scenario", kScenario, "panel", "--panel-cfg", cfg, "--window", "Window01", "-o", path});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find(cfg + ":6: gauge01 given again; the first, on line 5, is used"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(cfg + ":7: gauge03 follows a gap"), std::string::npos) << run.err;
    const Image panel = readPicture(path);
    ASSERT_EQ(panel.width(), 400);
    ASSERT_EQ(panel.height(), 200);
    auto crop = [&](int x0, int y0, int w, int h) {
        Image c(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) c.setPixel(x, y, panel.pixel(x0 + x, y0 + y));
        return c;
    };
    EXPECT_EQ(backgroundColour(crop(0, 0, 200, 200)), render::kAmberColours.background | 0xff000000u);
    const uint32_t grey = panel.pixel(260, 60);
    EXPECT_EQ(backgroundColour(crop(252, 52, 96, 96)), grey);  // the other module's gauge: a grey box
    EXPECT_EQ(panel.pixel(205, 5), 0xff0000ffu);               // the window's background_color
    // Nothing green: the gauge after the gap is not shown.
    EXPECT_EQ(backgroundColour(crop(350, 0, 50, 50)), 0xff0000ffu);

    // The README's sample window.
    const CommandResult sample = runPreview({"--scenario", kScenario, "panel", "--panel-cfg", kPanel, "--window", "Window03", "-o", path});
    ASSERT_EQ(sample.exitCode, 0) << sample.err;
    EXPECT_EQ(sample.err, "");
    const Image window = readPicture(path);
    EXPECT_EQ(window.width(), 420);
    EXPECT_EQ(window.pixel(215, 15), render::kAmberColours.background | 0xff000000u);
    EXPECT_EQ(window.pixel(15, 400), render::kGreenColours.background | 0xff000000u);
}

TEST(PreviewStills, SelectionByAtcIdBoxesTheAircraftWhereTheViewDrawsIt) {
    // Where each view draws DLH4AB (10 NM ahead, 1000 ft above) at 40 NM.
    struct Case {
        const char* view;
        double x, y;
    } cases[] = {{"full", 500, 381}, {"arc", 500, 737}, {"grid", 500, 297}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.view);
        const std::string plain = scratch(std::string("plain-") + c.view + ".png");
        const std::string chosen = scratch(std::string("chosen-") + c.view + ".png");
        const CommandResult listing = runPreview({"--scenario", kScenario, "--view", c.view, "render", "--gauge", "rg", "--list", "-o", plain});
        ASSERT_EQ(listing.exitCode, 0) << listing.err;
        const Listed dlh = findListed(listing.out, "DLH4AB");
        ASSERT_TRUE(dlh.found) << listing.out;
        EXPECT_NEAR(dlh.x, c.x, 3);
        EXPECT_NEAR(dlh.y, c.y, 3);

        const CommandResult select = runPreview({"--scenario", kScenario, "--view", c.view, "render", "--gauge", "rg", "--select", "DLH4AB", "-o", chosen});
        ASSERT_EQ(select.exitCode, 0) << select.err;
        const Image before = readPicture(plain), after = readPicture(chosen);
        EXPECT_FALSE(showsSelectionBox(before, dlh.x, dlh.y));
        EXPECT_TRUE(showsSelectionBox(after, dlh.x, dlh.y));
        // The full data block: vertical speed and altitude in the top-left corner.
        EXPECT_GT(inkIn(after, 0, 0, 250, 100), inkIn(before, 0, 0, 250, 100) + 100);
    }
}

TEST(PreviewStills, ClicksAtAPixelOrALogicalPointReachTheGauge) {
    // DLH4AB sits at about (500, 381) of the logical space: pixel (100, 76) of a 200 x 200 gauge.
    const std::string plain = scratch("click-plain.png"), logical = scratch("click-logical.png"),
                      pixel = scratch("click-pixel.png"), miss = scratch("click-miss.png");
    const CommandResult listing = runPreview({"--scenario", kScenario, "render", "--gauge", "cg", "--size", "200x200", "--list", "-o", plain});
    ASSERT_EQ(listing.exitCode, 0) << listing.err;
    const Listed dlh = findListed(listing.out, "DLH4AB");
    ASSERT_TRUE(dlh.found) << listing.out;
    ASSERT_EQ(runPreview({"--scenario", kScenario, "render", "--gauge", "cg", "--size", "200x200", "--click-logical", "500,381", "-o", logical}).exitCode, 0);
    ASSERT_EQ(runPreview({"--scenario", kScenario, "render", "--gauge", "cg", "--size", "200x200", "--click", "100,76", "-o", pixel}).exitCode, 0);
    ASSERT_EQ(runPreview({"--scenario", kScenario, "render", "--gauge", "cg", "--size", "200x200", "--click", "20,180", "-o", miss}).exitCode, 0);
    EXPECT_FALSE(showsSelectionBox(readPicture(plain), dlh.x, dlh.y));
    EXPECT_TRUE(showsSelectionBox(readPicture(logical), dlh.x, dlh.y));
    EXPECT_TRUE(showsSelectionBox(readPicture(pixel), dlh.x, dlh.y));
    EXPECT_FALSE(showsSelectionBox(readPicture(miss), dlh.x, dlh.y));
    // A gauge that is not square is drawn larger and resampled: its clicks
    // must still reach the module in the shown pixels.
    ASSERT_EQ(runPreview({"--scenario", kScenario, "render", "--gauge", "cg", "--size", "200x100", "--click", "100,38", "-o", pixel}).exitCode, 0);
    EXPECT_TRUE(showsSelectionBox(readPicture(pixel), dlh.x, dlh.y));
}

TEST(PreviewStills, LimitedModeListsLabelsAndStillSelectsByAtcId) {
    // Limited traffic: the gauge knows aircraft by their labels (at most 15
    // characters) and draws every aircraft listed, none skipped.
    const std::string path = scratch("limited.png");
    const CommandResult listing = runPreview({"--scenario", kScenario, "--limited", "render", "--gauge", "rg", "--list", "-o", path});
    ASSERT_EQ(listing.exitCode, 0) << listing.err;
    const Listed dlh = findListed(listing.out, "DLH4AB A320 lon");
    ASSERT_TRUE(dlh.found) << listing.out;
    EXPECT_TRUE(findListed(listing.out, "GND1").found) << listing.out;
    const CommandResult select = runPreview({"--scenario", kScenario, "--limited", "render", "--gauge", "rg", "--select", "DLH4AB", "-o", path});
    ASSERT_EQ(select.exitCode, 0) << select.err;
    EXPECT_TRUE(showsSelectionBox(readPicture(path), dlh.x, dlh.y));
}

TEST(PreviewStills, FilterHidesGroundTrafficFromPictureClicksAndListWithTheReason) {
    const std::string plain = scratch("unfiltered.png"), filtered = scratch("filtered.png");
    const CommandResult listing = runPreview({"--scenario", kScenario, "render", "--gauge", "rg", "--list", "-o", plain});
    ASSERT_EQ(listing.exitCode, 0) << listing.err;
    const Listed ground = findListed(listing.out, "GND1");
    ASSERT_TRUE(ground.found) << listing.out;

    const std::string onGround = std::to_string(ground.pixelX) + "," + std::to_string(ground.pixelY);
    ASSERT_EQ(runPreview({"--scenario", kScenario, "render", "--gauge", "rg", "--click", onGround, "-o", plain}).exitCode, 0);
    ASSERT_TRUE(showsSelectionBox(readPicture(plain), ground.x, ground.y));

    const CommandResult hidden = runPreview({"--scenario", kScenario, "--filter", "1", "render", "--gauge", "rg", "--list",
                                             "--click", onGround, "-o", filtered});
    ASSERT_EQ(hidden.exitCode, 0) << hidden.err;
    EXPECT_FALSE(findListed(hidden.out, "GND1").found);
    EXPECT_NE(hidden.out.find("hidden GND1: hidden by the filter (airborne)"), std::string::npos) << hidden.out;
    EXPECT_FALSE(showsSelectionBox(readPicture(filtered), ground.x, ground.y)) << "a hidden aircraft takes no click";
}

TEST(PreviewStills, SelectionReachesAnAircraftHalfHiddenByAnEarlierOne) {
    // EZY99 is plotted 6 units above DLH4AB, which the gauge lists first: a
    // click on EZY99 itself would select DLH4AB.
    const std::string path = scratch("ezy.png");
    const CommandResult listing = runPreview({"--scenario", kScenario, "render", "--gauge", "cg", "--size", "1000x1000", "--list", "-o", path});
    ASSERT_EQ(listing.exitCode, 0) << listing.err;
    const Listed ezy = findListed(listing.out, "EZY99"), dlh = findListed(listing.out, "DLH4AB");
    ASSERT_TRUE(ezy.found && dlh.found) << listing.out;
    ASSERT_LT(std::fabs(ezy.y - dlh.y), 20.0);

    const CommandResult select = runPreview({"--scenario", kScenario, "render", "--gauge", "cg", "--size", "1000x1000", "--select", "EZY99", "-o", path});
    ASSERT_EQ(select.exitCode, 0) << select.err;
    const Image picture = readPicture(path);
    EXPECT_TRUE(showsSelectionBox(picture, ezy.x, ezy.y));
    EXPECT_FALSE(showsSelectionBox(picture, dlh.x, dlh.y));
}

TEST(PreviewStills, ContactSheetShowsFourGaugesInThreeViews) {
    const std::string path = scratch("sheet.png");
    const CommandResult run = runPreview({"--scenario", kScenario, "render", "--all", "--size", "120x120", "--seconds", "1", "-o", path});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Image sheet = readPicture(path);
    SheetLayout layout{"", {"Circular Green", "Circular Amber", "Rectangular Green", "Rectangular Amber"},
                       {"Full circle (2)", "Forward arc (3)", "Grid (4)"}, 120, 120};
    const SheetGeometry g = sheetGeometry(layout);
    ASSERT_EQ(sheet.width(), g.width);
    ASSERT_EQ(sheet.height(), g.height);
    auto cell = [&](int row, int column) {
        Image c(120, 120);
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 120; ++x) c.setPixel(x, y, sheet.pixel(g.cellX(column) + x, g.cellY(row) + y));
        return c;
    };
    // Green and amber gauges differ in background; the views differ in what they draw.
    EXPECT_EQ(backgroundColour(cell(0, 0)), backgroundColour(cell(2, 2)));
    EXPECT_NE(backgroundColour(cell(0, 0)), backgroundColour(cell(0, 1)));
    EXPECT_EQ(backgroundColour(cell(1, 1)), backgroundColour(cell(1, 3)));
    EXPECT_NE(cell(0, 0).pixels(), cell(1, 0).pixels());
    EXPECT_NE(cell(1, 0).pixels(), cell(2, 0).pixels());
}

TEST(PreviewAnimation, GifHasEveryFrameAtTheSizeAndTheGaugeColoursExact) {
    const std::string gif = scratch("anim.gif"), still = scratch("first.png");
    const CommandResult animate = runPreview({"--scenario", kScenario, "--fps", "10", "animate", "--gauge", "ca", "--size", "160x120",
                                 "--seconds", "2", "-o", gif});
    ASSERT_EQ(animate.exitCode, 0) << animate.err;
    // The first frame of the animation is the still after one frame.
    const CommandResult render = runPreview({"--scenario", kScenario, "--fps", "10", "render", "--gauge", "ca", "--size", "160x120",
                                "--seconds", "0.1", "-o", still});
    ASSERT_EQ(render.exitCode, 0) << render.err;
    const Image first = readPicture(still);

    int code = 0;
    GifFileType* file = DGifOpenFileName(gif.c_str(), &code);
    ASSERT_NE(file, nullptr) << GifErrorString(code);
    ASSERT_EQ(DGifSlurp(file), GIF_OK);
    EXPECT_EQ(file->SWidth, 160);
    EXPECT_EQ(file->SHeight, 120);
    EXPECT_EQ(file->ImageCount, 20);
    ASSERT_GE(file->ImageCount, 1);
    const SavedImage& frame = file->SavedImages[0];
    ASSERT_EQ(frame.ImageDesc.Width, 160);
    ASSERT_EQ(frame.ImageDesc.Height, 120);
    const ColorMapObject* map = frame.ImageDesc.ColorMap ? frame.ImageDesc.ColorMap : file->SColorMap;
    // The scheme's own colours come through exactly; the rarest anti-aliasing
    // shades may move to a neighbouring shade.
    const uint32_t schemeColours[] = {render::kAmberColours.background & 0xffffffu, render::kAmberColours.dim & 0xffffffu,
                                      render::kAmberColours.bright & 0xffffffu};
    int same = 0, schemePixels = 0, worst = 0;
    for (int y = 0; y < 120; ++y) {
        for (int x = 0; x < 160; ++x) {
            const GifColorType c = map->Colors[frame.RasterBits[y * 160 + x]];
            const uint32_t rgb = (c.Red << 16) | (c.Green << 8) | c.Blue;
            const uint32_t expected = first.pixel(x, y) & 0xffffffu;
            if (rgb == expected) ++same;
            worst = std::max(worst, colourDistance(rgb, expected));
            for (uint32_t scheme : schemeColours) {
                if (expected != scheme) continue;
                ++schemePixels;
                EXPECT_EQ(rgb, scheme) << x << "," << y;
            }
        }
    }
    DGifCloseFile(file, &code);
    EXPECT_GT(schemePixels, 160 * 120 / 2);
    EXPECT_GT(same, 160 * 120 * 95 / 100);
    EXPECT_LE(worst, 32);
}

TEST(PreviewWindow, ClickInTheWindowSelectsTheAircraftUnderTheMouse) {
    if (!haveCommand("xvfb-run") || !haveCommand("xdotool")) GTEST_SKIP() << "needs xvfb-run and xdotool";
    // Where DLH4AB is after two seconds; the window skips the same two
    // seconds, then runs in real time (the aircraft moves under a unit a second).
    const std::string plain = scratch("window-plain.png"), dump = scratch("window-dump.png");
    const CommandResult listing = runPreview({"--scenario", kScenario, "render", "--gauge", "rg", "--size", "400x400", "--seconds", "2",
                                 "--list", "-o", plain});
    ASSERT_EQ(listing.exitCode, 0) << listing.err;
    const Listed dlh = findListed(listing.out, "DLH4AB");
    ASSERT_TRUE(dlh.found) << listing.out;

    // Two gauges side by side on a screen too small for them: the window
    // shows the frame scaled down, and the click goes to the second gauge.
    const WindowLayout layout{400, 400, 2};
    const std::string script = std::string(QUILLON_SOURCE_DIR) + "/tests/tools/window-click.sh";
    // A server number of this process's own, so that parallel tests do not race for one.
    const std::string command = "xvfb-run -a -n " + std::to_string(100 + getpid() % 400) + " -s '-screen 0 640x480x24' " + quoted(script) + " " + quoted(kPreview) +
                                " " + std::to_string(layout.gaugeX(1) + dlh.pixelX) + " " + std::to_string(layout.gaugeY() + dlh.pixelY) +
                                " " + std::to_string(layout.width()) + " " + std::to_string(layout.height()) +
                                " -- --module " + quoted(kModule) + " --scenario " + quoted(kScenario) +
                                " window --gauge cg --gauge rg --size 400x400 --seconds 2 --exit-after 5 --frame-dump " +
                                quoted(dump);
    const CommandResult run = runCommand(command);
    ASSERT_EQ(run.exitCode, 0) << run.err << run.out;
    EXPECT_EQ(run.out.find("window 824x"), std::string::npos) << "not scaled to the screen: " << run.out;
    const Image frame = readPicture(dump);
    ASSERT_EQ(frame.width(), layout.width());
    ASSERT_EQ(frame.height(), layout.height());
    Image left(400, 400), right(400, 400);
    for (int y = 0; y < 400; ++y) {
        for (int x = 0; x < 400; ++x) {
            left.setPixel(x, y, frame.pixel(layout.gaugeX(0) + x, layout.gaugeY() + y));
            right.setPixel(x, y, frame.pixel(layout.gaugeX(1) + x, layout.gaugeY() + y));
        }
    }
    // Each gauge is labelled with its name above it.
    int labelInk = 0;
    for (int y = 0; y < layout.gaugeY(); ++y)
        for (int x = layout.gaugeX(1); x < layout.gaugeX(1) + 400; ++x) labelInk += frame.pixel(x, y) == 0xffd8d8d8u;
    EXPECT_GT(labelInk, 50);
    EXPECT_TRUE(showsSelectionBox(right, dlh.x, dlh.y));
    // The full data block's top-left corner: the right gauge has it, the left does not.
    EXPECT_GT(inkIn(right, 0, 0, 250, 100), inkIn(left, 0, 0, 250, 100) + 100);
    // The other gauge keeps its own selection: none.
    EXPECT_FALSE(showsSelectionBox(left, dlh.x, dlh.y));
}

TEST(PreviewWindow, KeysSwitchViewRangePauseAndLimitedMode) {
    if (!haveCommand("xvfb-run") || !haveCommand("xdotool")) GTEST_SKIP() << "needs xvfb-run and xdotool";
    const std::string script = std::string(QUILLON_SOURCE_DIR) + "/tests/tools/window-keys.sh";
    auto titleAfter = [&](const std::string& keys, const std::string& range) {
        const std::string command = "xvfb-run -a -n " + std::to_string(500 + getpid() % 400) + " " + quoted(script) +
                                    " " + quoted(kPreview) + " " + quoted(keys) + " -- --module " + quoted(kModule) +
                                    " --scenario " + quoted(kScenario) + " --range " + range +
                                    " window --gauge ca --size 200x200 --exit-after 4";
        const CommandResult run = runCommand(command);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return run.out;
    };
    std::string title = titleAfter("4 minus space", "40");
    EXPECT_NE(title.find("Grid (4) | 20 NM"), std::string::npos) << title;
    EXPECT_NE(title.find("paused | full traffic"), std::string::npos) << title;
    // Range steps stop at 5 and 320 NM; L toggles limited mode; 3 is the arc.
    title = titleAfter("3 minus minus l", "10");
    EXPECT_NE(title.find("Forward arc (3) | 5 NM"), std::string::npos) << title;
    EXPECT_NE(title.find("running | limited"), std::string::npos) << title;
    title = titleAfter("plus plus space space 2", "160");
    EXPECT_NE(title.find("Full circle (2) | 320 NM"), std::string::npos) << title;
    EXPECT_NE(title.find("running"), std::string::npos) << title;
    EXPECT_NE(title.find("alerts off"), std::string::npos) << title;
    // A turns the traffic alerts on, a second A off again.
    EXPECT_NE(titleAfter("a", "40").find("alerts on"), std::string::npos);
    EXPECT_NE(titleAfter("a a", "40").find("alerts off"), std::string::npos);
}

// One line of `render --alerts --list`: PIXEL-X PIXEL-Y LOGICAL-X LOGICAL-Y NM CLASS SECONDS ATC-ID.
struct ListedAlert {
    bool found = false;
    int pixelX = 0, pixelY = 0;
    std::string alertClass, seconds;
};
ListedAlert findListedAlert(const std::string& listing, const std::string& atcId) {
    std::istringstream lines(listing);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        ListedAlert l;
        double x = 0, y = 0, nm = 0;
        std::string id;
        if (fields >> l.pixelX >> l.pixelY >> x >> y >> nm >> l.alertClass >> l.seconds &&
            std::getline(fields >> std::ws, id) && id == atcId) {
            l.found = true;
            return l;
        }
    }
    return {};
}

// Pixels of the advisories' yellow within a few pixels of a point.
int yellowNear(const Image& picture, int x, int y) {
    int count = 0;
    for (int dy = -4; dy <= 4; ++dy)
        for (int dx = -4; dx <= 4; ++dx)
            if (picture.contains(x + dx, y + dy) &&
                colourDistance(picture.pixel(x + dx, y + dy), render::kTrafficAdvisoryColour) < 60)
                ++count;
    return count;
}

TEST(PreviewAlerts, ListSaysEachAircraftsClassWhereTheGaugeDrawsItAndAdvisoriesAtTheEdgeTakeClicks) {
    // The encounters at 47 s: four advisories, one proximate aircraft. On the
    // grid BCS8XR (35 deg right) lies outside the columns: drawn on the right edge.
    const std::string encounters = std::string(QUILLON_SOURCE_DIR) + "/scenarios/encounters.json";
    const std::string picture = scratch("alerts-grid.png"), chosen = scratch("alerts-chosen.png");
    const CommandResult listing = runPreview({"--scenario", encounters, "--alerts", "--view", "grid", "--range", "10",
                                              "render", "--gauge", "rg", "--seconds", "47", "--list", "-o", picture});
    ASSERT_EQ(listing.exitCode, 0) << listing.err;
    const Image drawn = readPicture(picture);
    for (const char* id : {"UAL931", "BCS8XR", "AFR22HO"}) {
        const ListedAlert advisory = findListedAlert(listing.out, id);
        ASSERT_TRUE(advisory.found) << id << "\n" << listing.out;
        EXPECT_EQ(advisory.alertClass, "advisory") << id;
        EXPECT_GT(std::stod(advisory.seconds), 0.0) << id << ": still closing";
        EXPECT_GT(yellowNear(drawn, advisory.pixelX, advisory.pixelY), 6) << id << " drawn as an advisory there";
    }
    const ListedAlert edge = findListedAlert(listing.out, "BCS8XR");
    EXPECT_NEAR(edge.pixelX, 900 * 400 / 1000, 1) << "on the grid's right edge (logical x 900)";
    // DLH4PX, level and 4 NM off, not closing: proximate, bright, not yellow.
    EXPECT_NE(listing.out.find("DLH4PX: it is at relative bearing"), std::string::npos) << listing.out;
    EXPECT_NE(listing.out.find("(proximate "), std::string::npos) << listing.out;

    const CommandResult select = runPreview({"--scenario", encounters, "--alerts", "--view", "grid", "--range", "10",
                                             "render", "--gauge", "rg", "--seconds", "47", "--select", "BCS8XR", "-o", chosen});
    EXPECT_EQ(select.exitCode, 0) << select.err;
    // Without alerts the same aircraft is outside the grid and cannot be clicked; the list has no classes.
    const CommandResult off = runPreview({"--scenario", encounters, "--view", "grid", "--range", "10", "render", "--gauge",
                                          "rg", "--seconds", "47", "--select", "BCS8XR", "--list", "-o", chosen});
    EXPECT_EQ(off.exitCode, 5) << off.err;
}

TEST(PreviewScript, MakeRunRendersEveryGaugeInEveryViewIntoTheOutputFolder) {
    // The script finds the tool and the module under BUILD/linux, as make lays them out.
    const std::filesystem::path linuxBuild = std::filesystem::path(kPreview).parent_path().parent_path();
    if (linuxBuild.filename() != "linux") GTEST_SKIP() << "build folder is not BUILD/linux";
    const std::string out = scratch("run-preview-out");
    std::filesystem::remove_all(out);
    const CommandResult run = runCommand(quoted(std::string(QUILLON_SOURCE_DIR) + "/scripts/run-preview.sh") + " " +
                                         quoted(linuxBuild.parent_path().string()) + " " + quoted(out));
    ASSERT_EQ(run.exitCode, 0) << run.err << run.out;
    std::vector<std::string> pictures = {"contact-sheet.png"};
    for (const char* gauge : {"circular-green", "circular-amber", "rectangular-green", "rectangular-amber"}) {
        for (const char* view : {"full", "arc", "grid"}) pictures.push_back(std::string(gauge) + "-" + view + ".png");
    }
    for (const std::string& name : pictures) {
        const Image picture = readPicture(out + "/" + name);
        EXPECT_FALSE(picture.empty()) << name;
        EXPECT_NE(run.out.find(out + "/" + name), std::string::npos) << "not announced: " << name;
    }
    EXPECT_EQ(readPicture(out + "/circular-amber-grid.png").width(), 400);
    int code = 0;
    GifFileType* gif = DGifOpenFileName((out + "/circular-green-full.gif").c_str(), &code);
    ASSERT_NE(gif, nullptr);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK);
    EXPECT_EQ(gif->ImageCount, 8 * 18);
    DGifCloseFile(gif, &code);
    std::filesystem::remove_all(out);
}
