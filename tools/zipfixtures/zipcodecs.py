"""Small encoders for the old PKZIP methods: shrink (1), reduce (2-5) and implode (6).

They follow PKWARE's APPNOTE and aim at valid streams, not at good compression; the
extractor's tests check that its decoders restore the original bytes.
"""


class BitWriter:
    """Bits least significant first, as all three methods store them."""

    def __init__(self):
        self.out = bytearray()
        self.acc = 0
        self.count = 0

    def bits(self, value, n):
        self.acc |= (value & ((1 << n) - 1)) << self.count
        self.count += n
        while self.count >= 8:
            self.out.append(self.acc & 0xFF)
            self.acc >>= 8
            self.count -= 8

    def code_msb_first(self, code, length):
        # Shannon-Fano codes are stored bit-reversed: their top bit comes first.
        for i in range(length - 1, -1, -1):
            self.bits((code >> i) & 1, 1)

    def finish(self):
        if self.count:
            self.out.append(self.acc & 0xFF)
        self.acc = self.count = 0
        return bytes(self.out)


# --- Shrink: dynamic LZW, 9 to 13 bits, partial clearing ---------------------------------

def shrink(data):
    """LZW that widens codes with 256,1 and clears leaf codes with 256,2 when the table is
    full. It clears only right after a literal code, so the string the decoder extends
    next can never be a cleared leaf."""
    w = BitWriter()
    if not data:
        return b""
    parent = {}  # code -> (prefix code, byte)
    lookup = {}  # (prefix code, byte) -> code
    width = [9]

    def emit(code):
        while code >= (1 << width[0]):
            w.bits(256, width[0])
            w.bits(1, width[0])
            width[0] += 1
        w.bits(code, width[0])

    def lowest_free(start):
        c = start
        while c < 8192 and c in parent:
            c += 1
        return c

    def partial_clear():
        prefixes = {p for (p, _) in parent.values() if p >= 257}
        for code in [c for c in parent if c not in prefixes]:
            del lookup[parent[code]]
            del parent[code]

    free = 257
    cur = data[0]
    for c in data[1:]:
        if (cur, c) in lookup:
            cur = lookup[(cur, c)]
            continue
        emit(cur)
        if free >= 8192 and cur < 256:
            w.bits(256, width[0])
            w.bits(2, width[0])
            partial_clear()
            free = lowest_free(257)
        if free < 8192:
            parent[free] = (cur, c)
            lookup[(cur, c)] = free
            free = lowest_free(free + 1)
        cur = c
    emit(cur)
    return w.finish()


# --- Reduce: run/copy expansion plus follower sets ---------------------------------------

DLE = 144
INDEX_BITS = [0, 1, 1, 2, 2, 3, 3, 3, 3] + [4] * 8 + [5] * 16


def _reduce_stage1(data, factor):
    """Literals (DLE doubled as DLE,0) and copies of 4 or more bytes."""
    mask = 0x7F >> (factor - 1)
    max_dist = 256 << factor
    max_len = mask + 255 + 3
    out = bytearray()
    last = {}
    i = 0
    while i < len(data):
        key = bytes(data[i:i + 4])
        j = last.get(key)
        length = 0
        if len(key) == 4 and j is not None and i - j <= max_dist:
            while i + length < len(data) and length < max_len and data[j + length] == data[i + length]:
                length += 1
        if length >= 4:
            dist = i - j
            n = length - 3
            high = ((dist - 1) >> 8) << (8 - factor)
            out.append(DLE)
            if n < mask:
                out.append(high | n)
            else:
                out.append(high | mask)
                out.append(n - mask)
            out.append((dist - 1) & 0xFF)
            for k in range(i, i + length):
                last[bytes(data[k:k + 4])] = k
            i += length
        else:
            last[key] = i
            out.append(data[i])
            if data[i] == DLE:
                out.append(0)
            i += 1
    return bytes(out)


def reduce(data, factor):
    stream = _reduce_stage1(data, factor)
    counts = [dict() for _ in range(256)]
    prev = 0
    for c in stream:
        counts[prev][c] = counts[prev].get(c, 0) + 1
        prev = c
    # Followers seen twice or more, at most 32; the rest travel as flagged literals.
    sets = []
    for j in range(256):
        ranked = sorted(counts[j].items(), key=lambda kv: (-kv[1], kv[0]))
        sets.append([c for c, n in ranked if n >= 2][:32])
    w = BitWriter()
    for j in range(255, -1, -1):
        w.bits(len(sets[j]), 6)
        for c in sets[j]:
            w.bits(c, 8)
    prev = 0
    for c in stream:
        s = sets[prev]
        if not s:
            w.bits(c, 8)
        elif c in s:
            w.bits(0, 1)
            w.bits(s.index(c), INDEX_BITS[len(s)])
        else:
            w.bits(1, 1)
            w.bits(c, 8)
        prev = c
    return w.finish()


# --- Implode: sliding dictionary and Shannon-Fano trees ----------------------------------

def _code_lengths(freqs, limit=16):
    """Huffman code lengths for every symbol (each counted at least once); a uniform code
    when the tree would be deeper than the format allows."""
    import heapq
    n = len(freqs)
    heap = [(f + 1, i, (i,)) for i, f in enumerate(freqs)]
    heapq.heapify(heap)
    lengths = [0] * n
    tie = n
    while len(heap) > 1:
        f1, _, s1 = heapq.heappop(heap)
        f2, _, s2 = heapq.heappop(heap)
        for s in s1 + s2:
            lengths[s] += 1
        heapq.heappush(heap, (f1 + f2, tie, s1 + s2))
        tie += 1
    if max(lengths) > limit:
        return [n.bit_length() - 1] * n
    return lengths


def shannon_fano_codes(lengths):
    """Codes as APPNOTE assigns them: lengths sorted ascending (stable), codes handed out
    from the longest, each step adding the increment of the length before it."""
    order = sorted(range(len(lengths)), key=lambda s: lengths[s])
    codes = [0] * len(lengths)
    code = increment = last = 0
    for s in reversed(order):
        code += increment
        if lengths[s] != last:
            last = lengths[s]
            increment = 1 << (16 - last)
        codes[s] = code >> (16 - lengths[s])
    return codes


def _tree_bytes(lengths):
    runs = []
    i = 0
    while i < len(lengths):
        j = i
        while j < len(lengths) and lengths[j] == lengths[i] and j - i < 16:
            j += 1
        runs.append(((j - i - 1) << 4) | (lengths[i] - 1))
        i = j
    return bytes([len(runs) - 1] + runs)


def _implode_tokens(data, min_match, max_dist):
    max_len = min_match + 63 + 255
    tokens = []
    last = {}
    i = 0
    while i < len(data):
        key = bytes(data[i:i + 3])
        best = 0
        for j in last.get(key, [])[-8:]:
            if i - j > max_dist:
                continue
            n = 0
            while i + n < len(data) and n < max_len and data[j + n] == data[i + n]:
                n += 1
            if n > best:
                best, dist = n, i - j
        if best >= max(min_match, 3):
            tokens.append((dist, best))
            step = best
        else:
            tokens.append(data[i])
            step = 1
        for k in range(i, i + step):
            last.setdefault(bytes(data[k:k + 3]), []).append(k)
        i += step
    return tokens


def implode(data, large_dictionary, literal_tree):
    """Returns the compressed bytes; the member's flags are 2 (8 KiB) | 4 (literal tree)."""
    low_bits = 7 if large_dictionary else 6
    min_match = 3 if literal_tree else 2
    tokens = _implode_tokens(data, min_match, 64 << low_bits)
    lit_f, len_f, dist_f = [0] * 256, [0] * 64, [0] * 64
    for t in tokens:
        if isinstance(t, int):
            lit_f[t] += 1
        else:
            dist, length = t
            len_f[min(length - min_match, 63)] += 1
            dist_f[(dist - 1) >> low_bits] += 1
    trees = ([_code_lengths(lit_f)] if literal_tree else []) + [_code_lengths(len_f), _code_lengths(dist_f)]
    w = BitWriter()
    for lengths in trees:
        for b in _tree_bytes(lengths):
            w.bits(b, 8)
    codes = [shannon_fano_codes(t) for t in trees]
    lit, ln, ds = (trees[0], trees[1], trees[2]) if literal_tree else (None, trees[0], trees[1])
    lit_c, ln_c, ds_c = (codes[0], codes[1], codes[2]) if literal_tree else (None, codes[0], codes[1])
    for t in tokens:
        if isinstance(t, int):
            w.bits(1, 1)
            if literal_tree:
                w.code_msb_first(lit_c[t], lit[t])
            else:
                w.bits(t, 8)
        else:
            dist, length = t
            w.bits(0, 1)
            w.bits((dist - 1) & ((1 << low_bits) - 1), low_bits)
            hi = (dist - 1) >> low_bits
            w.code_msb_first(ds_c[hi], ds[hi])
            n = length - min_match
            code = min(n, 63)
            w.code_msb_first(ln_c[code], ln[code])
            if code == 63:
                w.bits(n - 63, 8)
    return w.finish()
