#include "automation/AutomationServer.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>
#include <QMetaObject>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "acquisition/ReportQueue.h"
#include "automation/AutomationTexts.h"

namespace orvanix {

namespace {

// Whether the peer of a connected Unix socket runs as our own user.
bool SameUser(qintptr descriptor) {
  ucred credentials{};
  socklen_t size = sizeof credentials;
  if (::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &size) !=
      0) {
    return false;
  }
  return credentials.uid == ::getuid();
}

// Creates `folder` (mode 0700) or checks that the existing one is ours and closed to others.
bool PrivateFolder(const std::string& folder, std::string& error) {
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    error = "cannot create " + folder + ": " + std::strerror(errno);
    return false;
  }
  struct stat info {};
  if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    error = folder + " is not a folder";
    return false;
  }
  if (info.st_uid != ::getuid() || (info.st_mode & 077) != 0) {
    error = folder + " belongs to another user or is open to others";
    return false;
  }
  return true;
}

}  // namespace

TAutomationServer::TAutomationServer(TAutomationHandler& handler) : handler_(handler) {}

TAutomationServer::~TAutomationServer() {
  Close();
}

std::string TAutomationServer::DefaultSocketPath(std::string& error) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string folder;
  if (runtime && *runtime) {
    folder = std::string(runtime) + "/orvanix";
  } else {
    folder = "/tmp/orvanix-" + std::to_string(::getuid());
  }
  if (!PrivateFolder(folder, error)) return {};
  return folder + "/" + kSocketFileName;
}

bool TAutomationServer::Listen(const std::string& path, std::string& error) {
  Close();
  const QString name = QString::fromStdString(path);
  {
    QLocalSocket probe;
    probe.connectToServer(name);
    if (probe.waitForConnected(200)) {
      error = "another server is running on " + path;
      return false;
    }
  }
  QLocalServer::removeServer(name);
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  // Connections wait in the backlog until accepted; the slots decide who stays.
  server_->setMaxPendingConnections(kConversationSlots + 8);
  if (!server_->listen(name)) {
    error = server_->errorString().toStdString();
    delete server_;
    server_ = nullptr;
    return false;
  }
  ::chmod(path.c_str(), 0600);
  path_ = path;
  QObject::connect(server_, &QLocalServer::newConnection, this, [this] { Accept(); });
  return true;
}

void TAutomationServer::Close() {
  for (auto& slot : slots_) {
    if (!slot) continue;
    QLocalSocket* socket = slot->socket;
    slot.reset();
    socket->disconnect(this);
    // What was answered last ("[Exit Application]" processed) still goes out.
    socket->flush();
    socket->abort();
    socket->deleteLater();
  }
  if (server_) {
    server_->close();
    delete server_;
    server_ = nullptr;
  }
  path_.clear();
}

bool TAutomationServer::Listening() const {
  return server_ && server_->isListening();
}

int TAutomationServer::Conversations() const {
  int count = 0;
  for (const auto& slot : slots_) count += slot ? 1 : 0;
  return count;
}

bool TAutomationServer::TakeLinkSlot() {
  if (Conversations() + linkSlots_ >= kConversationSlots) return false;
  ++linkSlots_;
  return true;
}

void TAutomationServer::ReturnLinkSlot() {
  if (linkSlots_ > 0) --linkSlots_;
}

bool TAutomationServer::AnyLinks() const {
  for (const auto& slot : slots_) {
    if (slot && (slot->hot.any() || slot->warm.any())) return true;
  }
  return false;
}

void TAutomationServer::Accept() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    auto refuse = [socket](const std::string& why) {
      socket->write(FrameError(why).c_str());
      socket->disconnectFromServer();
      QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      if (socket->state() == QLocalSocket::UnconnectedState) socket->deleteLater();
    };
    if (!SameUser(socket->socketDescriptor())) {
      refuse(kRefusedOtherUser);
      continue;
    }
    auto free = std::find_if(slots_.begin(), slots_.end(), [](const auto& s) { return !s; });
    if (free == slots_.end() || Conversations() + linkSlots_ >= kConversationSlots) {
      refuse(kRefusedNoSlot);
      continue;
    }
    *free = std::make_unique<TConversation>();
    TConversation* conversation = free->get();
    conversation->socket = socket;
    QObject::connect(socket, &QLocalSocket::readyRead, this,
                     [this, conversation] { Read(*conversation); });
    QObject::connect(socket, &QLocalSocket::disconnected, this, [this, socket] { Drop(socket); });
    Send(*conversation, std::string("hello ") + kServiceName + " " + kTopicName + "\n");
  }
}

void TAutomationServer::Drop(QLocalSocket* socket) {
  for (auto& slot : slots_) {
    if (slot && slot->socket == socket) {
      const bool hadLinks = slot->hot.any() || slot->warm.any();
      slot.reset();
      socket->disconnect(this);
      socket->deleteLater();
      if (hadLinks) handler_.LinksChanged();
      return;
    }
  }
}

void TAutomationServer::Read(TConversation& conversation) {
  // A command may report (a file that will not open, a refused setting). A message box run
  // from here would pump events inside this handler: the client's next line would be
  // answered before this one, and its disconnection would free the conversation under us.
  // The reports wait until the lines are handled; the box then comes from the event loop.
  TDeferredReports deferred;
  QLocalSocket* socket = conversation.socket;
  std::vector<std::string> lines;
  while (!conversation.closing && socket->bytesAvailable() > 0) {
    char buffer[65536];
    const qint64 got = socket->read(buffer, sizeof buffer);
    if (got <= 0) break;
    const size_t overlong = conversation.lines.Feed(std::string_view(buffer, size_t(got)), lines);
    for (size_t i = 0; i < overlong; ++i) Send(conversation, FrameError(kErrorLineTooLong));
    for (const std::string& line : lines) {
      if (conversation.closing) return;
      Handle(conversation, line);
    }
    lines.clear();
  }
}

void TAutomationServer::Handle(TConversation& conversation, const std::string& line) {
  const TClientMessage message = ParseClientLine(line);
  auto item = [&]() -> std::optional<int32_t> {
    const std::optional<int32_t> found = FindItem(message.argument);
    if (!found)
      Send(conversation, FrameError(std::string(kErrorUnknownItem) + ": " +
                                    std::string(message.argument.substr(0, 80))));
    return found;
  };
  switch (message.verb) {
    case ClientVerb::Empty:
      return;
    case ClientVerb::Malformed:
      Send(conversation, FrameError(message.error));
      return;
    case ClientVerb::Connect: {
      const size_t blank = message.argument.find(' ');
      const std::string_view service = message.argument.substr(0, blank);
      const std::string_view topic =
          blank == std::string_view::npos ? std::string_view{} : message.argument.substr(blank + 1);
      const bool ok = SameName(service, kServiceName) && SameName(topic, kTopicName);
      Send(conversation, ok ? FrameAnswer(kAnswerOk) : FrameError(kErrorUnknownTopic));
      return;
    }
    case ClientVerb::Request: {
      const std::optional<int32_t> index = item();
      if (!index) return;
      const std::optional<std::string> text = handler_.ItemText(*index);
      Send(conversation, text ? FrameValue(*text) : FrameError(kErrorNoData));
      return;
    }
    case ClientVerb::Advise:
    case ClientVerb::Warm: {
      const std::optional<int32_t> index = item();
      if (!index) return;
      const size_t bit = static_cast<size_t>(*index);
      const bool hot = message.verb == ClientVerb::Advise;
      conversation.hot.set(bit, hot);
      conversation.warm.set(bit, !hot);
      Send(conversation, FrameAnswer(kAnswerOk));
      handler_.LinksChanged();
      return;
    }
    case ClientVerb::Unadvise: {
      const std::optional<int32_t> index = item();
      if (!index) return;
      const size_t bit = static_cast<size_t>(*index);
      const bool had = conversation.hot.test(bit) || conversation.warm.test(bit);
      conversation.hot.reset(bit);
      conversation.warm.reset(bit);
      Send(conversation, had ? FrameAnswer(kAnswerOk) : FrameError(kErrorNoLink));
      handler_.LinksChanged();
      return;
    }
    case ClientVerb::Execute:
      Send(conversation, FrameAnswer(handler_.Execute(message.argument)));
      return;
    case ClientVerb::Poke: {
      std::string error;
      const std::string_view word = handler_.Poke(message.argument, error);
      Send(conversation, error.empty() ? FrameAnswer(word) : FrameError(error));
      return;
    }
    case ClientVerb::Quit:
      Send(conversation, "bye\n");
      Shut(conversation, false);
      return;
  }
}

void TAutomationServer::Send(TConversation& conversation, const std::string& bytes) {
  QLocalSocket* socket = conversation.socket;
  if (conversation.closing) return;
  if (socket->bytesToWrite() + static_cast<int64_t>(bytes.size()) > kMaxBacklog) {
    // A client that asks and never reads: it goes, nobody else waits for it.
    Shut(conversation, true);
    return;
  }
  socket->write(bytes.data(), static_cast<qint64>(bytes.size()));
}

void TAutomationServer::Shut(TConversation& conversation, bool abort) {
  conversation.closing = true;
  QLocalSocket* socket = conversation.socket;
  QMetaObject::invokeMethod(
      socket,
      [socket, abort] {
        if (abort) {
          socket->abort();
        } else {
          socket->disconnectFromServer();
        }
      },
      Qt::QueuedConnection);
}

void TAutomationServer::PostAll() {
  std::bitset<kItemSlots> all;
  all.set();
  Post(all);
}

void TAutomationServer::PostItem(int32_t item) {
  if (item < 0 || item >= kItemSlots) return;
  std::bitset<kItemSlots> one;
  one.set(static_cast<size_t>(item));
  Post(one);
}

void TAutomationServer::Post(const std::bitset<kItemSlots>& items) {
  std::array<std::optional<std::string>, kItemSlots> texts;
  std::bitset<kItemSlots> made;
  for (auto& slot : slots_) {
    if (!slot) continue;
    TConversation& conversation = *slot;
    if (conversation.closing) continue;
    for (size_t i = 0; i < kItemSlots; ++i) {
      if (!items.test(i)) continue;
      const int32_t index = static_cast<int32_t>(i);
      if (conversation.warm.test(i)) {
        Send(conversation, FrameChanged(index));
      } else if (conversation.hot.test(i)) {
        if (conversation.socket->bytesToWrite() > kMaxAdviseBacklog) {
          ++dropped_;
          continue;
        }
        if (!made.test(i)) {
          texts[i] = handler_.ItemText(index);
          made.set(i);
        }
        if (texts[i]) Send(conversation, FrameUpdate(index, *texts[i]));
      }
    }
  }
}

}  // namespace orvanix
