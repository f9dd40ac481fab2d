"""The host's Python bridge as a script for the real host uses it: bare results and
tuples, text handles, the plug-in's RPR_MX_ functions, sws_python, the ctypes instance,
and the runner's exit codes."""

import ctypes
import os
import re
import subprocess
import sys

import pytest

import mixvale_cobalt
import reaper_python
import sim_python as sim
from session_content import add_item, add_tracks, tone
from reaper_python import *  # noqa: F401,F403  (as scripts for the host import it)

HANDLE = re.compile(r"^\((MediaTrack|MediaItem|MediaItem_Take|ReaProject)\*\)0x[0-9a-f]{16}$")
ERR_INVALID_TRACK = 10


def test_bare_results_and_tuples_of_every_parameter():
    assert RPR_InsertTrackAtIndex(0, False) is None  # void, nothing to hand back
    assert RPR_CountTracks(0) == 1
    track = RPR_GetTrack(0, 0)
    assert HANDLE.match(track)
    assert RPR_GetTrack(0, 5) == "(MediaTrack*)0x0000000000000000"
    assert RPR_GetMediaTrackInfo_Value(track, "D_VOL") == 1.0

    # A char* buffer passed and returned in place, every argument echoed in order.
    assert RPR_GetSetMediaTrackInfo_String(track, "P_NAME", "Dialog", True) == (True, track, "P_NAME", "Dialog", True)
    assert RPR_GetSetMediaTrackInfo_String(track, "P_NAME", "", False) == (True, track, "P_NAME", "Dialog", False)
    # A char* output with its capacity: the text is cut to what the script gave.
    assert RPR_GetTrackName(track, "", 64) == (True, track, "Dialog", 64)
    assert RPR_GetTrackName(track, "", 4) == (True, track, "Dia", 4)
    assert RPR_GetTrackName(track, "", 0) == (True, track, "", 0)
    assert RPR_GetTrackName(track, "", -5) == (True, track, "", -5)
    # bool* and double outputs beside the result.
    fps, proj, drop = RPR_TimeMap_curFrameRate(0, False)
    assert (fps, proj, drop) == (30.0, 0, False)
    # Every kind of output at once, a text among them.
    index = RPR_AddProjectMarker2(0, True, 1.5, 4.0, "Scene 2", -1, 0)
    assert RPR_EnumProjectMarkers3(0, 0, False, 0, 0, "", 0, 0) == (1, 0, 0, True, 1.5, 4.0, "Scene 2", index, 0)
    assert RPR_EnumProjectMarkers3(0, 1, False, 0, 0, "", 0, 0)[0] == 0


@pytest.mark.parametrize("null", [None, 0, "", "(ReaProject*)0x0", "(ReaProject*)0x0000000000000000"])
def test_null_pointers_name_the_active_project(null):
    add_tracks("a", "b")
    assert RPR_CountTracks(null) == 2


@pytest.mark.parametrize(
    "call",
    [
        lambda: RPR_CountTracks(),
        lambda: RPR_CountTracks(0, 0),
        lambda: RPR_GetTrack(0, "0"),
        lambda: RPR_GetTrack(0, 1.0),
        lambda: RPR_GetTrack("MediaTrack 1", 0),
        lambda: RPR_GetTrack("(ReaProject*)0xzz", 0),
        lambda: RPR_GetTrack([], 0),
        lambda: RPR_InsertTrackAtIndex(None, False),
        lambda: RPR_SetMediaTrackInfo_Value(RPR_GetTrack(0, 0), "D_VOL", "loud"),
        lambda: RPR_SetMediaTrackInfo_Value(RPR_GetTrack(0, 0), b"D_VOL"[0], 0.5),
        lambda: RPR_GetTrackName(RPR_GetTrack(0, 0), "", "64"),
        lambda: RPR_TimeMap_curFrameRate(0, "no"),
    ],
)
def test_wrong_arguments_raise_type_error_and_change_nothing(call):
    (track,) = add_tracks("kept")
    with pytest.raises(TypeError):
        call()
    assert RPR_CountTracks(0) == 1
    assert RPR_GetMediaTrackInfo_Value(track, "D_VOL") == 1.0


def test_an_int_beyond_32_bits_is_refused():
    with pytest.raises(OverflowError):
        RPR_GetTrack(0, 2**40)


def test_the_plugins_functions_are_there_as_rpr_mx():
    names = [n for n in dir(reaper_python) if n.startswith("RPR_MX_")]
    assert len(names) == 118
    (track,) = add_tracks("Take 1")
    assert RPR_MX_SetTrackItemName(track, "Line 7") is None  # void: the code tells
    assert RPR_GetErrorCode() == 0
    assert RPR_GetTrackName(track, "", 64)[2] == "Line 7"
    # A handle that names no live track: refused with the track code, nothing else.
    dead = mixvale_cobalt.to_handle(0x10, "MediaTrack*")
    RPR_MX_SetTrackItemName(dead, "x")
    assert RPR_GetErrorCode() == ERR_INVALID_TRACK
    assert RPR_GetTrackName(track, "", 64)[2] == "Line 7"


def test_sws_python_holds_the_extension_functions_without_prefix(tmp_path):
    import sws_python

    own = sorted(n for n in dir(sws_python) if not n.startswith("_"))
    assert own == sorted(["NF_AnalyzeTakeLoudness2", "BR_EnvAlloc", "BR_EnvFree", "BR_EnvGetProperties",
                          "BR_EnvSetProperties", "BR_EnvSortPoints", "BR_EnvCountPoints", "BR_EnvGetPoint",
                          "BR_EnvSetPoint", "BR_EnvDeletePoint"])
    (track,) = add_tracks("line")
    take = RPR_GetActiveTake(add_item(track, tone(tmp_path / "a.wav", 1.0)))
    answer = sws_python.NF_AnalyzeTakeLoudness2(take, False, 0, 0, 0, 0, 0, 0, 0, 0)
    assert len(answer) == 11 and answer[:3] == (True, take, False)
    assert -20.0 < answer[8] < 0.0  # momentary maximum of a half-scale sine, LUFS
    assert RPR_NF_AnalyzeTakeLoudness2(take, False, 0, 0, 0, 0, 0, 0, 0, 0) == answer

    sim.remove_sws()
    assert not hasattr(sws_python, "NF_AnalyzeTakeLoudness2")
    assert not hasattr(reaper_python, "RPR_NF_AnalyzeTakeLoudness2")
    sim.restore_sws()
    assert sws_python.NF_AnalyzeTakeLoudness2(take, False, 0, 0, 0, 0, 0, 0, 0, 0) == answer


def test_ctypes_reaches_the_instance_the_host_loaded(cobalt):
    tracks = add_tracks("a", "b")
    ok, pointers = cobalt.track_list(None)
    assert ok and pointers == [mixvale_cobalt.to_pointer(t) for t in tracks]
    assert [mixvale_cobalt.to_handle(p, "MediaTrack*") for p in pointers] == tracks
    assert os.path.dirname(os.environ["MXSIM_PLUGIN"]).endswith("UserPlugins")


@pytest.mark.parametrize(
    "script, env, code, says",
    [
        ("print('fine')", {}, 0, "fine"),
        ("import sys; sys.exit(4)", {}, 4, ""),
        ("raise ValueError('broken take')", {}, 1, "ValueError: broken take"),
        ("import sws_python", {"MXSIM_NO_SWS": "1"}, 1, "No module named 'sws_python'"),
        ("from reaper_python import *; print(RPR_MX_GetTrackItemMute.__name__)", {"MXSIM_NO_SWS": "1"}, 0,
         "MX_GetTrackItemMute"),
    ],
)
def test_the_runner_exits_as_the_script_did(tmp_path, script, env, code, says):
    path = tmp_path / "script.py"
    path.write_text(script + "\n")
    run = subprocess.run([os.environ["MXHOST_PY"], "--plugin", os.environ["MX_BUILT_PLUGIN"], str(path)],
                         capture_output=True, text=True, env={**os.environ, **env}, timeout=120)
    assert run.returncode == code, run.stderr
    assert says in run.stdout + run.stderr
