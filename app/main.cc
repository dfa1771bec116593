// Process entry of the installer. The start-up sequence grows here layer by
// layer; the exit code is always 0.
#include <cstdio>

int main() {
  std::puts("VarnikPDF转换器 安装程序: the installer window arrives with the UI layers.");
  return 0;
}
