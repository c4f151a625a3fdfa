#include "automation/AutomationClient.h"

#include <unistd.h>

#include <QDeadlineTimer>
#include <cstdlib>

#include "automation/AutomationTexts.h"

namespace orvanix {

namespace {

bool StartsWith(const std::string& text, std::string_view head) {
  return text.compare(0, head.size(), head) == 0;
}

}  // namespace

std::string TAutomationClient::DefaultPath() {
  if (const char* named = std::getenv(kSocketEnvironment); named && *named) return named;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const std::string folder = runtime && *runtime ? std::string(runtime) + "/orvanix"
                                                 : "/tmp/orvanix-" + std::to_string(::getuid());
  return folder + "/" + kSocketFileName;
}

bool TAutomationClient::Connect(const std::string& path, std::string& error, int timeoutMsec) {
  socket_.connectToServer(QString::fromStdString(path));
  if (!socket_.waitForConnected(timeoutMsec)) {
    error = "cannot connect to " + path + ": " + socket_.errorString().toStdString();
    return false;
  }
  const TReply hello = Next(timeoutMsec);
  if (hello.kind == TReply::Kind::Error) {
    error = hello.text;
    return false;
  }
  if (hello.kind != TReply::Kind::Answer || !StartsWith(hello.text, "hello")) {
    error = "no greeting from " + path;
    return false;
  }
  return true;
}

bool TAutomationClient::Send(const std::string& line) {
  const std::string bytes = line + "\n";
  if (socket_.write(bytes.data(), static_cast<qint64>(bytes.size())) < 0) return false;
  while (socket_.bytesToWrite() > 0) {
    if (!socket_.waitForBytesWritten(30000)) return false;
  }
  return true;
}

bool TAutomationClient::ReadLine(std::string& line, int timeoutMsec) {
  QDeadlineTimer deadline(timeoutMsec);
  for (;;) {
    const size_t newline = buffer_.find('\n');
    if (newline != std::string::npos) {
      line = buffer_.substr(0, newline);
      buffer_.erase(0, newline + 1);
      return true;
    }
    if (socket_.bytesAvailable() == 0 &&
        !socket_.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
      return false;
    }
    buffer_ += socket_.readAll().toStdString();
  }
}

bool TAutomationClient::ReadBytes(size_t count, std::string& bytes, int timeoutMsec) {
  QDeadlineTimer deadline(timeoutMsec);
  while (buffer_.size() < count + 1) {
    if (socket_.bytesAvailable() == 0 &&
        !socket_.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
      return false;
    }
    buffer_ += socket_.readAll().toStdString();
  }
  bytes = buffer_.substr(0, count);
  buffer_.erase(0, count + 1);  // the data and its closing newline
  return true;
}

TAutomationClient::TReply TAutomationClient::Next(int timeoutMsec) {
  TReply reply;
  std::string line;
  if (!ReadLine(line, timeoutMsec)) return reply;
  if (StartsWith(line, "answer ")) {
    reply.kind = TReply::Kind::Answer;
    reply.text = line.substr(7);
  } else if (StartsWith(line, "hello ")) {
    reply.kind = TReply::Kind::Answer;
    reply.text = line;
  } else if (StartsWith(line, "error ")) {
    reply.kind = TReply::Kind::Error;
    reply.text = line.substr(6);
  } else if (line == "bye") {
    reply.kind = TReply::Kind::Bye;
  } else if (StartsWith(line, "changed ")) {
    reply.kind = TReply::Kind::Changed;
    reply.item = std::atoi(line.c_str() + 8);
  } else if (StartsWith(line, "value ") || StartsWith(line, "update ")) {
    const bool update = line[0] == 'u';
    char* end = nullptr;
    const char* at = line.c_str() + (update ? 7 : 6);
    if (update) {
      reply.item = static_cast<int32_t>(std::strtol(at, &end, 10));
      at = end;
    }
    const unsigned long long size = std::strtoull(at, &end, 10);
    reply.kind = update ? TReply::Kind::Update : TReply::Kind::Value;
    if (!ReadBytes(static_cast<size_t>(size), reply.text, timeoutMsec))
      reply.kind = TReply::Kind::Closed;
  } else {
    reply.kind = TReply::Kind::Error;
    reply.text = "unexpected line from the server: " + line.substr(0, 80);
  }
  return reply;
}

TAutomationClient::TReply TAutomationClient::Ask(const std::string& line, int timeoutMsec) {
  if (!Send(line)) return {};
  for (;;) {
    TReply reply = Next(timeoutMsec);
    if (reply.kind != TReply::Kind::Update && reply.kind != TReply::Kind::Changed) return reply;
  }
}

}  // namespace orvanix
