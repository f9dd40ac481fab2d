// The record types, their pools and the Python containers, inside the library: what a
// script cannot see from outside (pool contents, cell sharing, the base behaviour).
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <vector>

#include "object/TrackDetail.h"
#include "object/VOXPAIR_Tracks.h"
#include "object/mx_Midi.h"
#include "object/mx_Peak.h"
#include "python/python_api.h"
#include "python/python_utility.h"

namespace {

using namespace mx_object;
using python_utility::pyvar_array_list;
using python_utility::pyvar_map_list;

size_t pooled_records() {
  return TrackDetail::pool.size() + mx_Midi::pool.size() + mx_Peak::pool.size() + VOXPAIR_Tracks::pool.size();
}

size_t pooled_everything() {
  return pooled_records() + mx_List::mxList_pool.size() + pyvar_array_list.size() + pyvar_map_list.size();
}

// Every test starts and ends with empty pools.
class Pools : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(pooled_everything(), 0u); }
  void TearDown() override {
    mx_List::mxList_pool.clear();
    TrackDetail::pool.clear();
    mx_Midi::pool.clear();
    mx_Peak::pool.clear();
    VOXPAIR_Tracks::pool.clear();
    pyvar_array_list.clear();
    pyvar_map_list.clear();
  }
};

TEST_F(Pools, KeyInfoCountsPresentFieldsOnly) {
  TrackDetail t;
  EXPECT_EQ(t.get_size(), 0);
  EXPECT_THROW(t.get_key_info(0), std::out_of_range);
  t.Track->set(nullptr);
  t.Depth->set(2);
  EXPECT_EQ(t.get_size(), 2);
  EXPECT_EQ(t.get_key_info(0), std::make_pair(std::string("Track"), std::string("MediaTrack*")));
  EXPECT_EQ(t.get_key_info(1), std::make_pair(std::string("Depth"), std::string("int")));
  for (int bad : {-1, 2}) {
    try {
      t.get_key_info(bad);
      ADD_FAILURE() << bad;
    } catch (const std::out_of_range& e) {
      EXPECT_STREQ(e.what(), "out of range");
    }
  }
  VOXPAIR_Tracks v;
  v.MasterName->set("JP");
  EXPECT_EQ(v.get_key_info(0), std::make_pair(std::string("MasterName"), std::string("string")));
}

TEST_F(Pools, ValuesAreStoredOnlyInTheirOwnType) {
  TrackDetail t;
  EXPECT_EQ(t.get_value("Volume"), PoolValue(0.0));
  EXPECT_EQ(t.get_value("volume"), PoolValue(0));
  EXPECT_EQ(t.get_value("Name"), PoolValue(std::string()));
  EXPECT_EQ(t.get_value("Track"), pool_value<void*>(nullptr));
  t.set_value("Index", PoolValue(2.0));
  EXPECT_EQ(t.get_value("Index"), PoolValue(0));
  t.set_value("Index", PoolValue(2));
  EXPECT_EQ(t.get_value("Index"), PoolValue(2));
  t.set_value("Track", pool_value<void*>(&t));
  EXPECT_EQ(t.Track->value, reinterpret_cast<MediaTrack*>(&t));
  t.set_value("Name", pool_value<bool>(true));
  t.set_value("Name", pool_value<std::string>("N"));
  EXPECT_EQ(t.Name->value, "N");
  EXPECT_EQ(t.get_size(), 0);  // values set by key never make a field present

  mx_Peak p;
  p.set_value("Frequency", PoolValue(440));  // an int is not a double
  p.set_value("PointVol", PoolValue(-2.5));
  EXPECT_EQ(p.get_value("Frequency"), PoolValue(0.0));
  EXPECT_EQ(p.get_value("PointVol"), PoolValue(-2.5));
}

TEST_F(Pools, CopiesShareTheirCellsAndOwnTheirHandles) {
  mx_Peak a;
  mx_Peak b(a);
  b.set_value("Time", PoolValue(1.25));
  EXPECT_EQ(a.get_value("Time"), PoolValue(1.25));
  EXPECT_EQ(a.handle, handle_of(&a));
  EXPECT_EQ(b.handle, handle_of(&b));
  mx_Peak c(std::move(a));  // a "move" copies: the source keeps its cells
  c.MaxPeak->set(-3.0);
  EXPECT_EQ(a.MaxPeak->value, -3.0);
  EXPECT_EQ(c.handle, handle_of(&c));

  std::vector<TrackDetail> grown;
  for (int i = 0; i < 20; ++i) {
    grown.emplace_back();
    grown.back().Index->set(i);
  }
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(grown[i].handle, handle_of(&grown[i]));
    EXPECT_EQ(grown[i].Index->value, i);
  }
}

// A record type without fields of its own keeps the base behaviour.
class Bare final : public mx_List {
 public:
  void pushvalue(lua_State*) const override {}
  void set_value_from_luatable(lua_State*, int) override {}
};

TEST_F(Pools, TheBaseAnswersNothing) {
  Bare bare;
  mx_List& base = bare;
  EXPECT_EQ(base.get_key_info(0), std::make_pair(std::string(), std::string()));
  EXPECT_EQ(base.get_size(), 0);
  EXPECT_EQ(base.get_value("Time"), PoolValue(0));
  base.set_value("Time", PoolValue(1.0));
  EXPECT_EQ(base.get_value("Time"), PoolValue(0));
  EXPECT_TRUE(base.to_json().is_null());
  base.release_inpool();
  EXPECT_EQ(base.handle, handle_of(&bare));
}

TEST_F(Pools, PooledListsHoldPooledCopies) {
  std::vector<TrackDetail> none;
  auto* empty = mx_List::pool_mxList_array(none);
  EXPECT_TRUE(empty->empty());
  EXPECT_TRUE(mx_List::release_mxList(handle_of(empty)));
  EXPECT_FALSE(mx_List::release_mxList(handle_of(empty)));

  std::vector<mx_Peak> peaks(3);
  for (int i = 0; i < 3; ++i) peaks[i].Time->set(i * 0.001);
  const std::vector<mx_List*> pointers = mx_List::to_mxList_array(peaks);
  ASSERT_EQ(pointers.size(), 3u);
  EXPECT_EQ(pointers[2], &peaks[2]);
  EXPECT_EQ(pooled_records(), 0u);  // pointing into a vector pools nothing

  auto* list = mx_List::pool_mxList_array(peaks);
  ASSERT_EQ(list->size(), 3u);
  EXPECT_EQ(mx_Peak::pool.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    mx_List* copy = (*list)[i];
    EXPECT_NE(copy, &peaks[i]);
    EXPECT_EQ(copy->handle, handle_of(copy));
    EXPECT_EQ(mx_List::find_record(copy->handle), copy);
    EXPECT_EQ(copy->get_key_info(0).first, "Time");
    peaks[i].Time->value = 9.0;  // shared with the pooled copy
    EXPECT_EQ(copy->get_value("Time"), PoolValue(9.0));
  }
  EXPECT_TRUE(mx_List::release_mxList(handle_of(list)));
  EXPECT_EQ(pooled_records(), 0u);
  EXPECT_TRUE(mx_List::mxList_pool.empty());
  EXPECT_EQ(peaks[0].Time->value, 9.0);  // the originals keep their cells
}

// A depth list as a producer hands it to Python: present fields are what the script
// reads keys and types of.
TEST_F(Pools, ProducedListsReadThroughTheExports) {
  std::vector<TrackDetail> tracks(2);
  for (int i = 0; i < 2; ++i) {
    tracks[i].Track->set(reinterpret_cast<MediaTrack*>(0x100 + i));
    tracks[i].Depth->set(i);
  }
  const unsigned long long list = handle_of(mx_List::pool_mxList_array(tracks));
  ASSERT_EQ(py_get_obj_size(list), 2);
  const auto record = reinterpret_cast<unsigned long long>(py_get_ptr_inarray(list, 1));
  EXPECT_EQ(py_get_obj_size(record), 2);
  char key[1024], type[1024];
  py_get_key_inmxObj(record, 1, key, type);
  EXPECT_STREQ(key, "Depth");
  EXPECT_STREQ(type, "int");
  py_get_key_inmxObj(record, 2, key, type);
  EXPECT_STREQ(key, "");
  EXPECT_STREQ(type, "");
  EXPECT_EQ(py_get_ptr_inmxobj(record, "Track"), reinterpret_cast<void*>(0x101));
  EXPECT_EQ(py_get_int_inmxobj(record, "Depth"), 1);
  py_release_obj(list);
  EXPECT_EQ(pooled_everything(), 0u);
}

TEST_F(Pools, RecordsArePooledOnceAndOnlyInALiveList) {
  auto record = std::make_shared<mx_Midi>();
  mx_List::set_obj_topool(record);
  mx_List::set_obj_topool(record);
  EXPECT_EQ(mx_Midi::pool.size(), 1u);
  record->release_inpool();
  EXPECT_TRUE(mx_Midi::pool.empty());
  record->release_inpool();  // absent: nothing happens

  EXPECT_EQ(mx_List::create_mxobj_inarray<mx_Midi>(12345), nullptr);
  const unsigned long long array = python_utility::create_array_inpool();
  EXPECT_EQ(mx_List::create_mxobj_inarray<mx_Peak>(array), nullptr);
  EXPECT_EQ(pooled_records(), 0u);

  const unsigned long long list = mx_List::create_mxlist_array();
  mx_List* made = mx_List::create_mxobj_inarray<TrackDetail>(list);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(TrackDetail::pool.count(made->handle), 1u);
  EXPECT_EQ(mx_List::mxList_pool.at(list)->back(), made);
}

TEST_F(Pools, ARecordReleasedAloneLeavesEveryListHoldingIt) {
  const unsigned long long list = mx_List::create_mxlist_array();
  mx_List* a = mx_List::create_mxobj_inarray<mx_Peak>(list);
  mx_List* b = mx_List::create_mxobj_inarray<mx_Midi>(list);
  // A second list holding the same record, as no script can make it but a future
  // producer might.
  const unsigned long long other = mx_List::create_mxlist_array();
  mx_List::mxList_pool.at(other)->push_back(a);
  EXPECT_TRUE(mx_List::release_record(a->handle));
  EXPECT_EQ(*mx_List::mxList_pool.at(list), std::vector<mx_List*>{b});
  EXPECT_TRUE(mx_List::mxList_pool.at(other)->empty());
  EXPECT_FALSE(mx_List::release_record(handle_of(a)));
  EXPECT_TRUE(mx_List::release_mxList(list));
  EXPECT_EQ(pooled_records(), 0u);
}

TEST_F(Pools, ValueArraysFromVectors) {
  std::vector<MediaTrack*> tracks{reinterpret_cast<MediaTrack*>(0x10), nullptr};
  std::vector<std::string> texts{"a", ""};
  auto* t = python_utility::set_obj_topool(tracks);
  auto* s = python_utility::set_obj_topool(texts);
  EXPECT_EQ(*t, (python_utility::value_array{pool_value<void*>(tracks[0]), pool_value<void*>(nullptr)}));
  EXPECT_EQ(*s, (python_utility::value_array{pool_value<std::string>("a"), pool_value<std::string>("")}));
  EXPECT_EQ(pyvar_array_list.size(), 2u);
}

TEST_F(Pools, ReleasingWithReferredArraysFollowsOneLevel) {
  const unsigned long long a = py_create_array(), b = py_create_array(), c = py_create_array();
  py_set_array_ptr(a, reinterpret_cast<void*>(a));  // itself, before more elements
  py_set_array_ptr(a, reinterpret_cast<void*>(b));
  py_set_array_ptr(b, reinterpret_cast<void*>(c));
  py_release_obj2(a);
  EXPECT_EQ(pyvar_array_list.size(), 1u);
  EXPECT_EQ(pyvar_array_list.count(c), 1u);
}

// Random calls through the exported functions. After every call each listed pointer
// names a live pooled record and each pooled record sits in exactly one list; at the end
// releasing every handle ever issued empties every pool. Under the sanitizers any read
// of a released object fails the run.
TEST_F(Pools, RandomCallsLeaveNoDanglingOrLeftoverEntries) {
  std::mt19937_64 rng(7);
  std::vector<unsigned long long> handles{0, 1, ~0ull, 0xdeadbeef};
  auto any = [&] { return handles[rng() % handles.size()]; };
  auto issue = [&](unsigned long long h) {
    if (h) handles.push_back(h);
  };
  const char* types[] = {"TrackDetail", "mx_Midi", "mx_Peak", "mx_Path", ""};
  char key[1024], type[1024];
  for (int step = 0; step < 3000; ++step) {
    const unsigned long long h = any();
    switch (rng() % 8) {
      case 0: issue(py_create_array()); break;
      case 1: issue(py_create_map()); break;
      case 2: issue(py_create_mxList_array()); break;
      case 3: issue(py_create_mxObj_inarray(h, types[rng() % 5])); break;
      case 4:
        py_set_array_ptr(h, reinterpret_cast<void*>(any()));
        py_set_map_string(h, "k", "v");
        py_set_double_inmxObj(h, "Time", 1.0);
        break;
      case 5:
        py_get_key_inmxObj(h, static_cast<int>(rng() % 3) - 1, key, type);
        py_get_double_inmxobj(h, "Time");
        py_get_ptr_inarray(h, static_cast<int>(rng() % 4) - 1);
        py_get_obj_size(h);
        break;
      default: rng() % 2 ? py_release_obj2(h) : py_release_obj(h);
    }
    size_t listed = 0;
    for (const auto& [list_handle, list] : mx_List::mxList_pool) {
      for (mx_List* r : *list) ASSERT_EQ(mx_List::find_record(handle_of(r)), r) << step;
      listed += list->size();
    }
    ASSERT_EQ(pooled_records(), listed) << step;
  }
  EXPECT_GT(handles.size(), 500u);
  for (unsigned long long h : handles) py_release_obj(h);
  EXPECT_EQ(pooled_everything(), 0u);
}

}  // namespace
