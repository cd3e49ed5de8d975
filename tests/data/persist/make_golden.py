#!/usr/bin/env python3
# Builds the golden settings files field by field, independently of the program's writer.
# Run from this folder: python3 make_golden.py
import struct


def wide(text):
    units = text.encode('utf-16-le')
    return struct.pack('<i', len(units) // 2) + units


def font(charset, color, name, pitch, ppi, size, style):
    units = name.encode('utf-16-le')
    n = len(units) // 2
    return (struct.pack('<BIB', charset, color, n & 0xFF) + units[: 2 * (n & 0xFF)]
            + struct.pack('<BiiB', pitch, ppi, size, style))


def settings(recipient, sender, picture, margin, picmargin, picwidth, paper, position,
             font1, font2, info, across, down, addresses, keep, portrait):
    out = wide(recipient) + wide(sender) + wide(picture)
    out += struct.pack('<dddii', margin, picmargin, picwidth, paper, position)
    out += font1 + font2 + wide(info) + struct.pack('<dd', across, down)
    out += struct.pack('<i', len(addresses)) + b''.join(wide(a) for a in addresses)
    out += struct.pack('<BB', int(keep), int(portrait))
    return out


arial = font(0, 0xFF000008, 'Arial', 0, 96, 11, 0)
assert arial == bytes.fromhex('00 080000FF 05 4100720069006100 6C00 00 60000000 0B000000 00')

default = settings('', '', '', 15.0, 5.0, 20.0, 11, 1, arial, arial, '', 50.0, 50.0, [], False, False)
assert len(default) == 122
open('default.kvt', 'wb').write(default)

full = settings('Herrn Max Müller\r\nHauptstraße 1\r\n12345 Köln',
                'Anna Schmidt\r\nWeg 2',
                '/home/anna/Bilder/logo.png',
                12.5, 3.25, 40.0, 3, 2,
                font(1, 0x00336699, 'Liberation Serif', 1, 120, 14, 0b1011),
                font(2, 0xFF00000E, 'DejaVu Sans', 2, 96, 9, 0b0100),
                'Antwort',
                62.5, 40.25,
                ['Erika Muster\r\nA-Str. 5', '', 'Zweite \u2709 Adresse \U0001F4EE'],
                True, True)
open('full.kvt', 'wb').write(full)
print(len(default), len(full))
