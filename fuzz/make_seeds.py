#!/usr/bin/env python3
"""Writes the seed inputs of every fuzz target into fuzz/corpus/<target>/seed-*:
the good frames, replies and images the tests use, in each target's input
layout (see the targets' sources and fuzz_support.h). Run it again after a
layout change; the fuzzer's own finds stay beside the seeds."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def frame(code, payload=b""):
    body = bytes([0x02, 0x00, code, len(payload)]) + bytes(payload) + b"\x03"
    return body + bytes([sum(body) & 0xFF, 0x0D])


INFO_REQUEST = frame(0x4F, b"\xF0\x00")
INFO_REPLY = frame(0x30, b"\xF0\x02\x11\x26\x12\x06\x12\x34")
SUCCESS = frame(0x30)
IDM = bytes.fromhex("0123456789ABCDEF")
DETECTION_REPLY = frame(0x30, b"\x00\x01" + IDM)


def read_reply(first):
    return frame(0x30, b"\x00" + bytes(range(first * 4, first * 4 + 16)))


def step(reply, control=0):
    return bytes([control]) + struct.pack("<H", len(reply)) + reply


def text(value):
    data = value.encode("cp932") if isinstance(value, str) else value
    return struct.pack("<H", len(data)) + data


def save(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "seed-" + name), "wb") as f:
        f.write(data)


def exchanges():
    # count-1, then per exchange: request choice, buffer choice, the line's step.
    save("exchange", "info", b"\x00\x00\x00" + step(INFO_REPLY))
    save("exchange", "leftover", b"\x01\x03\x00" + step(DETECTION_REPLY + SUCCESS) + b"\x02\x00" + step(b""))
    save("exchange", "long", b"\x00\x01\x01" + step(bytes(300)))
    save("exchange", "silence-inside", b"\x00\x04\x00" + step(SUCCESS + SUCCESS, control=0x08))
    save("exchange", "line-dies", b"\x01\x05\x00" + step(read_reply(8), control=0x01) + b"\x05\x00")
    save("exchange", "write-fails", b"\x00\x02\x00" + step(SUCCESS, control=0x02))


def card_commands():
    writes = step(DETECTION_REPLY) + step(SUCCESS) * 64
    for command, name in [(0, "write"), (1, "clear"), (3, "cid-card"), (4, "uid-card")]:
        save("card_commands", name, bytes([command, 1]) + writes)
    save("card_commands", "write-fails-at-10", b"\x00\x00" + step(DETECTION_REPLY) +
         step(SUCCESS) * 10 + step(frame(0x34)))
    reads = b"".join(step(read_reply(first)) for first in range(0, 64, 4))
    save("card_commands", "dump", b"\x02\x01" + step(DETECTION_REPLY) + reads)
    save("card_commands", "dump-retries", b"\x02\x01" + step(DETECTION_REPLY) +
         step(frame(0x34)) * 2 + reads)
    save("card_commands", "uid-after-retry", b"\x05\x02" + step(b"") + step(DETECTION_REPLY))


def content(name, flags=0, cid=b"\x12\x34", service=0, lists=b"\x03\x00\x03\x00\x00\x00",
            answers=0, texts=("abc", "", "", "", "", "")):
    data = bytes([flags]) + cid + struct.pack("<i", service) + lists + bytes([answers])
    save("content_image", name, data + b"".join(text(t) for t in texts))


def content_images():
    content("abc")
    content("keywords", texts=("http://a/[CI]?id=[IM][CT]", "ポップアップサンプル", "", "", "", ""))
    content("mail", flags=0x01, texts=("http://a", "pop", "to@a", "cc@a", "t[IM]", "b[IM][CT]"))
    content("read-init", flags=0x06, service=0x1A2B, lists=b"\xFF" * 6, texts=("u" * 184, "", "", "", "", ""))
    content("limits", flags=0x01, texts=("u" * 20, "p" * 38, "t" * 60, "c" * 30, "x" * 20, "y" * 30))
    content("lone-counter", answers=0x01, texts=("a[CT]", "", "", "", "", ""))


def cp932():
    for i, (limit, value) in enumerate([(239, "ポップアップサンプル"), (3, "～－①∥￢＼㈱"),
                                        (2, "ｱ髙"), (10, "a😀b"), (5, "abc[IM]"), (238, "a" * 237 + "あ")]):
        save("cp932", str(i), bytes([limit]) + value.encode())


def card_decodes():
    abc = bytearray(256)
    abc[0:27] = bytes([0x4D, 0x76, 0x00, 0x02, 0x12, 0x34, 0x00, 0x00, 0x01, 0x12, 0x34, 0x02, 0x00,
                       0x00, 0x00, 0x00, 0x00, 0x0B, 0x01, 0x02, 0x05, 0x00, 0x03, 0x00]) + b"abc"
    abc[248:256] = bytes([0x85, 0x00, 0x12, 0x34, 0x00, 0x00, 0x3C, 0x00])
    save("card_decode", "content", bytes(abc))
    save("card_decode", "content-hex", " ".join("%02X" % b for b in abc).encode())
    save("card_decode", "uid", b"Mv\xFF\x03\x1A\x2B" + bytes(250))
    save("card_decode", "blank", bytes(256))


def cli_arguments():
    for i, arguments in enumerate([["image", "--url", "abc", "--cid", "1234"],
                                   ["image", "--uid-card", "1A2B", "--format=hex"],
                                   ["write", "--url", "a[CT]", "--no"],
                                   ["decode", "-"], ["connect", "--wait=1"],
                                   ["write", "--image", "/dev/null", "--yes"],
                                   ["help", "verify"], ["image", "--url=x", "--mail", "--to", "t"]]):
        save("cli_arguments", str(i), b"\0".join(a.encode() for a in arguments))


def csv_readers():
    for i, text in enumerate(['url,popup\r\n"a,b","say ""hi"""\r\n', 'id,url\n"A\n1",abc\nB,def\n',
                              '\ufeffurl\nabc\n', 'url\n"abc\n']):
        save("csv_reader", str(i), text.encode())


STARTED = ('{"record":"started","time":"2026-12-07T09:00:00Z","port":"COM3","idm":"0123456789ABCDEF",'
           '"row":2,"id":"A\\n1","file":"0011223344556677","image":"8899AABBCCDDEEFF"}\n')
CARD = ('{"record":"card","time":"2026-12-07T09:00:15Z","port":"COM3","idm":"0123456789ABCDEF",'
        '"result":"verify-failed","block":5,"resends":1,"seconds":15.2,"row":2,"id":"A\\n1",'
        '"file":"0011223344556677","image":"8899AABBCCDDEEFF","verified":false,"found_in_doubt":true}\n')
OLD_CARD = '{"time":"t","port":"COM5","idm":"01","result":"ok","resends":0,"seconds":1.0}\r\n'


def journal_readers():
    for i, text in enumerate([STARTED + CARD, STARTED + CARD[:70], OLD_CARD + "\n" + STARTED,
                              STARTED + "2026-12-07T01:33:09Z COM3 01 ok 16.4s\n" + CARD]):
        save("journal_reader", str(i), text.encode())


if __name__ == "__main__":
    exchanges()
    card_commands()
    content_images()
    cp932()
    card_decodes()
    cli_arguments()
    csv_readers()
    journal_readers()
