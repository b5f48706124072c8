// The vxdump tool: sample drawing, JSON lines, exit status (run when it was built beside the tests).
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

fs::path Tool() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  const fs::path tool = exe.parent_path() / "vxdump";
  return fs::exists(tool, ec) ? tool : fs::path();
}

struct RunResult {
  int Status = -1;
  std::string Out;
};

// Runs vxdump with the arguments; stderr is dropped unless asked for.
RunResult Dump(const std::string& args, bool withStderr = false) {
  RunResult r;
  const std::string cmd = "'" + Tool().string() + "' " + args + (withStderr ? " 2>&1" : " 2>/dev/null");
  FILE* pipe = popen(cmd.c_str(), "r");
  if (!pipe) return r;
  std::array<char, 4096> buf;
  while (size_t n = fread(buf.data(), 1, buf.size(), pipe)) r.Out.append(buf.data(), n);
  const int status = pclose(pipe);
  r.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

int Lines(const std::string& s) {
  int n = 0;
  for (char c : s) n += c == '\n';
  return n;
}

}  // namespace

class VxDump : public ::testing::Test {
 protected:
  void SetUp() override {
    if (Tool().empty()) GTEST_SKIP() << "vxdump is not built beside the tests";
  }
};

TEST_F(VxDump, SampleGivesOneJsonObject) {
  const RunResult r = Dump("--json --sample");
  EXPECT_EQ(r.Status, 0);
  EXPECT_EQ(Lines(r.Out), 1);
  for (const char* part : {"{\"file\":\"<sample>\",\"format\":\"DXF\",\"version\":\"AC1009\"",
                           "\"name\":\"Model\",\"entities\":8", "\"Line\":4", "\"Arc\":2", "\"Circle\":1",
                           "\"LWPolyline\":1", "\"layers\":3", "\"extents\":[0,0,0,10,8,0]",
                           "\"error\":null", "\"ms\":{\"read\":"})
    EXPECT_NE(r.Out.find(part), std::string::npos) << part << "\n" << r.Out;
  EXPECT_EQ(Dump("--sample").Status, 0);  // the text summary
}

TEST_F(VxDump, UsageErrorsAndHelp) {
  EXPECT_EQ(Dump("").Status, 2);
  EXPECT_EQ(Dump("--bogus x.dxf").Status, 2);
  const RunResult help = Dump("--help");
  EXPECT_EQ(help.Status, 0);
  EXPECT_NE(help.Out.find("usage: vxdump"), std::string::npos);
}

TEST_F(VxDump, FailedFilesSetTheStatusAndStillPrintTheirLine) {
  const fs::path dir = fs::temp_directory_path() / ("vxdump_test_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path good = dir / "good.dxf", bad = dir / "bad \"name\".dxf";
  std::ofstream(good) << "0\nSECTION\n2\nENTITIES\n0\nLINE\n11\n1\n0\nENDSEC\n0\nEOF\n";
  {
    std::ofstream b(bad, std::ios::binary);
    // Code 0 "SECTION", then code 2000: not a group code.
    b.write("AutoCAD Binary DXF\r\n\x1A\0\0\0SECTION\0\xD0\x07xx", 36);
  }
  const RunResult r = Dump("--json '" + good.string() + "' '" + bad.string() + "' '" + (dir / "missing.dxf").string() + "'");
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(Lines(r.Out), 3);
  EXPECT_NE(r.Out.find("\"Line\":1"), std::string::npos);
  EXPECT_NE(r.Out.find("bad \\\"name\\\".dxf"), std::string::npos);  // escaped in JSON
  EXPECT_NE(r.Out.find("Illegal group code 2000"), std::string::npos);
  EXPECT_NE(r.Out.find("Cannot open file"), std::string::npos);
  EXPECT_EQ(Dump("--json '" + good.string() + "'").Status, 0);
  const RunResult err = Dump("'" + bad.string() + "'", true);
  EXPECT_NE(err.Out.find("vxdump: "), std::string::npos);
  fs::remove_all(dir);
}
