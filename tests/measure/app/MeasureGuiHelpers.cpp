// The frame tests' fixture (an offscreen QApplication, a scratch settings file, a frame on
// a fresh core), shared with tests/gui rather than copied.
#include "tests/gui/GuiTestHelpers.cpp"
