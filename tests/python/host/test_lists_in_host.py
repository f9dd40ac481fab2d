"""The sixteen py_ list functions inside the host, on session content made through the
host's own functions: what they hand out, and that bad input (null buffers, small
buffers, host objects that name nothing, text that is not JSON or not the JSON asked for,
folders that are missing, empty or odd) gets a plain answer and changes nothing else."""

import ctypes
import json
import os

import pytest

import sim_python as sim
from session_content import add_item, add_tracks, folder, items_of, tone
from mixvale_cobalt import LIST_OUT, SIGNATURES, to_handle, to_pointer
from reaper_python import *  # noqa: F401,F403

SENTINEL = 0x1234  # what the caller's handle variable held before a failing call
ERR_INVALID_TRACK, ERR_INVALID_MEDIA_ITEM = 10, 11


def raw(cobalt, name, *args):
    """(result, handle written) of a list function given its other arguments; SENTINEL
    when nothing was written."""
    out = ctypes.c_void_p(SENTINEL)
    at = SIGNATURES[name][1].index(LIST_OUT)
    return getattr(cobalt, name)(*args[:at], ctypes.byref(out), *args[at:]), out.value


def p(handle):
    return to_pointer(handle)


@pytest.fixture
def hierarchy():
    """Dialog (folder: alice, bob (folder: bob_fx)), Music."""
    dialog, alice, bob, bob_fx, music = add_tracks("Dialog", "alice", "bob", "bob_fx", "Music")
    folder(dialog, alice, bob, bob_fx)
    RPR_SetMediaTrackInfo_Value(bob, "I_FOLDERDEPTH", 1)
    RPR_SetMediaTrackInfo_Value(bob_fx, "I_FOLDERDEPTH", -2)
    return dialog, alice, bob, bob_fx, music


# ---- track lists ----------------------------------------------------------------------


def test_track_and_child_lists(cobalt, hierarchy):
    dialog, alice, bob, bob_fx, music = hierarchy
    assert cobalt.track_list(None) == (True, [p(t) for t in hierarchy])

    count = ctypes.c_int(-1)
    ok, h = raw(cobalt, "py_GetTrackItemChildList", p(dialog), ctypes.byref(count))
    assert ok and cobalt.pointers(h) == [p(alice), p(bob)] and count.value == 2  # direct children only
    ok, h = raw(cobalt, "py_GetTrackIdChildList", None, 2, ctypes.byref(count))
    assert ok and cobalt.pointers(h) == [p(bob_fx)] and count.value == 1
    ok, h = raw(cobalt, "py_GetTrackIdChildList", None, 4, ctypes.byref(count))
    assert ok and cobalt.pointers(h) == [] and count.value == 0

    RPR_SetOnlyTrackSelected(music)
    RPR_SetTrackSelected(dialog, True)
    ok, h = raw(cobalt, "py_GetSelectedTrackIdChildList", None, 0, ctypes.byref(count))
    assert ok and cobalt.pointers(h) == [p(alice), p(bob)] and count.value == 2
    # A count pointer left out is simply not written.
    ok, h = raw(cobalt, "py_GetSelectedTrackIdChildList", None, 0, None)
    assert ok and len(cobalt.pointers(h)) == 2


def test_depth_and_name_lists_are_records(cobalt, hierarchy):
    dialog, alice, bob, bob_fx, music = hierarchy
    ok, records = cobalt.track_depth_list(None)
    assert ok and records == [{"Track": p(t), "Depth": d} for t, d in zip(hierarchy, [0, 1, 1, 2, 0])]

    ok, h = raw(cobalt, "py_GetTrackDepthList", None)
    record = cobalt.py_get_ptr_inarray(h, 0)
    key, kind = ctypes.create_string_buffer(1024), ctypes.create_string_buffer(1024)
    cobalt.py_get_key_inmxObj(record, 1, key, kind)
    assert (key.value, kind.value) == (b"Depth", b"int")
    cobalt.py_release_obj(h)
    assert cobalt.py_get_obj_size(h) == 0 and cobalt.py_get_int_inmxobj(record, b"Depth") == 0

    same = lambda name: raw(cobalt, "py_GetSamePerfectTrackNameList", None, name)  # noqa: E731
    include = lambda name: raw(cobalt, "py_GetIncludePerfectTrackNameList", None, name)  # noqa: E731
    for call, name, expected in [
        (same, b"bob", [(bob, 2)]),
        (same, b"Bob", []),  # exact
        (same, b"nobody", []),
        (include, b"BOB", [(bob, 2), (bob_fx, 3)]),  # contained, any case
        (include, b"_", [(bob_fx, 3)]),
        (include, b"x" * 3000, []),
    ]:
        ok, h = call(name)
        assert ok, name
        assert cobalt.records(h) == [{"Track": p(t), "Index": i} for t, i in expected], name


@pytest.mark.parametrize(
    "name, args",
    [
        ("py_GetTrackItemChildList", lambda dead, item: (None, None)),
        ("py_GetTrackItemChildList", lambda dead, item: (dead, None)),
        ("py_GetTrackItemChildList", lambda dead, item: (item, None)),  # an item is no track
        ("py_GetTrackIdChildList", lambda dead, item: (None, -1, None)),
        ("py_GetTrackIdChildList", lambda dead, item: (None, 99, None)),
        ("py_GetSelectedTrackIdChildList", lambda dead, item: (None, 1, None)),  # one is selected
        ("py_GetTrackItemList", lambda dead, item: (item,)),  # an item is no project
        ("py_GetTrackDepthList", lambda dead, item: (dead,)),
        ("py_GetSamePerfectTrackNameList", lambda dead, item: (item, b"a")),
        ("py_GetIncludePerfectTrackNameList", lambda dead, item: (dead, b"a")),
    ],
)
def test_track_lists_that_fail_hand_out_nothing(cobalt, tmp_path, name, args):
    (track,) = add_tracks("a")
    item = p(add_item(track, tone(tmp_path / "a.wav", 0.1)))
    RPR_InsertTrackAtIndex(1, False)
    dead = p(RPR_GetTrack(0, 1))
    RPR_DeleteTrack(to_handle(dead, "MediaTrack*"))
    ok, h = raw(cobalt, name, *args(dead, item))
    assert not ok and h == SENTINEL
    assert RPR_GetErrorCode() != 0
    assert RPR_CountTracks(0) == 1 and len(items_of(track)) == 1


def test_a_missing_out_parameter_gets_nothing(cobalt, hierarchy, tmp_path):
    item = p(add_item(hierarchy[1], tone(tmp_path / "a.wav", 0.05)))
    for name, args in [
        ("py_GetTrackItemList", (None,)),
        ("py_GetTrackDepthList", (None,)),
        ("py_GetTrackItemChildList", (p(hierarchy[0]), None)),
        ("py_GetFilePathList", (str(tmp_path).encode(), b"wav")),
        ("py_GetStringSplitList", (b"a,b", b",")),
        ("py_GetMediaItemPeakList", (item,)),
    ]:
        assert getattr(cobalt, name)(*args, None), name


# ---- string lists: handed out always ------------------------------------------------


def test_file_list_of_a_folder_tree(cobalt, tmp_path):
    root = tmp_path / "lines"
    for name in ("a.wav", "b.WAV", "c.txt", "wav", "sub/a.wav", "sub/deeper/d.wav", "notes.wav.txt"):
        (root / name).parent.mkdir(parents=True, exist_ok=True)
        (root / name).write_bytes(b"")
    (root / "empty").mkdir()
    ok, found = cobalt.file_path_list(str(root), "wav")
    assert ok
    # Same-named files in subfolders are all listed, each by its own path.
    assert sorted(os.path.relpath(f, root) for f in found) == ["a.wav", "b.WAV", "sub/a.wav", "sub/deeper/d.wav"]
    assert cobalt.file_path_list(str(root / "empty"), "wav") == (True, [])
    assert cobalt.file_path_list(str(root), "flac") == (True, [])


@pytest.mark.parametrize("folder", [b"/nonexistent/lines", b"", None])
def test_file_list_of_no_folder_still_hands_out_an_empty_array(cobalt, tmp_path, folder):
    ok, h = raw(cobalt, "py_GetFilePathList", folder, b"wav")
    assert not ok and h not in (None, SENTINEL)
    assert cobalt.strings(h) == []


def test_file_list_of_a_file_in_place_of_a_folder(cobalt, tmp_path):
    path = tone(tmp_path / "one.wav", 0.01)
    ok, h = raw(cobalt, "py_GetFilePathList", path.encode(), b"wav")
    assert h != SENTINEL
    assert cobalt.strings(h) in ([], [path])  # listed or not, the array is handed out


@pytest.mark.parametrize(
    "text, separators, expected",
    [
        (b"a,b;c", b",;", ["a", "b", "c"]),
        (b"one", b",", ["one"]),  # size 1
        (b"", b",", []),  # size 0
        (None, None, []),
        ("\u65e5\u672c,\u8a9e".encode(), b",", ["\u65e5\u672c", "\u8a9e"]),
    ],
)
def test_split_list(cobalt, text, separators, expected):
    ok, h = raw(cobalt, "py_GetStringSplitList", text, separators)
    assert ok and cobalt.strings(h) == expected


def test_input_list_confirmed_and_cancelled(cobalt):
    sim.answer_inputs(["Take", "07"])
    ok, h = raw(cobalt, "py_GetUserInputList", b"Names", 2, b"Prefix,Number", b"L,01")
    assert ok and cobalt.strings(h) == ["Take", "07"]
    sim.cancel_inputs()
    ok, h = raw(cobalt, "py_GetUserInputList", b"Names", 2, b"Prefix,Number", b"L,01")
    assert not ok and h != SENTINEL and cobalt.strings(h) == []


# ---- peak lists -----------------------------------------------------------------------


def test_peak_lists_by_item_index_and_selection(cobalt, tmp_path):
    (track,) = add_tracks("line")
    item = add_item(track, tone(tmp_path / "a.wav", 0.05))
    ok, peaks = cobalt.peak_list(item)
    assert ok and abs(len(peaks) - 50) <= 1
    assert sorted(peaks[10]) == ["MaxPeak", "MinPeak", "Time"]
    assert abs(peaks[11]["Time"] - peaks[10]["Time"] - 0.001) < 1e-9
    assert abs(max(r["MaxPeak"] for r in peaks) + 6.02) < 0.2  # a half-scale sine
    ok, h = raw(cobalt, "py_GetMediaIdPeakList", None, 0)
    assert ok and cobalt.records(h) == peaks
    RPR_SetMediaItemSelected(item, True)
    ok, h = raw(cobalt, "py_GetSelectedMediaIdPeakList", None, 0)
    assert ok and cobalt.records(h) == peaks


@pytest.mark.parametrize(
    "name, args",
    [
        ("py_GetMediaItemPeakList", lambda track, gone: (None,)),
        ("py_GetMediaItemPeakList", lambda track, gone: (gone,)),
        ("py_GetMediaItemPeakList", lambda track, gone: (track,)),  # a track is no item
        ("py_GetMediaItemPeakList", lambda track, gone: (0xDEADBEEF,)),
        ("py_GetMediaIdPeakList", lambda track, gone: (None, 1)),
        ("py_GetMediaIdPeakList", lambda track, gone: (None, -1)),
        ("py_GetMediaIdPeakList", lambda track, gone: (track, 0)),  # a track is no project
        ("py_GetSelectedMediaIdPeakList", lambda track, gone: (None, 0)),  # nothing selected
    ],
)
def test_peak_lists_of_no_item_hand_out_nothing(cobalt, tmp_path, name, args):
    (track,) = add_tracks("line")
    add_item(track, tone(tmp_path / "a.wav", 0.05))
    gone = add_item(track, tone(tmp_path / "b.wav", 0.05), 1.0)
    RPR_DeleteTrackMediaItem(track, gone)
    ok, h = raw(cobalt, name, *args(p(track), p(gone)))
    assert not ok and h == SENTINEL and RPR_GetErrorCode() != 0
    assert len(items_of(track)) == 1


# ---- JSON text ------------------------------------------------------------------------


def test_path_info_and_the_caller_buffer(cobalt, tmp_path):
    wav = tone(tmp_path / "Take 01.wav", 0.01)
    ok, info = cobalt.path_info(wav)
    assert ok == 0
    assert info["FileName"] == {"string": "Take 01.wav"} and info["Type"] == {"string": "File"}
    assert cobalt.path_info(str(tmp_path))[1]["Type"] == {"string": "Folder"}
    assert cobalt.path_info(str(tmp_path / "none.wav")) == (1, None)  # the text null

    for size, expected in [(0, b"########"), (1, b"\0#######"), (5, b'{"Ex\0###')]:
        buf = ctypes.create_string_buffer(b"#" * 8)
        assert cobalt.py_GetPathInfo(wav.encode(), buf, size) == 0
        assert buf.raw[:8] == expected, size
    # No buffer at all: the answer, and nothing written anywhere.
    assert cobalt.py_GetPathInfo(wav.encode(), None, 1024) == 0
    assert cobalt.py_GetPathInfo(None, None, 0) == 1


def items_json(*pointers):
    return json.dumps([{"MediaItem*": ptr} for ptr in pointers]).encode()


def test_list_riding_rides_every_item_of_the_text(cobalt, tmp_path):
    (track,) = add_tracks("line")
    items = [add_item(track, tone(tmp_path / f"{i}.wav", 1.0), 2.0 * i) for i in range(2)]
    assert cobalt.py_SetMediaItemListRIDEFORM(items_json(*map(p, items)), 1) == 0
    for item in items:
        assert RPR_CountTakes(item) == 2  # ridden and rendered into a new take
    assert cobalt.py_SetMediaItemListRIDEFORM(b"[]", 0) == 0


@pytest.mark.parametrize(
    "text",
    [
        b"not json",
        b"[1,",
        b"",
        None,
        b'[{"MediaItem*": "5"}]',  # an address that is no number
        b'[{"MediaItem*": null}]',
        b'[{"MediaItem*": 1.5e300}]',
        b'{"MediaItem*": 5}',  # no array
        b"[5]",
        b'[{"MediaTrack*": 5}]',
        b'"[]"',
        b"[" * 5000 + b"]" * 5000,
        "items".encode() + b"\xff",
    ],
)
def test_list_riding_of_text_that_is_not_a_list_of_items(cobalt, tmp_path, text):
    (track,) = add_tracks("line")
    item = add_item(track, tone(tmp_path / "a.wav", 1.0))
    volume = RPR_GetMediaItemInfo_Value(item, "D_VOL")
    assert cobalt.py_SetMediaItemListRIDEFORM(text, 1) in (0, 1)
    take = RPR_GetActiveTake(item)
    assert RPR_CountTakeEnvelopes(take) == 0 and RPR_CountTakes(item) == 1
    assert RPR_GetMediaItemInfo_Value(item, "D_VOL") == volume


def test_list_riding_of_items_that_are_gone_or_never_were(cobalt, tmp_path):
    (track,) = add_tracks("line")
    kept = add_item(track, tone(tmp_path / "a.wav", 1.0))
    gone = add_item(track, tone(tmp_path / "b.wav", 1.0), 2.0)
    RPR_DeleteTrackMediaItem(track, gone)
    for pointers in ([p(gone)], [0xDEADBEEF], [p(track)], [0]):
        assert cobalt.py_SetMediaItemListRIDEFORM(items_json(*pointers), 1) == 1, pointers
        assert RPR_GetErrorCode() != 0
    assert RPR_CountTakeEnvelopes(RPR_GetActiveTake(kept)) == 0


# ---- bilingual insertion --------------------------------------------------------------


def vox(cobalt, subject, base, names, start=0.0, interval=0.5, size=4096, buffer=True):
    """(result, answer buffer) of one insertion; the buffer starts filled with '#'."""
    buf = ctypes.create_string_buffer(b"#" * max(size, 1)) if buffer else None
    text = names if isinstance(names, bytes) or names is None else json.dumps(names).encode()
    result = cobalt.py_VOXPAIR_InsertMediaItems(
        str(subject).encode(), str(base).encode(), start, interval, 0, False, False, 0, text, buf, size
    )
    return result, buf


def unmatched(buf):
    return [entry["string"] for entry in json.loads(buf.value)]


def track_names():
    return [RPR_GetSetMediaTrackInfo_String(RPR_GetTrack(0, i), "P_NAME", "", False)[3] for i in range(RPR_CountTracks(0))]


def timeline():
    """(position, length, child track name) of every item, in time order."""
    placed = []
    for i in range(RPR_CountTracks(0)):
        track = RPR_GetTrack(0, i)
        name = RPR_GetSetMediaTrackInfo_String(track, "P_NAME", "", False)[3]
        for item in items_of(track):
            placed.append((RPR_GetMediaItemInfo_Value(item, "D_POSITION"),
                           RPR_GetMediaItemInfo_Value(item, "D_LENGTH"), name))
    return sorted(placed)


def positions(track):
    return [RPR_GetMediaItemInfo_Value(i, "D_POSITION") for i in items_of(track)]


@pytest.fixture
def job(tmp_path):
    """Subject lines Alice_001, Bob_001, Line_001 (its base is line_001) and Extra_001 in
    a subfolder, with a same-named Alice_001 in a base subfolder after the first."""
    subject, base = tmp_path / "ja", tmp_path / "en"
    for name, seconds in [("Alice_001", 1.0), ("Bob_001", 0.5), ("Line_001", 0.2), ("sub/Extra_001", 0.3)]:
        tone(subject / f"{name}.wav", seconds * 2)
    for name, seconds in [("Alice_001", 1.0), ("Bob_001", 0.5), ("line_001", 0.2), ("sub/Extra_001", 0.3)]:
        tone(base / f"{name}.wav", seconds)
    tone(base / "deeper" / "Alice_001.wav", 3.0)
    return subject, base


def test_bilingual_insertion_pairs_groups_and_reports_unmatched(cobalt, job):
    subject, base = job
    result, buf = vox(cobalt, subject, base, ["alice", "bob"], start=2.0)
    assert result == 0
    assert unmatched(buf) == [str(subject / "Line_001.wav")]  # the case differs
    names = track_names()
    for group in ("alice", "bob", "None"):
        at = names.index(group)
        assert names[at + 1 : at + 3] == ["base", "unique"], names
    assert names.count("base") == 3
    # Of the two base lines named Alice_001.wav, the one listed first is used, once.
    alice_base = RPR_GetTrack(0, names.index("alice") + 1)
    assert len(items_of(alice_base)) == 1
    source = RPR_GetMediaItemTake_Source(RPR_GetActiveTake(items_of(alice_base)[0]))
    assert RPR_GetMediaSourceFileName(source, "", 4096)[1] in (
        str(base / "Alice_001.wav"), str(base / "deeper" / "Alice_001.wav"))
    # Every pair, base then subject, follows the one before after the gap, from the start.
    placed = timeline()
    assert len(placed) == 6 and placed[0][0] == 2.0
    for (position, length, _), (next_position, _, _) in zip(placed, placed[1:]):
        assert next_position == pytest.approx(position + length + 0.5)
    assert [kind for _, _, kind in placed] == ["base", "unique"] * 3

    # Again with the same keywords: the tracks are reused, not duplicated.
    result, buf = vox(cobalt, subject, base, ["alice", "bob"], start=20.0)
    assert track_names() == names
    assert len(items_of(alice_base)) == 2
    assert len(timeline()) == 12 and timeline()[6][0] == 20.0


@pytest.mark.parametrize(
    "names, groups",
    [
        ([], {"None"}),
        (["", "alice"], {""}),  # the empty keyword takes every line
        (["ALICE"], {"ALICE", "None"}),
        (b'["alice", 3, null]', {"alice", "None"}),  # what is not a text is left out
        (b'{"alice": 1}', {"None"}),  # no array, no keywords
        (b'"alice"', {"None"}),
    ],
)
def test_bilingual_insertion_keyword_lists(cobalt, job, names, groups):
    subject, base = job
    result, buf = vox(cobalt, subject, base, names)
    assert result == 0 and len(unmatched(buf)) == 1
    parents = {n for n in track_names() if n not in ("base", "unique")}
    assert parents == groups


@pytest.mark.parametrize("names", [b"{bad", b"", None, b"[1,", b"\xff"])
def test_bilingual_insertion_of_keywords_that_are_not_json(cobalt, job, names):
    subject, base = job
    buf = ctypes.create_string_buffer(b"#" * 16)
    assert cobalt.py_VOXPAIR_InsertMediaItems(
        str(subject).encode(), str(base).encode(), 0.0, 0.5, 0, False, False, 0, names, buf, 16
    ) == 1
    assert buf.raw == b"#" * 16 + b"\0"
    assert RPR_CountTracks(0) == 0


def test_bilingual_insertion_of_folders_missing_empty_or_without_audio(cobalt, tmp_path, job):
    subject, base = job
    empty = tmp_path / "empty"
    empty.mkdir()
    (tmp_path / "text" / "notes.txt").parent.mkdir()
    (tmp_path / "text" / "notes.txt").write_text("x")
    for s, b in [(tmp_path / "none", base), (empty, base), (tmp_path / "text", base), ("", "")]:
        result, buf = vox(cobalt, s, b, ["alice"])
        assert result == 0 and buf.value == b"[]", s
        assert RPR_CountTracks(0) == 0
        assert RPR_GetErrorCode() == 0
    # A base folder that does not exist leaves every subject line unmatched.
    result, buf = vox(cobalt, subject, tmp_path / "none", ["alice"])
    assert result == 0 and len(unmatched(buf)) == 4


def test_bilingual_insertion_of_lines_the_host_cannot_read(cobalt, tmp_path):
    subject, base = tmp_path / "ja", tmp_path / "en"
    tone(subject / "a_001.wav", 0.4)
    tone(base / "a_001.wav", 0.4)
    for folder_ in (subject, base):
        (folder_ / "b_002.wav").write_bytes(b"RIFF but no audio")
    tone(subject / "c_003.wav", 0.4)
    tone(base / "c_003.wav", 0.4)
    result, buf = vox(cobalt, subject, base, [], interval=0.5)
    assert result == 0 and buf.value == b"[]"
    names = track_names()
    base_track, unique_track = (RPR_GetTrack(0, names.index(n)) for n in ("base", "unique"))
    assert len(items_of(base_track)) == 2 and len(items_of(unique_track)) == 2
    # The unreadable pair advances the timeline by its gaps alone.
    assert positions(base_track) == pytest.approx([0.0, 0.4 + 0.5 + 0.4 + 0.5 + 0.5 + 0.5])


@pytest.mark.parametrize("size, buffer, written", [(0, True, b"#"), (-5, True, b"#"), (1, True, b"\0"),
                                                  (3, True, b"[{\0"), (4096, False, None), (0, False, None)])
def test_bilingual_insertion_answer_buffer_sizes(cobalt, job, size, buffer, written):
    subject, base = job
    result, buf = vox(cobalt, subject, base, ["alice"], size=size, buffer=buffer)
    assert result == 0
    if written is not None:
        assert buf.raw[: len(written)] == written
    assert track_names().count("unique") == 2  # the insertion ran whatever the buffer


# ---- the module's helpers for the two headline features -------------------------------


def test_module_rides_items_and_lays_out_a_job(cobalt, job, tmp_path):
    subject, base = job
    assert cobalt.insert_pairs(subject, base, ["alice", "bob"], start=1.0, match_loudness=True, ride=True) == [
        str(subject / "Line_001.wav")
    ]
    names = track_names()
    unique = RPR_GetTrack(0, names.index("alice") + 2)
    (line,) = items_of(unique)
    assert RPR_GetMediaItemInfo_Value(line, "D_POSITION") > 1.0
    assert RPR_CountTakes(line) == 2  # ridden, then rendered

    (track,) = add_tracks("line")
    item = add_item(track, tone(tmp_path / "a.wav", 1.0))
    assert cobalt.ride([item], 2) and RPR_CountTakes(item) == 2
    RPR_DeleteTrackMediaItem(track, item)
    assert not cobalt.ride([item], 2)
