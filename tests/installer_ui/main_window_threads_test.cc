// The main window's work on thread 2 runs on copies of what it needs: the
// window's members are touched on the UI thread only.
#include <future>
#include <string>

#include "base/misc_thread.h"
#include "base/thread_ids.h"
#include "base/thread_registry.h"
#include "base/utf.h"
#include "gtest/gtest.h"
#include "installer_ui/main_window.h"
#include "tests/platform/test_support.h"
#include "tests/support/loopback_server.h"
#include "tests/support/ui_globals.h"
#include "tests/ui_backend/backend_test_support.h"
#include "ui/text/pango_text_measurer.h"

namespace installer_ui {
namespace {

using namespace std::chrono_literals;

class MainWindowThreadsTest : public ui::testing_support::SdlTest {
 protected:
  void SetUp() override {
    SdlTest::SetUp();
    varnik_test::ResetUiGlobals();
    ASSERT_TRUE(varnik_test::LoadPackedSkin(VARNIK_SKIN_ZIP, u"themes\\default", 100, &measurer_));
  }
  void TearDown() override {
    varnik_test::ResetUiGlobals();
    SdlTest::TearDown();
  }

  ui::PangoTextMeasurer measurer_;
};

// A window destroyed while its download runs is never touched by that
// download (under AddressSanitizer a write into the freed window fails the
// run); all six attempts still run, and the outcome that comes back finds
// no window and is dropped.
TEST_F(MainWindowThreadsTest, ADownloadThatOutlivesItsWindowNeverTouchesIt) {
  testsupport::LoopbackServer server;
  server.set_mode(testsupport::LoopbackServer::Mode::kStall);
  ASSERT_TRUE(server.Start());
  varnik_test::ScopedEnv pinned("VARNIK_SERVER_HOST", server.host_port().c_str());
  varnik_test::ScopedTempDir dir;
  nbase::MiscThread misc(nbase::kThreadMisc, "Global Misc Thread");
  ASSERT_TRUE(misc.Start(nbase::MessageLoop::kDefault));

  app::InstallerConfig config;
  config.package_url = nbase::Utf8ToUtf16("http://" + server.host_port() +
                                          "/caller?c=site&a=downloadPackage&coopcom=zorv");
  config.installer_file = dir.path16() + u"/DudIdiruvovoInstaller.exe";
  auto* window = new CMainWindow(config, [](uint32_t) {});
  ASSERT_TRUE(window->LoadSkin()) << nbase::Utf16ToUtf8(window->GetLastLoadError());
  ui::Control* install = window->FindControl(u"btn_startinstall");
  ASSERT_NE(install, nullptr);
  ASSERT_TRUE(install->Activate()) << "the install button did not take the click";
  ASSERT_TRUE(server.WaitForRequests(1, 30s)) << "the download did not start";
  delete window;
  // The held attempt and the five after it end at once now.
  server.set_mode(testsupport::LoopbackServer::Mode::kServe);
  server.ReleaseStalled();

  std::promise<void> after_download;
  std::future<void> done = after_download.get_future();
  ASSERT_TRUE(nbase::ThreadRegistry::PostTask(nbase::kThreadMisc,
                                              [&after_download] { after_download.set_value(); }));
  ASSERT_EQ(done.wait_for(60s), std::future_status::ready) << "thread 2 did not finish";
  EXPECT_EQ(server.RequestCount(), 6u);
}

}  // namespace
}  // namespace installer_ui
