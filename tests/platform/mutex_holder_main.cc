// A second process for the named mutex tests on Windows: takes the mutex
// named on its command line, writes the result code as one line, and holds
// the mutex until its standard input ends.
#include <cstdio>
#include <string>

#include "base/utf.h"
#include "platform/named_mutex.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  platform::NamedMutex mutex;
  std::printf("%d\n", static_cast<int>(mutex.Create(nbase::Utf8ToUtf16(argv[1]))));
  std::fflush(stdout);
  while (std::getchar() != EOF) {
  }
  return 0;
}
