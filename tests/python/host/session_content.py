"""Session content made through the host's own script functions, as a user's script
would make it: named tracks, folders, tone files and items."""

from pathlib import Path

import sim_python as sim
from reaper_python import (
    RPR_CountTrackMediaItems,
    RPR_CountTracks,
    RPR_GetSetMediaTrackInfo_String,
    RPR_GetTrack,
    RPR_GetTrackMediaItem,
    RPR_InsertMedia,
    RPR_InsertTrackAtIndex,
    RPR_SetEditCurPos,
    RPR_SetMediaTrackInfo_Value,
    RPR_SetOnlyTrackSelected,
)


def add_tracks(*names):
    """Tracks at the end of the active project, named; their handles."""
    handles = []
    for name in names:
        index = RPR_CountTracks(0)
        RPR_InsertTrackAtIndex(index, False)
        track = RPR_GetTrack(0, index)
        RPR_GetSetMediaTrackInfo_String(track, "P_NAME", name, True)
        handles.append(track)
    return handles


def folder(parent, *children):
    """Makes `parent` a folder holding `children` (tracks right after it)."""
    RPR_SetMediaTrackInfo_Value(parent, "I_FOLDERDEPTH", 1)
    RPR_SetMediaTrackInfo_Value(children[-1], "I_FOLDERDEPTH", -1)


def tone(path, seconds, hz=440.0, amplitude=0.5, rate=48000):
    """A mono sine file written through the host's audio library."""
    Path(path).parent.mkdir(parents=True, exist_ok=True)
    sim.write_tone(str(path), hz, amplitude, seconds, rate, 1)
    return str(path)


def items_of(track):
    return [RPR_GetTrackMediaItem(track, i) for i in range(RPR_CountTrackMediaItems(track))]


def add_item(track, path, position=0.0):
    """An item of the file on the track at the position, inserted as a user would."""
    before = set(items_of(track))
    RPR_SetOnlyTrackSelected(track)
    RPR_SetEditCurPos(position, False, False)
    RPR_InsertMedia(str(path), 0)
    new = [item for item in items_of(track) if item not in before]
    assert len(new) == 1, f"{path} was not inserted"
    return new[0]
