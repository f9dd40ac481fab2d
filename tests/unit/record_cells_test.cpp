// How records keep their fields: copies share them and keep them alive after the
// original is gone, a field assigned from another moves only its value, cells made
// outside a record stand alone, and long lists reuse and return their storage. Run
// under AddressSanitizer, a field freed while still held, or never freed, is reported.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "object/TrackDetail.h"
#include "object/mx_Path.h"
#include "object/mx_Peak.h"

namespace {

using namespace mx_object;

const std::string LONG_NAME(200, 'n');  // held on the heap, so a lost release leaks

TEST(RecordCells, CopiesKeepSharedFieldsAliveAfterTheOriginalIsGone) {
  auto original = std::make_unique<TrackDetail>();
  original->Name->set(LONG_NAME);
  TrackDetail copy(*original);
  TrackDetail assigned;
  assigned = *original;      // drops its own fields, shares the original's
  assigned = assigned;       // a record assigned to itself keeps its fields
  original.reset();
  EXPECT_EQ(copy.Name->value, LONG_NAME);
  copy.Depth->set(3);
  EXPECT_EQ(assigned.Depth->value, 3);
  EXPECT_EQ(assigned.get_size(), 2);
  EXPECT_NE(copy.handle, assigned.handle);
}

TEST(RecordCells, AssigningAFieldMovesOnlyItsValue) {
  mx_Peak a, b;
  b.MinPeak->set(-6.0);
  *a.MaxPeak = *b.MinPeak;  // a field of another place in another block
  { mx_Peak gone(b); }
  b = mx_Peak();            // b's old fields are dropped
  a.MaxPeak->set(a.MaxPeak->value - 1.0);
  EXPECT_EQ(a.MaxPeak->value, -7.0);
  EXPECT_EQ(b.MinPeak->value, 0.0);
  mx_Peak c(a);
  EXPECT_EQ(c.MaxPeak->value, -7.0);
}

// Blocks given back are handed out again first, so a record made right after the last
// holder of another has gone takes that record's fields: a hold miscounted anywhere
// (a lost release as much as an early one) shows as another field address.
TEST(RecordCells, TheLastHolderGivesTheBlockBack) {
  const double* fields_of_a = nullptr;
  {
    mx_Peak a, b;
    *a.MaxPeak = *b.MinPeak;
    *a.Time = *b.PointVol;
    mx_Peak c(a);
    TrackDetail other;  // a block of another layout, from another slab
    c = mx_Peak(b);
    fields_of_a = &a.Time->value;
  }  // c, b, then a
  mx_Peak d;
  EXPECT_EQ(&d.Time->value, fields_of_a);
}

TEST(RecordCells, CellsMadeOutsideARecordStandAlone) {
  std::vector<mx_Path> paths;
  for (int i = 0; i < 40; ++i) {
    mx_Path p;
    p.FileName->set(LONG_NAME + std::to_string(i));
    paths.push_back(p);  // shares p's fields, and p goes
  }
  cell<int> loose;
  loose->set(5);
  cell<int> shared(loose);
  loose = cell<int>();
  shared = shared;  // its only holder: the field must survive
  cell<int> next;
  next->set(9);
  EXPECT_EQ(shared->value, 5);
  EXPECT_EQ(loose->value, 0);
  for (int i = 0; i < 40; ++i) EXPECT_EQ(paths[i].FileName->value, LONG_NAME + std::to_string(i));
}

// Lists larger than many chunks, one announced and one grown, released in a random
// order while new records are made: every record reads back what was written into it.
TEST(RecordCells, LongListsReleasedInAnyOrderKeepEveryValue) {
  for (const bool announced : {true, false}) {
    constexpr size_t N = 60000;
    std::vector<mx_Peak> list;
    if (announced) mx_Peak::reserve(list, N);
    for (size_t i = 0; i < N; ++i) list.emplace_back().Time->set(static_cast<double>(i));
    std::vector<std::pair<size_t, std::unique_ptr<mx_Peak>>> kept;
    for (size_t i = 0; i < N; i += 7) kept.emplace_back(i, std::make_unique<mx_Peak>(list[i]));
    list.clear();

    std::mt19937 random(announced ? 1 : 2);
    std::shuffle(kept.begin(), kept.end(), random);
    std::vector<TrackDetail> made;
    for (size_t k = 0; k < kept.size(); ++k) {
      if (k % 2) {
        kept[k].second.reset();
        made.emplace_back().Name->set(LONG_NAME);
        made.back().Index->set(static_cast<int>(k));
      }
    }
    for (const auto& [i, p] : kept) {
      if (p) {
        EXPECT_EQ(p->Time->value, static_cast<double>(i));
      }
    }
    for (const TrackDetail& t : made) {
      EXPECT_EQ(t.Index->value % 2, 1);
      EXPECT_EQ(t.Name->value, LONG_NAME);
    }
    EXPECT_EQ(made.size(), kept.size() / 2);
  }
}

}  // namespace
