#include <windows.h>

#include <atomic>

#include "platform/termination_requests.h"

namespace platform {
namespace {

std::atomic<TerminationHandler> g_handler{nullptr};

// The system runs this on a thread of its own for each console event.
BOOL WINAPI OnConsoleEvent(DWORD) {
  if (TerminationHandler handler = g_handler.load()) {
    handler();
    return TRUE;
  }
  return FALSE;
}

bool StartOnce(TerminationHandler handler) {
  g_handler = handler;
  return SetConsoleCtrlHandler(&OnConsoleEvent, TRUE) != FALSE;
}

}  // namespace

bool WatchTerminationRequests(TerminationHandler handler) {
  static const bool started = StartOnce(handler);
  return started;
}

}  // namespace platform
