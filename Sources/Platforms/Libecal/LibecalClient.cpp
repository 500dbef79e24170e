// velto-eds.so: the desktop's calendar service through libecal, for the EDS store.

#include "Libecal/LibecalClient.h"

#include "EDS/Client/EdsClient.h"
#include "Libecal/LibecalRegistry.h"

namespace CorlaMeetings {

namespace {

const EdsClientHost* lentHost = nullptr;

class LibecalClient : public EdsClient {
 public:
  std::function<void()> connectRegistry(RegistryReady ready) override {
    return LibecalRegistry::connect(std::move(ready));
  }
};

}  // namespace

std::mutex& hostLibicalLock() { return *lentHost->libical; }

}  // namespace CorlaMeetings

extern "C" __attribute__((visibility("default"))) CorlaMeetings::EdsClient* veltoEdsClient(
    int interface, const CorlaMeetings::EdsClientHost* host) {
  using namespace CorlaMeetings;
  if (interface != kEdsClientInterface || !host || !host->libical) return nullptr;
  lentHost = host;
  static LibecalClient client;
  return &client;
}
