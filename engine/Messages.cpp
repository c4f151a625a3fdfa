#include "engine/Messages.h"

#include <cstdarg>
#include <cstdio>

namespace orvanix {

namespace {
TRecordingSink& DefaultSink() {
  static TRecordingSink sink(/*echoToStderr=*/true);
  return sink;
}
TMessageSink* g_sink = nullptr;
thread_local TMessageSink* t_sink = nullptr;

const char* IconWord(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Error: return "error";
    case MessageIcon::Warning: return "warning";
    case MessageIcon::Question: return "question";
    case MessageIcon::Information: return "information";
    case MessageIcon::None: break;
  }
  return "message";
}
}  // namespace

TMessageSink& Messages() {
  if (t_sink) return *t_sink;
  return g_sink ? *g_sink : DefaultSink();
}

TMessageSink* SetThreadMessageSink(TMessageSink* sink) {
  TMessageSink* previous = t_sink;
  t_sink = sink;
  return previous;
}

TMessageSink* SetMessageSink(TMessageSink* sink) {
  TMessageSink* previous = g_sink;
  g_sink = sink;
  return previous;
}

void ReportError(std::string_view text, MessageIcon icon) {
  Messages().Report(text, kProgramTitle, icon);
}

void TRecordingSink::Report(std::string_view text, std::string_view caption, MessageIcon icon) {
  entries_.push_back({std::string(text), std::string(caption), icon, false});
  if (echo_) {
    std::fprintf(stderr, "%s: %.*s\n", IconWord(icon), static_cast<int>(text.size()), text.data());
  }
}

MessageAnswer TRecordingSink::Ask(std::string_view text, std::string_view caption,
                                  MessageButtons /*buttons*/, MessageAnswer defaultAnswer,
                                  MessageIcon icon) {
  entries_.push_back({std::string(text), std::string(caption), icon, true});
  MessageAnswer answer = defaultAnswer;
  if (!queued_.empty()) {
    answer = queued_.front();
    queued_.erase(queued_.begin());
  }
  if (echo_) {
    std::fprintf(stderr, "question: %.*s\n", static_cast<int>(text.size()), text.data());
  }
  return answer;
}

bool TRecordingSink::Contains(std::string_view text) const {
  for (const Entry& e : entries_) {
    if (e.text == text) return true;
  }
  return false;
}

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text;
  if (length > 0) {
    text.resize(static_cast<size_t>(length));
    std::vsnprintf(text.data(), text.size() + 1, format, args);
  }
  va_end(args);
  return text;
}

}  // namespace orvanix
