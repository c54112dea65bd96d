#!/usr/bin/env python3
"""The differential check's scenarios, trees and comparison.

Each scenario of the table (differential.scenarios) runs once under Wine,
through torvex.dll (differential.js), and once through the Linux `torvex`
command over the POSIX back end. Both start from the same trees; afterwards
the method results and the trees (names, sizes, checksums, read-only flags,
upload archives by their members, ContDown.dat without the creation times,
every other file by its bytes) must be the same, except for the differences a
scenario allows under the name of a documented Wine departure
(docs/wine-departures.md), each of which must then be seen.

  differential.py prepare TABLE WORK WINE_C WINE_T CALLS CLI
      makes each scenario's trees under WORK/pristine, copies them to the
      Wine drives C: and T: (folder dfx), and writes the calls for
      differential.js to CALLS (UTF-16).
  differential.py compare TABLE WORK WINE_C WINE_T LINUX_T WINE_OUTPUT CLI DEPARTURES TELVORIN
      runs each scenario through CLI on a fresh copy of the pristine trees
      (drive C: in WORK, T: in LINUX_T, which is on another file system),
      at the time the Wine run read before (or after) the scenario, compares,
      and prints one line a scenario (same, documented, DIFFERS) and the
      counts; exits 1 when any scenario differs otherwise.

A scenario's root is C:\\dfx\\NAME; its second volume's folder T:\\dfx\\NAME.
"""
import collections
import hashlib
import os
import re
import shutil
import stat
import struct
import subprocess
import sys
import tempfile
import time

# Where a method takes a number (a long), by its position.
LONG_ARGUMENT = {"geraArquivoUpload": 3, "recuperaArquivoUpload": 1}
STAMP = "000017.01+202612051403+"
SOURCE_TIME = time.mktime((2026, 12, 5, 14, 3, 59, 0, 0, -1))  # every file the trees start with
DRIVES = ("C", "T")
WINDOWS_ANSI = "cp1252"  # the Wine prefix's ANSI code page, a Western system's


# calls: (method, [argument...]); allowed: {difference's key: departure}.
Scenario = collections.namedtuple("Scenario", "line_number name setup calls allowed")


def decoded(text):
    """A table text as bytes: %HH is that byte, anything else its UTF-8."""
    return re.sub(rb"%([0-9A-Fa-f]{2})", lambda m: bytes([int(m.group(1), 16)]), text.encode("utf-8"))


def read_table(path):
    """Lines NAME | SETUP | CALLS | ALLOWED; # begins a comment line."""
    scenarios, names = [], set()
    with open(path, encoding="utf-8") as table:
        for number, line in enumerate(table, 1):
            line = line.rstrip("\n")
            if not line.strip() or line.lstrip().startswith("#"):
                continue
            columns = [c.strip() for c in line.split(" | ")]
            if len(columns) != 4 or not re.fullmatch(r"[a-z0-9-]+", columns[0]) or columns[0] in names:
                sys.exit(f"{path}:{number}: not NAME | SETUP | CALLS | ALLOWED with a new name")
            name, setup, calls, allowed = columns
            names.add(name)
            scenarios.append(Scenario(number, name, setup.split() if setup != "-" else [],
                                      [parse_call(name, c) for c in calls.split(" ; ")],
                                      parse_allowed(path, number, allowed)))
    return scenarios


def with_places(text, name):
    text = re.sub(r"@A([0-9]+)", lambda m: "A" * int(m.group(1)), text)
    return text.replace("@LONG", "A" * 300).replace("@R", f"C:\\dfx\\{name}").replace("@T", f"T:\\dfx\\{name}")


def parse_call(name, text):
    words = text.split()
    return words[0], [decoded(with_places("" if w == '""' else w, name)).decode("utf-8") for w in words[1:]]


def parse_allowed(path, number, text):
    """'-' or DEPARTURE=KEY,KEY... separated by blanks: KEY #N (the Nth call's
    result) or a path under the scenario's folders (C/... or T/...)."""
    allowed = {}
    if text == "-":
        return allowed
    for item in text.split():
        departure, _, keys = item.partition("=")
        if not re.fullmatch(r"W[0-9]+", departure) or not keys:
            sys.exit(f"{path}:{number}: '{item}' is not Wn=KEY,KEY...")
        for key in keys.split(","):
            allowed[key] = departure
    return allowed


# --- Trees --------------------------------------------------------------------------
def place(base, name, spec):
    """A setup path: T:REL is on the second volume, anything else under C:."""
    drive, rel = ("T", spec[2:]) if spec.startswith("T:") else ("C", spec)
    return os.path.join(base, drive, "dfx", name, *decoded(rel).decode("utf-8").split("/"))


def received_archive(cli, base, scenario, spec):
    """rx:PATH,FI,DISPOSITION,DATA[,STAMP]: the archive PATH (INTRAY/WORK/PATH
    when it has no /) holding BASE.FN (absent when FI is -) and BASE.ARQ
    (absent when DATA is -), BASE being its name up to the first dot."""
    fields = spec.split(",")
    path, fi, disposition, data = fields[:4]
    stamp = fields[4] if len(fields) > 4 else STAMP
    path = path if "/" in path else "INTRAY/WORK/" + path
    target = place(base, scenario, path)
    name = os.path.basename(target)
    stem = name.split(".")[0]
    with tempfile.TemporaryDirectory() as scratch:
        members = []
        if fi != "-":
            members.append(f"{stem}.FN")
            with open(os.path.join(scratch, members[-1]), "wb") as f:
                f.write(b"\r\n".join(decoded(x) for x in (fi, stamp, disposition)) + b"\r\n")
        if data != "-":
            members.append(f"{stem}.ARQ")
            with open(os.path.join(scratch, members[-1]), "wb") as f:
                f.write(decoded(data))
        for member in members:
            level = subprocess.run([cli, "arj", f'a "{name}" "{member}"'], cwd=scratch,
                                   capture_output=True, text=True).stdout.strip()
            if level != "0":
                sys.exit(f"differential: cannot make {name}: arj level {level}")
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.move(os.path.join(scratch, name), target)


def make_trees(scenario, base, cli):
    for drive in DRIVES:
        os.makedirs(os.path.join(base, drive, "dfx", scenario.name), exist_ok=True)
    read_only = []
    for item in scenario.setup:
        kind, _, spec = with_places(item, scenario.name).partition(":")
        if kind == "f":
            path, _, text = spec.partition("=")
            target = place(base, scenario.name, path)
            os.makedirs(os.path.dirname(target), exist_ok=True)
            with open(target, "wb") as f:
                f.write(decoded(text))
        elif kind == "d":
            os.makedirs(place(base, scenario.name, spec), exist_ok=True)
        elif kind == "rx":
            received_archive(cli, base, scenario.name, spec)
        elif kind == "cut":
            path, _, size = spec.partition("=")
            path = place(base, scenario.name, path)
            os.truncate(path, int(size) if int(size) >= 0 else os.path.getsize(path) + int(size))
        elif kind == "ro":
            read_only.append(place(base, scenario.name, spec))
        else:
            sys.exit(f"line {scenario.line_number}: setup '{item}' is not f:, d:, rx:, cut: or ro:")
    for drive in DRIVES:
        for folder, _, files in os.walk(os.path.join(base, drive, "dfx", scenario.name)):
            for name in files:
                os.utime(os.path.join(folder, name), (SOURCE_TIME, SOURCE_TIME))
    for path in read_only:
        os.chmod(path, 0o444)


def copy_trees(name, source, target_of):
    for drive in DRIVES:
        target = os.path.join(target_of[drive], "dfx", name)
        remove(target)
        shutil.copytree(os.path.join(source, drive, "dfx", name), target, symlinks=True)


def remove(path):
    def writable(function, p, _):
        os.chmod(os.path.dirname(p), 0o755)
        os.chmod(p, 0o755)
        function(p)
    if os.path.lexists(path):
        shutil.rmtree(path, onerror=writable)


# --- What a tree holds --------------------------------------------------------------
def arj_time(host, value):
    """A member's time to the DOS format's two seconds, which the Windows
    build's archives (host DOS) keep."""
    if host == 2:  # Unix seconds
        return time.strftime("%Y-%m-%d %H:%M:%S", time.localtime(value - value % 2))
    d, t = value >> 16, value & 0xFFFF
    return "%04d-%02d-%02d %02d:%02d:%02d" % (
        1980 + (d >> 9), (d >> 5) & 15, d & 31, t >> 11, (t >> 5) & 63, (t & 31) * 2)


def archive_summary(data, encoding):
    """An archive as its members: what the platform writes differently (the
    host field with its time encoding and access modes, the header times, the
    clock-derived bytes, names in its code page) is left out or decoded."""
    out, position, first = [], 0, True
    while True:
        if data[position:position + 2] != b"\x60\xea":
            return out + [f"no header at {position}"]
        size = struct.unpack_from("<H", data, position + 2)[0]
        if size == 0:
            return out + ([f"{len(data) - position - 4} bytes after the end"] if len(data) > position + 4 else [])
        header = data[position + 4:position + 4 + size]
        fhs = header[0]
        names = [n.decode(encoding, "backslashreplace") for n in header[fhs:].split(b"\0")]
        host, flags = header[3], header[4] & ~0x10  # 0x10: path separators as the host writes them
        position += 8 + size
        while True:  # extended headers
            ext = struct.unpack_from("<H", data, position)[0]
            position += 2 + (ext + 4 if ext else 0)
            if not ext:
                break
        if first:
            out.append(f"archive versions {header[1]}/{header[2]} flags {flags} name {names[0]} comment {names[1]!r}")
            first = False
            continue
        method, modified, packed, original, crc, mode = (
            header[5], *struct.unpack_from("<IIII", header, 8), struct.unpack_from("<H", header, 26)[0])
        read_only = bool(mode & 1) if host != 2 else not mode & 0o200
        payload = data[position:position + packed]
        position += packed
        out.append(f"member {names[0]} versions {header[1]}/{header[2]} flags {flags} method {method} "
                   f"type {header[6]} modified {arj_time(host, modified)} sizes {packed}/{original} "
                   f"crc {crc:08x} read-only {read_only} comment {names[1]!r} "
                   f"data {hashlib.sha256(payload).hexdigest()[:16]}")


def control_file_lines(data, encoding):
    """ContDown.dat with every record's creation time (its fifth line) masked."""
    lines = data.split(b"\r\n")
    return [("<time>" if i % 5 == 4 and re.fullmatch(rb"\d\d/\d\d/\d{4} \d\d:\d\d:\d\d", line)
             else line.decode(encoding, "backslashreplace")) for i, line in enumerate(lines)]


def snapshot(base, name, encoding):
    """{key: description}: a key is DRIVE/RELATIVE-PATH. The texts TORVEX
    writes (ContDown.dat, upload records, names in archives) are in the ANSI
    code page of the platform, ENCODING, and compared as the text they hold."""
    items = {}
    for drive in DRIVES:
        top = os.path.join(base[drive], "dfx", name)
        for folder, dirs, files in os.walk(top):
            for entry in dirs + files:
                path = os.path.join(folder, entry)
                key = drive + "/" + os.path.relpath(path, top)
                info = os.lstat(path)
                if stat.S_ISDIR(info.st_mode):
                    items[key] = "folder"
                    continue
                with open(path, "rb") as f:
                    data = f.read()
                read_only = "read-only " if not info.st_mode & stat.S_IWUSR else ""
                if entry.lower() == "contdown.dat":
                    body = " | ".join(control_file_lines(data, encoding))
                elif entry.upper().endswith(".DAT") and os.path.basename(folder).upper() == "WORK":
                    body = " | ".join(data.decode(encoding, "backslashreplace").split("\r\n"))
                elif data[:2] == b"\x60\xea":
                    body = " | ".join(archive_summary(data, encoding))
                else:
                    body = f"{len(data)} bytes {hashlib.sha256(data).hexdigest()[:16]}"
                items[key] = read_only + body
    return items


# --- Runs ---------------------------------------------------------------------------
def escaped(text):
    return "".join(c if " " <= c <= "~" and c != "\\" else "\\u%04x" % ord(c) for c in text)


def linux_results(scenario, cli, base, registry, moment):
    env = dict(os.environ, TZ="UTC", TORVEX_NOW=moment, TORVEX_REGISTRY=registry,
               TORVEX_DRIVES=";".join(f"{d}={base[d]}" for d in DRIVES))
    env.pop("TORVEX_WINVER", None)
    results = []
    for method, arguments in scenario.calls:
        run = subprocess.run([cli, method, *arguments], env=env, capture_output=True, cwd=base["C"])
        out = run.stdout.decode("utf-8", "backslashreplace").rstrip("\n")
        results.append(escaped(out) if run.returncode == 0 else f"exit {run.returncode}: {run.stderr!r}")
    return results


def wine_results(path):
    """{scenario: (start, end, [results])} from differential.js's output."""
    runs = {}
    with open(path, encoding="utf-8", errors="backslashreplace") as output:
        for line in output:
            kind, name, value = (line.rstrip("\r\n").split("\t", 2) + ["", ""])[:3]
            if kind == "start":
                runs[name] = [value, None, []]
            elif kind == "call" and name in runs:
                runs[name][2].append(value)
            elif kind == "end" and name in runs:
                runs[name][1] = value
    return runs


def differences(scenario, wine, linux, wine_tree, linux_tree):
    found = {}
    for i, call in enumerate(scenario.calls):
        w = wine[i] if i < len(wine) else "(not called)"
        if w != linux[i]:
            found[f"#{i + 1}"] = f"{call[0]}: Wine {w!r}, Linux {linux[i]!r}"
    for key in sorted(set(wine_tree) | set(linux_tree)):
        w, l = wine_tree.get(key, "absent"), linux_tree.get(key, "absent")
        if w != l:
            found[key] = f"Wine {w}; Linux {l}"
    return found


def prepare(table, work, wine_c, wine_t, calls_path, cli):
    scenarios = read_table(table)
    pristine = os.path.join(work, "pristine")
    remove(pristine)
    lines = []
    for scenario in scenarios:
        make_trees(scenario, pristine, cli)
        copy_trees(scenario.name, pristine, {"C": wine_c, "T": wine_t})
        for method, arguments in scenario.calls:
            fields = [f"{'n' if LONG_ARGUMENT.get(method) == i else 's'}:{a}" for i, a in enumerate(arguments)]
            lines.append("\t".join([scenario.name, method, *fields]))
    with open(calls_path, "w", encoding="utf-16", newline="\r\n") as calls:
        calls.write("\n".join(lines) + "\n")


def compare(table, work, wine_c, wine_t, linux_t, wine_output, cli, departures_doc, telvorin):
    scenarios = read_table(table)
    with open(departures_doc, encoding="utf-8") as doc:
        documented = set(re.findall(r"^## (W[0-9]+):", doc.read(), re.M))
    registry = os.path.join(work, "registry.reg")
    with open(registry, "w", encoding="utf-8") as reg:
        reg.write("Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Norvalis\\Telvorin]\n"
                  f"\"Telvorin\"=\"{telvorin.replace(chr(92), chr(92) * 2)}\"\n")
    runs = wine_results(wine_output)
    linux_base = {"C": os.path.join(work, "linux-c"), "T": linux_t}
    counts = {"same": 0, "documented": 0, "DIFFERS": 0}
    for scenario in scenarios:
        unknown = sorted(set(scenario.allowed.values()) - documented)
        if scenario.name not in runs or runs[scenario.name][1] is None:
            verdict, notes = "DIFFERS", ["the Wine run did not finish it"]
        elif unknown:
            verdict, notes = "DIFFERS", [f"allows {', '.join(unknown)}, which docs/wine-departures.md does not name"]
        else:
            start, end, wine = runs[scenario.name]
            wine_tree = snapshot({"C": wine_c, "T": wine_t}, scenario.name, WINDOWS_ANSI)
            # The Wine run read the clock before and after; the Linux run is
            # made at each, the first that agrees counts.
            for moment in dict.fromkeys([start, end]):
                copy_trees(scenario.name, os.path.join(work, "pristine"), linux_base)
                linux = linux_results(scenario, cli, linux_base, registry, moment)
                found = differences(scenario, wine, linux, wine_tree, snapshot(linux_base, scenario.name, "utf-8"))
                if not set(found) - set(scenario.allowed):
                    break
            unexpected = {k: v for k, v in found.items() if k not in scenario.allowed}
            unseen = sorted(k for k in scenario.allowed if k not in found)
            notes = [f"{k}: {v}" for k, v in unexpected.items()]
            notes += [f"{k}: the same, although {scenario.allowed[k]} is expected to make it differ" for k in unseen]
            if notes:
                verdict = "DIFFERS"
                notes += [f"{k} ({scenario.allowed[k]}, allowed): {v}" for k, v in found.items() if k in scenario.allowed]
            elif found:
                verdict = "documented"
                notes = [f"{scenario.allowed[k]} {k}: {v}" for k, v in found.items()]
            else:
                verdict = "same"
        counts[verdict] += 1
        departures = sorted(set(scenario.allowed.values()))
        print(f"{verdict} {scenario.name}" + (f" ({', '.join(departures)})" if verdict == "documented" else ""))
        for note in notes:
            print(f"     | {note}")
    print(f"differential: {len(scenarios)} scenarios ran, {counts['same']} same, "
          f"{counts['documented']} differing as documented, {counts['DIFFERS']} differing")
    return 1 if counts["DIFFERS"] else 0


if __name__ == "__main__":
    command, arguments = sys.argv[1], sys.argv[2:]
    if command == "prepare" and len(arguments) == 6:
        prepare(*arguments)
    elif command == "compare" and len(arguments) == 9:
        sys.exit(compare(*arguments))
    else:
        sys.exit(__doc__)
