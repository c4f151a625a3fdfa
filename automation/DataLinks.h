// TDataLinks: the analyzer as a client of another program's automation server. A plain link
// takes a hot advise link's data as samples (as a poke); a multi-link of the external
// acquisition program (`Morvik-Base`, service `ZAVO`) takes an RPM item and one or two
// channel items that deliver spectra as text, configures the analyzer to match, and keeps
// every spectrum of an order-tracking test as an RPM trace.
//
// Every link conversation takes one of the automation server's 20 conversation slots while
// it is open. A server that goes, sends what cannot be read or more than a client takes ends
// its link with a message; the analyzer and every other client go on. Main thread only;
// nothing here waits inside an event handler, and messages are shown from the event loop.
#pragma once

#include <QObject>
#include <QPointer>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/core/ComputedSeries.h"
#include "automation/LinkConversation.h"
#include "automation/LinkText.h"
#include "automation/RpmTraces.h"

namespace orvanix {

class TAnalyzerCore;
class TAutomationServer;

class TDataLinks : public QObject, public TSliceSource {
 public:
  // Plain link data go to `samples` (the automation poke: "processed", "busy", or an error
  // text in its second argument).
  using TSampleSink = std::function<std::string_view(std::string_view text, std::string& error)>;

  TDataLinks(TAnalyzerCore& core, TAutomationServer& server, TSampleSink samples);
  ~TDataLinks() override;

  // Paste Link with what the clipboard held: the "Link" format's three strings and its text.
  // Only in Real-Time mode (false otherwise); stops a running analyzer, ends the links there
  // were, and connects. The outcome comes later: Active(), or a message. A plain link to our
  // own automation service (the spectrum view's "Copy as Text" offers one) is refused with a
  // message and changes nothing: its data would come back as our input without end.
  bool PasteLink(const TLinkAddress& link, const std::string& clipboardText);
  // Ends every link (the traces stay for the views).
  void Disconnect();

  enum class Phase { Idle, Connecting, Active };
  Phase State() const { return phase_; }
  bool Active() const { return phase_ == Phase::Active; }
  bool Multi() const { return multi_; }
  const TMultiLink& Configuration() const { return config_; }
  bool FrequencyData() const { return frequencyData_; }
  bool OrderTracking() const { return orderTracking_; }
  const TRpmSweep& Sweep() const { return sweep_; }
  double LastRpm() const { return lastRpm_; }
  const TLinkedBlock& Block() const { return block_; }
  const std::string& XLabel() const { return xLabel_; }
  const std::string& XUnits() const { return xUnits_; }
  const std::string& YLabel() const { return yLabel_; }
  const std::string& YUnits() const { return yUnits_; }
  const TRpmTraces& Traces() const { return traces_; }
  // Advise data that came while the analyzer was busy (running, or not in Real-Time mode)
  // and were dropped.
  uint64_t BusyDrops() const { return busyDrops_; }
  // Sets of spectra taken (each shown once).
  uint64_t SetsTaken() const { return setsTaken_; }

  // Called once a set of spectra has been shown (the RPM track's redraw).
  void OnSetTaken(std::function<void()> handler) { onSetTaken_ = std::move(handler); }

  // ---- the traces, for the views ----
  // Loads the trace nearest `rpm` into the left (and in two-channel mode the right)
  // spectrum and tells every view; false when there is no trace or the analyzer is busy.
  bool ShowNearestTrace(double rpm);
  // The RPM track at `frequencyHz` (remembered as the last requested frequency).
  bool BuildTrack(double frequencyHz, TRpmTrack& track);
  double LastTrackFrequency() const { return trackFrequency_; }
  // "rpm = %f, trace = %d" of the trace shown last (diagnostics).
  const std::string& LastShown() const { return lastShown_; }
  // The RPM track at `frequencyHz` as the time series the core shows (the view opened when
  // it is closed and the GUI can; an open one stays where it is); false without traces.
  bool ShowRpmTrack(double frequencyHz);
  // The time a linked spectrum of order tracking is stamped with: RPM / 1000 s.
  static double TraceTime(double rpm);
  // ---- TSliceSource (while an order-tracking link has supplied traces) ----
  void RedisplaySlices(int32_t windowKind) override;
  void ShowAtTime(int32_t windowKind, double timeSecs) override;
  // In order tracking: the RPM track at the clicked frequency, remembered for the sets to
  // come.
  void ShowAtFrequency(double frequencyHz) override;
  // Loads trace `index` into `left` and `right` (either may be null); false beyond the count.
  bool LoadTrace(size_t index, class TSpectralData* left, class TSpectralData* right) const;

 private:
  struct TLink {
    QPointer<TLinkConversation> conversation;
    bool slot = false;  // holds one of the server's conversation slots
  };

  // Whether `service` is found where our own server listens.
  bool LinksToItself(const std::string& service) const;
  // Opens a conversation holding a slot and asks for the item's hot link; `done(error)`
  // with an empty error when linked, else the message to show.
  void Connect(int index, const TLinkAddress& address, std::function<void(std::string)> done);
  void ConnectMulti(int index);
  void ReadProperties(size_t next);
  void ReadOrderTracking();
  void Finish();
  void Fail(const std::string& message);
  void Close(TLink& link);
  void Ended(int index, TLinkConversation::End end);
  void Report(const std::string& text);
  // ---- advise data (DataLinkData.cpp) ----
  void AdviseData(int index, const std::string& text);
  void SpectrumData(int channel, const std::string& text);
  bool Busy() const;
  void ConfigureAnalyzer();
  // A set of spectra was shown: the RPM track follows.
  void SetTaken();

  TAnalyzerCore& core_;
  TAutomationServer& server_;
  TSampleSink samples_;
  std::array<TLink, 3> links_;
  // The conversations of the order-tracking questions (service ZAVO), open only meanwhile.
  std::array<TLink, 2> helpers_;
  Phase phase_ = Phase::Idle;
  bool multi_ = false;
  TLinkAddress plain_;
  TMultiLink config_;
  bool frequencyData_ = false;
  bool orderTracking_ = false;
  TRpmSweep sweep_;
  double lastRpm_ = 0;
  TLinkedBlock block_;
  std::array<double, 2> properties_{};  // points, rate
  std::string xLabel_, xUnits_, yLabel_, yUnits_;
  TRpmTraces traces_;
  double trackFrequency_ = 0;
  std::string lastShown_;
  double linkTimeSecs_ = 0;
  uint64_t busyDrops_ = 0;
  uint64_t setsTaken_ = 0;
  // Bumped by every new Paste Link and Disconnect: callbacks of an older attempt see it
  // changed and do nothing.
  uint64_t attempt_ = 0;
  std::function<void()> onSetTaken_;
};

}  // namespace orvanix
