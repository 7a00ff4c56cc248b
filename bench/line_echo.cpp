// Baseline for the ping benchmark: the plainest C++ line echo that keeps the
// daemon's framing promise (each line answered and flushed before the next is
// read), built with the same compiler and flags as the daemon.
#include <cstdio>
#include <iostream>
#include <string>

int main() {
  std::ios::sync_with_stdio(false);
  std::string line;
  while (std::getline(std::cin, line)) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
  }
  return 0;
}
