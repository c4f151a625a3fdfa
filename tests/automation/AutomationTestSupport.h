// An analyzer core with the automation module serving on a scratch socket, and a client
// that pumps the one event loop while it waits (server and client share the test's thread).
#pragma once

#include <QLocalSocket>
#include <memory>
#include <string>

#include "automation/AutomationModule.h"
#include "tests/core/CoreTestSupport.h"

namespace orvanix::test {

// One server message with its framing removed: the header line ("answer processed",
// "update 21 2", "error ...") and, for value and update, the data.
struct TMessage {
  std::string head;
  std::string data;
  bool received = false;
};

class TPumpedClient {
 public:
  // Connects and reads the greeting (or the refusal) into `greeting`.
  bool Connect(const std::string& path);
  void Send(const std::string& line);
  // The next message, pumping events up to `msec`.
  TMessage Next(int msec = 5000);
  TMessage Ask(const std::string& line, int msec = 5000);
  QLocalSocket& Socket() { return socket_; }
  TMessage greeting;

 private:
  bool Complete(TMessage& message);
  QLocalSocket socket_;
  std::string buffer_;
};

class AutomationFixture : public CoreFixture {
 protected:
  void SetUp() override;
  void TearDown() override;
  TAutomationModule& Module() { return *module_; }
  std::string SocketPath() const { return scratch_.File("tessiva.sock"); }

  TAutomationModule* module_ = nullptr;
};

}  // namespace orvanix::test
