// Placeholder until the spectrum engine lands.
#include <cstdio>
int main() {
  std::puts("Orvanix engine demo");
  return 0;
}
