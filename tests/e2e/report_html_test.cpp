// report_html_test.cpp -- the HTML report of the blending example opened in
// a real browser: headless Chromium's DOM holds every table of the run (as
// the JSON of the same run lists them) with its contents entry, and a
// screenshot of the page is a real picture, not a blank one.
//
// The browser is Debian's chromium package.  When it is missing and the
// test runs as root, the test installs it with apt-get once; when it cannot
// be had the test is skipped.  The suite carries the ctest label "browser"
// (tests/CMakeLists.txt), so `ctest -LE browser` leaves it out.
#include <unistd.h>
#include <zlib.h>

#include <cstdint>
#include <set>

#include <nlohmann/json.hpp>

#include "e2e_support.h"

namespace {

namespace fs = e2e::fs;

constexpr const char* kChromium = "/usr/bin/chromium";
constexpr int kBrowserSeconds = 60;
constexpr int kInstallSeconds = 900;
constexpr int kPageWidth = 1280;
constexpr int kPageHeight = 2400;

// The browser, installed when it is missing and we may install packages.
bool have_browser() {
    if (fs::exists(kChromium)) return true;
    if (geteuid() != 0) return false;
    if (e2e::shell("dpkg -s chromium >/dev/null 2>&1") == 0) return fs::exists(kChromium);
    e2e::shell("timeout " + std::to_string(kInstallSeconds) +
               " sh -c 'apt-get install -y chromium || (apt-get update && apt-get install -y chromium)'"
               " </dev/null >/dev/null 2>&1");
    return fs::exists(kChromium);
}

std::string browser(const fs::path& profile) {
    return "timeout " + std::to_string(kBrowserSeconds) + " " + std::string(kChromium) +
           " --headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking"
           " --disable-component-update --disable-sync --user-data-dir=" +
           e2e::quoted(profile.string());
}

uint32_t big_endian(const std::string& s, size_t at) {
    return (static_cast<uint32_t>(static_cast<unsigned char>(s[at])) << 24) |
           (static_cast<uint32_t>(static_cast<unsigned char>(s[at + 1])) << 16) |
           (static_cast<uint32_t>(static_cast<unsigned char>(s[at + 2])) << 8) |
           static_cast<uint32_t>(static_cast<unsigned char>(s[at + 3]));
}

// The decoded scanlines of an 8-bit RGB or RGBA PNG (filter bytes kept),
// with its width and height; empty when it is not such a file.
struct Picture {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<unsigned char> pixels;
};

Picture decode_png(const std::string& png) {
    Picture p;
    const std::string signature = "\x89PNG\r\n\x1a\n";
    if (png.compare(0, signature.size(), signature) != 0) return p;
    std::string idat;
    int channels = 0;
    for (size_t at = signature.size(); at + 8 <= png.size();) {
        const uint32_t length = big_endian(png, at);
        const std::string type = png.substr(at + 4, 4);
        if (at + 12 + length > png.size()) return Picture{};
        if (type == "IHDR") {
            p.width = big_endian(png, at + 8);
            p.height = big_endian(png, at + 12);
            const int depth = static_cast<unsigned char>(png[at + 16]);
            const int color = static_cast<unsigned char>(png[at + 17]);
            if (depth != 8 || (color != 2 && color != 6)) return Picture{};
            channels = color == 2 ? 3 : 4;
        } else if (type == "IDAT") {
            idat += png.substr(at + 8, length);
        }
        at += 12 + length;
    }
    uLongf size = static_cast<uLongf>(p.height) * (1 + static_cast<uLongf>(p.width) * channels);
    p.pixels.resize(size);
    if (channels == 0 || uncompress(p.pixels.data(), &size, reinterpret_cast<const Bytef*>(idat.data()),
                                    static_cast<uLong>(idat.size())) != Z_OK)
        return Picture{};
    p.pixels.resize(size);
    return p;
}

class HtmlBrowser : public e2e::ScratchFolder {
  protected:
    void SetUp() override {
        e2e::ScratchFolder::SetUp();
        if (!have_browser()) GTEST_SKIP() << "no browser at " << kChromium << " and none could be installed";
        const fs::path program = fs::path(QMLP_SOURCE_DIR) / "examples" / "blending" / "blending.qmlp";
        html_ = dir_ / "report.html";
        const fs::path json = dir_ / "tables.json";
        ASSERT_EQ(
            e2e::shell(e2e::quoted(e2e::qmlp_binary().string()) + " --log " + e2e::quoted((dir_ / "log").string()) +
                       " --listing " + e2e::quoted((dir_ / "lst").string()) + " --html " + e2e::quoted(html_.string()) +
                       " --json " + e2e::quoted(json.string()) + " " + e2e::quoted(program.string()) +
                       " </dev/null >/dev/null 2>&1"),
            0);
        tables_ = nlohmann::json::parse(e2e::slurp(json))["tables"];
    }

    fs::path html_;
    nlohmann::json tables_;
};

TEST_F(HtmlBrowser, TheRenderedPageShowsEveryTableWithItsContentsEntry) {
    const fs::path dom = dir_ / "dom.html";
    ASSERT_EQ(e2e::shell(browser(dir_ / "profile") + " --dump-dom " + e2e::quoted("file://" + html_.string()) + " > " +
                         e2e::quoted(dom.string()) + " 2>/dev/null"),
              0);
    const std::string rendered = e2e::slurp(dom);
    ASSERT_FALSE(rendered.empty());
    // Two steps of the example, each with its four summaries.
    ASSERT_EQ(tables_.size(), 8u);
    std::set<std::string> names;
    for (const auto& t : tables_) {
        const std::string id = "t-" + std::to_string(t["id"].get<int>());
        names.insert(t["name"].get<std::string>());
        EXPECT_NE(rendered.find("id=\"" + id + "\""), std::string::npos) << id;
        EXPECT_NE(rendered.find("href=\"#" + id + "\""), std::string::npos) << id;
        EXPECT_NE(rendered.find(t["label"].get<std::string>()), std::string::npos) << t["label"];
    }
    EXPECT_EQ(names,
              (std::set<std::string>{"ProblemSummary", "SolutionSummary", "VariableSummary", "ConstraintSummary"}));
    // Cells of the tables reached the document: the blend and the optimum.
    for (const char* text : {"corn", "oats", "soy", "protein", "RANGEGE", "OBJECTVE", "0.2948529412"})
        EXPECT_NE(rendered.find(text), std::string::npos) << text;
}

TEST_F(HtmlBrowser, AScreenshotOfThePageIsARealPicture) {
    const fs::path png = dir_ / "page.png";
    ASSERT_EQ(e2e::shell(browser(dir_ / "profile") + " --hide-scrollbars --window-size=" + std::to_string(kPageWidth) +
                         "," + std::to_string(kPageHeight) + " --screenshot=" + e2e::quoted(png.string()) + " " +
                         e2e::quoted("file://" + html_.string()) + " >/dev/null 2>&1"),
              0);
    const Picture p = decode_png(e2e::slurp(png));
    ASSERT_EQ(p.width, static_cast<uint32_t>(kPageWidth));
    ASSERT_EQ(p.height, static_cast<uint32_t>(kPageHeight));
    // Text, rules and bands: many shades, and a fair share of non-white bytes.
    std::set<unsigned char> shades(p.pixels.begin(), p.pixels.end());
    size_t ink = 0;
    for (unsigned char b : p.pixels) ink += b < 0xF0 ? 1 : 0;
    EXPECT_GT(shades.size(), 64u);
    EXPECT_GT(static_cast<double>(ink) / static_cast<double>(p.pixels.size()), 0.01);
    // QMLP_UPDATE_DOCS=1 keeps the picture as the README's view of a report.
    if (std::getenv("QMLP_UPDATE_DOCS") != nullptr)
        fs::copy_file(png, fs::path(QMLP_SOURCE_DIR) / "docs" / "html-report.png",
                      fs::copy_options::overwrite_existing);
}

// The matrix picture of a badly scaled problem: a coloured grid, blues for
// the small coefficients and reds for the large ones, legible in a
// screenshot.
TEST_F(HtmlBrowser, TheMatrixPictureIsAColouredGrid) {
    std::string data = "_ID_,_TYPE_";
    for (int j = 0; j < 8; ++j) data += ",x" + std::to_string(j);
    data += ",_RHS_\nobj,MIN";
    for (int j = 0; j < 8; ++j) data += "," + std::to_string(j + 1);
    data += ",.\n";
    const char* magnitudes[] = {"0.00002", "-0.003", "0.4", "1", "-25", "7000", "3e7", "-9e12"};
    for (int i = 0; i < 6; ++i) {
        data += "r" + std::to_string(i) + ",GE";
        for (int j = 0; j < 8; ++j) data += std::string(",") + magnitudes[(i + j) % 8];
        data += ",1\n";
    }
    write("scaled.csv", data);
    write("picture.qmlp", "LP data=scaled endpause;\nRUN;\nPRINT PICTURE;\nQUIT;\n");
    const fs::path html = dir_ / "picture.html";
    e2e::shell("cd " + e2e::quoted(dir_.string()) + " && " + e2e::quoted(e2e::qmlp_binary().string()) + " --html " +
               e2e::quoted(html.string()) + " picture.qmlp </dev/null >/dev/null 2>&1");
    const std::string page = e2e::slurp(html);
    ASSERT_NE(page.find("Qm.Lp.MatrixPicture"), std::string::npos) << page.substr(0, 2000);
    ASSERT_NE(page.find("class=\"pic neg"), std::string::npos);

    const fs::path png = dir_ / "picture.png";
    ASSERT_EQ(e2e::shell(browser(dir_ / "profile") + " --hide-scrollbars --window-size=" + std::to_string(kPageWidth) +
                         "," + std::to_string(kPageHeight) + " --screenshot=" + e2e::quoted(png.string()) + " " +
                         e2e::quoted("file://" + html.string() + "#t-1") + " >/dev/null 2>&1"),
              0);
    const Picture p = decode_png(e2e::slurp(png));
    ASSERT_GT(p.width, 0u);
    const size_t channels = (p.pixels.size() / p.height - 1) / p.width;
    size_t blue = 0, red = 0;
    for (uint32_t y = 0; y < p.height; ++y)
        for (uint32_t x = 0; x < p.width; ++x) {
            const unsigned char* px = &p.pixels[y * (1 + p.width * channels) + 1 + x * channels];
            if (px[2] > px[0] + 60) ++blue;
            if (px[0] > px[2] + 60) ++red;
        }
    // PNG rows are filtered, so exact colours are not compared; filtered
    // or not, a grid of coloured cells leaves many strongly tinted bytes.
    EXPECT_GT(blue, 500u);
    EXPECT_GT(red, 500u);
}

// A parametric walk's log is drawn beside it: the rendered page keeps the
// inline chart with one mark per breakpoint of the log.
TEST_F(HtmlBrowser, AParametricWalkIsDrawnBesideItsLog) {
    write("pm.csv",
          "_ID_,_TYPE_,chairs,tables,desks,_RHS_\n"
          "profit,MAX,30,50,40,.\nwood,LE,2,4,3,300\nlabour,LE,4,3,5,360\nfinish,LE,1,2,1,120\n"
          "costup,PRICESEN,1,0,-1,.\n");
    write("walk.qmlp", "LP data=pm pricephi=100;\nRUN;\n");
    const fs::path page = dir_ / "walk.html";
    ASSERT_EQ(e2e::shell(e2e::quoted(e2e::qmlp_binary().string()) + " --lib " + e2e::quoted(dir_.string()) +
                         " --html " + e2e::quoted(page.string()) + " " + e2e::quoted((dir_ / "walk.qmlp").string()) +
                         " </dev/null >/dev/null 2>&1"),
              0);
    const fs::path dom = dir_ / "walk-dom.html";
    ASSERT_EQ(e2e::shell(browser(dir_ / "profile") + " --dump-dom " + e2e::quoted("file://" + page.string()) + " > " +
                         e2e::quoted(dom.string()) + " 2>/dev/null"),
              0);
    const std::string rendered = e2e::slurp(dom);
    const size_t chart = rendered.find("class=\"parametric-chart\"");
    ASSERT_NE(chart, std::string::npos);
    const size_t log = rendered.rfind("data-name=\"PriceParametricLog\"", chart);
    EXPECT_NE(log, std::string::npos);
    const size_t end = rendered.find("</svg>", chart);
    size_t marks = 0;
    for (size_t at = rendered.find("<circle", chart); at < end; at = rendered.find("<circle", at + 1)) ++marks;
    EXPECT_EQ(marks, 2u);  // the walk's two breakpoints
}

}  // namespace
