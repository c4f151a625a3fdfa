// tessiva: the Orvanix program. Without a display, or when asked with --headless, the
// analyzer core runs without windows (app/core/Headless.cpp).
#include "app/core/Headless.h"

int main(int argc, char** argv) {
  return orvanix::RunHeadless(argc, argv);
}
