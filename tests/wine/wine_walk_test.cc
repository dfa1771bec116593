// The Windows installer walked under Wine: the real varnikpdf-setup.exe of
// the Windows build in a Wine prefix of this test's own, on an Xvfb of its
// own, clicked and typed into through xdotool like a user, its pixels read
// with XGetImage. It downloads the real Windows demo package from the
// loopback package server, which also receives and decodes the reports;
// what the installer and the package record is read back from Wine's
// registry. A screenshot of every page and question goes to the screens
// folder.
//
// Control positions and page landmarks come from the layout probe of the
// host build (the same skin laid out at the same DPI), moved by the
// window's shadow. The Windows build's test runner passes every path in the
// environment (see CMakeLists.txt); with VARNIK_WALK_REPORTS naming a file,
// each scenario's reports are appended to it. Every wait has a deadline.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "gtest/gtest.h"
#include "tests/platform/test_support.h"
#include "tests/support/package_server.h"
#include "tests/support/private_x_server.h"
#include "tools/x11_tools/x11_keymap.h"
#include "tools/x11_tools/x11_snapshot.h"

namespace {

using namespace std::chrono_literals;
using varnik_test::RunCommand;
using varnik_tools::X11Snapshot;

constexpr auto kDeadline = 90s;
// The skin's shadow around the client area at 100 %: what the window's own
// coordinates add to the layout's.
constexpr int kShadow = 30;
constexpr char kMainTitle[] = "VarnikPDF转换器 安装程序";
// Typed into the feedback field; it begins with a key of the keyboard.
constexpr char kFeedback[] = "ok 界面\"好看\"";
constexpr uint32_t kBlueButton = 0x1C87F2;

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

struct Point {
  int x = -1;
  int y = -1;
  uint32_t colour = 0;
};

// A started program whose output goes to a file, ended with its process
// group when the test is done with it.
class Program {
 public:
  Program(std::vector<std::string> argv, const std::map<std::string, std::string>& env,
          const std::string& log) {
    pid_ = fork();
    if (pid_ == 0) {
      setpgid(0, 0);
      FILE* out = std::fopen(log.c_str(), "w");
      if (out) {
        dup2(fileno(out), 1);
        dup2(fileno(out), 2);
      }
      for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
      std::vector<char*> args;
      for (std::string& a : argv) args.push_back(a.data());
      args.push_back(nullptr);
      execvp(args[0], args.data());
      _exit(127);
    }
  }
  ~Program() { End(); }
  // True when the program ended by itself within `within`.
  bool WaitForExit(std::chrono::seconds within) {
    const auto deadline = std::chrono::steady_clock::now() + within;
    while (pid_ > 0 && std::chrono::steady_clock::now() < deadline) {
      if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
        pid_ = -1;
        return true;
      }
      std::this_thread::sleep_for(20ms);
    }
    return pid_ <= 0;
  }
  void End() {
    if (pid_ > 0) {
      kill(-pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
      pid_ = -1;
    }
  }

 private:
  pid_t pid_ = -1;
};

class WineWalkTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    for (const char* name : {"VARNIK_WINE_RUN", "VARNIK_WINE_PREFIX", "VARNIK_WINE_SETUP",
                             "VARNIK_WINE_PACKAGE", "VARNIK_WINE_PRODUCT_APP",
                             "VARNIK_LAYOUT_PROBE", "VARNIK_WALK_SCREENS"}) {
      ASSERT_FALSE(Env(name).empty()) << name << " is not set: run this through ctest of the "
                                      << "Windows build";
    }
    x_server_ = new varnik_test::PrivateXServer;
    std::string error;
    ASSERT_TRUE(x_server_->Start(&error)) << error;
    // Keys for the feedback's characters before any Wine program starts.
    ASSERT_TRUE(varnik_tools::X11Keymap::PrepareForText(x_server_->display().c_str(), kFeedback,
                                                         &error))
        << error;
    // The prefix (made on its first use) leaves windows unmanaged: there is
    // no window manager, and a managed window waits for one when hidden.
    ASSERT_TRUE(Wine({"reg.exe", "add", "HKCU\\Software\\Wine\\X11 Driver", "/v", "Managed", "/d",
                      "N", "/f"}));
    bool ok = false;
    const std::string lines = RunCommand({Env("VARNIK_LAYOUT_PROBE")}, {{"VARNIK_DPI", "96"}}, &ok);
    ASSERT_TRUE(ok) << "layout probe failed";
    std::istringstream in(lines);
    std::string kind, page, name, colour;
    while (in >> kind) {
      Point p;
      if (kind == "control") {
        in >> page >> name >> p.x >> p.y >> colour;
      } else if (kind == "landmark") {
        in >> page >> p.x >> p.y >> colour;
        name.clear();
      } else {
        std::getline(in, name);
        continue;
      }
      X11Snapshot::ParseColour(colour, &p.colour);
      p.x += kShadow;
      p.y += kShadow;
      (kind == "control" ? controls_ : landmarks_)[name.empty() ? page : page + "/" + name] = p;
    }
    RunCommand({"mkdir", "-p", Env("VARNIK_WALK_SCREENS")}, {}, &ok);
  }
  static void TearDownTestSuite() {
    EndWine();
    delete x_server_;
    x_server_ = nullptr;
  }

  // Runs a program in the prefix and waits for it; true when it exits 0.
  static bool Wine(std::vector<std::string> argv) {
    argv.insert(argv.begin(), {Env("VARNIK_WINE_RUN"), Env("VARNIK_WINE_PREFIX")});
    bool ok = false;
    RunCommand(argv, {{"VARNIK_WINE_DISPLAY", x_server_->display()}}, &ok);
    return ok;
  }
  // Ends every program of the prefix (the installer, the product).
  static void EndWine() {
    bool ok = false;
    RunCommand({"/usr/lib/wine/wineserver64", "-k"}, {{"WINEPREFIX", Env("VARNIK_WINE_PREFIX")}},
               &ok);
    RunCommand({"/usr/lib/wine/wineserver64", "-w"}, {{"WINEPREFIX", Env("VARNIK_WINE_PREFIX")}},
               &ok);
  }

  void SetUp() override {
    // A machine where the product was never installed.
    EndWine();
    ASSERT_TRUE(Wine({"cmd.exe", "/c",
                      "reg delete HKCU\\Software\\Zorv /f & reg delete "
                      "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VarnikPDF "
                      "/f & exit 0"}));
    bool ok = false;
    RunCommand({"rm", "-rf", Env("VARNIK_WINE_PREFIX") + "/drive_c/Program Files (x86)/zorv"}, {},
               &ok);
    ASSERT_TRUE(server_.Start());
    std::string bytes = varnik_test::ReadFile(Env("VARNIK_WINE_PACKAGE"));
    ASSERT_GT(bytes.size(), 10u << 20);
    server_.SetPackage(std::make_shared<const std::string>(std::move(bytes)));
  }

  void TearDown() override {
    installer_.reset();
    EndWine();
    // For a reader of the walk (scripts/run windows): what the server got.
    const std::string reports = Env("VARNIK_WALK_REPORTS");
    if (!reports.empty()) {
      std::ofstream out(reports, std::ios::app);
      out << "# " << ::testing::UnitTest::GetInstance()->current_test_info()->name() << "\n";
      for (const std::string& envelope : server_.ReportEnvelopes()) out << envelope << "\n";
    }
  }

  std::string Screens() const { return Env("VARNIK_WALK_SCREENS"); }
  std::string ProductRecord() const { return temp_.path() + "/product_starts.txt"; }

  void StartInstaller() {
    // The pointer away from where the window will be: a control under it
    // would show its hover look.
    bool ok = false;
    RunCommand({"xdotool", "mousemove", "0", "0"}, {{"DISPLAY", x_server_->display()}}, &ok);
    installer_ = std::make_unique<Program>(
        std::vector<std::string>{Env("VARNIK_WINE_RUN"), Env("VARNIK_WINE_PREFIX"),
                                 Env("VARNIK_WINE_SETUP")},
        std::map<std::string, std::string>{{"VARNIK_WINE_DISPLAY", x_server_->display()},
                                           {"VARNIK_SERVER_HOST", server_.host_port()},
                                           {"VARNIK_DPI", "96"},
                                           {"VARNIK_DEBUG", "1"},
                                           {"VARNIK_PRODUCT_APP_RECORD", "Z:" + ProductRecord()}},
        temp_.path() + "/installer.log");
    window_ = FindWindow(kMainTitle);
    ASSERT_NE(window_, 0u) << "the installer's window did not appear\n" << InstallerLog();
  }

  std::string InstallerLog() const { return varnik_test::ReadFile(temp_.path() + "/installer.log"); }

  unsigned long FindWindow(const std::string& title) {
    bool ok = false;
    const std::string found =
        RunCommand({"timeout", "60", "xdotool", "search", "--sync", "--onlyvisible", "--name",
                    "^" + title + "$"},
                   {{"DISPLAY", x_server_->display()}}, &ok);
    return ok ? std::stoul(found) : 0;
  }

  // The installer's other visible window (a question over the main window).
  unsigned long FindQuestion() {
    const auto deadline = std::chrono::steady_clock::now() + kDeadline;
    while (std::chrono::steady_clock::now() < deadline) {
      bool ok = false;
      std::istringstream found(RunCommand({"xdotool", "search", "--onlyvisible", "--class",
                                           "varnikpdf-setup.exe"},
                                          {{"DISPLAY", x_server_->display()}}, &ok));
      for (unsigned long id; found >> id;) {
        X11Snapshot shot;
        std::string error;
        if (id != window_ && shot.Take(x_server_->display().c_str(), id, &error) &&
            shot.width() > 100) {
          return id;
        }
      }
      std::this_thread::sleep_for(50ms);
    }
    return 0;
  }

  Point Control(const std::string& page, const std::string& name) {
    auto found = controls_.find(page + "/" + name);
    EXPECT_NE(found, controls_.end()) << page << "/" << name;
    return found == controls_.end() ? Point{} : found->second;
  }

  void ClickAt(unsigned long window, int x, int y) {
    bool ok = false;
    RunCommand({"xdotool", "mousemove", "--window", std::to_string(window), std::to_string(x),
                std::to_string(y), "click", "1"},
               {{"DISPLAY", x_server_->display()}}, &ok);
    ASSERT_TRUE(ok) << "xdotool click";
  }
  void Click(const std::string& page, const std::string& name) {
    const Point p = Control(page, name);
    ClickAt(window_, p.x, p.y);
  }

  // Waits until the window shows `colour` (±24 a channel) at the point or
  // up to 6 pixels around it: text is laid out by another font engine here
  // than by the layout probe, so a glyph may cover the point itself.
  bool WaitForPixel(unsigned long window, const Point& p, std::chrono::seconds within) {
    const auto deadline = std::chrono::steady_clock::now() + within;
    X11Snapshot shot;
    std::string error;
    do {
      if (shot.Take(x_server_->display().c_str(), window, &error)) {
        for (int dy = -6; dy <= 6; dy += 3) {
          for (int dx = -6; dx <= 6; ++dx) {
            if (X11Snapshot::Near(shot.Pixel(p.x + dx, p.y + dy), p.colour, 24)) return true;
          }
        }
      }
      std::this_thread::sleep_for(50ms);
    } while (std::chrono::steady_clock::now() < deadline);
    ADD_FAILURE() << "pixel " << p.x << "," << p.y << " shows " << std::hex << shot.Pixel(p.x, p.y)
                  << ", want " << p.colour << " " << error;
    return false;
  }
  bool WaitForPage(const std::string& page) {
    EXPECT_TRUE(landmarks_.count(page)) << "no landmark for " << page;
    return landmarks_.count(page) && WaitForPixel(window_, landmarks_[page], kDeadline);
  }

  void Screenshot(unsigned long window, const std::string& name) {
    X11Snapshot shot;
    std::string error;
    EXPECT_TRUE(shot.Take(x_server_->display().c_str(), window, &error) &&
                shot.WritePng(Screens() + "/" + name + ".png", &error))
        << name << ": " << error;
  }

  // The centre of the blue (default) button of a question.
  bool FindBlueButton(unsigned long window, Point* centre) {
    X11Snapshot shot;
    std::string error;
    if (!shot.Take(x_server_->display().c_str(), window, &error)) return false;
    long sum_x = 0, sum_y = 0, count = 0;
    for (int y = 0; y < shot.height(); ++y) {
      for (int x = 0; x < shot.width(); ++x) {
        if (X11Snapshot::Near(shot.Pixel(x, y), kBlueButton, 12)) {
          sum_x += x;
          sum_y += y;
          ++count;
        }
      }
    }
    if (count < 200) return false;
    *centre = Point{static_cast<int>(sum_x / count), static_cast<int>(sum_y / count), kBlueButton};
    return true;
  }

  // "eventId data" of each report, in arrival order.
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
      std::this_thread::sleep_for(50ms);
    }
    return false;
  }

  // A value of the registry as reg.exe prints it, or empty.
  std::string RegistryValue(const std::string& key, const std::string& value) {
    std::vector<std::string> argv = {Env("VARNIK_WINE_RUN"), Env("VARNIK_WINE_PREFIX"),
                                     "reg.exe", "query", key, "/v", value};
    bool ok = false;
    const std::string out = RunCommand(argv, {{"VARNIK_WINE_DISPLAY", x_server_->display()}}, &ok);
    const size_t at = out.find("REG_SZ");
    if (!ok || at == std::string::npos) return "";
    std::string text = out.substr(at + 6);
    text.erase(0, text.find_first_not_of(" \t"));
    text.erase(text.find_last_not_of(" \t\r\n") + 1);
    return text;
  }

  // Waits until the product recorded a start whose arguments contain
  // `arguments` (any start for an empty text).
  bool WaitForProductStart(const std::string& arguments) {
    const auto deadline = std::chrono::steady_clock::now() + kDeadline;
    while (std::chrono::steady_clock::now() < deadline) {
      const std::string starts = varnik_test::ReadFile(ProductRecord());
      if (!starts.empty() && starts.find(arguments) != std::string::npos) return true;
      std::this_thread::sleep_for(50ms);
    }
    return false;
  }

  static varnik_test::PrivateXServer* x_server_;
  static std::map<std::string, Point> controls_;
  static std::map<std::string, Point> landmarks_;

  varnik_test::ScopedTempDir temp_;
  testsupport::PackageServer server_;
  std::unique_ptr<Program> installer_;
  unsigned long window_ = 0;
};

varnik_test::PrivateXServer* WineWalkTest::x_server_ = nullptr;
std::map<std::string, Point> WineWalkTest::controls_;
std::map<std::string, Point> WineWalkTest::landmarks_;

TEST_F(WineWalkTest, InstallsRecordsAndStartsTheProductWithInstall) {
  StartInstaller();
  ASSERT_TRUE(WaitForPixel(window_, Control("welcome", "btn_startinstall"), 60s))
      << "the welcome page's button is not drawn\n" << InstallerLog();
  Screenshot(window_, "welcome");
  Click("welcome", "btn_startinstall");
  ASSERT_TRUE(WaitForPage("installed")) << InstallerLog();
  Screenshot(window_, "installed");
  ASSERT_TRUE(WaitForReport("InstallResultReport"));

  // What the installer and the package recorded, read back from Wine.
  const std::string folder = "C:\\Program Files (x86)\\zorv\\dudIdiruvovo";
  const std::string app_info = "HKCU\\Software\\Zorv\\dudidiruvovo\\AppInfo";
  EXPECT_EQ(RegistryValue(app_info, "InstallerPath"), folder);
  EXPECT_EQ(RegistryValue(app_info, "InstallerChannel"), "zorv_seo_link");
  EXPECT_EQ(RegistryValue("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VarnikPDF",
                          "InstallLocation"),
            folder);

  Click("installed", "btn_startapp");
  EXPECT_TRUE(WaitForProductStart("--install")) << "立即体验 started no product with --install";
  const std::vector<std::string> reports = Reports();
  ASSERT_GE(reports.size(), 5u) << InstallerLog();
  EXPECT_EQ(reports[0].rfind("AppStart {", 0), 0u) << reports[0];
  EXPECT_EQ(reports[1], "OnClick {\"ClickSrc\":\"Install\"}");
  EXPECT_EQ(reports[2].rfind("DownloadTimeCost {", 0), 0u) << reports[2];
  EXPECT_EQ(reports[3].rfind("InstallTimeCost {", 0), 0u) << reports[3];
  EXPECT_NE(reports[3].find("\"ret\":\"0\""), std::string::npos) << reports[3];
  EXPECT_EQ(reports[4], "InstallResultReport {\"result\":\"success\"}");
}

TEST_F(WineWalkTest, RetentionPageTakesAReasonAndTypedChineseFeedback) {
  StartInstaller();
  ASSERT_TRUE(WaitForPixel(window_, Control("welcome", "btn_exit"), 60s)) << InstallerLog();
  Click("welcome", "btn_exit");
  ASSERT_TRUE(WaitForPage("retention"));
  Click("retention", "checkbox_2");
  Click("retention", "edit_feedback");
  bool ok = false;
  RunCommand({"xdotool", "type", "--window", std::to_string(window_), "--delay", "100", kFeedback},
             {{"DISPLAY", x_server_->display()}}, &ok);
  ASSERT_TRUE(ok) << "xdotool type";
  Screenshot(window_, "retention");
  Click("retention", "btn_quitStart");
  ASSERT_TRUE(WaitForReport("OnClick {\"btn_exit\"")) << "直接退出 sent no report";
  const std::vector<std::string> reports = Reports();
  const std::string& leave = reports.back();
  // The typed text arrives whole, its quotation marks made typographic, and
  // the ticked reason follows it.
  const std::string want = "OnClick {\"btn_exit\":\"Start ok 界面”好看” ";
  EXPECT_EQ(leave.rfind(want, 0), 0u) << leave << "\n" << InstallerLog();
  EXPECT_GT(leave.size(), want.size() + 1) << "no reason after the feedback: " << leave;
}

TEST_F(WineWalkTest, FailedDownloadShowsTheFailurePageWithItsReason) {
  testsupport::EndpointPlan broken;
  broken.fault = testsupport::PackageFault::kNotFound;
  server_.SetSitePlan(broken);
  server_.SetCdnPlan(broken);
  StartInstaller();
  ASSERT_TRUE(WaitForPixel(window_, Control("welcome", "btn_startinstall"), 60s))
      << InstallerLog();
  Click("welcome", "btn_startinstall");
  ASSERT_TRUE(WaitForPage("failure")) << InstallerLog();
  EXPECT_TRUE(WaitForPixel(window_, Control("failure", "btn_redownload"), 10s));
  Screenshot(window_, "failure");
  ASSERT_TRUE(WaitForReport("InstallResultReport"));
  bool download_failure = false;
  for (const std::string& r : Reports()) {
    download_failure |= r.rfind("InstallResultReport {\"errorMsg\":\"Download Faild", 0) == 0;
  }
  EXPECT_TRUE(download_failure);
  EXPECT_GE(server_.site_requests() + server_.cdn_requests(), 6);
}

TEST_F(WineWalkTest, RunningProductIsClosedByForceAfterTheQuestion) {
  // The product runs before the installer starts.
  auto product = std::make_unique<Program>(
      std::vector<std::string>{Env("VARNIK_WINE_RUN"), Env("VARNIK_WINE_PREFIX"),
                               Env("VARNIK_WINE_PRODUCT_APP")},
      std::map<std::string, std::string>{{"VARNIK_WINE_DISPLAY", x_server_->display()},
                                         {"VARNIK_PRODUCT_APP_RECORD", "Z:" + ProductRecord()}},
      temp_.path() + "/product.log");
  ASSERT_TRUE(WaitForProductStart("")) << "the product did not start";
  StartInstaller();
  ASSERT_TRUE(WaitForPixel(window_, Control("welcome", "btn_startinstall"), 60s))
      << InstallerLog();
  Click("welcome", "btn_startinstall");
  const unsigned long question = FindQuestion();
  ASSERT_NE(question, 0u) << "no question about the running product\n" << InstallerLog();
  Point force_close;
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  while (!FindBlueButton(question, &force_close) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(50ms);
  }
  ASSERT_GE(force_close.x, 0) << "the question shows no 强制关闭 button";
  Screenshot(question, "question_running_product");
  Screenshot(window_, "installing");
  ClickAt(question, force_close.x, force_close.y);
  ASSERT_TRUE(WaitForPage("installed")) << InstallerLog();
  ASSERT_TRUE(WaitForReport("InstallResultReport {\"result\":\"success\"}"));
  // 强制关闭 ended the product that ran.
  EXPECT_TRUE(product->WaitForExit(10s)) << "the running product was not ended";
}

}  // namespace
