#!/usr/bin/env python3
"""Build the program's compiled help file from postling/help.

    build_help.py --help-dir DIR --res-dir DIR --stage DIR --out FILE.chm [--chmcmd PATH]
                  [--compare DIR]

Each topic file names the context numbers it serves in a meta tag,

    <meta name="help-context" content="IDD_SOUND_SCHEME 0xE143 20001-20064">

(symbols of postling/res/resource.h, numbers, ranges). The project's [ALIAS]
and [MAP] are generated from those tags, so that the Help button of dialog
N, command N and message N open their topics (the program takes the low 16
bits of the framework's help IDs). The build fails when a dialog of
postling/res/*.rc has no topic, when two topics claim one number, or when a
symbol is unknown.

The help directory holds one project file (*.hhp); its Language option
(0x419 Russian, 0x409 English) sets the code page of the project, the
topics and the text popups, and each topic's charset meta tag must name it.
With --compare the build also fails unless the help of DIR, another
language of the same help, has the same topic files, the same context
numbers in every topic and the same text popup ids, so that dialog N opens
topic N in every language.

chmcmd keeps one context per topic file and writes its context table (#IVB)
with the project folder's absolute path in front of every file name, which
no help viewer can resolve; the
finished file gets its context table from this script
(write_context_table) instead.
"""
import argparse
import html.parser
import os
import re
import shutil
import struct
import subprocess
import sys

# Identifiers of windows.h and the framework that resource scripts use.
BUILTIN_IDS = {
    "IDOK": 1, "IDCANCEL": 2, "IDABORT": 3, "IDRETRY": 4, "IDIGNORE": 5,
    "IDYES": 6, "IDNO": 7, "IDCLOSE": 8, "IDHELP": 9, "IDC_STATIC": -1,
    "ID_APP_ABOUT": 0xE140, "ID_APP_EXIT": 0xE141, "ID_HELP_INDEX": 0xE142,
    "ID_HELP_FINDER": 0xE143, "ID_HELP_USING": 0xE144, "ID_CONTEXT_HELP": 0xE145,
    "ID_HELP": 0xE146, "ID_DEFAULT_HELP": 0xE147,
    "ID_EDIT_COPY": 0xE122, "ID_EDIT_SELECT_ALL": 0xE12A,
    "ID_VIEW_TOOLBAR": 0xE800, "ID_VIEW_STATUS_BAR": 0xE801,
}

# Dialog statements whose first argument is the control's identifier; the
# others have a text (or an icon) first.
ID_FIRST = {"EDITTEXT", "COMBOBOX", "LISTBOX", "SCROLLBAR"}
CONTROL_KEYWORDS = {
    "LTEXT", "RTEXT", "CTEXT", "ICON", "EDITTEXT", "COMBOBOX", "LISTBOX", "SCROLLBAR",
    "CONTROL", "PUSHBUTTON", "DEFPUSHBUTTON", "PUSHBOX", "GROUPBOX", "CHECKBOX",
    "AUTOCHECKBOX", "STATE3", "AUTO3STATE", "RADIOBUTTON", "AUTORADIOBUTTON",
}


# Code pages of the help languages, by the project's Language option.
CODE_PAGES = {0x419: "cp1251", 0x409: "cp1252"}


class HelpError(Exception):
    pass


# ---- identifiers and resource scripts ----

def read_defines(path):
    ids = dict(BUILTIN_IDS)
    with open(path, encoding="cp1251") as f:
        for line in f:
            m = re.match(r"\s*#define\s+(\w+)\s+(0[xX][0-9a-fA-F]+|-?\d+)\b", line)
            if m:
                ids[m.group(1)] = int(m.group(2), 0)
    return ids


def resolve(token, ids, where):
    token = token.strip()
    if re.fullmatch(r"-?\d+|0[xX][0-9a-fA-F]+", token):
        return int(token, 0)
    if token in ids:
        return ids[token]
    raise HelpError(f"{where}: unknown identifier {token}")


def split_args(text):
    """Comma-separated arguments; commas inside quotes do not count."""
    args, current, quoted = [], "", False
    for ch in text:
        if ch == '"':
            quoted = not quoted
        if ch == "," and not quoted:
            args.append(current.strip())
            current = ""
        else:
            current += ch
    if current.strip():
        args.append(current.strip())
    return args


def statements(lines):
    """Joins continuation lines to the statement they belong to."""
    joined = []
    for raw in lines:
        line = re.sub(r"//.*$", "", raw).rstrip()
        if not line.strip():
            continue
        first = line.split()[0].upper()
        if joined and raw[:1].isspace() and first not in CONTROL_KEYWORDS | {
                "BEGIN", "END", "MENUITEM", "POPUP", "BUTTON", "SEPARATOR"} and not first.startswith("VK_") \
                and not first.startswith('"') and joined[-1][1]:
            joined[-1] = (joined[-1][0] + " " + line.strip(), True)
            continue
        joined.append((line.strip(), first in CONTROL_KEYWORDS))
    return [text for text, _ in joined]


class Resources:
    """What the resource scripts define: dialogs with their controls, and
    the commands of menus, toolbars and accelerator tables."""

    def __init__(self, res_dir):
        self.ids = read_defines(os.path.join(res_dir, "resource.h"))
        self.dialogs = {}   # number -> (name, [control numbers])
        self.commands = {}  # number -> name
        for name in sorted(os.listdir(res_dir)):
            if name.endswith(".rc"):
                self._read(os.path.join(res_dir, name))

    def _read(self, path):
        with open(path, encoding="cp1251") as f:
            lines = statements(f.readlines())
        block, depth, dialog = None, 0, None
        for line in lines:
            words = line.split()
            head = words[0].upper()
            if depth == 0 and len(words) >= 2 and words[1].upper() in (
                    "DIALOG", "DIALOGEX", "MENU", "MENUEX", "TOOLBAR", "ACCELERATORS"):
                block = words[1].upper()
                if block.startswith("DIALOG"):
                    number = resolve(words[0], self.ids, path)
                    dialog = self.dialogs.setdefault(number, (words[0], []))
                continue
            if head == "BEGIN":
                depth += 1
                continue
            if head == "END":
                depth -= 1
                if depth == 0:
                    block, dialog = None, None
                continue
            if depth == 0 or block is None:
                continue
            if block.startswith("DIALOG") and head in CONTROL_KEYWORDS:
                args = split_args(line[len(words[0]):])
                position = 0 if head in ID_FIRST else 1
                if len(args) > position:
                    number = resolve(args[position], self.ids, path)
                    if number not in (-1, 0xFFFF) and number not in dialog[1]:
                        dialog[1].append(number)
            elif block.startswith("MENU") and head == "MENUITEM" and "SEPARATOR" not in line.upper():
                args = split_args(line[len("MENUITEM"):])
                if len(args) >= 2:
                    self.commands[resolve(args[1], self.ids, path)] = args[1]
            elif block == "TOOLBAR" and head == "BUTTON":
                self.commands[resolve(words[1], self.ids, path)] = words[1]
            elif block == "ACCELERATORS":
                args = split_args(line)
                if len(args) >= 2:
                    self.commands[resolve(args[1], self.ids, path)] = args[1]

    def control_ids(self):
        return sorted({c for _, controls in self.dialogs.values() for c in controls})


# ---- topics ----

class TopicReader(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.contexts, self.title, self.charset, self._in_title = [], "", "", False

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if tag == "meta" and attrs.get("name") == "help-context":
            self.contexts.extend(attrs.get("content", "").split())
        if tag == "meta" and "charset=" in attrs.get("content", ""):
            self.charset = attrs["content"].split("charset=")[1].strip().lower()
        if tag == "title":
            self._in_title = True

    def handle_endtag(self, tag):
        if tag == "title":
            self._in_title = False

    def handle_data(self, data):
        if self._in_title:
            self.title += data


def project_path(help_dir):
    """The one project file of the help directory."""
    names = sorted(n for n in os.listdir(help_dir) if n.lower().endswith(".hhp"))
    if len(names) != 1:
        raise HelpError(f"{help_dir}: expected one .hhp project file, found {len(names) or 'none'}")
    return os.path.join(help_dir, names[0])


def project_sections(hhp):
    """section name -> its lines; read as Latin-1, the names and options
    being ASCII."""
    sections, section = {}, None
    with open(hhp, encoding="latin-1") as f:
        for line in f:
            line = line.strip()
            if line.startswith("["):
                section = line.upper()
                sections.setdefault(section, [])
            elif line and not line.startswith(";") and section:
                sections[section].append(line)
    return sections


def project_files(hhp):
    """The [FILES] section of the project."""
    return project_sections(hhp).get("[FILES]", [])


def project_option(hhp, name):
    for line in project_sections(hhp).get("[OPTIONS]", []):
        key, _, value = line.partition("=")
        if key.strip().lower() == name.lower():
            return value.strip()
    return None


def code_page(hhp):
    """The Python codec of the project's language."""
    language = (project_option(hhp, "Language") or "").split()
    try:
        return CODE_PAGES[int(language[0], 0)]
    except (IndexError, ValueError, KeyError):
        raise HelpError(f"{hhp}: Language must be one of "
                        + ", ".join(hex(lcid) for lcid in CODE_PAGES)) from None


def topic_contexts(help_dir, ids):
    """topic file -> the context numbers its help-context tags claim."""
    hhp = project_path(help_dir)
    codec = code_page(hhp)
    charset = "windows-" + codec[2:]
    topics = {}
    for name in project_files(hhp):
        if not name.lower().endswith(".htm"):
            continue
        with open(os.path.join(help_dir, name), encoding=codec) as f:
            reader = TopicReader()
            reader.feed(f.read())
        if reader.charset != charset:
            raise HelpError(f"{name}: the meta charset must be {charset}")
        numbers = []
        for token in reader.contexts:
            if "-" in token[1:]:
                low, high = token.split("-", 1)
                numbers += range(resolve(low, ids, name), resolve(high, ids, name) + 1)
            else:
                numbers.append(resolve(token, ids, name))
        topics[name] = numbers
    return topics


def context_map(help_dir, ids):
    """number -> topic file, from the topics' help-context tags."""
    mapping = {}
    for name, numbers in topic_contexts(help_dir, ids).items():
        for number in numbers:
            if number in mapping and mapping[number] != name:
                raise HelpError(f"context {number} claimed by {mapping[number]} and {name}")
            mapping[number] = name
    return mapping


def popup_ids(path):
    with open(path, encoding="latin-1") as f:
        return sorted(int(m.group(1), 0) for m in re.finditer(r"^\.topic\s+(\S+)", f.read(), re.M))


def compare_languages(reference_dir, help_dir, ids):
    """Faults where the help of help_dir differs from that of reference_dir
    in its topic files, the context numbers of a topic or its popup ids."""
    faults = []
    theirs, ours = topic_contexts(reference_dir, ids), topic_contexts(help_dir, ids)
    faults += [f"topic {name} of {reference_dir} is missing from {help_dir}"
               for name in sorted(set(theirs) - set(ours))]
    faults += [f"topic {name} of {help_dir} is missing from {reference_dir}"
               for name in sorted(set(ours) - set(theirs))]
    for name in sorted(set(theirs) & set(ours)):
        if sorted(set(theirs[name])) != sorted(set(ours[name])):
            only_theirs = sorted(set(theirs[name]) - set(ours[name]))
            only_ours = sorted(set(ours[name]) - set(theirs[name]))
            faults.append(f"{name}: context numbers differ: only in {reference_dir}: {only_theirs or 'none'}, "
                          f"only in {help_dir}: {only_ours or 'none'}")
    popups = {d: set(popup_ids(os.path.join(d, "cshelp.txt"))) for d in (reference_dir, help_dir)}
    for have, lack in ((reference_dir, help_dir), (help_dir, reference_dir)):
        faults += [f"popup id {number} of {have}/cshelp.txt is missing from {lack}/cshelp.txt"
                   for number in sorted(popups[have] - popups[lack])]
    return faults


def check(resources, mapping, popups):
    """Faults that fail the build, and warnings."""
    faults = [f"dialog {name} ({number}) has no help topic"
              for number, (name, _) in sorted(resources.dialogs.items()) if number & 0xFFFF not in mapping]
    warnings = [f"command {name} ({number}) has no help topic"
                for number, name in sorted(resources.commands.items()) if number & 0xFFFF not in mapping]
    warnings += [f"control {number} has no text popup"
                 for number in resources.control_ids() if number not in popups]
    return faults, warnings


# ---- the compiled file ----

def encint(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(out))


def read_encint(data, pos):
    value = 0
    while True:
        byte = data[pos]
        pos += 1
        value = (value << 7) | (byte & 0x7F)
        if not byte & 0x80:
            return value, pos


class ChmFile:
    """The directory of an ITSF file: entries (name, section, offset,
    length) in directory order, and content section 0."""

    def __init__(self, data):
        if data[:4] != b"ITSF":
            raise HelpError("not an ITSF file")
        self.header = bytearray(data[:struct.unpack_from("<I", data, 8)[0]])
        self.version = struct.unpack_from("<I", data, 4)[0]
        hs0, _, hs1, hs1_len = struct.unpack_from("<4Q", data, 0x38)
        self.hs0 = bytearray(data[hs0:hs0 + 0x18])
        self.directory = data[hs1:hs1 + hs1_len]
        content0 = struct.unpack_from("<Q", data, 0x58)[0] if self.version >= 3 else hs1 + hs1_len
        self.section0 = data[content0:]
        itsp = self.directory
        if itsp[:4] != b"ITSP":
            raise HelpError("no ITSP directory")
        self.itsp_header = bytearray(itsp[:struct.unpack_from("<I", itsp, 8)[0]])
        (self.chunk_size, self.density, self.depth, _, first, _) = struct.unpack_from(
            "<IIIiii", itsp, 0x10)
        self.entries = []
        chunk = first
        while chunk != -1:
            base = len(self.itsp_header) + chunk * self.chunk_size
            page = itsp[base:base + self.chunk_size]
            if page[:4] != b"PMGL":
                raise HelpError("broken directory chunk")
            free, _, _, chunk = struct.unpack_from("<IIii", page, 4)
            pos, end = 20, self.chunk_size - free
            while pos < end:
                length, pos = read_encint(page, pos)
                name = bytes(page[pos:pos + length])
                pos += length
                section, pos = read_encint(page, pos)
                offset, pos = read_encint(page, pos)
                size, pos = read_encint(page, pos)
                self.entries.append([name, section, offset, size])

    def _chunk(self, magic, entries, extra):
        """One directory chunk with its quick-reference area."""
        interval = 1 + (1 << self.density)
        body, starts = b"", []
        for entry in entries:
            starts.append(len(body))
            body += entry
        # As chmcmd writes it: the offsets, within the entries, of every
        # interval-th entry, last first.
        quickref = [starts[i] for i in range(interval - 1, len(entries), interval)]
        tail = b"".join(struct.pack("<H", q) for q in reversed(quickref))
        tail += struct.pack("<H", len(entries))
        head_len = 20 if magic == b"PMGL" else 8
        if head_len + len(body) + len(tail) > self.chunk_size:
            return None
        free = self.chunk_size - head_len - len(body)
        head = magic + struct.pack("<I", free) + extra
        return head + body + b"\0" * (free - len(tail)) + tail

    def _directory(self):
        encoded = [encint(len(n)) + n + encint(s) + encint(o) + encint(l) for n, s, o, l in self.entries]
        groups, current = [], []
        for index, item in enumerate(encoded):
            if current and self._chunk(b"PMGL", [encoded[i] for i in current] + [item], b"\0" * 12) is None:
                groups.append(current)
                current = []
            current.append(index)
        groups.append(current)
        chunks = []
        for number, group in enumerate(groups):
            prev = number - 1 if number > 0 else -1
            nxt = number + 1 if number + 1 < len(groups) else -1
            chunks.append(self._chunk(b"PMGL", [encoded[i] for i in group],
                                      struct.pack("<Iii", 0, prev, nxt)))
        depth, root = 1, -1
        if len(groups) > 1:
            index = [encint(len(self.entries[g[0]][0])) + self.entries[g[0]][0] + encint(number)
                     for number, g in enumerate(groups)]
            page = self._chunk(b"PMGI", index, b"")
            if page is None:
                raise HelpError("directory too large for one index chunk")
            depth, root = 2, len(chunks)
            chunks.append(page)
        header = bytearray(self.itsp_header)
        struct.pack_into("<IiiiiI", header, 0x18, depth, root, 0, len(groups) - 1, -1, len(chunks))
        return bytes(header) + b"".join(chunks)

    def serialize(self):
        directory = self._directory()
        header = bytearray(self.header)
        hs0_off = len(header)
        hs1_off = hs0_off + len(self.hs0)
        content0 = hs1_off + len(directory)
        total = content0 + len(self.section0)
        struct.pack_into("<4Q", header, 0x38, hs0_off, len(self.hs0), hs1_off, len(directory))
        if self.version >= 3:
            struct.pack_into("<Q", header, 0x58, content0)
        hs0 = bytearray(self.hs0)
        struct.pack_into("<Q", hs0, 8, total)
        return bytes(header) + bytes(hs0) + directory + self.section0

    def store(self, name, data):
        """Stores `name` anew, uncompressed, at the end of section 0; a new
        name takes its place in the directory's order."""
        entry = [name, 0, len(self.section0), len(data)]
        self.section0 += data
        for index, old in enumerate(self.entries):
            if old[0] == name:
                self.entries[index] = entry
                return
            if old[0].lower() > name.lower():
                self.entries.insert(index, entry)
                return
        self.entries.append(entry)


def chm_files(path, workdir):
    """Every file of the .chm, extracted with chmlib's extract_chmLib."""
    if os.path.isdir(workdir):
        shutil.rmtree(workdir)
    subprocess.run(["extract_chmLib", path, workdir], check=True, stdout=subprocess.DEVNULL)
    files = {}
    for root, _, names in os.walk(workdir):
        for name in names:
            full = os.path.join(root, name)
            with open(full, "rb") as f:
                files["/" + os.path.relpath(full, workdir)] = f.read()
    return files


def write_context_table(data, files, mapping, codec="cp1251"):
    """The file with a context table (#IVB) of `mapping`; the topics' names
    are appended to #STRINGS, whose earlier offsets stay valid."""
    strings = bytearray(files.get("/#STRINGS", b"\0"))
    offsets, pairs = {}, []
    for context in sorted(mapping):
        name = mapping[context]
        if "/" + name not in files:
            raise HelpError(f"context {context} names {name}, which the file lacks")
        if name not in offsets:
            offsets[name] = len(strings)
            strings += name.encode(codec) + b"\0"
        pairs.append(struct.pack("<II", context, offsets[name]))
    ivb = struct.pack("<I", 8 * len(pairs)) + b"".join(pairs)
    chm = ChmFile(data)
    if chm.serialize() != data:
        raise HelpError("the directory of the .chm does not survive rewriting unchanged")
    chm.store(b"/#STRINGS", bytes(strings))
    chm.store(b"/#IVB", ivb)
    return chm.serialize()


def write_text(path, text, codec):
    with open(path, "w", encoding=codec, newline="\r\n") as f:
        f.write(text)


def build(args):
    resources = Resources(args.res_dir)
    hhp = project_path(args.help_dir)
    codec = code_page(hhp)
    mapping = context_map(args.help_dir, resources.ids)
    popups = popup_ids(os.path.join(args.help_dir, "cshelp.txt"))
    faults, warnings = check(resources, mapping, popups)
    if args.compare:
        faults += compare_languages(args.compare, args.help_dir, resources.ids)
    for warning in warnings:
        print(f"build_help: warning: {warning}", file=sys.stderr)
    if faults:
        raise HelpError("; ".join(faults))

    stage = os.path.abspath(args.stage)
    if os.path.isdir(stage):
        shutil.rmtree(stage)
    os.makedirs(stage)
    names = project_files(hhp)
    for name in names + ["Contents.hhc", "Index.hhk"]:
        shutil.copy(os.path.join(args.help_dir, name), os.path.join(stage, name))
    with open(hhp, encoding=codec) as f:
        project = f.read().rstrip() + "\n"
    # chmcmd keeps one context per topic file, so its project has none; the
    # complete [ALIAS] and [MAP] go into the staged project for the record,
    # and the context table into the compiled file.
    write_text(os.path.join(stage, "chmcmd.hhp"), project, codec)
    project += "\n[ALIAS]\n" + "".join(f"IDH_{n}={mapping[n]}\n" for n in sorted(mapping))
    project += "\n[MAP]\n" + "".join(f"#define IDH_{n} {n}\n" for n in sorted(mapping))
    write_text(os.path.join(stage, os.path.basename(hhp)), project, codec)

    result = subprocess.run([args.chmcmd, "--no-html-scan", "chmcmd.hhp"], cwd=stage,
                            capture_output=True, text=True, errors="replace")
    compiled = os.path.join(stage, project_option(hhp, "Compiled file") or "")
    if result.returncode != 0 or not os.path.isfile(compiled) or "Error" in result.stdout:
        raise HelpError("chmcmd failed:\n" + result.stdout + result.stderr)
    with open(compiled, "rb") as f:
        data = f.read()
    files = chm_files(compiled, os.path.join(stage, "extracted"))
    data = write_context_table(data, files, mapping, codec)
    with open(args.out, "wb") as f:
        f.write(data)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--help-dir", required=True)
    parser.add_argument("--res-dir", required=True)
    parser.add_argument("--stage", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--chmcmd", default="chmcmd")
    parser.add_argument("--compare", help="help directory of another language to match")
    args = parser.parse_args()
    try:
        build(args)
    except (HelpError, OSError, subprocess.CalledProcessError) as err:
        sys.exit(f"build_help: {err}")


if __name__ == "__main__":
    main()
