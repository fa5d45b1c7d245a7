#pragma once
#include <string>

namespace platform::os {

// The user's HTTP proxy setting: the value of `http_proxy` ("http://host:port/" or
// "host:port"), empty when it is not set.
std::string proxySetting();

}  // namespace platform::os
