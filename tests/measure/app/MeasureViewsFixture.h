// A main window with the measurement module, its windows and the plot views, on a core with
// every registered module installed: the set-up of the segment command tests.
#pragma once

#include "app/core/CoreModule.h"
#include "app/gui/PlotViewWindows.h"
#include "measure/MeasureModule.h"
#include "measure/MeasureWindows.h"
#include "tests/gui/GuiTestHelpers.h"

namespace orvanix::test {

class MeasureViewsFixture : public GuiFixture {
 protected:
  void SetUp() override {
    GuiFixture::SetUp();
    RegisterMeasureModule();
    RegisterMeasureWindows();
    RegisterPlotViews();
    MakeFrame();
    InstallModules(*core_);
  }
};

}  // namespace orvanix::test
