// The script object model: the value type of pools and records, the record cell, the
// base of every record, and the pools that keep what scripts hold by handle.
//
// A handle is the address of the object it names. Pooled objects live in their own
// shared allocation until released, so the address stays valid exactly that long; every
// operation that takes a handle from a script looks it up in its pool first and never
// calls through a number it did not find there.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <nlohmann/json_fwd.hpp>
#include <string>
#include <utility>
#include <variant>
#include <vector>

// Record operations that touch Lua take its state; the Lua headers stay out of here
// because this part is built once for both Lua versions.
struct lua_State;

namespace mx_object {

// One value of a pool, a record field or a Python container. The alternatives never
// convert into one another; a default value holds int 0.
using PoolValue = std::variant<int, double, bool, std::string, void*>;

// Always builds the named alternative: a plain PoolValue(x) would let a text literal
// become a bool and a bool become an int.
template <class T>
PoolValue pool_value(T value) {
  return PoolValue(std::in_place_type<T>, std::move(value));
}

// The stored value when it holds T, else T's default.
template <class T>
T value_as(const PoolValue& value) {
  const T* held = std::get_if<T>(&value);
  return held ? *held : T{};
}

// Where a field sits inside the block of fields it was made in (see mx_record.h). It
// belongs to the place, not to the value: copying or assigning a field leaves it alone.
struct field_link {
  std::uint16_t offset = 0;  // bytes from the block's start to the field

  field_link() = default;
  field_link(const field_link&) noexcept {}
  field_link& operator=(const field_link&) noexcept { return *this; }
};

// One field of a record.
template <class T>
struct mx_LitsItem_inner {
  T value{};
  bool present = false;  // given a value by the record's producer
  field_link link;       // sits in the padding after `present`: the field is no larger for it

  void set(T v) {
    value = std::move(v);
    present = true;
  }
};

inline unsigned long long handle_of(const void* object) noexcept {
  return static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(object));
}

// The pooled object a handle names, or null when its pool has no such entry.
template <class Pool>
auto* pooled(Pool& pool, unsigned long long handle) {
  const auto found = pool.find(handle);
  return found == pool.end() ? nullptr : found->second.get();
}

// A type's conversions to and from Lua tables. They call the Lua C API, so they are
// compiled once per Lua version (in a *_lua.cpp file) and installed into these pointers
// when the library loads; code built once for both versions calls them through here.
template <class T>
struct lua_conversion {
  static inline void (*push)(const T&, lua_State*) = nullptr;
  static inline void (*read)(T&, lua_State*, int index) = nullptr;
};

template <class T>
using pool_of = std::map<unsigned long long, std::shared_ptr<T>>;

// Makes a new empty T, pools it under its address, and returns that handle.
template <class T>
unsigned long long create_pooled(pool_of<T>& pool) {
  auto object = std::make_shared<T>();
  const unsigned long long handle = handle_of(object.get());
  pool.emplace(handle, std::move(object));
  return handle;
}

class mx_List {
 public:
  mx_List() noexcept : handle(handle_of(this)) {}
  // A copy is another object: it gets its own address as handle.
  mx_List(const mx_List&) noexcept : mx_List() {}
  mx_List& operator=(const mx_List&) noexcept { return *this; }

  // Slot order matters: callers reach records through mx_List*.
  virtual void pushvalue(lua_State* L) const = 0;
  virtual void set_value_from_luatable(lua_State* L, int index) = 0;
  virtual void release_inpool() {}
  virtual std::pair<std::string, std::string> get_key_info(int i);
  virtual int get_size() { return 0; }
  virtual PoolValue get_value(std::string key);
  virtual void set_value(std::string key, PoolValue value);
  virtual nlohmann::json to_json();

  unsigned long long handle;

  // Record lists handed to scripts: each list only points at records pooled in their
  // own type's pool.
  using record_list = std::vector<mx_List*>;
  static pool_of<record_list> mxList_pool;

  template <class T>
  static void set_obj_topool(std::shared_ptr<T>& record) {
    T::pool.emplace(record->handle, record);  // an existing entry is kept
  }

  // Pointers into the caller's vector, for a table pushed at once; nothing is pooled.
  template <class T>
  static std::vector<mx_List*> to_mxList_array(std::vector<T>& records) {
    std::vector<mx_List*> out;
    out.reserve(records.size());
    for (T& r : records) out.push_back(&r);
    return out;
  }

  // A pooled list of pooled copies; the copies share their cells with the originals.
  template <class T>
  static record_list* pool_mxList_array(std::vector<T>& records) {
    auto list = std::make_shared<record_list>();
    list->reserve(records.size());
    for (const T& r : records) {
      auto copy = std::make_shared<T>(r);
      set_obj_topool(copy);
      list->push_back(copy.get());
    }
    mxList_pool.emplace(handle_of(list.get()), list);
    return list.get();
  }

  static unsigned long long create_mxlist_array();

  // A new empty record of type T at the end of the list; null, with nothing made, when
  // the handle names no pooled list.
  template <class T>
  static mx_List* create_mxobj_inarray(unsigned long long listHandle) {
    record_list* list = pooled(mxList_pool, listHandle);
    if (!list) return nullptr;
    auto record = std::make_shared<T>();
    list->push_back(record.get());
    try {
      set_obj_topool(record);
    } catch (...) {
      list->pop_back();  // an unpooled record must not stay listed
      throw;
    }
    return record.get();
  }

  // Releases the list and every record in it; false when no list has that handle.
  static bool release_mxList(unsigned long long listHandle);

  // The live pooled record a handle names, of any record type, or null.
  static mx_List* find_record(unsigned long long handle);

  // Releases one record on its own. A record is never left behind as a dangling
  // pointer: it is first taken out of every pooled list that holds it, so those lists
  // close up. False when the handle names no live pooled record.
  static bool release_record(unsigned long long handle);

 protected:
  // Records are destroyed through their owner of the concrete type, never as mx_List.
  ~mx_List() = default;
};

}  // namespace mx_object
