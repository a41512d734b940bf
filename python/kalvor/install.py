"""kalvor-install: installs the data of KALVOR, its examples and information
files into a data directory, registers that directory in kalvor.conf (where
the library looks for its data) and adds a KALPY menu.

    kalvor-install [--prefix DIR | --system] [--source DIR] [--dry-run] [--uninstall]

pip installs the module itself; this command only lays out the data tree.
Every file and directory it makes is recorded (size, SHA-256) in a manifest,
which is what --uninstall removes. Files the user changed or added are kept.
"""
import argparse
import hashlib
import json
import os
import shutil
import sys

TITLE = "KALVOR/Python Setup"
CONF_NAME = "kalvor.conf"
MANIFEST_NAME = "kalvor-install.json"
MAP_FILES = ["map1.dat", "map2.dat", "map3.dat", "map4.dat"]
# The Windows programs of the original file table have no counterpart here.
WINDOWS_PROGRAMS = ["kalman.exe", "kalhlp.exe"] + [
    f"{name}{suffix}" for name in ("kaldrv", "kaltif", "kalgif", "kalimg", "kalmov")
    for suffix in (".bat", "_w.exe", "_x.exe")] + ["kalgdi_x.exe", "readme.exe"]


def _version():
    try:
        from importlib import metadata
        return metadata.version("kalvor")
    except Exception:  # a build tree: no distribution metadata
        return "9.1.0"


def _home_dir(variable, fallback):
    value = os.environ.get(variable, "")
    if os.path.isabs(value):
        return value
    return os.path.join(os.path.expanduser("~"), fallback)


class Layout:
    """Where everything goes, for one user or for the system."""

    def __init__(self, prefix, system):
        data_home = _home_dir("XDG_DATA_HOME", os.path.join(".local", "share"))
        config_home = _home_dir("XDG_CONFIG_HOME", ".config")
        if system:
            self.prefix = prefix or "/usr/local/share/kalvor"
            self.config = "/etc/kalvor/" + CONF_NAME
            self.manifest = "/etc/kalvor/" + MANIFEST_NAME
            share, menus = "/usr/local/share", "/etc/xdg/menus"
        else:
            self.prefix = prefix or os.path.join(data_home, "kalvor")
            self.config = os.path.join(config_home, "kalvor", CONF_NAME)
            self.manifest = os.path.join(data_home, MANIFEST_NAME)
            share, menus = data_home, os.path.join(config_home, "menus")
        self.prefix = os.path.abspath(self.prefix)
        self.directory_entry = os.path.join(share, "desktop-directories", "kalvor-kalpy.directory")
        self.menu = os.path.join(menus, "applications-merged", "kalvor-kalpy.menu")
        self.desktop = [os.path.join(share, "applications", f"kalvor-{name}.desktop") for name in ("kalvor", "readme")]


def medium_rows(source):
    """(source file, destination relative to the data directory) of the medium:
    the installed package (data/, examples/, README.md, NOTICE beside this
    file) or a source tree (python/kalvor/data, examples/ at its top)."""
    if os.path.isdir(os.path.join(source, "python", "kalvor")):
        data, examples = os.path.join(source, "python", "kalvor", "data"), os.path.join(source, "examples")
    else:
        data, examples = os.path.join(source, "data"), os.path.join(source, "examples")
    rows = [(os.path.join(data, "map", name), os.path.join("map", name)) for name in MAP_FILES]
    # examples/gallery.py with its gallery/ folder, and the first plots of examples/python
    for top, dest in ((examples, "python"), (os.path.join(examples, "python"), "python")):
        for name in sorted(os.listdir(top)) if os.path.isdir(top) else []:
            path = os.path.join(top, name)
            if os.path.isfile(path) and name.endswith(".py"):
                rows.append((path, os.path.join(dest, name)))
            elif os.path.isdir(path) and name.startswith("gallery"):
                rows += [(os.path.join(path, f), os.path.join(dest, name, f))
                         for f in sorted(os.listdir(path)) if f.endswith(".py")]
    rows += [(os.path.join(source, name), name) for name in ("README.md", "NOTICE")]
    return rows


def file_digest(path):
    h = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            h.update(block)
    return h.hexdigest()


def desktop_quote(arg):
    """One argument of an Exec line: quoted as desktop entries quote it
    (\\ " ` $ escaped inside the quotes), "%" doubled
    (field codes), then the backslashes doubled again for the string value."""
    inner = "".join("\\" + c if c in '"`$\\' else c for c in arg)
    return ('"' + inner + '"').replace("%", "%%").replace("\\", "\\\\")


def desktop_string(text):
    return text.replace("\\", "\\\\")


class Installer:
    def __init__(self, layout, dry_run, out=sys.stdout):
        self.layout, self.dry_run, self.out = layout, dry_run, out
        self.made_dirs, self.files, self.kept = [], {}, []
        self.skipped = 0

    def say(self, text):
        print(text, file=self.out, flush=True)

    # -- directories -------------------------------------------------------
    def make_dir(self, path):
        """Creates path with its missing parents, recording each; False (after
        the message) when a file stands in the way."""
        missing = []
        p = path
        while not (os.path.isdir(p) or (self.dry_run and p in self.made_dirs)):
            if os.path.lexists(p):
                self.say(f"Cannot create directory {path}")
                return False
            missing.append(p)
            p = os.path.dirname(p)
        for d in reversed(missing):
            if self.dry_run:
                self.say(f"Create directory {d}")
            else:
                try:
                    os.mkdir(d)
                except OSError:
                    self.say(f"Cannot create directory {path}")
                    return False
            self.made_dirs.append(d)
        return True

    # -- one written file (menus, configuration) ----------------------------
    def write_text(self, path, text, old):
        data = text.encode("utf-8")
        record = {"size": len(data), "sha256": hashlib.sha256(data).hexdigest()}
        if os.path.isfile(path) and file_digest(path) == record["sha256"]:
            self.files[path] = record
            return
        if os.path.lexists(path) and not self._ours(path, old):
            self.say(f"Kept {path} (changed since the installation)")
            self.kept.append(path)
            return
        if not self.make_dir(os.path.dirname(path)):
            self.skipped += 1
            return
        self.say(f"Write {path}")
        if not self.dry_run:
            try:
                with open(path, "wb") as f:
                    f.write(data)
            except OSError:
                self.say(f"Cannot create file {path}")
                self.skipped += 1
                return
        self.files[path] = record

    @staticmethod
    def _ours(path, old):
        """The file is as the last run left it (so it may be replaced)."""
        rec = old.get(path)
        try:
            return bool(rec) and os.path.isfile(path) and file_digest(path) == rec["sha256"]
        except OSError:
            return False

    # -- the file table ------------------------------------------------------
    def copy_all(self, rows, old):
        sizes = [os.path.getsize(s) if os.path.isfile(s) else 0 for s, _ in rows]
        total = sum(sizes) or 1
        done = 0
        for i, ((source, rel), size) in enumerate(zip(rows, sizes)):
            done += size
            percent = 100 if i == len(rows) - 1 else min(100, int(100 * done / total))
            dest = os.path.join(self.layout.prefix, rel)
            self.say(f"Copy {source} -> {dest}  {percent}%")
            self.copy_one(source, dest, old)

    def copy_one(self, source, dest, old):
        try:
            new = file_digest(source)
        except OSError:
            self.say(f"Cannot open file {source}")
            self.skipped += 1
            return
        record = {"size": os.path.getsize(source), "sha256": new}
        if os.path.lexists(dest):
            try:
                current = file_digest(dest) if os.path.isfile(dest) else None
            except OSError:
                current = None
            if current == new:  # already there as the medium has it
                self.files[dest] = record
                return
            if not self._ours(dest, old):
                self.say(f"Kept {dest} (changed since the installation)")
                self.kept.append(dest)
                if dest in old:
                    self.files[dest] = old[dest]
                return
        if not self.make_dir(os.path.dirname(dest)):
            self.skipped += 1
            return
        if not self.dry_run:
            try:
                tmp = dest + ".kalvor-install"
                shutil.copyfile(source, tmp)
                os.replace(tmp, dest)
            except OSError:
                self.say(f"Cannot create file {dest}")
                try:
                    os.unlink(tmp)
                except OSError:
                    pass
                self.skipped += 1
                return
        self.files[dest] = record


def read_manifest(path):
    try:
        with open(path, encoding="utf-8") as f:
            m = json.load(f)
        if isinstance(m, dict) and isinstance(m.get("files"), dict) and isinstance(m.get("prefix"), str):
            return m
    except (OSError, ValueError):
        pass
    return None


def desktop_entries(layout):
    info = {"kalvor": ("KALVOR", "README.md"), "readme": ("Readme", "NOTICE")}
    entries = []
    for path, key in zip(layout.desktop, ("kalvor", "readme")):
        name, file = info[key]
        target = os.path.join(layout.prefix, file)
        entries.append((path, "[Desktop Entry]\nType=Application\nName=" + name +
                        "\nComment=" + desktop_string(f"Opens {target}") +
                        "\nExec=xdg-open " + desktop_quote(target) +
                        "\nIcon=text-x-generic\nTerminal=false\nCategories=Science;X-KALPY;\n"))
    directory = "[Desktop Entry]\nType=Directory\nName=KALPY\nIcon=folder\n"
    menu = ('<!DOCTYPE Menu PUBLIC "-//freedesktop//DTD Menu 1.0//EN"\n'
            ' "http://www.freedesktop.org/standards/menu-spec/1.0/menu.dtd">\n'
            "<Menu>\n  <Name>Applications</Name>\n  <Menu>\n    <Name>KALPY</Name>\n"
            "    <Directory>kalvor-kalpy.directory</Directory>\n"
            "    <Include><Category>X-KALPY</Category></Include>\n  </Menu>\n</Menu>\n")
    return entries + [(layout.directory_entry, directory), (layout.menu, menu)]


def install(layout, source, dry_run, out=sys.stdout):
    inst = Installer(layout, dry_run, out)
    say = inst.say
    say(TITLE)
    say("This is the setup program of the KALVOR plotting")
    say(f"extension for Python {sys.version_info[0]}.{sys.version_info[1]} and Linux.")
    say(f"Installation directory: {layout.prefix}")
    if any(ord(c) < 32 or c == "\x7f" for c in layout.prefix):
        say(f"Cannot create directory {layout.prefix!r}: the name holds a control character")
        return 1
    if dry_run:
        say("Dry run: nothing is changed. Skipped (Windows programs): " + ", ".join(WINDOWS_PROGRAMS))
    manifest = read_manifest(layout.manifest)
    if manifest and os.path.abspath(manifest["prefix"]) != layout.prefix:
        say(f"KALVOR is installed in {manifest['prefix']}; remove it first with kalvor-install --uninstall")
        return 1
    old = manifest["files"] if manifest else {}
    if manifest:
        inst.made_dirs = [d for d in manifest.get("directories", []) if isinstance(d, str)]
    if not inst.make_dir(layout.prefix):
        return 1
    for sub in ("python", "map"):
        if not inst.make_dir(os.path.join(layout.prefix, sub)):
            return 1
    inst.copy_all(medium_rows(source), old)
    conf = f"[kalvor]\nPath={layout.prefix}\nVersion={_version()}\n"
    inst.write_text(layout.config, conf, old)
    for path, text in desktop_entries(layout):
        inst.write_text(path, text, old)
    if not dry_run:
        if inst.make_dir(os.path.dirname(layout.manifest)):
            record = {"version": _version(), "prefix": layout.prefix, "config": layout.config,
                      "directories": list(dict.fromkeys(inst.made_dirs)), "files": inst.files}
            try:
                with open(layout.manifest, "w", encoding="utf-8") as f:
                    json.dump(record, f, indent=1, ensure_ascii=False)
            except OSError:
                say(f"Cannot create file {layout.manifest}")
                inst.skipped += 1
    if inst.skipped:
        say(f"{inst.skipped} file(s) could not be installed; the installation of KALVOR is incomplete.")
        return 1
    say("The installation of KALVOR for Python is ready.")
    say(f"Data directory: {layout.prefix}")
    say(f"Configuration: {layout.config}")
    return 0


def uninstall(layout, dry_run, out=sys.stdout):
    def say(text):
        print(text, file=out, flush=True)
    manifest = read_manifest(layout.manifest)
    if not manifest:
        say("KALVOR is not installed (no " + layout.manifest + ").")
        return 0
    prefix = manifest["prefix"]
    kept = []
    for path, rec in manifest["files"].items():
        if not os.path.lexists(path):
            continue
        try:
            same = os.path.isfile(path) and isinstance(rec, dict) and file_digest(path) == rec.get("sha256")
        except OSError:
            same = False
        if path == manifest.get("config"):  # only while it still names this installation
            try:
                with open(path, encoding="utf-8", errors="replace") as f:
                    same = f"Path={prefix}" in f.read().splitlines()
            except OSError:
                same = False
        if not same:
            kept.append(f"{path} (changed since the installation)")
            continue
        say(f"Remove {path}")
        if not dry_run:
            try:
                os.unlink(path)
            except OSError:
                kept.append(f"{path} (cannot be removed)")
    for d in sorted(set(manifest.get("directories", [])), key=lambda p: -p.count(os.sep)):
        if not os.path.isdir(d):
            continue
        for root, _, names in os.walk(d):
            kept += [f"{os.path.join(root, n)} (not installed by kalvor-install)" for n in names
                     if os.path.join(root, n) not in manifest["files"]]
        if dry_run:
            say(f"Remove directory {d} (when empty)")
            continue
        try:
            os.rmdir(d)
            say(f"Remove directory {d}")
        except OSError:
            pass
    if not dry_run:
        os.unlink(layout.manifest)
    for k in dict.fromkeys(kept):
        say("Kept " + k)
    say(f"KALVOR is uninstalled from {prefix}.")
    return 0


def main(argv=None):
    parser = argparse.ArgumentParser(prog="kalvor-install", description=__doc__.split("\n\n")[0])
    parser.add_argument("--prefix", metavar="DIR", help="data directory (default $XDG_DATA_HOME/kalvor)")
    parser.add_argument("--system", action="store_true",
                        help="install for every user (/usr/local/share/kalvor, /etc/kalvor/kalvor.conf)")
    parser.add_argument("--source", metavar="DIR", default=os.path.dirname(os.path.abspath(__file__)),
                        help="the medium: the installed package (default) or a source tree")
    parser.add_argument("--dry-run", action="store_true", help="print each action, change nothing")
    parser.add_argument("--uninstall", action="store_true", help="remove what the installation made")
    args = parser.parse_args(argv)
    layout = Layout(args.prefix, args.system)
    if args.uninstall:
        return uninstall(layout, args.dry_run)
    return install(layout, os.path.abspath(args.source), args.dry_run)


if __name__ == "__main__":
    sys.exit(main())
