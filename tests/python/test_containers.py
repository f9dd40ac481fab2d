"""Value arrays, value maps, record lists and records as a Python script uses them."""

import pytest

from conftest import DEFAULTS, FIELDS, SAMPLE, SIGNATURES


def test_all_container_exports_are_there(mx):
    assert len(SIGNATURES) == 38
    for name in SIGNATURES:
        assert getattr(mx.lib, name) is not None


def test_array_keeps_appends_in_order(mx):
    a = mx.py_create_array()
    assert a != 0 and mx.py_get_obj_size(a) == 0
    for v in (7, -1, 2**31 - 1):
        mx.py_set_array_int(a, v)
    assert mx.py_get_obj_size(a) == 3
    assert [mx.py_get_int_inarray(a, i) for i in range(3)] == [7, -1, 2**31 - 1]
    for bad in (-1, 3, 2**31 - 1, -(2**31)):
        assert mx.py_get_int_inarray(a, bad) == 0
        assert mx.array_get("string", a, bad) == b""
    mx.py_release_obj(a)


def test_array_getter_of_another_type_gives_its_default(mx):
    a = mx.py_create_array()
    kinds = list(SAMPLE)
    for kind in kinds:
        mx.set_array(kind, a, SAMPLE[kind])
    for index, stored in enumerate(kinds):
        for kind in kinds:
            expected = SAMPLE[kind] if kind == stored else DEFAULTS[kind]
            assert mx.array_get(kind, a, index) == expected, (stored, kind)
    mx.py_release_obj(a)


def test_text_is_cut_at_1023_bytes(mx):
    long_text = bytes(range(1, 256)) * 8  # 2040 bytes, no NUL
    a, m, lst = mx.py_create_array(), mx.py_create_map(), mx.py_create_mxList_array()
    rec = mx.py_create_mxObj_inarray(lst, b"TrackDetail")
    mx.py_set_array_string(a, long_text)
    mx.py_set_map_string(m, long_text, long_text)
    mx.py_set_string_inmxObj(rec, b"Name", long_text)
    assert mx.array_get("string", a, 0) == long_text[:1023]
    assert mx.map_get("string", m, 0) == (long_text[:1023], long_text[:1023])
    assert mx.field_get("string", rec, b"Name") == long_text[:1023]
    for h in (a, m, lst):
        mx.py_release_obj(h)


def test_null_text_reads_as_empty(mx):
    a, m = mx.py_create_array(), mx.py_create_map()
    mx.py_set_array_string(a, None)
    mx.py_set_map_int(m, None, 5)
    assert mx.py_get_obj_size(a) == 1 and mx.array_get("string", a, 0) == b""
    assert mx.map_get("int", m, 0) == (b"", 5)
    mx.py_release_obj(a)
    mx.py_release_obj(m)


def test_map_reads_by_position_in_byte_order_of_keys(mx):
    m = mx.py_create_map()
    mx.py_set_map_int(m, b"b", 1)
    mx.py_set_map_int(m, b"a", 2)
    mx.py_set_map_double(m, b"\xc3\xa9", 0.5)  # a UTF-8 key sorts after every ASCII one
    mx.py_set_map_bool(m, b"B", True)
    assert mx.py_get_obj_size(m) == 4
    assert mx.map_get("bool", m, 0) == (b"B", True)
    assert mx.map_get("int", m, 1) == (b"a", 2)
    assert mx.map_get("int", m, 2) == (b"b", 1)
    assert mx.map_get("double", m, 3) == (b"\xc3\xa9", 0.5)
    # A put under an existing key replaces value and type.
    mx.py_set_map_string(m, b"a", b"x")
    assert mx.py_get_obj_size(m) == 4
    assert mx.map_get("string", m, 1) == (b"a", b"x")
    assert mx.map_get("int", m, 1) == (b"a", 0)  # the entry is there, the int is not
    for bad in (-1, 4):
        for kind in SAMPLE:
            assert mx.map_get(kind, m, bad) == (b"", DEFAULTS[kind])
    mx.py_release_obj(m)


@pytest.mark.parametrize("type_name", FIELDS)
def test_record_fields_take_only_values_of_their_type(mx, type_name):
    lst = mx.py_create_mxList_array()
    rec = mx.py_create_mxObj_inarray(lst, type_name.encode())
    assert rec != 0
    fields = FIELDS[type_name]
    for key, kind in fields.items():
        for other in SAMPLE:
            if other != kind:
                mx.set_field(other, rec, key.encode(), SAMPLE[other])  # ignored: wrong type
        assert mx.field_get(kind, rec, key.encode()) == DEFAULTS[kind]
        mx.set_field(kind, rec, key.encode(), SAMPLE[kind])
    for key, kind in fields.items():
        for other in SAMPLE:
            expected = SAMPLE[other] if other == kind else DEFAULTS[other]
            assert mx.field_get(other, rec, key.encode()) == expected, (key, other)
        assert mx.field_get(kind, rec, key.lower().encode() + b"x") == DEFAULTS[kind]
    # Values set from Python never make a field present: no keys, size 0.
    assert mx.py_get_obj_size(rec) == 0
    assert mx.key_info(rec, 0) == (b"", b"")
    assert mx.key_info(rec, -1) == (b"", b"")
    mx.py_release_obj(lst)


def test_keys_are_case_sensitive(mx):
    lst = mx.py_create_mxList_array()
    rec = mx.py_create_mxObj_inarray(lst, b"TrackDetail")
    mx.py_set_int_inmxObj(rec, b"Index", 4)
    mx.py_set_double_inmxObj(rec, b"volume", 3.0)
    assert mx.py_get_int_inmxobj(rec, b"Index") == 4
    assert mx.py_get_double_inmxobj(rec, b"Index") == 0.0
    assert mx.py_get_double_inmxobj(rec, b"Volume") == 0.0
    assert mx.py_get_int_inmxobj(rec, b"index") == 0
    mx.py_release_obj(lst)


def test_record_list_reads_through_the_pointer_getter(mx):
    lst = mx.py_create_mxList_array()
    recs = [mx.py_create_mxObj_inarray(lst, t.encode()) for t in ("mx_Peak", "TrackDetail", "mx_Midi")]
    assert len(set(recs)) == 3 and 0 not in recs
    assert mx.py_get_obj_size(lst) == 3
    assert [mx.py_get_ptr_inarray(lst, i) for i in range(3)] == recs
    for bad in (3, -1):
        assert mx.py_get_ptr_inarray(lst, bad) is None
    # Only the pointer getter reads lists.
    assert mx.py_get_int_inarray(lst, 0) == 0
    mx.py_release_obj(lst)


@pytest.mark.parametrize("type_name", [b"", b"trackdetail", b"mx_Path", b"VOXPAIR_Tracks", b"mx_Peak "])
def test_only_the_three_record_types_can_be_made(mx, type_name):
    lst = mx.py_create_mxList_array()
    assert mx.py_create_mxObj_inarray(lst, type_name) == 0
    assert mx.py_create_mxObj_inarray(lst, None) == 0
    assert mx.py_get_obj_size(lst) == 0
    mx.py_release_obj(lst)


def test_a_record_needs_a_live_list(mx):
    a, gone = mx.py_create_array(), mx.py_create_mxList_array()
    mx.py_release_obj(gone)
    for not_a_list in (0, 12345, a, gone, 2**64 - 1):
        assert mx.py_create_mxObj_inarray(not_a_list, b"mx_Midi") == 0
    assert mx.py_get_obj_size(a) == 0
    mx.py_release_obj(a)


def test_releasing_a_list_releases_its_records(mx):
    lst = mx.py_create_mxList_array()
    recs = [mx.py_create_mxObj_inarray(lst, b"mx_Midi") for _ in range(3)]
    for i, rec in enumerate(recs):
        mx.py_set_int_inmxObj(rec, b"Pitch", 60 + i)
    assert [mx.py_get_int_inmxobj(r, b"Pitch") for r in recs] == [60, 61, 62]
    mx.py_release_obj(lst)
    assert mx.py_get_obj_size(lst) == 0
    assert mx.py_get_ptr_inarray(lst, 0) is None
    for rec in recs:
        assert mx.py_get_int_inmxobj(rec, b"Pitch") == 0
        mx.py_set_int_inmxObj(rec, b"Pitch", 1)  # a released record takes nothing
        assert mx.py_get_int_inmxobj(rec, b"Pitch") == 0
    mx.py_release_obj(lst)  # finds nothing the second time
    for rec in recs:
        mx.py_release_obj(rec)


def test_a_record_released_alone_leaves_its_list(mx):
    lst = mx.py_create_mxList_array()
    recs = [mx.py_create_mxObj_inarray(lst, b"mx_Peak") for _ in range(3)]
    for i, rec in enumerate(recs):
        mx.py_set_double_inmxObj(rec, b"Time", float(i))
    mx.py_release_obj(recs[1])
    assert mx.py_get_double_inmxobj(recs[1], b"Time") == 0.0
    assert mx.py_get_obj_size(lst) == 2
    assert [mx.py_get_ptr_inarray(lst, i) for i in range(2)] == [recs[0], recs[2]]
    assert mx.py_get_double_inmxobj(recs[2], b"Time") == 2.0
    mx.py_release_obj(lst)
    assert mx.py_get_double_inmxobj(recs[0], b"Time") == 0.0


def test_release_of_arrays_and_maps(mx):
    m = mx.py_create_map()
    mx.py_set_map_int(m, b"k", 1)
    mx.py_release_obj(m)
    assert mx.py_get_obj_size(m) == 0 and mx.map_get("int", m, 0) == (b"", 0)
    mx.py_set_map_int(m, b"k", 1)  # a released map takes nothing
    assert mx.py_get_obj_size(m) == 0

    # a -> b -> c: releasing a with its referred arrays takes b, never c; host pointers,
    # record handles and unknown numbers among the elements are only values.
    a, b, c = (mx.py_create_array() for _ in range(3))
    lst = mx.py_create_mxList_array()
    rec = mx.py_create_mxObj_inarray(lst, b"TrackDetail")
    mx.py_set_int_inmxObj(rec, b"Depth", 2)
    for value in (b, 0x1234, rec, None, a):
        mx.py_set_array_ptr(a, value)
    mx.py_set_array_ptr(b, c)
    mx.py_set_array_int(c, 9)
    mx.py_release_obj2(a)
    assert mx.py_get_obj_size(a) == 0 and mx.py_get_obj_size(b) == 0
    assert mx.py_get_obj_size(c) == 1 and mx.py_get_int_inarray(c, 0) == 9
    assert mx.py_get_int_inmxobj(rec, b"Depth") == 2 and mx.py_get_obj_size(lst) == 1
    mx.py_release_obj2(a)  # finds nothing the second time

    # The plain release takes only the array itself.
    d = mx.py_create_array()
    mx.py_set_array_ptr(d, c)
    mx.py_release_obj(d)
    assert mx.py_get_obj_size(d) == 0 and mx.py_get_obj_size(c) == 1
    # The referring release only follows arrays: a list named in an array stays.
    e = mx.py_create_array()
    mx.py_set_array_ptr(e, lst)
    mx.py_release_obj2(e)
    assert mx.py_get_obj_size(lst) == 1
    for h in (c, lst):
        mx.py_release_obj(h)
    assert mx.py_get_int_inmxobj(rec, b"Depth") == 0


@pytest.mark.parametrize("handle", [0, 1, 8, 0xDEADBEEF, 2**63, 2**64 - 1])
def test_handles_that_name_nothing_answer_defaults(mx, handle):
    for kind in SAMPLE:
        mx.set_array(kind, handle, SAMPLE[kind])
        mx.set_map(kind, handle, b"k", SAMPLE[kind])
        mx.set_field(kind, handle, b"Index", SAMPLE[kind])
        assert mx.array_get(kind, handle, 0) == DEFAULTS[kind]
        assert mx.map_get(kind, handle, 0) == (b"", DEFAULTS[kind])
        assert mx.field_get(kind, handle, b"Index") == DEFAULTS[kind]
    assert mx.py_get_obj_size(handle) == 0
    assert mx.key_info(handle, 0) == (b"", b"")
    assert mx.py_create_mxObj_inarray(handle, b"TrackDetail") == 0
    mx.py_release_obj(handle)
    mx.py_release_obj2(handle)
