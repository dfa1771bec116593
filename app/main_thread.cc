#include "app/main_thread.h"

#include <memory>
#include <utility>

#include "app/exit_process.h"
#include "app/main_window_launch.h"
#include "base/message_loop.h"
#include "base/string_util.h"
#include "base/thread_ids.h"
#include "base/thread_registry.h"
#include "base/utf.h"
#include "base/waitable_event.h"
#include "platform/debug_output.h"
#include "platform/embedded_resources.h"
#include "platform/error_codes.h"
#include "platform/product_identity.h"
#include "platform/system_dpi.h"
#include "platform/system_message_box.h"
#include "report/event_reporter.h"
#include "ui/core/dpi_scale.h"
#include "ui/core/global_manager.h"
#include "ui/core/window_builder.h"
#include "ui/skin/resource_loader.h"

namespace app {

namespace {

void Trace(const std::u16string& text) { platform::DebugOutput(text + u"\n"); }

// The longest the report thread waits for the main window's first frame.
constexpr int64_t kReportHoldMs = 3000;

}  // namespace

MainThread::MainThread() : nbase::FrameworkThread("MainThread") {}

MainThread::~MainThread() {
  // Each reset stops its thread and joins it; the report thread goes first.
  http_thread_.reset();
  misc_thread_.reset();
}

void MainThread::RunAsUiThread() { RunOnCurrentThread(nbase::MessageLoop::kUI); }

std::u16string MainThread::ThemeFolderForDpi(int32_t dpi) {
  if (dpi <= 100) return kThemeDefault;
  if (dpi < 132) return kThemeHdpi;
  return kThemeXhdpi;
}

int32_t MainThread::ScalePercentForDpi(int32_t dpi) { return ui::DpiScale::MulDiv(dpi, 100, 96); }

std::u16string MainThread::SecondInstanceText() {
  return nbase::FormatText(
      u"%s 安装程序已经在运行，请关闭后点击\"重试\"继续，或点击\"取消\"退出安装",
      {platform::kProductDisplayName});
}

std::u16string MainThread::SecondInstanceCaption() {
  return nbase::FormatText(u"%s安装提示", {platform::kProductDisplayName});
}

std::u16string MainThread::MainWindowTitle() {
  return nbase::FormatText(u"%s 安装程序", {platform::kProductDisplayName});
}

bool MainThread::AcquireSingleInstance() {
  while (true) {
    // Anything but success (held elsewhere, or no lock file possible) counts
    // as another installer running.
    if (instance_mutex_.Create(kSingleInstanceMutexName) == platform::kErrorSuccess) return true;
    const int32_t answer = platform::ShowSystemMessageBox(
        SecondInstanceText(), SecondInstanceCaption(), platform::kMessageBoxRetryCancel);
    Trace(u"second instance: answer " + nbase::FormatText(u"%d", {answer}));
    // A question that could not be shown ends like a cancel: asking again
    // without anyone to answer would spin forever.
    if (answer != platform::kAnswerRetry) return false;
  }
}

std::unique_ptr<nbase::MiscThread> MainThread::StartWorker(nbase::ThreadId id, const char* name) {
  auto thread = std::make_unique<nbase::MiscThread>(id, name);
  // Start waits until the thread's Init has registered it. A thread the
  // system refuses stays without a loop; posts to its identifier are dropped.
  if (!thread->Start(nbase::MessageLoop::kDefault)) {
    Trace(u"worker did not start: " + nbase::Utf8ToUtf16(name));
  }
  return thread;
}

void MainThread::StartUiFramework(const std::u16string& theme_folder, int32_t dpi) {
  ui::ResourceLoader::SetResourceRoot(kResourceRoot);
  ui::ResourceLoader::SetThemeFolder(theme_folder);
  ui::ResourceLoader::SetLanguageFolder(kLanguageFolder);
  ui::GlobalManager::SetCustomControlCreator(nullptr);
  // Our windows always draw at the system DPI themselves, so the process is
  // DPI-aware by construction and scaling is always on.
  ui::DpiScale::Set(ScalePercentForDpi(dpi), true);
  if (!ui::WindowBuilder::LoadGlobalStyle()) Trace(u"global style sheet not loaded");
  if (!ui::ResourceLoader::LoadLanguage()) Trace(u"language strings not loaded");
  ui_framework_started_ = true;
}

void MainThread::Init() {
  if (!AcquireSingleInstance()) {
    // Ends the loop before it runs anything; Cleanup follows.
    nbase::MessageLoop::current()->QuitWhenIdle();
    return;
  }
  passed_single_instance_ = true;
  registered_ui_thread_ = nbase::ThreadRegistry::RegisterThread(nbase::kThreadUI);

  misc_thread_ = StartWorker(nbase::kThreadMisc, "Global Misc Thread");
  http_thread_ = StartWorker(nbase::kThreadHttp, "http Thread");

  report::GatherReportProperties();
  platform::DebugTimeMark("startup report properties");

  const int32_t dpi = platform::GetSystemDpi();
  const std::u16string theme_folder = ThemeFolderForDpi(dpi);
  Trace(u"system dpi " + nbase::FormatText(u"%d", {dpi}) + u", theme folder " + theme_folder);

  // A missing resource or an archive that does not open leaves no package;
  // the framework then reads the same paths from the file system.
  std::string package;
  if (platform::LoadEmbeddedResource(platform::kThemeResourceType, platform::kThemeResourceId,
                                     &package)) {
    if (ui::ResourceLoader::IsGlobalPackageOpen()) ui::ResourceLoader::CloseGlobalPackage();
    if (!ui::ResourceLoader::OpenGlobalPackage(std::move(package))) {
      Trace(u"skin package does not open");
    }
  } else {
    Trace(u"no skin package in the executable");
  }
  platform::DebugTimeMark("startup skin opened");

  StartUiFramework(theme_folder, dpi);
  platform::DebugTimeMark("startup style and strings");

  // Reports wait for the window's first frame: the first one loads the HTTP
  // library (libcurl and some twenty libraries behind it), which would take
  // a core from the window's start on a machine of two. The hold is bounded,
  // so a start-up that stalls never keeps the reports back for long.
  auto window_shown = std::make_shared<nbase::WaitableEvent>();
  nbase::ThreadRegistry::PostTask(nbase::kThreadHttp, [window_shown] {
    window_shown->TimedWait(kReportHoldMs);
  });
  report::ReportAppStart(report::DisplayMetrics{dpi, ui::DpiScale::Percent()});

  if (!CreateAndShowMainWindow(MainWindowTitle(), &ExitProcessAfterFlush)) {
    // Never a process without a window: it would hold the single-instance
    // guard for ever. The loop ends, Cleanup and the workers' stop follow,
    // and the process ends with exit code 0, letting go of the guard.
    nbase::MessageLoop::current()->QuitWhenIdle();
  }
  window_shown->Signal();
}

void MainThread::Cleanup() {
  // Each step undoes only what Init did, so the cancel path is harmless.
  if (ui::ResourceLoader::IsGlobalPackageOpen()) ui::ResourceLoader::CloseGlobalPackage();
  if (ui_framework_started_) {
    ui::GlobalManager::Reset();
    ui_framework_started_ = false;
  }
  if (nbase::ThreadLocalRecord* record = CurrentRecord()) record->quit_properly = true;
  if (registered_ui_thread_) {
    nbase::ThreadRegistry::UnregisterThread();
    registered_ui_thread_ = false;
  }
}

}  // namespace app
