#!/usr/bin/env python3
"""Checks of the two packages `cpack` makes, as a user or a distribution
would take them.

    package_test.py deb --build-dir DIR --version V --unpack-to DIR
        cpack in a native release tree; the .deb's control fields, lintian,
        apt-get's simulated install, the files it installs and their
        validators, and the version everywhere it is written; the package is
        left unpacked for the run of the program that follows.
    package_test.py deb-version --unpack-to DIR --version V
        the unpacked `plumo --version`.
    package_test.py zip --build-dir DIR --version V --unpack-to DIR
        cpack in a Windows tree; the zip's files and the version and icon
        resources of its plumo.exe, read from the PE file; the zip is left
        unpacked for the run of the program that follows.

Exits 0 when every check holds."""

import argparse
import gzip
import os
import re
import shutil
import struct
import subprocess
import sys
import xml.etree.ElementTree as ElementTree
import zipfile

import pe_resources

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from e2e_services import CheckFailed, Report  # noqa: E402

SOURCE = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
APPSTREAM_ID = "org.plumo.Plumo"
ICON_SIZES = (48, 128, 256)


def run(command, cwd=None):
    result = subprocess.run(command, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                            timeout=600)
    return result.returncode, result.stdout.decode(errors="replace")


def cpack(report, build_dir, pattern):
    """Runs cpack in the tree and returns the one package it made."""
    for name in os.listdir(build_dir):
        if re.fullmatch(pattern, name):
            os.remove(os.path.join(build_dir, name))
    status, output = run(["cpack"], cwd=build_dir)
    report.require(status == 0, f"cpack succeeds in {build_dir}" + ("" if status == 0 else
                                                                    f":\n{output}"))
    made = [name for name in os.listdir(build_dir) if re.fullmatch(pattern, name)]
    report.require(len(made) == 1, f"cpack made one package matching {pattern} (got {made})")
    path = os.path.join(build_dir, made[0])
    report.note(f"{made[0]}: {os.path.getsize(path)} bytes")
    return path


def png_size(path):
    with open(path, "rb") as image:
        header = image.read(24)
    if header[:8] != b"\x89PNG\r\n\x1a\n":
        return None
    return struct.unpack(">II", header[16:24])


def without_package(status_text, name):
    """dpkg's status file with the stanza of the package `name` left out."""
    stanzas = status_text.rstrip("\n").split("\n\n")
    kept = [s for s in stanzas if not re.search(rf"^Package: {re.escape(name)}$", s, re.M)]
    return "\n\n".join(kept) + "\n"


def simulate_install(deb, work_dir):
    """apt-get's simulated install of the package on this machine as if no
    plumo were installed: where one is, apt-get only says it is "already the
    newest version". So apt-get reads a copy of dpkg's status without it,
    and resolves every dependency against the rest as it is."""
    with open("/var/lib/dpkg/status") as status:
        text = status.read()
    copy = os.path.join(work_dir, "apt-status-without-plumo")
    with open(copy, "w") as status:
        status.write(without_package(text, "plumo"))
    return run(["apt-get", "install", "--simulate", "-o", f"Dir::State::status={copy}", deb])


def check_deb(args, report):
    version = args.version
    deb = cpack(report, args.build_dir, r"plumo_.*\.deb")
    report.check(os.path.basename(deb) == f"plumo_{version}_amd64.deb",
                 f"the file is named plumo_{version}_amd64.deb")

    _, control = run(["dpkg-deb", "--field", deb])
    fields = dict(re.findall(r"^([A-Za-z-]+): (.*)$", control, re.M))
    report.check(fields.get("Package") == "plumo", "Package: plumo")
    report.check(fields.get("Version") == version, f"Version: {version} (got {fields.get('Version')})")
    depends = fields.get("Depends", "")
    for library in ("libc6", "libsdl2-2.0-0", "libfreetype6", "libfontconfig1", "libgl1", "libgif7",
                    "libmimalloc2.0"):
        report.check(library in depends, f"Depends, computed from the binaries, names {library}")
    report.check("xscreensaver" in fields.get("Suggests", ""),
                 f"it suggests xscreensaver, for which it is a hack (Suggests: "
                 f"{fields.get('Suggests')})")
    long_lines = control.split("Description:", 1)[-1].splitlines()[1:]
    report.check(fields.get("Description", "").strip() != "" and
                 sum(line.startswith(" ") for line in long_lines) >= 3,
                 "a short description and a long one")

    status, output = run(["lintian", "--fail-on", "error,warning", deb])
    report.note("lintian: " + (output.strip() or "nothing to report"))
    report.check(status == 0 and not re.search(r"^[EW]: ", output, re.M),
                 "lintian reports no error and no warning")

    status, output = simulate_install(deb, os.path.dirname(os.path.abspath(args.unpack_to)))
    report.check(status == 0 and re.search(r"^Inst plumo ", output, re.M),
                 "apt-get install --simulate accepts it" + ("" if status == 0 else f":\n{output}"))

    root = args.unpack_to
    shutil.rmtree(root, ignore_errors=True)
    os.makedirs(root)
    status, output = run(["dpkg-deb", "-x", deb, root])
    report.require(status == 0, f"dpkg-deb -x unpacks it {output}")
    usr = os.path.join(root, "usr")
    for program in ("plumo", "plumo-capture"):
        path = os.path.join(usr, "bin", program)
        report.check(os.access(path, os.X_OK), f"/usr/bin/{program} is an executable")
    for size in ICON_SIZES:
        path = os.path.join(usr, "share/icons/hicolor", f"{size}x{size}", "apps/plumo.png")
        report.check(png_size(path) == (size, size), f"the hicolor {size}x{size} icon is that size")

    desktop = os.path.join(usr, "share/applications/plumo.desktop")
    status, output = run(["desktop-file-validate", desktop])
    report.check(status == 0 and not output.strip(),
                 f"desktop-file-validate passes plumo.desktop {output}")
    with open(desktop) as entry:
        text = entry.read()
    report.check(re.search(r"^Exec=plumo$", text, re.M) and re.search(r"^Icon=plumo$", text, re.M)
                 and re.search(r"^Categories=Game;", text, re.M),
                 "the entry runs plumo, with its icon, among the games")

    metainfo = os.path.join(usr, "share/metainfo", f"{APPSTREAM_ID}.metainfo.xml")
    status, output = run(["appstreamcli", "validate", "--no-net", metainfo])
    report.note("appstreamcli: " + output.strip().replace("\n", " / "))
    report.check(status == 0, "appstreamcli validate --no-net passes the metadata")
    with open(metainfo) as xml:
        text = xml.read()
    report.check(f'<release version="{version}"' in text, f"AppStream's release is {version}")
    report.check("<screenshot type=\"default\">" in text, "AppStream has a screenshot")

    with gzip.open(os.path.join(usr, "share/man/man6/plumo.6.gz"), "rt") as page:
        text = page.read()
    report.check(re.search(rf'^\.TH PLUMO 6 .*"Plumo {re.escape(version)}"', text, re.M),
                 f"plumo(6) is for version {version}")
    for option in ("window", "geometry", "scale", "filter", "switch\\-mode", "display",
                   "no\\-vsync", "max\\-fps", "pause\\-on\\-focus\\-loss", "allow\\-screensaver",
                   "root", "window\\-id", "help", "version"):
        report.check(f"\\-\\-{option}" in text, f"plumo(6) lists --{option.replace(chr(92), '')}")
    for key in ("Escape", "Alt+Enter", "F12", "Pause", "Back", "Start"):
        report.check(key in text, f"plumo(6) says what {key} does")

    check_screensaver_hack(report, root)

    doc = os.path.join(usr, "share/doc/plumo")
    with gzip.open(os.path.join(doc, "changelog.gz"), "rt") as changelog:
        report.check(changelog.readline().startswith(f"plumo ({version})"),
                     f"the changelog's latest entry is {version}")
    with open(os.path.join(SOURCE, "LICENSE")) as licence, open(os.path.join(doc, "copyright")) as c:
        grant = " ".join(licence.read().split("\n\n")[2].split())
        report.check(grant in " ".join(c.read().split()), "the copyright file holds the licence")


def check_screensaver_hack(report, root):
    """The hack where the X screensaver daemon looks for it, its settings for
    the daemon's settings program, naming only options plumo has, and the
    entry MATE's screensaver lists hacks by."""
    hack = os.path.join(root, "usr/libexec/xscreensaver/plumo")
    target = os.readlink(hack) if os.path.islink(hack) else None
    report.check(target == "../../bin/plumo" and os.path.realpath(hack) == os.path.realpath(
        os.path.join(root, "usr/bin/plumo")),
        f"/usr/libexec/xscreensaver/plumo is a relative link to /usr/bin/plumo (got {target})")

    _, usage = run([os.path.join(root, "usr/bin/plumo"), "--help"])
    settings = os.path.join(root, "usr/share/xscreensaver/config/plumo.xml")
    try:
        saver = ElementTree.parse(settings).getroot()
    except (OSError, ElementTree.ParseError) as error:
        report.check(False, f"the daemon's settings for plumo are well-formed XML ({error})")
        return
    report.check(saver.tag == "screensaver" and saver.get("name") == "plumo"
                 and saver.get("_label") == "Plumo" and saver.get("gl") == "yes",
                 f"plumo.xml describes the GL hack \"plumo\", labelled Plumo ({saver.attrib})")
    commands = [command.get("arg") for command in saver.iter("command")]
    report.check(commands == ["--root"], f"the daemon runs it with --root (got {commands})")
    description = " ".join((saver.findtext("_description") or "").split())
    report.check(len(description) > 40, f"it has a description ({description!r})")
    arguments = [node.get("arg-set") or node.get("arg") for node in saver.iter()
                 if node.tag in ("option", "boolean", "number") and
                 (node.get("arg-set") or node.get("arg"))]
    report.require(arguments, "its settings pass arguments to plumo")
    for argument in arguments:
        option, *value = argument.split()
        line = next((text for text in usage.splitlines() if text.strip().startswith(option)), "")
        report.check(line and all(v in line for v in value),
                     f"plumo --help lists {argument} ({line.strip()!r})")

    desktop = os.path.join(root, "usr/share/applications/screensavers/plumo.desktop")
    status, output = run(["desktop-file-validate", desktop])
    # A hint only: "Screensaver" is no main category, as for every hack's entry.
    problems = [line for line in output.splitlines() if ": hint: " not in line]
    report.check(status == 0 and not problems,
                 f"desktop-file-validate passes screensavers/plumo.desktop {problems}")
    with open(desktop) as entry:
        text = entry.read()
    report.check(re.search(r"^Exec=plumo --root$", text, re.M)
                 and re.search(r"^TryExec=plumo$", text, re.M)
                 and re.search(r"^Categories=Screensaver;$", text, re.M),
                 "the screensaver entry runs plumo --root, as a screensaver")


def check_deb_version(args, report):
    program = os.path.join(args.unpack_to, "usr/bin/plumo")
    status, output = run([program, "--version"])
    report.check(status == 0 and output.strip() == f"plumo {args.version}",
                 f"plumo --version prints \"plumo {args.version}\" (got {status}: {output.strip()!r})")


def check_zip(args, report):
    version = args.version
    path = cpack(report, args.build_dir, r"plumo-.*\.zip")
    top = f"plumo-{version}-windows-x64"
    report.check(os.path.basename(path) == top + ".zip", f"the file is named {top}.zip")
    with zipfile.ZipFile(path) as archive:
        names = sorted(archive.namelist())
        report.check(names == [f"{top}/{n}" for n in ("LICENSE", "README.md", "plumo.exe")],
                     f"it holds plumo.exe, README.md and LICENSE in {top}/ (got {names})")
        exe = archive.read(f"{top}/plumo.exe")
        with open(os.path.join(SOURCE, "LICENSE"), "rb") as licence:
            report.check(archive.read(f"{top}/LICENSE") == licence.read(), "LICENSE as in the tree")
        shutil.rmtree(args.unpack_to, ignore_errors=True)
        archive.extractall(args.unpack_to)

    resources = pe_resources.PeFile(exe).resources()
    report.require(pe_resources.RT_VERSION in resources, "plumo.exe has a version resource")
    numbers, strings = pe_resources.version_info(resources[pe_resources.RT_VERSION][0][2])
    expected = tuple(int(part) for part in version.split(".")) + (0,) * (4 - len(version.split(".")))
    report.check(numbers == expected, f"its file version is {expected} (got {numbers})")
    report.check(strings.get("ProductName") == "Plumo", f"product name Plumo ({strings})")
    for name in ("FileVersion", "ProductVersion"):
        report.check(strings.get(name) == version, f"{name} {version} (got {strings.get(name)})")
    report.check("OpenGL demo" in strings.get("FileDescription", ""), "a description of the program")

    groups = resources.get(pe_resources.RT_GROUP_ICON, [])
    report.require(len(groups) == 1, "plumo.exe has one icon group")
    group = groups[0][2]
    count = struct.unpack_from("<H", group, 4)[0]
    images = {name: data for name, _, data in resources.get(pe_resources.RT_ICON, [])}
    sizes = []
    for i in range(count):
        width, _, _, _, _, _, size, icon_id = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
        report.check(len(images.get(icon_id, b"")) == size, f"icon image {icon_id} is there")
        sizes.append(width or 256)
    report.check(sorted(sizes) == [16, 32, 48, 256], f"icons of 16 to 256 px (got {sizes})")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("check", choices=("deb", "deb-version", "zip"))
    parser.add_argument("--build-dir")
    parser.add_argument("--version", required=True)
    parser.add_argument("--unpack-to")
    args = parser.parse_args()
    report = Report(f"package.{args.check}")
    checks = {"deb": check_deb, "deb-version": check_deb_version, "zip": check_zip}
    try:
        checks[args.check](args, report)
    except CheckFailed:
        pass
    if report.failures:
        print(f"{len(report.failures)} check(s) failed", flush=True)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
