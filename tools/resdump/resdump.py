#!/usr/bin/env python3
"""Lists what a compiled .res file holds, as windres writes it.

Every resource: type, name, language, size. Decoded further: string tables,
menus, accelerators, dialog templates (header and every control with class,
id, text, style flags and rectangle), bitmaps, icons and manifests.

    python3 tools/resdump/resdump.py build-x/app.res
"""

import struct
import sys

TYPES = {1: "CURSOR", 2: "BITMAP", 3: "ICON", 4: "MENU", 5: "DIALOG", 6: "STRING", 9: "ACCELERATOR",
         12: "GROUP_CURSOR", 14: "GROUP_ICON", 16: "VERSION", 24: "MANIFEST"}

WS = [(0x80000000, "WS_POPUP"), (0x40000000, "WS_CHILD"), (0x20000000, "WS_MINIMIZE"),
      (0x10000000, "WS_VISIBLE"), (0x08000000, "WS_DISABLED"), (0x04000000, "WS_CLIPSIBLINGS"),
      (0x02000000, "WS_CLIPCHILDREN"), (0x00C00000, "WS_CAPTION"), (0x00800000, "WS_BORDER"),
      (0x00400000, "WS_DLGFRAME"), (0x00200000, "WS_VSCROLL"), (0x00100000, "WS_HSCROLL"),
      (0x00080000, "WS_SYSMENU"), (0x00040000, "WS_THICKFRAME"), (0x00020000, "WS_GROUP"),
      (0x00010000, "WS_TABSTOP")]
DS = [(0x40, "DS_SETFONT"), (0x80, "DS_MODALFRAME"), (0x01, "DS_ABSALIGN"), (0x04, "DS_LOCALEDIT")]
CLASS_BITS = {
    "BUTTON": [(0x0F, {0: "BS_PUSHBUTTON", 1: "BS_DEFPUSHBUTTON", 2: "BS_CHECKBOX", 3: "BS_AUTOCHECKBOX",
                       4: "BS_RADIOBUTTON", 7: "BS_GROUPBOX", 9: "BS_AUTORADIOBUTTON"})],
    "EDIT": [(0x0004, "ES_MULTILINE"), (0x0040, "ES_AUTOVSCROLL"), (0x0080, "ES_AUTOHSCROLL"),
             (0x0800, "ES_READONLY"), (0x0003, {0: "ES_LEFT", 1: "ES_CENTER", 2: "ES_RIGHT"})],
    "STATIC": [(0x1F, {0: "SS_LEFT", 1: "SS_CENTER", 2: "SS_RIGHT", 0xE: "SS_BITMAP"})],
    "COMBOBOX": [(0x0003, {1: "CBS_SIMPLE", 2: "CBS_DROPDOWN", 3: "CBS_DROPDOWNLIST"}),
                 (0x0100, "CBS_SORT"), (0x0040, "CBS_AUTOHSCROLL")],
}
ATOMS = {0x80: "BUTTON", 0x81: "EDIT", 0x82: "STATIC", 0x83: "LISTBOX", 0x84: "SCROLLBAR", 0x85: "COMBOBOX"}


def style_text(style, cls=None, dialog=False):
    names, rest = [], style
    for bit, name in WS:
        if rest & bit == bit:
            names.append(name)
            rest &= ~bit
    for mask, what in (DS if dialog else CLASS_BITS.get(cls, [])):
        if isinstance(what, dict):
            v = style & mask
            if v in what:
                names.append(what[v])
                rest &= ~mask
        elif style & mask == mask:
            names.append(what)
            rest &= ~mask
    if rest:
        names.append("0x%X" % rest)
    return "0x%08X %s" % (style, "|".join(names))


class Reader:
    def __init__(self, data, pos=0):
        self.d, self.p = data, pos

    def u16(self):
        v = struct.unpack_from("<H", self.d, self.p)[0]
        self.p += 2
        return v

    def i16(self):
        v = struct.unpack_from("<h", self.d, self.p)[0]
        self.p += 2
        return v

    def u32(self):
        v = struct.unpack_from("<I", self.d, self.p)[0]
        self.p += 4
        return v

    def sz(self):
        out = []
        while True:
            c = self.u16()
            if c == 0:
                return "".join(out)
            out.append(chr(c))

    def sz_or_ord(self):
        if struct.unpack_from("<H", self.d, self.p)[0] == 0xFFFF:
            self.p += 2
            return self.u16()
        return self.sz()

    def align(self, n=4):
        self.p = (self.p + n - 1) // n * n


def entries(data):
    r = Reader(data)
    while r.p + 8 <= len(data):
        start = r.p
        size, header = r.u32(), r.u32()
        typ, name = r.sz_or_ord(), r.sz_or_ord()
        r.align()
        r.u32()  # data version
        r.u16()  # memory flags
        lang = r.u16()
        r.p = start + header
        body = data[r.p:r.p + size]
        r.p += size
        r.align()
        if typ != 0:
            yield typ, name, lang, body


def dump_dialog(body):
    r = Reader(body)
    ver, sig = r.u16(), r.u16()
    if not (ver == 1 and sig == 0xFFFF):
        print("    (not an extended template)")
        return
    r.u32()  # help id
    exstyle, style = r.u32(), r.u32()
    count = r.u16()
    x, y, cx, cy = r.i16(), r.i16(), r.i16(), r.i16()
    menu, cls, title = r.sz_or_ord(), r.sz_or_ord(), r.sz()
    print("    style %s exstyle 0x%X rect %d,%d,%d,%d caption %r menu %r class %r"
          % (style_text(style, dialog=True), exstyle, x, y, cx, cy, title, menu, cls))
    if style & 0x40:
        pt, weight, italic, charset = r.u16(), r.u16(), body[r.p], body[r.p + 1]
        r.p += 2
        print("    font %d %r weight %d italic %d charset %d" % (pt, r.sz(), weight, italic, charset))
    print("    %d controls" % count)
    for i in range(count):
        r.align()
        r.u32()  # help id
        ex, st = r.u32(), r.u32()
        x, y, cx, cy = r.i16(), r.i16(), r.i16(), r.i16()
        cid = struct.unpack("<i", struct.pack("<I", r.u32()))[0]
        cls = r.sz_or_ord()
        cname = ATOMS.get(cls, cls) if isinstance(cls, int) else cls.upper()
        shown_cls = ("#%d(%s)" % (cls, cname)) if isinstance(cls, int) else cls
        text = r.sz_or_ord()
        extra = r.u16()
        r.p += extra
        print("    %2d id %5d %-14s %-18r %3d,%3d,%3d,%3d ex 0x%X %s"
              % (i + 1, cid, shown_cls, text, x, y, cx, cy, ex, style_text(st, cname)))


def dump_menu(body):
    r = Reader(body)
    r.u16()  # version
    r.p += r.u16() + 2  # header size, then the items
    while r.p < len(body):
        flags = r.u16()
        if flags & 0x10:
            print("    POPUP flags 0x%X %r" % (flags, r.sz()))
        else:
            mid = r.u16()
            print("    ITEM  flags 0x%X id %d %r" % (flags, mid, r.sz()))


def dump_accel(body):
    names = [(1, "VIRTKEY"), (2, "NOINVERT"), (4, "SHIFT"), (8, "CONTROL"), (16, "ALT"), (0x80, "END")]
    for off in range(0, len(body), 8):
        flags, key, cmd, _ = struct.unpack_from("<HHHH", body, off)
        print("    key %r (0x%X) id %d %s" % (chr(key), key, cmd, "|".join(n for b, n in names if flags & b)))


def dump_strings(name, body):
    r = Reader(body)
    for i in range(16):
        n = r.u16()
        if n:
            s = body[r.p:r.p + 2 * n].decode("utf-16-le")
            print("    %d %r" % ((name - 1) * 16 + i, s))
        r.p += 2 * n


def dump_dib(body):
    (hsize, w, h, planes, bpp, comp, isize, _, _, used, _) = struct.unpack_from("<IiiHHIIiiII", body)
    print("    DIB %d x %d, %d bpp, compression %d, %d colours used" % (w, h, bpp, comp, used))


def main():
    data = open(sys.argv[1], "rb").read()
    for typ, name, lang, body in entries(data):
        tname = TYPES.get(typ, typ) if isinstance(typ, int) else typ
        print("%s %s lang 0x%04X size %d" % (tname, name, lang, len(body)))
        if typ == 5:
            dump_dialog(body)
        elif typ == 4:
            dump_menu(body)
        elif typ == 9:
            dump_accel(body)
        elif typ == 6:
            dump_strings(name, body)
        elif typ in (2, 3):
            dump_dib(body)
        elif typ == 14:
            count = struct.unpack_from("<H", body, 4)[0]
            for i in range(count):
                w, h, cc, _, planes, bpp, size, nid = struct.unpack_from("<BBBBHHIH", body, 6 + 14 * i)
                print("    image %d x %d, %d bpp, %d bytes, icon id %d" % (w or 256, h or 256, bpp, size, nid))
        elif typ == 24:
            print("    " + body.decode("utf-8").replace("\n", "\n    ").rstrip())


if __name__ == "__main__":
    main()
