#include "api/marker.h"

#include <string>

#include "plugin/api_registry.h"
#include "plugin/mx_error.h"
#include "plugin/project_check.h"
#include "utility/mx_utility.h"

namespace mx_api::marker {

using namespace mx_error;
using mx_plugin::checked_project;

namespace {

constexpr int CUSTOM_COLOR = 0x1000000;
// The name a position or colour change writes back is kept in a buffer of this size.
constexpr size_t NAME_BUFFER = 1024;

struct fields {
  bool found = false;
  bool is_region = false;
  double start = 0, end = 0;
  std::string name;
  int number = 0;
  int color = 0;
};

fields read(ReaProject* projID, int regionID) {
  fields f;
  const char* name = nullptr;
  f.found = EnumProjectMarkers3(checked_project(projID), regionID, &f.is_region, &f.start, &f.end, &name, &f.number,
                                &f.color) != 0;
  f.name = mx_utility::text(name);
  return f;
}

std::string kept_name(const std::string& name) { return name.substr(0, NAME_BUFFER - 1); }

// Read-modify-write. An index that names nothing changes nothing: writing the empty
// fields back would address whatever marker carries number 0.
template <class Change>
void rewrite(ReaProject* projID, int regionID, Change change) {
  fields f = read(projID, regionID);
  if (!f.found) return;
  change(f);
  if (!SetProjectMarker3(projID, f.number, f.is_region, f.start, f.end, f.name.c_str(), f.color))
    raise(ERR_SET_FAILED);
}

}  // namespace

bool GetRegionMarkerIndex(ReaProject* projID, int regionID, int* out) {
  return frame([&] {
    if (const fields f = read(projID, regionID); f.found) put(out, f.number);
  });
}

bool GetRegionMarkerPosition(ReaProject* projID, int regionID, double* startPosOut, double* endPosOut) {
  return frame([&] {
    if (const fields f = read(projID, regionID); f.found) {
      put(startPosOut, f.start);
      put(endPosOut, f.end);
    }
  });
}

bool GetRegionMarkerName(ReaProject* projID, int regionID, char* nameOut, int nameOut_sz) {
  return frame([&] { mx_utility::strcpy(nameOut, nameOut_sz, read(projID, regionID).name); });
}

bool GetRegionMarkerColor(ReaProject* projID, int regionID, int* out) {
  return frame([&] {
    if (const fields f = read(projID, regionID); f.found) put(out, f.color);
  });
}

bool SetRegionMarkerPosition(ReaProject* projID, int regionID, double setStartPos, double setEndPos) {
  return frame([&] {
    rewrite(projID, regionID, [&](fields& f) {
      f.start = setStartPos;
      f.end = setEndPos;
      f.name = kept_name(f.name);
    });
  });
}

bool SetRegionMarkerColor(ReaProject* projID, int regionID, int setColor) {
  return frame([&] {
    rewrite(projID, regionID, [&](fields& f) {
      f.color = setColor | CUSTOM_COLOR;
      f.name = kept_name(f.name);
    });
  });
}

bool SetRegionMarkerName(ReaProject* projID, int regionID, const char* setName) {
  return frame([&] { rewrite(projID, regionID, [&](fields& f) { f.name = mx_utility::text(setName); }); });
}

bool AddRegionMarker(ReaProject* projID, double setStartPos, double setEndPos, const char* setName,
                     int setRegionIndex, int setColor, int* out) {
  return frame([&] {
    const int number = AddProjectMarker2(checked_project(projID), true, setStartPos, setEndPos,
                                         mx_utility::text(setName).c_str(), setRegionIndex, setColor | CUSTOM_COLOR);
    put(out, number);
    // The host answers -1 when it made nothing.
    if (number < 0) raise(ERR_SET_FAILED);
  });
}

bool DeleteAllRegion(ReaProject* projID) {
  return frame([&] {
    int markers = 0, regions = 0;
    CountProjectMarkers(checked_project(projID), &markers, &regions);
    bool all = true;
    // From the end, so the indexes still to visit stay where they are.
    for (int i = markers + regions - 1; i >= 0; --i) {
      bool is_region = false;
      EnumProjectMarkers2(projID, i, &is_region, nullptr, nullptr, nullptr, nullptr);
      if (is_region) all = DeleteProjectMarkerByIndex(projID, i) && all;
    }
    if (!all) raise(ERR_NOT_ALL_REGIONS);
  });
}

namespace {
MX_FAMILY("Regions and markers");
const mx_plugin::registrar definitions[] = {
    MX_DEF(70, GetRegionMarkerIndex, int_out, "projID,regionID", "Get RegionMarker Index"),
    MX_DEF(71, GetRegionMarkerPosition, flag_void, "projID,regionID,startPosOut,endPosOut",
           "Get RegionMarker Start End Position"),
    MX_DEF(72, GetRegionMarkerName, flag_void, "projID,regionID,nameOut,nameOut_sz", "Get RegionMarker Name"),
    MX_DEF(73, GetRegionMarkerColor, int_out, "projID,regionID", "Get RegionMarker Color"),
    MX_DEF(74, SetRegionMarkerPosition, flag_void, "projID,regionID,setStartPos,setEndPos",
           "Set RegionMarker Position"),
    MX_DEF(75, SetRegionMarkerColor, flag_void, "projID,regionID,setColor", "Set RegionMarker Color"),
    MX_DEF(76, SetRegionMarkerName, flag_void, "projID,regionID,setName", "Set RegionMarker Name"),
    MX_DEF(77, AddRegionMarker, int_out, "projID,setStartPos,setEndPos,setName,setRegionIndex,setColor",
           "Add RegionMarker"),
    MX_DEF(78, DeleteAllRegion, flag_void, "projID", "Delete All Region"),
};
}  // namespace

}  // namespace mx_api::marker
