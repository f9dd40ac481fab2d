// Functions of outside extensions, found by name at the time of each call, and the
// guard that tells the user which extension a script function needs when one is missing.
#pragma once

#include <stdexcept>
#include <string>

#include "plugin/host_api.h"
#include "plugin/mx_error.h"
#include "plugin/reaper_MIXVALE_COBALT.h"

struct BR_Envelope;

// X(result, name, parameter list): the SWS functions this plug-in calls, as the extension
// exports them.
#define MX_SWS_FUNCTIONS(X)                                                                             \
  X(bool, NF_AnalyzeTakeLoudness2,                                                                      \
    (MediaItem_Take * take, bool analyzeTruePeak, double* lufsIntegratedOut, double* rangeOut,          \
     double* truePeakOut, double* truePeakPosOut, double* shortTermMaxOut, double* momentaryMaxOut,     \
     double* shortTermMaxPosOut, double* momentaryMaxPosOut))                                           \
  X(BR_Envelope*, BR_EnvAlloc, (TrackEnvelope * envelope, bool takeEnvelopesUseProjectTime))             \
  X(bool, BR_EnvFree, (BR_Envelope * envelope, bool commit))                                             \
  X(void, BR_EnvGetProperties,                                                                          \
    (BR_Envelope * envelope, bool* activeOut, bool* visibleOut, bool* armedOut, bool* inLaneOut,        \
     int* laneHeightOut, int* defaultShapeOut, double* minValueOut, double* maxValueOut,                \
     double* centerValueOut, int* typeOut, bool* faderScalingOut, int* automationItemsOptionsOutOptional)) \
  X(void, BR_EnvSetProperties,                                                                          \
    (BR_Envelope * envelope, bool active, bool visible, bool armed, bool inLane, int laneHeight,        \
     int defaultShape, bool faderScaling, int* automationItemsOptionsInOptional))                       \
  X(void, BR_EnvSortPoints, (BR_Envelope * envelope))                                                    \
  X(int, BR_EnvCountPoints, (BR_Envelope * envelope))                                                    \
  X(bool, BR_EnvGetPoint,                                                                               \
    (BR_Envelope * envelope, int id, double* positionOut, double* valueOut, int* shapeOut,              \
     bool* selectedOut, double* bezierOut))                                                             \
  X(bool, BR_EnvSetPoint,                                                                               \
    (BR_Envelope * envelope, int id, double position, double value, int shape, bool selected,           \
     double bezier))                                                                                    \
  X(bool, BR_EnvDeletePoint, (BR_Envelope * envelope, int id))

// The function type of each SWS function, under its own name.
namespace sws {
#define MX_SWS_FUNCTION_TYPE(R, name, params) using name = R params;
MX_SWS_FUNCTIONS(MX_SWS_FUNCTION_TYPE)
#undef MX_SWS_FUNCTION_TYPE
}  // namespace sws

namespace dependency_manager {

// An outside function that the host's lookup does not know.
class function_unload_exception : public std::runtime_error {
 public:
  explicit function_unload_exception(const std::string& name)
      : std::runtime_error("outside function not available: " + name) {}
  int code = 1;
};

enum third_plugin { SWS = 0 };

// Shows the dependency dialog for the script function `name`; Yes opens the extension's
// web page. `program_name` is not used. Any `plugin` other than SWS shows nothing.
void assert_not_installed(const char* name, const char* program_name, third_plugin plugin) noexcept;

// The address the host's lookup gives for `name`; function_unload_exception when it
// gives none (or the plug-in is not loaded).
void* lookup(const char* name);

// A typed pointer to an outside function together with the name it is found by.
template <class F>
struct outside_function;
template <class R, class... A>
struct outside_function<R(A...)> {
  const char* const name;
  R (*pointer)(A...);
  R operator()(A... a) const { return pointer(a...); }
};

// Looks every function up afresh, in the order given; the first one missing ends the
// binding, and the later ones are not looked up.
template <class... F>
void bind(outside_function<F>&... functions) {
  ((functions.pointer = reinterpret_cast<decltype(functions.pointer)>(lookup(functions.name))), ...);
}

// The start of every call that needs SWS: binds the functions, or tells the user that
// `script_name` needs the extension and ends the call with ERR_SWS_NOT_INSTALLED.
template <class... F>
void require_sws(const char* script_name, outside_function<F>&... functions) {
  try {
    bind(functions...);
  } catch (const function_unload_exception&) {
    assert_not_installed(script_name, mx_app_def::PROGRAM_NAME, SWS);
    mx_error::raise(mx_error::ERR_SWS_NOT_INSTALLED);
  }
}

}  // namespace dependency_manager

// A namespace-level pointer to the SWS function `name`, named like it.
#define MX_SWS_FUNCTION(name) \
  ::dependency_manager::outside_function<::sws::name> name { #name, nullptr }
