// Whole-item operations through the simulated host: switching a take's envelopes off,
// running a host action with the item selection kept, and rendering the active take.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "definitions.h"
#include "harness.h"
#include "simhost/source.h"
#include "tests/support/audio_fixture.h"

namespace {

using mxtest::HostTest;
namespace audio = mxtest::audio;

using ItemCall = bool (*)(MediaItem*);
using IndexCall = bool (*)(ReaProject*, int);
using Action = bool (*)(MediaItem*, int);
using ActionAt = bool (*)(ReaProject*, int, int);

constexpr int CROP_TO_ACTIVE_TAKE = 40131;
constexpr int RENDER_TO_NEW_TAKE = 41999;
constexpr int RATE = 44100;

class WholeItem : public HostTest {
 protected:
  // An item on `track` with `takes` empty takes named "<name> <n>", the last one active.
  MediaItem* item_with_takes(MediaTrack* track, int takes, const std::string& name, double position = 0.0) {
    MediaItem* item = session().add_item(track);
    item->position = position;
    item->length = 1.0;
    for (int i = 0; i < takes; ++i) session().add_take(item)->name = name + " " + std::to_string(i);
    item->active_take = takes - 1;
    session().reorder_items(track);
    return item;
  }

  // Gives `take` a float WAV of a tone as its source.
  void give_audio(MediaItem_Take* take, double hz, const std::string& name) {
    const std::string path = scratch_folder("whole-item-" + name) + "/" + name + ".wav";
    audio::write(path, audio::sine(hz, 0.25, 1.0, RATE), 1, RATE, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    take->source = sim::open_file_source(path);
    ASSERT_NE(take->source, nullptr);
  }

  static std::vector<MediaItem*> selected_of(const std::vector<MediaItem*>& items) {
    std::vector<MediaItem*> out;
    for (MediaItem* item : items)
      if (item->selected) out.push_back(item);
    return out;
  }
};

// ---- envelopes ---------------------------------------------------------------------------

class Envelopes : public WholeItem {
 protected:
  TrackEnvelope* envelope(MediaItem_Take* take, const std::string& name, std::vector<EnvelopePoint> points) {
    TrackEnvelope* env = session().add_envelope(take, name);
    env->points = std::move(points);
    return env;
  }
  ItemCall all_off() { return api<ItemCall>("MX_SetMediaItemEnvelopeAllOFF"); }
};

void expect_same_points(const std::vector<EnvelopePoint>& actual, const std::vector<EnvelopePoint>& expected,
                        const std::string& what) {
  ASSERT_EQ(actual.size(), expected.size()) << what;
  for (size_t i = 0; i < actual.size(); ++i) {
    EXPECT_NEAR(actual[i].time, expected[i].time, 1e-9) << what << " point " << i;
    EXPECT_NEAR(actual[i].value, expected[i].value, 1e-9) << what << " point " << i;
    EXPECT_EQ(actual[i].shape, expected[i].shape) << what << " point " << i;
    EXPECT_EQ(actual[i].selected, expected[i].selected) << what << " point " << i;
  }
}

TEST_F(Envelopes, OffMeansInactiveAndHiddenWithEverythingElseKept) {
  MediaItem* item = item_with_takes(add_track(), 2, "line");
  MediaItem_Take* take = item->active();
  TrackEnvelope* volume = envelope(take, "Volume", {{0.0, 0.7, 0, 0, false}, {0.5, 0.3, 1, 0, true}, {0.9, 0.6, 2}});
  volume->armed = true;
  volume->in_lane = true;
  volume->lane_height = 80;
  volume->default_shape = 2;
  volume->fader_scaling = true;
  TrackEnvelope* pan = envelope(take, "Pan", {{0.2, -0.5}, {0.4, 0.5}});
  TrackEnvelope* empty = envelope(take, "Pitch", {});
  // The other take's envelope is not the active take's: it stays on.
  TrackEnvelope* other = envelope(item->takes[0], "Volume", {{0.0, 0.5}});
  const TrackEnvelope volume_before = *volume, pan_before = *pan;

  EXPECT_TRUE(all_off()(item));
  EXPECT_EQ(error_code(), 0);
  for (TrackEnvelope* env : {volume, pan, empty}) {
    EXPECT_FALSE(env->active) << env->name;
    EXPECT_FALSE(env->visible) << env->name;
  }
  EXPECT_TRUE(volume->armed);
  EXPECT_TRUE(volume->in_lane);
  EXPECT_EQ(volume->lane_height, 80);
  EXPECT_EQ(volume->default_shape, 2);
  EXPECT_TRUE(volume->fader_scaling);
  EXPECT_EQ(pan->armed, pan_before.armed);
  expect_same_points(volume->points, volume_before.points, "volume");
  expect_same_points(pan->points, pan_before.points, "pan");
  EXPECT_TRUE(empty->points.empty());
  EXPECT_TRUE(other->active);
  EXPECT_TRUE(other->visible);

  // Once more on envelopes already off: nothing left to change, still a success.
  EXPECT_TRUE(all_off()(item));
  EXPECT_EQ(error_code(), 0);
  EXPECT_FALSE(volume->active);
}

TEST_F(Envelopes, ATakeWithoutEnvelopesSucceeds) {
  MediaItem* item = item_with_takes(add_track(), 1, "bare");
  EXPECT_TRUE(all_off()(item));
  EXPECT_EQ(error_code(), 0);
  EXPECT_TRUE(item->active()->envelopes.empty());
}

TEST_F(Envelopes, IndexFormsSwitchOffTheItemTheyName) {
  MediaTrack* track = add_track();
  MediaItem* first = item_with_takes(track, 1, "first", 0.0);
  MediaItem* second = item_with_takes(track, 1, "second", 5.0);
  TrackEnvelope* a = envelope(first->active(), "Volume", {{0.0, 1.0}});
  TrackEnvelope* b = envelope(second->active(), "Volume", {{0.0, 1.0}});
  second->selected = true;
  EXPECT_TRUE(api<IndexCall>("MX_SetSelectedMediaIdEnvelopeAllOFF")(nullptr, 0));
  EXPECT_TRUE(a->active);
  EXPECT_FALSE(b->active);
  EXPECT_TRUE(api<IndexCall>("MX_SetMediaIdEnvelopeAllOFF")(project(), 0));
  EXPECT_FALSE(a->active);
  EXPECT_FALSE(api<IndexCall>("MX_SetMediaIdEnvelopeAllOFF")(nullptr, 2));
  EXPECT_EQ(error_code(), 11);
  EXPECT_FALSE(api<IndexCall>("MX_SetSelectedMediaIdEnvelopeAllOFF")(nullptr, 1));
  EXPECT_EQ(error_code(), 11);
}

TEST_F(Envelopes, ItemsWithoutATakeOrNoItemAtAllFail) {
  MediaItem* dead = item_with_takes(add_track(), 1, "dead");
  session().delete_item(dead);
  MediaItem* no_take = session().add_item(add_track());
  for (const auto& [item, code] : std::vector<std::pair<MediaItem*, int>>{
           {nullptr, 11}, {dead, 11}, {reinterpret_cast<MediaItem*>(add_track()), 11}, {no_take, 12}}) {
    EXPECT_FALSE(all_off()(item)) << code;
    EXPECT_EQ(error_code(), code);
    EXPECT_EQ(call("SetMediaItemEnvelopeAllOFF", item), 0);
  }
}

// ---- actions with the selection kept -----------------------------------------------------

class Actions : public WholeItem {
 protected:
  Action action() { return api<Action>("MX_ActionMediaItemSelectKeep"); }
};

// Cropping shows which items the command ran on: only those still have one take.
TEST_F(Actions, TheCommandRunsOnTheItemAloneAndTheSelectionComesBack) {
  MediaTrack* track = add_track();
  MediaItem* a = item_with_takes(track, 3, "A", 0.0);
  MediaItem* b = item_with_takes(track, 3, "B", 2.0);
  MediaItem* c = item_with_takes(track, 3, "C", 4.0);
  struct Case {
    MediaItem* target;
    std::vector<MediaItem*> selected_after;
  };
  for (const Case& k : {Case{c, {a, b}}, Case{a, {a, b}}}) {
    a->selected = b->selected = true;
    c->selected = false;
    EXPECT_TRUE(action()(k.target, CROP_TO_ACTIVE_TAKE));
    EXPECT_EQ(error_code(), 0);
    EXPECT_EQ(k.target->takes.size(), 1u);
    EXPECT_EQ(selected_of({a, b, c}), k.selected_after);
  }
  EXPECT_EQ(b->takes.size(), 3u);
}

TEST_F(Actions, AnItemOfABackgroundProjectKeepsBothProjectsSelections) {
  MediaItem* here = item_with_takes(add_track(), 3, "here");
  here->selected = true;
  ReaProject* background = session().new_project();
  MediaTrack* there_track = session().insert_track(background, 0);
  MediaItem* there = item_with_takes(there_track, 3, "there", 0.0);
  MediaItem* there_selected = item_with_takes(there_track, 2, "kept", 3.0);
  there_selected->selected = true;
  ASSERT_EQ(project()->tracks.size(), 1u) << "the first project stays the active one";

  EXPECT_TRUE(action()(there, CROP_TO_ACTIVE_TAKE));
  EXPECT_EQ(there->takes.size(), 1u) << "the command ran in the item's own project";
  EXPECT_EQ(here->takes.size(), 3u);
  EXPECT_TRUE(here->selected);
  EXPECT_TRUE(there_selected->selected);
  EXPECT_EQ(there_selected->takes.size(), 2u);
  EXPECT_FALSE(there->selected);
}

TEST_F(Actions, AnUnknownCommandRunsNothingAndTheSelectionIsRestored) {
  MediaTrack* track = add_track();
  MediaItem* a = item_with_takes(track, 2, "A", 0.0);
  MediaItem* b = item_with_takes(track, 2, "B", 2.0);
  b->selected = true;
  for (int command : {0, -1, 987654321}) {
    EXPECT_TRUE(action()(a, command)) << command;
    EXPECT_EQ(error_code(), 0);
    EXPECT_EQ(a->takes.size(), 2u);
    EXPECT_EQ(selected_of({a, b}), std::vector<MediaItem*>{b});
  }
}

TEST_F(Actions, IndexFormsAndInvalidItems) {
  MediaTrack* track = add_track();
  MediaItem* a = item_with_takes(track, 2, "A", 0.0);
  MediaItem* b = item_with_takes(track, 2, "B", 2.0);
  b->selected = true;
  EXPECT_TRUE(api<ActionAt>("MX_ActionMediaIdSelectKeep")(nullptr, 0, CROP_TO_ACTIVE_TAKE));
  EXPECT_EQ(a->takes.size(), 1u);
  EXPECT_TRUE(api<ActionAt>("MX_ActionSelectedMediaIdSelectKeep")(project(), 0, CROP_TO_ACTIVE_TAKE));
  EXPECT_EQ(b->takes.size(), 1u);
  EXPECT_EQ(selected_of({a, b}), std::vector<MediaItem*>{b});

  MediaItem* dead = item_with_takes(track, 2, "dead", 9.0);
  session().delete_item(dead);
  for (MediaItem* item : {static_cast<MediaItem*>(nullptr), dead, reinterpret_cast<MediaItem*>(track)}) {
    EXPECT_FALSE(action()(item, CROP_TO_ACTIVE_TAKE));
    EXPECT_EQ(error_code(), 11);
    EXPECT_TRUE(b->selected);
  }
  EXPECT_FALSE(api<ActionAt>("MX_ActionMediaIdSelectKeep")(nullptr, 5, CROP_TO_ACTIVE_TAKE));
  EXPECT_EQ(error_code(), 11);
  EXPECT_FALSE(api<ActionAt>("MX_ActionSelectedMediaIdSelectKeep")(nullptr, 1, CROP_TO_ACTIVE_TAKE));
  EXPECT_EQ(error_code(), 11);
  EXPECT_TRUE(b->selected);
}

// ---- rendering -----------------------------------------------------------------------------

class Render : public WholeItem {
 protected:
  ItemCall render() { return api<ItemCall>("MX_RenderMediaItemActiveTake"); }

  // The rendered take holds the active take's audio in a file of its own.
  void expect_rendered_from(MediaItem_Take* rendered, const std::vector<float>& original) {
    ASSERT_NE(rendered->source, nullptr);
    const std::string file = rendered->source->GetFileName();
    EXPECT_TRUE(std::filesystem::exists(file)) << file;
    const audio::Audio got = audio::read(file);
    ASSERT_EQ(got.channels, 1);
    ASSERT_GE(got.frames.size(), original.size() - 1);
    double worst = 0;
    for (size_t i = 0; i + 1 < original.size(); ++i)
      worst = std::max(worst, static_cast<double>(std::abs(got.frames[i] - original[i])));
    EXPECT_LT(worst, 1e-3);
  }
};

TEST_F(Render, SeveralTakesAreCroppedThenRenderedUnderTheOldName) {
  MediaTrack* track = add_track();
  MediaItem* other = item_with_takes(track, 1, "other", 3.0);
  other->selected = true;
  MediaItem* item = item_with_takes(track, 3, "line", 0.0);
  item->active_take = 1;
  give_audio(item->takes[0], 220, "zero");
  give_audio(item->takes[1], 440, "one");
  give_audio(item->takes[2], 880, "two");
  MediaItem_Take* active = item->takes[1];
  const std::vector<float> original = sim::audio_of(active->source)->frames;

  EXPECT_TRUE(render()(item));
  EXPECT_EQ(error_code(), 0);
  ASSERT_EQ(item->takes.size(), 2u) << "cropped to the active take, then one rendered take";
  EXPECT_EQ(item->takes[0], active);
  MediaItem_Take* rendered = item->active();
  ASSERT_NE(rendered, active);
  EXPECT_EQ(rendered->name, "line 1");
  EXPECT_EQ(active->name, "line 1");
  expect_rendered_from(rendered, original);
  EXPECT_FALSE(item->selected);
  EXPECT_TRUE(other->selected);
}

TEST_F(Render, OneTakeIsOnlyRendered) {
  MediaItem* item = item_with_takes(add_track(), 1, "single");
  give_audio(item->takes[0], 330, "single");
  item->takes[0]->name = "line 07.wav";
  item->selected = true;
  EXPECT_TRUE(api<IndexCall>("MX_RenderSelectedMediaIdActiveTake")(nullptr, 0));
  EXPECT_EQ(error_code(), 0);
  ASSERT_EQ(item->takes.size(), 2u);
  EXPECT_EQ(item->active(), item->takes[1]);
  EXPECT_EQ(item->takes[1]->name, "line 07.wav");
  expect_rendered_from(item->takes[1], sim::audio_of(item->takes[0]->source)->frames);
  EXPECT_TRUE(item->selected);
  // Rendered again: now two takes, so the crop comes first and two remain.
  MediaItem_Take* first_render = item->takes[1];
  EXPECT_TRUE(api<IndexCall>("MX_RenderMediaIdActiveTake")(project(), 0));
  ASSERT_EQ(item->takes.size(), 2u);
  EXPECT_EQ(item->takes[0], first_render);
  EXPECT_EQ(item->active()->name, "line 07.wav");
}

// Nothing to render: the code says why and every take is still there.
TEST_F(Render, ItemsThatCannotBeRenderedAreLeftAsTheyWere) {
  MediaTrack* track = add_track();
  MediaItem* dead = item_with_takes(track, 1, "dead", 9.0);
  session().delete_item(dead);
  MediaItem* no_take = session().add_item(track);
  MediaItem* silent = item_with_takes(track, 3, "silent", 2.0);
  give_audio(silent->takes[0], 440, "silent-first");
  for (const auto& [item, code] : std::vector<std::pair<MediaItem*, int>>{
           {nullptr, 11}, {dead, 11}, {reinterpret_cast<MediaItem*>(track), 11}, {no_take, 12}, {silent, 13}}) {
    EXPECT_FALSE(render()(item)) << code;
    EXPECT_EQ(error_code(), code);
  }
  EXPECT_EQ(silent->takes.size(), 3u);
  EXPECT_EQ(silent->active_take, 2);
  EXPECT_FALSE(api<IndexCall>("MX_RenderMediaIdActiveTake")(nullptr, 3));
  EXPECT_EQ(error_code(), 11);
}

TEST_F(WholeItem, Definitions) {
  const auto def = [](const char* types, const char* names, const char* help) {
    return std::string("void") + '\0' + types + '\0' + names + '\0' + help;
  };
  mxtest::expect_definitions({
      {"MX_ActionMediaItemSelectKeep", def("MediaItem*,int", "item,cmdID", "Action MediaItem SelectKeep")},
      {"MX_ActionMediaIdSelectKeep", def("ReaProject*,int,int", "projID,itemID,cmdID", "Action MediaID SelectKeep")},
      {"MX_ActionSelectedMediaIdSelectKeep",
       def("ReaProject*,int,int", "projID,selectItemID,cmdID", "Action Select MediaID SelectKeep")},
      {"MX_RenderMediaItemActiveTake", def("MediaItem*", "item", "RenderMediaItemActiveTake")},
      {"MX_RenderMediaIdActiveTake", def("ReaProject*,int", "projID,itemID", "RenderMediaIdActiveTake")},
      {"MX_RenderSelectedMediaIdActiveTake",
       def("ReaProject*,int", "projID,selectItemID", "RenderSelectedMediaIdActiveTake")},
      {"MX_SetMediaItemEnvelopeAllOFF", def("MediaItem*", "item", "SetMediaItemEnvelopeAllOFF")},
      {"MX_SetMediaIdEnvelopeAllOFF", def("ReaProject*,int", "projID,itemID", "SetMediaIdEnvelopeAllOFF")},
      {"MX_SetSelectedMediaIdEnvelopeAllOFF",
       def("ReaProject*,int", "projID,itemID", "SetSelectedMediaIdEnvelopeAllOFF")},
  });
}

}  // namespace
