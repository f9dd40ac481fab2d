// Regions and markers of a project, addressed by the host's enumeration index over
// markers and regions together (not the number shown in the project). Setters read
// every field and write them all back with only their own field replaced.
#pragma once

#include "plugin/host_api.h"

namespace mx_api::marker {

bool GetRegionMarkerIndex(ReaProject* projID, int regionID, int* out);
bool GetRegionMarkerPosition(ReaProject* projID, int regionID, double* startPosOut, double* endPosOut);
bool GetRegionMarkerName(ReaProject* projID, int regionID, char* nameOut, int nameOut_sz);
bool GetRegionMarkerColor(ReaProject* projID, int regionID, int* out);

bool SetRegionMarkerPosition(ReaProject* projID, int regionID, double setStartPos, double setEndPos);
bool SetRegionMarkerColor(ReaProject* projID, int regionID, int setColor);
bool SetRegionMarkerName(ReaProject* projID, int regionID, const char* setName);

// Always adds a region; `out` receives the number the host gave it.
bool AddRegionMarker(ReaProject* projID, double setStartPos, double setEndPos, const char* setName,
                     int setRegionIndex, int setColor, int* out);
// Deletes every region and keeps the markers.
bool DeleteAllRegion(ReaProject* projID);

}  // namespace mx_api::marker
