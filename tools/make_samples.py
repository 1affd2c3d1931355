#!/usr/bin/env python3
"""Writes the sample free tables that "Load Sample/Example Database" points at.

    tools/make_samples.py app/companion/Samples

Three tables, written byte by byte in the FoxPro formats:
  alltypes.dbf/.fpt  Visual FoxPro 9 table with one field of every type the program converts
                     (C, V, M, N with decimals, F, I, B, Y, D, T, L, G), nullable fields with nulls,
                     memo text, Windows-1252 text and one deleted record.
  customers.dbf/.fpt Visual FoxPro table in code page 1252: accented names and memo notes.
  orders.dbf         FoxPro 2.x table without memo in code page 850 (MS-DOS), with a deleted record.
The output is the same on every run, so the committed files only change when this script does.
"""
import datetime
import os
import struct
import sys

UPDATED = (26, 1, 15)  # year modulo 100, month, day of the last update in the header
BLOCK = 64  # memo block size


class Field:
    def __init__(self, name, kind, length, decimals=0, nullable=False):
        self.name, self.kind, self.length, self.decimals, self.nullable = name, kind, length, decimals, nullable

    def flags(self):
        binary = 0x04 if self.kind in "IYBT" else 0
        return binary | (0x02 if self.nullable else 0)


class Memo:
    """An FPT file: a 512-byte header (next free block, block size; big-endian), then blocks."""

    def __init__(self):
        self.blocks = bytearray()

    def add(self, data, kind=1):
        if not data:
            return 0
        number = (512 + len(self.blocks)) // BLOCK
        body = struct.pack(">II", kind, len(data)) + data
        body += bytes(-len(body) % BLOCK)
        self.blocks += body
        return number

    def bytes(self):
        next_free = (512 + len(self.blocks)) // BLOCK
        return struct.pack(">IHH", next_free, 0, BLOCK) + bytes(504) + bytes(self.blocks)


def julian_day(date):
    return date.toordinal() + 1721425


def encode(field, value, codepage, memo):
    """The field's bytes for a value that is not null."""
    n = field.length
    k = field.kind
    if k == "C":
        return value.encode(codepage).ljust(n, b" ")[:n]
    if k in "NF":
        text = "" if value is None else f"{value:.{field.decimals}f}"
        return text.rjust(n).encode("ascii")
    if k == "I":
        return struct.pack("<i", value)
    if k == "B":
        return struct.pack("<d", value)
    if k == "Y":
        return struct.pack("<q", round(value * 10000))
    if k == "D":
        return value.strftime("%Y%m%d").encode("ascii") if value else b" " * 8
    if k == "T":
        ms = ((value.hour * 60 + value.minute) * 60 + value.second) * 1000
        return struct.pack("<ii", julian_day(value.date()), ms)
    if k == "L":
        return b"T" if value else b"F"
    if k == "M":
        return struct.pack("<I", memo.add(value.encode(codepage)))
    if k == "G":
        return struct.pack("<I", memo.add(value, kind=2))
    raise ValueError(k)


def null_bytes(field):
    return (b" " if field.kind in "CNFDL" else b"\0") * field.length


def write_table(path, fields, rows, codepage, mark, visual=True):
    """rows: (deleted, {name: value}); a value of None in a nullable field is null."""
    memo = Memo() if any(f.kind in "MG" for f in fields) else None
    # Null flag bits: V fields take a length bit first, then every nullable field its null bit.
    bits, next_bit = {}, 0
    for f in fields:
        if f.kind == "V":
            bits[(f.name, "length")] = next_bit
            next_bit += 1
        if f.nullable:
            bits[(f.name, "null")] = next_bit
            next_bit += 1
    all_fields = list(fields)
    null_field = None
    if next_bit:
        null_field = Field("_NullFlags", "0", (next_bit + 7) // 8)
        all_fields.append(null_field)
    record_length = 1 + sum(f.length for f in all_fields)
    header_length = 32 + 32 * len(all_fields) + 1 + (263 if visual else 0)
    if not visual:
        version = 0x03
    elif any(f.kind == "V" for f in fields):
        version = 0x32
    else:
        version = 0x30
    flags = 0x02 if memo else 0
    out = bytearray(struct.pack("<B3BIHH16xBBxx", version, *UPDATED, len(rows), header_length,
                                record_length, flags, mark))
    offset = 1
    for f in all_fields:
        field_flags = 0x05 if f is null_field else (f.flags() if visual else 0)
        out += struct.pack("<11scIBBB4xB8x", f.name.encode("ascii"), f.kind.encode("ascii"), offset, f.length,
                           f.decimals, field_flags, 0)
        offset += f.length
    out += b"\r" + (bytes(263) if visual else b"")
    assert len(out) == header_length
    for deleted, values in rows:
        record = bytearray(b"*" if deleted else b" ")
        flag_bits = 0
        for f in fields:
            value = values.get(f.name)
            if value is None and f.nullable:
                flag_bits |= 1 << bits[(f.name, "null")]
                data = null_bytes(f)
            elif f.kind == "V":
                data = value.encode(codepage)[: f.length]
                if len(data) < f.length:
                    flag_bits |= 1 << bits[(f.name, "length")]
                    data = data.ljust(f.length - 1, b" ") + bytes([len(data)])
            else:
                data = encode(f, value, codepage, memo)
            assert len(data) == f.length, (f.name, data)
            record += data
        if null_field:
            record += flag_bits.to_bytes(null_field.length, "little")
        assert len(record) == record_length
        out += record
    out += b"\x1a"
    with open(path, "wb") as file:
        file.write(out)
    if memo:
        with open(os.path.splitext(path)[0] + ".fpt", "wb") as file:
            file.write(memo.bytes())


def alltypes(folder):
    fields = [
        Field("ID", "I", 4),
        Field("NAME", "C", 20, nullable=True),
        Field("NICKNAME", "V", 12, nullable=True),
        Field("NOTES", "M", 4, nullable=True),
        Field("PRICE", "N", 10, 2, nullable=True),
        Field("RATIO", "F", 12, 4, nullable=True),
        Field("WEIGHT", "B", 8, 3, nullable=True),
        Field("BALANCE", "Y", 8, 4, nullable=True),
        Field("BORN", "D", 8, nullable=True),
        Field("CHANGED", "T", 8, nullable=True),
        Field("ACTIVE", "L", 1, nullable=True),
        Field("PHOTO", "G", 4, nullable=True),
    ]
    picture = b"BM" + bytes(range(16))  # a few bytes standing for an embedded object
    rows = [
        (False, dict(ID=1, NAME="Crème brûlée", NICKNAME="Brûlée", NOTES="Caramelised sugar on top.\r\nServe cold.",
                     PRICE=4.50, RATIO=0.3333, WEIGHT=0.125, BALANCE=1234.5678,
                     BORN=datetime.date(1999, 12, 31), CHANGED=datetime.datetime(2021, 8, 31, 23, 59, 58),
                     ACTIVE=True, PHOTO=picture)),
        (False, dict(ID=2, NAME=None, NICKNAME=None, NOTES=None, PRICE=None, RATIO=None, WEIGHT=None, BALANCE=None,
                     BORN=None, CHANGED=None, ACTIVE=None, PHOTO=None)),
        (True, dict(ID=3, NAME="Deleted record", NICKNAME="gone", NOTES="This record is marked deleted.",
                    PRICE=0, RATIO=0, WEIGHT=0, BALANCE=0, BORN=datetime.date(2000, 1, 1),
                    CHANGED=datetime.datetime(2000, 1, 1), ACTIVE=False, PHOTO=b"")),
        (False, dict(ID=4, NAME="O'Brien; \"quoted\"", NICKNAME="exactly12chr", NOTES="", PRICE=-99999.99,
                     RATIO=-1.5, WEIGHT=-273.15, BALANCE=-0.0001, BORN=datetime.date(1900, 1, 1),
                     CHANGED=datetime.datetime(1900, 1, 1, 0, 0, 1), ACTIVE=False, PHOTO=b"")),
    ]
    write_table(os.path.join(folder, "alltypes.dbf"), fields, rows, "cp1252", 0x03)


def customers(folder):
    fields = [Field("CUSTID", "C", 6), Field("COMPANY", "C", 30), Field("CITY", "C", 15),
              Field("COUNTRY", "C", 15), Field("SINCE", "D", 8), Field("NOTES", "M", 4)]
    people = [
        ("ALFKI", "Alfreds Futterkiste", "Berlin", "Germany", datetime.date(2019, 3, 1), "Pays on time."),
        ("BOLID", "Bólido Comidas preparadas", "Madrid", "Spain", datetime.date(2020, 7, 15), ""),
        ("FRANS", "Françoise Château & Fils", "Besançon", "France", datetime.date(2018, 11, 2),
         "Prefers letters in French: « merci »."),
        ("MULLR", "Müller Straßenbau GmbH", "Köln", "Germany", datetime.date(2021, 1, 4), "Größte Bestellung: 1 200 €."),
        ("NORDS", "Nordström Ångbåtar AB", "Göteborg", "Sweden", None, "No start date on file."),
    ]
    rows = [(False, dict(CUSTID=a, COMPANY=b, CITY=c, COUNTRY=d, SINCE=e, NOTES=f)) for a, b, c, d, e, f in people]
    write_table(os.path.join(folder, "customers.dbf"), fields, rows, "cp1252", 0x03)


def orders(folder):
    fields = [Field("ORDERNO", "N", 6), Field("CUSTID", "C", 6), Field("SHIPCITY", "C", 15),
              Field("ORDERED", "D", 8), Field("AMOUNT", "N", 12, 2), Field("PAID", "L", 1)]
    data = [
        (False, 10248, "ALFKI", "Zürich", datetime.date(2021, 8, 1), 440.00, True),
        (False, 10249, "MULLR", "Øresund", datetime.date(2021, 8, 2), 1863.40, False),
        (True, 10250, "BOLID", "Málaga", datetime.date(2021, 8, 3), 0.10, False),
        (False, 10251, "FRANS", "Besançon", datetime.date(2021, 8, 4), 654.06, True),
    ]
    rows = [(d, dict(ORDERNO=n, CUSTID=c, SHIPCITY=s, ORDERED=o, AMOUNT=a, PAID=p)) for d, n, c, s, o, a, p in data]
    write_table(os.path.join(folder, "orders.dbf"), fields, rows, "cp850", 0x02, visual=False)


if __name__ == "__main__":
    if len(sys.argv) != 2 or sys.argv[1].startswith("-"):
        sys.exit(__doc__)
    target = sys.argv[1]
    os.makedirs(target, exist_ok=True)
    alltypes(target)
    customers(target)
    orders(target)
