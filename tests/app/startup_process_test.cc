// The real installer executable started as a user would, headless, with its
// reports going to a loopback server: what it reports at start-up, the
// theme it picks, the second instance, and how it ends.
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "tests/app/installer_process.h"
#include "tests/platform/test_support.h"
#include "tests/support/loopback_server.h"

namespace {

using namespace std::chrono_literals;
using varnik_test::InstallerProcess;

// A watchdog, not a wait: a sanitized installer with a cold font cache on a
// loaded machine can take many seconds to its first window.
constexpr auto kDeadline = 60s;

class StartupProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server_.routes().Post("/caller", [](const httplib::Request&, httplib::Response& response) {
      response.set_content("ok", "text/plain");
    });
    ASSERT_TRUE(server_.Start());
  }

  std::unique_ptr<InstallerProcess> MakeInstaller(const char* executable,
                                                  std::map<std::string, std::string> env = {}) {
    env.emplace("VARNIK_SERVER_HOST", server_.host_port());
    return std::make_unique<InstallerProcess>(executable, dir_.path(), std::move(env));
  }

  // The decoded envelopes of every report so far, in arrival order.
  std::vector<std::string> Envelopes() const {
    std::vector<std::string> envelopes;
    for (const testsupport::RecordedRequest& request : server_.Requests()) {
      std::string envelope;
      EXPECT_EQ(request.target, "/caller?c=site&a=writelog");
      EXPECT_TRUE(testsupport::DecodeLogBody(request.body, &envelope)) << request.body;
      envelopes.push_back(envelope);
    }
    return envelopes;
  }

  static std::string DataOf(const std::string& envelope) {
    const size_t at = envelope.find(",\"data\":");
    return at == std::string::npos ? std::string() : envelope.substr(at + 8);
  }

  varnik_test::ScopedTempDir dir_;
  testsupport::LoopbackServer server_;
};

struct DpiCase {
  const char* dpi;
  const char* theme_folder;
  const char* scale;
};

void PrintTo(const DpiCase& c, std::ostream* os) { *os << "dpi " << c.dpi; }

class StartupDpiTest : public StartupProcessTest, public ::testing::WithParamInterface<DpiCase> {};

TEST_P(StartupDpiTest, ReportsAppStartAndPicksTheTheme) {
  const DpiCase& c = GetParam();
  auto installer = MakeInstaller(VARNIK_SETUP_EXECUTABLE, {{"VARNIK_DPI", c.dpi}});
  ASSERT_TRUE(installer->Start());
  ASSERT_TRUE(server_.WaitForRequests(1, kDeadline));
  ASSERT_TRUE(installer->WaitForOutput("main window", kDeadline)) << installer->Output();
  EXPECT_NE(installer->Output().find(std::string("system dpi ") + c.dpi + ", theme folder " +
                                     c.theme_folder + "\n"),
            std::string::npos)
      << installer->Output();
  // A loaded skin: no complaint about the package, the style sheet or the strings.
  EXPECT_EQ(installer->Output().find("not load"), std::string::npos) << installer->Output();
  EXPECT_EQ(installer->Output().find("skin package"), std::string::npos) << installer->Output();

  ASSERT_TRUE(installer->Signal(SIGTERM));
  ASSERT_TRUE(installer->WaitForExit(kDeadline));
  EXPECT_EQ(installer->term_signal(), 0);
  EXPECT_EQ(installer->exit_code(), 0);

  const std::vector<std::string> envelopes = Envelopes();
  ASSERT_EQ(envelopes.size(), 1u);
  EXPECT_EQ(envelopes[0].rfind("{\"eventId\":\"AppStart\",\"imei\":\"", 0), 0u) << envelopes[0];
  EXPECT_NE(envelopes[0].find("\"appver\":\"1.6.1.8\",\"appName\":\"ZorvInstaller\""),
            std::string::npos);
  EXPECT_EQ(DataOf(envelopes[0]), std::string("{\"Dpi\":\"") + c.dpi +
                                      "\",\"FirstStart\":\"true\",\"Scale\":\"" + c.scale + "\"}}");
  const std::string cookie = server_.Requests()[0].HeaderValue("Cookie");
  EXPECT_NE(cookie.find("appname=ZorvInstaller"), std::string::npos) << cookie;
  EXPECT_NE(cookie.find("channel=zorv_seo_link"), std::string::npos) << cookie;
}

INSTANTIATE_TEST_SUITE_P(Bounds, StartupDpiTest,
                         ::testing::Values(DpiCase{"96", "themes\\default", "100"},
                                           DpiCase{"100", "themes\\default", "104"},
                                           DpiCase{"101", "themes\\default-hdpi", "105"},
                                           DpiCase{"120", "themes\\default-hdpi", "125"},
                                           DpiCase{"131", "themes\\default-hdpi", "136"},
                                           DpiCase{"132", "themes\\default-xhdpi", "138"},
                                           DpiCase{"144", "themes\\default-xhdpi", "150"}),
                         [](const ::testing::TestParamInfo<DpiCase>& info) {
                           return std::string("Dpi") + info.param.dpi;
                         });

// Without a pinned DPI the desktop's resource database decides, read through
// xrdb (here a stand-in first on PATH); an xrdb that hangs is given up on
// and GDK_SCALE decides.
TEST_F(StartupProcessTest, DpiFromTheDesktopResourceDatabase) {
  struct Case {
    const char* xrdb_body;
    const char* expected;
  };
  const Case cases[] = {
      {"printf 'Xft.antialias:\\t1\\nXft.dpi:\\t144\\n'",
       "system dpi 144, theme folder "
       "themes\\default-xhdpi\n"},
      {"exec sleep 30", "system dpi 192, theme folder themes\\default-xhdpi\n"},
      {"printf 'Xft.dpi:\\tbig\\n'", "system dpi 192, theme folder themes\\default-xhdpi\n"},
  };
  int index = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.xrdb_body);
    const std::string bin = dir_.path() + "/xrdb-bin" + std::to_string(index++);
    mkdir(bin.c_str(), 0700);
    varnik_test::WriteFile(bin + "/xrdb", std::string("#!/bin/sh\n") + c.xrdb_body + "\n");
    chmod((bin + "/xrdb").c_str(), 0700);
    const char* path = std::getenv("PATH");
    auto installer = MakeInstaller(VARNIK_SETUP_EXECUTABLE,
                                   {{"VARNIK_DPI", ""},
                                    {"DISPLAY", ":97"},
                                    {"GDK_SCALE", "2"},
                                    {"PATH", bin + ":" + (path ? path : "/usr/bin:/bin")}});
    ASSERT_TRUE(installer->Start());
    ASSERT_TRUE(installer->WaitForOutput("main window", kDeadline)) << installer->Output();
    EXPECT_NE(installer->Output().find(c.expected), std::string::npos) << installer->Output();
    ASSERT_TRUE(installer->Signal(SIGTERM));
    ASSERT_TRUE(installer->WaitForExit(kDeadline));
    EXPECT_EQ(installer->exit_code(), 0);
  }
}

TEST_F(StartupProcessTest, EveryTerminationSignalEndsWithZero) {
  for (int signal_number : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(signal_number);
    server_.ClearRequests();
    auto installer = MakeInstaller(VARNIK_SETUP_EXECUTABLE);
    ASSERT_TRUE(installer->Start());
    ASSERT_TRUE(server_.WaitForRequests(1, kDeadline));
    ASSERT_TRUE(installer->Signal(signal_number));
    ASSERT_TRUE(installer->WaitForExit(kDeadline));
    EXPECT_EQ(installer->term_signal(), 0);
    EXPECT_EQ(installer->exit_code(), 0);
  }
}

TEST_F(StartupProcessTest, SecondInstanceWithoutAnyBoxEndsQuietly) {
  auto first = MakeInstaller(VARNIK_SETUP_EXECUTABLE);
  ASSERT_TRUE(first->Start());
  ASSERT_TRUE(server_.WaitForRequests(1, kDeadline));

  // No video at all and no dialog program: the question cannot be shown by
  // any box, which ends like "取消".
  const std::string empty_bin = dir_.path() + "/empty-bin";
  mkdir(empty_bin.c_str(), 0700);
  auto second = MakeInstaller(VARNIK_SETUP_EXECUTABLE,
                              {{"PATH", empty_bin}, {"SDL_VIDEODRIVER", "no-such-driver"}});
  ASSERT_TRUE(second->Start());
  ASSERT_TRUE(second->WaitForExit(kDeadline));
  EXPECT_EQ(second->exit_code(), 0);
  const std::string output = second->Output();
  EXPECT_NE(output.find("VarnikPDF转换器安装提示 | VarnikPDF转换器 安装程序已经在运行"),
            std::string::npos)
      << output;
  EXPECT_NE(output.find("second instance: answer 0"), std::string::npos) << output;
  EXPECT_EQ(output.find("theme folder"), std::string::npos) << output;
  EXPECT_EQ(output.find("main window"), std::string::npos) << output;

  ASSERT_TRUE(first->Signal(SIGTERM));
  ASSERT_TRUE(first->WaitForExit(kDeadline));
  EXPECT_EQ(first->exit_code(), 0);
  // Only the first one reported; the second had no report thread at all.
  EXPECT_EQ(Envelopes().size(), 1u);

  // With the first gone, a new start runs normally.
  auto third = MakeInstaller(VARNIK_SETUP_EXECUTABLE);
  ASSERT_TRUE(third->Start());
  ASSERT_TRUE(server_.WaitForRequests(2, kDeadline));
  ASSERT_TRUE(third->Signal(SIGTERM));
  ASSERT_TRUE(third->WaitForExit(kDeadline));
  EXPECT_EQ(third->exit_code(), 0);
}

// The toolkit's box cannot be drawn (no X server, as on a desktop without
// the X core fonts it needs) and no dialog program is there: the question
// comes up in a window of the installer's own and waits for the user.
TEST_F(StartupProcessTest, SecondInstanceAsksInAWindowOfItsOwnWhenNothingElseCan) {
  auto first = MakeInstaller(VARNIK_SETUP_EXECUTABLE);
  ASSERT_TRUE(first->Start());
  ASSERT_TRUE(server_.WaitForRequests(1, kDeadline));
  const std::string empty_bin = dir_.path() + "/empty-bin";
  mkdir(empty_bin.c_str(), 0700);
  auto second = MakeInstaller(VARNIK_SETUP_EXECUTABLE, {{"PATH", empty_bin}});
  ASSERT_TRUE(second->Start());
  ASSERT_TRUE(second->WaitForOutput("own window shows: VarnikPDF转换器安装提示", kDeadline))
      << second->Output();
  EXPECT_TRUE(second->running()) << "the question waits for its answer";
  ASSERT_TRUE(second->Signal(SIGTERM));
  ASSERT_TRUE(second->WaitForExit(kDeadline));
  EXPECT_EQ(second->Output().find("main window"), std::string::npos);
  ASSERT_TRUE(first->Signal(SIGTERM));
  ASSERT_TRUE(first->WaitForExit(kDeadline));
}

// A stand-in for one of the desktop's dialog programs (zenity by default),
// first on PATH: the system message box runs it as a real process. Each call
// appends its arguments to a log (one per line, then "--"), waits for the
// file "go<n>" when the test asks it to, prints line n of the answers file
// (n counts the calls) and ends with `exit_code`.
class FakeZenity {
 public:
  FakeZenity(const std::string& folder, const std::string& answers, bool wait_for_go,
             const std::string& program = "zenity", int exit_code = 1)
      : folder_(folder) {
    mkdir(folder_.c_str(), 0700);
    varnik_test::WriteFile(folder_ + "/answers", answers);
    std::string script =
        "#!/bin/sh\n"
        "log='" +
        folder_ +
        "/dialog.log'\n"
        "for a in \"$@\"; do printf '%s\\n' \"$a\" >> \"$log\"; done\n"
        "echo -- >> \"$log\"\n"
        "n=$(grep -c '^--$' \"$log\")\n";
    if (wait_for_go) {
      // Bounded: gives up after about 20 s, answering nothing.
      script += "i=0; while [ ! -e '" + folder_ +
                "/go'$n ]; do i=$((i+1)); "
                "[ $i -gt 400 ] && exit 5; sleep 0.05; done\n";
    }
    script +=
        "sed -n \"${n}p\" '" + folder_ + "/answers'\nexit " + std::to_string(exit_code) + "\n";
    varnik_test::WriteFile(folder_ + "/" + program, script);
    chmod((folder_ + "/" + program).c_str(), 0700);
  }

  std::string Path() const {
    const char* path = std::getenv("PATH");
    return folder_ + ":" + (path ? path : "/usr/bin:/bin");
  }
  // Only this folder: no other dialog program is found.
  std::string OnlyPath() const { return folder_ + ":/usr/bin:/bin"; }
  std::string Log() const { return varnik_test::ReadFile(folder_ + "/dialog.log"); }
  size_t Calls() const {
    const std::string log = Log();
    size_t calls = 0;
    for (size_t at = log.find("--\n"); at != std::string::npos; at = log.find("--\n", at + 3)) {
      if (at == 0 || log[at - 1] == '\n') ++calls;
    }
    return calls;
  }
  bool WaitForCalls(size_t calls, std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (Calls() < calls) {
      if (std::chrono::steady_clock::now() >= deadline) return false;
      timespec pause{0, 10 * 1000 * 1000};
      nanosleep(&pause, nullptr);
    }
    return true;
  }
  void Go(size_t call) const { varnik_test::WriteFile(folder_ + "/go" + std::to_string(call), ""); }

 private:
  std::string folder_;
};

TEST_F(StartupProcessTest, SecondInstanceRetryAsksAgainAndCancelEnds) {
  auto first = MakeInstaller(VARNIK_SETUP_EXECUTABLE);
  ASSERT_TRUE(first->Start());
  ASSERT_TRUE(server_.WaitForRequests(1, kDeadline));

  FakeZenity zenity(dir_.path() + "/bin", "重试\n取消\n", false);
  auto second = MakeInstaller(VARNIK_SETUP_EXECUTABLE, {{"PATH", zenity.Path()}});
  ASSERT_TRUE(second->Start());
  ASSERT_TRUE(second->WaitForExit(kDeadline));
  EXPECT_EQ(second->exit_code(), 0);
  EXPECT_EQ(zenity.Calls(), 2u);
  // The question as the user sees it: caption, body and the two buttons.
  const std::string one_call =
      "--title\nVarnikPDF转换器安装提示\n--text\n"
      "VarnikPDF转换器 安装程序已经在运行，请关闭后点击\"重试\"继续，或点击\"取消\"退出安装\n"
      "--extra-button\n重试\n--extra-button\n取消\n--\n";
  const std::string log = zenity.Log();
  const size_t at = log.find(one_call);
  ASSERT_NE(at, std::string::npos) << log;
  EXPECT_NE(log.find(one_call, at + 1), std::string::npos) << log;
  EXPECT_EQ(second->Output().find("theme folder"), std::string::npos);

  ASSERT_TRUE(first->Signal(SIGTERM));
  ASSERT_TRUE(first->WaitForExit(kDeadline));
  EXPECT_EQ(first->exit_code(), 0);
  EXPECT_EQ(Envelopes().size(), 1u);
}

TEST_F(StartupProcessTest, SecondInstanceRetryAfterTheFirstEndedStarts) {
  auto first = MakeInstaller(VARNIK_SETUP_EXECUTABLE);
  ASSERT_TRUE(first->Start());
  ASSERT_TRUE(server_.WaitForRequests(1, kDeadline));

  FakeZenity zenity(dir_.path() + "/bin", "重试\n", true);
  auto second = MakeInstaller(VARNIK_SETUP_EXECUTABLE, {{"PATH", zenity.Path()}});
  ASSERT_TRUE(second->Start());
  ASSERT_TRUE(zenity.WaitForCalls(1, kDeadline));
  // The user closes the first installer, then presses "重试".
  ASSERT_TRUE(first->Signal(SIGTERM));
  ASSERT_TRUE(first->WaitForExit(kDeadline));
  EXPECT_EQ(first->exit_code(), 0);
  zenity.Go(1);

  ASSERT_TRUE(server_.WaitForRequests(2, kDeadline));
  ASSERT_TRUE(second->WaitForOutput("main window", kDeadline)) << second->Output();
  EXPECT_EQ(zenity.Calls(), 1u);
  ASSERT_TRUE(second->Signal(SIGTERM));
  ASSERT_TRUE(second->WaitForExit(kDeadline));
  EXPECT_EQ(second->exit_code(), 0);
  const std::vector<std::string> envelopes = Envelopes();
  ASSERT_EQ(envelopes.size(), 2u);
  for (const std::string& envelope : envelopes) {
    EXPECT_EQ(envelope.rfind("{\"eventId\":\"AppStart\",", 0), 0u) << envelope;
  }
}

// With a display named but neither the toolkit's box nor zenity able to
// ask, kdialog asks; its "no" is "取消".
TEST_F(StartupProcessTest, SecondInstanceAsksThroughKdialog) {
  auto first = MakeInstaller(VARNIK_SETUP_EXECUTABLE);
  ASSERT_TRUE(first->Start());
  ASSERT_TRUE(server_.WaitForRequests(1, kDeadline));
  FakeZenity kdialog(dir_.path() + "/bin", "", false, "kdialog", 1);
  auto second =
      MakeInstaller(VARNIK_SETUP_EXECUTABLE, {{"PATH", kdialog.OnlyPath()}, {"DISPLAY", ":97"}});
  ASSERT_TRUE(second->Start());
  ASSERT_TRUE(second->WaitForExit(kDeadline));
  EXPECT_EQ(second->exit_code(), 0);
  EXPECT_EQ(kdialog.Log(),
            "--title\nVarnikPDF转换器安装提示\n--yes-label\n重试\n--no-label\n取消\n"
            "--warningyesno\n"
            "VarnikPDF转换器 安装程序已经在运行，请关闭后点击\"重试\"继续，或点击\"取消\"退出安装\n"
            "--\n");
  EXPECT_NE(second->Output().find("second instance: answer 2"), std::string::npos);
  ASSERT_TRUE(first->Signal(SIGTERM));
  ASSERT_TRUE(first->WaitForExit(kDeadline));
}

// An installer that cannot show its window never lingers: it tells the user
// (through the system message box, here a stand-in zenity) and ends with
// exit code 0, so the next start is not taken for a second instance.
TEST_F(StartupProcessTest, StartUpWithoutAWindowTellsTheUserAndEnds) {
  // A skin that is no archive: the layout cannot be loaded.
  const std::string broken = dir_.path() + "/broken-setup";
  std::filesystem::copy_file(VARNIK_SETUP_EXECUTABLE, broken);
  varnik_test::WriteFile(dir_.path() + "/not-a-zip", "not a zip");
  ASSERT_EQ(std::system((std::string(VARNIK_RESOURCE_WRITER) + " " + broken + " --theme " +
                         dir_.path() + "/not-a-zip")
                            .c_str()),
            0);
  struct Case {
    const char* what;
    std::string executable;
    std::map<std::string, std::string> env;
    const char* told;  // what the box says
  };
  const Case cases[] = {
      {"layout does not load", broken, {}, "Skin Loader\n--text\nFailed to load xml file "},
      {"no video driver",
       VARNIK_SETUP_EXECUTABLE,
       {{"SDL_VIDEODRIVER", "no-such-driver"}, {"DISPLAY", ":97"}},
       "VarnikPDF转换器 安装程序\n--text\n安装程序的窗口无法显示："},
  };
  int index = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeZenity zenity(dir_.path() + "/bin" + std::to_string(index++), "确定\n", false, "zenity", 0);
    std::map<std::string, std::string> env = c.env;
    env["PATH"] = zenity.OnlyPath();
    auto installer = MakeInstaller(c.executable.c_str(), env);
    ASSERT_TRUE(installer->Start());
    ASSERT_TRUE(installer->WaitForExit(kDeadline)) << installer->Output();
    EXPECT_EQ(installer->exit_code(), 0);
    EXPECT_NE(zenity.Log().find(c.told), std::string::npos) << zenity.Log();
    EXPECT_EQ(installer->Output().find("main window shown"), std::string::npos);
  }
  // The guard was let go: the next start is no second instance.
  auto next = MakeInstaller(VARNIK_SETUP_EXECUTABLE, {{"PATH", dir_.path() + "/empty"}});
  ASSERT_TRUE(next->Start());
  ASSERT_TRUE(next->WaitForOutput("main window shown", kDeadline)) << next->Output();
  ASSERT_TRUE(next->Signal(SIGTERM));
  ASSERT_TRUE(next->WaitForExit(kDeadline));
}

// A stripped copy of the built installer (what release pipelines and
// distribution packages ship) still carries its skin and channel and shows
// its window.
TEST_F(StartupProcessTest, StrippedInstallerStartsWithItsSkinAndChannel) {
  const std::string stripped = dir_.path() + "/stripped-setup";
  ASSERT_EQ(std::system(("strip -o " + stripped + " " + VARNIK_SETUP_EXECUTABLE).c_str()), 0);
  auto installer = MakeInstaller(stripped.c_str());
  ASSERT_TRUE(installer->Start());
  ASSERT_TRUE(installer->WaitForOutput("main window shown", kDeadline)) << installer->Output();
  ASSERT_TRUE(server_.WaitForRequests(1, kDeadline));
  EXPECT_NE(server_.Requests()[0].HeaderValue("Cookie").find("channel=zorv_seo_link"),
            std::string::npos);
  ASSERT_TRUE(installer->Signal(SIGTERM));
  ASSERT_TRUE(installer->WaitForExit(kDeadline));
  EXPECT_EQ(installer->exit_code(), 0);
}

TEST_F(StartupProcessTest, ExitWaitsForQueuedReports) {
  auto probe = MakeInstaller(VARNIK_EXIT_PROBE);
  probe->AddArgument("5");
  ASSERT_TRUE(probe->Start());
  ASSERT_TRUE(probe->WaitForExit(kDeadline));
  EXPECT_EQ(probe->exit_code(), 0);
  // Every report was posted before the exit began; all of them arrived, in order.
  const std::vector<std::string> envelopes = Envelopes();
  ASSERT_EQ(envelopes.size(), 5u);
  for (size_t i = 0; i < envelopes.size(); ++i) {
    EXPECT_EQ(DataOf(envelopes[i]), "{\"index\":\"" + std::to_string(i) + "\"}}");
  }
}

TEST_F(StartupProcessTest, ExitWaitIsBoundedWhenTheServerHangs) {
  server_.set_mode(testsupport::LoopbackServer::Mode::kStall);
  auto probe = MakeInstaller(VARNIK_EXIT_PROBE);
  probe->AddArgument("3");
  const auto started = std::chrono::steady_clock::now();
  ASSERT_TRUE(probe->Start());
  // The report client would wait 15 s per attempt; the exit gives up at 2 s.
  ASSERT_TRUE(probe->WaitForExit(kDeadline));
  const auto took = std::chrono::steady_clock::now() - started;
  EXPECT_EQ(probe->exit_code(), 0);
  EXPECT_GE(took, 2s);
  EXPECT_LT(took, 10s);
  EXPECT_EQ(server_.RequestCount(), 1u);  // the first one hangs; the rest never left
  server_.ReleaseStalled();
}

}  // namespace
