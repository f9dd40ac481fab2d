// A session with tracks, items and takes built directly in the simulated host's model,
// and the plug-in's native media item library called through its exported C++ names.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "exported.h"
#include "harness.h"
#include "simhost/source.h"
#include "tests/support/audio_fixture.h"

// The exported function `Name` of namespace mx_api::<ns>, typed from the public header.
#define MX_NATIVE_IN(ns, Name)                                                                          \
  (::mxtest::exported::find<decltype(&mx_api::ns::Name)>(::mxtest::plugin_handle(), ::mxtest::plugin_path(), \
                                                         "mx_api::" #ns "::" #Name))
#define MX_NATIVE(Name) MX_NATIVE_IN(mediaItem, Name)

namespace mxtest {

class MediaTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    folder_ = scratch_folder("media");
  }

  // An item on `track` at `position` lasting `length` seconds, without takes.
  MediaItem* item_on(MediaTrack* track, double position, double length) {
    MediaItem* item = session().add_item(track);
    item->position = position;
    item->length = length;
    session().reorder_items(track);
    return item;
  }

  // A take named `name`, playing the file at `file` when one is given.
  MediaItem_Take* take_of(MediaItem* item, const std::string& name = "take", const std::string& file = "") {
    MediaItem_Take* take = session().add_take(item);
    take->name = name;
    if (!file.empty()) take->source = sim::open_file_source(file);
    return take;
  }

  // A tone file in the test's folder.
  std::string tone(const std::string& name, double seconds, int channels = 1, int rate = 8000,
                   int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16) {
    const std::string path = folder_ + "/" + name;
    audio::write(path, audio::sine(440, 0.5, seconds, rate, channels), channels, rate, format);
    return path;
  }

  std::string folder() const { return folder_; }

  std::vector<MediaItem*> items_of(MediaTrack* track) const { return track->items; }
  std::vector<MediaItem*> selected_items() {
    std::vector<MediaItem*> out;
    for (MediaItem* item : session().items_of(project()))
      if (item->selected) out.push_back(item);
    return out;
  }
  bool live(const void* object, const char* type) { return session().is_live(object, type); }

 private:
  std::string folder_;
};

}  // namespace mxtest
