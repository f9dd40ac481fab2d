#include "python/python_utility.h"

#include "object/mx_record.h"

namespace python_utility {

mx_object::pool_of<value_array> pyvar_array_list;
mx_object::pool_of<value_map> pyvar_map_list;

unsigned long long create_array_inpool() { return mx_object::create_pooled(pyvar_array_list); }
unsigned long long create_map_inpool() { return mx_object::create_pooled(pyvar_map_list); }

template <class T>
value_array* set_obj_topool(std::vector<T>& values) {
  using pooled = typename mx_object::cell_traits<T>::pooled;
  auto array = std::make_shared<value_array>();
  array->reserve(values.size());
  for (const T& v : values) array->push_back(mx_object::pool_value<pooled>(static_cast<pooled>(v)));
  pyvar_array_list.emplace(mx_object::handle_of(array.get()), array);
  return array.get();
}
template value_array* set_obj_topool(std::vector<MediaTrack*>&);
template value_array* set_obj_topool(std::vector<std::string>&);

template <class T>
nlohmann::json array_to_typeJson(const std::vector<T>& values) {
  nlohmann::json out = nlohmann::json::array();
  for (const T& v : values) out.push_back(nlohmann::json{{mx_object::cell_traits<T>::name, v}});
  return out;
}
template nlohmann::json array_to_typeJson(const std::vector<std::string>&);

void release_obj_inpool2(unsigned long long handle) {
  const auto entry = pyvar_array_list.find(handle);
  if (entry == pyvar_array_list.end() || !entry->second) return;
  // Held here while its elements are followed: one of them may name this very array.
  const std::shared_ptr<value_array> array = entry->second;
  for (const PoolValue& value : *array) {
    if (void* const* named = std::get_if<void*>(&value)) pyvar_array_list.erase(mx_object::handle_of(*named));
  }
  pyvar_array_list.erase(handle);
}

}  // namespace python_utility
