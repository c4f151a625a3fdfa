// The links' connections: Paste Link, the multi-link's sequence of questions, the end of a
// link. The advise data they bring are in DataLinkData.cpp.
#include "automation/DataLinks.h"

#include "acquisition/ReportQueue.h"
#include "app/core/AnalyzerCore.h"
#include "automation/AutomationServer.h"
#include "automation/AutomationTexts.h"
#include "engine/Messages.h"

namespace orvanix {

namespace {

// The channel item's properties, in the order they are asked for.
constexpr const char* kProperties[] = {"points", "rate", "xLabel", "xUnits", "yLabel", "yUnits"};

bool IsAnswer(const TServerMessage* reply, std::string_view word) {
  return reply && reply->kind == TServerMessage::Kind::Answer && reply->text == word;
}

const std::string* ValueOf(const TServerMessage* reply) {
  return reply && reply->kind == TServerMessage::Kind::Value ? &reply->text : nullptr;
}

// A property's text without the line break a server may end it with.
std::string Cleaned(const std::string& text) {
  size_t end = text.size();
  while (end > 0 && (text[end - 1] == '\r' || text[end - 1] == '\n' || text[end - 1] == ' ')) {
    --end;
  }
  return text.substr(0, std::min<size_t>(end, 40));
}

}  // namespace

TDataLinks::TDataLinks(TAnalyzerCore& core, TAutomationServer& server, TSampleSink samples)
    : core_(core), server_(server), samples_(std::move(samples)) {}

TDataLinks::~TDataLinks() {
  if (core_.LinkedData() == this) core_.SetLinkedData(nullptr);
  for (TLink& link : links_) Close(link);
  for (TLink& link : helpers_) Close(link);
}

void TDataLinks::Report(const std::string& text) {
  TReportQueue::Instance().Post(text, MessageIcon::Information, {}, std::string());
}

void TDataLinks::Close(TLink& link) {
  if (link.conversation) {
    link.conversation->Close();
    link.conversation->deleteLater();
  }
  link.conversation = nullptr;
  if (link.slot) server_.ReturnLinkSlot();
  link.slot = false;
}

void TDataLinks::Disconnect() {
  ++attempt_;
  for (TLink& link : links_) Close(link);
  for (TLink& link : helpers_) Close(link);
  phase_ = Phase::Idle;
}

bool TDataLinks::LinksToItself(const std::string& service) const {
  std::string error;
  const std::string path = LinkSocketPath(service, error);
  return !path.empty() && server_.Listening() && path == server_.SocketPath();
}

bool TDataLinks::PasteLink(const TLinkAddress& link, const std::string& clipboardText) {
  if (core_.Mode() != kModeRealTime) return false;
  // Our own items are posted after every block, a linked one's too: taken back in as
  // samples, each would make the next block, without end. Refused before anything changes,
  // so that the link there was goes on.
  if (!SameName(link.server, kMultiLinkApplication) && LinksToItself(link.server)) {
    Report(Format(kLinkToItself, link.server.c_str()));
    return true;
  }
  if (core_.IsRunning()) core_.Stop();
  Disconnect();
  // The traces of an earlier test no longer stand for the views.
  if (core_.LinkedData() == this) core_.SetLinkedData(nullptr);
  traces_.Clear();
  frequencyData_ = false;
  orderTracking_ = false;
  if (!SameName(link.server, kMultiLinkApplication)) {
    multi_ = false;
    plain_ = link;
    phase_ = Phase::Connecting;
    const uint64_t attempt = attempt_;
    Connect(0, link, [this, attempt](const std::string& error) {
      if (attempt != attempt_) return;
      if (!error.empty()) {
        Fail(error);
        return;
      }
      phase_ = Phase::Active;
    });
    return true;
  }
  multi_ = true;
  if (!ParseMultiLinkText(clipboardText, config_)) return true;  // connects nothing
  phase_ = Phase::Connecting;
  ConnectMulti(0);
  return true;
}

void TDataLinks::Connect(int index, const TLinkAddress& address,
                         std::function<void(std::string)> done) {
  TLink& link = links_[static_cast<size_t>(index)];
  const std::string failure = Format(kLinkFailure, address.server.c_str());
  if (!server_.TakeLinkSlot()) {
    done(failure);
    return;
  }
  link.slot = true;
  auto* conversation = new TLinkConversation;
  link.conversation = conversation;
  conversation->OnUpdate([this, index](const std::string& data) { AdviseData(index, data); });
  conversation->OnEnd([this, index](TLinkConversation::End end) { Ended(index, end); });
  const uint64_t attempt = attempt_;
  conversation->Open(address.server, address.topic, [=, this](bool opened) {
    if (attempt != attempt_) return;
    if (!opened) {
      done(failure);
      return;
    }
    conversation->Ask("advise " + address.item, [=, this](const TServerMessage* reply) {
      if (attempt != attempt_) return;
      if (!IsAnswer(reply, kAnswerOk)) {
        done(Format(kLinkItemMissing, address.server.c_str(), address.topic.c_str(),
                    address.item.c_str()));
        return;
      }
      done({});
    });
  });
}

void TDataLinks::ConnectMulti(int index) {
  if (index > config_.channels) {
    traces_.Clear();
    phase_ = Phase::Active;
    ReadProperties(0);
    return;
  }
  const uint64_t attempt = attempt_;
  Connect(index, config_.links[static_cast<size_t>(index)],
          [this, attempt, index](const std::string& error) {
            if (attempt != attempt_) return;
            if (!error.empty()) {
              Fail(error);
              return;
            }
            ConnectMulti(index + 1);
          });
}

void TDataLinks::ReadProperties(size_t next) {
  TLinkConversation* conversation = links_[1].conversation;
  if (next == std::size(kProperties) || !conversation) {
    block_ = DeriveLinkedBlock(properties_[0], properties_[1]);
    frequencyData_ = xUnits_ == "Hz";
    ReadOrderTracking();
    return;
  }
  if (next == 0) {
    properties_ = {0, 0};
    xLabel_.clear();
    xUnits_.clear();
    yLabel_.clear();
    yUnits_.clear();
  }
  const std::string name = PropertyName(config_.links[1].item, kProperties[next]);
  const uint64_t attempt = attempt_;
  conversation->Ask("request " + name, [=, this](const TServerMessage* reply) {
    if (attempt != attempt_) return;
    const std::string* value = ValueOf(reply);
    if (!value) {
      Report(Format(kLinkPropertyMissing, name.c_str()));
    } else if (next < 2) {
      properties_[next] = ParseLinkReal(*value).value_or(0);
    } else {
      std::string* texts[] = {&xLabel_, &xUnits_, &yLabel_, &yUnits_};
      *texts[next - 2] = Cleaned(*value);
    }
    ReadProperties(next + 1);
  });
}

void TDataLinks::ReadOrderTracking() {
  // Any failure here leaves order tracking off, silently; the link itself stands.
  const uint64_t attempt = attempt_;
  auto finish = [this, attempt] {
    if (attempt != attempt_) return;
    for (TLink& link : helpers_) Close(link);
    Finish();
  };
  auto open = [this](TLink& link, const std::string& topic, std::function<void(bool)> done) {
    if (!server_.TakeLinkSlot()) {
      done(false);
      return;
    }
    link.slot = true;
    link.conversation = new TLinkConversation;
    link.conversation->Open(kExternalService, topic, std::move(done));
  };
  open(helpers_[0], kExternalMainTopic, [=, this](bool opened) {
    if (attempt != attempt_) return;
    if (!opened) return finish();
    helpers_[0].conversation->Ask(
        "request ActiveTestAsLongFileName", [=, this](const TServerMessage* reply) {
          if (attempt != attempt_) return;
          const std::string* test = ValueOf(reply);
          if (!test || Cleaned(*test).empty()) return finish();
          open(helpers_[1], Cleaned(*test), [=, this](bool opened) {
            if (attempt != attempt_) return;
            if (!opened) return finish();
            TLinkConversation* asked = helpers_[1].conversation;
            // The answers, in the order asked: OrderTracking, StartingTrigger,
            // TriggerIncrement, XAxisUnits, YAxisUnits.
            auto answers = std::make_shared<std::vector<std::string>>();
            const char* names[] = {"OrderTracking", "StartingTrigger", "TriggerIncrement",
                                   "XAxisUnits", "YAxisUnits"};
            for (const char* name : names) {
              asked->Ask(std::string("request ") + name, [=, this](const TServerMessage* reply) {
                if (attempt != attempt_) return;
                const std::string* value = ValueOf(reply);
                answers->push_back(value ? Cleaned(*value) : std::string());
                if (answers->size() < std::size(names)) return;
                const std::vector<std::string>& a = *answers;
                if (SameName(a[0], "Yes")) {
                  orderTracking_ = true;
                  traces_.Clear();
                  sweep_ = MakeRpmSweep(ParseLinkReal(a[1]).value_or(0),
                                        ParseLinkReal(a[2]).value_or(0));
                  xLabel_ = a[3];
                  yLabel_ = a[4];
                  xUnits_.clear();
                  yUnits_.clear();
                }
                finish();
              });
            }
          });
        });
  });
}

void TDataLinks::Finish() {
  if (frequencyData_) ConfigureAnalyzer();
}

void TDataLinks::Fail(const std::string& message) {
  Disconnect();
  Report(message);
}

void TDataLinks::Ended(int index, TLinkConversation::End end) {
  const TLink& link = links_[static_cast<size_t>(index)];
  const std::string service = link.conversation ? link.conversation->Service() : std::string();
  const char* text = end == TLinkConversation::End::Closed    ? kLinkEndedClosed
                     : end == TLinkConversation::End::Garbage ? kLinkEndedGarbage
                                                              : kLinkEndedTooLarge;
  Fail(Format(text, service.c_str()));
}

}  // namespace orvanix
