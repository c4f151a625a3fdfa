// Subsystems plugged into the core: their commands, their place among the listeners,
// their say in whether spectra are computed, their settings and their headless options.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/core/CoreModule.h"
#include "app/core/Headless.h"
#include "files/Profile.h"
#include "tests/core/CoreTestSupport.h"

namespace orvanix {
namespace {

class TProbeModule : public TCoreModule {
 public:
  TProbeModule(TAnalyzerCore& core, std::vector<std::string>& log) : TCoreModule(core), log_(log) {}
  std::string_view Name() const override { return "probe"; }
  bool OwnsCommand(int32_t command) const override { return command == kCmdThd; }
  bool Execute(int32_t command) override {
    log_.push_back("execute " + std::to_string(command));
    return true;
  }
  bool IsEnabled(int32_t) const override { return enabled; }
  bool IsChecked(int32_t) const override { return true; }
  bool ConsumesSpectra() const override { return consumes; }
  void BlockProcessed(double) override { log_.push_back("probe"); }
  void LoadProgramSettings(const TProfile& program) override {
    counter = program.GetInt("Probe", "Counter", 0);
  }
  void SaveProgramSettings(TProfile& program) const override {
    program.WriteInt("Probe", "Counter", counter + 1);
  }
  std::string TakeHeadlessOption(std::string_view name, const std::string& value) override {
    if (value == "bad") return "bad value for " + std::string(name);
    log_.push_back(std::string(name) + "=" + value);
    return {};
  }

  bool enabled = true;
  bool consumes = false;
  int32_t counter = 0;

 private:
  std::vector<std::string>& log_;
};

class TNamedObserver : public TAnalyzerObserver {
 public:
  TNamedObserver(std::string name, std::vector<std::string>& log)
      : name_(std::move(name)), log_(log) {}
  void BlockProcessed(double) override { log_.push_back(name_); }

 private:
  std::string name_;
  std::vector<std::string>& log_;
};

class CoreModuleTest : public test::CoreFixture {
 protected:
  TProbeModule& AddProbe() {
    auto module = std::make_unique<TProbeModule>(*core_, log_);
    TProbeModule* probe = module.get();
    core_->AddModule(std::move(module));
    return *probe;
  }
  std::vector<std::string> log_;
};

TEST_F(CoreModuleTest, OwnedCommandsFollowTheModulesRules) {
  TProbeModule& probe = AddProbe();
  EXPECT_EQ(core_->CommandOwner(kCmdThd), &probe);
  EXPECT_EQ(core_->CommandOwner(kCmdRun), nullptr);
  EXPECT_EQ(core_->FindModule<TProbeModule>("probe"), &probe);
  EXPECT_TRUE(core_->IsChecked(kCmdThd));

  EXPECT_TRUE(core_->Execute(kCmdThd));
  probe.enabled = false;
  EXPECT_FALSE(core_->IsEnabled(kCmdThd));
  EXPECT_FALSE(core_->Execute(kCmdThd));
  EXPECT_EQ(log_, (std::vector<std::string>{"execute 195"}));
}

TEST_F(CoreModuleTest, ModulesHearBlocksAfterTheWindowsAndDecideWhetherSpectraAreMade) {
  TNamedObserver thd("thd", log_), automation("automation", log_), frame("frame", log_);
  TProbeModule& probe = AddProbe();
  core_->AddObserver(&frame, kRoleFrame);
  core_->AddObserver(&automation, kRoleAutomation);
  core_->AttachWindow(kWindowThd, &thd);
  ASSERT_TRUE(core_->OpenWave(ToneFile("a.wav", 44100)));
  ASSERT_TRUE(core_->SingleStep());
  ASSERT_TRUE(core_->WaitUntilStopped(5000));
  EXPECT_EQ(log_, (std::vector<std::string>{"thd", "probe", "automation", "frame"}));

  // Nothing but the module and the frame listens: only a consuming module gets spectra.
  core_->RemoveObserver(&thd);
  core_->RemoveObserver(&automation);
  ASSERT_TRUE(core_->Rewind());
  ASSERT_TRUE(core_->SingleStep());
  ASSERT_TRUE(core_->WaitUntilStopped(5000));
  EXPECT_EQ(core_->Engine().left->AverageCount(), 0u);
  probe.consumes = true;
  ASSERT_TRUE(core_->SingleStep());
  ASSERT_TRUE(core_->WaitUntilStopped(5000));
  EXPECT_EQ(core_->Engine().left->AverageCount(), 1u);
}

TEST_F(CoreModuleTest, ProgramSettingsAreReadWhenAddedAndWrittenAtExit) {
  TProfile program;
  program.WriteInt("Probe", "Counter", 41);
  ASSERT_TRUE(program.Save(options_.programSettingsPath));
  options_.loadProgramSettings = true;
  options_.saveProgramSettings = true;
  MakeCore();
  EXPECT_EQ(AddProbe().counter, 41);
  core_->Shutdown();

  TProfile saved;
  ASSERT_EQ(saved.Load(options_.programSettingsPath), ProfileLoad::kLoaded);
  EXPECT_EQ(saved.GetInt("Probe", "Counter", 0), 42);
}

TEST_F(CoreModuleTest, HeadlessOptionsOfRegisteredModulesAreParsedAndListed) {
  static constexpr THeadlessOption kOptions[] = {
      {"--probe-level", "DB", "probe level"},
      {"--probe-on", nullptr, "switch the probe on"},
  };
  RegisterModule({"probe", nullptr, kOptions});
  const THeadlessOptions o =
      ParseCommandLine({"--probe-on", "--probe-level", "-3", "--fft", "1024", "x.wav"});
  EXPECT_EQ(o.error, "");
  using Pair = std::pair<std::string, std::string>;
  EXPECT_EQ(o.moduleOptions, (std::vector<Pair>{{"--probe-on", ""}, {"--probe-level", "-3"}}));
  EXPECT_EQ(o.argument, "x.wav");
  EXPECT_EQ(ParseCommandLine({"--probe-level"}).error, "--probe-level needs a value");
  EXPECT_EQ(ParseCommandLine({"--probe-off"}).error, "unknown option --probe-off");
  EXPECT_NE(HeadlessUsage().find("  --probe-level DB       probe level\n"), std::string::npos);
}

TEST_F(CoreModuleTest, AnOptionalWaveFileIsTakenOnlyWhenOneFollows) {
  static constexpr THeadlessOption kOptions[] = {{"--probe-wave", "[FILE.wav]", "probe"}};
  RegisterModule({"probe-wave", nullptr, kOptions});
  using Pair = std::pair<std::string, std::string>;
  THeadlessOptions o = ParseCommandLine(
      {"--probe-wave", "take.WAV", "--probe-wave", "--fft", "1024", "--probe-wave", "setup.cfg"});
  EXPECT_EQ(o.error, "");
  EXPECT_EQ(o.moduleOptions,
            (std::vector<Pair>{
                {"--probe-wave", "take.WAV"}, {"--probe-wave", ""}, {"--probe-wave", ""}}));
  EXPECT_EQ(o.argument, "setup.cfg");
  EXPECT_EQ(ParseCommandLine({"--probe-wave"}).moduleOptions,
            (std::vector<Pair>{{"--probe-wave", ""}}));
}

}  // namespace
}  // namespace orvanix
