#include "object/mx_List.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "object/TrackDetail.h"
#include "object/VOXPAIR_Tracks.h"
#include "object/mx_Midi.h"
#include "object/mx_Peak.h"

namespace mx_object {

pool_of<mx_List::record_list> mx_List::mxList_pool;

std::pair<std::string, std::string> mx_List::get_key_info(int) { return {}; }
PoolValue mx_List::get_value(std::string) { return PoolValue(); }
void mx_List::set_value(std::string, PoolValue) {}
nlohmann::json mx_List::to_json() { return nullptr; }

unsigned long long mx_List::create_mxlist_array() { return create_pooled(mxList_pool); }

bool mx_List::release_mxList(unsigned long long listHandle) {
  const auto entry = mxList_pool.find(listHandle);
  if (entry == mxList_pool.end() || !entry->second) return false;
  // Each element is looked up before it is called: whatever a list may hold, only a
  // live pooled record is ever called through.
  for (mx_List* element : *entry->second) {
    if (mx_List* record = find_record(handle_of(element))) record->release_inpool();
  }
  mxList_pool.erase(entry);
  return true;
}

mx_List* mx_List::find_record(unsigned long long handle) {
  if (mx_List* found = pooled(TrackDetail::pool, handle)) return found;
  if (mx_List* found = pooled(mx_Midi::pool, handle)) return found;
  if (mx_List* found = pooled(mx_Peak::pool, handle)) return found;
  return pooled(VOXPAIR_Tracks::pool, handle);
}

bool mx_List::release_record(unsigned long long handle) {
  mx_List* record = find_record(handle);
  if (!record) return false;
  for (auto& entry : mxList_pool) {
    if (record_list* list = entry.second.get())
      list->erase(std::remove(list->begin(), list->end(), record), list->end());
  }
  record->release_inpool();
  return true;
}

}  // namespace mx_object
