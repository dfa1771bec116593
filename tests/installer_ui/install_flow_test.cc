// The download and installation flow through the real window, one installer
// process per scenario (install_flow_driver_main.cc plays the user): the
// package comes from the loopback package server, the demo package really
// installs the demo product, real product processes are asked about and
// ended, and the test reads the reports, the per-user records and what the
// package and the started product wrote.
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "base/utf.h"
#include "gtest/gtest.h"
#include "platform/registry.h"
#include "tests/app/installer_process.h"
#include "tests/installer_ui/report_record.h"
#include "tests/platform/test_support.h"
#include "tests/support/package_server.h"
#include "tests/support/process_scan.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;
using testsupport::EndpointPlan;
using varnik_test::InstallerProcess;
using varnik_test::ProgramsNamed;
using varnik_test::ProgramsUnder;
using varnik_test::RunningProgram;

constexpr auto kDeadline = 90s;

std::shared_ptr<const std::string> DemoPackage() {
  static const auto bytes =
      std::make_shared<const std::string>(varnik_test::ReadFile(VARNIK_DEMO_PACKAGE));
  return bytes;
}

// A package that waits for the file named by $VARNIK_DRIVER_GATE (so the
// window is seen while the package runs) and then hands over to the demo
// package. It starts with "MZ" and runs through /bin/sh like the demo.
std::shared_ptr<const std::string> GatedPackage() {
  std::string script =
      "MZ=; # waits for the gate, then runs the demo package\n"
      "n=0\n"
      "while [ ! -e \"$VARNIK_DRIVER_GATE\" ]; do\n"
      "  n=$((n + 1)); [ \"$n\" -gt 1200 ] && exit 9\n"
      "  sleep 0.05\n"
      "done\n"
      "exec /bin/sh '" VARNIK_DEMO_PACKAGE "' \"$@\"\n";
  script.resize(10485760 + 100, '#');
  return std::make_shared<const std::string>(script);
}

using varnik_test::Report;

std::string Lines(const std::vector<Report>& reports) {
  std::string text;
  for (const Report& r : reports) text += r.event + " " + r.data + "\n";
  return text;
}

pid_t Spawn(const std::string& program, int stdin_fd = -1) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (stdin_fd >= 0) posix_spawn_file_actions_adddup2(&actions, stdin_fd, STDIN_FILENO);
  pid_t pid = -1;
  char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
  const int error = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  return error == 0 ? pid : -1;
}

// Waits for a child of the test; true when it ended by SIGKILL.
bool EndedByKill(pid_t pid) {
  int status = 0;
  const bool ended =
      varnik_test::WaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; }, 10);
  return ended && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

class InstallFlowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The installer looks for the product among all processes of the
    // machine; one left behind elsewhere would stop every flow at the
    // question. Say so at once instead of failing on a deadline.
    const std::vector<pid_t> strays = ProgramsNamed("vidIvurodezirarod.exe");
    ASSERT_TRUE(strays.empty()) << "vidIvurodezirarod.exe runs already (pid " << strays[0]
                                << "); end it or run the tests in a PID namespace";
    ASSERT_TRUE(server_.Start());
    server_.SetPackage(DemoPackage());
    bin_ = dir_.path() + "/bin";
    mkdir(bin_.c_str(), 0700);
    mkdir((dir_.path() + "/system-data").c_str(), 0700);
    mkdir((dir_.path() + "/system-data/applications").c_str(), 0700);
    mkdir((dir_.path() + "/data").c_str(), 0700);
    mkdir((dir_.path() + "/data/applications").c_str(), 0700);
  }

  void TearDown() override {
    // The product the installer started runs on in its own session.
    for (const RunningProgram& p : ProgramsUnder(dir_.path())) kill(p.pid, SIGKILL);
  }

  std::string DefaultInstallDir() const { return dir_.path() + "/data/zorv/dudIdiruvovo"; }
  std::string PackageRecord() const { return dir_.path() + "/package-runs.log"; }
  std::string ProductRecord() const { return dir_.path() + "/product-starts.log"; }

  // An installer process for one scenario, not yet started.
  std::unique_ptr<InstallerProcess> Installer(const std::string& scenario,
                                              std::map<std::string, std::string> env = {}) {
    env.emplace("VARNIK_SERVER_HOST", server_.host_port());
    env.emplace("PATH", bin_ + ":/usr/bin:/bin");
    env.emplace("XDG_DATA_DIRS", dir_.path() + "/system-data");
    env.emplace("VARNIK_DEMO_PACKAGE_RECORD", PackageRecord());
    env.emplace("VARNIK_PRODUCT_APP_RECORD", ProductRecord());
    auto installer =
        std::make_unique<InstallerProcess>(VARNIK_INSTALL_FLOW_DRIVER, dir_.path(), std::move(env));
    installer->AddArgument(scenario);
    return installer;
  }

  // Waits for the scenario's end; checks the driver's checks and the exit
  // code 0.
  static std::string Finish(InstallerProcess& installer) {
    EXPECT_TRUE(installer.WaitForExit(kDeadline)) << installer.Output();
    const std::string output = installer.Output();
    EXPECT_EQ(installer.exit_code(), 0) << output;
    EXPECT_NE(output.find("SCENARIO DONE"), std::string::npos) << output;
    EXPECT_EQ(output.find("CHECK FAIL"), std::string::npos) << output;
    return output;
  }

  // Runs one scenario to its end; returns the driver's output.
  std::string Run(const std::string& scenario, std::map<std::string, std::string> env = {}) {
    std::unique_ptr<InstallerProcess> installer = Installer(scenario, std::move(env));
    EXPECT_TRUE(installer->Start());
    return Finish(*installer);
  }

  std::vector<Report> Reports() const {
    std::vector<Report> reports;
    for (const std::string& envelope : server_.ReportEnvelopes()) {
      reports.push_back(varnik_test::ParseReportEnvelope(envelope));
    }
    return reports;
  }

  // The reports with the machine-dependent parts made fixed: AppStart's data
  // and every "cost" (whole seconds) become "*".
  std::string ReportLines() const {
    std::vector<Report> reports = Reports();
    for (Report& r : reports) {
      if (r.event == "AppStart") r.data = "*";
      const std::string key = "\"cost\":\"";
      const size_t at = r.data.find(key);
      if (at != std::string::npos) {
        const size_t end = r.data.find('"', at + key.size());
        r.data.replace(at + key.size(), end - at - key.size(), "*");
      }
    }
    return Lines(reports);
  }

  std::string Record(const char16_t* value) {
    varnik_test::ScopedEnv config("XDG_CONFIG_HOME", (dir_.path() + "/config").c_str());
    return nbase::Utf16ToUtf8(platform::ReadRegString(platform::kAppInfoKey, value));
  }

  // Waits for the product started by the installer; checks it was started
  // with "--install" from `install_dir`, outside the installer's session.
  void ExpectProductStarted(const std::string& install_dir) {
    ASSERT_TRUE(varnik_test::WaitFor(
        [&] { return varnik_test::ReadFile(ProductRecord()) == "--install\n"; }, 30))
        << varnik_test::ReadFile(ProductRecord());
    const std::vector<RunningProgram> running = ProgramsUnder(install_dir);
    ASSERT_EQ(running.size(), 1u);
    // The installer runs in the test's session; the product must not.
    EXPECT_NE(running[0].session, getsid(0)) << "not detached from the installer";
  }

  std::string LogOf(const std::string& name) { return varnik_test::ReadFile(bin_ + "/" + name); }

  varnik_test::ScopedTempDir dir_;
  testsupport::PackageServer server_;
  std::string bin_;
};

const char kDownloadOk[] =
    "DownloadTimeCost {\"cost\":\"*\",\"fileSize\":\"%s\",\"ret\":\"0\",\"retryTime\":\"%s\"}\n";

std::string DownloadOk(size_t size, int retries) {
  std::string line = kDownloadOk;
  line.replace(line.find("%s"), 2, std::to_string(size));
  line.replace(line.find("%s"), 2, std::to_string(retries));
  return line;
}

TEST_F(InstallFlowTest, FirstAttemptShowsTheBarInstallsRecordsAndStartsTheProduct) {
  const auto package = GatedPackage();
  server_.SetPackage(package);
  const std::string output = Run("install", {{"VARNIK_DRIVER_GATE", dir_.path() + "/gate"},
                                             {"VARNIK_DRIVER_LEAVE", "startapp"}});
  EXPECT_EQ(ReportLines(),
            "AppStart *\n"
            "OnClick {\"ClickSrc\":\"Install\"}\n" +
                DownloadOk(package->size(), 0) +
                "InstallTimeCost {\"cost\":\"*\",\"ret\":\"0\",\"retryTime\":\"0\"}\n"
                "InstallResultReport {\"result\":\"success\"}\n");
  EXPECT_EQ(server_.site_requests(), 1);
  EXPECT_EQ(server_.cdn_requests(), 0);
  EXPECT_EQ(Record(platform::kInstallerChannelValue), VARNIK_EXPECTED_CHANNEL);
  EXPECT_EQ(Record(platform::kInstallerPathValue), DefaultInstallDir());
  EXPECT_EQ(varnik_test::ReadFile(PackageRecord()), DefaultInstallDir() + "\n");
  EXPECT_NE(varnik_test::ReadFile(dir_.path() + "/data/applications/varnikpdf-converter.desktop")
                .find("Name=VarnikPDF转换器\n"),
            std::string::npos);
  ExpectProductStarted(DefaultInstallDir());
}

TEST_F(InstallFlowTest, SiteFailsAndTheCdnServes) {
  EndpointPlan failing;
  failing.fail_first = 1;
  server_.SetSitePlan(failing);
  Run("install", {{"VARNIK_DRIVER_LEAVE", "exit"}});
  EXPECT_EQ(ReportLines(),
            "AppStart *\n"
            "OnClick {\"ClickSrc\":\"Install\"}\n" +
                DownloadOk(DemoPackage()->size(), 1) +
                "InstallTimeCost {\"cost\":\"*\",\"ret\":\"0\",\"retryTime\":\"0\"}\n"
                "InstallResultReport {\"result\":\"success\"}\n");
  EXPECT_EQ(server_.site_requests(), 1);
  EXPECT_EQ(server_.cdn_requests(), 1);
  // On the installed page the close button starts the product as well.
  ExpectProductStarted(DefaultInstallDir());
}

TEST_F(InstallFlowTest, RunningProductIsAskedAboutAgainOnRetryAndEndedByForce) {
  // Two instances from another folder: the program itself, and a script of
  // the same name that runs through the shell (it waits on its input).
  const std::string other = dir_.path() + "/elsewhere";
  mkdir(other.c_str(), 0700);
  const std::string script = other + "/vidIvurodezirarod.exe";
  varnik_test::WriteFile(script, "#!/bin/sh\nread line\n");
  chmod(script.c_str(), 0700);
  int input[2];
  ASSERT_EQ(pipe(input), 0);
  const pid_t program = Spawn(VARNIK_PRODUCT_APP);
  const pid_t through_shell = Spawn(script, input[0]);
  close(input[0]);
  ASSERT_GT(program, 0);
  ASSERT_GT(through_shell, 0);
  Run("app_running");
  EXPECT_TRUE(EndedByKill(program));
  EXPECT_TRUE(EndedByKill(through_shell));
  close(input[1]);
  EXPECT_EQ(ReportLines(),
            "AppStart *\n"
            "OnClick {\"ClickSrc\":\"Install\"}\n" +
                DownloadOk(DemoPackage()->size(), 0) +
                "InstallTimeCost {\"cost\":\"*\",\"ret\":\"0\",\"retryTime\":\"0\"}\n"
                "InstallResultReport {\"result\":\"success\"}\n");
  ExpectProductStarted(DefaultInstallDir());
}

TEST_F(InstallFlowTest, RetryAfterTheProductWasClosedByHandInstalls) {
  const pid_t program = Spawn(VARNIK_PRODUCT_APP);
  ASSERT_GT(program, 0);
  const std::string closed = dir_.path() + "/closed";
  std::unique_ptr<InstallerProcess> installer =
      Installer("app_closed", {{"VARNIK_DRIVER_CLOSED", closed}});
  ASSERT_TRUE(installer->Start());
  ASSERT_TRUE(installer->WaitForOutput("QUESTION SHOWN", kDeadline)) << installer->Output();
  kill(program, SIGKILL);
  EXPECT_TRUE(EndedByKill(program));
  varnik_test::WriteFile(closed, "");
  Finish(*installer);
  EXPECT_EQ(varnik_test::ReadFile(PackageRecord()), DefaultInstallDir() + "\n");
  ExpectProductStarted(DefaultInstallDir());
}

TEST_F(InstallFlowTest, ProgramNamedInAnotherLetterCaseIsNotAskedAbout) {
  const std::string other = dir_.path() + "/elsewhere";
  mkdir(other.c_str(), 0700);
  const std::string copy = other + "/VidIvurodezirarod.exe";
  varnik_test::WriteFile(copy, varnik_test::ReadFile(VARNIK_PRODUCT_APP));
  chmod(copy.c_str(), 0700);
  const pid_t program = Spawn(copy);
  ASSERT_GT(program, 0);
  // The install scenario fails on any question.
  Run("install", {{"VARNIK_DRIVER_LEAVE", "exit"}});
  int status = 0;
  EXPECT_EQ(waitpid(program, &status, WNOHANG), 0) << "the other program was ended";
  kill(program, SIGKILL);
  EXPECT_TRUE(EndedByKill(program));
  ExpectProductStarted(DefaultInstallDir());
}

TEST_F(InstallFlowTest, PackageFailingTwiceRunsThreeTimesEachAndHidesReinstall) {
  Run("fails_twice", {{"VARNIK_DEMO_PACKAGE_EXIT", "5"}});
  const std::string failed =
      "InstallTimeCost {\"cost\":\"*\",\"ret\":\"5\",\"retryTime\":\"3\"}\n"
      "InstallResultReport {\"errorMsg\":\"Install Faild errorCode:5\",\"result\":\"faild\"}\n";
  EXPECT_EQ(ReportLines(),
            "AppStart *\n"
            "OnClick {\"ClickSrc\":\"Install\"}\n" +
                DownloadOk(DemoPackage()->size(), 0) + failed +
                "OnClick {\"ClickSrc\":\"ReInstall\"}\n" + DownloadOk(DemoPackage()->size(), 0) +
                failed + "OnClick {\"btn_exit\":\"Failed 未安装\"}\n");
  std::string six_runs;
  for (int i = 0; i < 6; ++i) six_runs += DefaultInstallDir() + "\n";
  EXPECT_EQ(varnik_test::ReadFile(PackageRecord()), six_runs);
  // Nothing is recorded for a failed installation.
  EXPECT_EQ(Record(platform::kInstallerPathValue), "");
}

TEST_F(InstallFlowTest, ChosenFolderWithBlanksAndShellCharactersReachesThePackageExactly) {
  const std::string chosen =
      dir_.path() + "/my tools; $(touch pwned1) `touch pwned2` \"q\" 'a' & x";
  const std::string script = "#!/bin/sh\ncat <<'END_OF_FOLDER'\n" + chosen + "\nEND_OF_FOLDER\n";
  varnik_test::WriteFile(bin_ + "/zenity", script);
  chmod((bin_ + "/zenity").c_str(), 0700);
  const std::string install_dir = chosen + "/zorv/dudIdiruvovo";
  // The download folder lies under the cache folder: the package path gets
  // a blank and quotes of its own.
  const std::string cache = dir_.path() + "/cache \"q\" $(touch pwned3)";
  mkdir(cache.c_str(), 0700);
  Run("install", {{"VARNIK_DRIVER_CHOOSE_DIR", install_dir},
                  {"VARNIK_DRIVER_LEAVE", "startapp"},
                  {"XDG_CACHE_HOME", cache}});
  EXPECT_EQ(varnik_test::ReadFile(PackageRecord()), install_dir + "\n");
  struct stat info;
  EXPECT_EQ(stat((install_dir + "/vidIvurodezirarod.exe").c_str(), &info), 0);
  EXPECT_EQ(Record(platform::kInstallerPathValue), install_dir);
  ExpectProductStarted(install_dir);
  // No shell ever read the folder.
  // The package file stays where it was downloaded.
  std::string package_file;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(cache)) {
    if (entry.path().filename() == "DudIdiruvovoInstaller.exe") package_file = entry.path();
  }
  EXPECT_NE(package_file, "");
  for (const char* planted : {"pwned1", "pwned2", "pwned3"}) {
    for (const std::string& where : {dir_.path(), dir_.path() + "/home", std::string(".")}) {
      EXPECT_NE(access((where + "/" + planted).c_str(), F_OK), 0) << where << "/" << planted;
    }
  }
}

TEST_F(InstallFlowTest, StalledServerShowsTheSlowHintWhoseButtonOpensTheOfflinePage) {
  EndpointPlan stall;
  stall.fault = testsupport::PackageFault::kStall;
  server_.SetSitePlan(stall);
  server_.SetCdnPlan(stall);
  const std::string script = "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + bin_ + "/xdg-open.log'\n";
  varnik_test::WriteFile(bin_ + "/xdg-open", script);
  chmod((bin_ + "/xdg-open").c_str(), 0700);
  Run("slow", {{"VARNIK_DRIVER_BROWSER_LOG", bin_ + "/xdg-open.log"}});
  EXPECT_EQ(LogOf("xdg-open.log"), "http://" + server_.host_port() + "/offline/pdf.html\n");
  // The window's close during the transfer ends the process at once: the
  // download never reports.
  EXPECT_EQ(ReportLines(),
            "AppStart *\n"
            "OnClick {\"ClickSrc\":\"Install\"}\n"
            "OnClick {\"ClickSrc\":\"DownloadOffline\"}\n");
  EXPECT_EQ(server_.site_requests(), 1);
}

struct DownloadFailureCase {
  const char* name;
  testsupport::PackageFault fault;
  const char* hr;    // The last attempt's result code.
  const char* size;  // The file size in the diagnostic; "" for any.
};

class DownloadFailureTest : public InstallFlowTest,
                            public ::testing::WithParamInterface<DownloadFailureCase> {};

TEST_P(DownloadFailureTest, SixAttemptsTwiceThenReinstallIsHidden) {
  const DownloadFailureCase& c = GetParam();
  EndpointPlan plan;
  plan.fault = c.fault;
  server_.SetSitePlan(plan);
  server_.SetCdnPlan(plan);
  // The smallest package the file check lets pass.
  server_.SetPackage(
      std::make_shared<const std::string>(testsupport::PackageServer::MakePackageBytes(10485760)));
  const std::string output = Run("download_fails");
  EXPECT_EQ(server_.site_requests(), 6);
  EXPECT_EQ(server_.cdn_requests(), 6);
  const std::regex failed(
      "DownloadTimeCost \\{\"cost\":\"\\*\",\"ret\":\"1\",\"retryTime\":\"6\"\\}\n"
      "InstallResultReport \\{\"errorMsg\":\"Download Faild :URLDownloadToFile hr = "
      "([0-9a-f]{8}) size (-?[0-9]+) windows pop time = 0\",\"result\":\"faild\"\\}\n");
  const std::string lines = ReportLines();
  const std::string head = "AppStart *\nOnClick {\"ClickSrc\":\"Install\"}\n";
  const std::string tail =
      "OnClick {\"ClickSrc\":\"ReInstall\"}\nOnClick {\"btn_exit\":\"Start  无理由\"}\n";
  ASSERT_EQ(lines.rfind(head, 0), 0u) << lines;
  ASSERT_GT(lines.size(), head.size() + tail.size()) << lines;
  ASSERT_EQ(lines.substr(lines.size() - tail.size()), tail) << lines;
  std::string middle = lines.substr(head.size(), lines.size() - head.size() - tail.size());
  const std::string reinstall = "OnClick {\"ClickSrc\":\"ReInstall\"}\n";
  const size_t split = middle.find(reinstall);
  ASSERT_NE(split, std::string::npos) << lines;
  for (const std::string& part :
       {middle.substr(0, split), middle.substr(split + reinstall.size())}) {
    std::smatch match;
    ASSERT_TRUE(std::regex_match(part, match, failed)) << part;
    // The page explained the same code the report carries.
    EXPECT_NE(output.find("DOWNLOAD HR " + match[1].str()), std::string::npos) << output;
    EXPECT_EQ(match[1].str(), c.hr);
    if (*c.size) {
      EXPECT_EQ(match[2].str(), c.size);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, DownloadFailureTest,
    ::testing::Values(
        DownloadFailureCase{"NotFound", testsupport::PackageFault::kNotFound, "800c0005", ""},
        DownloadFailureCase{"OneByteShort", testsupport::PackageFault::kShort, "00000000",
                            "10485759"},
        DownloadFailureCase{"NotMz", testsupport::PackageFault::kNotMz, "00000000", "10485760"}),
    [](const ::testing::TestParamInfo<DownloadFailureCase>& info) { return info.param.name; });

struct DetectCase {
  const char* name;
  const char* folder;  // Under the temporary root; "" for none.
  const char* entry;   // The desktop entry's Name line.
  bool earlier_record_without_app;
  bool installed;
};

class DetectTest : public InstallFlowTest, public ::testing::WithParamInterface<DetectCase> {};

TEST_P(DetectTest, CloseOnTheWelcomePage) {
  const DetectCase& c = GetParam();
  if (*c.folder) {
    varnik_test::WriteFile(dir_.path() + "/" + c.folder + "/applications/varnik.desktop",
                           std::string("[Desktop Entry]\nType=Application\n") + c.entry + "\n");
  }
  if (c.earlier_record_without_app) {
    const std::string earlier = dir_.path() + "/earlier";
    mkdir(earlier.c_str(), 0700);
    mkdir((dir_.path() + "/config").c_str(), 0700);
    varnik_test::ScopedEnv config("XDG_CONFIG_HOME", (dir_.path() + "/config").c_str());
    ASSERT_EQ(platform::WriteRegString(platform::kAppInfoKey, platform::kInstallerPathValue,
                                       nbase::Utf8ToUtf16(earlier)),
              0);
  }
  Run("detect", {{"VARNIK_DRIVER_INSTALLED", c.installed ? "1" : "0"}});
  std::string expected = "AppStart *\n";
  if (c.installed) {
    expected += "offline {\"result\":\"success\"}\nOnClick {\"btn_exit\":\"Start 已安装\"}\n";
  } else {
    expected += "OnClick {\"ClickSrc\":\"ReInstall\"}\nOnClick {\"btn_exit\":\"Start  无理由\"}\n";
  }
  EXPECT_EQ(ReportLines(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Views, DetectTest,
    ::testing::Values(
        // The per-user applications folder is the 64-bit view.
        DetectCase{"SixtyFourBitViewOnly", "data", "Name=VarnikPDF转换器 2.3.1", false, true},
        DetectCase{"DefaultViewOnly", "system-data", "Name=VarnikPDF转换器", false, true},
        DetectCase{"NameInsideALongerName", "system-data", "Name=Zorv VarnikPDF转换器 Pro", false,
                   true},
        DetectCase{"OneCharacterDiffers", "data", "Name=VarnikPDF转换噐", false, false},
        DetectCase{"EarlierFolderWithoutTheApplication", "", "", true, false}),
    [](const ::testing::TestParamInfo<DetectCase>& info) { return info.param.name; });

}  // namespace
