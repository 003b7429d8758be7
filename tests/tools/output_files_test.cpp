// The renderer's output set on its own, for what a process cannot be made to
// meet on cue: a rename that fails after every output is written.
#include "output_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace pelmic::render {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(OutputSet, ARenameThatFailsStopsAndNamesTheFilesAlreadyReplaced) {
  const fs::path dir = fs::temp_directory_path() / ("pelmic-output-set-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::ofstream(dir / "b.txt") << "old b";
  std::string message;
  {
    OutputSet outputs;
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) outputs.Open(dir / name).Write(std::string("new ") + name);
    EXPECT_FALSE(fs::exists(dir / "a.txt")) << "nothing is replaced before Commit";
    EXPECT_EQ(Read(dir / "b.txt"), "old b");
    // b.txt turns into a folder after it was checked, so its rename fails.
    fs::remove(dir / "b.txt");
    fs::create_directories(dir / "b.txt" / "inside");
    try {
      outputs.Commit();
    } catch (const std::runtime_error& error) {
      message = error.what();
    }
  }
  EXPECT_NE(message.find("b.txt: cannot be replaced: "), std::string::npos) << message;
  EXPECT_NE(message.find("already replaced: " + (dir / "a.txt").string()), std::string::npos) << message;
  EXPECT_EQ(message.find("c.txt"), std::string::npos) << message;
  EXPECT_EQ(Read(dir / "a.txt"), "new a.txt");
  EXPECT_FALSE(fs::exists(dir / "c.txt"));
  int left = 0;
  for (const auto& entry : fs::directory_iterator(dir)) left += entry.path().extension() == ".partial";
  EXPECT_EQ(left, 0) << "the temporaries not renamed are removed";
  fs::remove_all(dir);
}

}  // namespace
}  // namespace pelmic::render
