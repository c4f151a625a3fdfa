// Shared by the dialog tests: a QApplication on the offscreen platform (created before any
// test runs), a recording message sink, a scratch folder, and a way to answer a modal
// dialog that an entry function shows with exec().
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "engine/Messages.h"

namespace orvanix::test {

// A fresh empty folder under the system's temporary folder, removed with the object.
class TScratchFolder {
 public:
  TScratchFolder();
  ~TScratchFolder();
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Records every message for the lifetime of the object.
class TRecordedMessages {
 public:
  TRecordedMessages() : scope_(&sink_) {}
  const std::vector<TRecordingSink::Entry>& Entries() const { return sink_.Entries(); }
  // The only message so far (fails the test unless there is exactly one).
  TRecordingSink::Entry Only() const;
  void Clear() { sink_.Clear(); }

 private:
  TRecordingSink sink_;
  TScopedMessageSink scope_;
};

// Once the next modal dialog is up, calls `drive` with it (from inside its exec()). The
// driver must close the dialog (OnOk or reject). If no dialog appears the test fails and
// every visible dialog is rejected, so that exec() returns.
void WhenDialogShows(std::function<void(QDialog*)> drive);

}  // namespace orvanix::test
