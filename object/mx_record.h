// What the record types share: each declares its cells and one ordered table of its
// keys; the lookups, sizes and conversions below are written once over that table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "object/mx_List.h"

// Blocks given back to a slab are poisoned under AddressSanitizer, so a field read
// through a cell whose block is gone is reported as it would be for freed memory.
#if defined(__has_feature)
#if __has_feature(address_sanitizer) && !defined(__SANITIZE_ADDRESS__)
#define __SANITIZE_ADDRESS__ 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define MX_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define MX_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define MX_POISON(p, n) ((void)(p), (void)(n))
#define MX_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

struct MediaTrack;

namespace mx_object {

// How fields are stored. The fields a record declares live together in one block; each
// cell of each copy of the record points at its field and is one hold on that block, and
// the block is destroyed when its last hold goes. A field finds its block through the
// offset kept in its link, so a cell is one pointer and copying one is an increment.
//
// Records, their copies and their cells are made, copied and destroyed on the host's
// main thread only (scripts and the host call the plug-in there), so holds are plain
// counters and the slabs below have no lock.
struct block_header {
  std::uint32_t holds;
  std::uint32_t chunk_offset;  // bytes back from the block to the chunk it was cut from
};

// Blocks of one layout, cut from chunks. A block finds its chunk through its offset, and
// the chunk knows its slab, so a block is given back to the slab it came from whichever
// image's code releases it. A chunk all of whose blocks are back is returned to the
// system, except one small chunk with room, kept so that a record made and dropped in
// turn allocates nothing.
class block_slab {
 public:
  static constexpr size_t CHUNK_BYTES = size_t{1} << 16;      // the usual chunk
  static constexpr size_t LARGEST_CHUNK = size_t{32} << 20;  // for a long list announced

  constexpr block_slab(size_t size, void (*destroy)(block_header*) noexcept) : size_(size), destroy_(destroy) {}
  block_slab(const block_slab&) = delete;
  block_slab& operator=(const block_slab&) = delete;

  // Raw room for one block and the offset its header keeps; throws std::bad_alloc when
  // no chunk can be had.
  struct room {
    void* at;
    std::uint32_t chunk_offset;
  };
  room take();
  // Destroys the block's fields and gives its room back.
  static void give(block_header* block) noexcept;

  // Announces about `blocks` more blocks to come at once: the chunks cut for them are
  // larger and mapped in one go, rather than page by page as they are first written.
  // Only a size hint; it never allocates by itself.
  void expect(size_t blocks) noexcept { planned_ = blocks; }

 private:
  struct chunk;
  chunk* add_chunk();
  void list(chunk* c) noexcept;
  void unlist(chunk* c) noexcept;
  void retire(chunk* c) noexcept;

  size_t size_;
  void (*destroy_)(block_header*) noexcept;
  chunk* room_ = nullptr;  // chunks with a free block; blocks are taken from the first
  size_t planned_ = 0;     // blocks announced and not yet given a chunk
};

// Asks the system to map [begin, begin + bytes) at once, in large pages where it can:
// for a buffer about to be filled whole. Advice only; nothing is written.
void map_ahead(void* begin, size_t bytes) noexcept;

// A chunk starts with this header; its blocks follow.
struct block_slab::chunk {
  block_slab* owner;
  chunk* prev;      // among the owner's chunks with room
  chunk* next;
  void* free;       // blocks given back, each linked through its first word
  char* unused;     // blocks never handed out start here
  char* end;
  size_t live;      // blocks handed out and not given back
  bool listed;      // in the owner's list of chunks with room
  bool large;       // cut for an announced list: returned to the system once empty
};

inline block_slab::room block_slab::take() {
  chunk* c = room_ ? room_ : add_chunk();
  void* block;
  if (c->free) {
    block = c->free;
    MX_UNPOISON(block, size_);
    c->free = *static_cast<void**>(block);
  } else {
    block = c->unused;
    c->unused += size_;
    MX_UNPOISON(block, size_);
  }
  ++c->live;
  if (!c->free && static_cast<size_t>(c->end - c->unused) < size_) unlist(c);
  return {block, static_cast<std::uint32_t>(static_cast<char*>(block) - reinterpret_cast<char*>(c))};
}

inline void block_slab::give(block_header* block) noexcept {
  auto* c = reinterpret_cast<chunk*>(reinterpret_cast<char*>(block) - block->chunk_offset);
  block_slab& slab = *c->owner;
  slab.destroy_(block);
  *reinterpret_cast<void**>(block) = c->free;
  c->free = block;
  MX_POISON(block, slab.size_);
  --c->live;
  if (!c->listed) slab.list(c);
  if (c->live == 0 && (c->large || slab.room_ != c || c->next)) slab.retire(c);
}

// The fields of cell types T..., as one block.
template <class... T>
struct field_block : block_header {
  std::tuple<mx_LitsItem_inner<T>...> fields;

  explicit field_block(std::uint32_t chunk_offset) noexcept : block_header{0, chunk_offset} {
    const char* start = reinterpret_cast<const char*>(static_cast<block_header*>(this));
    std::apply([&](auto&... f) { ((f.link.offset = offset_of(start, f)), ...); }, fields);
  }

  static void destroy(block_header* block) noexcept { static_cast<field_block*>(block)->~field_block(); }

 private:
  template <class F>
  static std::uint16_t offset_of(const char* start, const F& f) noexcept {
    return static_cast<std::uint16_t>(reinterpret_cast<const char*>(&f) - start);
  }
  static_assert(sizeof...(T) > 0 && sizeof(std::tuple<mx_LitsItem_inner<T>...>) + sizeof(block_header) <
                                        block_slab::CHUNK_BYTES / 4,
                "a block must fit a chunk several times, and its offsets 16 bits");
  static_assert(block_slab::LARGEST_CHUNK <= UINT32_MAX, "a block's chunk offset is 32 bits");
};

// The slab of one block layout. Constant-initialised and never destroyed, so records
// that pools still hold while the image unloads give their blocks back safely.
template <class Block>
inline block_slab slab_of{sizeof(Block), &Block::destroy};

// Hands the cells of a record under construction their fields: the record opens a block
// for its key types before its cells are constructed, and each cell then takes the next
// field (a record declares its cells in key order). A cell made any other way, or whose
// type is not the next one, gets a block of its own.
class cell_block {
 public:
  template <class T>
  static mx_LitsItem_inner<T>* take() {
    if (next_ < count_ && tags_[next_] == &tag<T>) {
      auto* field = static_cast<mx_LitsItem_inner<T>*>(slots_[next_]);
      ++open_->holds;
      if (++next_ == count_) open_ = nullptr;
      return field;
    }
    abandon();  // cells out of key order: the fields already taken keep their block
    auto* own = make<field_block<T>>();
    own->holds = 1;
    return &std::get<0>(own->fields);
  }

  template <class T>
  static void hold(mx_LitsItem_inner<T>* field) noexcept {
    ++block_of(field)->holds;
  }
  template <class T>
  static void drop(mx_LitsItem_inner<T>* field) noexcept {
    block_header* block = block_of(field);
    if (--block->holds == 0) block_slab::give(block);
  }

  // Makes the block for a record whose keys have the cell types T..., ready for its cells.
  template <class... T>
  static void open() {
    using block = field_block<T...>;
    auto* made = make<block>();
    abandon();
    static constexpr const void* tags[] = {&tag<T>...};
    static void* slots[sizeof...(T)];
    std::apply([](auto&... f) {
      size_t i = 0;
      ((slots[i++] = &f), ...);
    }, made->fields);
    open_ = made;
    tags_ = tags;
    slots_ = slots;
    next_ = 0;
    count_ = sizeof...(T);
  }

 private:
  template <class Block>
  static Block* make() {
    const block_slab::room room = slab_of<Block>.take();
    return new (room.at) Block(room.chunk_offset);
  }
  template <class T>
  static block_header* block_of(mx_LitsItem_inner<T>* field) noexcept {
    return reinterpret_cast<block_header*>(reinterpret_cast<char*>(field) - field->link.offset);
  }
  // A block opened for a record whose cells never came is given back.
  static void abandon() noexcept {
    if (open_ && open_->holds == 0) block_slab::give(open_);
    open_ = nullptr;
    next_ = count_ = 0;
  }

  template <class T>
  static inline const char tag = 0;
  static inline block_header* open_ = nullptr;
  static inline const void* const* tags_ = nullptr;
  static inline void* const* slots_ = nullptr;
  static inline size_t next_ = 0, count_ = 0;
};

// A record's hold on one field. Copies of a record share their fields, so copying a
// cell shares it; there is deliberately no move, which would leave the source without.
template <class T>
class cell {
 public:
  cell() : field_(cell_block::take<T>()) {}
  cell(const cell& other) noexcept : field_(other.field_) { cell_block::hold(field_); }
  cell& operator=(const cell& other) noexcept {
    cell_block::hold(other.field_);  // first: the two may already share the field
    cell_block::drop(field_);
    field_ = other.field_;
    return *this;
  }
  ~cell() { cell_block::drop(field_); }

  mx_LitsItem_inner<T>* operator->() const noexcept { return field_; }
  mx_LitsItem_inner<T>& operator*() const noexcept { return *field_; }

 private:
  mx_LitsItem_inner<T>* field_;
};

// The type name scripts see for a field, and the PoolValue alternative that carries it.
template <class T>
struct cell_traits;
template <>
struct cell_traits<std::string> {
  static constexpr const char* name = "string";
  using pooled = std::string;
};
template <>
struct cell_traits<MediaTrack*> {
  static constexpr const char* name = "MediaTrack*";
  using pooled = void*;
};
template <>
struct cell_traits<double> {
  static constexpr const char* name = "double";
  using pooled = double;
};
template <>
struct cell_traits<int> {
  static constexpr const char* name = "int";
  using pooled = int;
};

template <class R, class T>
struct field {
  const char* key;
  cell<T> R::*member;
  bool from_lua;  // read by set_value_from_luatable
};

template <class R, class T>
constexpr field<R, T> key(const char* name, cell<T> R::*member, bool from_lua = true) {
  return {name, member, from_lua};
}
inline constexpr bool not_from_lua = false;

// The operations of a record type R, which lists its keys in order as
//   static constexpr auto fields() { return std::make_tuple(key("Name", &R::Name), ...); }
// and declares `static pool_of<R> pool;`.
template <class R>
class record : public mx_List {
 public:
  // Calls visit(field, cell) on each field in key order until one returns true; tells
  // whether one did. Cells are shared, so a const record still reaches writable cells.
  template <class Visit>
  bool find_field(Visit&& visit) const {
    return std::apply([&](const auto&... f) { return (visit(f, *(self().*(f.member))) || ...); },
                      R::fields());
  }

  // Room for `more` records at the end of `list` and for their cells, for a list that
  // is filled at once.
  static void reserve(std::vector<R>& list, size_t more) {
    list.reserve(list.size() + more);
    map_ahead(list.data() + list.size(), more * sizeof(R));
    expect_cells(more, R::fields());
  }

  void pushvalue(lua_State* L) const override {
    if (const auto push = lua_conversion<R>::push) push(self(), L);
  }
  void set_value_from_luatable(lua_State* L, int index) override {
    if (const auto read = lua_conversion<R>::read) read(static_cast<R&>(*this), L, index);
  }

  void release_inpool() override {
    const unsigned long long own = handle;
    R::pool.erase(own);  // may destroy *this: nothing is touched afterwards
  }

  std::pair<std::string, std::string> get_key_info(int i) override {
    std::pair<std::string, std::string> info;
    int n = 0;
    const bool found = find_field([&](const auto& f, const auto& c) {
      if (!c.present || n++ != i) return false;
      info = {f.key, cell_traits<std::decay_t<decltype(c.value)>>::name};
      return true;
    });
    if (!found) throw std::out_of_range("out of range");
    return info;
  }

  int get_size() override {
    int n = 0;
    find_field([&](const auto&, const auto& c) {
      n += c.present ? 1 : 0;
      return false;
    });
    return n;
  }

  PoolValue get_value(std::string key) override {
    PoolValue out;
    find_field([&](const auto& f, const auto& c) {
      if (key != f.key) return false;
      using pooled = typename cell_traits<std::decay_t<decltype(c.value)>>::pooled;
      out = pool_value<pooled>(static_cast<pooled>(c.value));
      return true;
    });
    return out;
  }

  void set_value(std::string key, PoolValue value) override {
    find_field([&](const auto& f, auto& c) {
      if (key != f.key) return false;
      using T = std::decay_t<decltype(c.value)>;
      if (const auto* held = std::get_if<typename cell_traits<T>::pooled>(&value)) c.value = static_cast<T>(*held);
      return true;
    });
  }

 protected:
  record() { open_cells(R::fields()); }
  record(const record&) = default;
  record& operator=(const record&) = default;
  ~record() = default;

 private:
  const R& self() const { return static_cast<const R&>(*this); }

  template <class... T>
  static void open_cells(const std::tuple<field<R, T>...>&) {
    cell_block::open<T...>();
  }
  template <class... T>
  static void expect_cells(size_t records, const std::tuple<field<R, T>...>&) {
    slab_of<field_block<T...>>.expect(records);
  }
};

}  // namespace mx_object
