// zavo-publisher: the stand-in for the external acquisition program, by hand.
//
//   zavo-publisher [--interval MSEC] [--steps N] [--channels 1|2] [--no-order-tracking]
//                  [--copy-link multi|plain] [--socket PATH]
//
// Serves service ZAVO where Orvanix looks for it ($XDG_RUNTIME_DIR/orvanix/zavo.sock) and
// publishes one step of its RPM sweep every MSEC (default 500), starting over after N steps
// (default 55: 600 ... 6000 rpm). --copy-link puts a link on the clipboard (needs a display):
// "multi" the external program's multi-link, "plain" a plain link to its "Sine" samples;
// then Edit > Paste Link in Orvanix connects to it.
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMimeData>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "automation/LinkConversation.h"
#include "automation/LinkText.h"
#include "tests/publisher/ZavoPublisher.h"

using orvanix::test::TPublisherOptions;
using orvanix::test::TZavoPublisher;

int main(int argc, char** argv) {
  TPublisherOptions options;
  int interval = 500, steps = 55;
  std::string copy, socket;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool more = i + 1 < argc;
    if (arg == "--interval" && more) {
      interval = std::atoi(argv[++i]);
    } else if (arg == "--steps" && more) {
      steps = std::atoi(argv[++i]);
    } else if (arg == "--channels" && more) {
      options.channels = std::atoi(argv[++i]) == 1 ? 1 : 2;
    } else if (arg == "--no-order-tracking") {
      options.orderTracking = false;
    } else if (arg == "--copy-link" && more) {
      copy = argv[++i];
    } else if (arg == "--socket" && more) {
      socket = argv[++i];
    } else {
      std::fprintf(stderr,
                   "usage: zavo-publisher [--interval MSEC] [--steps N] [--channels 1|2]\n"
                   "       [--no-order-tracking] [--copy-link multi|plain] [--socket PATH]\n");
      return 2;
    }
  }
  std::unique_ptr<QCoreApplication> app;
  if (copy.empty()) {
    app = std::make_unique<QCoreApplication>(argc, argv);
  } else {
    app = std::make_unique<QGuiApplication>(argc, argv);
  }
  std::string error;
  if (socket.empty()) socket = orvanix::LinkSocketPath(orvanix::kExternalService, error);
  TZavoPublisher publisher(options);
  if (socket.empty() || !publisher.Listen(socket, error)) {
    std::fprintf(stderr, "zavo-publisher: %s\n", error.c_str());
    return 1;
  }
  std::fprintf(stderr, "zavo-publisher: serving ZAVO on %s\n", socket.c_str());
  if (!copy.empty()) {
    auto* mime = new QMimeData;
    const bool multi = copy == "multi";
    const orvanix::TLinkAddress link =
        multi ? orvanix::TLinkAddress{orvanix::kMultiLinkApplication, options.testName, "Ch1"}
              : orvanix::TLinkAddress{"ZAVO", "Signals", "Sine"};
    const std::string bytes = orvanix::MakeLinkFormat(link);
    mime->setData("Link", QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (multi) {
      std::string text = "<<ZAVO>>RPM>>ZAVO|" + options.testName + "!RPM;Ch1>>ZAVO|" +
                         options.testName + "!Ch1.Spectrum";
      if (options.channels == 2) text += ";Ch2>>ZAVO|" + options.testName + "!Ch2.Spectrum";
      mime->setText(QString::fromStdString(text));
    }
    QGuiApplication::clipboard()->setMimeData(mime);
  }
  QTimer timer;
  int step = 0;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    if (step++ == steps) {
      publisher.Restart();
      step = 1;
    }
    publisher.Publish();
  });
  timer.start(interval);
  return app->exec();
}
