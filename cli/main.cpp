#include <cstdio>

// Placeholder until the command set lands: prints what the model library holds.
int main() {
  std::printf("zarvelctl: the Varnok Z7Q3RGB configuration tool\n");
  return 0;
}
