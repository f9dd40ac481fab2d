// The host's marker and region functions, as the plug-in and scripts call them. The
// enumeration index counts markers and regions together in position order; the shown
// number addresses one of a kind.
#include <algorithm>
#include <memory>

#include "simhost/host_support.h"

namespace sim {
namespace {

Session& session() { return Host::get().session(); }

// Keeps the enumeration in position order; markers at the same position keep the
// order they had.
void reorder(ReaProject* p) {
  std::stable_sort(p->markers.begin(), p->markers.end(),
                   [](const auto& a, const auto& b) { return a->pos < b->pos; });
}

ProjectMarker* at(ReaProject* p, int idx) {
  if (!p || idx < 0 || idx >= static_cast<int>(p->markers.size())) return nullptr;
  return p->markers[static_cast<size_t>(idx)].get();
}

ProjectMarker* numbered(ReaProject* p, int number, bool isrgn) {
  for (const auto& m : p->markers)
    if (m->number == number && m->is_region == isrgn) return m.get();
  return nullptr;
}

// The wanted number when it is free, else the next free one above it; without a
// wanted number, the lowest free one.
int free_number(ReaProject* p, bool isrgn, int wantidx) {
  int number = std::max(wantidx, 1);
  while (numbered(p, number, isrgn)) ++number;
  return number;
}

template <class T>
void put(T* out, const T& value) {
  if (out) *out = value;
}

int CountProjectMarkers(ReaProject* proj, int* num_markersOut, int* num_regionsOut) {
  ReaProject* p = live_project(proj, __func__);
  int regions = 0;
  if (p)
    for (const auto& m : p->markers) regions += m->is_region ? 1 : 0;
  const int total = p ? static_cast<int>(p->markers.size()) : 0;
  put(num_markersOut, total - regions);
  put(num_regionsOut, regions);
  return total;
}

// Fills the outputs asked for and returns idx + 1; past the end it returns 0 and
// leaves them alone.
int EnumProjectMarkers3(ReaProject* proj, int idx, bool* isrgnOut, double* posOut, double* rgnendOut,
                        const char** nameOut, int* markrgnindexnumberOut, int* colorOut) {
  const ProjectMarker* m = at(live_project(proj, __func__), idx);
  if (!m) return 0;
  put(isrgnOut, m->is_region);
  put(posOut, m->pos);
  put(rgnendOut, m->end);
  put(nameOut, m->name.c_str());
  put(markrgnindexnumberOut, m->number);
  put(colorOut, m->color);
  return idx + 1;
}

int EnumProjectMarkers2(ReaProject* proj, int idx, bool* isrgnOut, double* posOut, double* rgnendOut,
                        const char** nameOut, int* markrgnindexnumberOut) {
  return EnumProjectMarkers3(proj, idx, isrgnOut, posOut, rgnendOut, nameOut, markrgnindexnumberOut, nullptr);
}

// As the host does: an empty name leaves the name as it is, and a colour of 0 leaves
// the colour.
bool SetProjectMarker3(ReaProject* proj, int markrgnindexnumber, bool isrgn, double pos, double rgnend,
                       const char* name, int color) {
  ReaProject* p = live_project(proj, __func__);
  ProjectMarker* m = p ? numbered(p, markrgnindexnumber, isrgn) : nullptr;
  if (!m || session().refused(m, __func__)) return false;
  m->pos = pos;
  m->end = isrgn ? rgnend : 0;
  if (name && *name) m->name = name;
  if (color != 0) m->color = color;
  reorder(p);
  return true;
}

int AddProjectMarker2(ReaProject* proj, bool isrgn, double pos, double rgnend, const char* name, int wantidx,
                      int color) {
  ReaProject* p = live_project(proj, __func__);
  if (!p || session().refused(p, __func__)) return -1;
  auto m = std::make_unique<ProjectMarker>();
  m->is_region = isrgn;
  m->pos = pos;
  m->end = isrgn ? rgnend : 0;
  m->name = name ? name : "";
  m->number = free_number(p, isrgn, wantidx);
  m->color = color;
  const int number = m->number;
  p->markers.push_back(std::move(m));
  reorder(p);
  return number;
}

bool DeleteProjectMarkerByIndex(ReaProject* proj, int markrgnidx) {
  ReaProject* p = live_project(proj, __func__);
  ProjectMarker* m = at(p, markrgnidx);
  if (!m || session().refused(m, __func__)) return false;
  p->markers.erase(p->markers.begin() + markrgnidx);
  return true;
}

SIM_HOST_FUNCTION(CountProjectMarkers, "proj,num_markersOut,num_regionsOut");
SIM_HOST_FUNCTION(EnumProjectMarkers2, "proj,idx,isrgnOut,posOut,rgnendOut,nameOut,markrgnindexnumberOut");
SIM_HOST_FUNCTION(EnumProjectMarkers3,
                  "proj,idx,isrgnOut,posOut,rgnendOut,nameOut,markrgnindexnumberOut,colorOut");
SIM_HOST_FUNCTION(SetProjectMarker3, "proj,markrgnindexnumber,isrgn,pos,rgnend,name,color");
SIM_HOST_FUNCTION(AddProjectMarker2, "proj,isrgn,pos,rgnend,name,wantidx,color");
SIM_HOST_FUNCTION(DeleteProjectMarkerByIndex, "proj,markrgnidx");

}  // namespace
}  // namespace sim
