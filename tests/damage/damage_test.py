#!/usr/bin/env python3
"""Damaged inputs, in fixed seeded ways, fed to the tools.

    damage_test.py ZPK KWRBUILD PROJECT.kwr

The sample project and a small two-volume setup (a loader with an archive
appended, continued in DISK2) are damaged by flipping about 1 % of the bytes,
by truncation and by zeroed runs. For each case the tools must give a clear
error (a non-zero exit and a message) or, for a project, load it; never
crash, never hang, never write outside the folder they were given, and never
report success on archive data that was changed.
"""
import os
import random
import shutil
import subprocess
import sys
import tempfile

TIMEOUT = 20


def run(args, cwd):
    try:
        p = subprocess.run(args, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                           timeout=TIMEOUT)
    except subprocess.TimeoutExpired:
        return None, b"", b""
    return p.returncode, p.stdout, p.stderr


def damages(data, seed_base, count):
    """(name, damaged bytes) in fixed ways: flips, truncations, zeroed runs."""
    out = []
    n = len(data)
    for i in range(count):
        r = random.Random(seed_base * 1000 + i)
        b = bytearray(data)
        for _ in range(max(1, n // 100)):
            b[r.randrange(n)] ^= r.randrange(1, 256)
        out.append(("flip%d" % i, bytes(b)))
    for i in range(count):
        cut = (n * (i + 1)) // (count + 1) if i % 2 == 0 else random.Random(seed_base + i).randrange(n)
        out.append(("cut%d@%d" % (i, cut), data[:cut]))
    for i in range(count):
        r = random.Random(seed_base * 7919 + i)
        at = r.randrange(n)
        length = r.choice([1, 4, 16, 64, 512])
        b = bytearray(data)
        b[at:at + length] = bytes(min(length, n - at))
        out.append(("zero%d@%d+%d" % (i, at, length), bytes(b)))
    return out


def snapshot(root, skip):
    """Every path below root with its size, outside the folder skip."""
    seen = {}
    for d, dirs, files in os.walk(root):
        if os.path.abspath(d).startswith(os.path.abspath(skip)):
            dirs[:] = []
            continue
        for f in files:
            p = os.path.join(d, f)
            seen[p] = os.lstat(p).st_size
    return seen


class Checks:
    def __init__(self):
        self.failures = []
        self.cases = 0

    def fail(self, case, why):
        self.failures.append("%s: %s" % (case, why))

    def tool(self, case, rc, err, allow_ok):
        """A finished run: no crash, no hang, a message with every error."""
        if rc is None:
            self.fail(case, "hung (more than %d s)" % TIMEOUT)
            return False
        if rc < 0 or rc >= 128:
            self.fail(case, "crashed (status %d)" % rc)
            return False
        if rc == 0 and not allow_ok:
            self.fail(case, "reported success on damaged data")
            return False
        if rc != 0 and not err.strip():
            self.fail(case, "failed (status %d) without a message" % rc)
            return False
        return True


def make_setup(zpk, work):
    """DISK1\\SETUP.EXE (a loader with the archive appended) and DISK2\\SETUP.2."""
    src = os.path.join(work, "src")
    os.makedirs(src)
    r = random.Random(5)
    with open(os.path.join(src, "random.bin"), "wb") as f:
        f.write(bytes(r.randrange(256) for _ in range(12000)))
    with open(os.path.join(src, "numbers.txt"), "w") as f:
        f.write("\n".join(str(i) for i in range(3000)))
    with open(os.path.join(src, "small.txt"), "w") as f:
        f.write("small\n")
    os.makedirs(os.path.join(work, "DISK1"))
    loader = os.path.join(work, "DISK1", "SETUP.EXE")
    with open(loader, "wb") as f:
        f.write(b"MZ" + bytes(510))
    rc, _, err = run([zpk, "add", "--volume-size", "12288", loader] +
                     [os.path.join(src, n) for n in ("random.bin", "numbers.txt", "small.txt")], work)
    if rc != 0:
        sys.exit("cannot make the setup: %s" % err.decode(errors="replace"))
    second = os.path.join(work, "DISK2", "SETUP.2")
    if not os.path.exists(second):
        sys.exit("the setup did not span two volumes")
    rc, _, err = run([zpk, "test", loader], work)
    if rc != 0:
        sys.exit("the undamaged setup does not test clean: %s" % err.decode(errors="replace"))
    return loader, second, 512


def check_setup(zpk, checks, work, loader, second, archive_start):
    originals = {p: open(p, "rb").read() for p in (loader, second)}
    for which, path in (("vol1", loader), ("vol2", second)):
        data = originals[path]
        for name, damaged in damages(data, 11 if which == "vol1" else 12, 40):
            case = "setup %s %s" % (which, name)
            if damaged == data:
                continue
            checks.cases += 1
            with open(path, "wb") as f:
                f.write(damaged)
            # Only the loader's own bytes may change without the archive noticing.
            archive_changed = which == "vol2" or damaged[archive_start:] != data[archive_start:]
            rc, _, err = run([zpk, "test", loader], work)
            checks.tool(case + " test", rc, err, not archive_changed)
            rc, _, err = run([zpk, "list", loader], work)
            checks.tool(case + " list", rc, err, True)
            out = os.path.join(work, "out")
            before = snapshot(work, out)
            rc, _, err = run([zpk, "extract", loader, out], work)
            checks.tool(case + " extract", rc, err, not archive_changed)
            if snapshot(work, out) != before:
                checks.fail(case, "extraction wrote outside its folder")
            shutil.rmtree(out, ignore_errors=True)
            with open(path, "wb") as f:
                f.write(data)


def check_project(kwrbuild, checks, work, project):
    data = open(project, "rb").read()
    folder = os.path.join(work, "project")
    os.makedirs(folder)
    target = os.path.join(folder, "Demo.kwr")
    for name, damaged in damages(data, 21, 40):
        if damaged == data:
            continue
        case = "project " + name
        checks.cases += 1
        with open(target, "wb") as f:
            f.write(damaged)
        before = snapshot(work, os.path.join(work, "none"))
        rc, _, err = run([kwrbuild, "--print", target], folder)
        if checks.tool(case, rc, err, True) and rc not in (0, 101):
            checks.fail(case, "exit status %d, not 0 or 101" % rc)
        if snapshot(work, os.path.join(work, "none")) != before:
            checks.fail(case, "reading the project wrote a file")


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    zpk, kwrbuild, project = (os.path.abspath(a) for a in sys.argv[1:])
    checks = Checks()
    with tempfile.TemporaryDirectory() as work:
        loader, second, start = make_setup(zpk, work)
        check_setup(zpk, checks, work, loader, second, start)
        check_project(kwrbuild, checks, work, project)
    for f in checks.failures[:40]:
        print("FAILED " + f)
    print("%d damaged inputs, %d failures" % (checks.cases, len(checks.failures)))
    sys.exit(1 if checks.failures else 0)


if __name__ == "__main__":
    main()
