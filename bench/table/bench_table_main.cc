// The product's performance table in one run: runs the benchmark programs
// and measures the real installer from outside as a process, each figure
// beside its peer measured in the same run, prints the table and writes it
// (with the machine, date and load) to the file named by --out.
//
// Usage: bench_table [--out FILE] [--idle-seconds N] [--rounds N] [--programs 0|1]
//                    [--startup-only 0|1]
//
// The installer runs with private temporary user folders, a fixed DPI of 96
// and the development server on 127.0.0.1; nothing outside /tmp is touched.
// The UI-stall figure drives the real window under Xvfb with xdotool and is
// "unavailable" when either is missing.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bench/table/bench_output.h"
#include "bench/table/child_process.h"
#include "bench/table/detection_rows.h"
#include "bench/table/machine_info.h"
#include "bench/table/performance_table.h"
#include "bench/table/startup_breakdown.h"
#include "ui/core/dpi_scale.h"
#include "ui/core/window.h"
#include "ui/core/window_builder.h"
#include "ui/skin/resource_loader.h"
#include "ui/text/pango_text_measurer.h"

namespace {

using benchtable::BenchOutput;
using benchtable::ChildProcess;
using benchtable::MachineInfo;
using benchtable::PerformanceTable;
using benchtable::StartupBreakdown;
using namespace std::chrono_literals;
using Env = std::map<std::string, std::string>;
using Metrics = std::map<std::string, double>;

struct Options {
  std::string out;
  int idle_seconds = 10;
  int rounds = 11;
  bool programs = true;  // false: only the process figures (quicker)
  bool startup_only = false;  // true: only the start-up figures and their breakdown
};

void Progress(const std::string& text) {
  std::fprintf(stderr, "[bench] %s\n", text.c_str());
  std::fflush(stderr);
}

std::optional<double> Get(const Metrics& metrics, const std::string& key) {
  auto found = metrics.find(key);
  if (found == metrics.end()) return std::nullopt;
  return found->second;
}

std::optional<double> Median(std::vector<double> values) {
  if (values.empty()) return std::nullopt;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

std::optional<double> Max(const std::vector<double>& values) {
  if (values.empty()) return std::nullopt;
  return *std::max_element(values.begin(), values.end());
}

std::string Fixed(double value, int decimals) {
  return PerformanceTable::FormatValue(value, "", decimals);
}

bool ExecutableExists(const std::string& name) {
  if (name.find('/') != std::string::npos) return access(name.c_str(), X_OK) == 0;
  const char* path = std::getenv("PATH");
  std::string rest = path ? path : "/usr/bin:/bin";
  size_t at = 0;
  while (at <= rest.size()) {
    const size_t colon = std::min(rest.find(':', at), rest.size());
    if (access((rest.substr(at, colon - at) + "/" + name).c_str(), X_OK) == 0) return true;
    at = colon + 1;
  }
  return false;
}

// One benchmark program with machine-readable figures; its human output is
// kept for the raw section of the report.
struct ProgramRun {
  std::string name;
  Metrics metrics;
  std::string output;
  bool ok = false;
};

ProgramRun RunBenchProgram(const std::string& name, const std::string& path,
                           std::vector<std::string> args = {}) {
  ProgramRun run;
  run.name = name;
  Progress("running " + name);
  std::vector<std::string> argv{path};
  argv.insert(argv.end(), args.begin(), args.end());
  ChildProcess child(argv, {{"VARNIK_BENCH_METRICS", "1"}, {"SDL_VIDEODRIVER", "dummy"}});
  if (!child.Start()) {
    run.output = "cannot start " + path;
    return run;
  }
  run.ok = child.WaitForExit(10min) && child.exit_code() == 0;
  if (child.running()) child.Stop(SIGKILL, 5s);
  run.output = child.Output();
  run.metrics = BenchOutput::ParseMetrics(run.output);
  if (!run.ok) Progress(name + " failed:\n" + run.output);
  return run;
}

// Private user folders for one installer run.
class UserFolders {
 public:
  explicit UserFolders(const std::string& root) : root_(root) {
    for (const char* sub : {"", "/home", "/config", "/data", "/cache", "/runtime"}) {
      mkdir((root_ + sub).c_str(), 0700);
    }
  }
  Env Environment() const {
    return {{"HOME", root_ + "/home"},
            {"XDG_CONFIG_HOME", root_ + "/config"},
            {"XDG_DATA_HOME", root_ + "/data"},
            {"XDG_CACHE_HOME", root_ + "/cache"},
            {"XDG_RUNTIME_DIR", root_ + "/runtime"},
            {"XDG_DATA_DIRS", root_ + "/data-dirs"},
            {"VARNIK_DPI", "96"},
            {"VARNIK_DEBUG", "1"}};
  }

 private:
  std::string root_;
};

Env Merge(Env base, const Env& more) {
  for (const auto& [name, value] : more) base[name] = value;
  return base;
}

bool HasFirstFrame(const std::string& output) {
  return BenchOutput::FirstFrameMs(output).has_value();
}

// Start to first frame and peak memory of one process, ended by SIGTERM once
// its first frame is out.
struct StartSample {
  std::optional<double> first_frame_ms;
  std::optional<double> peak_mib;
  double started_ms = 0;
  StartupBreakdown::Steps steps;
};

StartSample MeasureStart(const std::string& program, const Env& env) {
  StartSample sample;
  ChildProcess child({program}, env);
  if (!child.Start()) return sample;
  if (child.WaitForOutput(&HasFirstFrame, 30s)) {
    sample.first_frame_ms = *BenchOutput::FirstFrameMs(child.Output()) - child.started_ms();
    sample.started_ms = child.started_ms();
    sample.steps = BenchOutput::StartupSteps(child.Output());
  } else {
    Progress(program + " showed no first frame:\n" + child.Output());
  }
  child.Stop(SIGTERM, 10s);
  if (child.peak_rss_kib() > 0) sample.peak_mib = child.peak_rss_kib() / 1024.0;
  return sample;
}

// Instructions a program executes from its start to its first frame,
// counted by callgrind: figures the machine's load does not move. The count
// is dumped as soon as the frame line is out; the little that runs in
// between (a report on its way, an idle loop's poll) counts too.
struct InstructionCount {
  std::optional<double> main_thread;  // the UI thread
  std::optional<double> all_threads;
};

std::optional<double> DumpTotal(const std::string& file) {
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("totals: ", 0) == 0) return std::atof(line.c_str() + 8);
  }
  return std::nullopt;
}

InstructionCount InstructionsToFirstFrame(const std::string& program, const Env& env,
                                          const std::string& out_file) {
  InstructionCount count;
  if (!ExecutableExists("valgrind") || !ExecutableExists("callgrind_control")) return count;
  ChildProcess child({"valgrind", "--tool=callgrind", "--separate-threads=yes", "--dump-instr=no",
                      "--callgrind-out-file=" + out_file, program},
                     env);
  if (!child.Start()) return count;
  if (child.WaitForOutput(&HasFirstFrame, 300s)) {
    ChildProcess control({"callgrind_control", "--dump", std::to_string(child.pid())}, {});
    if (control.Start()) control.WaitForExit(60s);
    // One file per thread: "<out>.1-01" is the initial thread's, written last.
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (!count.main_thread && std::chrono::steady_clock::now() < deadline && child.running()) {
      count.main_thread = DumpTotal(out_file + ".1-01");
      if (!count.main_thread) child.WaitForExit(50ms);
    }
    if (count.main_thread) {
      double sum = 0;
      for (int thread = 1; thread < 100; ++thread) {
        char suffix[8];
        std::snprintf(suffix, sizeof suffix, ".1-%02d", thread);
        if (std::optional<double> total = DumpTotal(out_file + suffix)) sum += *total;
      }
      count.all_threads = sum;
    }
  }
  child.Stop(SIGKILL, 10s);
  return count;
}

// The development server: starts, and tells its loopback address.
class DevServer {
 public:
  explicit DevServer(const std::string& path) : child_({path}, {}) {}
  bool Start() {
    if (!child_.Start()) return false;
    const std::string marker = "VARNIK_SERVER_HOST=";
    if (!child_.WaitForOutput(
            [&marker](const std::string& out) {
              const size_t at = out.find(marker);
              return at != std::string::npos && out.find(';', at) != std::string::npos;
            },
            20s)) {
      return false;
    }
    const std::string out = child_.Output();
    const size_t at = out.find(marker) + marker.size();
    host_ = out.substr(at, out.find(';', at) - at);
    return true;
  }
  const std::string& host() const { return host_; }
  ChildProcess& process() { return child_; }

 private:
  ChildProcess child_;
  std::string host_;
};

// The centre of a control of the main window at 100 %, laid out from the
// packed skin exactly as the installer lays it out.
class MainLayoutWindow : public ui::Window {
 public:
  std::u16string GetSkinFolder() override { return u"basic"; }
  std::u16string GetSkinFile() override { return u"basic.xml"; }
};

std::optional<std::pair<int, int>> ControlCentre(const std::u16string& name) {
  std::ifstream in(VARNIK_SKIN_ZIP, std::ios::binary);
  std::string package((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!ui::ResourceLoader::OpenGlobalPackage(package)) return std::nullopt;
  ui::ResourceLoader::SetResourceRoot(u"resources\\");
  ui::ResourceLoader::SetThemeFolder(u"themes\\default");
  ui::PangoTextMeasurer measurer;
  ui::TextMeasurer::SetInstance(&measurer);
  ui::DpiScale::Set(100, true);
  std::optional<std::pair<int, int>> centre;
  if (ui::WindowBuilder::LoadGlobalStyle()) {
    MainLayoutWindow window;
    if (window.LoadSkin()) {
      window.Resize(window.GetInitialSize());
      window.LayoutIfNeeded();
      if (ui::Control* control = window.FindControl(name)) {
        const ui::Rect& r = control->GetPos();
        centre = std::make_pair((r.left + r.right) / 2, (r.top + r.bottom) / 2);
      }
    }
  }
  ui::TextMeasurer::SetInstance(nullptr);
  ui::ResourceLoader::CloseGlobalPackage();
  return centre;
}

// Runs a short helper (xdotool) and returns its output; empty on failure.
std::string RunHelper(const std::vector<std::string>& argv, const Env& env) {
  ChildProcess helper(argv, env);
  if (!helper.Start() || !helper.WaitForExit(20s) || helper.exit_code() != 0) {
    if (helper.running()) helper.Stop(SIGKILL, 2s);
    return "";
  }
  std::string out = helper.Output();
  return out.empty() ? std::string("\n") : out;
}

// A private X server on the first free display from :90.
class VirtualDisplay {
 public:
  bool Start() {
    for (int number = 90; number < 130; ++number) {
      const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
      const std::string lock = "/tmp/.X" + std::to_string(number) + "-lock";
      if (access(socket.c_str(), F_OK) == 0 || access(lock.c_str(), F_OK) == 0) continue;
      name_ = ":" + std::to_string(number);
      server_ = std::make_unique<ChildProcess>(
          std::vector<std::string>{"Xvfb", name_, "-screen", "0", "1280x1024x24", "-nolisten",
                                   "tcp"},
          Env{});
      if (!server_->Start()) return false;
      const auto deadline = std::chrono::steady_clock::now() + 15s;
      while (std::chrono::steady_clock::now() < deadline && server_->running()) {
        if (access(socket.c_str(), F_OK) == 0) return true;
        server_->WaitForExit(20ms);
      }
      server_->Stop(SIGKILL, 2s);
    }
    return false;
  }
  ~VirtualDisplay() {
    if (server_) server_->Stop(SIGTERM, 5s);
  }
  const std::string& name() const { return name_; }

 private:
  std::string name_;
  std::unique_ptr<ChildProcess> server_;
};

struct StallRun {
  std::optional<double> longest_ms;
  std::optional<double> longest_own_ms;  // less the waits for a core
  std::optional<double> peak_mib;
  std::optional<double> install_seconds;
  std::string note;   // why a figure is missing
  std::string trace;  // the stall lines from the click on
};

// The real installer under Xvfb: "立即安装" clicked with xdotool, the
// installation followed to its result report, the UI pump's stall lines
// read for that time.
StallRun MeasureStall(const std::string& temp, DevServer& server, const VirtualDisplay* display) {
  StallRun run;
  if (!display || !ExecutableExists("xdotool")) {
    run.note = "Xvfb or xdotool missing";
    return run;
  }
  const std::optional<std::pair<int, int>> button = ControlCentre(u"btn_startinstall");
  if (!button) {
    run.note = "button not found in the layout";
    return run;
  }
  UserFolders folders(temp + "/stall");
  const Env env = Merge(folders.Environment(), {{"DISPLAY", display->name()},
                                                {"SDL_VIDEODRIVER", ""},
                                                {"WAYLAND_DISPLAY", ""},
                                                {"VARNIK_UI_STALL", "1"},
                                                {"VARNIK_SERVER_HOST", server.host()}});
  ChildProcess installer({VARNIK_SETUP_EXE}, env);
  if (!installer.Start() || !installer.WaitForOutput(&HasFirstFrame, 30s)) {
    run.note = "the installer showed no window";
    return run;
  }
  const Env x_env{{"DISPLAY", display->name()}};
  std::string ids = RunHelper({"xdotool", "search", "--sync", "--name", "VarnikPDF"}, x_env);
  const std::string window = ids.substr(0, ids.find('\n'));
  if (window.empty()) {
    run.note = "xdotool found no installer window";
    return run;
  }
  // Start-up stretches are still unwritten while the window idles: a mouse
  // move over it makes the pump write them, so that the first line after
  // the click covers only the click and what follows.
  const double settled_ms = ChildProcess::MonotonicMs();
  installer.WaitForOutput(
      [&](const std::string& out) {
        RunHelper({"xdotool", "mousemove", "--window", window, "5", "5"}, x_env);
        const auto lines = BenchOutput::ParseStallLines(out);
        return !lines.empty() && lines.back().at_ms >= settled_ms;
      },
      5s);
  const size_t reports_before = server.process().Output().size();
  const double click_ms = ChildProcess::MonotonicMs();
  RunHelper({"xdotool", "mousemove", "--window", window, std::to_string(button->first),
             std::to_string(button->second), "click", "1"},
            x_env);
  const bool finished = server.process().WaitForOutput(
      [reports_before](const std::string& out) {
        return out.find("InstallResultReport", reports_before) != std::string::npos;
      },
      180s);
  const double done_ms = ChildProcess::MonotonicMs();
  if (!finished) {
    run.note = "the installation did not finish";
  } else {
    run.install_seconds = (done_ms - click_ms) / 1000.0;
    // The pump writes what it measured when it next wakes: move the mouse
    // over the window until a line from after the end is out.
    installer.WaitForOutput(
        [&](const std::string& out) {
          RunHelper({"xdotool", "mousemove", "--window", window, "10", "10"}, x_env);
          const auto lines = BenchOutput::ParseStallLines(out);
          return !lines.empty() && lines.back().at_ms >= done_ms;
        },
        5s);
    const auto lines = BenchOutput::ParseStallLines(installer.Output());
    run.longest_ms = BenchOutput::LongestStallBetween(lines, click_ms, done_ms);
    run.longest_own_ms = BenchOutput::LongestOwnStallBetween(lines, click_ms, done_ms);
    std::string trace;
    for (const auto& line : lines) {
      if (line.at_ms < click_ms) continue;
      trace += " +" + Fixed(line.at_ms - click_ms, 0) + "ms:" + Fixed(line.longest_ms, 1);
      if (line.own_ms) trace += "/" + Fixed(*line.own_ms, 1);
      if (line.at_ms >= done_ms) break;
    }
    run.trace = trace;
    Progress("stall lines after the click (time: longest ms):" + trace);
    if (!run.longest_ms) run.note = "no stall lines";
  }
  installer.Stop(SIGTERM, 10s);
  if (installer.peak_rss_kib() > 0) run.peak_mib = installer.peak_rss_kib() / 1024.0;
  return run;
}

struct IdleRun {
  std::optional<double> installer_ms;
  std::optional<double> peer_ms;
};

// CPU time of the installer and of the peer, both idle on their first page,
// over the same seconds.
IdleRun MeasureIdle(const Env& installer_env, const Env& peer_env, int seconds) {
  IdleRun run;
  ChildProcess installer({VARNIK_SETUP_EXE}, installer_env);
  ChildProcess peer({VARNIK_PEER_EXE}, peer_env);
  if (!installer.Start() || !peer.Start()) return run;
  if (!installer.WaitForOutput(&HasFirstFrame, 30s) || !peer.WaitForOutput(&HasFirstFrame, 30s)) {
    return run;
  }
  // Let start-up work (reports, detection) settle before the idle period.
  std::this_thread::sleep_for(2s);
  const std::optional<double> installer_before = installer.CpuTimeMs();
  const std::optional<double> peer_before = peer.CpuTimeMs();
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  const std::optional<double> installer_after = installer.CpuTimeMs();
  const std::optional<double> peer_after = peer.CpuTimeMs();
  if (installer_before && installer_after) run.installer_ms = *installer_after - *installer_before;
  if (peer_before && peer_after) run.peer_ms = *peer_after - *peer_before;
  installer.Stop(SIGTERM, 10s);
  peer.Stop(SIGTERM, 10s);
  return run;
}

// Start to first frame and peak memory of the Windows installer and of a
// minimal Win32 + GDI+ program, both under Wine on the same X server,
// alternately. The first frame is taken from outside (the moment its line
// reaches the output): the Windows programs' own clock is not the host's.
struct WineStartRun {
  std::vector<double> installer_ms, peer_ms, installer_mib, peer_mib;
  std::string note;  // why the figures are missing
};

#ifdef VARNIK_WINDOWS_SETUP_EXE
std::string WineServerProgram() {
  const char* packaged = "/usr/lib/wine/wineserver64";
  return access(packaged, X_OK) == 0 ? packaged : "wineserver";
}

// One Wine program's start; ended by SIGTERM once its first frame is out.
StartSample MeasureWineStart(const std::string& program, const Env& env,
                             std::chrono::milliseconds timeout) {
  StartSample sample;
  ChildProcess child({VARNIK_WINE_RUN, VARNIK_WINE_BENCH_PREFIX, program}, env);
  if (!child.Start()) return sample;
  if (child.WaitForText("first frame presented", timeout)) {
    sample.first_frame_ms = ChildProcess::MonotonicMs() - child.started_ms();
  } else {
    Progress(program + " showed no first frame under Wine:\n" + child.Output());
  }
  child.Stop(SIGTERM, 10s);
  if (child.peak_rss_kib() > 0) sample.peak_mib = child.peak_rss_kib() / 1024.0;
  return sample;
}

WineStartRun MeasureWineStarts(const VirtualDisplay* display, const std::string& server_host,
                               int rounds) {
  WineStartRun run;
  if (!display || !ExecutableExists(VARNIK_WINDOWS_SETUP_EXE) ||
      !ExecutableExists(VARNIK_WINDOWS_PEER_EXE)) {
    run.note = display ? "Windows programs not built" : "Xvfb missing";
    return run;
  }
  const Env env{{"VARNIK_WINE_DISPLAY", display->name()},
                {"VARNIK_DEBUG", "1"},
                {"VARNIK_SERVER_HOST", server_host}};
  const Env server_env{{"WINEPREFIX", VARNIK_WINE_BENCH_PREFIX}};
  // The first run creates the prefix and fills Wine's caches; it is not
  // counted. Then one Wine server stays up for every measured run, so that
  // neither side pays for starting it.
  if (!MeasureWineStart(VARNIK_WINDOWS_PEER_EXE, env, 180s).first_frame_ms) {
    run.note = "the peer showed no frame under Wine";
    return run;
  }
  RunHelper({WineServerProgram(), "-w"}, server_env);
  RunHelper({WineServerProgram(), "-p"}, server_env);
  for (int round = 0; round < rounds; ++round) {
    for (int side = 0; side < 2; ++side) {
      const bool installer_side = (round + side) % 2 == 0;
      const StartSample sample = MeasureWineStart(
          installer_side ? VARNIK_WINDOWS_SETUP_EXE : VARNIK_WINDOWS_PEER_EXE, env, 60s);
      if (sample.first_frame_ms) {
        (installer_side ? run.installer_ms : run.peer_ms).push_back(*sample.first_frame_ms);
      }
      if (sample.peak_mib) {
        (installer_side ? run.installer_mib : run.peer_mib).push_back(*sample.peak_mib);
      }
    }
  }
  RunHelper({WineServerProgram(), "-k"}, server_env);
  if (run.installer_ms.empty()) run.note = "the installer showed no frame under Wine";
  return run;
}
#else
WineStartRun MeasureWineStarts(const VirtualDisplay*, const std::string&, int) {
  WineStartRun run;
  run.note = "no Windows build (VARNIK_WINDOWS_BUILD_DIR)";
  return run;
}
#endif

bool ParseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i + 1 >= argc) return false;
    const std::string value = argv[++i];
    if (arg == "--out") {
      options->out = value;
    } else if (arg == "--idle-seconds") {
      options->idle_seconds = std::max(1, std::atoi(value.c_str()));
    } else if (arg == "--programs") {
      options->programs = value != "0";
    } else if (arg == "--startup-only") {
      options->startup_only = value != "0";
      if (options->startup_only) options->programs = false;
    } else if (arg == "--rounds") {
      options->rounds = std::max(1, std::atoi(value.c_str()));
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, &options)) {
    std::fprintf(stderr,
                 "usage: %s [--out FILE] [--idle-seconds N] [--rounds N] [--programs 0|1] "
                 "[--startup-only 0|1]\n",
                 argv[0]);
    return 2;
  }
  signal(SIGPIPE, SIG_IGN);
  const MachineInfo machine = MachineInfo::Gather();
  const std::string load_before = MachineInfo::CurrentLoad();
  const auto run_start = std::chrono::steady_clock::now();

  char temp_pattern[] = "/tmp/bench_table.XXXXXX";
  if (!mkdtemp(temp_pattern)) return 1;
  const std::string temp = temp_pattern;

  // The benchmark programs.
  std::vector<ProgramRun> programs;
  if (options.programs) {
    programs.push_back(RunBenchProgram("post_task_bench", VARNIK_POST_TASK_BENCH));
#ifdef VARNIK_MARKUP_BENCH
    programs.push_back(RunBenchProgram("markup_bench", VARNIK_MARKUP_BENCH));
#endif
    programs.push_back(RunBenchProgram("ui_core_bench", VARNIK_UI_CORE_BENCH));
    programs.push_back(RunBenchProgram("ui_backend_bench", VARNIK_UI_BACKEND_BENCH, {"1"}));
    programs.push_back(RunBenchProgram("report_bench", VARNIK_REPORT_BENCH));
    programs.push_back(RunBenchProgram("download_bench", VARNIK_DOWNLOAD_BENCH));
    programs.push_back(RunBenchProgram("detection_bench", VARNIK_DETECTION_BENCH));
  }
  Metrics m;
  for (const ProgramRun& run : programs) m.insert(run.metrics.begin(), run.metrics.end());

  DevServer server(VARNIK_DEV_SERVER_EXE);
  const bool server_up = server.Start();
  if (!server_up) Progress("the development server did not start");

  // Start-up: installer and peer alternately, the same way, headless.
  Progress("start-up: " + std::to_string(options.rounds) + " rounds each");
  std::vector<double> installer_start, peer_start, installer_rss, peer_rss;
  StartupBreakdown breakdown;
  for (int round = 0; round < options.rounds; ++round) {
    UserFolders folders(temp + "/start" + std::to_string(round));
    const Env installer_env = Merge(
        folders.Environment(), {{"SDL_VIDEODRIVER", "dummy"},
                                {"VARNIK_SERVER_HOST", server_up ? server.host() : "127.0.0.1:1"}});
    const Env peer_env{{"SDL_VIDEODRIVER", "dummy"}};
    for (int side = 0; side < 2; ++side) {
      const bool installer_side = (round + side) % 2 == 0;
      const StartSample sample = installer_side ? MeasureStart(VARNIK_SETUP_EXE, installer_env)
                                                : MeasureStart(VARNIK_PEER_EXE, peer_env);
      if (sample.first_frame_ms) {
        (installer_side ? installer_start : peer_start).push_back(*sample.first_frame_ms);
        breakdown.AddRun(
            installer_side ? StartupBreakdown::Side::kInstaller : StartupBreakdown::Side::kPeer,
            sample.started_ms, sample.steps);
      }
      if (sample.peak_mib) (installer_side ? installer_rss : peer_rss).push_back(*sample.peak_mib);
    }
  }

  Progress("instructions to the first frame (callgrind)");
  InstructionCount installer_instructions, peer_instructions;
  {
    UserFolders folders(temp + "/instructions");
    installer_instructions = InstructionsToFirstFrame(
        VARNIK_SETUP_EXE,
        Merge(folders.Environment(), {{"SDL_VIDEODRIVER", "dummy"},
                                      {"VARNIK_SERVER_HOST", "127.0.0.1:1"}}),
        temp + "/installer.callgrind");
    peer_instructions = InstructionsToFirstFrame(VARNIK_PEER_EXE, {{"SDL_VIDEODRIVER", "dummy"}},
                                                 temp + "/peer.callgrind");
  }

  // A private X server for the idle and stall figures: SDL's dummy driver
  // polls for events, a real display lets an idle program sleep.
  std::unique_ptr<VirtualDisplay> display;
  if (!options.startup_only && ExecutableExists("Xvfb")) {
    display = std::make_unique<VirtualDisplay>();
    if (!display->Start()) display.reset();
  }
  const Env idle_video =
      display ? Env{{"DISPLAY", display->name()}, {"SDL_VIDEODRIVER", ""}, {"WAYLAND_DISPLAY", ""}}
              : Env{{"SDL_VIDEODRIVER", "dummy"}};
  const std::string idle_where = display ? "Xvfb" : "SDL dummy driver";
  IdleRun idle;
  if (!options.startup_only) {
    Progress("idle CPU over " + std::to_string(options.idle_seconds) + " s");
    UserFolders idle_folders(temp + "/idle");
    idle = MeasureIdle(Merge(Merge(idle_folders.Environment(), idle_video),
                             {{"VARNIK_SERVER_HOST", server_up ? server.host() : "127.0.0.1:1"}}),
                       idle_video, options.idle_seconds);
  }

  StallRun stall;
  if (options.startup_only) {
    stall.note = "not measured in this run";
  } else if (server_up) {
    Progress("UI stall during download and installation (Xvfb + xdotool)");
    stall = MeasureStall(temp, server, display.get());
  } else {
    stall.note = "no development server";
  }
  Progress("Windows start-up under Wine: " + std::to_string(options.rounds) + " rounds each");
  const WineStartRun wine =
      MeasureWineStarts(display.get(), server_up ? server.host() : "127.0.0.1:1", options.rounds);
  if (!wine.note.empty()) Progress("Windows start-up: " + wine.note);
  server.process().Stop(SIGTERM, 10s);
  const std::string load_after = MachineInfo::CurrentLoad();
  const double run_seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - run_start).count();

  // The table.
  PerformanceTable table;
  const std::string peer_program = "minimal SDL+cairo+pango program, one text line";
  table.AddMeasuredRow(
      "process start to first complete frame (median of " + std::to_string(options.rounds) + ")",
      Median(installer_start), Median(peer_start), "ms", 1, peer_program, "1.3 x or less");
  {
    // Millions, so that the table's columns stay readable.
    auto millions = [](std::optional<double> count) {
      return count ? std::optional<double>(*count / 1e6) : std::nullopt;
    };
    table.AddMeasuredRow("instructions to the first frame, UI thread (callgrind)",
                         millions(installer_instructions.main_thread),
                         millions(peer_instructions.main_thread), "million", 1, peer_program);
    table.AddMeasuredRow("instructions to the first frame, all threads (callgrind)",
                         millions(installer_instructions.all_threads),
                         millions(peer_instructions.all_threads), "million", 1, peer_program);
  }
  table.AddMeasuredRow("peak resident memory at first frame", Max(installer_rss), Max(peer_rss),
                       "MiB", 1, peer_program, "1.3 x or less");
  table.AddMeasuredRow("peak resident memory through download + installation", stall.peak_mib,
                       Max(peer_rss), "MiB", 1, peer_program + ", at first frame",
                       "1.5 x or less");
  const std::string wine_peer = "minimal Win32 + GDI+ program under Wine, one text line";
  table.AddMeasuredRow("varnikpdf-setup.exe under Wine: start to first frame (median of " +
                           std::to_string(options.rounds) + ")",
                       Median(wine.installer_ms), Median(wine.peer_ms), "ms", 1, wine_peer);
  table.AddMeasuredRow("varnikpdf-setup.exe under Wine: peak resident memory at first frame",
                       Max(wine.installer_mib), Max(wine.peer_mib), "MiB", 1, wine_peer);
  table.AddMeasuredRow("download throughput, 256 MiB from loopback",
                       Get(m, "download_ours_mb_per_s"), Get(m, "download_curl_mb_per_s"), "MB/s",
                       1, "curl -o", "0.95 or more");
  table.AddMeasuredRow("Windows download (URLDownloadToFileW under Wine), 256 MiB from loopback",
                       Get(m, "download_wine_mb_per_s"), Get(m, "download_curl_mb_per_s"), "MB/s",
                       1, "curl -o on the host");
  {
    PerformanceTable::Row row;
    row.figure = "UI thread's longest stall during download + installation";
    row.product = PerformanceTable::FormatValue(stall.longest_ms, "ms", 2);
    if (!stall.note.empty()) row.product += " (" + stall.note + ")";
    if (stall.longest_own_ms) {
      row.product += " (" + PerformanceTable::FormatValue(stall.longest_own_ms, "ms", 2) +
                     " less the waits for a core)";
    }
    if (stall.install_seconds) {
      row.product += ", over " + Fixed(*stall.install_seconds, 1) + " s";
    }
    row.peer = "16.7 ms (one frame at 60 Hz)";
    row.comparison = PerformanceTable::FormatRatio(stall.longest_ms, 1000.0 / 60);
    if (stall.longest_own_ms) {
      row.comparison +=
          " (" + PerformanceTable::FormatRatio(stall.longest_own_ms, 1000.0 / 60) + ")";
    }
    row.comparison += "; aim: under one frame";
    table.AddRow(row);
  }
  benchtable::AddDetectionRows(m, &table);
  table.AddMeasuredRow(
      "CPU time idle over " + std::to_string(options.idle_seconds) + " s (" + idle_where + ")",
      idle.installer_ms, idle.peer_ms, "ms", 2, peer_program + ", idle the same seconds");
  table.AddMeasuredRow("caller's cost of one report", Get(m, "report_caller_us"),
                       Get(m, "report_post_us"), "us", 2, "empty PostTask to the same thread");
  table.AddMeasuredRow("report delivery rate, loopback", Get(m, "report_delivery_per_s"),
                       Get(m, "report_curl_per_s"), "/s", 0, "bare libcurl loop");
  // Time ratios: 1.25 x the time is 0.8 of pugixml's speed.
  table.AddMeasuredRow("parse of basic.xml, UTF-8 decoding included", Get(m, "parse_basic_markup_us"),
                       Get(m, "parse_basic_pugixml_us"), "us", 2, "pugixml, same bytes",
                       "1.25 x or less (0.8 of pugixml's speed; 1 x at best)");
  table.AddMeasuredRow("parse of a 3 MiB generated layout, UTF-8 decoding included",
                       Get(m, "parse_generated_markup_us"), Get(m, "parse_generated_pugixml_us"),
                       "us", 0, "pugixml, same bytes", "1.25 x or less");
  const std::optional<double> frame_budget_us = 1e6 / 60;
  table.AddMeasuredRow("build + layout of the main window at 100 %", Get(m, "build_basic_100_us"),
                       frame_budget_us, "us", 0, "one frame at 60 Hz");
  table.AddMeasuredRow("build + layout of the main window at 150 %", Get(m, "build_basic_150_us"),
                       frame_budget_us, "us", 0, "one frame at 60 Hz");
  table.AddMeasuredRow("full repaint of the main window", Get(m, "frame_full_repaint_ms"),
                       Get(m, "frame_floor_ms"), "ms", 3, peer_program + ", per frame");
  {
    std::string progress = "progress tick frame (bar and label)";
    if (std::optional<double> share = Get(m, "frame_progress_area_percent")) {
      progress += ", " + Fixed(*share, 1) + " % of the window drawn";
    }
    table.AddMeasuredRow(progress, Get(m, "frame_progress_ms"), Get(m, "frame_floor_ms"), "ms", 3,
                         peer_program + ", per frame",
                         "1.0 x or less (draws only what changed)");
  }
  table.AddMeasuredRow("cross-thread posts (median)", Get(m, "post_nbase_tasks_per_s"),
                       Get(m, "post_asio_tasks_per_s"), "tasks/s", 0, "asio::io_context::post");

  std::printf("\n%s\n", table.RenderText().c_str());
  std::printf("start-up, step by step (medians of %zu installer and %zu peer runs):\n%s\n",
              breakdown.runs(StartupBreakdown::Side::kInstaller),
              breakdown.runs(StartupBreakdown::Side::kPeer), breakdown.RenderMarkdown().c_str());
  std::printf("machine: %s, %d cores, %s; %s; load %s before, %s after; %.0f s\n",
              machine.cpu.c_str(), machine.cores, machine.memory.c_str(), machine.kernel.c_str(),
              load_before.c_str(), load_after.c_str(), run_seconds);

  if (!options.out.empty()) {
    std::string doc;
    doc += "# Performance\n\n";
    doc +=
        "Written by `scripts/bench` (the program `bench_table`, Release build). Each figure\n"
        "of the product stands beside its peer, measured in the same run on the same\n"
        "machine; ratios are product / peer (for times and memory lower is better, for\n"
        "rates higher is better).\n\n";
    doc += "- machine: " + machine.cpu + ", " + std::to_string(machine.cores) + " cores, " +
           machine.memory + "\n";
    doc += "- system: " + machine.os + ", " + machine.kernel + "\n";
    doc += "- date: " + machine.date + "\n";
    doc += "- load average (1, 5, 15 min): " + load_before + " before, " + load_after +
           " after; the run took " + Fixed(run_seconds, 0) + " s\n\n";
    doc += table.RenderMarkdown();
    doc += "\n## Start-up, step by step\n\n"
           "Medians of " + std::to_string(breakdown.runs(StartupBreakdown::Side::kInstaller)) +
           " installer and " + std::to_string(breakdown.runs(StartupBreakdown::Side::kPeer)) +
           " peer runs, started alternately; each program writes a line per step\n"
           "(`VARNIK_DEBUG=1`), placed against the time just before it was started.\n\n" +
           breakdown.RenderMarkdown();
    doc +=
        "\n## How each figure is taken\n\n"
        "- Start-up: the installer (`VARNIK_DEBUG=1`, SDL's dummy video driver, private\n"
        "  user folders, the development server on loopback) and the peer are started as\n"
        "  processes, alternately; each prints the CLOCK_MONOTONIC time at which its first\n"
        "  frame was presented, and the time before `posix_spawn` is subtracted. Peak\n"
        "  memory is the child's `ru_maxrss` after it is ended with SIGTERM right after\n"
        "  that frame.\n"
        "- Windows start-up: `varnikpdf-setup.exe` of the Windows build and a minimal\n"
        "  Win32 + GDI+ program (a 600 x 400 window, one line of text drawn in its first\n"
        "  WM_PAINT), alternately under Wine in a prefix of their own, on the private Xvfb,\n"
        "  one persistent Wine server for all runs (the first, prefix-creating run is not\n"
        "  counted). The time runs from the start of `cmake/wine-run` until the line of\n"
        "  the first frame reaches the output; peak memory is the Wine process's\n"
        "  `ru_maxrss` (the Wine server and Wine's own service processes are not counted\n"
        "  on either side). Needs a Windows build beside the Release build\n"
        "  (`VARNIK_WINDOWS_BUILD_DIR`).\n"
        "- UI stall: the real installer under Xvfb with `VARNIK_UI_STALL=1`, \"立即安装\"\n"
        "  clicked through `xdotool`; the UI pump reports the longest stretch between two\n"
        "  looks at its event queue (time asleep excluded) from the click until the\n"
        "  installation's result report reaches the development server. On a loaded\n"
        "  machine the UI thread also waits for a core, which counts as stall too; the\n"
        "  figure in brackets leaves those waits out (the thread's run-queue time from\n"
        "  `/proc/thread-self/schedstat`): the installer's own part.\n"
        "- Idle CPU: installer and peer idle on their first frame for the same seconds,\n"
        "  both on the same Xvfb display (SDL's dummy driver, which polls, only when\n"
        "  Xvfb is missing); the on-CPU time of every thread from\n"
        "  `/proc/<pid>/task/*/schedstat` (nanoseconds).\n"
        "- The other rows come from the benchmark programs in `bench/` (each run once,\n"
        "  figures via `VARNIK_BENCH_METRICS=1`); their full output follows.\n"
        "- Build + layout has no program to compare with; one frame's time is its budget.\n";
    if (!stall.trace.empty()) {
      doc +=
          "\nUI pump stall lines of this run, time after the click: longest stretch in ms"
          " (/ less the waits for a core):" +
          stall.trace + "\n";
    }
    doc += "\n## Output of the benchmark programs\n";
    for (const ProgramRun& run : programs) {
      std::string text;
      for (size_t at = 0; at < run.output.size();) {
        size_t end = run.output.find('\n', at);
        if (end == std::string::npos) end = run.output.size();
        const std::string line = run.output.substr(at, end - at);
        if (line.rfind("metric ", 0) != 0) text += line + "\n";
        at = end + 1;
      }
      doc += "\n### " + run.name + (run.ok ? "" : " (failed)") + "\n\n```\n" + text + "```\n";
    }
    std::ofstream out(options.out, std::ios::binary | std::ios::trunc);
    out << doc;
    if (!out) {
      std::fprintf(stderr, "cannot write %s\n", options.out.c_str());
      return 1;
    }
    std::printf("written to %s\n", options.out.c_str());
  }
  std::error_code ignored;
  std::filesystem::remove_all(temp, ignored);
  return 0;
}
