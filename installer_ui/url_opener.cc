#include "installer_ui/url_opener.h"

#include <thread>

#include "platform/product_hosts.h"
#include "platform/web_browser.h"
#include "report/event_reporter.h"

namespace installer_ui {

namespace {

bool IsTrimmed(char16_t c) { return c == u' ' || c < 0x1E; }

}  // namespace

std::u16string AgreementPageUrl() {
  return u"http://" + platform::GetAgreementHost() + kAgreementPagePath;
}

std::u16string OfflinePageUrl() {
  return u"http://" + platform::GetOfflinePageHost() + kOfflinePagePath;
}

std::u16string TrimUrl(const std::u16string& url) {
  size_t begin = 0;
  size_t end = url.size();
  while (begin < end && IsTrimmed(url[begin])) ++begin;
  while (end > begin && IsTrimmed(url[end - 1])) --end;
  return url.substr(begin, end - begin);
}

int32_t OpenUrlAndWait(const std::u16string& url) {
  return platform::OpenInWebBrowser(TrimUrl(url));
}

void OpenUrl(const std::u16string& url) {
  // The opener, and a browser started as the fallback, may take their time
  // or never end; the window must not wait for them.
  std::thread([url] { OpenUrlAndWait(url); }).detach();
}

void OpenOfflinePage() {
  report::ReportEvent(u"OnClick", report::EventData{{u"ClickSrc", u"DownloadOffline"}});
  OpenUrl(OfflinePageUrl());
}

}  // namespace installer_ui
