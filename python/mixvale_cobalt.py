"""MIXVALE_COBALT from Python scripts of the host.

The plug-in file is loaded with ctypes and its ``py_`` exports are called by name. Lists,
records and maps stay inside the plug-in under 64-bit handles; this module declares every
export's types, and reads handed-out lists into Python values and releases them.

    import mixvale_cobalt
    mx = mixvale_cobalt.Cobalt()            # the file named by MXSIM_PLUGIN, or a path
    ok, tracks = mx.track_list(None)        # pointers of the active project's tracks
    handle = mixvale_cobalt.to_handle(tracks[0], "MediaTrack*")   # for RPR_ calls

Host objects travel between the host's bridge (text handles such as
"(MediaTrack*)0x00007f12a0c01230") and these exports (plain addresses) through
``to_pointer`` and ``to_handle``.
"""

import ctypes
import json
import os
import re

H = ctypes.c_uint64  # handle of a pooled array, map, record list or record
P = ctypes.c_void_p  # host object pointer
LIST_OUT = ctypes.POINTER(ctypes.c_void_p)  # where a list function writes its handle
COUNT_OUT = ctypes.POINTER(ctypes.c_int)
_int, _double, _bool, _text = ctypes.c_int, ctypes.c_double, ctypes.c_bool, ctypes.c_char_p

# Text read back from the plug-in is cut to TEXT_BUFFER - 1 bytes; a buffer for it must
# hold TEXT_BUFFER bytes.
TEXT_BUFFER = 1024

# Value types of arrays, maps and record fields, as they appear in the export names.
SCALARS = {"ptr": P, "int": _int, "double": _double, "bool": _bool}
VALUE_TYPES = {**SCALARS, "string": _text}
DEFAULTS = {"ptr": None, "int": 0, "double": 0.0, "bool": False, "string": b""}
# Field type names a record reports, and the getter that reads each.
FIELD_KINDS = {"string": "string", "MediaTrack*": "ptr", "double": "double", "int": "int"}


def _setters(template, argtypes, help_text):
    """One setter per value type; None among the argument types is the type's own."""
    return {
        template.format(kind=kind): (None, [ctype if a is None else a for a in argtypes], help_text.format(kind=kind))
        for kind, ctype in VALUE_TYPES.items()
    }


def _getters(template, argtypes, help_text):
    """One getter per scalar type, answering the value."""
    return {
        template.format(kind=kind): (ctype, list(argtypes), help_text.format(kind=kind))
        for kind, ctype in SCALARS.items()
    }


# Every export: name -> (result type, [argument types], one-line help), in declaration
# order, grouped by family.
SIGNATURES = {
    # --- Creation -------------------------------------------------------------------
    "py_create_array": (H, [], "handle of a new empty value array"),
    "py_create_map": (H, [], "handle of a new empty value map"),
    "py_create_mxList_array": (H, [], "handle of a new empty record list"),
    "py_create_mxObj_inarray": (
        H, [H, _text],
        "(list, typeName) new record of type TrackDetail, mx_Midi or mx_Peak appended to the list; 0 for another name or no list",
    ),
    # --- Filling value arrays: append one element ---------------------------------------
    **_setters("py_set_array_{kind}", [H, None], "(array, value) appends a {kind} element"),
    # --- Filling value maps: store under a key, replacing value and type ------------------
    **_setters("py_set_map_{kind}", [H, _text, None], "(map, key, value) stores a {kind} under the key"),
    # --- Size -------------------------------------------------------------------------
    "py_get_obj_size": (_int, [H], "(handle) elements of an array or list, entries of a map, present fields of a record"),
    # --- Reading value arrays by index ---------------------------------------------------
    **_getters("py_get_{kind}_inarray", [H, _int],
               "(array, index) the {kind} element; for a record list and ptr, the record handle; default when absent"),
    "py_get_string_inarray": (None, [H, _int, _text], "(array, index, valueBuffer) writes the string element"),
    # --- Reading value maps by position in key order --------------------------------------
    **_getters("py_get_{kind}_inmap", [H, _int, _text], "(map, position, keyBuffer) the {kind} value; writes its key"),
    "py_get_string_inmap": (None, [H, _int, _text, _text], "(map, position, keyBuffer, valueBuffer) writes key and string value"),
    # --- Records: fields by key -------------------------------------------------------
    **_setters("py_set_{kind}_inmxObj", [H, _text, None],
              "(record, key, value) stores a {kind} in a field of that type; other values are ignored"),
    "py_get_key_inmxObj": (None, [H, _int, _text, _text], "(record, index, keyBuffer, typeBuffer) key and type name of a present field"),
    **_getters("py_get_{kind}_inmxobj", [H, _text], "(record, key) the {kind} field; default for another type or no record"),
    "py_get_string_inmxobj": (None, [H, _text, _text], "(record, key, valueBuffer) writes the string field"),
    # --- Release ----------------------------------------------------------------------
    "py_release_obj": (None, [H], "(handle) releases an array, map, record list with its records, or record"),
    "py_release_obj2": (None, [H], "(array) releases the array and the arrays its pointer elements name"),
    # --- Track lists: pointer arrays and TrackDetail record lists, handed out on success ---
    "py_GetTrackItemList": (_bool, [P, LIST_OUT], "(proj, listOut) pointer array of the project's tracks"),
    "py_GetTrackItemChildList": (_bool, [P, LIST_OUT, COUNT_OUT], "(track, listOut, countOut) pointer array of the track's children"),
    "py_GetTrackIdChildList": (_bool, [P, _int, LIST_OUT, COUNT_OUT], "(proj, trackID, listOut, countOut) children of the track at an index"),
    "py_GetSelectedTrackIdChildList": (
        _bool, [P, _int, LIST_OUT, COUNT_OUT], "(proj, selectTrackID, listOut, countOut) children of a selected track; count = elements",
    ),
    "py_GetTrackDepthList": (_bool, [P, LIST_OUT], "(proj, listOut) TrackDetail records of Track and Depth"),
    "py_GetSamePerfectTrackNameList": (_bool, [P, _text, LIST_OUT], "(proj, checkName, listOut) TrackDetail records of tracks so named"),
    "py_GetIncludePerfectTrackNameList": (
        _bool, [P, _text, LIST_OUT], "(proj, checkName, listOut) TrackDetail records of tracks whose name holds the text",
    ),
    # --- Files, text and input: string arrays, handed out always --------------------------
    "py_GetFilePathList": (_bool, [_text, _text, LIST_OUT], "(folderPath, searchExtension, listOut) files of a folder tree by extension"),
    "py_GetStringSplitList": (_bool, [_text, _text, LIST_OUT], "(baseStr, splitStr, listOut) the text split at any of the characters"),
    "py_GetUserInputList": (
        _bool, [_text, _int, _text, _text, LIST_OUT],
        "(title, inputNum, captionList, defualtValueList, listOut) the values entered in the host's input dialog",
    ),
    # --- Peak lists: mx_Peak record lists, handed out on success ---------------------------
    "py_GetMediaItemPeakList": (_bool, [P, LIST_OUT], "(item, listOut) millisecond peak records of the item"),
    "py_GetMediaIdPeakList": (_bool, [P, _int, LIST_OUT], "(proj, itemID, listOut) peak records of the item at an index"),
    "py_GetSelectedMediaIdPeakList": (_bool, [P, _int, LIST_OUT], "(proj, selectItemID, listOut) peak records of a selected item"),
    # --- JSON text in and out -------------------------------------------------------------
    "py_GetPathInfo": (_int, [_text, _text, _int], "(filePath, buffer, size) typed JSON of the path's parts; 0 success, 1 failure"),
    "py_SetMediaItemListRIDEFORM": (
        _int, [_text, _int], '(itemList, ratioType) rides the items of [{"MediaItem*": address}, ...]; 0 success, 1 failure',
    ),
    "py_VOXPAIR_InsertMediaItems": (
        _int, [_text, _text, _double, _double, _int, _bool, _bool, _int, _text, _text, _int],
        "(subjectLangPath, baseLangPath, startPos, mediaInterval, startEndType, isVolMatch, isRIDEFORM, "
        "RIDEFORM_ratioType, trackNameList, buffer, size) bilingual insertion; buffer gets the unmatched paths as typed JSON",
    ),
}

_LIST_START = list(SIGNATURES).index("py_GetTrackItemList")
# The value containers and record access, and the list functions.
CONTAINER_FUNCTIONS = tuple(list(SIGNATURES)[:_LIST_START])
LIST_FUNCTIONS = tuple(list(SIGNATURES)[_LIST_START:])

_HANDLE = re.compile(r"^\(([^()]*)\)0x([0-9a-fA-F]+)$")


def to_pointer(handle):
    """Address of a host object from the bridge's text handle (None, 0 and "" are null)."""
    if handle is None or handle == "" or handle == 0:
        return None
    if isinstance(handle, int):
        return handle
    if isinstance(handle, ctypes.c_void_p):
        return handle.value
    match = _HANDLE.match(handle)
    if not match:
        raise ValueError(f"not a host object handle: {handle!r}")
    return int(match.group(2), 16) or None


def to_handle(pointer, type_name):
    """The bridge's text handle of a host object address, e.g. to_handle(p, "MediaItem*")."""
    if isinstance(pointer, ctypes.c_void_p):
        pointer = pointer.value
    return f"({type_name})0x{pointer or 0:016x}"


def text_buffer(size=TEXT_BUFFER):
    """A zeroed buffer for a text the plug-in writes."""
    return ctypes.create_string_buffer(size)


def _bytes(text):
    return text.encode() if isinstance(text, str) else text


class Cobalt:
    """The plug-in's exports, declared, plus readers of the lists they hand out."""

    def __init__(self, path=None):
        path = path or os.environ.get("MXSIM_PLUGIN")
        if not path:
            raise RuntimeError("name the plug-in file, or set MXSIM_PLUGIN")
        self.lib = ctypes.CDLL(path)
        for name, (restype, argtypes, _) in SIGNATURES.items():
            fn = getattr(self.lib, name)
            fn.restype, fn.argtypes = restype, argtypes
            setattr(self, name, fn)

    # --- reading what a handle names, then releasing it -----------------------------
    def read_string(self, kind_where, *args):
        buf = text_buffer()
        getattr(self, f"py_get_string_{kind_where}")(*args, buf)
        return buf.value.decode(errors="replace")

    def strings(self, handle, release=True):
        """The elements of a string array."""
        out = [self.read_string("inarray", handle, i) for i in range(self.py_get_obj_size(handle))]
        if release:
            self.py_release_obj(handle)
        return out

    def pointers(self, handle, release=True):
        """The elements of a pointer array, as addresses (None for null)."""
        out = [self.py_get_ptr_inarray(handle, i) for i in range(self.py_get_obj_size(handle))]
        if release:
            self.py_release_obj(handle)
        return out

    def record(self, handle):
        """The present fields of a record as {key: value}."""
        fields = {}
        for i in range(self.py_get_obj_size(handle)):
            key, type_name = text_buffer(), text_buffer()
            self.py_get_key_inmxObj(handle, i, key, type_name)
            kind = FIELD_KINDS.get(type_name.value.decode())
            if kind is None:
                continue
            name = key.value
            if kind == "string":
                fields[name.decode()] = self.read_string("inmxobj", handle, name)
            else:
                fields[name.decode()] = getattr(self, f"py_get_{kind}_inmxobj")(handle, name)
        return fields

    def records(self, handle, release=True):
        """The records of a record list as dicts; releasing the list releases them."""
        out = [self.record(self.py_get_ptr_inarray(handle, i)) for i in range(self.py_get_obj_size(handle))]
        if release:
            self.py_release_obj(handle)
        return out

    def map_values(self, handle, kind="string", release=True):
        """A map's entries as {key: value}, each read as `kind` (a map does not say the
        type of an entry; one of another type reads as that kind's default)."""
        out = {}
        for pos in range(self.py_get_obj_size(handle)):
            key = text_buffer()
            if kind == "string":
                value = text_buffer()
                self.py_get_string_inmap(handle, pos, key, value)
                out[key.value.decode(errors="replace")] = value.value.decode(errors="replace")
            else:
                out[key.value.decode(errors="replace")] = getattr(self, f"py_get_{kind}_inmap")(handle, pos, key)
        if release:
            self.py_release_obj(handle)
        return out

    # --- list functions answering Python values ---------------------------------------
    def _list(self, name, reader, *args):
        out = ctypes.c_void_p()
        ok = getattr(self, name)(*args, ctypes.byref(out))
        return bool(ok), reader(out.value) if out.value else []

    def track_list(self, proj):
        return self._list("py_GetTrackItemList", self.pointers, to_pointer(proj))

    def track_depth_list(self, proj):
        return self._list("py_GetTrackDepthList", self.records, to_pointer(proj))

    def file_path_list(self, folder, extension):
        return self._list("py_GetFilePathList", self.strings, _bytes(folder), _bytes(extension))

    def string_split_list(self, text, separators):
        return self._list("py_GetStringSplitList", self.strings, _bytes(text), _bytes(separators))

    def peak_list(self, item):
        return self._list("py_GetMediaItemPeakList", self.records, to_pointer(item))

    def path_info(self, path, size=4096):
        """(result, the typed JSON as a Python value or None)."""
        buf = text_buffer(size)
        result = self.py_GetPathInfo(_bytes(path), buf, size)
        return result, json.loads(buf.value) if buf.value else None

    # --- the headline features ---------------------------------------------------------
    def ride(self, items, ratio_type=1):
        """Rides every item (text handles or addresses); True when all were ridden."""
        listed = [{"MediaItem*": to_pointer(item) or 0} for item in items]
        return self.py_SetMediaItemListRIDEFORM(json.dumps(listed).encode(), ratio_type) == 0

    def insert_pairs(self, subject_folder, base_folder, keywords, start=0.0, interval=0.5,
                     after_end=False, match_loudness=True, ride=True, ratio_type=1, size=1 << 20):
        """Bilingual insertion; the subject-language files left without a base line.
        What else happened is in the session and in the error code."""
        buf = text_buffer(size)
        self.py_VOXPAIR_InsertMediaItems(
            _bytes(str(subject_folder)), _bytes(str(base_folder)), start, interval, 1 if after_end else 0,
            match_loudness, ride, ratio_type, json.dumps(list(keywords)).encode(), buf, size)
        return [entry["string"] for entry in json.loads(buf.value)] if buf.value else []
