#!/usr/bin/env python3
"""Writes the seed files of the fuzz targets and the reproducers of past
findings into corpus/<target>/. The files are committed; run this again only
to change them (python3 tests/fuzz/make_corpus.py). Inputs copied in from
fuzzing findings are not written here and are left alone."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def write(target, name, data):
    folder = os.path.join(HERE, 'corpus', target)
    os.makedirs(folder, exist_ok=True)
    if isinstance(data, str):
        data = data.encode('cp1251')
    with open(os.path.join(folder, name), 'wb') as f:
        f.write(data)


def u32(v):
    return struct.pack('<I', v & 0xFFFFFFFF)


def u16(v):
    return struct.pack('<H', v & 0xFFFF)


# --- enhanced metafiles -------------------------------------------------

STOCK = 0x80000000
INT_MIN = 0x80000000


def emr(kind, *values):
    return u32(kind) + u32(8 + 4 * len(values)) + b''.join(u32(v) for v in values)


def emr_raw(kind, body):
    return u32(kind) + u32(8 + len(body)) + body


def emf_font(handle, height, escapement=0, face='DejaVu Sans'):
    body = u32(handle) + b''.join(u32(v) for v in (height, 0, escapement, 0, 400)) + bytes(8)
    body += b''.join(u16(ord(face[i]) if i < len(face) else 0) for i in range(32))
    return emr_raw(82, body)


def emf_text(x, y, text):
    body = bytes(16) + u32(1) + struct.pack('<ff', 1, 1) + u32(x) + u32(y) + u32(len(text))
    string_bytes = (len(text) * 2 + 3) // 4 * 4
    body += u32(76) + u32(0) + bytes(16) + u32(76 + string_bytes)
    body += b''.join(u16(ord(c)) for c in text)
    while (len(body) + 8) % 4:
        body += b'\0'
    body += b''.join(u32(20) for _ in text)
    return emr_raw(84, body)


def emf(records, handles, record_count=None):
    """A 100 x 50 picture (frame 2646 x 1323 hundredths of a millimetre on a
    96-dpi reference device) of the given records."""
    body = b''.join(records) + emr(14, 0, 16, 20)
    count = len(records) + 2 if record_count is None else record_count
    header = u32(1) + u32(88)
    header += b''.join(u32(v) for v in (0, 0, 99, 49, 0, 0, 2646, 1323))
    header += u32(0x464D4520) + u32(0x10000) + u32(88 + len(body)) + u32(count)
    header += u16(handles) + u16(0) + u32(0) + u32(0) + u32(0)
    header += b''.join(u32(v) for v in (960, 480, 254, 127))
    return header + body


def red_rectangle_emf():
    """White background, a red rectangle (10, 10)-(60, 40), a black ellipse."""
    return [
        emr(39, 1, 0, 0x00FFFFFF, 0), emr(37, 1), emr(37, STOCK | 8), emr(43, 0, 0, 100, 50),
        emr(39, 2, 0, 0x000000FF, 0), emr(37, 2), emr(43, 10, 10, 60, 40),
        emr(37, STOCK | 4), emr(42, 70, 10, 90, 30), emr(40, 1), emr(40, 2),
    ]


def emf_files():
    write('emf', 'rectangles.emf', emf(red_rectangle_emf(), 3))
    figures = [
        emr(17, 8), emr(9, 200, 100), emr(11, 100, 50),               # anisotropic, half size
        emr(38, 1, 0, 3, 0, 0x00FF0000), emr(37, 1),                  # blue pen 3 wide
        emr(39, 2, 2, 0x0000FF00, 3), emr(37, 2),                     # green cross hatch
        emr(45, 10, 10, 90, 90, 90, 50, 10, 50),                      # arc
        emr(47, 100, 10, 180, 90, 180, 50, 100, 50),                  # pie
        emr(86, 0, 0, 0, 0, 3, (10 | (90 << 16)), (50 | (10 << 16)), (90 | (90 << 16))),  # polygon16
        emr(59), emr(27, 20, 20), emr(54, 60, 20), emr(54, 40, 60), emr(61), emr(60), emr(63),  # path
        emr(33), emr(30, 0, 0, 50, 50), emr(44, 5, 5, 95, 95, 20, 20), emr(34, -1),
        emr(36, *[struct.unpack('<I', struct.pack('<f', v))[0] for v in (0.7, 0.7, -0.7, 0.7, 20, 0)], 4),
        emr(43, 10, 10, 40, 30), emr(36, 0, 0, 0, 0, 0, 0, 1),
    ]
    write('emf', 'figures.emf', emf(figures, 3))
    text = [emr(18, 1), emr(24, 0x000000FF), emr(22, 24), emf_font(1, -20), emr(37, 1), emf_text(10, 30, 'Ж9')]
    write('emf', 'text.emf', emf(text, 2))

    # Past findings.
    # A relative RestoreDC of INT_MIN, which was negated as an int.
    write('emf', 'restoredc-int-min.emf', emf([
        emr(39, 1, 0, 0x000000FF, 0), emr(37, 1), emr(37, STOCK | 8), emr(33),
        emr(39, 2, 0, 0x00FF0000, 0), emr(37, 2), emr(34, INT_MIN), emr(43, 10, 10, 60, 40),
    ], 3))
    # A font height of INT_MIN, whose std::abs overflowed.
    write('emf', 'font-height-int-min.emf', emf([emf_font(1, INT_MIN), emr(37, 1), emf_text(10, 30, 'Ж')], 2))
    # An escapement of INT_MIN, negated before the division.
    write('emf', 'escapement-int-min.emf', emf([emf_font(1, -20, INT_MIN), emr(37, 1), emf_text(10, 30, 'Ж')], 2))
    # The red rectangle with a record count of 65536 in the header: the
    # object table was sized from it.
    write('emf', 'record-count-65536.emf', emf(red_rectangle_emf(), 3, record_count=65536))
    # More saved states than the player keeps, some after a clip of their own.
    saves = []
    for i in range(1100):
        saves += ([emr(30, i % 50, 0, 100, 50)] if i % 10 == 0 else []) + [emr(33)]
    saves += [emr(34, -1)] * 20 + [emr(34, 3), emr(43, 10, 10, 60, 40)]
    write('emf', 'savedc-beyond-bound.emf', emf([emr(37, STOCK | 4)] + saves, 1))


# --- old-style metafiles ------------------------------------------------

def wmr(function, *params):
    return u32(3 + len(params)) + u16(function) + b''.join(u16(p) for p in params)


def wmf(records, objects, placeable=True):
    body = b''.join(records) + wmr(0)
    header = u16(1) + u16(9) + u16(0x300) + u32(9 + len(body) // 2) + u16(objects) + u32(8) + u16(0)
    if not placeable:
        return header + body
    head = u32(0x9AC6CDD7) + u16(0) + b''.join(u16(v) for v in (0, 0, 100, 50)) + u16(96) + u32(0)
    checksum = 0
    for i in range(10):
        checksum ^= struct.unpack('<H', head[2 * i:2 * i + 2])[0]
    return head + u16(checksum) + header + body


def wmf_files():
    write('wmf', 'rectangle.wmf', wmf([
        wmr(0x020B, 0, 0), wmr(0x020C, 50, 100), wmr(0x02FA, 5, 0, 0, 0, 0), wmr(0x012D, 0),
        wmr(0x02FC, 0, 0x00FF, 0, 0), wmr(0x012D, 1), wmr(0x041B, 40, 60, 10, 10),
        wmr(0x0418, 30, 90, 10, 70), wmr(0x01F0, 1),
    ], 2))
    font = wmr(0x02FB, (-14) & 0xFFFF, 0, 0, 0, 700, 0, 0, 0, 0, *struct.unpack('<4H', b'Sans\0\0\0\0'))
    write('wmf', 'text-and-lines.wmf', wmf([
        wmr(0x020C, 50, 100), font, wmr(0x012D, 0), wmr(0x0209, 0x00FF, 0), wmr(0x0521, 2,
        *struct.unpack('<H', 'Жж'.encode('cp1251')), 30, 5), wmr(0x0214, 45, 5), wmr(0x0213, 5, 95),
        wmr(0x0325, 3, 10, 10, 40, 40, 90, 10), wmr(0x0538, 2, 3, 3, 0, 0, 10, 0, 0, 10, 50, 50, 60, 50, 50, 40),
        wmr(0x001E), wmr(0x0416, 40, 60, 0, 0), wmr(0x041B, 50, 100, 0, 0), wmr(0x0127, 0xFFFF),
    ], 1, placeable=False))

    # Past findings.
    # The object table filled up by palettes: a full table takes nothing more,
    # a deleted slot is the next one taken.
    full = [wmr(0x00F7, 0x300, 0)] * 64 + [wmr(0x02FC, 0, 0x00FF0000 & 0xFFFF, 0x00FF0000 >> 16, 0)] * 5
    full += [wmr(0x01F0, 5), wmr(0x02FC, 0, 0x00FF, 0, 0), wmr(0x012D, 5), wmr(0x041B, 40, 60, 10, 10)]
    write('wmf', 'object-table-full.wmf', wmf(full, 64))
    # More saved states than the player keeps.
    write('wmf', 'savedc-beyond-bound.wmf',
          wmf([wmr(0x001E)] * 1100 + [wmr(0x0127, 0xFFFF)] * 20 + [wmr(0x041B, 40, 60, 10, 10)], 1))


# --- raster pictures ----------------------------------------------------

def rla(w, h, rows):
    """rows: bottom row first, each a list of channel byte strings (already
    run-length encoded)."""
    b = b''.join(struct.pack('>H', v & 0xFFFF) for v in (0, w - 1, 0, h - 1, 0, w - 1, 0, h - 1))
    b += struct.pack('>hhhhhh', 0, 0, 3, 0, 0, 0)
    b += bytes(16 + 4 * 24) + bytes(4) + bytes(128 + 128 + 64 + 32 + 32 + 20 + 24 + 8 + 32) + bytes(2)
    b += bytes(12 + 32) + b''.join(struct.pack('>h', 8 if i == 0 else 0) for i in range(5)) + bytes(32 + 36 + 4)
    assert len(b) == 740
    offset = 740 + 4 * h
    table, data = b'', b''
    for row in rows:
        table += struct.pack('>I', offset + len(data))
        for channel in row:
            data += struct.pack('>H', len(channel)) + channel
    return b + table + data


def raster_files():
    w, h = 6, 4
    rows = [[bytes([w - 1, 255 if i < h - 1 else 0]), bytes([w - 1, 0]), bytes([w - 1, 0 if i < h - 1 else 255])]
            for i in range(h)]
    write('rla', 'six-by-four.rla', rla(w, h, rows))
    literal = [[bytes([256 - w]) + bytes(range(10, 10 + w))] * 3 for _ in range(2)]
    write('rla', 'literal-runs.rla', rla(w, 2, literal))

    cel = u16(0x9119) + u16(5) + u16(4) + u16(0) + u16(0) + bytes([8, 0]) + u32(20) + bytes(16)
    palette = bytearray(768)
    palette[0:9] = bytes([63, 63, 63, 63, 0, 0, 0, 0, 63])
    cel += bytes(palette) + bytes((x + y) % 3 for y in range(4) for x in range(5))
    write('autodesk', 'five-by-four.cel', cel)


# --- puzzle files and pasted text ---------------------------------------

def text_files():
    kvt = ('[Options]\r\nHeight=3\r\nWidth=4\r\nCellSize=24\r\nWord=КОТ\r\n[Field]\r\n'
           'Str0=;-3; ;2;\r\nStr1=;А;-;-;5\r\nStr2=; ; ;-9;0\r\n')
    write('kvt', 'three-rows.kvt', kvt)
    write('kvt', 'quoted-and-repeated.kvt', '[options]\nheight = "2"\nWIDTH=0x3\n[Field]\nstr0=\';1;2;3\'\n'
          '[Field]\nStr1=;4\n[Options]\nHeight=9\n')
    write('kvt', 'too-wide.kvt', '[Options]\r\nHeight=2\r\nWidth=5000\r\n')
    write('puzzlepicture', 'three-rows.kvt', kvt)

    fc = '\x02FC2\x02\r\nanything\r\n4 3\r\n255;1/ ;0/0;2\r\n65280;1/;5/ ;0\r\n16711680;9/0;0/ ;-\r\n'
    jc = '\x02JC2.5\x02\r\nx\r\n3 2\r\n0 C #\r\n1 ## A\r\n'
    jc2 = '\x02JC2\x02\r\n\r\n4 3\r\n255 ## 0\r\n0 0 0\r\n'
    rowset = '3 2\r\n' + ' '.join(['5'] + ['0'] * 31) + '\r\n' + ' '.join(['2'] + ['0'] * 31) + '\r\n'
    for name, text in (('fc2.fcr', fc), ('jc25.crs', jc), ('jc2.crs', jc2), ('rows.crs', rowset)):
        write('foreign', name, text)
        write('puzzlepicture', name, text)

    write('paste', 'block.txt', '-\t3 \r\n \t-2 ')
    write('paste', 'spreadsheet.txt', '1\t\t2\r\n\t5\r\n-10\t10\n -3 \t\t\t4')
    write('paste', 'bad-value.txt', '1\t2\r\n3\tкот\r\n')


if __name__ == '__main__':
    emf_files()
    wmf_files()
    raster_files()
    text_files()
