// One conversation of a data link with another program's automation server, as a client of
// the same line protocol our own server speaks. Asynchronous: nothing here waits inside the
// event loop's handlers, so a link to a server in this very process (our own spectrum's
// "Link") works, and the program stays responsive while a server is slow.
//
// A server is found by its service name: `Tessiva` where our own server listens
// ($TESSIVA_SOCKET, else $XDG_RUNTIME_DIR/orvanix/tessiva.sock), any other service at the
// socket named after it in lower case in the same private folder ("ZAVO" ->
// $XDG_RUNTIME_DIR/orvanix/zavo.sock).
#pragma once

#include <QObject>
#include <QTimer>
#include <deque>
#include <functional>
#include <string>

#include "automation/ServerStream.h"

class QLocalSocket;

namespace orvanix {

// Time a server has to answer a link's question.
inline constexpr int kLinkTimeoutMsec = 1000;

// The socket of a service; empty (with `error`) for a name that cannot be a file name.
std::string LinkSocketPath(const std::string& service, std::string& error);

class TLinkConversation : public QObject {
 public:
  enum class End { Closed, Garbage, TooLarge };
  // A reply, or nothing after the time-out or when the conversation ended first.
  using TReplyHandler = std::function<void(const TServerMessage* reply)>;

  TLinkConversation();
  ~TLinkConversation() override;

  // Connects to `service` and asks for `topic`; `done(true)` once the server accepted both,
  // `done(false)` on any failure or after kLinkTimeoutMsec.
  void Open(const std::string& service, const std::string& topic, std::function<void(bool)> done);
  // Sends one line and hands its reply (advise messages set aside) to `done`. Questions are
  // answered in the order asked.
  void Ask(const std::string& line, TReplyHandler done);
  // Advise data ("update") of this conversation, in the order they came.
  void OnUpdate(std::function<void(const std::string& data)> handler) { onUpdate_ = handler; }
  // The server went, or sent what cannot be read: nothing more comes from this conversation.
  void OnEnd(std::function<void(End)> handler) { onEnd_ = handler; }
  // Disconnects; no handler is called afterwards.
  void Close();
  bool Open() const { return open_; }
  const std::string& Service() const { return service_; }

 private:
  void Read();
  void Deliver();
  void Fail(End end);
  void Answer(const TServerMessage* reply);

  QLocalSocket* socket_ = nullptr;
  TServerStream stream_;
  std::deque<TReplyHandler> questions_;
  QTimer timer_;  // the oldest question's time-out
  std::string service_;
  std::function<void(const std::string&)> onUpdate_;
  std::function<void(End)> onEnd_;
  bool open_ = false;
  bool ended_ = false;
  bool delivering_ = false;
  int stale_ = 0;  // questions given up whose answers may still come
};

}  // namespace orvanix
