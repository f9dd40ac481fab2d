"""A bounded random run over every container export: live, released and never-issued
handles, indexes and positions in and out of range, valid and invalid type names. A
model of what the plug-in should hold predicts every answer; at the end everything is
released and no handle may still name anything."""

import random

from conftest import DEFAULTS, FIELDS, SIGNATURES

SEED = 20240611
CALLS = 6000
TYPE_NAMES = [b"TrackDetail", b"mx_Midi", b"mx_Peak", b"", b"mx_Path", b"VOXPAIR_Tracks", b"MX_MIDI"]


class Model:
    def __init__(self):
        self.arrays = {}  # handle -> [(kind, value)]
        self.maps = {}  # handle -> {key: (kind, value)}
        self.lists = {}  # handle -> [record handle]
        self.records = {}  # handle -> (type name, {key: value})
        self.issued = set()

    def live(self):
        return [*self.arrays, *self.maps, *self.lists, *self.records]

    def issue(self, handle):
        assert handle != 0
        assert handle not in self.live(), "a live handle was issued twice"
        self.issued.add(handle)

    def size(self, h):
        for pool in (self.arrays, self.maps, self.lists):
            if h in pool:
                return len(pool[h])
        return 0  # records made from Python never have present fields

    def array_get(self, kind, h, i):
        elems = self.arrays.get(h, [])
        value = DEFAULTS[kind]
        if 0 <= i < len(elems) and elems[i][0] == kind:
            value = elems[i][1]
        if kind == "ptr" and value is None and h in self.lists and 0 <= i < len(self.lists[h]):
            value = self.lists[h][i]
        return value

    def map_get(self, kind, h, pos):
        entries = sorted(self.maps.get(h, {}).items())
        if not 0 <= pos < len(entries):
            return b"", DEFAULTS[kind]
        key, (stored, value) = entries[pos]
        return key, value if stored == kind else DEFAULTS[kind]

    def field_get(self, kind, h, key):
        if h not in self.records:
            return DEFAULTS[kind]
        type_name, values = self.records[h]
        if FIELDS[type_name].get(key.decode("latin-1")) != kind:
            return DEFAULTS[kind]
        return values.get(key, DEFAULTS[kind])

    def set_field(self, kind, h, key, value):
        if h in self.records:
            type_name, values = self.records[h]
            if FIELDS[type_name].get(key.decode("latin-1")) == kind:
                values[key] = value

    def release(self, h):
        for pool in (self.arrays, self.maps):
            if h in pool:
                del pool[h]
                return
        if h in self.lists:
            for rec in self.lists.pop(h):
                del self.records[rec]
            return
        if h in self.records:
            for members in self.lists.values():
                while h in members:
                    members.remove(h)
            del self.records[h]

    def release2(self, h):
        if h not in self.arrays:
            return
        for kind, value in self.arrays[h]:
            if kind == "ptr" and value in self.arrays:
                del self.arrays[value]
        self.arrays.pop(h, None)


def readable(kind, value):
    """What a stored value reads back as."""
    if kind == "string":
        return value[:1023]
    if kind == "ptr":
        return value or None
    return value


class Run:
    def __init__(self, mx):
        self.mx = mx
        self.model = Model()
        self.rng = random.Random(SEED)
        self.called = set()

    def call(self, name, *args):
        self.called.add(name)
        return getattr(self.mx, name)(*args)

    # Arguments.
    def handle(self, prefer=None):
        """Mostly a live handle, of the preferred kind when given; else a released one or
        a number never issued."""
        rng, m = self.rng, self.model
        if prefer and rng.random() < 0.6:
            return rng.choice(list(prefer))
        live = m.live()
        r = rng.random()
        if r < 0.6 and live:
            return rng.choice(live)
        if r < 0.8 and m.issued:
            return rng.choice(sorted(m.issued))
        return rng.choice([0, 1, 16, 2**64 - 1, rng.getrandbits(64), rng.choice(live or [64]) + 8])

    def index(self, h):
        n = self.model.size(h)
        r = self.rng.random()
        if r < 0.5 and n:
            return self.rng.randrange(n)
        if r < 0.8:
            return self.rng.randint(-2, n + 2)
        return self.rng.choice([-(2**31), 2**31 - 1, -1, n])

    def field(self, h, kind):
        """(key, kind) for a record call: mostly one of the record's own fields, often of
        its own type."""
        if h in self.model.records and self.rng.random() < 0.7:
            fields = FIELDS[self.model.records[h][0]]
            key = self.rng.choice(list(fields))
            return key.encode(), fields[key] if self.rng.random() < 0.6 else kind
        return self.key(), kind

    def key(self):
        if self.rng.random() < 0.5:
            names = [k for fields in FIELDS.values() for k in fields]
            return self.rng.choice(names).encode()
        alphabet = b"abAB\xc3\xa9z"
        return bytes(self.rng.choice(alphabet) for _ in range(self.rng.randint(0, 3)))

    def value(self, kind):
        rng = self.rng
        if kind == "ptr":
            return rng.choice([None, self.handle(), rng.getrandbits(64)]) or None
        if kind == "int":
            return rng.randint(-(2**31), 2**31 - 1)
        if kind == "double":
            return rng.choice([0.0, -0.5, 1e300, rng.uniform(-1e6, 1e6)])
        if kind == "bool":
            return rng.random() < 0.5
        return bytes(rng.randint(1, 255) for _ in range(rng.choice([0, 3, 40, 1100])))

    # One call of each family, checked against the model.
    def create(self):
        m = self.model
        which = self.rng.randrange(4)
        if which == 3:
            lst, type_name = self.handle(m.lists), self.rng.choice(TYPE_NAMES[:3] * 2 + TYPE_NAMES)
            rec = self.call("py_create_mxObj_inarray", lst, type_name)
            if lst in m.lists and type_name.decode() in FIELDS:
                m.issue(rec)
                m.records[rec] = (type_name.decode(), {})
                m.lists[lst].append(rec)
            else:
                assert rec == 0, (lst, type_name)
            return
        containers = [("py_create_array", m.arrays), ("py_create_map", m.maps), ("py_create_mxList_array", m.lists)]
        name, pool = containers[which]
        h = self.call(name)
        m.issue(h)
        pool[h] = {} if pool is m.maps else []

    def fill(self):
        m, kind = self.model, self.rng.choice(list(DEFAULTS))
        where = self.rng.randrange(3)
        h, value = self.handle([m.arrays, m.maps, m.records][where]), self.value(kind)
        if where == 0:
            self.call(f"py_set_array_{kind}", h, value)
            if h in m.arrays:
                m.arrays[h].append((kind, readable(kind, value)))
        elif where == 1:
            key = self.key()
            self.call(f"py_set_map_{kind}", h, key, value)
            if h in m.maps:
                m.maps[h][key] = (kind, readable(kind, value))
        else:
            key, kind = self.field(h, kind)
            value = self.value(kind)
            self.call(f"py_set_{kind}_inmxObj", h, key, value)
            m.set_field(kind, h, key, readable(kind, value))

    def read(self):
        m, mx, kind = self.model, self.mx, self.rng.choice(list(DEFAULTS))
        where = self.rng.randrange(4)
        h = self.handle([{**m.arrays, **m.lists}, m.maps, m.records, None][where])
        if where == 0:
            i = self.index(h)
            elems = m.arrays.get(h, [])
            if 0 <= i < len(elems) and self.rng.random() < 0.6:
                kind = elems[i][0]
            self.called.add("py_get_string_inarray" if kind == "string" else f"py_get_{kind}_inarray")
            assert mx.array_get(kind, h, i) == m.array_get(kind, h, i), (kind, h, i)
        elif where == 1:
            pos = self.index(h)
            entries = sorted(m.maps.get(h, {}).items())
            if 0 <= pos < len(entries) and self.rng.random() < 0.6:
                kind = entries[pos][1][0]
            self.called.add(f"py_get_{kind}_inmap")
            assert mx.map_get(kind, h, pos) == m.map_get(kind, h, pos), (kind, h, pos)
        elif where == 2:
            key, kind = self.field(h, kind)
            self.called.add(f"py_get_{kind}_inmxobj")
            assert mx.field_get(kind, h, key) == m.field_get(kind, h, key), (kind, h, key)
        else:
            assert self.call("py_get_obj_size", h) == m.size(h), h
            self.called.add("py_get_key_inmxObj")
            assert mx.key_info(h, self.index(h)) == (b"", b"")

    def release(self):
        h = self.handle(self.model.live())
        if self.rng.random() < 0.5:
            self.call("py_release_obj", h)
            self.model.release(h)
        else:
            self.call("py_release_obj2", h)
            self.model.release2(h)


def test_random_calls_survive_and_answer_as_modelled(mx):
    run = Run(mx)
    steps = [(run.create, 2), (run.fill, 5), (run.read, 6), (run.release, 2)]
    actions, weights = zip(*steps)
    for _ in range(CALLS):
        run.rng.choices(actions, weights)[0]()
    assert run.called == set(SIGNATURES), set(SIGNATURES) - run.called

    # Mark everything still alive, release it, and then nothing issued may answer.
    m = run.model
    markers = {
        "TrackDetail": (b"Index", "int", 7),
        "mx_Midi": (b"Pitch", "int", 7),
        "mx_Peak": (b"Time", "double", 7.5),
    }
    for h in list(m.lists):
        rec = mx.py_create_mxObj_inarray(h, b"mx_Midi")
        m.issue(rec)
        m.records[rec] = ("mx_Midi", {})
        m.lists[h].append(rec)
    for h, (type_name, _) in m.records.items():
        key, kind, value = markers[type_name]
        mx.set_field(kind, h, key, value)
        assert mx.field_get(kind, h, key) == value
    for h in m.arrays:
        mx.py_set_array_int(h, 1)
    for h in m.maps:
        mx.py_set_map_int(h, b"mark", 1)
    assert all(mx.py_get_obj_size(h) > 0 for h in [*m.arrays, *m.maps, *m.lists])
    for h in [*m.arrays, *m.maps, *m.lists]:
        mx.py_release_obj(h)
    for h in m.issued:
        assert mx.py_get_obj_size(h) == 0, h
        assert mx.py_get_ptr_inarray(h, 0) is None, h
        assert mx.map_get("int", h, 0) == (b"", 0), h
        for key, kind, _ in markers.values():
            assert mx.field_get(kind, h, key) == DEFAULTS[kind], h
