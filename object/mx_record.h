// What the record types share: each declares its cells and one ordered table of its
// keys; the lookups, sizes and conversions below are written once over that table.
#pragma once

#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>

#include "object/mx_List.h"

struct MediaTrack;

namespace mx_object {

// The cells of one record come from a single allocation: the record makes the block
// before its cells are constructed, and each cell then takes its slot from it (a record
// declares its cells in key order, so slots are taken in order; a cell that finds no
// slot of its type allocates its own). Each cell's pointer aliases the block, so the
// block lives as long as any copy of any of its cells.
class cell_block {
 public:
  template <class T>
  static std::shared_ptr<mx_LitsItem_inner<T>> take() {
    if (next_ < count_ && tags_[next_] == &tag<T>) {
      auto* slot = static_cast<mx_LitsItem_inner<T>*>(slots_[next_]);
      if (++next_ == count_) {
        std::shared_ptr<void> owner = std::move(owner_);  // the last cell takes the block's hold
        return std::shared_ptr<mx_LitsItem_inner<T>>(std::move(owner), slot);
      }
      return std::shared_ptr<mx_LitsItem_inner<T>>(owner_, slot);
    }
    return std::make_shared<mx_LitsItem_inner<T>>();
  }

  // Makes the block for a record whose keys have the cell types T..., ready for its cells.
  template <class... T>
  static void open() {
    struct block {
      std::tuple<mx_LitsItem_inner<T>...> fields;
    };
    auto made = std::make_shared<block>();
    static constexpr const void* tags[] = {&tag<T>...};
    static void* slots[sizeof...(T)];
    std::apply([](auto&... f) {
      size_t i = 0;
      ((slots[i++] = &f), ...);
    }, made->fields);
    owner_ = std::move(made);
    tags_ = tags;
    slots_ = slots;
    next_ = 0;
    count_ = sizeof...(T);
  }

 private:
  template <class T>
  static inline const char tag = 0;
  // Records are built on the host's main thread only, one at a time.
  static inline std::shared_ptr<void> owner_;
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
  cell(const cell&) = default;
  cell& operator=(const cell&) = default;

  mx_LitsItem_inner<T>* operator->() const noexcept { return field_.get(); }
  mx_LitsItem_inner<T>& operator*() const noexcept { return *field_; }

 private:
  std::shared_ptr<mx_LitsItem_inner<T>> field_;
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
};

}  // namespace mx_object
