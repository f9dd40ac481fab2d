#include "native.h"

#include "plugin/Bridge_IF.h"
#include "plugin/host_api.h"

namespace mxtest {

namespace {

void* lookup(const char* name) { return sim::Host::get().get_func(name); }

class Environment : public ::testing::Environment {
 public:
  void SetUp() override {
    sim::Host& host = sim::Host::get();
    host.install_sink();
    REAPERAPI_LoadAPI(&lookup);
    Bridge_IF::bridge_init();
  }
  void TearDown() override { sim::Host::get().remove_sandbox(); }
};

const auto* environment = ::testing::AddGlobalTestEnvironment(new Environment);

}  // namespace

void NativeTest::SetUp() { host().reset_session(); }

int NativeTest::error_code() { return Bridge_IF::get_errorCode(); }

}  // namespace mxtest

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
