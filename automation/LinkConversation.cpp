#include "automation/LinkConversation.h"

#include <QLocalSocket>
#include <QPointer>
#include <cctype>
#include <cstdlib>

#include "automation/AutomationServer.h"
#include "automation/AutomationTexts.h"

namespace orvanix {

namespace {

// What Qt keeps read from the socket for us at most; the rest waits in the kernel, so a
// server that floods its link fills its own buffers, not ours.
constexpr qint64 kReadBufferBytes = 1 << 20;
// Messages handed on per pass of the event loop; more wait for the next pass, so that a
// flood of advise data leaves room for the user, the views and other clients.
constexpr int kMessagesPerPass = 16;
// Messages held read but not yet handed on, before reading stops until they are.
constexpr size_t kMaxHeldMessages = 256;

bool ValidServiceName(const std::string& service) {
  if (service.empty() || service.size() > 64 || service.front() == '.') return false;
  for (const char c : service) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-' && c != '.') {
      return false;
    }
  }
  return true;
}

}  // namespace

std::string LinkSocketPath(const std::string& service, std::string& error) {
  if (!ValidServiceName(service)) {
    error = "not a service name: " + service.substr(0, 80);
    return {};
  }
  if (SameName(service, kServiceName)) {
    if (const char* named = std::getenv(kSocketEnvironment); named && *named) return named;
  }
  const std::string ours = TAutomationServer::DefaultSocketPath(error);
  if (ours.empty()) return {};
  std::string name = service;
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ours.substr(0, ours.rfind('/') + 1) + name + ".sock";
}

TLinkConversation::TLinkConversation() {
  timer_.setSingleShot(true);
  QObject::connect(&timer_, &QTimer::timeout, this, [this] {
    // The oldest question is given up; its answer, should it still come, is not taken for
    // the next one's.
    if (questions_.empty()) return;
    ++stale_;
    Answer(nullptr);
  });
}

TLinkConversation::~TLinkConversation() {
  Close();
}

void TLinkConversation::Open(const std::string& service, const std::string& topic,
                             std::function<void(bool)> done) {
  service_ = service;
  std::string error;
  const std::string path = LinkSocketPath(service, error);
  if (path.empty()) {
    ended_ = true;
    QMetaObject::invokeMethod(
        this, [done] { done(false); }, Qt::QueuedConnection);
    return;
  }
  socket_ = new QLocalSocket(this);
  socket_->setReadBufferSize(kReadBufferBytes);
  QObject::connect(socket_, &QLocalSocket::readyRead, this, [this] { Read(); });
  QObject::connect(socket_, &QLocalSocket::disconnected, this, [this] { Fail(End::Closed); });
  QObject::connect(socket_, &QLocalSocket::errorOccurred, this,
                   [this](QLocalSocket::LocalSocketError) { Fail(End::Closed); });
  // The greeting is the answer to the connection itself; then the service and topic.
  const std::string line = "connect " + service + " " + topic;
  questions_.push_back([this, line, done](const TServerMessage* hello) {
    if (!hello || hello->kind != TServerMessage::Kind::Hello) {
      done(false);
      return;
    }
    Ask(line, [this, done](const TServerMessage* reply) {
      open_ = reply && reply->kind == TServerMessage::Kind::Answer && reply->text == kAnswerOk;
      done(open_);
    });
  });
  timer_.start(kLinkTimeoutMsec);
  socket_->connectToServer(QString::fromStdString(path));
}

void TLinkConversation::Ask(const std::string& line, TReplyHandler done) {
  if (ended_ || !socket_) {
    QMetaObject::invokeMethod(
        this, [done] { done(nullptr); }, Qt::QueuedConnection);
    return;
  }
  const std::string bytes = line + "\n";
  socket_->write(bytes.data(), static_cast<qint64>(bytes.size()));
  questions_.push_back(std::move(done));
  if (!timer_.isActive()) timer_.start(kLinkTimeoutMsec);
}

void TLinkConversation::Close() {
  if (ended_ && !socket_) return;
  ended_ = true;
  open_ = false;
  timer_.stop();
  questions_.clear();
  if (socket_) {
    socket_->disconnect(this);
    socket_->abort();
    socket_->deleteLater();
    socket_ = nullptr;
  }
}

void TLinkConversation::Answer(const TServerMessage* reply) {
  TReplyHandler done = std::move(questions_.front());
  questions_.pop_front();
  if (questions_.empty()) {
    timer_.stop();
  } else {
    timer_.start(kLinkTimeoutMsec);
  }
  done(reply);
}

void TLinkConversation::Fail(End end) {
  if (ended_) return;
  const bool wasOpen = open_;
  ended_ = true;
  open_ = false;
  timer_.stop();
  QPointer<TLinkConversation> self(this);
  while (self && !questions_.empty()) Answer(nullptr);
  if (self && wasOpen && onEnd_) onEnd_(end);
}

void TLinkConversation::Read() {
  if (ended_ || !socket_) return;
  while (stream_.Queued() < kMaxHeldMessages && socket_->bytesAvailable() > 0) {
    const QByteArray bytes = socket_->read(64 * 1024);
    if (bytes.isEmpty()) break;
    stream_.Feed(std::string_view(bytes.constData(), size_t(bytes.size())));
    if (stream_.Failed() != TServerStream::Fault::None) break;
  }
  Deliver();
}

void TLinkConversation::Deliver() {
  if (delivering_) return;
  delivering_ = true;
  QPointer<TLinkConversation> self(this);
  int handed = 0;
  while (self && !ended_ && stream_.HasMessage() && handed < kMessagesPerPass) {
    const TServerMessage message = stream_.Take();
    switch (message.kind) {
      case TServerMessage::Kind::Update:
        ++handed;
        if (onUpdate_) onUpdate_(message.text);
        break;
      case TServerMessage::Kind::Changed:
        break;
      default:
        if (stale_ > 0) {
          --stale_;
        } else if (!questions_.empty()) {
          Answer(&message);
        }
        break;
    }
  }
  if (!self) return;
  delivering_ = false;
  if (ended_) return;
  if (stream_.Failed() != TServerStream::Fault::None) {
    Fail(stream_.Failed() == TServerStream::Fault::TooLarge ? End::TooLarge : End::Garbage);
    return;
  }
  // More to hand on, or more waiting in the socket: the next pass of the event loop.
  if (stream_.HasMessage() || (socket_ && socket_->bytesAvailable() > 0)) {
    QMetaObject::invokeMethod(
        this, [this] { Read(); }, Qt::QueuedConnection);
  }
}

}  // namespace orvanix
