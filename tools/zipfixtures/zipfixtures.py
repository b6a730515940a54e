"""Builds the archives the extractor's tests read: python3 zipfixtures.py <output folder>.

Ordinary archives come from Python's zipfile; the rest from a small writer of our own that
controls every header field (hosts, flags, versions, methods 1 to 6, attributes) and can
spoil an archive on purpose. Content is generated from fixed seeds, so every build writes
the same bytes; the tests regenerate the expected content with the same functions in
expected/ (one file per member) to compare with what the extractor wrote.
"""
import io
import os
import random
import struct
import sys
import zipfile
import zlib

import zipcodecs

# Member time of the archives made here: 2021-06-15 13:45:30 (MS-DOS: two-second steps).
DOS_TIME = (13 << 11) | (45 << 5) | (30 // 2)
DOS_DATE = ((2021 - 1980) << 9) | (6 << 5) | 15


def text(seed, size):
    """Words from a small vocabulary: repetitive enough for every method's matches."""
    r = random.Random(seed)
    words = [b"setup", b"archive", b"member", b"folder", b"zolan", b"extract", b"\x90dle",
             b"window", b"table", b"shrink", b"reduce", b"implode", b"\r\n", b"  "]
    out = bytearray()
    while len(out) < size:
        out += r.choice(words) + b" "
    return bytes(out[:size])


def binary(seed, size):
    r = random.Random(seed)
    return bytes(r.getrandbits(8) for _ in range(size))


def varied(seed, size):
    """Many distinct strings: fills the shrink table so that partial clears happen."""
    r = random.Random(seed)
    out = bytearray()
    while len(out) < size:
        out += bytes(r.choice(b"abcdefghijklmnopqrstuvwxyz0123456789") for _ in range(r.randint(1, 12)))
        out += b" "
    return bytes(out[:size])


class Member:
    def __init__(self, name, data=b"", method=8, **fields):
        self.name = name.encode("latin-1") if isinstance(name, str) else name
        self.data = data
        self.method = method
        self.flags = fields.get("flags", 0)
        self.host = fields.get("host", 0)            # version made by, high byte
        self.needed = fields.get("needed", 20)       # version needed, times 10
        self.needed_host = fields.get("needed_host", 0)
        self.attributes = fields.get("attributes", 0x20)
        self.crc = fields.get("crc", zlib.crc32(data))
        self.payload = fields.get("payload")
        if self.payload is None:
            self.payload = compress(data, method, self.flags)


def compress(data, method, flags):
    if method == 0:
        return data
    if method == 1:
        return zipcodecs.shrink(data)
    if 2 <= method <= 5:
        return zipcodecs.reduce(data, method - 1)
    if method == 6:
        return zipcodecs.implode(data, bool(flags & 2), bool(flags & 4))
    if method == 8:
        c = zlib.compressobj(9, zlib.DEFLATED, -15)
        return c.compress(data) + c.flush()
    return data  # methods the extractor skips: the bytes are never read


def build(members, prefix=b"", between=b"", disk=(0, 0)):
    """An archive; prefix goes in front without moving the stored offsets (as a
    self-extracting stub does), between goes between the directory and the end record."""
    body = bytearray()
    central = bytearray()
    for m in members:
        offset = len(body)
        local = struct.pack("<4sHHHHHIIIHH", b"PK\x03\x04", m.needed | (m.needed_host << 8), m.flags,
                            m.method, DOS_TIME, DOS_DATE, m.crc, len(m.payload), len(m.data), len(m.name), 0)
        body += local + m.name + m.payload
        central += struct.pack("<4sBBBBHHHHIIIHHHHHII", b"PK\x01\x02", 20, m.host, m.needed, m.needed_host,
                               m.flags, m.method, DOS_TIME, DOS_DATE, m.crc, len(m.payload), len(m.data),
                               len(m.name), 0, 0, 0, 0, m.attributes, offset) + m.name
    end = struct.pack("<4sHHHHIIH", b"PK\x05\x06", disk[0], disk[1], len(members), len(members),
                      len(central), len(body), 0)
    return prefix + bytes(body) + bytes(central) + between + end


def methods():
    data = {
        "stored.txt": (text(1, 3000), 0, 0),
        "stored-large.bin": (binary(15, 700000), 0, 0),  # many input buffers and output windows
        "shrunk.txt": (varied(2, 90000), 1, 0),
        "shrunk-runs.bin": (b"a" * 5000 + binary(3, 300), 1, 0),
        "reduced1.txt": (text(4, 20000), 2, 0),
        "reduced2.txt": (text(5, 20000), 3, 0),
        "reduced3.txt": (text(6, 20000), 4, 0),
        "reduced4.txt": (text(7, 20000) + binary(8, 500), 5, 0),
        "imploded4k2.txt": (text(9, 30000), 6, 0),
        "imploded4k3.txt": (text(10, 30000), 6, 4),
        "imploded8k2.txt": (text(11, 30000), 6, 2),
        "imploded8k3.bin": (text(12, 30000) + binary(13, 3000), 6, 6),
        "deflated.txt": (text(14, 100000), 8, 0),
        "empty.txt": (b"", 8, 0),
    }
    return [Member(name, d, method, flags=flags) for name, (d, method, flags) in data.items()]


def write(folder, name, content):
    with open(os.path.join(folder, name), "wb") as f:
        f.write(content)


def python_zipfile():
    """An archive made by Python's zipfile, streamed so that it carries data descriptors."""
    class Unseekable(io.RawIOBase):
        def __init__(self):
            self.buffer = bytearray()

        def writable(self):
            return True

        def write(self, b):
            self.buffer += b
            return len(b)

    stream = Unseekable()
    with zipfile.ZipFile(stream, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("docs/readme.txt", text(20, 5000))
        z.writestr(zipfile.ZipInfo("docs/empty/"), b"")
        info = zipfile.ZipInfo("bin/tool.dat", date_time=(2019, 2, 3, 4, 5, 6))
        info.compress_type = zipfile.ZIP_STORED
        z.writestr(info, binary(21, 4000))
    return bytes(stream.buffer)


def spoiled(archive, find, replace):
    assert archive.count(find) >= 1
    return archive.replace(find, replace)


def main(folder):
    os.makedirs(folder, exist_ok=True)
    expected = os.path.join(folder, "expected")
    os.makedirs(expected, exist_ok=True)
    members = methods()
    for m in members:
        write(expected, m.name.decode(), m.data)
    write(folder, "methods.zip", build(members))
    write(folder, "pyzip.zip", python_zipfile())

    plain = Member("plain.txt", text(30, 2000))
    write(expected, "plain.txt", plain.data)
    write(folder, "names.zip", build([
        Member("HOST0.TXT", b"host 0", host=0),
        Member("HOST10.TXT", b"host 10", host=10),
        Member("HOST11.TXT", b"host 11", host=11),
        Member("Host3.Txt", b"host 3", host=3),
        Member("MYLABEL", b"", method=0, host=0, attributes=0x08),
        Member("emptydir/", b"", method=0, attributes=0x10),
        Member("sub1/sub2/deep.txt", b"deep"),
        Member("file[1].txt", b"bracket"),
        Member(b"back\\slash\\member.txt", b"backslash"),
        Member("ver.txt;12", b"version suffix"),
        Member("co:lon.txt", b"colon"),
        Member("hidden.txt", b"hidden", attributes=0x22),
        Member("readonly.txt", b"read-only", attributes=0x21),
        plain,
    ]))
    write(folder, "hostile.zip", build([
        Member("../up.txt", b"x"), Member("/root.txt", b"x"), Member("\\back.txt", b"x"),
        Member("C:/drive.txt", b"x"), Member("a/../../up2.txt", b"x"), Member("dots/.. /x.txt", b"x"),
        Member(b"esc\x16/../x.txt", b"x"), Member("safe.txt", b"safe"),
    ]))
    write(folder, "skips.zip", build([
        Member("encrypted.txt", b"secret", flags=1),
        Member("method7.txt", b"seven", method=7),
        Member("method9.txt", b"nine", method=9),
        Member("version45.txt", b"new", needed=45),
        Member("plain.txt", plain.data),
    ]))
    write(folder, "prefixed.zip", build([plain], prefix=b"MZ" + b"\0" * 98))
    write(folder, "cdretry.zip", build([plain], between=b"JUNK" * 5))
    write(folder, "empty.zip", build([]))
    write(folder, "multidisk.zip", build([plain], disk=(2, 0)))
    write(folder, "lastdisk.zip", build([plain], disk=(1, 1)))
    good = build([Member("crc.txt", b"checked bytes", method=0)])
    write(folder, "badcrc.zip", build([Member("crc.txt", b"checked bytes", method=0, crc=0x12345678)]))
    write(folder, "truncated.zip", good[:-10])
    write(folder, "badlocal.zip", spoiled(good, b"PK\x03\x04", b"PK\x03\x05"))
    write(folder, "nocentral.zip", spoiled(good, b"PK\x01\x02", b"PK\x01\x09"))
    write(folder, "missingbytes.zip", good[20:])
    bad = bytearray(compress(text(40, 5000), 8, 0))
    bad[0] |= 0x06  # block type 3: reserved
    write(folder, "baddeflate.zip", build([Member("bad.txt", text(40, 5000), payload=bytes(bad))]))
    short = Member("short.txt", text(41, 3000), method=0)
    short.payload = short.data
    archive = build([short])
    # The member claims more bytes than the archive has: both headers say 1,000,000.
    archive = archive.replace(struct.pack("<I", 3000) * 2, struct.pack("<I", 1000000) * 2)
    write(folder, "shortdata.zip", archive)
    write(folder, "members249.zip", build([Member("m%03d.txt" % i, b"%d" % i) for i in range(249)]))
    write(folder, "members250.zip", build([Member("m%03d.txt" % i, b"%d" % i) for i in range(250)]))
    write(folder, "name149.zip", build([Member("n" * 145 + ".txt", b"149")]))
    write(folder, "name150.zip", build([Member("n" * 146 + ".txt", b"150")]))


if __name__ == "__main__":
    main(sys.argv[1])
