// A blocking client of the automation server (tessiva-client and the tests): one message
// out, its answer back; advise updates read one at a time.
#pragma once

#include <QLocalSocket>
#include <cstdint>
#include <optional>
#include <string>

namespace orvanix {

class TAutomationClient {
 public:
  // One message from the server, after its framing was removed.
  struct TReply {
    enum class Kind { Answer, Value, Update, Changed, Error, Bye, Closed } kind = Kind::Closed;
    std::string text;   // the answer word, the value, the update's data, the error text
    int32_t item = -1;  // updates and change notices
  };

  // The socket named by $TESSIVA_SOCKET, else the server's default place.
  static std::string DefaultPath();

  // Connects and reads the greeting; false with `error` set (the server's refusal, or why
  // no connection could be made).
  bool Connect(const std::string& path, std::string& error, int timeoutMsec = 5000);
  // Sends one line (without its newline).
  bool Send(const std::string& line);
  // The next message; Closed after `timeoutMsec` without one or when the server went.
  TReply Next(int timeoutMsec = 30000);
  // Send + Next, skipping advise messages that arrive in between.
  TReply Ask(const std::string& line, int timeoutMsec = 30000);

 private:
  bool ReadLine(std::string& line, int timeoutMsec);
  bool ReadBytes(size_t count, std::string& bytes, int timeoutMsec);
  QLocalSocket socket_;
  std::string buffer_;
};

}  // namespace orvanix
