#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets to fuzz/corpus/<target>/.

Run it again after changing a seed here; it rewrites the folders whole.
The first bytes of an fuzz_httpreply seed (two) and of a fuzz_hubmessages seed
(four) choose how the stream arrives; see the targets.
"""
import pathlib
import shutil
import struct

ROOT = pathlib.Path(__file__).resolve().parent / "corpus"

WHOLE = b"\x00\xff"      # all at once, everything arrived
BYTEWISE = b"\x01\xff"   # one byte a receive
HALF = b"\x07\x80"       # seven bytes a receive, half arrived when peeking

OK = b"HTTP/1.1 200 OK\r\n"
UNIT = OK + b"Content-Length: 5\r\n\r\nhello\r\n"
STANDARD = OK + b"Content-Length: 5\r\n\r\nhello"
CHUNKED = OK + b"Transfer-encoding: chunked\r\n\r\n5\r\nhello\r\n6\r\n world\r\n0\r\n\r\n"


def counted(length_text, body=b"hello"):
    return OK + b"Content-Length: " + length_text + b"\r\n\r\n" + body + b"\r\n"


def chunked(chunks):
    return OK + b"Transfer-encoding: chunked\r\n\r\n" + chunks


def header_line(total):
    """A reply with one header line of the given length, line end not counted."""
    return OK + b"X: " + b"a" * (total - 3) + b"\r\nContent-Length: 2\r\n\r\nok\r\n"


def http_seeds():
    seeds = {
        "unit": WHOLE + UNIT,
        "unit-bytewise": BYTEWISE + UNIT,
        "standard": HALF + STANDARD + STANDARD,
        "chunked": WHOLE + CHUNKED,
        "chunked-bytewise": BYTEWISE + CHUNKED,
        "close": WHOLE + OK + b"Connection: close\r\nContent-Length: 2\r\n\r\nok\r\n" + UNIT,
        "status-missing": WHOLE + b"Content-Length: 5\r\n\r\nhello\r\n",
        "status-http10": WHOLE + b"HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok\r\n",
        "status-http2": WHOLE + b"HTTP/2 200\r\n\r\n",
        "status-negative": WHOLE + b"HTTP/1.1 -200 OK\r\nContent-Length: 2\r\n\r\nok\r\n",
        "status-one-digit": WHOLE + b"HTTP/1.1 2\r\n\r\n",
        "status-hundred-digits": WHOLE + b"HTTP/1.1 " + b"9" * 100 + b" OK\r\n\r\n",
        "status-inside-header": WHOLE + OK + b"X-Via: HTTP/1.1 500\r\n\r\n",
        "header-no-colon": WHOLE + OK + b"Content-Length 5\r\n\r\nhello\r\n",
        "header-nul": WHOLE + OK + b"Content-Length: 5\x00\r\n\r\nhe\x00lo\r\n",
        "header-bare-cr": WHOLE + OK + b"Content-Length: 5\rX: y\r\n\r\nhello\r\n",
        "header-bare-lf": WHOLE + b"HTTP/1.1 200 OK\nContent-Length: 5\n\nhello\n",
        "length-minus-one": WHOLE + counted(b"-1"),
        "length-plus-five": WHOLE + counted(b"+5"),
        "length-5x": WHOLE + counted(b"5x"),
        "length-4-2": WHOLE + counted(b"4 2"),
        "length-empty": WHOLE + counted(b""),
        "length-2-64-plus-1": WHOLE + counted(b"18446744073709551617", b"z" * 4200),
        "length-duplicated": WHOLE + OK + b"Content-Length: 5\r\nContent-Length: 3\r\n\r\nhello\r\n" + UNIT,
        "length-twice-agreeing": WHOLE + OK + b"Content-Length: 5\r\ncontent-length: 05\r\n\r\nhello\r\n" + UNIT,
        "length-beside-chunked": WHOLE + OK + b"Transfer-encoding: chunked\r\nContent-Length: 3\r\n\r\n3\r\nabc\r\n0\r\n\r\n",
        "length-4096": WHOLE + counted(b"4096", b"d" * 4096) + UNIT,
        "length-4097": WHOLE + counted(b"4097", b"d" * 4097) + UNIT,
        "chunk-not-hex": WHOLE + chunked(b"zz\r\nabc\r\n0\r\n\r\n"),
        "chunk-17-digits": WHOLE + chunked(b"10000000000000005\r\nhello\r\n0\r\n\r\n"),
        "chunk-ffffffffffffffff": WHOLE + chunked(b"ffffffffffffffff\r\nhello\r\n0\r\n\r\n"),
        "chunk-negative": WHOLE + chunked(b"-5\r\nhello\r\n0\r\n\r\n"),
        "chunk-no-last": WHOLE + chunked(b"5\r\nhello\r\n"),
        "chunk-trailer": WHOLE + chunked(b"3\r\nabc\r\n0\r\nX-Trailer: 1\r\n\r\n") + UNIT,
        "chunks-over-limit": WHOLE + chunked((b"800\r\n" + b"c" * 0x800 + b"\r\n") * 2 + b"1\r\nx\r\n0\r\n\r\n") + UNIT,
        "kept-extra-line-ends": WHOLE + UNIT + b"\r\n\r\n" + UNIT,
        "kept-extra-bytes": WHOLE + UNIT + b"garbage\r\n" + UNIT,
        "kept-body-longer": WHOLE + counted(b"5", b"hello, world") + UNIT,
        "kept-late-line-end": b"\x00\x2a" + UNIT + UNIT,
    }
    for total in (4095, 4096, 4097):
        seeds[f"line-{total}"] = WHOLE + header_line(total)
    seeds["line-100k"] = WHOLE + header_line(100 * 1024)
    # The head's limits: 100 lines, 16 KiB.
    for lines in (100, 101):
        seeds[f"head-{lines}-lines"] = WHOLE + OK + b"X: 1\r\n" * (lines - 2) + b"Content-Length: 2\r\n\r\nok\r\n" + UNIT
    for total in (16384, 16385):
        seeds[f"head-{total}-bytes"] = WHOLE + header_line(total - 43 + 3) + UNIT
    # The end of the stream at every byte of one good reply of each kind.
    for name, reply in (("unit", UNIT), ("chunked", CHUNKED)):
        for cut in range(len(reply)):
            seeds[f"cut-{name}-{cut:03}"] = WHOLE + reply[:cut]
    return seeds


def word(value):
    return struct.pack(">I", value & 0xFFFFFFFF)


def real(value):
    return struct.pack(">f", value)


def words(*values):
    return b"".join(word(v) for v in values)


def frame(body):
    return word(len(body)) + body


BYTE_BY_BYTE = b"\x00\x00\x00\x00"
MIXED = b"\x03\x00\x10\xff"


def hub_seeds():
    greeting = words(0x01, 5, 1, 0x0C, 0x10)
    encoder = words(0x33, 0x10, 3) + real(20.0)
    messages = {
        "greeting": frame(greeting),
        "greeting-ten-panels": frame(words(0x01, 5, 10) + words(0x0C, 0x10) * 10),
        "greeting-eleven-panels": frame(words(0x01, 5, 11) + words(0x0C, 0x10) * 11),
        "greeting-count-max": frame(words(0x01, 5, 0xFFFFFFFF)),
        "greeting-list-cut": frame(words(0x01, 5, 2, 0x0C)),
        "commands": frame(encoder + words(0x31, 0x10, 12, 0x32, 0x10, 12, 0x34, 0x10)),
        "parameter-and-menu": frame(words(0x02, 7) + real(-1.5) + words(0x05, 3, 0xFFFFFFFF, 0x03, 7, 0x04, 7)),
        "transport-and-actions": frame(words(0x0A, 0x80000000, 0x7FFFFFFF, 0x08, 1, 0x0B, 1, 0x09, 2, 0x06, 1, 0x07, 1)),
        "unused-30": frame(words(0x30) + b"\x01" * 24 + words(0x34, 0x10)),
        "unused-30-cut": frame(words(0x30) + b"\x01" * 20),
        "unknown-id": frame(words(0x31, 0x10, 1, 0x99, 1, 2)),
        "unknown-id-zero": frame(words(0, 0, 0)),
        "encoder-cut": frame(words(0x33, 0x10, 3)),
        "encoder-nan": frame(words(0x33, 0x10, 3, 0x7FC00000)),
        "string-count-near-limit": frame(words(0x34, 0x10, 0xFFFFFFFC) + b"abcd"),
        "string-count-max": frame(words(0xFFFFFFFF, 0xFFFFFFFF)),
        "length-1028": frame(words(0x34, 0x10) * 128 + b"\x00\x00\x00\x00"),
        "length-1029": frame(b"\x00" * 1029) + frame(greeting),
        "length-0x80000000": word(0x80000000) + frame(greeting),
        "length-0xffffffff": word(0xFFFFFFFF) + frame(greeting),
        "length-65535": word(65535) + b"\x00" * 100,
        "two-messages": frame(greeting) + frame(encoder),
    }
    for length in range(5):
        messages[f"length-{length}"] = frame(b"\x00\x00\x00\x34"[:length]) + frame(greeting)
    seeds = {}
    for name, stream in messages.items():
        seeds[name] = MIXED + stream
        seeds[name + "-bytewise"] = BYTE_BY_BYTE + stream
    return seeds


def unit(kind, host, address):
    return ('{\\"device_name\\":\\"%s\\",\\"host_name\\":\\"%s\\",\\"ip_address\\":\\"%s\\"}' % (kind, host, address))


def services(*units, outer=""):
    return ('{%s"value":"[%s]"}' % (outer, ",".join(units))).encode()


def discovery_seeds():
    a = unit("Prismo", "prismo-grade-a", "127.0.0.11")
    b = unit("Prismo", "prismo-uhd", " 127.0.0.13 ")
    recorder = unit("Recorder", "recorder-1", "127.0.0.30")
    good = services(a, b, recorder)
    return {
        "rig": good,
        "one-unit": services(a),
        "empty-list": services(),
        "other-members": services(a, outer='"paramid":"eParamID_NetworkServices",'),
        "no-value": b'{"other":1}',
        "value-not-list": b'{"value":"text"}',
        "not-objects": services("1", '\\"x\\"', a),
        "plain-list": b'{"value":[{"device_name ":"Prismo ","host_name ":"h ","ip_address ":"1.2.3.4 "}]}',
        "cut-short": good[:40],
        "cut-in-string": good[:len(good) // 2],
        "unbalanced": b'{"value":"[[[{\\"a\\":1}"}',
        "brackets-in-names": services(unit("Prismo", '[x]\\"', '\\"[')),
        "nested-deep": b'{"value":"' + b"[" * 2000 + b"]" * 2000 + b'"}',
        "not-utf8": services(unit("Prismo", "\xff\xfe", "1.1.1.1")).replace(b"\xc3\xbf\xc3\xbe", b"\xff\xfe"),
        "nul": b'{"value":"[\x00]"}',
        "duplicate-keys": services(a, outer='"value":{"x":[1]},'),
        "not-json": b"HTTP/1.1 200 OK",
        "empty": b"",
    }


def settings_seeds():
    def store(count, names=("prismo-grade-a ", "prismo-uhd "), size=None, address="127.0.0.11"):
        lines = ["[General]", f"IPAddress={address}", f"NumGangPrismos={count}", "", "[GangPrismoNames]"]
        for i, name in enumerate(names, 1):
            lines.append(f"{i}\\GangPrismoName={name}")
        lines.append(f"size={len(names) if size is None else size}")
        return ("\n".join(lines) + "\n").encode()

    return {
        "two": store(2),
        "none": store(0, ()),
        "negative": store(-5),
        "minus-one": store(-1),
        "huge": store(2000000000),
        "int-max-plus-one": store(2147483648),
        "int-min-minus-one": store(-2147483649),
        "twenty-digits": store("99999999999999999999"),
        "not-a-number": store("many"),
        "hex": store("0x10"),
        "exponent": store("1e9"),
        "empty-count": store(""),
        "size-huge": store(2, size=2000000000),
        "size-negative": store(2, size=-3),
        "max-gang": store(256, [f"p{i}" for i in range(256)]),
        "quoted-names": store(3, ['"a, b"', "c\\\\d", "\\\"e\\\""]),
        "escaped-names": store(2, ["\\x41\\u00e9", "\\0"]),
        "list-count": store("1, 2, 3"),
        "variant-count": store("@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)"),
        # A QByteArrayList of 0x30000000 elements, plainly and with an escaped @.
        "variant-huge-list": store("@Variant(\\0\\0\\0\\x31\\x30\\0\\0\\0)"),
        "variant-escaped": store("\\x40Variant(\\0\\0\\0\\x31\\x30\\0\\0\\0)"),
        "variant-in-other-group": store(2) + b"[Other]\nx=@Variant(\\0\\0\\0\\x31\\x30\\0\\0\\0)\ny=1\n",
        "variant-name": store(2, ["@Variant(\\0\\0\\0\\x31\\x30\\0\\0\\0)", "prismo-uhd"]),
        "variant-joined-lines": store(2).replace(b"[General]\n", b"[General]\nA=@Var\\\n@Variant(x)\niant(\\0\\0\\0\\x31\\x30\\0\\0\\0)\n"),
        "bytearray-name": store(1, ["@ByteArray(abc)"]),
        "at-sign-name": store(1, ["@@host"]),
        "no-general": b"NumGangPrismos=2\n[GangPrismoNames]\n1\\GangPrismoName=x\n",
        "crlf": store(2).replace(b"\n", b"\r\n"),
        "empty": b"",
        "garbage": b"[[[\n=\n\\\\\\\n=x=y\n[General\nIPAddress\n",
    }


def osc_string(text):
    data = text.encode() + b"\0"
    return data + b"\0" * (-len(data) % 4)


def osc_message(path, types="", *arguments):
    data = osc_string(path) + osc_string("," + types)
    for kind, value in zip(types, arguments):
        data += {"i": lambda v: struct.pack(">i", v), "f": lambda v: struct.pack(">f", v),
                 "d": lambda v: struct.pack(">d", v), "h": lambda v: struct.pack(">q", v),
                 "s": osc_string}[kind](value)
    return data


def osc_bundle(*elements):
    data = b"#bundle\0" + b"\0" * 7 + b"\1"
    for element in elements:
        data += struct.pack(">I", len(element)) + element
    return data


def osc_seeds():
    gain = osc_message("/prismolink/gain/red", "f", 1.25)
    deep = gain
    for _ in range(6):
        deep = osc_bundle(deep)
    return {
        "gain": gain,
        "choice": osc_message("/prismolink/range/out", "i", 7),
        "double": osc_message("/prismolink/saturation", "d", 1.1),
        "int64": osc_message("/prismolink/pq-level", "h", 600),
        "true": osc_message("/prismolink/sdr-preview", "T"),
        "nudge": osc_message("/prismolink/nudge/tint", "f", -0.5),
        "unit": osc_message("/prismolink/unit", "s", "prismo-2"),
        "subscribe": osc_message("/prismolink/subscribe", "i", 9000),
        "undo": osc_message("/prismolink/undo"),
        "bundle": osc_bundle(gain, osc_bundle(osc_message("/prismolink/undo"))),
        "too-deep": deep,
        "element-past-end": osc_bundle(gain)[:-4],
        "no-type-tags": osc_string("/prismolink/tint"),
        "blob": osc_message("/prismolink/tint", "b") + struct.pack(">I", 1000),
        "odd-size": gain + b"x",
        "query": osc_message("/prismolink/gain/red"),
        "subscribe-confirm": osc_message("/prismolink/subscribe", "ii", 9000, 123456789),
        "unsubscribe": osc_message("/prismolink/unsubscribe", "ii", 9000, 123456789),
        # Floods: bundles of as many messages as a packet takes, and one more.
        "many-recalls": osc_bundle(*[osc_message("/prismolink/look/recall", "s", "day")] * 64),
        "many-units": osc_bundle(*[osc_message("/prismolink/unit", "s", f"prismo-{i % 2 + 1}") for i in range(64)]),
        "many-mixed": osc_bundle(*[[gain, osc_message("/prismolink/undo"), osc_message("/prismolink/channel", "i", 2),
                                    osc_bundle(gain)][i % 4] for i in range(48)]),
        "one-too-many": osc_bundle(*[gain] * 65),
    }


def look_seeds():
    names = ["AmbLightComp", "ColorHDRAmount", "ColorHDRBT2408", "ColorHDRColorTemp", "ColorHDRExposure",
             "ColorHDRGainBlue", "ColorHDRGainGreen", "ColorHDRGainMaster", "ColorHDRGainRed",
             "ColorHDRGammaBlue", "ColorHDRGammaGreen", "ColorHDRGammaMaster", "ColorHDRGammaRed",
             "ColorHDRLiftBlue", "ColorHDRLiftGreen", "ColorHDRLiftMaster", "ColorHDRLiftRed",
             "ColorHDRLogLook", "ColorHDRPQoutNitLvl", "ColorHDRSaturation", "ColorHDRSoftness", "ColorHDRTint",
             "ColorfrontMode", "DynamicRangeAndGamut", "DynamicRangeAndGamutOut", "MonDynamicRangeAndGamutOut",
             "P3ColorspaceClamp", "SdrPreview"]
    values = {name: 0 for name in names}
    values.update({"ColorHDRPQoutNitLvl": 1000, "ColorfrontMode": 1, "ColorHDRGainRed": 1250,
                   "DynamicRangeAndGamutOut": 7})

    def look(parameters, version=1, extra=""):
        body = ",\n".join(f'        "{k}": {v}' for k, v in sorted(parameters.items()))
        return (f'{{\n    "channel": 1,\n    "format": "Prismolink look",\n    "parameters": {{\n{body}\n    }},\n'
                f'    "program": "1.0",\n    "unit": "Prismo Grade A",\n    "version": {version}{extra}\n}}\n').encode()

    return {
        "good": look(values),
        "newer": look(values, 2),
        "unknown": look({**values, "ColorHDRTone": 0}),
        "missing": look({k: v for k, v in values.items() if k != "ColorHDRTint"}),
        "out-of-range": look({**values, "ColorHDRGainRed": 5001}),
        "fraction": look({**values, "ColorHDRGainRed": "1250.5"}),
        "switch-two": look({**values, "SdrPreview": 2}),
        "cut": look(values)[:150],
        "not-json": b"\x00\xff{[",
    }


def midimap_seeds():
    def mapping_file(mappings, head='"version": 1, "controller": "Encoder*"'):
        return ("{" + head + ', "mappings": [\n' + ",\n".join(mappings) + "\n]}\n").encode()

    good = [f'{{"channel": 1, "cc": {16 + i}, "parameter": "{name}", "mode": "relative-twos"}}'
            for i, name in enumerate(["lift/master", "gamma/master", "gain/master", "saturation",
                                      "exposure", "tint", "color-temp", "pq-level"])]
    buttons = ['{"note": 36, "parameter": "ab/toggle"}', '{"channel": 2, "cc": 64, "parameter": "undo", "mode": "button"}',
               '{"cc": 65, "parameter": "sdr-preview", "mode": "button"}', '{"note": 37, "parameter": "adjust"}']
    faders = ['{"cc": 0, "parameter": "gain/red", "mode": "absolute14", "pickup": false}',
              '{"cc": 7, "parameter": "range/in", "mode": "absolute", "step": "fine", "feedback": false}',
              '{"channel": 16, "cc": 127, "parameter": "tint", "mode": "relative-signed", "step": "coarse"}']
    return {
        "generic-8-encoders": mapping_file(good + buttons),
        "faders": mapping_file(faders),
        "empty": mapping_file([]),
        "newer": mapping_file(good, '"version": 2'),
        "no-version": mapping_file(good, '"controller": "x"'),
        "unknown-parameter": mapping_file(['{"cc": 1, "parameter": "gian/red"}']),
        "overlap-pair": mapping_file(['{"cc": 1, "parameter": "tint", "mode": "absolute14"}',
                                      '{"cc": 33, "parameter": "exposure"}']),
        "duplicate-keys": b'{"version": 1, "mappings": [], "mappings": [{"cc": 1, "parameter": "tint"}]}',
        "duplicate-key-in-mapping": mapping_file(['{"cc": 1, "cc": {"a": [1]}, "parameter": "tint"}']),
        "fraction": mapping_file(['{"cc": 1.5, "parameter": "tint"}']),
        "huge-number": mapping_file(['{"channel": 1e300, "cc": 1, "parameter": "tint"}']),
        "command-on-encoder": mapping_file(['{"cc": 1, "parameter": "undo", "mode": "relative-offset"}']),
        "deep": b'{"version": 1, "mappings": [' + b"[" * 500 + b"]" * 500 + b"]}",
        "cut": mapping_file(good)[:100],
        "not-json": b"\x00\xff{[",
    }


def main():
    targets = {
        "fuzz_httpreply": http_seeds(),
        "fuzz_hubmessages": hub_seeds(),
        "fuzz_discovery": discovery_seeds(),
        "fuzz_settings": settings_seeds(),
        "fuzz_oscpacket": osc_seeds(),
        "fuzz_lookfile": look_seeds(),
        "fuzz_midimap": midimap_seeds(),
    }
    for target, seeds in targets.items():
        folder = ROOT / target
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir(parents=True)
        for name, data in seeds.items():
            (folder / name).write_bytes(data)
        print(f"{target}: {len(seeds)} seeds")


if __name__ == "__main__":
    main()
