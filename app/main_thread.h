// MainThread: the installer's UI thread and its start-up. The process entry
// runs it on the process's initial thread (RunAsUiThread); its Init takes
// the single-instance guard, registers the UI thread as 0, starts the two
// workers ("Global Misc Thread" 2, "http Thread" 6), fills the report
// properties, picks the theme by DPI, opens the embedded skin, starts the UI
// framework, reports "AppStart" and brings up the main window, in that order.
//
// Promises: while another installer holds the guard the user is asked to
// retry or cancel ("重试" / "取消"); a cancel (or a question that cannot be
// shown) ends the UI loop at once without starting a worker, reporting,
// opening the skin or showing a window, and Cleanup then undoes only what was
// done. A main window that cannot be shown (a layout that does not load, a
// window system that refuses the window) is told through the system message
// box and ends the UI loop the same orderly way, so the process ends and
// lets go of the guard. The destructor stops "http Thread" first and
// "Global Misc Thread" second. The normal end of the installer is not here: closing the main
// window ends the process (see exit_process.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/framework_thread.h"
#include "base/misc_thread.h"
#include "platform/named_mutex.h"

namespace app {

inline constexpr char16_t kSingleInstanceMutexName[] = u"zorvPackageInstalled";
inline constexpr char16_t kResourceRoot[] = u"resources\\";
inline constexpr char16_t kLanguageFolder[] = u"lang\\zh_CN";
inline constexpr char16_t kThemeDefault[] = u"themes\\default";
inline constexpr char16_t kThemeHdpi[] = u"themes\\default-hdpi";
inline constexpr char16_t kThemeXhdpi[] = u"themes\\default-xhdpi";

class MainThread : public nbase::FrameworkThread {
 public:
  MainThread();
  ~MainThread() override;
  MainThread(const MainThread&) = delete;
  MainThread& operator=(const MainThread&) = delete;

  // Start-up, the UI loop, and the orderly shutdown, on the calling thread.
  // Returns when the loop has ended.
  void RunAsUiThread();

  // The skin variant for a system DPI: up to 100 the default, 101 to 131
  // "-hdpi", 132 and more "-xhdpi".
  static std::u16string ThemeFolderForDpi(int32_t dpi);
  // The framework's scale percent for a DPI: dpi x 100 / 96, rounded.
  static int32_t ScalePercentForDpi(int32_t dpi);

  // The texts of the second-instance question and of the main window.
  static std::u16string SecondInstanceText();
  static std::u16string SecondInstanceCaption();
  static std::u16string MainWindowTitle();

  // True once Init got past the single-instance guard (UI thread).
  bool passed_single_instance() const { return passed_single_instance_; }

 protected:
  void Init() override;
  void Cleanup() override;

 private:
  // Takes the guard, asking while another installer holds it. False when
  // the user gave up.
  bool AcquireSingleInstance();
  static std::unique_ptr<nbase::MiscThread> StartWorker(nbase::ThreadId id, const char* name);
  // Hands the resource root, theme and language folders to the framework,
  // reads the global style sheet and language strings, and fixes the scale.
  void StartUiFramework(const std::u16string& theme_folder, int32_t dpi);

  // Held for the life of the process; the system lets go of it at the end.
  platform::NamedMutex instance_mutex_;
  std::unique_ptr<nbase::MiscThread> misc_thread_;
  std::unique_ptr<nbase::MiscThread> http_thread_;
  bool passed_single_instance_ = false;
  bool registered_ui_thread_ = false;
  bool ui_framework_started_ = false;
};

}  // namespace app
