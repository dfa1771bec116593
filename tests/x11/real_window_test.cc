// The installer's real window on a private Xvfb: started as a user starts it,
// clicked and typed into through xdotool (the X server's own input), looked at
// through XGetImage. Control positions and page landmarks come from the
// layout probe, which lays the same skin out at the same DPI. Reports are
// checked at the loopback package server. Every wait has a deadline; the
// suite skips only when no X server can be started.
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "gtest/gtest.h"
#include "tests/app/installer_process.h"
#include "tests/platform/test_support.h"
#include "tests/support/package_server.h"
#include "tests/support/private_x_server.h"
#include "tests/support/process_scan.h"
#include "tools/x11_tools/x11_snapshot.h"

namespace {

using namespace std::chrono_literals;
using varnik_tools::X11Snapshot;

constexpr auto kDeadline = 60s;

struct Point {
  int x = -1;
  int y = -1;
  uint32_t colour = 0;
};

using varnik_test::PrivateXServer;
using varnik_test::RunCommand;

class RealWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    x_server_ = new PrivateXServer;
    if (!x_server_->Start(&skip_reason_)) return;
    bool ok = false;
    const std::string lines = RunCommand({VARNIK_LAYOUT_PROBE}, {{"VARNIK_DPI", "96"}}, &ok);
    ASSERT_TRUE(ok) << "layout probe failed";
    std::istringstream in(lines);
    std::string kind, page, name;
    while (in >> kind) {
      Point p;
      if (kind == "control") {
        std::string colour;
        in >> page >> name >> p.x >> p.y >> colour;
        X11Snapshot::ParseColour(colour, &p.colour);
        controls_[page + "/" + name] = p;
      } else if (kind == "landmark") {
        std::string colour;
        in >> page >> p.x >> p.y >> colour;
        X11Snapshot::ParseColour(colour, &p.colour);
        landmarks_[page] = p;
      } else {
        std::getline(in, name);
      }
    }
  }
  static void TearDownTestSuite() {
    delete x_server_;
    x_server_ = nullptr;
  }

  void SetUp() override {
    if (!skip_reason_.empty()) GTEST_SKIP() << "no X server: " << skip_reason_;
    ASSERT_TRUE(server_.Start());
    // The demo package, so that the installation really runs.
    std::string bytes = varnik_test::ReadFile(VARNIK_DEMO_PACKAGE);
    ASSERT_FALSE(bytes.empty());
    server_.SetPackage(std::make_shared<const std::string>(std::move(bytes)));
  }

  // The product that "立即体验" started keeps running like a desktop
  // program; it is this test's when its executable lies in the test's home.
  std::vector<varnik_test::RunningProgram> ProductPrograms() const {
    return varnik_test::ProgramsUnder(home_.path());
  }

  void TearDown() override {
    for (const varnik_test::RunningProgram& p : ProductPrograms()) kill(p.pid, SIGKILL);
  }

  // Starts the installer on the private display and finds its window.
  void StartInstaller() {
    installer_ = std::make_unique<varnik_test::InstallerProcess>(
        VARNIK_SETUP_EXECUTABLE, home_.path() + "/home",
        std::map<std::string, std::string>{{"DISPLAY", x_server_->display()},
                                           {"SDL_VIDEODRIVER", ""},
                                           {"VARNIK_SERVER_HOST", server_.host_port()}});
    ASSERT_TRUE(installer_->Start());
    bool ok = false;
    const std::string found = RunCommand({"timeout", "30", "xdotool", "search", "--sync",
                                          "--onlyvisible", "--pid", std::to_string(Pid())},
                                         {{"DISPLAY", x_server_->display()}}, &ok);
    ASSERT_TRUE(ok) << "the installer's window did not appear\n" << installer_->Output();
    window_ = std::stoul(found);
  }

  int Pid() {
    // The installer is the newest child of this test running the installer.
    bool ok = false;
    const std::string out = RunCommand(
        {"pgrep", "-n", "-P", std::to_string(getpid()), "-f", VARNIK_SETUP_EXECUTABLE}, {}, &ok);
    return ok ? std::stoi(out) : -1;
  }

  Point Control(const std::string& page, const std::string& name) {
    auto found = controls_.find(page + "/" + name);
    EXPECT_NE(found, controls_.end()) << page << "/" << name;
    return found == controls_.end() ? Point{} : found->second;
  }

  void Xdotool(std::vector<std::string> args) {
    args.insert(args.begin(), "xdotool");
    bool ok = false;
    RunCommand(args, {{"DISPLAY", x_server_->display()}}, &ok);
    ASSERT_TRUE(ok) << "xdotool " << args[1];
  }

  void Click(const std::string& page, const std::string& name) {
    const Point p = Control(page, name);
    Xdotool({"mousemove", "--window", std::to_string(window_), std::to_string(p.x),
             std::to_string(p.y), "click", "1"});
  }

  // Waits until the window shows `colour` (±24 a channel) at the point.
  bool WaitForPixel(const Point& p, std::chrono::seconds within) {
    const auto deadline = std::chrono::steady_clock::now() + within;
    X11Snapshot shot;
    std::string error;
    do {
      if (shot.Take(x_server_->display().c_str(), window_, &error) &&
          X11Snapshot::Near(shot.Pixel(p.x, p.y), p.colour, 24)) {
        return true;
      }
      std::this_thread::sleep_for(20ms);
    } while (std::chrono::steady_clock::now() < deadline);
    ADD_FAILURE() << "pixel " << p.x << "," << p.y << " shows " << std::hex << shot.Pixel(p.x, p.y)
                  << ", want " << p.colour << " " << error;
    return false;
  }

  bool WaitForPage(const std::string& page) {
    EXPECT_TRUE(landmarks_.count(page)) << "no landmark for " << page;
    return landmarks_.count(page) && WaitForPixel(landmarks_[page], 60s);
  }

  // The "eventId" and "data" of each report, in arrival order.
  std::vector<std::string> Reports() const {
    std::vector<std::string> out;
    for (const std::string& envelope : server_.ReportEnvelopes()) {
      const size_t id = envelope.find("\"eventId\":\"");
      const size_t data = envelope.find("\"data\":");
      std::string line = id == std::string::npos
                             ? "?"
                             : envelope.substr(id + 11, envelope.find('"', id + 11) - id - 11);
      if (data != std::string::npos) line += " " + envelope.substr(data + 7);
      if (!line.empty() && line.back() == '}') line.pop_back();
      out.push_back(line);
    }
    return out;
  }

  bool WaitForReport(const std::string& prefix) {
    const auto deadline = std::chrono::steady_clock::now() + kDeadline;
    while (std::chrono::steady_clock::now() < deadline) {
      for (const std::string& r : Reports()) {
        if (r.rfind(prefix, 0) == 0) return true;
      }
      std::this_thread::sleep_for(20ms);
    }
    return false;
  }

  static PrivateXServer* x_server_;
  static std::string skip_reason_;
  static std::map<std::string, Point> controls_;
  static std::map<std::string, Point> landmarks_;

  varnik_test::ScopedTempDir home_;
  testsupport::PackageServer server_;
  std::unique_ptr<varnik_test::InstallerProcess> installer_;
  unsigned long window_ = 0;
};

PrivateXServer* RealWindowTest::x_server_ = nullptr;
std::string RealWindowTest::skip_reason_;
std::map<std::string, Point> RealWindowTest::controls_;
std::map<std::string, Point> RealWindowTest::landmarks_;

TEST_F(RealWindowTest, InstallsThenStartsTheProduct) {
  StartInstaller();
  const Point start = Control("welcome", "btn_startinstall");
  ASSERT_TRUE(WaitForPixel(start, 20s)) << "the welcome page's button is not drawn";
  Click("welcome", "btn_startinstall");
  ASSERT_TRUE(WaitForPage("installed"));
  EXPECT_TRUE(WaitForPixel(Control("installed", "btn_startapp"), 5s));
  Click("installed", "btn_startapp");
  ASSERT_TRUE(installer_->WaitForExit(kDeadline));
  EXPECT_EQ(installer_->exit_code(), 0);
  // The product starts detached and may still be on its way when the
  // installer has ended; wait for it, so that TearDown ends it too.
  const auto product_deadline = std::chrono::steady_clock::now() + 10s;
  while (ProductPrograms().empty() && std::chrono::steady_clock::now() < product_deadline) {
    std::this_thread::sleep_for(20ms);
  }
  EXPECT_FALSE(ProductPrograms().empty()) << "立即体验 started no product";
  const std::vector<std::string> reports = Reports();
  ASSERT_GE(reports.size(), 5u) << installer_->Output();
  EXPECT_EQ(reports[1], "OnClick {\"ClickSrc\":\"Install\"}");
  EXPECT_EQ(reports.back(), "InstallResultReport {\"result\":\"success\"}");
}

TEST_F(RealWindowTest, RetentionPageTakesReasonAndChineseFeedback) {
  StartInstaller();
  ASSERT_TRUE(WaitForPixel(Control("welcome", "btn_exit"), 20s));
  Click("welcome", "btn_exit");
  ASSERT_TRUE(WaitForPage("retention"));
  Click("retention", "checkbox_2");
  Click("retention", "edit_feedback");
  // Begins with a key of the keyboard map: xdotool maps each Chinese
  // character onto a spare key code, and a client may still be reading the
  // first such change of the map when the first key arrives.
  Xdotool({"type", "--window", std::to_string(window_), "--delay", "40", "ok 界面\"好看\""});
  Click("retention", "btn_quitStart");
  ASSERT_TRUE(installer_->WaitForExit(kDeadline)) << "直接退出 did not end the installer";
  EXPECT_EQ(installer_->exit_code(), 0);
  const std::vector<std::string> reports = Reports();
  ASSERT_FALSE(reports.empty());
  const std::string& leave = reports.back();
  // The typed text arrives whole, its quotation marks made typographic, and
  // the ticked reason follows it.
  const std::string want = "OnClick {\"btn_exit\":\"Start ok 界面”好看” ";
  EXPECT_EQ(leave.rfind(want, 0), 0u) << leave;
  EXPECT_GT(leave.size(), want.size() + 1) << "no reason after the feedback: " << leave;
}

TEST_F(RealWindowTest, DownloadFailureShowsTheFailurePage) {
  testsupport::EndpointPlan broken;
  broken.fault = testsupport::PackageFault::kNotFound;
  server_.SetSitePlan(broken);
  server_.SetCdnPlan(broken);
  StartInstaller();
  ASSERT_TRUE(WaitForPixel(Control("welcome", "btn_startinstall"), 20s));
  Click("welcome", "btn_startinstall");
  ASSERT_TRUE(WaitForPage("failure"));
  EXPECT_TRUE(WaitForPixel(Control("failure", "btn_redownload"), 5s));
  ASSERT_TRUE(WaitForReport("InstallResultReport"));
  bool download_failure = false;
  for (const std::string& r : Reports()) {
    download_failure |= r.rfind("InstallResultReport {\"errorMsg\":\"Download Faild", 0) == 0;
  }
  EXPECT_TRUE(download_failure);
  EXPECT_GE(server_.site_requests() + server_.cdn_requests(), 6);
  EXPECT_TRUE(installer_->running()) << "the failure page keeps the installer open";
}

}  // namespace

namespace {

TEST(X11SnapshotTest, ColoursParseAndCompareByChannel) {
  struct Case {
    const char* text;
    bool ok;
    uint32_t colour;
  };
  for (const Case& c :
       {Case{"1C87F2", true, 0x1C87F2}, Case{"#ffffff", true, 0xFFFFFF}, Case{"1C87F", false, 0},
        Case{"1C87F2A", false, 0}, Case{"1C87G2", false, 0}, Case{"", false, 0}}) {
    uint32_t colour = 0;
    EXPECT_EQ(X11Snapshot::ParseColour(c.text, &colour), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(colour, c.colour) << c.text;
    }
  }
  // Each channel on its own: a near sum must not hide one far channel.
  EXPECT_TRUE(X11Snapshot::Near(0x102030, 0x182838, 8));
  EXPECT_FALSE(X11Snapshot::Near(0x102030, 0x102039, 8));
  EXPECT_FALSE(X11Snapshot::Near(0x002030, 0xFF2030, 24));
  // A snapshot of a window that does not exist fails with a reason.
  X11Snapshot shot;
  std::string error;
  EXPECT_FALSE(shot.Take(":no-such-display", 1, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(shot.Pixel(0, 0), 0u);
}

}  // namespace
