// The demo product application "vidIvurodezirarod.exe": a small program that
// stands for the installed product. It prints the product's name, accepts
// "--install" (the installer starts it so after a successful installation),
// and keeps running like a desktop program until it is ended by a signal.
//
// When VARNIK_PRODUCT_APP_RECORD names a file, every start appends one line
// with its arguments separated by blanks, so tests and the demo can see how
// the application was started.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

volatile sig_atomic_t stop_requested = 0;

void OnStop(int) { stop_requested = 1; }

}  // namespace

int main(int argc, char** argv) {
  bool install = false;
  std::string line;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--install") install = true;
    if (i > 1) line += ' ';
    line += argv[i];
  }
  std::printf("VarnikPDF转换器%s\n", install ? " (first start after installation)" : "");
  std::fflush(stdout);
  if (const char* record = std::getenv("VARNIK_PRODUCT_APP_RECORD")) {
    if (FILE* file = std::fopen(record, "a")) {
      std::fprintf(file, "%s\n", line.c_str());
      std::fclose(file);
    }
  }
  struct sigaction action = {};
  action.sa_handler = OnStop;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  while (!stop_requested) pause();
  return 0;
}
