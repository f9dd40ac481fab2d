// Load and unload through the host: what is registered, in which order, with which
// definition strings, and the version query.
#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "exported.h"
#include "harness.h"

namespace {

using mxtest::HostTest;

// The registration order of all definitions; families not built yet are simply absent.
const std::vector<std::string> ORDER = {
    "GetTrackItemSelect", "GetSelectedTrackFirstInfo", "InsertTrackId", "InsertChildTrack",
    "InsertTrackSearchUniqueOnly", "GetTrackItemIndex", "GetTrackCountSelect", "GetTrackItemMute",
    "GetTrackIdMute", "GetSelectedTrackIdMute", "SetTrackItemMute", "SetTrackIdMute", "SetSelectedTrackIdMute",
    "SetTrackAllMuteOFF", "GetTrackItemSolo", "GetTrackIdSolo", "GetSelectedTrackIdSolo", "SetTrackItemSolo",
    "SetTrackIdSolo", "SetSelectedTrackIdSolo", "SetTrackAllSoloOFF", "GetTrackItemColor", "GetTrackIdColor",
    "GetSelectedTrackIdColor", "SetTrackItemColor", "SetTrackIdColor", "SetSelectedTrackIdColor",
    "SetTrackItemRGB", "SetTrackIdRGB", "SetSelectedTrackIdRGB", "GetTrackItemDepth", "GetTrackIdDepth",
    "GetSelectedTrackIdDepth", "SetTrackItemDepth", "SetTrackIdDepth", "SetSelectedTrackIdDepth",
    "GetTrackItemName", "GetTrackIdName", "GetSelectedTrackIdName", "SetTrackItemName", "SetTrackIdName",
    "SetSelectedTrackIdName", "SetTrackIdSelected", "SetTrackItemOnlySelected", "SetTrackIdOnlySelected",
    "GetTrackItemVolume", "GetTrackIdVolume", "GetSelectedTrackIdVolume", "SetTrackItemVolume",
    "SetTrackIdVolume", "SetSelectedTrackIdVolume", "SetTrackItemAddVolume", "SetTrackIdAddVolume",
    "SetSelectedTrackIdAddVolume", "DeleteTrackIdSelect", "CheckSameString", "CheckIncludeString",
    "CheckIncludePerfectString", "ReplaceSearchString", "DeleteBlankString", "SetProjectInfoRecPath",
    "SetProjectInfoRecAddPath", "SetProjectPathFolder", "SetResoucePathFolder", "SetPathFolder", "SetCopyFile",
    "GetRandomNumInteger", "GetRandomNumDouble", "GetRandomColor", "FormatNumDigit", "GetRegionMarkerIndex",
    "GetRegionMarkerPosition", "GetRegionMarkerName", "GetRegionMarkerColor", "SetRegionMarkerPosition",
    "SetRegionMarkerColor", "SetRegionMarkerName", "AddRegionMarker", "DeleteAllRegion", "WriteFile",
    "ReadFile", "SetMediaItemRIDEFORM", "SetMediaIdRIDEFORM", "SetSelectedMediaIdRIDEFORM",
    "GetMediaItemLoudnessMaxMomentary", "GetMediaIdLoudnessMaxMomentary",
    "GetSelectedMediaIdLoudnessMaxMomentary", "SetMediaItemLoudnessMaxMomentary",
    "SetMediaIdLoudnessMaxMomentary", "SetSelectedMediaIdLoudnessMaxMomentary", "ActionMediaItemSelectKeep",
    "ActionMediaIdSelectKeep", "ActionSelectedMediaIdSelectKeep", "RenderMediaItemActiveTake",
    "RenderMediaIdActiveTake", "RenderSelectedMediaIdActiveTake", "SetMediaItemEnvelopeAllOFF",
    "SetMediaIdEnvelopeAllOFF", "SetSelectedMediaIdEnvelopeAllOFF", "ShowMessageBox_Ex", "GetPathInfo",
    "Json_Deserialize", "Json_Serialize", "SetMediaItemListRIDEFORM", "VOXPAIR_InsertMediaItems",
    "GetTrackItemList", "GetTrackItemChildList", "GetTrackIdChildList", "GetSelectedTrackIdChildList",
    "GetSamePerfectTrackNameList", "GetIncludePerfectTrackNameList", "GetTrackDepthList", "GetFilePathList",
    "GetStringSplitList", "GetUserInputList", "GetMediaItemPeakList", "GetMediaIdPeakList",
    "GetSelectedMediaIdPeakList"};

std::string definition(const void* apidef) { return std::string(static_cast<const char*>(apidef), 1024); }

std::string expected_definition(std::initializer_list<const char*> parts) {
  std::string out;
  for (const char* p : parts) out += std::string(p) + '\0';
  out.resize(1024, '\0');
  return out;
}

// The MX_ registrations of one load or unload, as (name, value) in host order.
std::vector<sim::Registration> mx_registrations(const std::vector<sim::Registration>& all) {
  std::vector<sim::Registration> out;
  for (const auto& r : all)
    if (r.name.find("_MX_") != std::string::npos) out.push_back(r);
  return out;
}

class Registry : public HostTest {
 protected:
  // Unloads and loads the plug-in again, returning the MX_ registrations of each step.
  std::pair<std::vector<sim::Registration>, std::vector<sim::Registration>> cycle() {
    host().clear_registrations();
    host().unload_all();
    auto unload = mx_registrations(host().registrations());
    host().clear_registrations();
    host().reload_all();
    return {unload, mx_registrations(host().registrations())};
  }
};

TEST_F(Registry, LoadRegistersThreeCallsPerDefinitionInOrderAndUnloadWithdrawsThem) {
  const auto [unload, load] = cycle();
  ASSERT_FALSE(load.empty());
  ASSERT_EQ(load.size() % 3, 0u);
  ASSERT_EQ(unload.size(), load.size());

  std::vector<std::string> names;
  for (size_t i = 0; i < load.size(); i += 3) {
    const std::string name = load[i].name.substr(std::strlen("API_MX_"));
    names.push_back(name);
    EXPECT_EQ(load[i].name, "API_MX_" + name);
    EXPECT_EQ(load[i + 1].name, "APIdef_MX_" + name);
    EXPECT_EQ(load[i + 2].name, "APIvararg_MX_" + name);
    EXPECT_EQ(unload[i].name, "-API_MX_" + name);
    EXPECT_EQ(unload[i].value, load[i].value) << name;
    EXPECT_EQ(unload[i + 1].name, "-APIdef_MX_" + name);
    EXPECT_EQ(unload[i + 1].value, nullptr);
    EXPECT_EQ(unload[i + 2].name, "-APIvararg_MX_" + name);
    EXPECT_EQ(unload[i + 2].value, load[i + 2].value) << name;
  }
  // Every definition, each once, in the registration order: 354 calls each way.
  EXPECT_EQ(load.size(), 354u);
  EXPECT_EQ(names, std::vector<std::string>(ORDER.begin(), ORDER.end()));
}

TEST_F(Registry, UnloadedFunctionsAreGoneAndReturnAfterTheNextLoad) {
  host().unload_all();
  EXPECT_EQ(host().get_func("MX_GetTrackItemMute"), nullptr);
  EXPECT_EQ(host().registered("APIdef_MX_GetTrackItemMute"), nullptr);
  host().reload_all();
  EXPECT_NE(host().get_func("MX_GetTrackItemMute"), nullptr);
}

TEST_F(Registry, DefinitionStringsAreByteExactAndStableAcrossLoads) {
  const char* select = static_cast<const char*>(host().registered("APIdef_MX_GetTrackItemSelect"));
  ASSERT_NE(select, nullptr);
  const std::string first = definition(select);
  const std::string expected = expected_definition(
      {"MediaTrack*", "ReaProject*,int,int", "projID,trackID,trackType", "Get track item select"});
  EXPECT_EQ(first, expected);
  EXPECT_EQ(expected.find_last_not_of('\0') + 2, 79u);  // 79 bytes, then zeros to 1024

  cycle();
  EXPECT_EQ(definition(host().registered("APIdef_MX_GetTrackItemSelect")), first);

  struct Case {
    const char* name;
    std::initializer_list<const char*> parts;
  };
  const Case cases[] = {
      {"GetTrackItemMute", {"bool", "MediaTrack*", "track", "Get track item mute"}},
      {"GetTrackCountSelect", {"int", "ReaProject*,int", "projID,trackType", "Get track count select"}},
      {"GetSelectedTrackFirstInfo", {"MediaTrack*", "ReaProject*,int*", "projID,trackIdOut", "Get select track first info"}},
      {"GetSelectedTrackIdColor",
       {"void", "ReaProject*,int,int*,int*,int*,int*", "projID,selectTrackID,colorOut,rOut,gOut,bOut",
        "Get Selected Track Item Color RGB"}},
      {"GetTrackIdName", {"void", "ReaProject*,int,char*,int", "projID,trackID,nameOut,nameOut_sz", "Get track name"}},
      {"SetTrackItemVolume", {"void", "MediaTrack*,double", "track,setVolume", "Set Track Item Volume"}},
      {"SetTrackIdSelected", {"void", "ReaProject*,int,bool", "projID,trackID,setSelectType", "Set Track Selected"}},
      {"SetTrackItemOnlySelected", {"void", "MediaTrack*", "track", "Set TrackItem  Only Selected"}},
      {"GetTrackItemList", {"void", "ReaProject*,MediaTrackArray*", "proj,trackListOut", "Get track item list"}},
  };
  for (const Case& c : cases) {
    const void* def = host().registered(std::string("APIdef_MX_") + c.name);
    ASSERT_NE(def, nullptr) << c.name;
    EXPECT_EQ(definition(def), expected_definition(c.parts)) << c.name;
  }
}

TEST_F(Registry, ListDefinitionsUseTheEmptyEntry) {
  void* direct = host().get_func("MX_GetTrackItemList");
  void* script = host().registered("APIvararg_MX_GetTrackItemList");
  ASSERT_NE(direct, nullptr);
  EXPECT_EQ(direct, script);
  add_track("A");
  std::vector<void*> slots(4, reinterpret_cast<void*>(0x10));
  EXPECT_EQ(reinterpret_cast<void* (*)(void**, int)>(direct)(slots.data(), 2), nullptr);
  EXPECT_EQ(project()->tracks.size(), 1u);
}

TEST_F(Registry, VersionQueryHonoursTheBufferSize) {
  void* plugin = mxtest::plugin_handle();
  ASSERT_NE(plugin, nullptr);
  auto get_version = reinterpret_cast<void (*)(char*, int)>(dlsym(plugin, "get_version"));
  ASSERT_NE(get_version, nullptr);
  struct Case {
    int size;
    std::string expected;
  };
  for (const Case& c : {Case{0, "xxxxxx"}, Case{-1, "xxxxxx"}, Case{1, ""}, Case{3, "1."}, Case{6, "1.1.2"},
                        Case{64, "1.1.2"}}) {
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    get_version(buffer, c.size);
    EXPECT_EQ(std::string(buffer, c.expected.size()), c.expected) << c.size;
    if (c.size > 0) EXPECT_EQ(buffer[c.expected.size()], '\0') << c.size;
    else EXPECT_EQ(buffer[6], 'x');
  }
}

// The native library: every function of its header's tables and the peak profile,
// under its C++ name, and nothing else of those namespaces.
std::set<std::string> native_library() {
  std::set<std::string> names = {"mx_api::mediaItem::GetMediaItemPeakList", "mx_api::mediaItem::GetMediaIdPeakList",
                                 "mx_api::mediaItem::GetSelectedMediaIdPeakList"};
#define MX_FORM_NAMES(Verb, Property, Params, Args)                                           \
  for (const char* form : {"MediaItem", "Media", "SelectedMedia", "TrackMedia", "SelectedTrackMedia"}) \
    names.insert(std::string("mx_api::mediaItem::") + #Verb + form + #Property);
#define MX_SINGLE_NAME(ns, R, Name, Params) names.insert("mx_api::" #ns "::" #Name);
#define MX_MEDIA_ITEM_NAME(R, Name, Params) MX_SINGLE_NAME(mediaItem, R, Name, Params)
#define MX_CURSOL_NAME(R, Name, Params) MX_SINGLE_NAME(cursol, R, Name, Params)
  MX_MEDIA_ITEM_FAMILIES(MX_FORM_NAMES)
  MX_MEDIA_ITEM_SINGLES(MX_MEDIA_ITEM_NAME)
  MX_CURSOL_FUNCTIONS(MX_CURSOL_NAME)
#undef MX_FORM_NAMES
#undef MX_SINGLE_NAME
#undef MX_MEDIA_ITEM_NAME
#undef MX_CURSOL_NAME
  return names;
}

TEST_F(Registry, OnlyTheNamedInterfacesAreExported) {
  const std::set<std::string> library = native_library();
  ASSERT_EQ(library.size(), 29u * 5 + 25 + 3 + 3);  // GetSourceName has two overloads under one name
  std::set<std::string> found;
  std::vector<std::string> unexpected;
  for (const auto& [name, symbol] : mxtest::exported::symbols_of(mxtest::plugin_path())) {
    const bool allowed = name == "ReaperPluginEntry" || name == "get_version" ||
                         name == "luaopen_reaper_MIXVALE_COBALT" || name.rfind("py_", 0) == 0 ||
                         library.count(name) > 0;
    if (!allowed) unexpected.push_back(symbol.demangled);
    if (library.count(name)) found.insert(name);
  }
  EXPECT_TRUE(unexpected.empty()) << "exported: " << unexpected.front();
  std::vector<std::string> missing;
  std::set_difference(library.begin(), library.end(), found.begin(), found.end(), std::back_inserter(missing));
  EXPECT_TRUE(missing.empty()) << "not exported: " << missing.front();
}

}  // namespace
