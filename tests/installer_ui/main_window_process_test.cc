// The real installer start-up and main window, one process per scenario
// (every way out ends the process), driven by main_window_driver_main.cc
// through SDL input on the headless driver, with temporary user folders and
// a loopback report server. Each test checks the driver's own checks, the
// exit code 0, and the reports that reached the server, in order.
#include <sys/stat.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "platform/registry.h"
#include "tests/app/installer_process.h"
#include "tests/installer_ui/report_record.h"
#include "tests/platform/test_support.h"
#include "tests/support/loopback_server.h"
#include "tests/support/package_server.h"

namespace {

using namespace std::chrono_literals;
using varnik_test::InstallerProcess;

constexpr auto kDeadline = 60s;

using varnik_test::Report;

class MainWindowProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.Start());
    bin_ = dir_.path() + "/bin";
    mkdir(bin_.c_str(), 0700);
    mkdir((dir_.path() + "/system-data").c_str(), 0700);
  }

  // A script placed first on PATH: it logs its arguments, one per line, into
  // <bin>/<name>.log, prints `output` and exits with `code`.
  void FakeProgram(const std::string& name, const std::string& output, int code) {
    const std::string script = "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done >> '" +
                               bin_ + "/" + name + ".log'\nprintf '%s' '" + output + "'\nexit " +
                               std::to_string(code) + "\n";
    varnik_test::WriteFile(bin_ + "/" + name, script);
    chmod((bin_ + "/" + name).c_str(), 0700);
  }

  std::string Log(const std::string& name) {
    return varnik_test::ReadFile(bin_ + "/" + name + ".log");
  }

  // Runs one scenario to its end; returns the driver's output.
  std::string Run(const std::string& scenario, std::map<std::string, std::string> env = {}) {
    env.emplace("VARNIK_SERVER_HOST", server_.host_port());
    env.emplace("PATH", bin_ + ":/usr/bin:/bin");
    env.emplace("XDG_DATA_DIRS", dir_.path() + "/system-data");
    env.emplace("VARNIK_DRIVER_LOG_DIR", bin_);
    InstallerProcess installer(VARNIK_MAIN_WINDOW_DRIVER, dir_.path(), std::move(env));
    installer.AddArgument(scenario);
    EXPECT_TRUE(installer.Start());
    EXPECT_TRUE(installer.WaitForExit(kDeadline)) << installer.Output();
    const std::string output = installer.Output();
    EXPECT_EQ(installer.exit_code(), 0) << output;
    EXPECT_NE(output.find("SCENARIO DONE"), std::string::npos) << output;
    EXPECT_EQ(output.find("CHECK FAIL"), std::string::npos) << output;
    return output;
  }

  // Every report that reached the server, in order.
  std::vector<Report> Reports() const { return Reports(server_); }
  static std::vector<Report> Reports(const testsupport::LoopbackServer& server) {
    std::vector<Report> reports;
    for (const testsupport::RecordedRequest& request : server.Requests()) {
      if (request.path != "/caller" || request.query != "c=site&a=writelog") continue;
      std::string envelope;
      if (!testsupport::DecodeLogBody(request.body, &envelope)) continue;
      reports.push_back(varnik_test::ParseReportEnvelope(envelope));
    }
    return reports;
  }

  static std::vector<std::string> Describe(const std::vector<Report>& reports) {
    std::vector<std::string> lines;
    for (const Report& r : reports) lines.push_back(r.event + " " + r.data);
    return lines;
  }

  varnik_test::ScopedTempDir dir_;
  testsupport::LoopbackServer server_;
  std::string bin_;
};

// Only AppStart's data depends on the machine; the rest is compared whole.
std::vector<std::string> WithoutAppStartData(std::vector<std::string> lines) {
  if (!lines.empty() && lines[0].rfind("AppStart ", 0) == 0) lines[0] = "AppStart";
  return lines;
}

TEST_F(MainWindowProcessTest, WelcomePageTextsAndTheFolderBarOpenAndClosed) {
  Run("welcome");
  EXPECT_EQ(WithoutAppStartData(Describe(Reports())), std::vector<std::string>{"AppStart"});
}

struct LeaveCase {
  const char* name;
  const char* ticks;
  const char* feedback;
  const char* reported;
};

class LeaveTest : public MainWindowProcessTest, public ::testing::WithParamInterface<LeaveCase> {};

TEST_P(LeaveTest, ReasonsReachTheServerCleaned) {
  const LeaveCase& c = GetParam();
  Run("retention", {{"VARNIK_DRIVER_TICK", c.ticks}, {"VARNIK_DRIVER_FEEDBACK", c.feedback}});
  EXPECT_EQ(
      WithoutAppStartData(Describe(Reports())),
      (std::vector<std::string>{"AppStart", "OnClick {\"ClickSrc\":\"ReInstall\"}",
                                std::string("OnClick {\"btn_exit\":\"") + c.reported + "\"}"}));
}

INSTANTIATE_TEST_SUITE_P(
    Feedback, LeaveTest,
    ::testing::Values(
        // A quote becomes U+201D, the line break goes, one blank is appended,
        // then the words of the ticked reasons without separators.
        LeaveCase{"QuoteAndLineBreak", "24", "a\"b\n", "Start a\u201Db 曾安装不喜欢"},
        LeaveCase{"NoTextOneReason", "5", "", "Start  无理由"},
        LeaveCase{"TextOnly", "", "太慢", "Start 太慢 "},
        LeaveCase{"AllReasons", "12345", "", "Start  已安装曾安装下载错不喜欢无理由"}),
    [](const ::testing::TestParamInfo<LeaveCase>& info) { return info.param.name; });

TEST_F(MainWindowProcessTest, ContinueFromTheExitPageFailsTheDownloadAndOpensTheOfflinePage) {
  FakeProgram("xdg-open", "", 0);
  Run("continue");
  const std::vector<std::string> lines = WithoutAppStartData(Describe(Reports()));
  // The package address and the CDN address are the loopback server too; its
  // short answers fail the package check six times.
  ASSERT_EQ(lines.size(), 8u) << ::testing::PrintToString(lines);
  EXPECT_EQ(lines[0], "AppStart");
  EXPECT_EQ(lines[1], "OnClick {\"ClickSrc\":\"ReInstall\"}");
  EXPECT_EQ(lines[2], "OnClick {\"ClickSrc\":\"Install\"}");
  EXPECT_EQ(lines[3].rfind("DownloadTimeCost {\"cost\":\"", 0), 0u) << lines[3];
  EXPECT_NE(lines[3].find("\"ret\":\"1\",\"retryTime\":\"6\"}"), std::string::npos) << lines[3];
  EXPECT_EQ(lines[4].rfind("InstallResultReport {\"errorMsg\":\"Download Faild :URLDownloadToFile "
                           "hr = 00000000 size ",
                           0),
            0u)
      << lines[4];
  EXPECT_NE(lines[4].find("\"result\":\"faild\""), std::string::npos) << lines[4];
  EXPECT_EQ(lines[5], "OnClick {\"ClickSrc\":\"DownloadOffline\"}");
  EXPECT_EQ(lines[6], "OnClick {\"ClickSrc\":\"ReInstall\"}");
  EXPECT_EQ(lines[7], "OnClick {\"btn_exit\":\"Start  无理由\"}");
  EXPECT_EQ(Log("xdg-open"), "http://" + server_.host_port() + "/offline/pdf.html\n");
}

TEST_F(MainWindowProcessTest, InstalledProductWithoutRecordReportsOfflineAndEnds) {
  varnik_test::WriteFile(dir_.path() + "/data/applications/varnik.desktop",
                         "[Desktop Entry]\nType=Application\nName=VarnikPDF转换器 1.0\n");
  mkdir((dir_.path() + "/data").c_str(), 0700);
  Run("installed");
  EXPECT_EQ(WithoutAppStartData(Describe(Reports())),
            (std::vector<std::string>{"AppStart", "offline {\"result\":\"success\"}",
                                      "OnClick {\"btn_exit\":\"Start 已安装\"}"}));
}

TEST_F(MainWindowProcessTest, EarlierInstallationFolderIsShownFixedAndCountsAsInstalled) {
  const std::string earlier = dir_.path() + "/earlier product";
  mkdir(earlier.c_str(), 0700);
  varnik_test::WriteFile(earlier + "/vidIvurodezirarod.exe", "app");
  {
    // The installer's per-user record, written as the installer would.
    mkdir((dir_.path() + "/config").c_str(), 0700);
    varnik_test::ScopedEnv config("XDG_CONFIG_HOME", (dir_.path() + "/config").c_str());
    ASSERT_EQ(platform::WriteRegString(platform::kAppInfoKey, platform::kInstallerPathValue,
                                       u"" + std::u16string(earlier.begin(), earlier.end())),
              0);
  }
  Run("installed", {{"VARNIK_DRIVER_EXISTING", "1"}, {"VARNIK_DRIVER_EXPECT_DIR", earlier}});
  // With InstallerPath present there is no "offline" report.
  EXPECT_EQ(WithoutAppStartData(Describe(Reports())),
            (std::vector<std::string>{"AppStart", "OnClick {\"btn_exit\":\"Start 已安装\"}"}));
}

TEST_F(MainWindowProcessTest, RootFolderFromTheDesktopChooserGivesTwoSeparators) {
  // The first answer chooses the root, the second is a cancel.
  const std::string script = "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done >> '" +
                             bin_ + "/zenity.log'\nif [ -e '" + bin_ +
                             "/answered' ]; then exit 1; fi\n: > '" + bin_ + "/answered'\necho /\n";
  varnik_test::WriteFile(bin_ + "/zenity", script);
  chmod((bin_ + "/zenity").c_str(), 0700);
  Run("folder", {{"VARNIK_DRIVER_EXPECT_DIR", "//zorv/dudIdiruvovo"}});
  const std::string start = dir_.path() + "/data/";
  const std::string one_call =
      "--file-selection\n--directory\n--title=请选择安装路径\n--filename=" + start + "\n";
  EXPECT_EQ(Log("zenity"), one_call + one_call);
  EXPECT_EQ(WithoutAppStartData(Describe(Reports())), std::vector<std::string>{"AppStart"});
}

TEST_F(MainWindowProcessTest, KdialogAnswersWhenZenityIsMissing) {
  FakeProgram("kdialog", "/srv/my tools\n", 0);
  Run("folder_once", {{"VARNIK_DRIVER_EXPECT_DIR", "/srv/my tools/zorv/dudIdiruvovo"}});
  EXPECT_EQ(Log("kdialog"),
            "--getexistingdirectory\n" + dir_.path() + "/data\n--title\n请选择安装路径\n");
}

TEST_F(MainWindowProcessTest, FailedInstallationAsksBeforeLeaving) {
  // The served package downloads fine but is no program: all three runs fail.
  testsupport::PackageServer packages;
  ASSERT_TRUE(packages.Start());
  FakeProgram("xdg-open", "", 0);
  Run("install_fails", {{"VARNIK_SERVER_HOST", packages.host_port()}});
  const std::vector<std::string> lines =
      WithoutAppStartData(Describe(Reports(packages.loopback())));
  ASSERT_EQ(lines.size(), 7u) << ::testing::PrintToString(lines);
  EXPECT_EQ(lines[0], "AppStart");
  EXPECT_EQ(lines[1], "OnClick {\"ClickSrc\":\"Install\"}");
  EXPECT_EQ(lines[2].rfind("DownloadTimeCost {\"cost\":\"", 0), 0u) << lines[2];
  EXPECT_NE(lines[2].find("\"fileSize\":\"10485760\",\"ret\":\"0\",\"retryTime\":\"0\"}"),
            std::string::npos)
      << lines[2];
  EXPECT_EQ(lines[3].rfind("InstallTimeCost {\"cost\":\"", 0), 0u) << lines[3];
  EXPECT_NE(lines[3].find("\"retryTime\":\"3\"}"), std::string::npos) << lines[3];
  EXPECT_EQ(lines[4].rfind("InstallResultReport {\"errorMsg\":\"Install Faild errorCode:", 0), 0u)
      << lines[4];
  EXPECT_EQ(lines[5], "OnClick {\"ClickSrc\":\"DownloadOffline\"}");
  EXPECT_EQ(lines[6], "OnClick {\"btn_exit\":\"Failed 未安装\"}");
  EXPECT_EQ(Log("xdg-open"), "http://" + packages.host_port() + "/offline/pdf.html\n");
}

}  // namespace
