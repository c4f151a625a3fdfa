#include "automation/Macro.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "automation/AutomationTexts.h"
#include "automation/MacroTexts.h"
#include "engine/Messages.h"

namespace orvanix {

TMacroClock TMacroClock::System() {
  return {[] {
            return static_cast<int64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                            std::chrono::steady_clock::now().time_since_epoch())
                                            .count());
          },
          [] { return std::time(nullptr); }};
}

TMacro::TMacro(TMacroServer& server, TMacroClock clock)
    : server_(server), clock_(std::move(clock)) {}

TMacro::~TMacro() {
  CloseOutput();
}

void TMacro::SetText(const std::string& text) {
  // The text of a running macro does not change under it.
  Stop();
  lines_.clear();
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines_.push_back(line);
  labels_ = BuildMacroLabels(lines_);
}

bool TMacro::Load(const std::string& path, std::string& error) {
  Stop();
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = Format(kMacroOpenFailed, path.c_str());
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  SetText(text.str());
  return true;
}

std::string TMacro::DefaultOutputPath() const {
  return defaultOutput_.empty() ? folder_ + "/" + kMacroDefaultOutput : defaultOutput_;
}

void TMacro::Run() {
  if (running_) return;
  labels_ = BuildMacroLabels(lines_);
  count_ = static_cast<int32_t>(lines_.size());
  current_ = 0;
  CloseOutput();
  outputPath_ = DefaultOutputPath();
  loopCount_ = loopCounter_ = loopLine_ = 0;
  waiting_ = false;
  top_ = -1;
  error_.clear();
  running_ = true;
  if (overwrite_) std::remove(outputPath_.c_str());
  if (onStatusChanged) onStatusChanged();
}

void TMacro::Stop() {
  if (!running_) return;
  running_ = false;
  waiting_ = false;
  CloseOutput();
  if (onStatusChanged) onStatusChanged();
}

std::string TMacro::TakeError() {
  std::string error = std::move(error_);
  error_.clear();
  return error;
}

bool TMacro::Step() {
  if (!running_) return false;
  if (current_ >= count_ || current_ < 0 || static_cast<size_t>(current_) >= lines_.size()) {
    Stop();
    return false;
  }
  Execute(ParseMacroLine(lines_[static_cast<size_t>(current_)]));
  return running_;
}

void TMacro::Fail(const char* format, const std::string& line) {
  error_ = Format(format, line.c_str(), current_);
  Stop();
}

std::tm TMacro::Local() const {
  const std::time_t now = clock_.now();
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}

int32_t TMacro::ClockHhmm() const {
  const std::tm local = Local();
  return local.tm_hour * 100 + local.tm_min;
}

bool TMacro::Write(const std::string& text) {
  if (!output_) {
    output_ = std::fopen(outputPath_.c_str(), "a");
    if (!output_) return false;
  }
  std::fputs(text.c_str(), output_);
  std::fputc('\n', output_);
  // Written through, line by line: the file holds every line even if the program is killed.
  std::fflush(output_);
  return true;
}

void TMacro::CloseOutput() {
  if (!output_) return;
  std::fclose(output_);
  output_ = nullptr;
  if (onOutputClosed) onOutputClosed(outputPath_);
}

void TMacro::Execute(const TMacroStatement& s) {
  switch (s.kind) {
    case MacroLine::End:
      Stop();
      return;
    case MacroLine::Return:
      if (top_ >= 0) {
        const int32_t line = stack_[static_cast<size_t>(top_)];
        --top_;
        current_ = line <= count_ ? line : current_ + 1;
      } else {
        ++current_;
      }
      return;
    case MacroLine::Output: {
      const std::optional<int32_t> item = server_.FindItem(s.argument);
      if (!item) return Fail(kMacroUnknownItem, s.prepared);
      Write(server_.ItemText(*item));
      ++current_;
      return;
    }
    case MacroLine::OutputComment:
      Write(ExpandAutoDateTime(s.argument, Local()));
      ++current_;
      return;
    case MacroLine::SetOutputFile: {
      std::string name = ExpandAutoDateTime(s.argument, Local());
      CloseOutput();
      // A bare name goes into the macro folder; a path (absolute, or with a drive) stays.
      if (name.size() > 3 && name[1] != ':' && name[0] != '/') name = folder_ + "/" + name;
      outputPath_ = name;
      if (overwrite_) std::remove(outputPath_.c_str());
      ++current_;
      return;
    }
    case MacroLine::Send:
      if (!server_.Execute(ExpandAutoDateTime(s.argument, Local()))) {
        return Fail(kMacroExecuteRefused, s.prepared);
      }
      ++current_;
      return;
    case MacroLine::GoTo: {
      const std::optional<int32_t> line = labels_.Find(s.argument);
      if (!line) {
        ++current_;
        return;
      }
      top_ = top_ + 1 >= kMacroReturnDepth ? 0 : top_ + 1;
      stack_[static_cast<size_t>(top_)] = current_ + 1;
      current_ = std::min(*line, count_ - 1);
      return;
    }
    case MacroLine::Loop:
      if (SameName(s.prepared, "LoopEnd")) {
        if (loopCounter_ < loopCount_) {
          ++loopCounter_;
          current_ = loopLine_ + 1;
        } else {
          loopCount_ = loopCounter_ = loopLine_ = 0;
          ++current_;
        }
      } else {
        if (s.prepared.size() > 4 && s.prepared[4] == ' ') {
          loopCount_ = std::atoi(s.argument.c_str());
          loopCounter_ = 1;
          loopLine_ = current_;
        }
        ++current_;
      }
      return;
    case MacroLine::Wait:
      Wait(s);
      return;
    case MacroLine::Label:
    case MacroLine::Comment:
    case MacroLine::Empty:
      ++current_;
      return;
    case MacroLine::Unrecognized:
      Fail(kMacroUnrecognized, s.prepared);
      return;
  }
}

void TMacro::Wait(const TMacroStatement& s) {
  auto done = [this] {
    waiting_ = false;
    ++current_;
  };
  switch (WaitKind(s.prepared)) {
    case MacroWait::Seconds: {
      const int64_t now = clock_.tickMsec();
      if (!waiting_) {
        endTick_ = now + static_cast<int64_t>(std::atof(s.argument.c_str()) * 1000.0);
        waiting_ = true;
      } else if (now >= endTick_) {
        done();
      }
      return;
    }
    case MacroWait::Clock:
    case MacroWait::TopOfHour: {
      const int32_t now = ClockHhmm();
      if (!waiting_) {
        if (WaitKind(s.prepared) == MacroWait::Clock) {
          target_ = std::atoi(s.argument.c_str());
        } else {
          target_ = (now / 100) * 100 + 100;
          if (target_ > 2300) target_ = 0;
        }
        start_ = now;
        wrap_ = target_ < start_;
        waiting_ = true;
        return;
      }
      if (now < start_) wrap_ = false;
      if (target_ <= 1 && now < 2) wrap_ = false;
      if (!wrap_ && now >= target_) done();
      return;
    }
    case MacroWait::Date: {
      if (!waiting_) {
        const std::optional<std::time_t> target = ParseWaitDate(s.argument);
        if (!target) return Fail(kMacroUnrecognized, s.prepared);
        targetDate_ = *target;
        waiting_ = true;
        return;
      }
      if (clock_.now() >= targetDate_) done();
      return;
    }
    case MacroWait::Forever:
      waiting_ = true;
      return;
  }
}

}  // namespace orvanix
