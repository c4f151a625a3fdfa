// Reports that must wait until the code that raised them has returned.
//
// A message box runs an event loop of its own. Shown from the run loop's step, a buffers-done
// handler or a device notice, that loop would deliver the next buffers-done notice or timer
// tick into the very code that is halfway through writing a recording, which then runs again
// from a stale frame count. So that code never reports directly: it posts the report here, and
// the queue shows it from the main event loop once that code has returned. Questions cannot
// wait; nothing that an event can re-enter asks one.
//
// Main thread only.
#pragma once

#include <cstddef>
#include <deque>
#include <string>

#include "engine/Messages.h"

namespace orvanix {

class TReportQueue {
 public:
  static TReportQueue& Instance();

  // Queues a report and arranges for it to be shown from the event loop. Reports with the
  // same non-empty `key` coalesce: one still waiting to be shown takes the newer text instead
  // of a second box piling up behind it (a running count, say). Without a QCoreApplication
  // the report is shown at once.
  void Post(std::string text, MessageIcon icon, std::string key = {},
            std::string caption = kProgramTitle);
  // Shows every waiting report now, in the order posted. A nested call (from a message box's
  // own event loop) returns at once and the outer call goes on with the rest; so does a call
  // made while a TDeferredReports is alive, and the reports wait until it is gone.
  void Flush();
  size_t Pending() const { return items_.size(); }

 private:
  friend class TDeferredReports;
  TReportQueue() = default;
  void Schedule();
  void BeginDeferring() { ++deferring_; }
  void EndDeferring();

  struct TItem {
    std::string text;
    MessageIcon icon;
    std::string key;
    std::string caption;
  };
  std::deque<TItem> items_;
  bool scheduled_ = false;
  bool flushing_ = false;
  int deferring_ = 0;
};

// While alive, what the calling thread reports through Messages() waits in TReportQueue
// instead of being shown, and questions take their default answer. The run loop's step and
// buffers-done handler hold one, so that whatever they call (the wave document, the engine)
// cannot open a message box inside them either.
class TDeferredReports : public TMessageSink {
 public:
  TDeferredReports();
  ~TDeferredReports() override;
  TDeferredReports(const TDeferredReports&) = delete;
  TDeferredReports& operator=(const TDeferredReports&) = delete;

  void Report(std::string_view text, std::string_view caption, MessageIcon icon) override;
  MessageAnswer Ask(std::string_view text, std::string_view caption, MessageButtons buttons,
                    MessageAnswer defaultAnswer, MessageIcon icon) override;

 private:
  TMessageSink* previous_;
};

}  // namespace orvanix
