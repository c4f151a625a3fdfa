// A stand-in for the external acquisition program: an automation server of service `ZAVO`
// that speaks our line protocol. Topic "Main" names the active test; the test's topic answers
// its order-tracking settings and the channel items' properties and publishes an RPM item
// and one spectrum item per channel; topic "Signals" publishes a sine as sample values (for
// a plain link). Each Publish() is one step of an RPM sweep: the RPM, then every channel's
// spectrum, go to whoever keeps an advise link on them.
//
// The spectra are known: channel 1 holds order 10 of the RPM at amplitude 1.0 and a fixed
// line at 5 kHz of 0.2; channel 2 holds order 20 at 0.5. Lines are written
// "amplitude<TAB>frequency" (so the amplitudes are the 1st, 3rd, 5th ... numbers).
#pragma once

#include <QObject>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

class QLocalServer;
class QLocalSocket;

namespace orvanix::test {

struct TPublisherOptions {
  std::string testName = "/srv/zavo/tests/Run up 600-6000.tst";
  bool orderTracking = true;
  double startingTrigger = 600;
  double triggerIncrement = 100;
  int points = 512;          // spectral lines per channel
  double rateSecs = 0.0232;  // seconds one block spans
  int channels = 2;
  int sinePeriod = 32;  // samples per period of the "Sine" item
  int sineSamples = 4096;
  int sineAmplitude = 16000;
};

class TZavoPublisher : public QObject {
 public:
  explicit TZavoPublisher(TPublisherOptions options = {});
  ~TZavoPublisher() override;

  // Listens where service ZAVO is found (or at `path`); false with `error` set.
  bool Listen(const std::string& path, std::string& error);
  // One sweep step: the next RPM (start, start + increment, ...), then the spectra.
  void Publish();
  double Rpm() const { return rpm_; }
  // The sweep starts again at its first RPM.
  void Restart() { steps_ = 0; }
  // Lines of the spectrum published for a channel (0, 1) at an RPM.
  std::vector<double> Spectrum(int channel, double rpm) const;
  double LineWidthHz() const;
  // Faults, for the tests: every conversation ends; a line no protocol knows; a header
  // line that never ends.
  void Die();
  void SendGarbage();
  void Flood(size_t bytes);
  int Conversations() const { return static_cast<int>(topics_.size()); }
  const std::string& SocketPath() const { return path_; }

 private:
  void Accept();
  void Read(QLocalSocket* socket);
  void Handle(QLocalSocket* socket, const std::string& line);
  std::string Answer(const std::string& topic, const std::string& item, bool& known) const;
  std::string SpectrumText(int channel) const;
  std::string SineText() const;

  TPublisherOptions options_;
  QLocalServer* server_ = nullptr;
  std::string path_;
  std::map<QLocalSocket*, std::string> topics_;
  std::map<QLocalSocket*, std::string> buffers_;
  std::map<QLocalSocket*, std::set<std::string>> advised_;
  double rpm_ = 0;
  int steps_ = 0;
};

}  // namespace orvanix::test
