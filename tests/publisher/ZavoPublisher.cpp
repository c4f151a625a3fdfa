#include "tests/publisher/ZavoPublisher.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace orvanix::test {

namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Number(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

std::string Framed(const char* head, const std::string& data) {
  return std::string(head) + std::to_string(data.size()) + "\n" + data + "\n";
}

// Advise numbers of the published items.
int ItemIndex(const std::string& item) {
  if (item == "rpm") return 0;
  if (item == "ch1.spectrum") return 1;
  if (item == "ch2.spectrum") return 2;
  return 3;  // sine
}

}  // namespace

TZavoPublisher::TZavoPublisher(TPublisherOptions options) : options_(std::move(options)) {}

TZavoPublisher::~TZavoPublisher() {
  Die();
  if (server_) server_->close();
}

bool TZavoPublisher::Listen(const std::string& path, std::string& error) {
  QLocalServer::removeServer(QString::fromStdString(path));
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(QString::fromStdString(path))) {
    error = server_->errorString().toStdString();
    return false;
  }
  path_ = path;
  QObject::connect(server_, &QLocalServer::newConnection, this, [this] { Accept(); });
  return true;
}

void TZavoPublisher::Accept() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    topics_[socket] = "Main";
    QObject::connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Read(socket); });
    QObject::connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
      topics_.erase(socket);
      buffers_.erase(socket);
      advised_.erase(socket);
      socket->deleteLater();
    });
    socket->write("hello ZAVO Main\n");
  }
}

void TZavoPublisher::Read(QLocalSocket* socket) {
  std::string& buffer = buffers_[socket];
  buffer += socket->readAll().toStdString();
  size_t newline;
  while ((newline = buffer.find('\n')) != std::string::npos) {
    std::string line = buffer.substr(0, newline);
    buffer.erase(0, newline + 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    Handle(socket, line);
    if (!topics_.count(socket)) return;
  }
}

void TZavoPublisher::Handle(QLocalSocket* socket, const std::string& line) {
  const size_t blank = line.find(' ');
  const std::string verb = Lower(line.substr(0, blank));
  const std::string argument = blank == std::string::npos ? std::string() : line.substr(blank + 1);
  std::string& topic = topics_[socket];
  if (verb == "connect") {
    const size_t gap = argument.find(' ');
    const std::string service = Lower(argument.substr(0, gap));
    const std::string wanted = gap == std::string::npos ? std::string() : argument.substr(gap + 1);
    const bool known = service == "zavo" &&
                       (wanted == "Main" || wanted == "Signals" || wanted == options_.testName);
    if (known) topic = wanted;
    socket->write(known ? "answer ok\n" : "error unknown service or topic\n");
  } else if (verb == "request") {
    bool known = false;
    const std::string text = Answer(topic, Lower(argument), known);
    socket->write(known ? Framed("value ", text).c_str() : "error unknown item\n");
  } else if (verb == "advise") {
    const std::string item = Lower(argument);
    const bool known =
        (topic == options_.testName && (item == "rpm" || item == "ch1.spectrum" ||
                                        (item == "ch2.spectrum" && options_.channels == 2))) ||
        (topic == "Signals" && item == "sine");
    if (known) advised_[socket].insert(item);
    socket->write(known ? "answer ok\n" : "error unknown item\n");
  } else if (verb == "quit") {
    socket->write("bye\n");
    socket->disconnectFromServer();
  } else {
    socket->write("error unknown verb\n");
  }
}

std::string TZavoPublisher::Answer(const std::string& topic, const std::string& item,
                                   bool& known) const {
  known = true;
  if (topic == "Main" && item == "activetestaslongfilename") return options_.testName;
  if (topic == "Signals" && item == "sine") return SineText();
  if (topic == options_.testName) {
    if (item == "ordertracking") return options_.orderTracking ? "Yes" : "No";
    if (item == "startingtrigger") return Number(options_.startingTrigger);
    if (item == "triggerincrement") return Number(options_.triggerIncrement);
    if (item == "xaxisunits") return "Frequency";
    if (item == "yaxisunits") return "Acceleration (g)";
    // A channel item's properties are named after the item up to its last dot, without it.
    for (const std::string channel : {"ch1", "ch2"}) {
      if (item.rfind(channel, 0) != 0) continue;
      const std::string property = item.substr(channel.size());
      if (property == "points") return std::to_string(options_.points);
      if (property == "rate") return Number(options_.rateSecs);
      if (property == "xlabel") return "Frequency";
      if (property == "xunits") return "Hz";
      if (property == "ylabel") return "Acceleration";
      if (property == "yunits") return "g";
      if (property == ".spectrum") return SpectrumText(channel == "ch1" ? 0 : 1);
    }
    if (item == "rpm") return Number(rpm_);
  }
  known = false;
  return {};
}

double TZavoPublisher::LineWidthHz() const {
  const double rateHz = std::round(2.0 * options_.points / options_.rateSecs);
  return rateHz / (2.0 * options_.points);
}

std::vector<double> TZavoPublisher::Spectrum(int channel, double rpm) const {
  std::vector<double> lines(static_cast<size_t>(options_.points), 0.0);
  auto put = [&](double frequencyHz, double amplitude) {
    const long line = std::lround(frequencyHz / LineWidthHz());
    if (line >= 0 && line < options_.points) lines[static_cast<size_t>(line)] += amplitude;
  };
  if (channel == 0) {
    put(10 * rpm / 60, 1.0);
    put(5000, 0.2);
  } else {
    put(20 * rpm / 60, 0.5);
  }
  return lines;
}

std::string TZavoPublisher::SpectrumText(int channel) const {
  const std::vector<double> lines = Spectrum(channel, rpm_);
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) {
    text += Number(lines[i]) + "\t" + Number(static_cast<double>(i) * LineWidthHz()) + "\r\n";
  }
  return text;
}

std::string TZavoPublisher::SineText() const {
  std::string text;
  for (int i = 0; i < options_.sineSamples; ++i) {
    const double phase = 2 * std::numbers::pi * i / options_.sinePeriod;
    text += std::to_string(std::lround(options_.sineAmplitude * std::sin(phase))) + " ";
  }
  return text;
}

void TZavoPublisher::Publish() {
  rpm_ = options_.startingTrigger + steps_++ * options_.triggerIncrement;
  for (const std::string item : {"rpm", "ch1.spectrum", "ch2.spectrum", "sine"}) {
    for (auto& [socket, items] : advised_) {
      if (!items.count(item)) continue;
      bool known = false;
      const std::string text = Answer(topics_[socket], item, known);
      const std::string head = "update " + std::to_string(ItemIndex(item)) + " ";
      socket->write(Framed(head.c_str(), text).c_str());
    }
  }
}

void TZavoPublisher::Die() {
  const auto sockets = topics_;
  for (const auto& [socket, topic] : sockets) socket->abort();
}

void TZavoPublisher::SendGarbage() {
  for (const auto& [socket, topic] : topics_) socket->write("\x01\x02 what is this\n");
}

void TZavoPublisher::Flood(size_t bytes) {
  const std::string chunk(64 * 1024, 'x');
  for (const auto& [socket, topic] : topics_) {
    for (size_t sent = 0; sent < bytes; sent += chunk.size()) socket->write(chunk.data(), 65536);
  }
}

}  // namespace orvanix::test
