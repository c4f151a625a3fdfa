// Finishes disk recordings that reached their size limit, away from the capture path.
//
// Saving a finished recording flushes it to the disk and renames it into place, or copies it
// whole when the temporary folder lies on another file system: seconds for a 2 GB file. Done
// on the main thread, that would starve the sound input of buffers at every file boundary. So
// the run loop names the finished document, hands it over here and goes on recording into the
// next file at once; a worker thread saves and releases it, and the main thread hears about
// the result afterwards.
//
// Threads: every member function is for the main thread. The worker touches only the documents
// handed to it (the main thread never does again) and reports through a sink of its own; what
// it said reaches the main thread with the result.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/Messages.h"

class QSocketNotifier;

namespace orvanix {

class TWaveFile;

class TRecordingFinisher {
 public:
  struct TResult {
    std::string path;  // where the recording was to be saved
    bool saved = false;
    // What saving (or releasing the working file) reported, in order.
    std::vector<std::pair<std::string, MessageIcon>> messages;
  };
  // Called on the main thread, from its event loop or from WaitAll, once per handed-over
  // document, in the order they were handed over.
  using TDoneHandler = std::function<void(const TResult&)>;
  // Saves a document; the default is TWaveFile::SaveAndRelease. Runs on the worker thread.
  using TSaver = std::function<bool(TWaveFile&)>;

  explicit TRecordingFinisher(TDoneHandler done);
  // Saves whatever is still in hand before the worker ends (results are then dropped: call
  // WaitAll first to hear them).
  ~TRecordingFinisher();
  TRecordingFinisher(const TRecordingFinisher&) = delete;
  TRecordingFinisher& operator=(const TRecordingFinisher&) = delete;

  // Hands over a finished document whose target path is set; it will be saved there.
  void Finish(std::unique_ptr<TWaveFile> document);
  // Whether a save to `path` is still to be done (so that a new name does not collide with a
  // file that does not exist yet).
  bool IsPending(const std::string& path) const;
  // Documents handed over and not yet announced.
  size_t Pending() const;
  // Waits until every handed-over document is saved, then announces the results.
  void WaitAll();
  // Replaces the save (tests slow it down to show that capture does not wait for it).
  void SetSaver(TSaver saver);

 private:
  struct TJob {
    std::unique_ptr<TWaveFile> document;
    std::string path;
  };
  void Run();
  void Deliver();

  TDoneHandler done_;
  // The worker wakes the main thread through a pipe (one byte per result), read by a notifier
  // of the main thread's event loop.
  int wakeRead_ = -1;
  int wakeWrite_ = -1;
  std::unique_ptr<QSocketNotifier> notifier_;

  mutable std::mutex mutex_;
  std::condition_variable wake_;  // a job arrived, or stop
  std::condition_variable idle_;  // a job finished
  std::deque<TJob> jobs_;         // the front one is being saved
  std::vector<TResult> results_;  // finished, not yet announced
  TSaver saver_;
  bool stop_ = false;
  std::thread worker_;
};

}  // namespace orvanix
