#include "acquisition/ReportQueue.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <utility>

namespace orvanix {

TReportQueue& TReportQueue::Instance() {
  static TReportQueue queue;
  return queue;
}

void TReportQueue::Post(std::string text, MessageIcon icon, std::string key, std::string caption) {
  if (!key.empty()) {
    for (TItem& item : items_) {
      if (item.key == key) {
        item.text = std::move(text);
        item.icon = icon;
        return;
      }
    }
  }
  items_.push_back({std::move(text), icon, std::move(key), std::move(caption)});
  Schedule();
}

void TReportQueue::Schedule() {
  if (scheduled_ || deferring_ > 0 || items_.empty()) return;
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) {
    Flush();  // no event loop to wait for
    return;
  }
  scheduled_ = true;
  QMetaObject::invokeMethod(
      app, [this] { Flush(); }, Qt::QueuedConnection);
}

void TReportQueue::Flush() {
  scheduled_ = false;
  if (flushing_ || deferring_ > 0) return;
  flushing_ = true;
  while (!items_.empty()) {
    // Taken off the queue before it is shown: while the box is open, a newer report of the
    // same kind queues behind it instead of changing a text already on screen.
    const TItem item = std::move(items_.front());
    items_.pop_front();
    Messages().Report(item.text, item.caption, item.icon);
  }
  flushing_ = false;
}

void TReportQueue::EndDeferring() {
  if (--deferring_ == 0) Schedule();
}

TDeferredReports::TDeferredReports() : previous_(SetMessageSink(this)) {
  TReportQueue::Instance().BeginDeferring();
}

TDeferredReports::~TDeferredReports() {
  SetMessageSink(previous_);
  TReportQueue::Instance().EndDeferring();
}

void TDeferredReports::Report(std::string_view text, std::string_view caption, MessageIcon icon) {
  TReportQueue::Instance().Post(std::string(text), icon, {}, std::string(caption));
}

MessageAnswer TDeferredReports::Ask(std::string_view text, std::string_view caption,
                                    MessageButtons /*buttons*/, MessageAnswer defaultAnswer,
                                    MessageIcon icon) {
  // Nothing that an event can re-enter may wait for an answer: the question is shown as a
  // report afterwards, and the default (which never loses data) stands.
  TReportQueue::Instance().Post(std::string(text), icon, {}, std::string(caption));
  return defaultAnswer;
}

}  // namespace orvanix
