#!/usr/bin/env python3
"""Renders the API reference in Markdown.

The registered functions come from the definition table that mx_api_table prints (the
texts the host reads, the declaring family, registration order); the Lua module's
functions from the module's own table in that output; the py_ exports from the
SIGNATURES table of the shipped Python module.

    render_api.py --table mx_api_table --python-module python/mixvale_cobalt.py \
                  --out api.md [--check committed/api.md]

With --check, the rendered text is compared with the committed one; a difference is
printed as a diff and the exit status is 1.
"""
import argparse
import ctypes
import difflib
import importlib.util
import json
import re
import subprocess
import sys
from pathlib import Path

# How each parameter type of a list definition reaches a Lua script. A type not named
# here stops the rendering, so a new one is described before the reference claims it.
LUA_TYPES = {
    "ReaProject*": "ReaProject",
    "MediaTrack*": "MediaTrack",
    "MediaItem*": "MediaItem",
    "int": "integer",
    "int*": "integer",
    "double": "number",
    "bool": "boolean",
    "const char*": "string",
    "string*": "string",
    "MediaTrackArray*": "{MediaTrack}",
    "MediaItemArray*": "{MediaItem}",
    "StringArray*": "{string}",
    "stringArray*": "{string}",
    "Object*": "{string}",
    "ObjectArray*": "{record}",
    "PathInfo*": "record",
    "object*": "value",
}

HEADER = """\
# MIXVALE_COBALT API reference

Written by `cmake --build <build folder> --target api_reference` from the plug-in's own
tables; edit the definitions, not this file.
"""

LUA_INTRO = """\
`require("reaper_MIXVALE_COBALT")` installs these functions into the script's `reaper`
table and the global table `MX_COBALT`. A function takes the parameters of its definition
that are not outputs, in order, and returns its declared result (when not `void`) followed
by its outputs (the parameters ending in `Out`). `{T}` is an array table of `T`; a record
is a table keyed by field name. Nothing is raised into the script: a failure leaves an
error code for `reaper.GetErrorCode()`.
"""


def names_of(text):
    return text.split(",") if text else []


def cell(text):
    """Text shown as it is in a Markdown table cell."""
    return re.sub(r"([\\`*_|<>\[\]#])", r"\\\1", text)


def code(text):
    return "`" + text.replace("|", "\\|") + "`" if text else ""


def anchor(heading):
    return re.sub(r"[^a-z0-9 -]", "", heading.lower()).replace(" ", "-")


def table(header, rows):
    lines = ["| " + " | ".join(header) + " |", "|" + "---|" * len(header)]
    lines += ["| " + " | ".join(row) + " |" for row in rows]
    return "\n".join(lines) + "\n"


def registered_section(definitions, lua_names, with_python):
    families = {}
    for position, d in enumerate(definitions):
        families.setdefault(d["family"], []).append((position, d))
    out = [f"## Registered functions\n\n{len(definitions)} functions, registered with the host in the order of "
           "the column #, grouped by the family that declares them. Those marked *Lua* carry lists, "
           "records or JSON and are called through the [Lua module](#lua-module)"
           + (" or the [Python exports](#python-exports)" if with_python else "") + ".\n"]
    out.append("\n".join(f"- [{f}](#{anchor(f)}) ({len(members)})" for f, members in families.items()) + "\n")
    for family, members in families.items():
        rows = []
        for position, d in members:
            params = ", ".join(f"{t} {n}" for t, n in zip(names_of(d["types"]), names_of(d["names"])))
            name = code(d["name"]) + (" *Lua*" if d["name"] in lua_names else "")
            rows.append([str(position), name, code(d["return"]), code(params), cell(d["help"])])
        out.append(f"### {family}\n\n" + table(["#", "function", "returns", "parameters", "help"], rows))
    return "\n".join(out)


def lua_type(type_text, where):
    if type_text not in LUA_TYPES:
        sys.exit(f"render_api: no Lua description for the type {type_text!r} of {where}")
    return LUA_TYPES[type_text]


def lua_section(definitions, lua_names):
    by_name = {d["name"]: d for d in definitions}
    rows = []
    for name in lua_names:
        d = by_name.get(name)
        if d is None:
            sys.exit(f"render_api: the Lua module's {name} has no registered definition")
        args, results = [], []
        if d["return"] != "void":
            results.append(lua_type(d["return"], name))
        for t, n in zip(names_of(d["types"]), names_of(d["names"])):
            (results if n.endswith("Out") else args).append(f"{code(n)}: {cell(lua_type(t, name))}")
        rows.append([code(name), ", ".join(args) or "—", ", ".join(results) or "nothing", cell(d["help"])])
    return (f"## Lua module\n\n{LUA_INTRO}\n"
            + table(["function", "arguments, in order", "returns, in order", "help"], rows))


# ctypes gives some fixed-width types under the platform's name (c_uint64 is c_ulong);
# the reference uses the name a script writer declares.
CTYPES_NAMES = {ctypes.c_uint64: "c_uint64", ctypes.c_int64: "c_int64"}


def ctype_name(ctype):
    if ctype is None:
        return "None"
    if isinstance(ctype, type) and issubclass(ctype, ctypes._Pointer):
        return f"POINTER({ctype_name(ctype._type_)})"
    return CTYPES_NAMES.get(ctype, getattr(ctype, "__name__", repr(ctype)))


def python_signatures(module):
    """The module's SIGNATURES table: [(name, restype, [argtypes], help)] in its order.
    Importing the module only defines it; the plug-in is loaded when a script asks."""
    located = importlib.util.spec_from_file_location("mixvale_cobalt_reference", module)
    loaded = importlib.util.module_from_spec(located)
    located.loader.exec_module(loaded)
    signatures = []
    for name, entry in getattr(loaded, "SIGNATURES", {}).items():
        try:
            restype, argtypes, help_text = entry
            signatures.append((name, ctype_name(restype), [ctype_name(a) for a in argtypes], str(help_text)))
        except (TypeError, ValueError):
            sys.exit(f"render_api: SIGNATURES[{name!r}] in {module} is not (restype, [argtypes], help)")
    if not signatures:
        sys.exit(f"render_api: {module} has no SIGNATURES table")
    return signatures


def python_section(module):
    rows = [[code(name), code(restype), code(", ".join(args)) or "—", cell(help_text)]
            for name, restype, args, help_text in python_signatures(module)]
    return (f"## Python exports\n\n{len(rows)} functions exported for Python scripts, declared for ctypes in "
            f"`python/{module.name}` (types as ctypes names, `None` for no result), in declaration order.\n\n"
            + table(["function", "returns", "argument types", "help"], rows))


def render(table_tool, python_module):
    dump = subprocess.run([table_tool], check=True, capture_output=True, text=True).stdout
    data = json.loads(dump)
    lua_names = data["lua"]
    with_python = python_module.is_file()
    sections = [HEADER, registered_section(data["definitions"], set(lua_names), with_python),
                lua_section(data["definitions"], lua_names)]
    if with_python:
        sections.append(python_section(python_module))
    return "\n".join(sections)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--table", required=True, help="the mx_api_table program")
    parser.add_argument("--python-module", required=True, type=Path)
    parser.add_argument("--out", required=True, type=Path)
    parser.add_argument("--check", type=Path, help="the committed reference to compare with")
    args = parser.parse_args()
    try:
        text = render(args.table, args.python_module)
    except subprocess.CalledProcessError as e:
        sys.exit(f"render_api: {args.table} failed ({e.returncode}): {e.stderr.strip()}")
    args.out.write_text(text, encoding="utf-8")
    if args.check is None:
        return 0
    committed = args.check.read_text(encoding="utf-8") if args.check.is_file() else ""
    if committed == text:
        return 0
    sys.stdout.writelines(difflib.unified_diff(committed.splitlines(keepends=True), text.splitlines(keepends=True),
                                               str(args.check), str(args.out)))
    print(f"\n{args.check} is out of date: rebuild the target api_reference and commit it.")
    return 1


if __name__ == "__main__":
    sys.exit(main())
