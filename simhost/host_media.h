// What the host's source, envelope and command functions share: the objects a call
// names, checked against the session, and the take behind an envelope or a source.
#pragma once

#include <string>
#include <vector>

#include "simhost/host_support.h"

namespace sim::media {

inline Session& session() { return Host::get().session(); }

// The object a call names, or null after noting the violation. A null pointer is
// "none" for the functions that accept it and is passed through quietly when
// `null_is_none` is set.
template <class T>
T* live(T* object, const char* function, bool null_is_none = false) {
  if (!object && null_is_none) return nullptr;
  if (session().is_live(object, type_text<T*>::value)) return object;
  Host::get().note_violation(std::string(function) + ": not a live " + type_text<T*>::value);
  return nullptr;
}

// The take that holds a source, searching every project; null when none does.
inline MediaItem_Take* holder_of(const PCM_source* source) {
  if (!source) return nullptr;
  for (ReaProject* project : session().projects())
    for (MediaItem* item : session().items_of(project))
      for (MediaItem_Take* take : item->takes)
        if (take->source == source) return take;
  return nullptr;
}

// The envelope scaling curves: mode 1 is the fader curve of take volume envelopes
// (raw 0..1000 for amplitude 0..2, strictly increasing), any other mode the identity.
double scale_to_mode(int mode, double amplitude);
double scale_from_mode(int mode, double raw);
int scaling_mode(const TrackEnvelope& envelope);

// A new take envelope as the host makes one: "Volume" envelopes are fader-scaled.
TrackEnvelope* add_take_envelope(MediaItem_Take* take, const std::string& name);

// The raw value of an envelope at take time `time`, interpolated by point shape; the
// neutral value of its kind when it has no points.
double envelope_value(const TrackEnvelope& envelope, double time);
double neutral_value(const TrackEnvelope& envelope);
// The same over points already in time order, for callers that evaluate many times.
double points_value(const std::vector<EnvelopePoint>& sorted, double neutral, double time);

// Every Main_OnCommand and Main_OnCommandEx call since the session began, in order:
// the project as passed (null for the active one).
struct CommandCall {
  int command = 0, flag = 0;
  ReaProject* project = nullptr;
};
const std::vector<CommandCall>& command_log();

}  // namespace sim::media
