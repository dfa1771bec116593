// Opening the product's web pages in the user's browser: the agreement page
// and the offline-package page, whose hosts are fixed when the installer is
// built (platform/product_hosts.h; VARNIK_SERVER_HOST points them at a
// loopback server for tests and the demo).
//
// Promises: the address is handed to the system's browser opener
// (platform/web_browser.h) without a shell, so no character of it has a
// meaning to a shell; a fallback is tried only when the first way fails. A
// second failure is silent. The caller never waits for the browser.
#pragma once

#include <cstdint>
#include <string>

namespace installer_ui {

inline constexpr char16_t kAgreementPagePath[] = u"/privacy/p1.html";
inline constexpr char16_t kOfflinePagePath[] = u"/offline/pdf.html";

// "http://" + the agreement host + kAgreementPagePath.
std::u16string AgreementPageUrl();
// "http://" + the offline-page host + kOfflinePagePath.
std::u16string OfflinePageUrl();

// `url` without the blanks (U+0020) and control characters below U+001E at
// its start and its end.
std::u16string TrimUrl(const std::u16string& url);

// Opens the trimmed address on a thread of its own; returns at once.
void OpenUrl(const std::u16string& url);

// The same, waiting on the calling thread for the opener's answer (see
// platform::OpenInWebBrowser).
int32_t OpenUrlAndWait(const std::u16string& url);

// Reports "OnClick" with "ClickSrc" = "DownloadOffline", then opens the
// offline-package page. Touches no window.
void OpenOfflinePage();

}  // namespace installer_ui
