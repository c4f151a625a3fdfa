// Windows and dialogs that subsystems register: the frame's menus, slots and commands use
// them like its own.
#include <gtest/gtest.h>

#include <QLabel>
#include <QMdiSubWindow>

#include "app/core/CoreModule.h"
#include "app/gui/GuiRegistry.h"
#include "app/gui/ViewWindows.h"
#include "tests/gui/GuiTestHelpers.h"

namespace orvanix {
namespace {

class TCountingLabel : public QLabel, public TAnalyzerObserver {
 public:
  void BlockProcessed(double) override { ++blocks; }
  int blocks = 0;
};

class TLoggingModule : public TCoreModule {
 public:
  using TCoreModule::TCoreModule;
  std::string_view Name() const override { return "logging-probe"; }
  bool OwnsCommand(int32_t command) const override { return command == kCmdLoggingView; }
  bool Execute(int32_t) override { return ++viewed > 0; }
  int viewed = 0;
};

class GuiRegistryTest : public test::GuiFixture {};

TEST_F(GuiRegistryTest, RegisteredWindowsDialogsAndModuleCommandsRunFromTheFrame) {
  TCountingLabel* made = nullptr;
  RegisterWindow(kWindowThd, [&made](TAnalyzerCore&, TAnalyzerObserver*& observer) {
    made = new TCountingLabel;
    observer = made;
    return made;
  });
  int dialogs = 0;
  RegisterDialog(kCmdLoggingSetup, [&dialogs](QWidget* parent, TAnalyzerCore&) {
    return parent != nullptr && ++dialogs > 0;
  });
  MakeFrame();
  core_->AddModule(std::make_unique<TLoggingModule>(*core_));

  EXPECT_TRUE(frame_->CommandEnabled(kCmdThd));
  ASSERT_TRUE(frame_->RunCommand(kCmdThd));
  ASSERT_NE(made, nullptr);
  EXPECT_TRUE(core_->IsWindowOpen(kWindowThd));
  EXPECT_EQ(frame_->Windows().SubWindow(kWindowThd)->widget(), made);
  EXPECT_TRUE(core_->IsChecked(kCmdThd));

  // The window hears the analysis through its slot.
  const std::string wave = Path("tone.wav");
  test::WriteToneWave(wave, 44100, 1, 44100, {{1000.0, 0.5}});
  ASSERT_TRUE(core_->OpenWave(wave));
  ASSERT_TRUE(core_->SingleStep());
  ASSERT_TRUE(test::WaitFor([&] { return made->blocks > 0; }));

  EXPECT_TRUE(frame_->RunCommand(kCmdLoggingSetup));
  EXPECT_EQ(dialogs, 1);
  EXPECT_TRUE(frame_->CommandAvailable(kCmdLoggingView));
  EXPECT_TRUE(frame_->RunCommand(kCmdLoggingView));
  EXPECT_EQ(core_->FindModule<TLoggingModule>("logging-probe")->viewed, 1);

  ASSERT_TRUE(frame_->RunCommand(kCmdThd));  // closes it again
  EXPECT_FALSE(core_->IsWindowOpen(kWindowThd));
  RegisterWindow(kWindowThd, nullptr);
  RegisterDialog(kCmdLoggingSetup, nullptr);
}

}  // namespace
}  // namespace orvanix
