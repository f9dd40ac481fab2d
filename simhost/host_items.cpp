// The host's media item and take functions, as the plug-in and scripts call them, and
// the insertion of a file as a new item (InsertMedia). Items keep their track's
// position order; the project's item index counts track by track.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <type_traits>
#include <vector>

#include "simhost/host_support.h"
#include "simhost/source.h"

namespace sim {
namespace {

Session& session() { return Host::get().session(); }

// The object a call names, or null after noting the violation: a dead or mistyped
// pointer answers the neutral value.
template <class T>
T* live(T* object, const char* function) {
  if (session().is_live(object, type_text<T*>::value)) return object;
  Host::get().note_violation(std::string(function) + ": not a live " + type_text<T*>::value);
  return nullptr;
}

template <class T>
int count_of(const std::vector<T>& list) {
  return static_cast<int>(list.size());
}

template <class T>
T* at(const std::vector<T*>& list, int index) {
  return index >= 0 && index < count_of(list) ? list[static_cast<size_t>(index)] : nullptr;
}

int index_in(const std::vector<MediaItem*>& list, const MediaItem* item) {
  return static_cast<int>(std::find(list.begin(), list.end(), item) - list.begin());
}

ReaProject* project_of(const MediaItem* item) { return item->track->project; }

double pointer_value(const void* p) { return static_cast<double>(reinterpret_cast<uint64_t>(p)); }

// ---- keys of the _Value functions ------------------------------------------------------

// Values travel as doubles: a bool as 0 or 1, an int or char as its integer. A value
// the field cannot hold (not finite, out of range) is refused.
enum class Rule { any, non_negative, positive, pan, byte };

template <class T>
double to_double(T value) {
  if constexpr (std::is_same_v<T, bool>) return value ? 1.0 : 0.0;
  else return static_cast<double>(value);
}

template <class T>
bool from_double(double value, Rule rule, T& out) {
  if (!std::isfinite(value)) return false;
  if constexpr (std::is_same_v<T, bool>) {
    out = value != 0;
  } else if constexpr (std::is_same_v<T, int>) {
    if (value <= INT_MIN - 1.0 || value >= INT_MAX + 1.0) return false;
    const int whole = static_cast<int>(value);  // toward zero
    // A char key keeps its low byte, as the host's char field does.
    out = rule == Rule::byte ? static_cast<int>(static_cast<int8_t>(static_cast<uint8_t>(whole & 0xFF))) : whole;
  } else {
    if ((rule == Rule::non_negative && value < 0) || (rule == Rule::positive && value <= 0)) return false;
    out = rule == Rule::pan ? std::clamp(value, -1.0, 1.0) : value;
  }
  return true;
}

template <class O>
struct Key {
  const char* name;
  double (*get)(const O&);
  bool (*set)(O&, double);  // null: read-only
};

template <class M>
struct member;
template <class O, class T>
struct member<T O::*> {
  using object = O;
};

// A key that is one field of the object.
template <auto Field, Rule rule = Rule::any>
Key<typename member<decltype(Field)>::object> field(const char* name) {
  using O = typename member<decltype(Field)>::object;
  return {name, [](const O& o) { return to_double(o.*Field); },
          [](O& o, double value) { return from_double(value, rule, o.*Field); }};
}

const Key<MediaItem> item_keys[] = {
    {"D_POSITION", [](const MediaItem& i) { return static_cast<double>(i.position); },
     [](MediaItem& i, double value) {
       double position = 0;
       if (!from_double(value, Rule::any, position)) return false;
       i.position = position;
       session().reorder_items(i.track);
       return true;
     }},
    field<&MediaItem::length, Rule::non_negative>("D_LENGTH"),
    field<&MediaItem::volume, Rule::non_negative>("D_VOL"),
    // Muting through B_MUTE ends an item solo; B_MUTE_ACTUAL leaves it.
    {"B_MUTE", [](const MediaItem& i) { return to_double(i.mute); },
     [](MediaItem& i, double value) {
       if (!from_double(value, Rule::any, i.mute)) return false;
       i.mute_solo = 0;
       return true;
     }},
    field<&MediaItem::mute>("B_MUTE_ACTUAL"),
    field<&MediaItem::mute_solo, Rule::byte>("C_MUTE_SOLO"),
    field<&MediaItem::loop_source>("B_LOOPSRC"),
    field<&MediaItem::lock, Rule::byte>("C_LOCK"),
    field<&MediaItem::fade_in_len, Rule::non_negative>("D_FADEINLEN"),
    field<&MediaItem::fade_out_len, Rule::non_negative>("D_FADEOUTLEN"),
    field<&MediaItem::fade_in_shape>("C_FADEINSHAPE"),
    field<&MediaItem::fade_out_shape>("C_FADEOUTSHAPE"),
    {"B_UISEL", [](const MediaItem& i) { return to_double<bool>(i.selected); },
     [](MediaItem& i, double value) {
       bool selected = false;
       if (!from_double(value, Rule::any, selected)) return false;
       i.selected = selected;
       return true;
     }},
    {"I_CURTAKE", [](const MediaItem& i) { return to_double(std::max(i.active_take, 0)); },
     [](MediaItem& i, double value) {
       int index = 0;
       if (!from_double(value, Rule::any, index) || index < 0 || index >= count_of(i.takes)) return false;
       i.active_take = index;
       return true;
     }},
    {"IP_ITEMNUMBER", [](const MediaItem& i) { return to_double(index_in(i.track->items, &i)); }, nullptr},
    {"P_TRACK", [](const MediaItem& i) { return pointer_value(i.track); }, nullptr},
};

const Key<MediaItem_Take> take_keys[] = {
    field<&MediaItem_Take::start_offset>("D_STARTOFFS"),
    field<&MediaItem_Take::volume>("D_VOL"),
    field<&MediaItem_Take::pan, Rule::pan>("D_PAN"),
    field<&MediaItem_Take::play_rate, Rule::positive>("D_PLAYRATE"),
    field<&MediaItem_Take::pitch>("D_PITCH"),
    field<&MediaItem_Take::preserve_pitch>("B_PPITCH"),
    field<&MediaItem_Take::chan_mode>("I_CHANMODE"),
    field<&MediaItem_Take::pitch_mode>("I_PITCHMODE"),
    {"IP_TAKENUMBER",
     [](const MediaItem_Take& t) {
       const auto& takes = t.item->takes;
       return to_double(static_cast<int>(std::find(takes.begin(), takes.end(), &t) - takes.begin()));
     },
     nullptr},
    {"P_TRACK", [](const MediaItem_Take& t) { return pointer_value(t.item->track); }, nullptr},
    {"P_ITEM", [](const MediaItem_Take& t) { return pointer_value(t.item); }, nullptr},
};

template <class O, size_t N>
const Key<O>* find_key(const Key<O> (&keys)[N], const char* name) {
  if (!name) return nullptr;
  for (const Key<O>& key : keys)
    if (std::strcmp(key.name, name) == 0) return &key;
  return nullptr;
}

// An unknown key reads 0.0.
template <class O, size_t N>
double get_value(const Key<O> (&keys)[N], O* object, const char* name, const char* function) {
  O* o = live(object, function);
  const Key<O>* key = o ? find_key(keys, name) : nullptr;
  return key ? key->get(*o) : 0.0;
}

// False for an unknown or read-only key, a value the field cannot hold, or a key the
// test made the host refuse on this object.
template <class O, size_t N>
bool set_value(const Key<O> (&keys)[N], O* object, const char* name, double value, const char* function) {
  O* o = live(object, function);
  const Key<O>* key = o ? find_key(keys, name) : nullptr;
  if (!key || !key->set || session().refused(o, name)) return false;
  return key->set(*o, value);
}

// ---- enumeration -----------------------------------------------------------------------

int CountMediaItems(ReaProject* proj) {
  ReaProject* p = live_project(proj, __func__);
  int n = 0;
  if (p)
    for (const MediaTrack* t : p->tracks) n += count_of(t->items);
  return n;
}

MediaItem* GetMediaItem(ReaProject* proj, int itemidx) {
  ReaProject* p = live_project(proj, __func__);
  if (!p || itemidx < 0) return nullptr;
  for (const MediaTrack* t : p->tracks) {
    if (itemidx < count_of(t->items)) return t->items[static_cast<size_t>(itemidx)];
    itemidx -= count_of(t->items);
  }
  return nullptr;
}

// The session keeps the selection counted per track, as the host answers these without
// walking the project.
int CountSelectedMediaItems(ReaProject* proj) {
  ReaProject* p = live_project(proj, __func__);
  return p ? p->selected_items : 0;
}

MediaItem* GetSelectedMediaItem(ReaProject* proj, int selitem) {
  ReaProject* p = live_project(proj, __func__);
  return p ? session().selected_item(p, selitem) : nullptr;
}

bool IsMediaItemSelected(MediaItem* item) {
  MediaItem* i = live(item, __func__);
  return i && i->selected;
}

int CountTrackMediaItems(MediaTrack* track) {
  MediaTrack* t = live(track, __func__);
  return t ? count_of(t->items) : 0;
}

MediaItem* GetTrackMediaItem(MediaTrack* tr, int itemidx) {
  MediaTrack* t = live(tr, __func__);
  return t ? at(t->items, itemidx) : nullptr;
}

MediaTrack* GetMediaItem_Track(MediaItem* item) {
  MediaItem* i = live(item, __func__);
  return i ? i->track : nullptr;
}

ReaProject* GetItemProjectContext(MediaItem* item) {
  MediaItem* i = live(item, __func__);
  return i ? project_of(i) : nullptr;
}

// ---- making, deleting, moving, selecting -----------------------------------------------

// The master track holds no items.
MediaItem* AddMediaItemToTrack(MediaTrack* tr) {
  MediaTrack* t = live(tr, __func__);
  return t && !t->is_master ? session().add_item(t) : nullptr;
}

bool DeleteTrackMediaItem(MediaTrack* tr, MediaItem* it) {
  MediaTrack* t = live(tr, __func__);
  MediaItem* i = live(it, __func__);
  if (!t || !i || i->track != t || session().refused(i, __func__)) return false;
  session().delete_item(i);
  return true;
}

bool MoveMediaItemToTrack(MediaItem* item, MediaTrack* desttr) {
  MediaItem* i = live(item, __func__);
  MediaTrack* t = live(desttr, __func__);
  if (!i || !t || t->is_master || t->project != project_of(i) || session().refused(i, __func__)) return false;
  session().move_item(i, t);
  return true;
}

void SetMediaItemSelected(MediaItem* item, bool selected) {
  if (MediaItem* i = live(item, __func__)) i->selected = selected;
}

void SelectAllMediaItems(ReaProject* proj, bool selected) {
  if (ReaProject* p = live_project(proj, __func__))
    for (MediaItem* item : session().items_of(p)) item->selected = selected;
}

double GetMediaItemInfo_Value(MediaItem* item, const char* parmname) {
  return get_value(item_keys, item, parmname, __func__);
}

bool SetMediaItemInfo_Value(MediaItem* item, const char* parmname, double newvalue) {
  return set_value(item_keys, item, parmname, newvalue, __func__);
}

// ---- takes -----------------------------------------------------------------------------

MediaItem_Take* GetActiveTake(MediaItem* item) {
  MediaItem* i = live(item, __func__);
  return i ? i->active() : nullptr;
}

MediaItem_Take* GetTake(MediaItem* item, int takeidx) {
  MediaItem* i = live(item, __func__);
  return i ? at(i->takes, takeidx) : nullptr;
}

int CountTakes(MediaItem* item) {
  MediaItem* i = live(item, __func__);
  return i ? count_of(i->takes) : 0;
}

MediaItem_Take* AddTakeToMediaItem(MediaItem* item) {
  MediaItem* i = live(item, __func__);
  return i ? session().add_take(i) : nullptr;
}

const char* GetTakeName(MediaItem_Take* take) {
  MediaItem_Take* t = live(take, __func__);
  return t ? t->name.c_str() : nullptr;
}

double GetMediaItemTakeInfo_Value(MediaItem_Take* take, const char* parmname) {
  return get_value(take_keys, take, parmname, __func__);
}

bool SetMediaItemTakeInfo_Value(MediaItem_Take* take, const char* parmname, double newvalue) {
  return set_value(take_keys, take, parmname, newvalue, __func__);
}

// No size travels with the buffer: the host writes at most 4095 bytes and the zero.
bool GetSetMediaItemTakeInfo_String(MediaItem_Take* tk, const char* parmname, char* stringNeedBig, bool setNewValue) {
  MediaItem_Take* t = live(tk, __func__);
  if (!t || !parmname || !stringNeedBig || std::strcmp(parmname, "P_NAME") != 0) return false;
  if (setNewValue) {
    if (session().refused(t, parmname)) return false;
    t->name = stringNeedBig;
  } else {
    copy_text(stringNeedBig, 4096, t->name);
  }
  return true;
}

MediaItem* GetMediaItemTake_Item(MediaItem_Take* take) {
  MediaItem_Take* t = live(take, __func__);
  return t ? t->item : nullptr;
}

MediaTrack* GetMediaItemTake_Track(MediaItem_Take* take) {
  MediaItem_Take* t = live(take, __func__);
  return t ? t->item->track : nullptr;
}

// ---- inserting a file ------------------------------------------------------------------

enum InsertMode { to_current_track = 0, on_new_track = 1, as_takes = 3 };

// A take playing the file, named after it with its extension.
void add_file_take(MediaItem* item, PCM_source* source, const std::string& file) {
  MediaItem_Take* take = session().add_take(item);
  take->source = source;
  take->name = std::filesystem::path(file).filename().string();
  item->active_take = count_of(item->takes) - 1;
}

// The current track is the last-touched one of the active project; the master track
// takes no items.
MediaTrack* current_track(ReaProject* p) {
  MediaTrack* t = p->last_touched;
  return session().is_live(t, "MediaTrack*") && !t->is_master ? t : nullptr;
}

// Mode 0 puts the file on the current track, 1 on a new track below it (at the end
// without one), which becomes the only selected and the current track, 3 into every
// selected item as its new active take. The flags above the mode are not modelled.
// Nothing changes when the file cannot be read or there is nowhere to put it.
int InsertMedia(const char* file, int mode) {
  ReaProject* p = session().active();
  const int kind = mode & 3;
  if (!file || (kind != to_current_track && kind != on_new_track && kind != as_takes)) return 0;
  MediaTrack* current = current_track(p);
  const std::vector<MediaItem*> targets = kind == as_takes ? session().selected_items_of(p) : std::vector<MediaItem*>{};
  if ((kind == to_current_track && !current) || (kind == as_takes && targets.empty())) return 0;
  PCM_source* source = open_file_source(file);
  if (!source) return 0;

  if (kind == as_takes) {
    add_file_take(targets.front(), source, file);
    for (size_t n = 1; n < targets.size(); ++n) {
      PCM_source* copy = source->Duplicate();
      if (copy) session().adopt_source(copy);
      add_file_take(targets[n], copy, file);
    }
    return 1;
  }

  MediaTrack* track = current;
  if (kind == on_new_track) {
    track = session().insert_track(p, current ? session().index_of(current) + 1 : count_of(p->tracks));
    p->master->selected = false;
    for (MediaTrack* t : p->tracks) t->selected = t == track;
    p->last_touched = track;
  }
  for (MediaItem* item : session().selected_items_of(p)) item->selected = false;
  MediaItem* item = session().add_item(track);
  item->position = p->edit_cursor;
  item->length = source->GetLength();
  item->selected = true;
  session().reorder_items(track);
  add_file_take(item, source, file);
  p->edit_cursor = item->position + item->length;
  return 1;
}

SIM_HOST_FUNCTION(CountMediaItems, "proj");
SIM_HOST_FUNCTION(GetMediaItem, "proj,itemidx");
SIM_HOST_FUNCTION(CountSelectedMediaItems, "proj");
SIM_HOST_FUNCTION(GetSelectedMediaItem, "proj,selitem");
SIM_HOST_FUNCTION(IsMediaItemSelected, "item");
SIM_HOST_FUNCTION(CountTrackMediaItems, "track");
SIM_HOST_FUNCTION(GetTrackMediaItem, "tr,itemidx");
SIM_HOST_FUNCTION(GetMediaItem_Track, "item");
SIM_HOST_FUNCTION(GetItemProjectContext, "item");
SIM_HOST_FUNCTION(AddMediaItemToTrack, "tr");
SIM_HOST_FUNCTION(DeleteTrackMediaItem, "tr,it");
SIM_HOST_FUNCTION(MoveMediaItemToTrack, "item,desttr");
SIM_HOST_FUNCTION(SetMediaItemSelected, "item,selected");
SIM_HOST_FUNCTION(SelectAllMediaItems, "proj,selected");
SIM_HOST_FUNCTION(GetMediaItemInfo_Value, "item,parmname");
SIM_HOST_FUNCTION(SetMediaItemInfo_Value, "item,parmname,newvalue");
SIM_HOST_FUNCTION(GetActiveTake, "item");
SIM_HOST_FUNCTION(GetTake, "item,takeidx");
SIM_HOST_FUNCTION(CountTakes, "item");
SIM_HOST_FUNCTION(AddTakeToMediaItem, "item");
SIM_HOST_FUNCTION(GetTakeName, "take");
SIM_HOST_FUNCTION(GetMediaItemTakeInfo_Value, "take,parmname");
SIM_HOST_FUNCTION(SetMediaItemTakeInfo_Value, "take,parmname,newvalue");
SIM_HOST_FUNCTION(GetSetMediaItemTakeInfo_String, "tk,parmname,stringNeedBig,setNewValue");
SIM_HOST_FUNCTION(GetMediaItemTake_Item, "take");
SIM_HOST_FUNCTION(GetMediaItemTake_Track, "take");
SIM_HOST_FUNCTION(InsertMedia, "file,mode");

}  // namespace
}  // namespace sim
