#include "AutomationTestSupport.h"

#include <cstdlib>

namespace orvanix::test {

bool TPumpedClient::Connect(const std::string& path) {
  socket_.connectToServer(QString::fromStdString(path));
  greeting = Next();
  return greeting.received && greeting.head.rfind("hello", 0) == 0;
}

void TPumpedClient::Send(const std::string& line) {
  const std::string bytes = line + "\n";
  socket_.write(bytes.data(), static_cast<qint64>(bytes.size()));
  socket_.flush();
}

bool TPumpedClient::Complete(TMessage& message) {
  const size_t newline = buffer_.find('\n');
  if (newline == std::string::npos) return false;
  const std::string head = buffer_.substr(0, newline);
  size_t need = 0;
  if (head.rfind("value ", 0) == 0) {
    need = std::strtoull(head.c_str() + 6, nullptr, 10) + 1;
  } else if (head.rfind("update ", 0) == 0) {
    const size_t blank = head.find(' ', 7);
    need = std::strtoull(head.c_str() + blank + 1, nullptr, 10) + 1;
  }
  if (buffer_.size() < newline + 1 + need) return false;
  message.head = head;
  if (need > 0) message.data = buffer_.substr(newline + 1, need - 1);
  buffer_.erase(0, newline + 1 + need);
  message.received = true;
  return true;
}

TMessage TPumpedClient::Next(int msec) {
  TMessage message;
  RunEvents(msec, [&] {
    // RunEvents asks once more after its loop ends: one message per call.
    if (message.received) return true;
    buffer_ += socket_.readAll().toStdString();
    return Complete(message);
  });
  return message;
}

TMessage TPumpedClient::Ask(const std::string& line, int msec) {
  Send(line);
  for (;;) {
    TMessage m = Next(msec);
    if (!m.received || (m.head.rfind("update ", 0) != 0 && m.head.rfind("changed ", 0) != 0)) {
      return m;
    }
  }
}

void AutomationFixture::SetUp() {
  CoreFixture::SetUp();
  // Without windows, as `tessiva --headless --serve`: the module serves only where it is told.
  options_.headless = true;
  MakeCore();
  auto module = std::make_unique<TAutomationModule>(*core_);
  module_ = module.get();
  core_->AddModule(std::move(module));
  std::string error;
  ASSERT_TRUE(module_->Serve(SocketPath(), error)) << error;
}

void AutomationFixture::TearDown() {
  if (module_) module_->Server().Close();
  CoreFixture::TearDown();
}

}  // namespace orvanix::test
