// What the devices lost during a run: told when it happens, in the status and in a report
// that waits for the step to return, and once more at the end if more was lost since.
#include "acquisition/ReportQueue.h"
#include "acquisition/RunLoop.h"
#include "engine/Messages.h"

namespace orvanix {

namespace {
// Reports of the same kind still waiting to be shown take the newer count instead of
// queueing a second box.
constexpr const char* kOverrunReport = "overruns";
constexpr const char* kUnderrunReport = "underruns";
}  // namespace

std::string TRunLoop::OverrunText() const {
  // Plain Real-Time analysis records nothing: what the loss affects there is the analysis.
  const char* meaning = kMsgOverrunsAnalysis;
  if (state_ == kStateRecording) {
    meaning = kMsgOverrunsRecording;
  } else if (historyRingFrames_ > 0) {
    meaning = kMsgOverrunsHistory;
  }
  return Format(kMsgOverruns, static_cast<unsigned long long>(OverrunCount()),
                static_cast<unsigned long long>(DroppedFrames()), meaning);
}

void TRunLoop::NoteDeviceLosses() {
  const uint64_t overruns = OverrunCount();
  const uint64_t underruns = UnderrunCount();
  if (overruns == toldOverruns_ && underruns == toldUnderruns_) return;
  if (overruns != toldOverruns_) {
    toldOverruns_ = overruns;
    TReportQueue::Instance().Post(OverrunText(), MessageIcon::Warning, kOverrunReport);
  }
  if (underruns != toldUnderruns_) {
    toldUnderruns_ = underruns;
    TReportQueue::Instance().Post(Format(kMsgUnderruns, static_cast<unsigned long long>(underruns),
                                         static_cast<unsigned long long>(SilenceFrames())),
                                  MessageIcon::Warning, kUnderrunReport);
  }
  host_.StatusChanged();
}

}  // namespace orvanix
