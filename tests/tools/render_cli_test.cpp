// pelmic-render run as a process: bad input, determinism, the picture, the report.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wconversion"
#pragma GCC diagnostic ignored "-Wsign-conversion"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#endif
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace {

namespace fs = std::filesystem;

struct RunResult {
  int status;
  std::string err;
};

class RenderCli : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("pelmic-render-test-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path Path(const std::string& name) const { return dir_ / name; }

  fs::path WriteSites(const std::string& text) const {
    const fs::path path = Path("sites.txt");
    std::ofstream(path) << text;
    return path;
  }

  RunResult Render(const std::string& args) const {
    const fs::path err = Path("stderr.txt");
    const std::string command = std::string(PELMIC_RENDER_PATH) + " " + args + " 2>" + err.string();
    const int raw = std::system(command.c_str());
    std::ifstream in(err);
    std::stringstream text;
    text << in.rdbuf();
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, text.str()};
  }

  static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  // Expects status 2, one short message containing `phrase`, and no report file.
  void ExpectRejected(const std::string& args, const std::string& phrase) const {
    const fs::path out = Path("out.json");
    const RunResult run = Render(args + " --json " + out.string());
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_NE(run.err.find(phrase), std::string::npos) << args << "\nstderr: " << run.err.substr(0, 500);
    EXPECT_LT(run.err.size(), 400u) << "a bad line must not be echoed whole";
    EXPECT_FALSE(fs::exists(out)) << args;
    EXPECT_FALSE(fs::exists(out.string() + ".partial")) << args;
  }

  fs::path dir_;
};

TEST_F(RenderCli, RejectsBadSitesFilesNamingTheProblem) {
  const std::string size = " --size 800x600";
  ExpectRejected("--sites " + Path("missing.txt").string() + size, "cannot be read");
  ExpectRejected("--sites " + dir_.string() + size, "is a directory");
  const std::pair<std::string, std::string> cases[] = {
      {"10 10\n20 20 30\n", "sites.txt:2: expected two finite numbers"},
      {"10 10\nabc 20\n", ":2: expected two finite numbers"},
      {"10\n20 20\n", ":1: expected two finite numbers"},
      {"10 10\nnan 20\n", ":2: expected two finite numbers"},
      {"10 10\n1e999 20\n", ":2: expected two finite numbers"},
      {"10 10\n", "needs at least 2 sites"},
      {"10 10\n800 20\n", ":2: site (800, 20) lies outside the screen"},
      {"10 10\n5 -0.5\n", ":2: site (5, -0.5) lies outside the screen"},
      {"10 10\n\n20 20\n10 10\n", ":4: site (10, 10) coincides with the site on line 1"},
      // Too small for a double, it reads as the nearest one, 0.
      {"0 10\n1e-400 10\n", ":2: site (1e-400, 10) coincides with the site on line 1"},
      {"10 10\n" + std::string(3000, '7') + " x\n", ":2: expected two finite numbers 'x y', got '777"},
      {"10 10\n" + std::string(5000, '7') + "\n", ":2: line longer than 4096 bytes"},
      {std::string(5000, ' ') + "\n10 10\n20 20\n", ":1: line longer than 4096 bytes"},
  };
  for (const auto& [text, phrase] : cases) ExpectRejected("--sites " + WriteSites(text).string() + size, phrase);
  std::string fifty;
  for (int n = 0; n < 50; ++n) fifty += std::to_string(10 + n) + " 10\n";
  ExpectRejected("--sites " + WriteSites(fifty).string() + size, ":50: more than 49 sites");
}

TEST_F(RenderCli, RejectsBadOptions) {
  const std::string sites = WriteSites("10 10\n20 30\n").string();
  for (const char* size : {"800", "0x600", "800x", "axb", "800x600x2", "-5x5"}) {
    ExpectRejected("--sites " + sites + " --size " + size, "--size must be WxH");
  }
  ExpectRejected("--sites " + sites + " --colour red", "unknown option '--colour'");
  ExpectRejected("--seed x7", "--seed must be a whole number");
  ExpectRejected("--cycles 0", "--cycles must be");
}

TEST_F(RenderCli, FixedSitesReportTheirCellsExactly) {
  const fs::path json = Path("cells.json");
  ASSERT_EQ(Render("--sites " + WriteSites("100 100\n300 200\n\n110 300\n").string() + " --size 800x600 --json " +
                   json.string())
                .status,
            0);
  const std::string report = Read(json);
  EXPECT_EQ(report.rfind("{\"width\":800,\"height\":600,\"cycles\":[{\"siteCount\":3,", 0), 0u) << report;
  // The three edges of these sites meet at (176.7948717948718, 196.41025641025641).
  EXPECT_NE(report.find("[1,2,176.79487179487"), std::string::npos) << report;
  EXPECT_NE(report.find("[2,1,176.79487179487"), std::string::npos) << report;
}

double SumOfAreas(const std::string& report) {
  const std::string key = "\"area\":";
  double sum = 0;
  for (std::size_t at = report.find(key); at != std::string::npos; at = report.find(key, at + 1)) {
    sum += std::strtod(report.c_str() + at + key.size(), nullptr);
  }
  return sum;
}

TEST_F(RenderCli, TheSameSeedGivesIdenticalBytes) {
  for (const char* run : {"a", "b"}) {
    ASSERT_EQ(Render(std::string("--seed 11 --size 640x480 --out ") + Path(std::string(run) + ".png").string() +
                     " --json " + Path(std::string(run) + ".json").string())
                  .status,
              0);
  }
  EXPECT_EQ(Read(Path("a.png")), Read(Path("b.png")));
  EXPECT_EQ(Read(Path("a.json")), Read(Path("b.json")));
  EXPECT_GT(Read(Path("a.png")).size(), 1000u);
}

TEST_F(RenderCli, EveryCycleIsReportedAndItsAreasFillTheScreen) {
  const fs::path json = Path("cycles.json");
  ASSERT_EQ(Render("--seed 3 --size 1024x768 --cycles 3 --out " + Path("pic.png").string() + " --json " +
                   json.string())
                .status,
            0);
  for (int c = 1; c <= 3; ++c) EXPECT_TRUE(fs::exists(Path("pic-" + std::to_string(c) + ".png"))) << c;
  EXPECT_FALSE(fs::exists(Path("pic.png")));
  const std::string report = Read(json);
  std::size_t start = 0;
  int cycles = 0;
  const std::string marker = "{\"siteCount\":";
  while ((start = report.find(marker, start)) != std::string::npos) {
    const std::size_t end = report.find(marker, start + 1);
    EXPECT_NEAR(SumOfAreas(report.substr(start, end - start)), 1024.0 * 768.0, 1e-3) << "cycle " << cycles + 1;
    ++cycles;
    start += marker.size();
  }
  EXPECT_EQ(cycles, 3);
  EXPECT_NE(report.find("\"colour\":["), std::string::npos);
  EXPECT_NE(report.find("\"scaleBar\":["), std::string::npos);
}

TEST_F(RenderCli, ThePictureHoldsOnlyBlackAndTheCyclesColour) {
  const fs::path png = Path("one.png");
  const fs::path json = Path("one.json");
  ASSERT_EQ(Render("--seed 7 --size 800x600 --out " + png.string() + " --json " + json.string()).status, 0);
  const std::string report = Read(json);
  const std::size_t at = report.find("\"colour\":[");
  ASSERT_NE(at, std::string::npos);
  int r = 0, g = 0, b = 0;
  ASSERT_EQ(std::sscanf(report.c_str() + at, "\"colour\":[%d,%d,%d]", &r, &g, &b), 3);
  const double pen[3] = {double(r), double(g), double(b)};
  int w = 0, h = 0, channels = 0;
  unsigned char* pixels = stbi_load(png.string().c_str(), &w, &h, &channels, 3);
  ASSERT_NE(pixels, nullptr);
  ASSERT_EQ(w, 800);
  ASSERT_EQ(h, 600);
  int lit = 0, full = 0;
  for (int p = 0; p < w * h; ++p) {
    const unsigned char* px = pixels + 3 * p;
    if (px[0] == 0 && px[1] == 0 && px[2] == 0) continue;
    ++lit;
    // Anti-aliased text blends the pen colour over black: one coverage for all channels.
    const double coverage = px[1] / pen[1];
    for (int ch = 0; ch < 3; ++ch) ASSERT_NEAR(px[ch], pen[ch] * coverage, 1.5) << "pixel " << p % w << "," << p / w;
    if (px[0] == pen[0] && px[1] == pen[1] && px[2] == pen[2]) ++full;
  }
  stbi_image_free(pixels);
  EXPECT_GT(full, 2000) << "edges, circles and the scale bar in the pen colour";
  EXPECT_LT(lit, w * h / 10);
}

}  // namespace
