#include "acquisition/RecordingFinisher.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <utility>

#include "files/WaveFile.h"

namespace orvanix {

TRecordingFinisher::TRecordingFinisher(TDoneHandler done) : done_(std::move(done)) {
  int fds[2];
  if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) {
    wakeRead_ = fds[0];
    wakeWrite_ = fds[1];
    if (QCoreApplication::instance()) {
      notifier_ = std::make_unique<QSocketNotifier>(wakeRead_, QSocketNotifier::Read);
      QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
        char sink[64];
        while (::read(wakeRead_, sink, sizeof sink) > 0) {
        }
        Deliver();
      });
    }
  }
  // Without a pipe or an event loop, results are announced by WaitAll only.
}

TRecordingFinisher::~TRecordingFinisher() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  if (worker_.joinable()) worker_.join();  // it saves what is still in hand first
  notifier_.reset();
  if (wakeRead_ >= 0) ::close(wakeRead_);
  if (wakeWrite_ >= 0) ::close(wakeWrite_);
}

void TRecordingFinisher::Finish(std::unique_ptr<TWaveFile> document) {
  if (!document) return;
  std::string path = document->TargetPath();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    jobs_.push_back({std::move(document), std::move(path)});
    if (!worker_.joinable()) worker_ = std::thread([this] { Run(); });
  }
  wake_.notify_all();
}

bool TRecordingFinisher::IsPending(const std::string& path) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const TJob& job : jobs_) {
    if (job.path == path) return true;
  }
  return false;
}

size_t TRecordingFinisher::Pending() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return jobs_.size() + results_.size();
}

void TRecordingFinisher::SetSaver(TSaver saver) {
  std::lock_guard<std::mutex> lock(mutex_);
  saver_ = std::move(saver);
}

void TRecordingFinisher::WaitAll() {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    idle_.wait(lock, [this] { return jobs_.empty(); });
  }
  Deliver();
}

void TRecordingFinisher::Deliver() {
  std::vector<TResult> results;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    results.swap(results_);
  }
  for (const TResult& result : results) {
    if (done_) done_(result);
  }
}

void TRecordingFinisher::Run() {
  // Whatever the document reports while it is saved and closed is kept for the main thread.
  TRecordingSink sink;
  SetThreadMessageSink(&sink);
  for (;;) {
    TJob* job = nullptr;
    TSaver saver;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [this] { return stop_ || !jobs_.empty(); });
      if (jobs_.empty()) break;
      // The front job stays queued (IsPending sees its path) until it is done; references to
      // deque elements survive the main thread's push_back.
      job = &jobs_.front();
      saver = saver_;
    }
    sink.Clear();
    TResult result;
    result.path = job->path;
    result.saved = saver ? saver(*job->document) : job->document->SaveAndRelease();
    // Closing the working file: after a failed save it is kept, and its path reported.
    job->document.reset();
    for (const TRecordingSink::Entry& entry : sink.Entries()) {
      result.messages.emplace_back(entry.text, entry.icon);
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      results_.push_back(std::move(result));
      jobs_.pop_front();
    }
    idle_.notify_all();
    if (wakeWrite_ >= 0) {
      const char byte = 1;
      [[maybe_unused]] const ssize_t written = ::write(wakeWrite_, &byte, 1);
    }
  }
  SetThreadMessageSink(nullptr);
}

}  // namespace orvanix
