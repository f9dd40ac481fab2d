// The extension's entry point: at load it keeps the host's function lookup and
// registers each of its functions three times, as the host expects of an extension
// that offers API functions (the address, the definition scripts read, the script
// adapter); at unload it withdraws them and drops every open envelope handle.
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "simhost/sws/envelope.h"
#include "simhost/sws/host.h"
#include "simhost/sws/loudness.h"

namespace sws {

namespace {

struct plugin_info {
  int caller_version;
  void* hwnd_main;
  int (*Register)(const char* name, void* infostruct);
  void* (*GetFunc)(const char* name);
};

template <class T>
struct type_text;
#define SWS_TYPE_TEXT(...) \
  template <>              \
  struct type_text<__VA_ARGS__> { static constexpr const char* value = #__VA_ARGS__; };
SWS_TYPE_TEXT(void)
SWS_TYPE_TEXT(int)
SWS_TYPE_TEXT(bool)
SWS_TYPE_TEXT(double*)
SWS_TYPE_TEXT(int*)
SWS_TYPE_TEXT(bool*)
SWS_TYPE_TEXT(MediaItem_Take*)
SWS_TYPE_TEXT(TrackEnvelope*)
SWS_TYPE_TEXT(BR_Envelope*)
#undef SWS_TYPE_TEXT
template <>
struct type_text<double> {
  static constexpr const char* value = "double";
};

// Script slots as the host's bridge fills them: int and bool by value, double by
// address, pointers as themselves. A slot past the count given reads as empty.
template <class T>
T from_slot(void** args, int count, size_t i) {
  void* slot = args && static_cast<int>(i) < count ? args[i] : nullptr;
  if constexpr (std::is_same_v<T, int>) return static_cast<int>(reinterpret_cast<intptr_t>(slot));
  else if constexpr (std::is_same_v<T, bool>) return slot != nullptr;
  else if constexpr (std::is_same_v<T, double>) return slot ? *static_cast<double*>(slot) : 0.0;
  else return reinterpret_cast<T>(slot);
}

template <class F>
struct signature;
template <class R, class... A>
struct signature<R (*)(A...)> {
  template <auto Fn, size_t... I>
  static void* call(void** args, int count, std::index_sequence<I...>) {
    if constexpr (std::is_void_v<R>) {
      Fn(from_slot<A>(args, count, I)...);
      return nullptr;
    } else {
      const R result = Fn(from_slot<A>(args, count, I)...);
      if constexpr (std::is_pointer_v<R>) return result;
      else return reinterpret_cast<void*>(static_cast<intptr_t>(result));
    }
  }
  template <auto Fn>
  static void* adapter(void** args, int count) {
    return call<Fn>(args, count, std::index_sequence_for<A...>{});
  }
  static std::string definition(const char* names, const char* help) {
    std::string types;
    ((types += (types.empty() ? "" : ","), types += type_text<A>::value), ...);
    std::string def = type_text<R>::value;
    for (const std::string& part : {types, std::string(names), std::string(help)}) def += '\0' + part;
    return def + '\0';
  }
};

struct Function {
  const char* name;
  void* address;
  std::string definition;
  void* (*adapter)(void**, int);
};

#define SWS_FUNCTION(ns, Name, names, help)                                                            \
  Function {                                                                                           \
    #Name, reinterpret_cast<void*>(&ns::Name), signature<decltype(&ns::Name)>::definition(names, help), \
        &signature<decltype(&ns::Name)>::adapter<&ns::Name>                                            \
  }

const std::vector<Function>& functions() {
  static const std::vector<Function> list{
      SWS_FUNCTION(loudness, NF_AnalyzeTakeLoudness2,
                   "take,analyzeTruePeak,lufsIntegratedOut,rangeOut,truePeakOut,truePeakPosOut,shortTermMaxOut,"
                   "momentaryMaxOut,shortTermMaxPosOut,momentaryMaxPosOut",
                   "Measures the loudness of a take as it plays: integrated, range, true peak when asked, and "
                   "the short-term and momentary maxima with their positions. False for a take without audio."),
      SWS_FUNCTION(envelope, BR_EnvAlloc, "envelope,takeEnvelopesUseProjectTime",
                   "Copies an envelope into a handle for editing; free it with BR_EnvFree."),
      SWS_FUNCTION(envelope, BR_EnvFree, "envelope,commit",
                   "Frees an envelope handle, writing its edits to the envelope when commit is true and something "
                   "changed. True only when it wrote."),
      SWS_FUNCTION(envelope, BR_EnvGetProperties,
                   "envelope,activeOut,visibleOut,armedOut,inLaneOut,laneHeightOut,defaultShapeOut,minValueOut,"
                   "maxValueOut,centerValueOut,typeOut,faderScalingOut,automationItemsOptionsOutOptional",
                   "Reads the properties of an envelope handle."),
      SWS_FUNCTION(envelope, BR_EnvSetProperties,
                   "envelope,active,visible,armed,inLane,laneHeight,defaultShape,faderScaling,"
                   "automationItemsOptionsInOptional",
                   "Sets the properties of an envelope handle; they reach the envelope on commit."),
      SWS_FUNCTION(envelope, BR_EnvSortPoints, "envelope", "Sorts the points of a handle by position, stably."),
      SWS_FUNCTION(envelope, BR_EnvCountPoints, "envelope", "Number of points in an envelope handle."),
      SWS_FUNCTION(envelope, BR_EnvGetPoint, "envelope,id,positionOut,valueOut,shapeOut,selectedOut,bezierOut",
                   "Reads point id of an envelope handle."),
      SWS_FUNCTION(envelope, BR_EnvSetPoint, "envelope,id,position,value,shape,selected,bezier",
                   "Sets point id of an envelope handle; id -1 appends a new point."),
      SWS_FUNCTION(envelope, BR_EnvDeletePoint, "envelope,id",
                   "Deletes point id of an envelope handle; later ids move down by one."),
  };
  return list;
}
#undef SWS_FUNCTION

void register_all(int (*reg)(const char*, void*), bool withdraw) {
  const std::string prefix = withdraw ? "-" : "";
  for (const Function& f : functions()) {
    reg((prefix + "API_" + f.name).c_str(), f.address);
    reg((prefix + "APIdef_" + f.name).c_str(), const_cast<char*>(f.definition.data()));
    reg((prefix + "APIvararg_" + f.name).c_str(), reinterpret_cast<void*>(f.adapter));
  }
}

int (*registered_with)(const char*, void*) = nullptr;

}  // namespace

}  // namespace sws

extern "C" __attribute__((visibility("default"))) int ReaperPluginEntry(void*, sws::plugin_info* rec) {
  if (rec) {
    if (!rec->Register || !rec->GetFunc) return 0;
    sws::host::bind(rec->GetFunc);
    sws::registered_with = rec->Register;
    sws::register_all(rec->Register, false);
    return 1;
  }
  if (sws::registered_with) sws::register_all(sws::registered_with, true);
  sws::registered_with = nullptr;
  sws::envelope::free_all();
  sws::host::bind(nullptr);
  return 0;
}
