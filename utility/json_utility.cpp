#include "utility/json_utility.h"

#include <cstdint>

namespace json_utility {

template <>
std::vector<MediaItem*> get_array(nlohmann::json& value) {
  std::vector<MediaItem*> items;
  if (!value.is_array()) return items;
  for (const nlohmann::json& element : value) {
    if (!element.is_object()) continue;
    const auto member = element.find("MediaItem*");
    if (member == element.end()) continue;
    if (!member->is_number()) throw nlohmann::json::type_error::create(302, "MediaItem* is not a number", &*member);
    uint64_t address = 0;
    if (member->is_number_float()) {
      // A fraction names the address below it; a value no address can have names none.
      const double d = member->get<double>();
      if (!(d >= 0.0 && d < 18446744073709551616.0)) continue;
      address = static_cast<uint64_t>(d);
    } else {
      address = member->get<uint64_t>();
    }
    items.push_back(reinterpret_cast<MediaItem*>(static_cast<uintptr_t>(address)));
  }
  return items;
}

template <>
std::vector<std::string> get_array(nlohmann::json& value) {
  std::vector<std::string> texts;
  if (!value.is_array()) return texts;
  for (const nlohmann::json& element : value)
    if (element.is_string()) texts.push_back(element.get<std::string>());
  return texts;
}

}  // namespace json_utility
