// Bilingual insertion through the loaded plug-in: lines of two folders paired by file
// name, laid out under a parent track per keyword group, and the subject line's loudness
// matched to its base line.
#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "harness.h"
#include "simhost/dialogs.h"
#include "simhost/source.h"
#include "tests/support/audio_fixture.h"

namespace fs = std::filesystem;

namespace {

using mxtest::HostTest;

constexpr int RATE = 8000;

// One call's arguments; the defaults insert at 0 s with no gap and no loudness work.
struct Call {
  std::string subject, base;
  double start = 0.0, interval = 0.0;
  int startEndType = 0;
  bool volMatch = false, ride = false;
  int ratioType = 0;
  std::vector<std::string> keywords;

  Call& at(double s, double gap = 0.0) {
    start = s;
    interval = gap;
    return *this;
  }
  Call& after_end() {
    startEndType = 1;
    return *this;
  }
  Call& match(bool riding = false, int ratio = 0) {
    volMatch = true;
    ride = riding;
    ratioType = ratio;
    return *this;
  }
  Call& groups(std::vector<std::string> list) {
    keywords = std::move(list);
    return *this;
  }
  Call& from(std::string folder) {
    subject = std::move(folder);
    return *this;
  }
  Call& against(std::string folder) {
    base = std::move(folder);
    return *this;
  }
};

struct Outcome {
  int result = -1;
  std::vector<std::string> unmatched;
};

class Voxpair : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    ASSERT_NE(export_entry(), nullptr) << "the plug-in exports no py_VOXPAIR_InsertMediaItems";
    subject_dir = scratch_folder("voxpair_subject");
    base_dir = scratch_folder("voxpair_base");
  }

  // A line of `seconds` as a 16-bit mono file; `name` may hold subfolders.
  static std::string line(const std::string& dir, const std::string& name, double seconds, double amplitude = 0.3) {
    const std::string path = dir + "/" + name;
    fs::create_directories(fs::path(path).parent_path());
    mxtest::audio::write(path, mxtest::audio::sine(440.0, amplitude, seconds, RATE), 1, RATE);
    return path;
  }
  // The same line name in both folders.
  void pair(const std::string& name, double base_seconds, double subject_seconds) {
    line(base_dir, name, base_seconds);
    line(subject_dir, name, subject_seconds);
  }

  using Export = int (*)(const char*, const char*, double, double, int, bool, bool, int, const char*, char*, int);
  static Export export_entry() {
    return reinterpret_cast<Export>(dlsym(mxtest::plugin_handle(), "py_VOXPAIR_InsertMediaItems"));
  }

  // The script road into the operation: the Python export, keywords in as JSON, the
  // unmatched paths out as typed JSON strings.
  Outcome insert(Call run) {
    auto* entry = export_entry();
    Outcome out;
    EXPECT_NE(entry, nullptr) << "py_VOXPAIR_InsertMediaItems is not exported";
    if (!entry) return out;
    if (run.subject.empty()) run.subject = subject_dir;
    if (run.base.empty()) run.base = base_dir;
    const std::string keywords = nlohmann::json(run.keywords).dump();
    std::vector<char> buffer(1 << 16, '\0');
    out.result = entry(run.subject.c_str(), run.base.c_str(), run.start, run.interval, run.startEndType, run.volMatch,
                       run.ride, run.ratioType, keywords.c_str(), buffer.data(), static_cast<int>(buffer.size()));
    const auto typed = nlohmann::json::parse(buffer.data(), nullptr, false);
    EXPECT_TRUE(typed.is_array()) << buffer.data();
    if (typed.is_array())
      for (const auto& entry_json : typed) out.unmatched.push_back(entry_json.value("string", std::string("?")));
    return out;
  }

  MediaTrack* track_named(const std::string& name) {
    for (MediaTrack* t : project()->tracks)
      if (t->name == name) return t;
    return nullptr;
  }
  std::vector<MediaTrack*> children_of(const MediaTrack* parent) {
    std::vector<MediaTrack*> out;
    for (MediaTrack* t : project()->tracks)
      if (session().parent_of(t) == parent) out.push_back(t);
    return out;
  }
  std::vector<std::string> track_names() {
    std::vector<std::string> out;
    for (MediaTrack* t : project()->tracks) out.push_back(t->name);
    return out;
  }
  std::vector<int> depths() {
    std::vector<int> out;
    for (MediaTrack* t : project()->tracks) out.push_back(session().depth_of(t));
    return out;
  }
  // The group's parent at the top level with exactly the children base and unique.
  void expect_group(const std::string& name) {
    MediaTrack* parent = track_named(name);
    ASSERT_NE(parent, nullptr) << "no parent track " << name;
    EXPECT_EQ(session().depth_of(parent), 0) << name;
    std::vector<std::string> children;
    for (MediaTrack* c : children_of(parent)) children.push_back(c->name);
    EXPECT_EQ(children, (std::vector<std::string>{"base", "unique"})) << name;
  }
  MediaTrack* child(const std::string& group, const std::string& name) {
    for (MediaTrack* c : children_of(track_named(group)))
      if (c->name == name) return c;
    return nullptr;
  }

  static std::string file_of(const MediaItem* item) {
    const MediaItem_Take* take = item->active();
    const char* file = take && take->source ? take->source->GetFileName() : nullptr;
    return file ? file : "";
  }

  // Every item of the project as (track name, file, position), in timeline order.
  struct Placed {
    std::string track, file;
    double position, length;
    const MediaItem* item;
  };
  static MediaTrack* track_of(const Placed& p) { return p.item->track; }
  std::vector<Placed> timeline() {
    std::vector<Placed> out;
    for (MediaItem* item : session().items_of(project()))
      out.push_back({item->track->name, file_of(item), item->position, item->length, item});
    std::stable_sort(out.begin(), out.end(), [](const Placed& a, const Placed& b) { return a.position < b.position; });
    return out;
  }

  // The wav files below a folder in the order the file system walks it.
  static std::vector<std::string> walk(const std::string& dir) {
    std::vector<std::string> out;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
      if (entry.is_regular_file() && entry.path().extension() == ".wav") out.push_back(entry.path().string());
    return out;
  }

  std::string subject_dir, base_dir;
};

TEST_F(Voxpair, GroupsFollowTheOrderTheirNamesFirstAppear) {
  pair("Alice_001.wav", 0.5, 1.0);
  pair("Bob_001.wav", 0.75, 1.25);
  const Outcome out = insert(Call().at(1.0, 0.25).groups({"alice", "bob"}));
  EXPECT_EQ(out.result, 0);
  EXPECT_TRUE(out.unmatched.empty());
  EXPECT_EQ(error_code(), 0);

  const bool alice_first = fs::path(walk(subject_dir).front()).filename() == "Alice_001.wav";
  const std::vector<std::string> order = alice_first ? std::vector<std::string>{"alice", "bob"}
                                                     : std::vector<std::string>{"bob", "alice"};
  EXPECT_EQ(track_names(), (std::vector<std::string>{order[0], "base", "unique", order[1], "base", "unique"}));
  EXPECT_EQ(depths(), (std::vector<int>{0, 1, 1, 0, 1, 1}));
  expect_group("alice");
  expect_group("bob");

  // base, gap, subject, gap, next base ...: each pair on its own group's children.
  const std::map<std::string, std::pair<double, double>> lengths{{"alice", {0.5, 1.0}}, {"bob", {0.75, 1.25}}};
  const std::map<std::string, std::string> files{{"alice", "Alice_001.wav"}, {"bob", "Bob_001.wav"}};
  const auto placed = timeline();
  ASSERT_EQ(placed.size(), 4u);
  double position = 1.0;
  for (size_t g = 0; g < 2; ++g) {
    const std::string& group = order[g];
    const Placed& base = placed[2 * g];
    const Placed& subject = placed[2 * g + 1];
    EXPECT_EQ(base.file, base_dir + "/" + files.at(group));
    EXPECT_EQ(subject.file, subject_dir + "/" + files.at(group));
    EXPECT_EQ(child(group, "base")->items.size(), 1u);
    EXPECT_EQ(child(group, "unique")->items.size(), 1u);
    EXPECT_EQ(child(group, "base")->items[0]->position, base.position);
    EXPECT_EQ(child(group, "unique")->items[0]->position, subject.position);
    EXPECT_NEAR(base.position, position, 1e-9);
    position += lengths.at(group).first + 0.25;
    EXPECT_NEAR(subject.position, position, 1e-9);
    position += lengths.at(group).second + 0.25;
    EXPECT_EQ(child(group, "unique")->items[0]->active()->name, files.at(group));
  }
}

// Five groups: their order on the timeline is the walk's, not the names' or the keywords'.
TEST_F(Voxpair, ManyGroupsKeepTheOrderOfFirstAppearance) {
  const std::vector<std::string> keywords{"echo", "delta", "charlie", "bravo", "alpha"};
  for (const std::string& k : keywords) {
    pair(k + "_001.wav", 0.25, 0.25);
    pair(k + "_002.wav", 0.25, 0.25);
  }
  insert(Call().at(0.0, 0.1).groups(keywords));
  std::vector<std::string> first_seen;
  for (const std::string& path : walk(subject_dir)) {
    const std::string group = fs::path(path).filename().string().substr(0, fs::path(path).filename().string().find('_'));
    if (std::find(first_seen.begin(), first_seen.end(), group) == first_seen.end()) first_seen.push_back(group);
  }
  std::vector<std::string> parents, on_timeline;
  for (MediaTrack* t : project()->tracks)
    if (session().depth_of(t) == 0) parents.push_back(t->name);
  for (const Placed& p : timeline()) {
    const std::string group = session().parent_of(track_of(p))->name;
    if (on_timeline.empty() || on_timeline.back() != group) on_timeline.push_back(group);
  }
  EXPECT_EQ(parents, first_seen);
  EXPECT_EQ(on_timeline, first_seen);  // each group's pairs together
}

TEST_F(Voxpair, EachItemIsFollowedByTheInterval) {
  pair("Line_001.wav", 3.0, 4.0);
  pair("Line_002.wav", 1.0, 1.5);
  insert(Call().at(2.0, 0.5));
  const auto placed = timeline();
  ASSERT_EQ(placed.size(), 4u);
  // Pairs in the order of the subject paths.
  const std::vector<std::pair<std::string, double>> expected{{base_dir + "/Line_001.wav", 2.0},
                                                             {subject_dir + "/Line_001.wav", 5.5},
                                                             {base_dir + "/Line_002.wav", 10.0},
                                                             {subject_dir + "/Line_002.wav", 11.5}};
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(placed[i].file, expected[i].first) << i;
    EXPECT_NEAR(placed[i].position, expected[i].second, 1e-9) << i;
    EXPECT_EQ(placed[i].track, i % 2 == 0 ? "base" : "unique") << i;
  }
  expect_group("None");
}

// Which group a line falls into, by the first keyword its name holds.
TEST_F(Voxpair, GroupNameIsTheFirstKeywordTheFileNameHolds) {
  struct Case {
    std::vector<std::string> keywords;
    std::string file, group;
    std::vector<std::string> absent;  // parent tracks that must not be made
  };
  const Case cases[] = {
      {{"alice"}, "Carol_001.wav", "None", {"alice"}},
      {{}, "Carol_001.wav", "None", {}},
      {{"ALICE"}, "alice_002.wav", "ALICE", {"alice"}},
      {{"bob", "alice"}, "Alice_Bob_003.wav", "bob", {"alice"}},
      {{"carol", "bob"}, "Alice_Bob_003.wav", "bob", {"carol"}},
      {{"", "bob"}, "Bob_004.wav", "", {"bob", "None"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file + " -> [" + c.group + "]");
    host().reset_session();
    fs::remove_all(subject_dir);
    fs::remove_all(base_dir);
    pair(c.file, 0.25, 0.25);
    const Outcome out = insert(Call().groups(c.keywords));
    EXPECT_TRUE(out.unmatched.empty());
    expect_group(c.group);
    for (const std::string& name : c.absent) EXPECT_EQ(track_named(name), nullptr) << name;
    ASSERT_NE(child(c.group, "unique"), nullptr);
    ASSERT_EQ(child(c.group, "unique")->items.size(), 1u);
    EXPECT_EQ(file_of(child(c.group, "unique")->items[0]), subject_dir + "/" + c.file);
    EXPECT_EQ(error_code(), 0);
  }
}

// An empty keyword matches every line. The host shows an unnamed track as "Track N", so
// the group it names never takes over a track the user left unnamed: it gets its own.
TEST_F(Voxpair, EmptyKeywordLeavesTheUsersUnnamedTracksAlone) {
  MediaTrack* folder = add_track("Dialogue");
  MediaTrack* unnamed = add_track("");
  folder->folder_depth = 1;
  unnamed->folder_depth = -1;
  pair("Line_001.wav", 0.25, 0.25);
  pair("Other_002.wav", 0.25, 0.25);
  insert(Call().groups({"", "Line"}));
  EXPECT_EQ(track_names(), (std::vector<std::string>{"Dialogue", "", "", "base", "unique"}));
  EXPECT_EQ(depths(), (std::vector<int>{0, 1, 0, 1, 1}));
  EXPECT_TRUE(unnamed->items.empty());
  EXPECT_EQ(session().parent_of(unnamed), folder);
  EXPECT_EQ(project()->tracks[3]->items.size(), 2u);
  EXPECT_EQ(track_named("Line"), nullptr);
}

TEST_F(Voxpair, LineWithoutAnExactPartnerIsReportedAndItsGroupStillMade) {
  line(subject_dir, "Line_001.wav", 0.25);
  line(base_dir, "line_001.wav", 0.25);  // differs in case only
  line(base_dir, "Extra_009.wav", 0.25);  // a base line alone is no subject's business
  const Outcome out = insert(Call().groups({"line"}));
  EXPECT_EQ(out.result, 0);
  EXPECT_EQ(out.unmatched, (std::vector<std::string>{subject_dir + "/Line_001.wav"}));
  EXPECT_EQ(track_names(), (std::vector<std::string>{"line", "base", "unique"}));
  expect_group("line");
  EXPECT_TRUE(session().items_of(project()).empty());
  EXPECT_EQ(error_code(), 0);
}

// Nothing to list: no track, no item, and the listing's failure does not outlive the call.
TEST_F(Voxpair, FoldersWithoutLinesInsertNothing) {
  const std::string file_not_folder = line(scratch_folder("voxpair_other"), "Line_001.wav", 0.25);
  std::ofstream(subject_dir + "/notes.txt") << "no audio here";
  pair("Line_001.wav", 0.25, 0.25);
  fs::create_directories(subject_dir + "/empty.wav");  // a folder named like a line
  const std::string subjects[] = {subject_dir + "/missing", file_not_folder, subject_dir + "/empty.wav"};
  for (const std::string& subject : subjects) {
    SCOPED_TRACE(subject);
    host().reset_session();
    MediaTrack* user = add_track("Music");
    clear_sink_journal();
    const Outcome out = insert(Call().from(subject).groups({"line"}));
    EXPECT_EQ(out.result, 0);
    EXPECT_TRUE(out.unmatched.empty());
    EXPECT_EQ(project()->tracks, (std::vector<MediaTrack*>{user}));
    EXPECT_TRUE(session().items_of(project()).empty());
    EXPECT_EQ(error_code(), 0);
    ASSERT_FALSE(sink_journal().empty());
    EXPECT_EQ(sink_journal().back(), -1);  // the last word is a reset
  }
  // Beside a real line, the folder named like one is neither inserted nor unmatched.
  host().reset_session();
  const Outcome out = insert(Call().groups({"line"}));
  EXPECT_TRUE(out.unmatched.empty());
  EXPECT_EQ(session().items_of(project()).size(), 2u);
}

TEST_F(Voxpair, MissingBaseFolderLeavesEverySubjectLineUnmatched) {
  line(subject_dir, "Line_001.wav", 0.25);
  line(subject_dir, "Line_002.wav", 0.25);
  const Outcome out = insert(Call().against(base_dir + "/missing").groups({"line"}));
  std::vector<std::string> unmatched = out.unmatched;
  std::sort(unmatched.begin(), unmatched.end());
  EXPECT_EQ(unmatched, (std::vector<std::string>{subject_dir + "/Line_001.wav", subject_dir + "/Line_002.wav"}));
  expect_group("line");
  EXPECT_TRUE(session().items_of(project()).empty());
  EXPECT_EQ(error_code(), 0);
}

TEST_F(Voxpair, SecondCallReusesTheGroupsTracks) {
  // A group track from earlier work, with a "unique" child and a child of its own.
  MediaTrack* alice = add_track("alice");
  MediaTrack* notes = add_track("notes");
  MediaTrack* unique = add_track("unique");
  alice->folder_depth = 1;
  unique->folder_depth = -1;
  pair("Alice_001.wav", 0.5, 0.5);
  insert(Call().groups({"alice"}));
  const std::vector<MediaTrack*> after_first = project()->tracks;
  EXPECT_EQ(track_names(), (std::vector<std::string>{"alice", "notes", "unique", "base"}));
  EXPECT_EQ(depths(), (std::vector<int>{0, 1, 1, 1}));
  EXPECT_EQ(unique->items.size(), 1u);

  insert(Call().at(20.0).groups({"alice"}));
  EXPECT_EQ(project()->tracks, after_first);
  MediaTrack* base = child("alice", "base");
  ASSERT_EQ(base->items.size(), 2u);
  ASSERT_EQ(unique->items.size(), 2u);
  EXPECT_NEAR(base->items[1]->position, 20.0, 1e-9);
  EXPECT_NEAR(unique->items[1]->position, 20.5, 1e-9);
  EXPECT_TRUE(notes->items.empty());
}

TEST_F(Voxpair, LineThatCannotBeInsertedMovesOnByTheIntervalAlone) {
  std::ofstream(base_dir + "/Bad_001.wav") << "RIFF but not really a wave file";
  line(subject_dir, "Bad_001.wav", 1.0);
  pair("Good_002.wav", 0.5, 0.75);
  std::ofstream(subject_dir + "/Worse_003.wav") << "neither is this";
  line(base_dir, "Worse_003.wav", 0.25);
  const Outcome out = insert(Call().at(1.0, 0.5).match());
  EXPECT_EQ(out.result, 0);
  EXPECT_TRUE(out.unmatched.empty());
  const auto placed = timeline();
  // Bad: base missing (gap only), subject 1.0; Good: 0.5 and 0.75; Worse: base 0.25, subject missing.
  const std::vector<std::pair<std::string, double>> expected{{subject_dir + "/Bad_001.wav", 1.5},
                                                             {base_dir + "/Good_002.wav", 3.0},
                                                             {subject_dir + "/Good_002.wav", 4.0},
                                                             {base_dir + "/Worse_003.wav", 5.25}};
  ASSERT_EQ(placed.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(placed[i].file, expected[i].first) << i;
    EXPECT_NEAR(placed[i].position, expected[i].second, 1e-9) << i;
  }
  // Without its base line a subject line has no target: its volume stays.
  const MediaTrack* unique = child("None", "unique");
  EXPECT_EQ(unique->items.front()->volume, 1.0);
  EXPECT_EQ(error_code(), 0);
}

TEST_F(Voxpair, SameNamedLinesInSubfoldersPairWithTheFirstListedBase) {
  line(base_dir, "a/Line_001.wav", 0.5);
  line(base_dir, "b/Line_001.wav", 0.75);
  line(subject_dir, "x/Line_001.wav", 0.25);
  line(subject_dir, "y/Line_001.wav", 0.25);
  insert(Call());
  const std::string first_base = walk(base_dir).front();
  const MediaTrack* base = child("None", "base");
  const MediaTrack* unique = child("None", "unique");
  ASSERT_EQ(base->items.size(), 2u);
  ASSERT_EQ(unique->items.size(), 2u);
  EXPECT_EQ(file_of(base->items[0]), first_base);
  EXPECT_EQ(file_of(base->items[1]), first_base);
  // Subject paths in ascending order.
  EXPECT_EQ(file_of(unique->items[0]), subject_dir + "/x/Line_001.wav");
  EXPECT_EQ(file_of(unique->items[1]), subject_dir + "/y/Line_001.wav");
}

TEST_F(Voxpair, StartAfterTheEndOfTheProject) {
  MediaTrack* music = add_track("Music");
  MediaItem* cue = session().add_item(music);
  cue->position = 1.0;
  cue->length = 5.0;
  pair("Line_001.wav", 0.5, 0.5);
  insert(Call().at(2.0, 0.25).after_end());
  const MediaTrack* base = child("None", "base");
  ASSERT_EQ(base->items.size(), 1u);
  EXPECT_NEAR(base->items[0]->position, 8.0, 1e-9);
  EXPECT_NEAR(child("None", "unique")->items[0]->position, 8.75, 1e-9);
}

TEST_F(Voxpair, SelectionIsKeptAndTheNewLinesEndSelected) {
  MediaTrack* music = add_track("Music");
  music->selected = true;
  MediaItem* cue = session().add_item(music);
  cue->length = 1.0;
  cue->selected = true;
  MediaItem* other = session().add_item(music);
  other->position = 2.0;
  other->length = 1.0;
  pair("Line_001.wav", 0.25, 0.25);
  pair("Line_002.wav", 0.25, 0.25);
  insert(Call().at(10.0));
  EXPECT_TRUE(cue->selected);
  EXPECT_FALSE(other->selected);
  EXPECT_TRUE(music->selected);
  int inserted = 0;
  for (MediaItem* item : session().items_of(project())) {
    if (item->track == music) continue;
    ++inserted;
    EXPECT_TRUE(item->selected) << file_of(item);
    EXPECT_FALSE(item->track->selected) << item->track->name;
  }
  EXPECT_EQ(inserted, 4);
}

// Without the SWS extension the lines are still laid out; each pair asks once for the
// measurement and once for the ride, both refused, and no volume is touched.
TEST_F(Voxpair, WithoutTheLoudnessExtensionTheLinesAreStillInserted) {
  constexpr int NO = 7;
  host().remove_sws();
  pair("Line_001.wav", 0.5, 0.5);
  sim::dialogs::answer_message_box(NO);
  sim::dialogs::answer_message_box(NO);
  const Outcome out = insert(Call().at(1.0, 0.5).match(true));
  EXPECT_EQ(out.result, 0);
  EXPECT_EQ(sim::dialogs::log().size(), 2u);
  EXPECT_EQ(sim::dialogs::pending(), 0u);
  const auto placed = timeline();
  ASSERT_EQ(placed.size(), 2u);
  EXPECT_NEAR(placed[1].position, 2.0, 1e-9);
  EXPECT_EQ(placed[1].item->volume, 1.0);
  EXPECT_EQ(placed[1].item->takes.size(), 1u);
  EXPECT_EQ(error_code(), 0);
}

TEST_F(Voxpair, NoRidingWithoutVolumeMatch) {
  line(base_dir, "Line_001.wav", 1.0, 0.8);
  line(subject_dir, "Line_001.wav", 1.0, 0.1);
  Call riding_alone;
  riding_alone.ride = true;
  insert(riding_alone);
  const MediaTrack* unique = child("None", "unique");
  ASSERT_EQ(unique->items.size(), 1u);
  const MediaItem* subject = unique->items[0];
  EXPECT_EQ(subject->takes.size(), 1u);
  EXPECT_TRUE(subject->active()->envelopes.empty());
  EXPECT_EQ(subject->volume, 1.0);
  EXPECT_EQ(file_of(subject), subject_dir + "/Line_001.wav");
}

// Spoken lines in two languages at different levels: after the call every subject line
// peaks, in momentary loudness, where its base line does.
class VoxpairSpeech : public Voxpair {
 protected:
  void SetUp() override {
    Voxpair::SetUp();
    const std::pair<std::string, std::string> lines[] = {
        {"hero_001.wav", "Hold the line."}, {"hero_002.wav", "Where is everyone?"}, {"guard_001.wav", "Stop there."}};
    for (const auto& [file, text] : lines) {
      ASSERT_FALSE(mxtest::audio::speak(base_dir + "/" + file, text, "en", 150).empty()) << "espeak-ng failed";
      ASSERT_FALSE(mxtest::audio::speak(subject_dir + "/" + file, text, "de", 30).empty()) << "espeak-ng failed";
    }
  }

  double momentary_max(MediaItem* item) {
    using Analyze = bool (*)(MediaItem_Take*, bool, double*, double*, double*, double*, double*, double*, double*,
                             double*);
    auto* analyze = reinterpret_cast<Analyze>(host().get_func("NF_AnalyzeTakeLoudness2"));
    EXPECT_NE(analyze, nullptr);
    double integrated = 0, range = 0, peak = 0, peak_at = 0, short_max = 0, momentary = 0, short_at = 0, at = 0;
    if (!analyze || !analyze(item->active(), false, &integrated, &range, &peak, &peak_at, &short_max, &momentary,
                             &short_at, &at))
      ADD_FAILURE() << "no loudness for " << file_of(item);
    return momentary;
  }

  void expect_matched(bool ride) {
    insert(Call().at(1.0, 0.5).match(ride, 1).groups({"hero", "guard"}));
    EXPECT_EQ(error_code(), 0);
    expect_group("hero");
    expect_group("guard");
    int pairs = 0;
    for (const std::string group : {"hero", "guard"}) {
      const MediaTrack* base = child(group, "base");
      const MediaTrack* unique = child(group, "unique");
      ASSERT_EQ(base->items.size(), unique->items.size());
      for (size_t i = 0; i < base->items.size(); ++i, ++pairs) {
        MediaItem* b = base->items[i];
        MediaItem* s = unique->items[i];
        SCOPED_TRACE(file_of(b));
        EXPECT_EQ(fs::path(file_of(b)).filename().string(), s->active()->name);
        EXPECT_NEAR(s->position, b->position + b->length + 0.5, 1e-9);  // the subject follows its base
        EXPECT_EQ(s->takes.size(), ride ? 2u : 1u);                    // riding renders a new take
        // The lines were spoken far apart in level, so matching had real work to do.
        EXPECT_GT(20.0 * std::log10(s->volume), 6.0);
        EXPECT_NEAR(momentary_max(s), momentary_max(b), 0.1);
      }
    }
    EXPECT_EQ(pairs, 3);
    const auto placed = timeline();
    for (size_t i = 1; i < placed.size(); ++i)
      EXPECT_GE(placed[i].position, placed[i - 1].position + placed[i - 1].length) << "overlap at " << i;
  }
};

TEST_F(VoxpairSpeech, SubjectLinesMeetTheirBaseLinesLoudness) { expect_matched(false); }

TEST_F(VoxpairSpeech, SubjectLinesRiddenThenMatched) { expect_matched(true); }

}  // namespace
