#include "object/mx_List.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif
#include <nlohmann/json.hpp>

#include "object/TrackDetail.h"
#include "object/VOXPAIR_Tracks.h"
#include "object/mx_Midi.h"
#include "object/mx_Peak.h"
#include "object/mx_record.h"

namespace mx_object {

void map_ahead(void* begin, size_t bytes) noexcept {
#if defined(__linux__)
  constexpr size_t WORTH = size_t{2} << 20;  // below this, faulting page by page costs little
  if (bytes < WORTH) return;
  const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  const uintptr_t first = (reinterpret_cast<uintptr_t>(begin) + page - 1) & ~(page - 1);
  const uintptr_t last = (reinterpret_cast<uintptr_t>(begin) + bytes) & ~(page - 1);
  if (last <= first) return;
  void* const at = reinterpret_cast<void*>(first);
  // A kernel without either advice refuses it, and the pages then come as they are used.
#if defined(MADV_HUGEPAGE)
  madvise(at, last - first, MADV_HUGEPAGE);
#endif
#if defined(MADV_POPULATE_WRITE)
  madvise(at, last - first, MADV_POPULATE_WRITE);
#endif
#else
  (void)begin, (void)bytes;
#endif
}

block_slab::chunk* block_slab::add_chunk() {
  // Blocks start past the header, at the alignment of any field.
  constexpr size_t first = (sizeof(chunk) + alignof(std::max_align_t) - 1) / alignof(std::max_align_t) *
                           alignof(std::max_align_t);
  const size_t wanted = planned_ < size_t(-1) / size_ ? first + planned_ * size_ : LARGEST_CHUNK;
  const size_t bytes = std::clamp(wanted, CHUNK_BYTES, LARGEST_CHUNK);
  void* memory = std::malloc(bytes);
  if (!memory) throw std::bad_alloc();
  const bool large = bytes > CHUNK_BYTES;
  auto* c = new (memory) chunk{this, nullptr, nullptr, nullptr, nullptr, nullptr, 0, false, large};
  c->unused = static_cast<char*>(memory) + first;
  c->end = static_cast<char*>(memory) + bytes;
  const size_t capacity = static_cast<size_t>(c->end - c->unused) / size_;
  planned_ -= std::min(planned_, capacity);
  if (large) map_ahead(c->unused, static_cast<size_t>(c->end - c->unused));
  MX_POISON(c->unused, static_cast<size_t>(c->end - c->unused));
  list(c);
  return c;
}

void block_slab::list(chunk* c) noexcept {
  c->prev = nullptr;
  c->next = room_;
  if (room_) room_->prev = c;
  room_ = c;
  c->listed = true;
}

void block_slab::unlist(chunk* c) noexcept {
  (c->prev ? c->prev->next : room_) = c->next;
  if (c->next) c->next->prev = c->prev;
  c->prev = c->next = nullptr;
  c->listed = false;
}

void block_slab::retire(chunk* c) noexcept {
  unlist(c);
  MX_UNPOISON(c, static_cast<size_t>(c->end - reinterpret_cast<char*>(c)));
  std::free(c);
}

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
