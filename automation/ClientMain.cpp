// tessiva-client: talks to a running Orvanix (the window or `tessiva --headless --serve`).
//
//   tessiva-client [--socket PATH] request ITEM
//   tessiva-client [--socket PATH] execute "[COMMAND]"
//   tessiva-client [--socket PATH] poke SAMPLES | poke -      (- reads the samples from stdin)
//   tessiva-client [--socket PATH] watch ITEM [--count N] [--warm]
//
// Exit status: 0 done (processed); 1 not processed or an error answer; 2 bad usage;
// 3 no server or refused; 4 busy.
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "automation/AutomationClient.h"

namespace {

constexpr int kDone = 0;
constexpr int kNotDone = 1;
constexpr int kUsage = 2;
constexpr int kNoServer = 3;
constexpr int kBusy = 4;

// On stdout with status 0 when asked for (--help), on stderr with the usage status after a
// command line that could not be understood.
int Usage(bool asked = false) {
  std::fputs(
      "Usage: tessiva-client [--socket PATH] COMMAND\n"
      "  request ITEM             print the item's value (a name such as \"Peak Frequency\"\n"
      "                           or its number)\n"
      "  execute \"[COMMAND]\"      run an execute command, e.g. \"[Set FFT Size 4096]\"\n"
      "  poke SAMPLES | poke -    process sample values (- reads them from stdin)\n"
      "  watch ITEM [--count N] [--warm]\n"
      "                           follow an advise link: one line per update\n"
      "Exit status: 0 done, 1 not processed or error, 2 usage, 3 no server, 4 busy.\n",
      asked ? stdout : stderr);
  return asked ? kDone : kUsage;
}

using orvanix::TAutomationClient;
using Kind = TAutomationClient::TReply::Kind;

int Answer(const TAutomationClient::TReply& reply) {
  switch (reply.kind) {
    case Kind::Answer:
      std::printf("%s\n", reply.text.c_str());
      return reply.text == "processed" || reply.text == "ok" ? kDone
             : reply.text == "busy"                          ? kBusy
                                                             : kNotDone;
    case Kind::Value:
      std::fwrite(reply.text.data(), 1, reply.text.size(), stdout);
      if (reply.text.empty() || reply.text.back() != '\n') std::fputc('\n', stdout);
      return kDone;
    case Kind::Error:
      std::fprintf(stderr, "tessiva-client: %s\n", reply.text.c_str());
      return kNotDone;
    default:
      std::fprintf(stderr, "tessiva-client: the server closed the connection\n");
      return kNoServer;
  }
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) return Usage(true);
  std::string path = TAutomationClient::DefaultPath();
  if (args.size() >= 2 && args[0] == "--socket") {
    path = args[1];
    args.erase(args.begin(), args.begin() + 2);
  }
  if (args.size() < 2) return Usage();
  const std::string verb = args[0];
  std::string argument = args[1];
  long count = -1;
  bool warm = false;
  for (size_t i = 2; i < args.size(); ++i) {
    if (verb == "watch" && args[i] == "--count" && i + 1 < args.size()) {
      count = std::strtol(args[++i].c_str(), nullptr, 10);
    } else if (verb == "watch" && args[i] == "--warm") {
      warm = true;
    } else {
      return Usage();
    }
  }
  if (verb == "poke" && argument == "-") {
    argument.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    for (char& c : argument) {
      if (c == '\n' || c == '\r') c = ' ';
    }
  }
  if (verb != "request" && verb != "execute" && verb != "poke" && verb != "watch") return Usage();

  TAutomationClient client;
  std::string error;
  if (!client.Connect(path, error)) {
    std::fprintf(stderr, "tessiva-client: %s\n", error.c_str());
    return kNoServer;
  }
  if (verb != "watch") return Answer(client.Ask(verb + " " + argument));

  const TAutomationClient::TReply started = client.Ask((warm ? "warm " : "advise ") + argument);
  if (started.kind != Kind::Answer) return Answer(started);
  for (long seen = 0; count < 0 || seen < count; ++seen) {
    const TAutomationClient::TReply update = client.Next(24 * 3600 * 1000);
    if (update.kind == Kind::Update) {
      // One line per update: a multi-line value has its line breaks turned into blanks.
      std::string line = update.text;
      while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
      for (char& c : line) {
        if (c == '\n' || c == '\r') c = ' ';
      }
      std::printf("%s\n", line.c_str());
    } else if (update.kind == Kind::Changed) {
      std::printf("changed\n");
    } else {
      return Answer(update);
    }
    std::fflush(stdout);
  }
  return kDone;
}
