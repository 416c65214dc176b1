#!/usr/bin/env python3
"""Checks the resources linked into a built orvanel.exe.

    python3 tests/resources/check_resources.py path/to/orvanel.exe

Reads the PE file with the standard library only, walks its resource
section and compares the menus, the accelerator table, the icon groups,
the dialog templates and the version record with the tables below. Also
checks that the file is a Windows GUI program, either a 32-bit i386 one
(PE32) that is large-address-aware, or a 64-bit x86-64 one (PE32+).

    python3 tests/resources/check_resources.py orvanel.exe d88.exe ...

checks the headers of the executables after the first as well (the same
width as the first, large-address-aware when 32-bit; any subsystem).
Prints every mismatch and exits with status 1 when there is one, 0 when
everything matches.
"""

import struct
import sys

# Resource types
RT_ICON = 3
RT_MENU = 4
RT_DIALOG = 5
RT_ACCELERATOR = 9
RT_GROUP_ICON = 14
RT_VERSION = 16
RT_MANIFEST = 24

# Window, dialog and control styles
WS_POPUP = 0x80000000
WS_CHILD = 0x40000000
WS_VISIBLE = 0x10000000
WS_CAPTION = 0x00C00000
WS_BORDER = 0x00800000
WS_SYSMENU = 0x00080000
WS_GROUP = 0x00020000
WS_TABSTOP = 0x00010000
WS_EX_CONTEXTHELP = 0x00000400
DS_MODALFRAME = 0x80
DS_SETFONT = 0x40
DS_3DLOOK = 0x04
DS_CONTEXTHELP = 0x2000
BS_TYPEMASK = 0x0F
BS_PUSHBUTTON = 0
BS_AUTOCHECKBOX = 3
BS_GROUPBOX = 7
BS_AUTORADIOBUTTON = 9
BS_CENTER = 0x300
SS_TYPEMASK = 0x1F
SS_LEFT = 0
SS_ICON = 3
SS_ETCHEDHORZ = 0x10
SS_ETCHEDFRAME = 0x12
ES_AUTOHSCROLL = 0x80

# Menu item flags
MF_POPUP = 0x10
MF_END = 0x80

# Accelerator flags
FVIRTKEY = 0x01
FSHIFT = 0x04
FCONTROL = 0x08
ACCEL_END = 0x80

IDOK, IDCANCEL, IDYES, IDNO = 1, 2, 6, 7
LVS_TYPEMASK = 0x3
LVS_REPORT = 1
LVS_SHOWSELALWAYS = 0x8
NO_ID = 0xFFFF  # a control without an id (-1 in the resource script)

FONT = (9, 'ＭＳ Ｐゴシック')

# Expected resources -----------------------------------------------------------

SEP = None  # a menu separator


def item(cid, label, key=None):
    return (cid, label if key is None else label + '\x08' + key)


MAIN_MENU = [
    ('ﾌｧｲﾙ(&F)', [
        item(101, '新規作成(&N)', 'Ctrl+N'),
        item(102, '開く(&O)', 'Ctrl+O'),
        item(103, '上書き保存(&S)', 'Ctrl+S'),
        item(104, '名前を付けて保存(&A)', 'Shift+Ctrl+S'),
        SEP,
        item(105, '設定(&C)'),
        SEP,
        item(109, '終了(&X)', 'Ctrl+Q'),
    ]),
    ('ﾃﾞｨｽｸ(&D)', [
        item(201, '新規ﾃﾞｨｽｸ(&N)'),
        item(202, '追加(&A)', 'Ins'),
        item(203, '削除(&D)', 'Del'),
        item(204, '抽出(&E)', 'Ctrl+E'),
        item(212, 'ｴｸｽﾎﾟｰﾄ(&X)'),
        SEP,
        item(210, 'ﾌｧｲﾙ一覧(&F)'),
        item(211, '検査(&K)'),
        SEP,
        item(205, '名前の変更(&R)', 'Ctrl+R'),
        item(206, 'ﾗｲﾄﾌﾟﾛﾃｸﾄ(&W)', 'Ctrl+P'),
        SEP,
        item(209, 'ﾌﾟﾛﾊﾟﾃｨ(&P)'),
    ]),
    ('表示(&V)', [
        item(301, 'ｽﾃｰﾀｽﾊﾞｰ(&B)'),
        SEP,
        item(302, '大きいｱｲｺﾝ(&I)'),
        item(303, '小さいｱｲｺﾝ(&S)'),
        item(304, '一覧(&L)'),
        item(305, '詳細(&R)'),
    ]),
    ('ﾍﾙﾌﾟ(&H)', [
        item(901, 'ﾄﾋﾟｯｸの検索(&H)', 'F1'),
        SEP,
        item(909, 'ﾊﾞｰｼﾞｮﾝ情報(&A)'),
    ]),
]

POPUP_MENU = [
    ('0', [
        item(302, '大きいｱｲｺﾝ(&I)'),
        item(303, '小さいｱｲｺﾝ(&S)'),
        item(304, '一覧(&L)'),
        item(305, '詳細(&R)'),
        SEP,
        item(201, '新規ﾃﾞｨｽｸ(&N)'),
        item(202, '追加(&A)', 'Ins'),
    ]),
    ('1', [
        item(203, '削除(&D)', 'Del'),
        item(204, '抽出(&E)', 'Ctrl+E'),
        item(212, 'ｴｸｽﾎﾟｰﾄ(&X)'),
        SEP,
        item(210, 'ﾌｧｲﾙ一覧(&F)'),
        item(211, '検査(&K)'),
        SEP,
        item(205, '名前の変更(&R)', 'Ctrl+R'),
        item(206, 'ﾗｲﾄﾌﾟﾛﾃｸﾄ(&W)', 'Ctrl+P'),
        SEP,
        item(209, 'ﾌﾟﾛﾊﾟﾃｨ(&P)'),
    ]),
    ('2', [
        item(1001, '新しいﾌｧｲﾙを開く(&N)'),
        item(1002, 'ﾌｧｲﾙを追加する(&A)'),
        SEP,
        item(1003, 'ｷｬﾝｾﾙ'),
    ]),
]

VK_INSERT, VK_DELETE, VK_F1 = 0x2D, 0x2E, 0x70
CTRL = FVIRTKEY | FCONTROL

ACCELERATORS = [
    (CTRL, ord('N'), 101),
    (CTRL, ord('O'), 102),
    (CTRL, ord('S'), 103),
    (CTRL | FSHIFT, ord('S'), 104),
    (CTRL, ord('Q'), 109),
    (FVIRTKEY, VK_INSERT, 202),
    (FVIRTKEY, VK_DELETE, 203),
    (CTRL, ord('E'), 204),
    (CTRL, ord('R'), 205),
    (CTRL, ord('P'), 206),
    (FVIRTKEY, VK_F1, 901),
]

# Icon group -> sizes that must be present as 16-colour images.
ICON_GROUPS = {101: [32], 102: [32, 16], 103: [32, 16], 104: [32, 16]}


def button(cid, text, rect):
    return dict(id=cid, cls='BUTTON', text=text, rect=rect, kind=BS_PUSHBUTTON,
                mask=BS_TYPEMASK, need=BS_CENTER | WS_TABSTOP)


def radio(cid, text, rect):
    return dict(id=cid, cls='BUTTON', text=text, rect=rect,
                kind=BS_AUTORADIOBUTTON, mask=BS_TYPEMASK, need=WS_TABSTOP)


def checkbox(cid, text, rect):
    return dict(id=cid, cls='BUTTON', text=text, rect=rect,
                kind=BS_AUTOCHECKBOX, mask=BS_TYPEMASK, need=WS_TABSTOP)


def groupbox(cid, text, rect):
    return dict(id=cid, cls='BUTTON', text=text, rect=rect, kind=BS_GROUPBOX,
                mask=BS_TYPEMASK, need=WS_GROUP)


def static(cid, text, rect, kind=SS_LEFT):
    return dict(id=cid, cls='STATIC', text=text, rect=rect, kind=kind,
                mask=SS_TYPEMASK, need=0)


def report_list(cid, rect):
    return dict(id=cid, cls='SYSLISTVIEW32', text='', rect=rect, kind=LVS_REPORT,
                mask=LVS_TYPEMASK, need=WS_BORDER | WS_TABSTOP | LVS_SHOWSELALWAYS)


def edit(cid, text, rect):
    return dict(id=cid, cls='EDIT', text=text, rect=rect, kind=0, mask=0,
                need=WS_BORDER | WS_TABSTOP, forbid=ES_AUTOHSCROLL)


DIALOG_STYLE = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_3DLOOK
ANY = object()  # a text the check does not fix

DIALOGS = {
    1: dict(caption='ﾊﾞｰｼﾞｮﾝ情報', size=(159, 91), style=DIALOG_STYLE,
            help=False, controls=[
                button(IDOK, 'OK', (104, 73, 50, 14)),
                static(101, '', (4, 9, 16, 17), SS_ICON),
                static(NO_ID, '', (28, 4, 124, 60), SS_ETCHEDFRAME),
                static(NO_ID, '', (4, 68, 152, 1), SS_ETCHEDHORZ),
                static(NO_ID, ANY, (32, 9, 112, 48)),
            ]),
    2: dict(caption='設定', size=(183, 93), style=DIALOG_STYLE,
            help=True, controls=[
                button(IDOK, 'OK', (64, 73, 50, 14)),
                button(IDCANCEL, 'ｷｬﾝｾﾙ', (124, 73, 50, 14)),
                groupbox(101, 'ﾄﾞﾗｯｸﾞ&ﾄﾞﾛｯﾌﾟ(&D)', (4, 4, 172, 43)),
                radio(102, '新しいﾌｧｲﾙを開く(&N)', (8, 17, 88, 12)),
                radio(103, 'ﾌｧｲﾙを追加する(&A)', (8, 30, 84, 12)),
                checkbox(104, 'ﾊﾞｯｸｱｯﾌﾟﾌｧｲﾙを作成する(&B)', (8, 51, 112, 12)),
                static(NO_ID, '', (4, 68, 176, 1), SS_ETCHEDHORZ),
            ]),
    3: dict(caption='プロンプト', size=(234, 53), style=DIALOG_STYLE | WS_VISIBLE,
            help=True, controls=[
                button(IDYES, 'はい(&Y)', (8, 34, 50, 14)),
                button(101, 'すべてはい(&A)', (120, 34, 50, 14)),
                button(IDNO, 'いいえ(&N)', (64, 34, 50, 14)),
                button(IDCANCEL, 'ｷｬﾝｾﾙ', (176, 34, 50, 14)),
                static(102, '', (8, 9, 216, 16)),
            ]),
    4: dict(caption='プロパティ', size=(181, 127), style=DIALOG_STYLE | WS_VISIBLE,
            help=True, controls=[
                button(IDOK, 'OK', (64, 107, 50, 14)),
                button(IDCANCEL, 'ｷｬﾝｾﾙ', (124, 107, 50, 14)),
                static(NO_ID, 'ﾃﾞｨｽｸ名(&D):', (8, 8, 60, 8)),
                edit(101, '', (8, 17, 164, 12)),
                static(NO_ID, '', (4, 38, 172, 1), SS_ETCHEDHORZ),
                static(NO_ID, '', (4, 77, 172, 1), SS_ETCHEDHORZ),
                static(102, 'ﾒﾃﾞｨｱﾀｲﾌﾟ:', (16, 47, 144, 8)),
                static(103, 'ｻｲｽﾞ:', (16, 60, 140, 8)),
                checkbox(104, 'ﾗｲﾄﾌﾟﾛﾃｸﾄ(&P)', (12, 85, 60, 12)),
                static(NO_ID, '', (4, 102, 172, 1), SS_ETCHEDHORZ),
            ]),
    5: dict(caption='ﾌｧｲﾙ一覧', size=(320, 230), style=DIALOG_STYLE | WS_VISIBLE,
            help=False, controls=[
                report_list(303, (8, 42, 304, 142)),
                checkbox(304, '削除されたﾌｧｲﾙも表示する(&D)', (8, 190, 180, 12)),
                checkbox(305, 'BASICのﾌﾟﾛｸﾞﾗﾑはﾃｷｽﾄで書き出す(&T)', (8, 204, 180, 12)),
                button(306, '抽出(&E)', (204, 208, 50, 14)),
                button(IDCANCEL, '閉じる', (262, 208, 50, 14)),
                static(301, '', (8, 6, 304, 8)),
                static(302, '', (8, 16, 304, 24)),
            ]),
    6: dict(caption='検査', size=(440, 200), style=DIALOG_STYLE | WS_VISIBLE,
            help=False, controls=[
                report_list(402, (8, 20, 424, 152)),
                button(IDCANCEL, '閉じる', (382, 178, 50, 14)),
                static(401, '', (8, 6, 424, 8)),
            ]),
}

VERSION = (1, 0, 1, 0)
PRODUCT_NAME = 'Orvanel'

# PE reading -------------------------------------------------------------------


class Failure(Exception):
    pass


PE32, PE32_PLUS = 0x10B, 0x20B
MACHINE_I386, MACHINE_AMD64 = 0x14C, 0x8664
LARGE_ADDRESS_AWARE = 0x0020
# What each width must be: machine, optional header magic.
WIDTHS = {MACHINE_I386: ('i386', PE32), MACHINE_AMD64: ('x86-64', PE32_PLUS)}


def header_errors(img, name, machine=None):
    """What is wrong with the headers of a built executable: an unknown
    machine, a machine other than `machine` when given, a magic that does
    not fit the machine, or a 32-bit program that is not large-address-aware
    (it could hold only 2 GiB of disk images on 64-bit Windows)."""
    errors = []
    if img.machine not in WIDTHS:
        return ['%s: machine 0x%X, expected 0x14C (i386) or 0x8664 (x86-64)' % (name, img.machine)]
    if machine is not None and img.machine != machine:
        errors.append('%s: machine 0x%X, expected 0x%X like the program' % (name, img.machine, machine))
    width, magic = WIDTHS[img.machine]
    if img.magic != magic:
        errors.append('%s: %s with optional header magic 0x%X' % (name, width, img.magic))
    if img.machine == MACHINE_I386 and not img.characteristics & LARGE_ADDRESS_AWARE:
        errors.append('%s: a 32-bit program without the large-address-aware flag' % name)
    return errors


class Image:
    """The parts of a PE file the checks need."""

    def __init__(self, data):
        self.data = data
        if data[:2] != b'MZ':
            raise Failure('not an MZ executable')
        pe = struct.unpack_from('<I', data, 0x3C)[0]
        if data[pe:pe + 4] != b'PE\0\0':
            raise Failure('no PE signature')
        (self.machine, nsections, _, _, _, opt_size,
         self.characteristics) = struct.unpack_from('<HHIIIHH', data, pe + 4)
        opt = pe + 24
        self.magic = struct.unpack_from('<H', data, opt)[0]
        if self.magic not in (PE32, PE32_PLUS):
            raise Failure('optional header magic 0x%X, expected 0x10B (PE32) or 0x20B (PE32+)'
                          % self.magic)
        self.subsystem = struct.unpack_from('<H', data, opt + 68)[0]
        dirs = opt + (96 if self.magic == PE32 else 112)
        ndirs = struct.unpack_from('<I', data, dirs - 4)[0]
        if ndirs <= 2:
            raise Failure('no resource directory entry')
        self.rsrc_rva, self.rsrc_size = struct.unpack_from('<II', data, dirs + 2 * 8)
        self.sections = []
        sec = opt + opt_size
        for i in range(nsections):
            name, vsize, va, rawsize, rawptr = struct.unpack_from('<8sIIII', data, sec + 40 * i)
            self.sections.append((va, max(vsize, rawsize), rawptr, rawsize))

    def offset(self, rva):
        for va, size, rawptr, rawsize in self.sections:
            if va <= rva < va + size:
                if rva - va >= rawsize:
                    raise Failure('RVA 0x%X lies outside the raw data' % rva)
                return rawptr + (rva - va)
        raise Failure('RVA 0x%X lies in no section' % rva)

    def read(self, rva, size):
        off = self.offset(rva)
        return self.data[off:off + size]


def read_resources(img):
    """{type: {name: [(language, bytes)]}}; names are ints or strings."""
    if img.rsrc_rva == 0:
        raise Failure('the executable has no resources')
    base = img.offset(img.rsrc_rva)
    data = img.data

    def name_of(entry_name):
        if entry_name & 0x80000000:
            off = base + (entry_name & 0x7FFFFFFF)
            n = struct.unpack_from('<H', data, off)[0]
            return data[off + 2:off + 2 + 2 * n].decode('utf-16-le').upper()
        return entry_name

    def entries(dir_off):
        n_named, n_id = struct.unpack_from('<HH', data, base + dir_off + 12)
        for i in range(n_named + n_id):
            nm, target = struct.unpack_from('<II', data, base + dir_off + 16 + 8 * i)
            yield name_of(nm), target

    out = {}
    for rtype, t1 in entries(0):
        if not t1 & 0x80000000:
            raise Failure('malformed resource directory')
        for rname, t2 in entries(t1 & 0x7FFFFFFF):
            if not t2 & 0x80000000:
                raise Failure('malformed resource directory')
            for lang, t3 in entries(t2 & 0x7FFFFFFF):
                rva, size = struct.unpack_from('<II', data, base + t3)
                out.setdefault(rtype, {}).setdefault(rname, []).append(
                    (lang, img.read(rva, size)))
    return out


# Template decoding ------------------------------------------------------------

class Reader:
    def __init__(self, data, pos=0):
        self.data = data
        self.pos = pos

    def u8(self):
        v = self.data[self.pos]
        self.pos += 1
        return v

    def u16(self):
        v = struct.unpack_from('<H', self.data, self.pos)[0]
        self.pos += 2
        return v

    def i16(self):
        v = struct.unpack_from('<h', self.data, self.pos)[0]
        self.pos += 2
        return v

    def u32(self):
        v = struct.unpack_from('<I', self.data, self.pos)[0]
        self.pos += 4
        return v

    def wstr(self):
        end = self.pos
        while self.data[end:end + 2] != b'\0\0':
            end += 2
            if end >= len(self.data):
                raise Failure('unterminated string in a template')
        s = self.data[self.pos:end].decode('utf-16-le')
        self.pos = end + 2
        return s

    def sz_or_ord(self):
        if struct.unpack_from('<H', self.data, self.pos)[0] == 0xFFFF:
            self.pos += 2
            return self.u16()
        return self.wstr()

    def align4(self):
        self.pos = (self.pos + 3) & ~3

    def at_end(self):
        return self.pos >= len(self.data)


def decode_menu(data):
    """[(title, [(id, text) | None | (title, [...])])] of a MENU template."""
    r = Reader(data)
    version, header = r.u16(), r.u16()
    if version != 0:
        raise Failure('menu template version %d (MENUEX?), expected 0' % version)
    r.pos += header

    def items():
        out = []
        while True:
            if r.at_end():
                raise Failure('menu template ends without MF_END')
            flags = r.u16()
            if flags & MF_POPUP:
                title = r.wstr()
                out.append((title, items()))
            else:
                cid = r.u16()
                text = r.wstr()
                out.append(None if (cid == 0 and text == '' and not flags & ~MF_END)
                           else (cid, text, flags & ~MF_END))
            if flags & MF_END:
                return out

    return items()


def decode_dialog(data):
    r = Reader(data)
    ex = struct.unpack_from('<HH', data, 0) == (1, 0xFFFF)
    d = {'ex': ex}
    if ex:
        r.pos = 4
        d['helpid'] = r.u32()
        d['exstyle'] = r.u32()
        d['style'] = r.u32()
    else:
        d['style'] = r.u32()
        d['exstyle'] = r.u32()
    count = r.u16()
    d['rect'] = (r.i16(), r.i16(), r.i16(), r.i16())
    d['menu'] = r.sz_or_ord()
    d['class'] = r.sz_or_ord()
    d['caption'] = r.wstr()
    d['font'] = None
    if d['style'] & DS_SETFONT:
        size = r.u16()
        if ex:
            r.u16()  # weight
            r.u8()   # italic
            r.u8()   # charset
        d['font'] = (size, r.wstr())
    d['controls'] = []
    for _ in range(count):
        r.align4()
        c = {}
        if ex:
            r.u32()  # help id
            c['exstyle'] = r.u32()
            c['style'] = r.u32()
            c['rect'] = (r.i16(), r.i16(), r.i16(), r.i16())
            c['id'] = r.u32() & 0xFFFF
        else:
            c['style'] = r.u32()
            c['exstyle'] = r.u32()
            c['rect'] = (r.i16(), r.i16(), r.i16(), r.i16())
            c['id'] = r.u16()
        cls = r.sz_or_ord()
        c['class'] = {0x80: 'BUTTON', 0x81: 'EDIT', 0x82: 'STATIC', 0x83: 'LISTBOX',
                      0x84: 'SCROLLBAR', 0x85: 'COMBOBOX'}.get(cls, cls) \
            if isinstance(cls, int) else cls.upper()
        c['text'] = r.sz_or_ord()
        extra = r.u16()
        r.pos += extra
        d['controls'].append(c)
    return d


def decode_version(data):
    """(fixed file version, {string key: value}) of a VS_VERSIONINFO block."""
    strings = {}

    def node(pos, depth):
        length, vlen, vtype = struct.unpack_from('<HHH', data, pos)
        r = Reader(data, pos + 6)
        key = r.wstr()
        r.align4()
        value_pos = r.pos
        value = None
        if vtype == 1 and vlen:
            value = data[value_pos:value_pos + 2 * vlen].decode('utf-16-le').rstrip('\0')
            r.pos += 2 * vlen
        else:
            value = data[value_pos:value_pos + vlen]
            r.pos += vlen
        r.align4()
        children = []
        while r.pos < pos + length:
            child, size = node(r.pos, depth + 1)
            children.append(child)
            r.pos = (r.pos + size + 3) & ~3
        if depth == 3:
            strings[key] = value
        return (key, value, children), length

    (key, fixed, _), _ = node(0, 0)
    if key != 'VS_VERSION_INFO':
        raise Failure('version record has the key %r' % key)
    sig, _, ms, ls = struct.unpack_from('<IIII', fixed, 0)
    if sig != 0xFEEF04BD:
        raise Failure('version record has no VS_FIXEDFILEINFO')
    return (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF), strings


# Checks -------------------------------------------------------------------------

class Checker:
    def __init__(self, exe):
        self.errors = []
        with open(exe, 'rb') as f:
            self.img = Image(f.read())
        self.res = read_resources(self.img)

    def fail(self, msg):
        self.errors.append(msg)

    def resource(self, rtype, name, what):
        langs = self.res.get(rtype, {}).get(name)
        if not langs:
            self.fail('%s is missing' % what)
            return None
        if len(langs) > 1:
            self.fail('%s exists in %d languages' % (what, len(langs)))
        return langs[0][1]

    def check_pe(self):
        for e in header_errors(self.img, 'the program'):
            self.fail(e)
        if self.img.subsystem != 2:
            self.fail('subsystem %d, expected 2 (Windows GUI)' % self.img.subsystem)

    def check_menu(self, name, expected):
        data = self.resource(RT_MENU, name, 'menu resource %d' % name)
        if data is None:
            return
        try:
            got = decode_menu(data)
        except (Failure, struct.error, UnicodeDecodeError) as e:
            self.fail('menu resource %d cannot be decoded: %s' % (name, e))
            return
        where = 'menu resource %d' % name
        if len(got) != len(expected):
            self.fail('%s has %d popups, expected %d' % (where, len(got), len(expected)))
        for pi, (exp_title, exp_items) in enumerate(expected):
            if pi >= len(got):
                break
            entry = got[pi]
            if entry is None or len(entry) != 2 or not isinstance(entry[1], list):
                self.fail('%s position %d is not a popup' % (where, pi))
                continue
            title, items = entry
            if title != exp_title:
                self.fail('%s popup %d title %r, expected %r' % (where, pi, title, exp_title))
            if len(items) != len(exp_items):
                self.fail('%s popup %r has %d items, expected %d'
                          % (where, exp_title, len(items), len(exp_items)))
            for ii, (g, e) in enumerate(zip(items, exp_items)):
                at = '%s popup %r item %d' % (where, exp_title, ii)
                if e is None:
                    if g is not None:
                        self.fail('%s: %r, expected a separator' % (at, g))
                    continue
                if g is None:
                    self.fail('%s: a separator, expected id %d %r' % (at, e[0], e[1]))
                    continue
                if len(g) != 3 or isinstance(g[1], list):
                    self.fail('%s: a submenu, expected id %d' % (at, e[0]))
                    continue
                cid, text, flags = g
                if cid != e[0]:
                    self.fail('%s: id %d, expected %d' % (at, cid, e[0]))
                if text != e[1]:
                    self.fail('%s (id %d): text %r, expected %r' % (at, e[0], text, e[1]))
                if flags:
                    self.fail('%s (id %d): flags 0x%X, expected an enabled plain item'
                              % (at, e[0], flags))

    def check_accelerators(self):
        data = self.resource(RT_ACCELERATOR, 1, 'accelerator table 1')
        if data is None:
            return
        got = []
        for off in range(0, len(data) - 7, 8):
            flags, key, cid, _ = struct.unpack_from('<HHHH', data, off)
            got.append((flags, key, cid))
            if flags & ACCEL_END:
                break
        if not got or not got[-1][0] & ACCEL_END:
            self.fail('accelerator table 1 has no end marker')
        got = [(f & ~ACCEL_END, k, c) for f, k, c in got]
        if got != ACCELERATORS:
            self.fail('accelerator table 1 is\n    %s\n  expected\n    %s'
                      % (fmt_accels(got), fmt_accels(ACCELERATORS)))

    def check_icons(self):
        for name, sizes in sorted(ICON_GROUPS.items()):
            data = self.resource(RT_GROUP_ICON, name, 'icon group %d' % name)
            if data is None:
                continue
            _, kind, count = struct.unpack_from('<HHH', data, 0)
            if kind != 1:
                self.fail('icon group %d has type %d, expected 1' % (name, kind))
            found = []
            for i in range(count):
                w, h, colours, _, planes, bits, size, nid = struct.unpack_from(
                    '<BBBBHHIH', data, 6 + 14 * i)
                image = self.resource(RT_ICON, nid, 'icon image %d of group %d' % (nid, name))
                if image is None:
                    continue
                hsize, bw, bh, bplanes, bbits = struct.unpack_from('<IiiHH', image, 0)
                if hsize != 40:
                    self.fail('icon %d image %d is not a BMP icon' % (name, nid))
                    continue
                if bw != w or bh != 2 * h:
                    self.fail('icon %d image %d: bitmap %dx%d, directory says %dx%d'
                              % (name, nid, bw, bh // 2, w, h))
                found.append((bw, bh // 2, bbits))
            for s in sizes:
                if (s, s, 4) not in found:
                    self.fail('icon group %d has no %dx%d 16-colour image (has %s)'
                              % (name, s, s, ', '.join('%dx%d %d-bit' % f for f in found)
                                 or 'none'))

    def check_dialog(self, name, exp):
        data = self.resource(RT_DIALOG, name, 'dialog resource %d' % name)
        if data is None:
            return
        try:
            d = decode_dialog(data)
        except (Failure, struct.error, UnicodeDecodeError) as e:
            self.fail('dialog resource %d cannot be decoded: %s' % (name, e))
            return
        where = 'dialog %d' % name
        if d['caption'] != exp['caption']:
            self.fail('%s caption %r, expected %r' % (where, d['caption'], exp['caption']))
        if d['rect'][2:] != exp['size']:
            self.fail('%s size %r, expected %r' % (where, d['rect'][2:], exp['size']))
        if d['font'] != FONT:
            self.fail('%s font %r, expected %r' % (where, d['font'], FONT))
        missing = exp['style'] & ~d['style']
        if missing:
            self.fail('%s style 0x%08X lacks 0x%08X' % (where, d['style'], missing))
        extra = d['style'] & ~(exp['style'] | DS_CONTEXTHELP)
        if extra:
            self.fail('%s style 0x%08X has unexpected bits 0x%08X' % (where, d['style'], extra))
        # Windows adds WS_EX_CONTEXTHELP for DS_CONTEXTHELP by itself, Wine
        # does not: a dialog with the help button needs both in its template.
        for bit, label, field in ((DS_CONTEXTHELP, 'DS_CONTEXTHELP', 'style'),
                                  (WS_EX_CONTEXTHELP, 'WS_EX_CONTEXTHELP', 'exstyle')):
            has = bool(d[field] & bit)
            if has != exp['help']:
                self.fail('%s %s %s (the title-bar help button)'
                          % (where, 'has' if has else 'lacks', label))
        extra_ex = d['exstyle'] & ~WS_EX_CONTEXTHELP
        if extra_ex:
            self.fail('%s extended style 0x%08X has unexpected bits 0x%08X'
                      % (where, d['exstyle'], extra_ex))
        if d['menu'] not in (0, ''):
            self.fail('%s has a menu %r' % (where, d['menu']))
        ctrls = d['controls']
        if len(ctrls) != len(exp['controls']):
            self.fail('%s has %d controls, expected %d'
                      % (where, len(ctrls), len(exp['controls'])))
        for i, (c, e) in enumerate(zip(ctrls, exp['controls'])):
            at = '%s control %d (id %d)' % (where, i, e['id'])
            if c['id'] != e['id']:
                self.fail('%s: id %d, expected %d' % (at, c['id'], e['id']))
            if c['class'] != e['cls']:
                self.fail('%s: class %r, expected %r' % (at, c['class'], e['cls']))
            if e['text'] is not ANY and c['text'] != e['text']:
                self.fail('%s: text %r, expected %r' % (at, c['text'], e['text']))
            if c['rect'] != e['rect']:
                self.fail('%s: rectangle %r, expected %r' % (at, c['rect'], e['rect']))
            st = c['style']
            if st & (WS_CHILD | WS_VISIBLE) != WS_CHILD | WS_VISIBLE:
                self.fail('%s: style 0x%08X is not a visible child' % (at, st))
            if e['mask'] and st & e['mask'] != e['kind']:
                self.fail('%s: control kind 0x%X, expected 0x%X'
                          % (at, st & e['mask'], e['kind']))
            if st & e['need'] != e['need']:
                self.fail('%s: style 0x%08X lacks 0x%08X' % (at, st, e['need'] & ~st))
            if st & e.get('forbid', 0):
                self.fail('%s: style 0x%08X has 0x%08X' % (at, st, st & e['forbid']))
        if name == 1 and len(ctrls) == 5:
            self.check_about_text(ctrls[4]['text'])

    def check_about_text(self, text):
        if not isinstance(text, str):
            self.fail('about text is an ordinal')
            return
        lines = text.replace('\r\n', '\n').split('\n')
        if len(lines) != 6:
            self.fail('about text has %d lines, expected 6: %r' % (len(lines), text))
            return
        if lines[0] != 'Orvanel' or lines[1] != 'Version 1.0.1':
            self.fail('about text starts %r, expected "Orvanel", "Version 1.0.1"'
                      % lines[:2])
        if lines[2] or lines[4]:
            self.fail('about text lines 3 and 5 must be empty: %r' % text)
        if not lines[3] or not lines[5]:
            self.fail('about text lines 4 and 6 (the notices) must not be empty: %r' % text)

    def check_version(self):
        data = self.resource(RT_VERSION, 1, 'version record 1')
        if data is None:
            return
        try:
            version, strings = decode_version(data)
        except (Failure, struct.error, UnicodeDecodeError) as e:
            self.fail('version record cannot be decoded: %s' % e)
            return
        if version != VERSION:
            self.fail('file version %s, expected %s'
                      % ('.'.join(map(str, version)), '.'.join(map(str, VERSION))))
        if strings.get('ProductName') != PRODUCT_NAME:
            self.fail('ProductName %r, expected %r' % (strings.get('ProductName'), PRODUCT_NAME))

    def check_no_common_controls_6(self):
        for name, langs in self.res.get(RT_MANIFEST, {}).items():
            for _, data in langs:
                if b'Microsoft.Windows.Common-Controls' in data:
                    self.fail('manifest %r asks for Common Controls 6; the classic '
                              'controls are wanted' % name)

    def run(self):
        self.check_pe()
        self.check_menu(1, MAIN_MENU)
        self.check_menu(2, POPUP_MENU)
        self.check_accelerators()
        self.check_icons()
        for name, exp in sorted(DIALOGS.items()):
            self.check_dialog(name, exp)
        self.check_version()
        self.check_no_common_controls_6()
        return self.errors


def fmt_accels(table):
    def one(entry):
        flags, key, cid = entry
        mods = ''.join(m for bit, m in ((FCONTROL, 'Ctrl+'), (FSHIFT, 'Shift+'))
                       if flags & bit)
        name = {VK_INSERT: 'Insert', VK_DELETE: 'Delete', VK_F1: 'F1'}.get(key, chr(key))
        virt = '' if flags & FVIRTKEY else ' (not VIRTKEY)'
        return '%s%s=%d%s' % (mods, name, cid, virt)
    return ', '.join(one(e) for e in table)


def main(argv):
    for stream in (sys.stdout, sys.stderr):
        # Messages quote Japanese texts; never fail on a console that
        # cannot show them.
        stream.reconfigure(errors='backslashreplace')
    if len(argv) < 2:
        print('usage: check_resources.py ORVANEL.EXE [OTHER.EXE ...]', file=sys.stderr)
        return 2
    try:
        checker = Checker(argv[1])
        errors = checker.run()
        for other in argv[2:]:
            with open(other, 'rb') as f:
                errors += header_errors(Image(f.read()), other, checker.img.machine)
    except (OSError, Failure, struct.error) as e:
        print('%s: %s' % (argv[1], e), file=sys.stderr)
        return 1
    if errors:
        for e in errors:
            print('FAIL: ' + e, file=sys.stderr)
        print('%s: %d resource mismatch(es)' % (argv[1], len(errors)), file=sys.stderr)
        return 1
    print('%s: resources match (%s)' % (argv[1], WIDTHS[checker.img.machine][0]))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
