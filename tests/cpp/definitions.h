// Checks definition strings as the host reads them: return type, parameter types,
// parameter names and help, each followed by one zero byte.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "simhost/host.h"

namespace mxtest {

// Each pair: the script name and its four texts joined by zero bytes.
inline void expect_definitions(const std::vector<std::pair<const char*, std::string>>& definitions) {
  for (const auto& [name, expected] : definitions) {
    const char* def = static_cast<const char*>(sim::Host::get().registered(std::string("APIdef_") + name));
    ASSERT_NE(def, nullptr) << name;
    EXPECT_EQ(std::string(def, expected.size() + 1), expected + '\0') << name;
  }
}

}  // namespace mxtest
