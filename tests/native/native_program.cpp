// Another native program using the plug-in's media item library: it links against a
// build, includes only the library's header, lets the simulated host load that build
// through its entry point, and calls the library directly.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <mixvale_cobalt/media_item.h>

#include "simhost/host.h"
#include "tests/support/audio_fixture.h"

extern "C" int ReaperPluginEntry(void* instance, sim::plugin_info* rec);

namespace {

int failures = 0;

void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "FAILED: %s\n", what);
    ++failures;
  }
}

int register_thunk(const char* name, void* value) { return sim::Host::get().plugin_register(name, value); }
void* get_func_thunk(const char* name) { return sim::Host::get().get_func(name); }

}  // namespace

int main() {
  sim::Host& host = sim::Host::get();
  host.install_sink();
  sim::plugin_info info{0x20E, nullptr, &register_thunk, &get_func_thunk};
  if (!ReaperPluginEntry(nullptr, &info)) {
    std::fprintf(stderr, "the plug-in did not start\n");
    return 1;
  }

  sim::Session& session = host.session();
  MediaTrack* track = session.insert_track(session.active(), 0);
  const std::string file = host.home() + "/line_01.wav";
  mxtest::audio::write(file, mxtest::audio::sine(440, 0.5, 1.5, 8000), 1, 8000);

  namespace media = mx_api::mediaItem;
  MediaItem* item = media::InsertMediaTrackItemSecond(track, file.c_str(), 0, 2.0);
  check(item != nullptr, "a file is inserted on the track");
  double start = -1, length = -1;
  check(media::GetMediaStartTimeSeconds(nullptr, 0, &start) && start == 2.0, "the item starts at 2 s");
  check(media::GetMediaItemLength(item, &length) && std::fabs(length - 1.5) < 1e-9, "the item lasts 1.5 s");
  double volume = 0;
  check(media::SetTrackMediaVolume(nullptr, 0, 0, -6.0) && media::GetMediaItemVolume(item, &volume) && volume == -6.0,
        "the volume is set and read in dB");
  check(media::GetSourceName(item, 0, true) == "line_01", "the source name without extension");
  int count = 0, wav = 0;
  check(media::GetMediaTypeCount(nullptr, "wav", &count, &wav) && count == 1 && wav == 1, "the item counts as WAV");
  double cursor = -1;
  check(mx_api::cursol::SetPlayCursorPosition(nullptr, 1, 1.0, &cursor) && cursor == 4.5,
        "the cursor goes one second past the end");
  bool mute = true;
  check(!media::GetSelectedTrackMediaMute(nullptr, 3, 0, &mute) && mute, "a track that is not there is reported");
  check(media::DeleteAllMedia(nullptr) && session.items_of(session.active()).empty(), "every item is deleted");

  const std::vector<std::string> violations = host.take_violations();
  for (const std::string& v : violations) std::fprintf(stderr, "violation: %s\n", v.c_str());
  ReaperPluginEntry(nullptr, nullptr);
  host.remove_sandbox();
  if (failures || !violations.empty()) return 1;
  std::printf("native program: all calls answered as expected\n");
  return 0;
}
