// The host's actions that extensions run by command id on the selected items of a
// project: crop to the active take, render the active take to a new take, and toggle
// the take volume envelope. Every call is logged, known or not.
#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "simhost/host_media.h"
#include "simhost/source.h"

namespace fs = std::filesystem;

namespace sim {

namespace {

std::vector<media::CommandCall>& log() {
  static std::vector<media::CommandCall> calls;
  return calls;
}
const reset_hook forget_commands{[] { log().clear(); }};

}  // namespace

const std::vector<media::CommandCall>& media::command_log() { return log(); }

namespace {

using media::session;

constexpr int CROP_TO_ACTIVE_TAKE = 40131;
constexpr int RENDER_TO_NEW_TAKE = 41999;
constexpr int TOGGLE_TAKE_VOLUME_ENVELOPE = 40693;

std::vector<MediaItem*> selected_items(ReaProject* p) {
  std::vector<MediaItem*> out;
  for (MediaItem* item : session().items_of(p))
    if (item->selected) out.push_back(item);
  return out;
}

// ---- crop ------------------------------------------------------------------------------

void crop_to_active_take(MediaItem* item) {
  MediaItem_Take* keep = item->active();
  if (!keep) return;
  const std::vector<MediaItem_Take*> takes = item->takes;
  for (MediaItem_Take* take : takes)
    if (take != keep) session().delete_take(take);
}

// ---- render ----------------------------------------------------------------------------

// The folder the project's media goes to: what GetProjectPath says while it is active.
std::string media_folder(ReaProject* p) {
  auto* get_path = reinterpret_cast<void (*)(char*, int)>(Host::get().get_func("GetProjectPath"));
  if (!get_path) return {};
  ReaProject* was = session().active();
  session().set_active(p);
  std::string folder(4096, '\0');
  get_path(folder.data(), static_cast<int>(folder.size()));
  session().set_active(was);
  folder.resize(std::strlen(folder.c_str()));
  return folder;
}

// The take's name without an audio file extension and without characters a file name
// cannot hold.
std::string file_stem(const std::string& take_name) {
  std::string stem = take_name;
  const size_t dot = stem.rfind('.');
  if (dot != std::string::npos) {
    std::string ext = stem.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const char* known : {"wav", "wave", "flac", "aif", "aiff", "mp3", "ogg", "opus", "w64", "rf64", "caf"})
      if (ext == known) stem.erase(dot);
  }
  for (char& c : stem)
    if (c == '/' || c == '\\' || c == ':' || static_cast<unsigned char>(c) < 0x20) c = '_';
  return stem.empty() ? "take" : stem;
}

std::string unique_path(const std::string& folder, const std::string& stem) {
  std::error_code ignored;
  for (int n = 1;; ++n) {
    const fs::path candidate = fs::path(folder) / (stem + " render " + std::to_string(n) + ".wav");
    if (!fs::exists(candidate, ignored)) return candidate.string();
  }
}

// The WAV sample encoding that keeps the source's depth; sources without one get 24 bits.
int wav_encoding(int source_format) {
  const int sub = source_format & SF_FORMAT_SUBMASK;
  switch (sub) {
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_PCM_S8: return SF_FORMAT_PCM_U8;
    case SF_FORMAT_PCM_16:
    case SF_FORMAT_PCM_24:
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT:
    case SF_FORMAT_DOUBLE: return sub;
    default: return SF_FORMAT_PCM_24;
  }
}

bool write_wav(const std::string& path, const std::vector<float>& frames, int channels, int rate, int encoding) {
  SF_INFO info{};
  info.channels = channels;
  info.samplerate = rate;
  info.format = SF_FORMAT_WAV | encoding;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) return false;
  sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  const sf_count_t count = static_cast<sf_count_t>(frames.size() / static_cast<size_t>(channels));
  const bool ok = sf_writef_float(file, frames.data(), count) == count;
  return sf_close(file) == 0 && ok;
}

// The active take as it sounds on its own: its audio times take volume, take pan (no
// pan law) and its "Volume" envelope when that is active and has points. Item volume
// and fades stay with the item.
std::vector<float> rendered(const MediaItem_Take* take, int rate, int channels) {
  const double length = take->item->length;
  const size_t count = std::isfinite(length) && length > 0 ? static_cast<size_t>(std::floor(length * rate + 1e-9)) : 0;
  std::vector<float> audio = take_audio(take, 0.0, count, rate, channels);
  const double pan = std::isfinite(take->pan) ? std::clamp(take->pan, -1.0, 1.0) : 0.0;
  std::vector<double> gain(static_cast<size_t>(channels), std::isfinite(take->volume) ? take->volume : 0.0);
  if (channels >= 2) {
    gain[0] *= pan > 0 ? 1.0 - pan : 1.0;
    gain[1] *= pan < 0 ? 1.0 + pan : 1.0;
  }
  const TrackEnvelope* envelope = nullptr;
  for (const TrackEnvelope* e : take->envelopes)
    if (e->name == "Volume" && e->active && !e->points.empty()) envelope = e;
  std::vector<EnvelopePoint> points = envelope ? envelope->points : std::vector<EnvelopePoint>{};
  std::stable_sort(points.begin(), points.end(), [](const EnvelopePoint& a, const EnvelopePoint& b) { return a.time < b.time; });
  const int mode = envelope ? media::scaling_mode(*envelope) : 0;
  const double neutral = envelope ? media::neutral_value(*envelope) : 0.0;
  const double play_rate = std::isfinite(take->play_rate) && take->play_rate > 0 ? take->play_rate : 1.0;
  for (size_t i = 0; i < count; ++i) {
    double factor = 1.0;
    if (envelope) {
      const double take_time = static_cast<double>(i) / rate * play_rate;
      factor = media::scale_from_mode(mode, media::points_value(points, neutral, take_time));
      if (!std::isfinite(factor)) factor = 0.0;
    }
    for (size_t c = 0; c < static_cast<size_t>(channels); ++c) {
      float& sample = audio[i * static_cast<size_t>(channels) + c];
      sample = static_cast<float>(sample * gain[c] * factor);
    }
  }
  return audio;
}

void render_to_new_take(MediaItem* item, ReaProject* p) {
  MediaItem_Take* take = item->active();
  if (!take || !session().is_live(take->source, "PCM_source*")) return;
  const SourceAudio* audio = audio_of(take->source);
  const int channels = take_channels(take);
  if (!audio || channels <= 0 || !(item->length > 0)) return;
  const std::string folder = media_folder(p);
  std::error_code failed;
  if (folder.empty() || (fs::create_directories(folder, failed), failed)) return;
  const std::string path = unique_path(folder, file_stem(take->name));
  if (!write_wav(path, rendered(take, audio->sample_rate, channels), channels, audio->sample_rate,
                 wav_encoding(audio->format)))
    return;
  PCM_source* source = open_file_source(path);
  if (!source) return;
  MediaItem_Take* render = session().add_take(item);
  render->source = source;
  render->name = take->name + " render";
  item->active_take = static_cast<int>(item->takes.size()) - 1;
}

// ---- the take volume envelope ----------------------------------------------------------

void toggle_take_volume_envelope(MediaItem* item) {
  MediaItem_Take* take = item->active();
  // A test can make the toggle leave an item's take as it was.
  if (!take || session().refused(item, "40693")) return;
  for (TrackEnvelope* e : take->envelopes) {
    if (e->name != "Volume") continue;
    if (e->visible) {
      e->visible = false;
    } else {
      e->visible = true;
      e->active = true;
    }
    return;
  }
  TrackEnvelope* e = media::add_take_envelope(take, "Volume");
  e->active = true;
  e->visible = true;
  e->armed = false;
  e->points = {EnvelopePoint{0.0, media::scale_to_mode(media::scaling_mode(*e), 1.0), e->default_shape, 0.0, false}};
}

// ---- the entry points ------------------------------------------------------------------

void Main_OnCommandEx(int command, int flag, ReaProject* proj) {
  log().push_back({command, flag, proj});
  ReaProject* p = live_project(proj, __func__);
  if (!p) return;
  switch (command) {
    case CROP_TO_ACTIVE_TAKE:
      for (MediaItem* item : selected_items(p)) crop_to_active_take(item);
      break;
    case RENDER_TO_NEW_TAKE:
      for (MediaItem* item : selected_items(p)) render_to_new_take(item, p);
      break;
    case TOGGLE_TAKE_VOLUME_ENVELOPE:
      for (MediaItem* item : selected_items(p)) toggle_take_volume_envelope(item);
      break;
    default: break;  // the host ignores ids it does not know
  }
}

void Main_OnCommand(int command, int flag) { Main_OnCommandEx(command, flag, nullptr); }

SIM_HOST_FUNCTION(Main_OnCommandEx, "command,flag,proj");
SIM_HOST_FUNCTION(Main_OnCommand, "command,flag");

}  // namespace
}  // namespace sim
