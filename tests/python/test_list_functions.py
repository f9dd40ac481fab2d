"""The list functions as a Python script calls them through ctypes, with the plug-in
loaded on its own (no host bound): what needs no host answers fully, what needs the host
fails cleanly and hands nothing out."""

import ctypes
import json

import pytest

P = ctypes.c_void_p


@pytest.fixture(scope="module")
def lists(mx):
    return mx  # the shipped module declares the list functions with the containers


def strings(mx, handle):
    return [mx.array_get("string", handle, i) for i in range(mx.py_get_obj_size(handle))]


def test_file_list_walks_the_folder_and_is_handed_out_even_when_it_fails(lists, tmp_path):
    (tmp_path / "sub").mkdir()
    for name in ("a.wav", "b.WAV", "c.txt", "sub/d.wav"):
        (tmp_path / name).write_bytes(b"")
    out = P()
    assert lists.py_GetFilePathList(str(tmp_path).encode(), b"wav", ctypes.byref(out))
    found = sorted(p.decode().replace(str(tmp_path) + "/", "") for p in strings(lists, out.value))
    assert found == ["a.wav", "b.WAV", "sub/d.wav"]
    lists.py_release_obj(out.value)

    missing = P()
    assert not lists.py_GetFilePathList(str(tmp_path / "none").encode(), b"wav", ctypes.byref(missing))
    assert missing.value and lists.py_get_obj_size(missing.value) == 0
    lists.py_release_obj(missing.value)


def test_split_list_and_a_missing_out_parameter(lists):
    out = P()
    assert lists.py_GetStringSplitList(b"a,b;c", b",;", ctypes.byref(out))
    assert strings(lists, out.value) == [b"a", b"b", b"c"]
    lists.py_release_obj(out.value)
    # No place to write the handle: nothing is handed out and nothing breaks.
    assert lists.py_GetStringSplitList(b"a,b", b",", None)
    # Null texts read as empty ones.
    empty = P()
    assert lists.py_GetStringSplitList(None, None, ctypes.byref(empty))
    assert lists.py_get_obj_size(empty.value) == 0
    lists.py_release_obj(empty.value)


def test_host_lists_fail_without_a_host_and_leave_the_handle_alone(lists):
    for call in (
        lambda out: lists.py_GetTrackItemList(None, out),
        lambda out: lists.py_GetTrackDepthList(None, out),
        lambda out: lists.py_GetSamePerfectTrackNameList(None, b"x", out),
        lambda out: lists.py_GetMediaIdPeakList(None, 0, out),
        lambda out: lists.py_GetSelectedTrackIdChildList(None, 0, out, None),
    ):
        out = P(0x1234)
        assert not call(ctypes.byref(out))
        assert out.value == 0x1234


def test_path_info_as_typed_json(lists, tmp_path):
    wav = tmp_path / "b.c.wav"
    wav.write_bytes(b"")
    buf = ctypes.create_string_buffer(4096)
    assert lists.py_GetPathInfo(str(wav).encode(), buf, len(buf)) == 0
    info = json.loads(buf.value)
    assert info["FileName"] == {"string": "b.c.wav"}
    assert info["FileNameWithoutExtension"] == {"string": "b.c"}
    assert info["Extension"] == {"string": "wav"}
    assert info["Type"] == {"string": "File"}
    assert len(info) == 7

    assert lists.py_GetPathInfo(str(tmp_path / "missing").encode(), buf, len(buf)) == 1
    assert buf.value == b"null"
    untouched = ctypes.create_string_buffer(b"#" * 8)
    assert lists.py_GetPathInfo(str(wav).encode(), untouched, 0) == 0
    assert untouched.raw[:8] == b"#" * 8
    small = ctypes.create_string_buffer(b"#" * 8)
    lists.py_GetPathInfo(str(wav).encode(), small, 1)
    assert small.raw[0] == 0 and small.raw[1:8] == b"#" * 7


@pytest.mark.parametrize("text", [b"not json", b"[1,", b'[{"MediaItem*": "5"}]', None])
def test_list_riding_refuses_text_that_is_not_a_list_of_items(lists, text):
    assert lists.py_SetMediaItemListRIDEFORM(text, 0) == 1


def test_list_riding_of_an_empty_list_succeeds(lists):
    assert lists.py_SetMediaItemListRIDEFORM(b"[]", 0) == 0


def test_bilingual_insertion_answers_with_typed_json(lists, tmp_path):
    buf = ctypes.create_string_buffer(b"#" * 64)
    assert lists.py_VOXPAIR_InsertMediaItems(
        b"{bad", b"", 0.0, 0.0, 0, False, False, 0, b"{bad", buf, len(buf)
    ) == 1
    # Folders without lines: nothing to pair, and the unmatched list is empty.
    assert lists.py_VOXPAIR_InsertMediaItems(
        str(tmp_path).encode(), str(tmp_path).encode(), 0.0, 0.0, 0, False, False, 0, b'["a", 3]', buf, len(buf)
    ) == 0
    assert buf.value == b"[]"
