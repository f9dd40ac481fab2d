"""Loads the built plug-in with ctypes through the shipped module, the way a host script
does, with every export declared before use."""

import ctypes
import os
import sys
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "python"))
import mixvale_cobalt  # noqa: E402  (the shipped module, from the source tree)

TEXT_BUFFER = mixvale_cobalt.TEXT_BUFFER  # the least a caller's text buffer must hold

SCALARS = mixvale_cobalt.SCALARS
SETTABLE = mixvale_cobalt.VALUE_TYPES
DEFAULTS = mixvale_cobalt.DEFAULTS
SAMPLE = {"ptr": 0x7F00DEADBEE0, "int": -123456, "double": -12.75, "bool": True, "string": b"line_01.wav"}

# Record fields and the value type a script stores in each (a track is a pointer).
FIELDS = {
    "TrackDetail": {"Name": "string", "Track": "ptr", "Volume": "double", "Index": "int", "Depth": "int"},
    "mx_Midi": {"Index": "int", "Pitch": "int", "Velocity": "int", "StartPos": "double", "EndPos": "double"},
    "mx_Peak": dict.fromkeys(["Time", "MaxPeak", "MinPeak", "Frequency", "Pos", "PointVol"], "double"),
}

# The container and record exports, as the shipped module declares them.
SIGNATURES = {name: mixvale_cobalt.SIGNATURES[name] for name in mixvale_cobalt.CONTAINER_FUNCTIONS}


class Cobalt(mixvale_cobalt.Cobalt):
    """The plug-in's exports plus the buffer checks a test writes around them."""

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
    # MX_PLUGIN names a build loaded on its own; inside the simulated host MXSIM_PLUGIN
    # names the instance the host loaded.
    path = os.environ.get("MX_PLUGIN") or os.environ.get("MXSIM_PLUGIN")
    if not path:
        pytest.fail("MX_PLUGIN or MXSIM_PLUGIN must name the built plug-in")
    return Cobalt(path)
