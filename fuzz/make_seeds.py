#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets into fuzz/corpus/<target>/.

Each seed spells out, in the targets' input encoding (see fuzz_input.h and
each target's reader), one of the situations the host tests build: a game
that binds a controller and plays effects, a sheet whose pages are shown and
pressed, an installation whose registry values are complete or damaged. The
fuzzer starts from them instead of from nothing. Run it again after changing
an encoding.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


class Seed:
    def __init__(self):
        self.b = bytearray()

    def byte(self, v):
        self.b.append(v & 0xFF)
        return self

    def flag(self, on):
        return self.byte(1 if on else 0)

    def word(self, v):
        self.b += struct.pack("<H", v & 0xFFFF)
        return self

    def dword(self, v):
        self.b += struct.pack("<I", v & 0xFFFFFFFF)
        return self

    def raw(self, data):
        self.b += data
        return self


def write(target, name, seed):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(bytes(seed.b))


# --- driver_calls ----------------------------------------------------------
OP_DEVICE_ID, OP_VERSIONS, OP_ESCAPE, OP_GAIN, OP_COMMAND, OP_STATE = 0, 1, 2, 3, 4, 5
OP_DOWNLOAD, OP_DESTROY, OP_START, OP_STOP, OP_STATUS, OP_TICKS = 6, 7, 8, 9, 10, 11
OP_JUMP, OP_PLUG, OP_STRENGTH = 12, 13, 14
DIEP_ALLPARAMS_BYTE = 0xFF


def driver_start(model_t, joystick_ids=(1, 2, 3, 4)):
    s = Seed().flag(model_t).byte(0xFF)  # complete installation
    for jid in joystick_ids:
        s.byte(jid).byte(0)
    return s


def device(s, jid):
    return s.flag(True).byte(jid)


def bind(s, jid):
    s.byte(OP_DEVICE_ID).flag(True).byte(2)  # DirectInput 7
    return device(s, jid).dword(1).dword(0)


def effect_record(s, type_size_index, type_bytes, axes=2, duration=None, envelope=None):
    s.byte(0)  # full-size record
    s.flag(True).byte(0)  # Cartesian, object offsets
    if duration is None:
        s.flag(True)
    else:
        s.flag(False).byte(7).dword(duration)
    s.dword(0)  # sample period
    s.byte(4)  # gain 10000
    s.flag(True)  # no trigger
    s.dword(0)
    s.flag(True).byte(axes)
    s.byte(0xFF).byte(0xFF)  # both blocks present
    for i in range(axes):
        s.flag(True).byte(i)
    for _ in range(axes):
        s.byte(5).byte(1)  # direction 1
    if envelope is None:
        s.flag(False)
    else:
        s.flag(True).flag(True)
        for v in envelope:
            s.byte(7).dword(v)
    s.flag(True).byte(type_size_index).raw(type_bytes)
    s.byte(0xFF)  # sizes as they are
    s.byte(0)  # no start delay
    return s


def download(s, jid, type_index, start=True):
    s.flag(True)  # new handle
    s.flag(True).byte(type_index)
    s.flag(True).byte(DIEP_ALLPARAMS_BYTE).flag(start)
    return device(s, jid)


def ticks(s, ms):
    return s.byte(OP_TICKS).byte(ms)


def constant(magnitude):
    return struct.pack("<i", magnitude)


def periodic(magnitude, offset, phase, period):
    return struct.pack("<IiII", magnitude, offset, phase, period)


for model_t in (False, True):
    m = "t" if model_t else "s"
    # A game rumbles: a constant force plays over ticks, the gain halves it,
    # it stops.
    s = driver_start(model_t)
    bind(s, 1)
    s.byte(OP_DOWNLOAD)
    effect_record(s, 1, constant(5000))
    download(s, 1, 0)
    ticks(s, 80)
    s.byte(OP_GAIN).flag(True).byte(1).byte(5).byte(0x88)
    ticks(s, 40)
    s.byte(OP_STOP).flag(True).byte(1).byte(0)
    ticks(s, 40)
    write("driver_calls", f"game_rumble_{m}", s)

    # A square and a sine wave with a finite duration and an envelope on two
    # controllers; a status query, a reset and a destroy.
    s = driver_start(model_t)
    bind(s, 1)
    bind(s, 2)
    s.byte(OP_DOWNLOAD)
    effect_record(s, 3, periodic(8000, 0, 0, 100000), duration=200000,
                  envelope=(20, 5000, 50000, 0))
    download(s, 1, 2)
    s.byte(OP_DOWNLOAD)
    effect_record(s, 3, periodic(4000, 1000, 9000, 50000))
    download(s, 2, 3)
    ticks(s, 200)
    s.byte(OP_STATUS).flag(True).byte(1).byte(0)
    s.byte(OP_COMMAND).flag(True).byte(1).flag(True).byte(0)
    s.byte(OP_DESTROY).flag(True).byte(2).byte(0)
    ticks(s, 60)
    write("driver_calls", f"waves_two_controllers_{m}", s)

    # A playing controller is unplugged and replugged; the clock jumps past
    # its wrap-around; the strength settings change.
    s = driver_start(model_t)
    bind(s, 1)
    s.byte(OP_DOWNLOAD)
    effect_record(s, 1, constant(10000))
    download(s, 1, 0)
    ticks(s, 50)
    s.byte(OP_PLUG).byte(0).flag(True)
    ticks(s, 50)
    s.byte(OP_PLUG).byte(0).flag(False)
    ticks(s, 50)
    s.byte(OP_JUMP).byte(1)
    ticks(s, 50)
    s.byte(OP_STRENGTH).flag(True).byte(0xFF).byte(4).raw(struct.pack("<I", 50)).flag(True)
    s.byte(OP_STRENGTH).flag(False).byte(0xFF).byte(4).raw(struct.pack("<I", 0)).flag(True)
    bind(s, 1)
    ticks(s, 50)
    write("driver_calls", f"unplug_clock_strength_{m}", s)

    # Damaged records: a constant force without its block, axes without
    # directions.
    s = driver_start(model_t)
    bind(s, 1)
    s.byte(OP_DOWNLOAD)
    effect_record(s, 0, b"")  # a constant force without its block
    download(s, 1, 0)
    s.byte(OP_DOWNLOAD).byte(1).flag(True).byte(0).flag(True).dword(0).byte(4).flag(True).dword(0)
    s.flag(True).byte(2).byte(0xFF).byte(0)  # axes present, directions missing
    s.flag(True).byte(0).flag(True).byte(1)
    s.flag(False).flag(False).byte(2).byte(1).byte(2).byte(0).byte(0)
    download(s, 1, 2)
    ticks(s, 40)
    write("driver_calls", f"damaged_records_{m}", s)

# --- sheet_pages -------------------------------------------------------------
A_SELECT, A_TIMERS, A_STATE, A_ACQUIRE, A_READING, A_CLEAR = 0, 1, 3, 4, 5, 6
A_CLICK, A_TRACKBAR, A_COMMAND, A_TIMER_MSG, A_PAINT, A_PLUG, A_REOPEN = 7, 8, 9, 10, 11, 12, 13


def sheet_start(s, joystick=3):
    return s.byte(joystick).byte(0)  # the joystick's own id


def joystate(x, y, z, rz, buttons):
    state = struct.pack("<8i", x, y, z, 0, 0, rz, 0, 0)
    state += struct.pack("<4I", 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF)
    state += bytes(buttons) + bytes(32 - len(buttons))
    return state


for model_t in (False, True):
    m = "t" if model_t else "s"
    # The function test page follows the stick and the buttons.
    s = sheet_start(Seed().flag(model_t))
    s.byte(A_TIMERS)
    s.byte(A_STATE).raw(joystate(0, 65535, 32767, 100, [0x80, 0, 0x80]))
    s.byte(A_TIMERS).byte(A_PAINT)
    s.byte(A_READING).flag(True).byte(2).flag(False)  # input lost once
    s.byte(A_TIMERS).byte(A_TIMERS)
    write("sheet_pages", f"function_test_{m}", s)

    # Every page in turn, its buttons pressed and trackbar dragged.
    s = sheet_start(Seed().flag(model_t))
    for page in range(4):
        s.byte(A_SELECT).byte(page)
        s.byte(A_TIMERS)
        for child in range(4):
            s.byte(A_CLICK).byte(child)
        s.byte(A_TRACKBAR).byte(0).flag(True).byte(5).byte(60)
        s.byte(A_TIMERS).byte(A_PAINT)
    s.byte(A_REOPEN).flag(True)
    write("sheet_pages", f"every_page_{m}", s)

    # The controller is unplugged while the calibration page watches it, and
    # Acquire keeps failing until it is back.
    s = sheet_start(Seed().flag(model_t))
    s.byte(A_SELECT).byte(1).byte(A_TIMERS)
    s.byte(A_PLUG).flag(True)
    s.byte(A_ACQUIRE).flag(True).byte(4).flag(True)
    s.byte(A_TIMERS).byte(A_TIMERS)
    s.byte(A_PLUG).flag(False).byte(A_CLEAR)
    s.byte(A_TIMERS).byte(A_CLICK).byte(0).byte(A_TIMERS)
    s.byte(A_REOPEN).flag(False)
    write("sheet_pages", f"unplugged_calibration_{m}", s)

# --- registry_values ----------------------------------------------------------


def value_as_expected(s, data):
    # present, usual size, chosen type REG_BINARY
    return s.byte(0xFF).byte(2).flag(True).byte(0).raw(data)


def value_missing(s):
    return s.byte(0)


def registry_seed(model_t, attributes_damaged, directx, calibration_guid, amplify):
    s = Seed().flag(model_t)
    for position in range(12):
        record = struct.pack("<5I", position, 1 + position, 0xFF, 0xFF, 0x30)
        if attributes_damaged and position == 3:
            s.byte(0xFF).byte(0).byte(7).flag(True).byte(0).raw(record[:7])
        else:
            value_as_expected(s, record)
    value_as_expected(s, struct.pack("<I", amplify))
    value_as_expected(s, struct.pack("<I", 1))
    s.byte(0xFF).byte(2).flag(True).byte(2).raw(directx)  # REG_SZ
    # Calibration places: one HID interface candidate, one private candidate.
    s.byte(1).flag(calibration_guid)
    if not calibration_guid:
        value_missing(s)
    for axis in range(4):
        value_as_expected(s, struct.pack("<3I", 0, 32767, 65535))
    s.byte(1).flag(calibration_guid)
    if not calibration_guid:
        value_missing(s)
    for axis in range(4):
        value_as_expected(s, struct.pack("<3I", 0, 128, 255))
    s.byte(3)
    value_missing(s)  # legacy configuration
    s.flag(False)  # default Windows version
    s.byte(0)  # effect type
    s.word(9000)  # magnitude
    sheet_start(s)
    for page in range(4):
        s.byte(A_SELECT).byte(page).byte(A_TIMERS)
        for child in range(4):
            s.byte(A_CLICK).byte(child)
    return s


for model_t in (False, True):
    m = "t" if model_t else "s"
    write("registry_values", f"complete_{m}",
          registry_seed(model_t, False, b"4.09.00.0904\0", True, 100))
    write("registry_values", f"damaged_{m}",
          registry_seed(model_t, True, b"4.08.01.0881", False, 0xFFFFFFFF))
