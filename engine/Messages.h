// The one channel through which every layer tells the user something or asks a question.
// The GUI answers with message boxes; headless runs and tests answer without blocking.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvanix {

// Caption of every message box unless the caller names another.
inline constexpr const char* kProgramTitle = "Orvanix - FFT Spectral Analysis System";
// The common allocation-failure message.
inline constexpr const char* kInsufficientMemory =
    "Insufficient Memory to continue.  Please close some applications to free up memory.";

enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

class TMessageSink {
 public:
  virtual ~TMessageSink() = default;
  virtual void Report(std::string_view text, std::string_view caption, MessageIcon icon) = 0;
  // Returns the user's choice; a sink that cannot ask returns `defaultAnswer`.
  virtual MessageAnswer Ask(std::string_view text, std::string_view caption,
                            MessageButtons buttons, MessageAnswer defaultAnswer,
                            MessageIcon icon) = 0;
};

// The sink in force. Until the application installs one, messages go to a
// TRecordingSink that also prints them on stderr.
TMessageSink& Messages();
// Installs `sink` (nullptr restores the default); returns the previous one. Not owned.
TMessageSink* SetMessageSink(TMessageSink* sink);
// Installs `sink` for the calling thread only (nullptr removes it); while set, Messages() on
// that thread answers with it instead of the sink in force. A worker thread (a recording
// finished in the background) reports through one, so that nothing it says reaches a window
// from the wrong thread; the main thread shows what it kept. Returns the thread's previous one.
TMessageSink* SetThreadMessageSink(TMessageSink* sink);

// Convenience: report with the program title as caption.
void ReportError(std::string_view text, MessageIcon icon = MessageIcon::Error);

// Keeps every message and question; answers each question with its default (or with
// a queued answer). Used by tests and headless runs.
class TRecordingSink : public TMessageSink {
 public:
  struct Entry {
    std::string text;
    std::string caption;
    MessageIcon icon;
    bool question;
  };

  explicit TRecordingSink(bool echoToStderr = false) : echo_(echoToStderr) {}

  void Report(std::string_view text, std::string_view caption, MessageIcon icon) override;
  MessageAnswer Ask(std::string_view text, std::string_view caption, MessageButtons buttons,
                    MessageAnswer defaultAnswer, MessageIcon icon) override;

  // Answers to give to the next questions, in order, before falling back to defaults.
  void QueueAnswer(MessageAnswer answer) { queued_.push_back(answer); }
  const std::vector<Entry>& Entries() const { return entries_; }
  bool Contains(std::string_view text) const;
  void Clear() { entries_.clear(); }

 private:
  bool echo_;
  std::vector<Entry> entries_;
  std::vector<MessageAnswer> queued_;
};

// Installs a sink for the lifetime of the object (tests).
class TScopedMessageSink {
 public:
  explicit TScopedMessageSink(TMessageSink* sink) : previous_(SetMessageSink(sink)) {}
  ~TScopedMessageSink() { SetMessageSink(previous_); }
  TScopedMessageSink(const TScopedMessageSink&) = delete;
  TScopedMessageSink& operator=(const TScopedMessageSink&) = delete;

 private:
  TMessageSink* previous_;
};

// printf-style formatting into a std::string, for the system's texts with %d/%s/%f fields.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace orvanix
