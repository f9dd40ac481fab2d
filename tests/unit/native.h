// Tests of native operations and helpers compiled into the test itself, bound to the
// simulated host's functions and to the error-code sink as a load would bind them.
#pragma once

#include <gtest/gtest.h>

#include "simhost/host.h"

namespace mxtest {

class NativeTest : public ::testing::Test {
 protected:
  void SetUp() override;
  sim::Host& host() { return sim::Host::get(); }
  sim::Session& session() { return sim::Host::get().session(); }
  int error_code();
};

}  // namespace mxtest
