"""Loads the built plug-in named by MX_PLUGIN with ctypes, the way a host script does,
with every container export declared before use."""

import ctypes
import os

import pytest

H = ctypes.c_uint64  # every handle
TEXT_BUFFER = 1024  # the least a caller's text buffer must hold

SCALARS = {"ptr": ctypes.c_void_p, "int": ctypes.c_int, "double": ctypes.c_double, "bool": ctypes.c_bool}
SETTABLE = {**SCALARS, "string": ctypes.c_char_p}
DEFAULTS = {"ptr": None, "int": 0, "double": 0.0, "bool": False, "string": b""}
SAMPLE = {"ptr": 0x7F00DEADBEE0, "int": -123456, "double": -12.75, "bool": True, "string": b"line_01.wav"}

# Record fields and the value type a script stores in each (a track is a pointer).
FIELDS = {
    "TrackDetail": {"Name": "string", "Track": "ptr", "Volume": "double", "Index": "int", "Depth": "int"},
    "mx_Midi": {"Index": "int", "Pitch": "int", "Velocity": "int", "StartPos": "double", "EndPos": "double"},
    "mx_Peak": dict.fromkeys(["Time", "MaxPeak", "MinPeak", "Frequency", "Pos", "PointVol"], "double"),
}


def _signatures():
    c_int, c_char_p = ctypes.c_int, ctypes.c_char_p
    sig = {
        "py_create_array": (H, []),
        "py_create_map": (H, []),
        "py_create_mxList_array": (H, []),
        "py_create_mxObj_inarray": (H, [H, c_char_p]),
        "py_get_obj_size": (c_int, [H]),
        "py_get_string_inarray": (None, [H, c_int, c_char_p]),
        "py_get_string_inmap": (None, [H, c_int, c_char_p, c_char_p]),
        "py_get_string_inmxobj": (None, [H, c_char_p, c_char_p]),
        "py_get_key_inmxObj": (None, [H, c_int, c_char_p, c_char_p]),
        "py_release_obj": (None, [H]),
        "py_release_obj2": (None, [H]),
    }
    for name, ctype in SETTABLE.items():
        sig[f"py_set_array_{name}"] = (None, [H, ctype])
        sig[f"py_set_map_{name}"] = (None, [H, c_char_p, ctype])
        sig[f"py_set_{name}_inmxObj"] = (None, [H, c_char_p, ctype])
    for name, ctype in SCALARS.items():
        sig[f"py_get_{name}_inarray"] = (ctype, [H, c_int])
        sig[f"py_get_{name}_inmap"] = (ctype, [H, c_int, c_char_p])
        sig[f"py_get_{name}_inmxobj"] = (ctype, [H, c_char_p])
    return sig


SIGNATURES = _signatures()


class Cobalt:
    """The plug-in's exports plus the buffer handling a script writes around them."""

    def __init__(self, path):
        self.lib = ctypes.CDLL(path)
        for name, (restype, argtypes) in SIGNATURES.items():
            fn = getattr(self.lib, name)
            fn.restype, fn.argtypes = restype, argtypes
            setattr(self, name, fn)

    @staticmethod
    def buffer():
        # Larger than needed and filled, so a missing terminator or an overrun shows.
        return ctypes.create_string_buffer(b"\xee" * (TEXT_BUFFER + 16))

    @staticmethod
    def written(buf):
        raw = buf.raw
        assert raw[TEXT_BUFFER:] == b"\xee" * 16 + b"\0", "wrote past the text buffer"
        return buf.value

    # Typed access by value-type name, as the script-side wrappers read.
    def set_array(self, kind, h, value):
        getattr(self, f"py_set_array_{kind}")(h, value)

    def set_map(self, kind, h, key, value):
        getattr(self, f"py_set_map_{kind}")(h, key, value)

    def set_field(self, kind, h, key, value):
        getattr(self, f"py_set_{kind}_inmxObj")(h, key, value)

    def typed_get(self, kind, where, *args):
        """A scalar comes back as the result; text into a trailing value buffer."""
        if kind != "string":
            return getattr(self, f"py_get_{kind}_{where}")(*args)
        buf = self.buffer()
        getattr(self, f"py_get_string_{where}")(*args, buf)
        return self.written(buf)

    def array_get(self, kind, h, index):
        return self.typed_get(kind, "inarray", h, index)

    def map_get(self, kind, h, position):
        key = self.buffer()
        value = self.typed_get(kind, "inmap", h, position, key)
        return self.written(key), value

    def field_get(self, kind, h, key):
        return self.typed_get(kind, "inmxobj", h, key)

    def key_info(self, h, index):
        key, type_name = self.buffer(), self.buffer()
        self.py_get_key_inmxObj(h, index, key, type_name)
        return self.written(key), self.written(type_name)


@pytest.fixture(scope="session")
def mx():
    path = os.environ.get("MX_PLUGIN")
    if not path:
        pytest.fail("MX_PLUGIN must name the built plug-in")
    return Cobalt(path)
