// The automation server: service `Tessiva`, topic "Data", on a per-user local socket
// (docs/automation.md). Up to 20 conversations; each may request items, keep hot or warm
// advise links, send execute commands and poke samples. Everything runs on the main thread,
// between blocks of the run loop.
//
// Bounds: a line is at most kMaxLineBytes (longer ones are refused as they arrive); a
// client that does not read gets no more advise updates once kMaxAdviseBacklog bytes wait
// for it, and is disconnected once kMaxBacklog bytes do (answers it asked for included).
// Connections from another user are refused with an error line.
#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <bitset>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "automation/Items.h"
#include "automation/Protocol.h"

class QLocalServer;
class QLocalSocket;

namespace orvanix {

inline constexpr int kConversationSlots = 20;
inline constexpr int64_t kMaxAdviseBacklog = 1 << 20;
inline constexpr int64_t kMaxBacklog = 32 << 20;

// What the server asks of the program for each message.
class TAutomationHandler {
 public:
  virtual ~TAutomationHandler() = default;
  // The item's text; nothing when it has no data.
  virtual std::optional<std::string> ItemText(int32_t item) = 0;
  // "processed", "not-processed" or "busy".
  virtual std::string_view Execute(std::string_view command) = 0;
  // "processed", "busy", or an error text in `error` (then the word is ignored).
  virtual std::string_view Poke(std::string_view samples, std::string& error) = 0;
  // Advise links came or went (the run loop computes spectra while any exists).
  virtual void LinksChanged() {}
};

class TAutomationServer : public QObject {
 public:
  explicit TAutomationServer(TAutomationHandler& handler);
  ~TAutomationServer() override;

  // The socket's default place: $XDG_RUNTIME_DIR/orvanix/tessiva.sock (without
  // XDG_RUNTIME_DIR: /tmp/orvanix-UID/tessiva.sock). Its folder is created with mode 0700;
  // a folder that is not ours or is open to others is refused (empty path, `error` set).
  static std::string DefaultSocketPath(std::string& error);

  // Listens on `path` (socket mode 0600). A stale socket left by a dead server is replaced;
  // one that answers belongs to a running server: false with `error` set.
  bool Listen(const std::string& path, std::string& error);
  void Close();
  bool Listening() const;
  const std::string& SocketPath() const { return path_; }

  // After a block: every hot link gets the item's text, every warm link a change notice.
  void PostAll();
  // One item changed (macro status, file closed, logging status).
  void PostItem(int32_t item);
  // Conversations of clients connected here.
  int Conversations() const;
  // The analyzer's own links to other servers take slots from the same 20: false when none
  // is free. Each slot taken is given back once.
  bool TakeLinkSlot();
  void ReturnLinkSlot();
  int LinkSlots() const { return linkSlots_; }
  bool AnyLinks() const;
  // Updates not sent because a client's backlog was full, since the start.
  uint64_t DroppedUpdates() const { return dropped_; }

 private:
  struct TConversation {
    QLocalSocket* socket = nullptr;
    TLineAssembler lines;
    std::bitset<kItemSlots> hot;
    std::bitset<kItemSlots> warm;
    // Going: nothing more is read or sent; the socket closes once control is back in the
    // event loop (it must not go while a message of it is being handled).
    bool closing = false;
  };

  void Accept();
  void Read(TConversation& conversation);
  void Handle(TConversation& conversation, const std::string& line);
  void Send(TConversation& conversation, const std::string& bytes);
  void Drop(QLocalSocket* socket);
  void Shut(TConversation& conversation, bool abort);
  void Post(const std::bitset<kItemSlots>& items);

  TAutomationHandler& handler_;
  QLocalServer* server_ = nullptr;
  std::string path_;
  std::array<std::unique_ptr<TConversation>, kConversationSlots> slots_;
  uint64_t dropped_ = 0;
  int linkSlots_ = 0;
};

}  // namespace orvanix
