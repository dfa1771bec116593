// The start-up run in this process on a thread of its own: the
// single-instance question answered through the message-box service, the
// workers and registrations it leaves behind, and the report it sends to a
// loopback server.
#include "app/main_thread.h"

#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/message_loop.h"
#include "base/thread_ids.h"
#include "base/thread_registry.h"
#include "base/utf.h"
#include "gtest/gtest.h"
#include "platform/named_mutex.h"
#include "platform/system_message_box.h"
#include "tests/platform/test_support.h"
#include "tests/support/loopback_server.h"
#include "ui/skin/resource_loader.h"

namespace app {
namespace {

using namespace std::chrono_literals;

TEST(ThemeFolderTest, BoundsAre100And132) {
  struct Case {
    int32_t dpi;
    const char16_t* folder;
  };
  const Case cases[] = {
      {72, u"themes\\default"},        {96, u"themes\\default"},
      {100, u"themes\\default"},       {101, u"themes\\default-hdpi"},
      {120, u"themes\\default-hdpi"},  {131, u"themes\\default-hdpi"},
      {132, u"themes\\default-xhdpi"}, {144, u"themes\\default-xhdpi"},
      {192, u"themes\\default-xhdpi"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MainThread::ThemeFolderForDpi(c.dpi), c.folder) << c.dpi;
  }
}

TEST(ThemeFolderTest, ScalePercentRoundsToNearest) {
  const std::pair<int32_t, int32_t> cases[] = {{96, 100},  {120, 125}, {144, 150}, {100, 104},
                                               {101, 105}, {132, 138}, {192, 200}};
  for (const auto& [dpi, percent] : cases) {
    EXPECT_EQ(MainThread::ScalePercentForDpi(dpi), percent) << dpi;
  }
}

TEST(MainThreadTextsTest, ExactTexts) {
  // Plain ASCII quotation marks, one blank after the product name in the
  // body and the title, none in the caption.
  EXPECT_EQ(nbase::Utf16ToUtf8(MainThread::SecondInstanceText()),
            "VarnikPDF转换器 安装程序已经在运行，请关闭后点击\"重试\"继续，或点击\"取消\"退出安装");
  EXPECT_EQ(nbase::Utf16ToUtf8(MainThread::SecondInstanceCaption()), "VarnikPDF转换器安装提示");
  EXPECT_EQ(nbase::Utf16ToUtf8(MainThread::MainWindowTitle()), "VarnikPDF转换器 安装程序");
}

// The message box answers from a script; each question is recorded.
struct AskedQuestion {
  std::u16string text;
  std::u16string caption;
  int32_t type;
};

std::mutex g_answer_lock;
std::vector<AskedQuestion> g_asked;
std::function<int32_t(size_t question_index)> g_answerer;

int32_t ScriptedAnswer(std::u16string_view text, std::u16string_view caption, int32_t type) {
  std::function<int32_t(size_t)> answerer;
  size_t index = 0;
  {
    std::lock_guard<std::mutex> hold(g_answer_lock);
    g_asked.push_back({std::u16string(text), std::u16string(caption), type});
    index = g_asked.size() - 1;
    answerer = g_answerer;
  }
  return answerer ? answerer(index) : platform::kAnswerNone;
}

class MainThreadStartupTest : public ::testing::Test {
 protected:
  MainThreadStartupTest()
      : home_("HOME", (dir_.path() + "/home").c_str()),
        config_("XDG_CONFIG_HOME", (dir_.path() + "/config").c_str()),
        data_("XDG_DATA_HOME", (dir_.path() + "/data").c_str()),
        cache_("XDG_CACHE_HOME", (dir_.path() + "/cache").c_str()),
        runtime_("XDG_RUNTIME_DIR", (dir_.path() + "/runtime").c_str()),
        // The DPI is read once per process; every test here uses the same.
        dpi_("VARNIK_DPI", "120"),
        server_host_("VARNIK_SERVER_HOST", nullptr) {
    mkdir((dir_.path() + "/runtime").c_str(), 0700);
    server_.routes().Post("/caller", [](const httplib::Request&, httplib::Response& response) {
      response.set_content("ok", "text/plain");
    });
  }

  void SetUp() override {
    ASSERT_TRUE(server_.Start());
    server_env_ =
        std::make_unique<varnik_test::ScopedEnv>("VARNIK_SERVER_HOST", server_.host_port().c_str());
    std::lock_guard<std::mutex> hold(g_answer_lock);
    g_asked.clear();
    platform::SetSystemMessageBoxFunction(&ScriptedAnswer);
  }

  void TearDown() override {
    platform::SetSystemMessageBoxFunction(nullptr);
    std::lock_guard<std::mutex> hold(g_answer_lock);
    g_answerer = nullptr;
  }

  void SetAnswerer(std::function<int32_t(size_t)> answerer) {
    std::lock_guard<std::mutex> hold(g_answer_lock);
    g_answerer = std::move(answerer);
  }

  std::vector<AskedQuestion> Asked() {
    std::lock_guard<std::mutex> hold(g_answer_lock);
    return g_asked;
  }

  // Runs a MainThread on its own thread; the future is ready when its UI
  // loop has ended and the object is destroyed.
  std::future<void> RunMainThread() {
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> future = done->get_future();
    std::thread([done] {
      {
        MainThread main_thread;
        main_thread.RunAsUiThread();
      }
      done->set_value();
    }).detach();
    return future;
  }

  // A hang here would block the whole run: end the program instead.
  static void WaitOrAbort(std::future<void>& future, const char* what) {
    if (future.wait_for(30s) != std::future_status::ready) {
      ADD_FAILURE() << what << " did not end";
      std::fprintf(stderr, "watchdog: %s did not end\n", what);
      std::abort();
    }
  }

  varnik_test::ScopedTempDir dir_;
  varnik_test::ScopedEnv home_, config_, data_, cache_, runtime_, dpi_, server_host_;
  testsupport::LoopbackServer server_;
  std::unique_ptr<varnik_test::ScopedEnv> server_env_;
};

TEST_F(MainThreadStartupTest, CancelEndsWithoutWorkersReportsOrSkin) {
  // Cancel, a closed box and a box that cannot be shown all give up.
  for (int32_t answer : {platform::kAnswerCancel, platform::kAnswerNone, platform::kAnswerOk}) {
    SCOPED_TRACE(answer);
    platform::NamedMutex other_installer;
    ASSERT_EQ(other_installer.Create(kSingleInstanceMutexName), 0);
    {
      std::lock_guard<std::mutex> hold(g_answer_lock);
      g_asked.clear();
    }
    SetAnswerer([answer](size_t) { return answer; });

    std::future<void> ended = RunMainThread();
    WaitOrAbort(ended, "the cancelled start-up");

    const std::vector<AskedQuestion> asked = Asked();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, MainThread::SecondInstanceText());
    EXPECT_EQ(asked[0].caption, MainThread::SecondInstanceCaption());
    EXPECT_EQ(asked[0].type, platform::kMessageBoxRetryCancel);
    for (nbase::ThreadId id : {nbase::kThreadUI, nbase::kThreadMisc, nbase::kThreadHttp}) {
      EXPECT_EQ(nbase::ThreadRegistry::GetLoopProxy(id), nullptr) << id;
    }
    EXPECT_FALSE(ui::ResourceLoader::IsGlobalPackageOpen());
    EXPECT_TRUE(other_installer.owned());
  }
  EXPECT_EQ(server_.RequestCount(), 0u);
}

TEST_F(MainThreadStartupTest, RetryAfterTheOtherEndsStartsNormally) {
  auto other_installer = std::make_shared<platform::NamedMutex>();
  ASSERT_EQ(other_installer->Create(kSingleInstanceMutexName), 0);
  // First retry while the other still runs: asked again. Then the other
  // ends, and the second retry goes through. This test program carries no
  // skin, so the start-up then tells of the layout that does not load (the
  // third box) and ends by itself.
  std::u16string theme_root;
  bool workers_registered = false;
  SetAnswerer([other_installer, &theme_root, &workers_registered](size_t index) {
    if (index == 1) other_installer->Release();
    if (index < 2) return platform::kAnswerRetry;
    theme_root = ui::ResourceLoader::GetThemeRoot();
    workers_registered = nbase::ThreadRegistry::GetLoopProxy(nbase::kThreadMisc) &&
                         nbase::ThreadRegistry::GetLoopProxy(nbase::kThreadHttp);
    return platform::kAnswerOk;
  });

  std::future<void> ended = RunMainThread();
  WaitOrAbort(ended, "the started installer");

  EXPECT_TRUE(workers_registered);
  EXPECT_EQ(theme_root, u"resources/themes/default-hdpi/");
  const std::vector<AskedQuestion> asked = Asked();
  ASSERT_EQ(asked.size(), 3u);
  EXPECT_EQ(asked[2].caption, u"Skin Loader");
  EXPECT_EQ(asked[2].text,
            u"Failed to load xml file resources/themes/default-hdpi/basic/basic.xml");
  EXPECT_EQ(asked[2].type, platform::kMessageBoxOk | platform::kMessageBoxIconError);
  for (nbase::ThreadId id : {nbase::kThreadUI, nbase::kThreadMisc, nbase::kThreadHttp}) {
    EXPECT_EQ(nbase::ThreadRegistry::GetLoopProxy(id), nullptr) << id;
  }

  const std::vector<testsupport::RecordedRequest> requests = server_.Requests();
  ASSERT_EQ(requests.size(), 1u);
  std::string envelope;
  ASSERT_TRUE(testsupport::DecodeLogBody(requests[0].body, &envelope));
  EXPECT_EQ(envelope.rfind("{\"eventId\":\"AppStart\",", 0), 0u) << envelope;
  const std::string data = ",\"data\":{\"Dpi\":\"120\",\"FirstStart\":\"true\",\"Scale\":\"125\"}}";
  ASSERT_GE(envelope.size(), data.size());
  EXPECT_EQ(envelope.substr(envelope.size() - data.size()), data);

  // The guard went with the installer.
  platform::NamedMutex next;
  EXPECT_EQ(next.Create(kSingleInstanceMutexName), 0);
}

}  // namespace
}  // namespace app
