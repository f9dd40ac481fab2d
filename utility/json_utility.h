// Lists read from the JSON that Python scripts hand in.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

struct MediaItem;

namespace json_utility {

// T = MediaItem*: from an array of typed pointers [{"MediaItem*": address}, ...]; every
// other element is skipped, and a "MediaItem*" member that is not a number raises the
// library's type error. T = std::string: the string elements of an array. Anything but
// an array gives an empty list.
template <class T>
std::vector<T> get_array(nlohmann::json& value);

}  // namespace json_utility
