#!/usr/bin/env python3
"""mutate.py - plants one small fault at a time in the module's sources and
asks whether the fast tests notice.

Why it is built this way: a full build and ctest run per fault would take
minutes under qemu-user, so the run copies the tree once into a scratch
folder, configures one native build there with test discovery off, and for
each fault patches one file, relinks the test binary (ninja rebuilds one
object) and runs that binary directly with a GoogleTest filter and a time
limit; then it puts the file back.  The sample is drawn from every site
with a seeded generator, so the same seed over the same sources plants the
same faults.  Python's standard library only.

Operators (each changes one token or one condition):
  rel      <  <=  >  >=  ==  !=  swapped for a neighbour (< for <=, == for !=, ...)
  const    an integer literal N becomes N+1 or N-1
  logic    && becomes || and back
  return   the condition of an `if (...)` whose statement is a `return`
           becomes 0: the check is dropped

Outcomes: caught (the tests fail cleanly), crashed (the test binary died of
a signal: a crash is not a clean catch), timed-out, survived, and
build-error (the fault did not compile: not counted).

Usage:
  tools/mutate.py [--seed N] [--count N] [--time-limit MINUTES] [--report FILE]
  tools/mutate.py --rerun REPORT       the survivors of an earlier report again
  tools/mutate.py --list               every site, no build
"""
import argparse
import json
import os
import random
import re
import shutil
import subprocess
import sys
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
FOLDERS = ["frame", "cloud", "hatch", "mirror", "parametric"]
# The fast tests: everything but the tests of the session language, the DXF
# reader, the recorder and the DLL file, which start nerolit-host (not
# built by the mutation run) or do not run the module's commands.
DEFAULT_FILTER = ("-Session*:Dxf*:DllFile*:OnDemandUser*:FailHook*:"
                  "HostSettings.AWrittenStoreAlwaysLoadsAgainAsTheSameStore:"
                  "HatchRefused.TheSessionEndsWellWithinTheHostsHangTimeout")

# The tests of each folder's command, run first: a fault they catch needs
# no other test (the run stops at the first failure).  One they miss is
# then tried against the fast tests that play no command or more than one
# (frame, records, host); the other commands' tests never reach this
# folder's code.  A fault in frame/ meets every fast test.
FOLDER_TESTS = {"cloud": "Cloud*", "hatch": "Hatch*", "mirror": "Mirror*",
                "parametric": "Param*:HostStretch*"}

# The slowest hatch tests compare the inside test and its index with a
# reference model; they reach no other hatch code, so a fault elsewhere in
# hatch/ is first tried without them.  --thorough runs them for every
# hatch fault (and every fast test for every fault).
SLOW_TESTS = {"hatch": ("HatchInsideDifferential.*", ("hatch/HatchInside.cpp", "hatch/HatchIndex.cpp"))}

REL_SWAPS = {"<": ["<="], "<=": ["<"], ">": [">="], ">=": [">"], "==": ["!="], "!=": ["=="]}


def mask_source(text):
    """The text with comments, string and character literals and
    preprocessor lines blanked out (same length, newlines kept), so that
    sites are only found in code."""
    out = list(text)
    i, n = 0, len(text)
    line_start = True
    while i < n:
        c = text[i]
        if line_start and c == "#" or (line_start and c in " \t" and text[i:].lstrip(" \t").startswith("#")):
            j = text.find("\n", i)
            j = n if j < 0 else j
            while j > i and text[j - 1] == "\\":  # continued directive
                k = text.find("\n", j + 1)
                j = n if k < 0 else k
            for k in range(i, j):
                if out[k] != "\n":
                    out[k] = " "
            i = j
            continue
        line_start = c == "\n"
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            for k in range(i, j):
                out[k] = " "
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            for k in range(i, j):
                if out[k] != "\n":
                    out[k] = " "
            i = j
        elif c in "\"'":
            j = i + 1
            while j < n and text[j] != c:
                j += 2 if text[j] == "\\" else 1
            for k in range(i, min(j + 1, n)):
                out[k] = " "
            i = j + 1
        else:
            i += 1
    return "".join(out)


def matching_paren(code, open_at):
    depth = 0
    for k in range(open_at, len(code)):
        if code[k] == "(":
            depth += 1
        elif code[k] == ")":
            depth -= 1
            if depth == 0:
                return k
    return -1


TOKEN = re.compile(r"<<=|>>=|<<|>>|->|<=|>=|==|!=|&&|\|\||[<>]|\b0[xX][0-9A-Fa-f]+\b|\b\d+\.\d*(?:[eE][-+]?\d+)?|\b\d+[eE][-+]?\d+|\b\d+[uUlL]*\b|\.\d+|\bif\b")


def sites_of(path):
    """Every mutation site of one file: (offset, length, replacement, operator, description)."""
    text = open(path, encoding="utf-8").read()
    code = mask_source(text)
    found = []
    for m in TOKEN.finditer(code):
        tok, at = m.group(0), m.start()
        if tok in REL_SWAPS:
            for new in REL_SWAPS[tok]:
                found.append((at, len(tok), new, "rel", f"{tok} -> {new}"))
        elif tok in ("&&", "||"):
            new = "||" if tok == "&&" else "&&"
            found.append((at, len(tok), new, "logic", f"{tok} -> {new}"))
        elif re.fullmatch(r"\d+[uUlL]*", tok):
            digits = re.match(r"\d+", tok).group(0)
            suffix = tok[len(digits):]
            if len(digits) > 1 and digits.startswith("0"):
                continue  # octal: leave alone
            value = int(digits)
            for new in (value + 1, value - 1):
                if new < 0:
                    # -1 from 0: written as (-1) so that the expression stays one operand
                    rep = "(-1)"
                else:
                    rep = f"{new}{suffix}"
                found.append((at, len(tok), rep, "const", f"{tok} -> {rep}"))
        elif tok == "if":
            open_at = code.find("(", m.end())
            if open_at < 0 or code[m.end():open_at].strip():
                continue
            close_at = matching_paren(code, open_at)
            if close_at < 0:
                continue
            after = code[close_at + 1:close_at + 400].lstrip()
            if after.startswith("{"):
                after = after[1:].lstrip()
            if not re.match(r"return\b", after):
                continue
            cond = " ".join(code[open_at + 1:close_at].split())
            found.append((open_at + 1, close_at - open_at - 1, "0", "return",
                          f"if ({cond}) return ... -> if (0)"))
    lines = [0]
    for k, ch in enumerate(text):
        if ch == "\n":
            lines.append(k + 1)
    out = []
    for at, length, rep, op, desc in found:
        line = next(i for i in range(len(lines) - 1, -1, -1) if lines[i] <= at) + 1
        out.append({"file": os.path.relpath(path, ROOT), "offset": at, "length": length,
                    "replacement": rep, "operator": op, "line": line, "change": desc})
    return out


def all_sites(headers):
    sites = []
    for folder in FOLDERS:
        for name in sorted(os.listdir(os.path.join(ROOT, folder))):
            if name.endswith(".cpp") or (headers and name.endswith(".h")):
                sites += sites_of(os.path.join(ROOT, folder, name))
    return sites


def run(cmd, timeout, cwd=None, env=None):
    """(status, output); status None on timeout."""
    try:
        p = subprocess.run(cmd, cwd=cwd, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                           timeout=timeout, start_new_session=True)
        return p.returncode, p.stdout.decode("utf-8", "replace")
    except subprocess.TimeoutExpired as e:
        return None, (e.stdout or b"").decode("utf-8", "replace")


def tree_files(src):
    """The tracked files of the worktree and any changed or new ones."""
    out = subprocess.run(["git", "ls-files", "-co", "--exclude-standard", "-z"], cwd=src,
                         stdout=subprocess.PIPE, check=True).stdout.split(b"\0")
    return [f.decode() for f in out if f]


def copy_tree(src, dst, files):
    """`files` of src into dst; unchanged files keep their times, so ninja
    rebuilds only what changed."""
    for f in files:
        s, d = os.path.join(src, f), os.path.join(dst, f)
        if not os.path.isfile(s):
            continue
        os.makedirs(os.path.dirname(d), exist_ok=True)
        if not os.path.exists(d) or open(s, "rb").read() != open(d, "rb").read():
            shutil.copy2(s, d)


class Runner:
    def __init__(self, args, worker=0):
        self.args = args
        self.scratch = os.path.abspath(args.scratch)
        self.src = os.path.join(self.scratch, "src" if worker == 0 else f"src{worker}")
        # The same layout as a worktree's build/native, and ccache (when the
        # machine has it: apt-get install ccache) told to hash paths below
        # the tree relatively and not the build folder: the scratch builds
        # and the worktree's share their cached objects.  Without it each
        # scratch tree's first build is a whole one of its own.
        self.build = os.path.join(self.src, "build", "native")
        self.env = dict(os.environ, CCACHE_BASEDIR=self.src, CCACHE_NOHASHDIR="1")
        self.binary = os.path.join(self.build, "tests", "nerolit_tests")

    def prepare(self, origin, files):
        os.makedirs(self.src, exist_ok=True)
        copy_tree(origin, self.src, files)
        status, out = run(["cmake", "-S", self.src, "-B", self.build, "-G", "Ninja",
                           "-DCMAKE_BUILD_TYPE=RelWithDebInfo", "-DNEROLIT_TEST_DISCOVERY=OFF",
                           "-DNEROLIT_TESTS_BUILD_HOST=OFF"] +
                          (["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"] if shutil.which("ccache") else []), 600,
                          env=self.env)
        if status != 0:
            sys.exit("mutate: configuring the scratch build failed:\n" + out[-3000:])
        status, out = self.build_tests(timeout=7200)  # the first build is a whole one
        if status != 0:
            sys.exit("mutate: the unchanged sources do not build:\n" + out[-3000:])
        if self.args.skip_baseline:
            return 0.0
        started = time.time()
        status, out = self.test(timeout=3600)  # no per-mutant limit yet: it is made from this time
        spent = time.time() - started
        if status is None:
            sys.exit("mutate: the fast tests on the unchanged sources took more than an hour:\n" + out[-3000:])
        if status != 0:
            sys.exit("mutate: the fast tests fail on the unchanged sources:\n" + out[-3000:])
        return spent

    def build_tests(self, timeout=None):
        return run(["ninja", "-C", self.build, "nerolit_tests"], timeout or self.args.build_timeout, env=self.env)

    def test(self, timeout=None, only="", besides=""):
        """Runs the fast tests (or those of `only` among them, or all but
        those of `besides`), stopping at the first failure."""
        pattern = self.args.filter
        positive, _, negative = pattern.partition("-")
        if only:
            only_pos, _, only_neg = only.partition("-")
            negative = ":".join(x for x in (negative, only_neg) if x)
            pattern = only_pos + ("-" + negative if negative else "")
        elif besides:
            pattern = positive + "-" + ":".join(x for x in (negative, besides) if x)
        return run([self.binary, "--gtest_filter=" + pattern, "--gtest_brief=1", "--gtest_fail_fast"],
                   timeout or self.args.test_timeout, cwd=self.build)

    def mutant(self, site):
        path = os.path.join(self.src, site["file"])
        original = open(path, encoding="utf-8").read()
        end = site["offset"] + site["length"]
        mutated = original[:site["offset"]] + site["replacement"] + original[end:]
        started = time.time()
        try:
            with open(path, "w", encoding="utf-8") as f:
                f.write(mutated)
            status, out = self.build_tests()
            if status is None or status != 0:
                return "build-error", out, time.time() - started
            folder = site["file"].split("/")[0]
            if self.args.thorough:
                status, out = self.test()
            else:
                only = FOLDER_TESTS.get(folder, "")
                slow, reaching = SLOW_TESTS.get(folder, ("", ()))
                if slow and site["file"] not in reaching:
                    only += "-" + slow
                status, out = self.test(only=only)
                if status == 0 and folder in FOLDER_TESTS:
                    status, out = self.test(besides=":".join(FOLDER_TESTS.values()))
            if status is None:
                result = "timed-out"
            elif status == 0:
                result = "survived"
            elif status < 0 or status > 128:
                result = "crashed"
            else:
                result = "caught"
            return result, out, time.time() - started
        finally:
            with open(path, "w", encoding="utf-8") as f:
                f.write(original)


def failing_tests(out):
    return sorted(set(re.findall(r"^\[  FAILED  \] (\S+)", out, re.M)))


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--seed", type=int, default=22)
    ap.add_argument("--count", type=int, default=200, help="mutants to plant")
    ap.add_argument("--time-limit", type=float, default=100, help="minutes for the whole run")
    ap.add_argument("--test-timeout", type=float, default=0,
                    help="seconds one test run may take (default: 3 times the unchanged run, at least 60)")
    ap.add_argument("--build-timeout", type=float, default=300)
    ap.add_argument("--filter", default=DEFAULT_FILTER, help="GoogleTest filter of the fast tests")
    ap.add_argument("--scratch", default="/tmp/nerolit-mutate")
    ap.add_argument("--report", default="")
    ap.add_argument("--rerun", default="", help="a report (JSON lines) whose survivors to plant again")
    ap.add_argument("--resume", action="store_true",
                    help="add to the report the mutants of the sample it does not hold yet")
    ap.add_argument("--operators", default="rel,const,logic,return")
    ap.add_argument("--mix", default="rel:35,const:35,logic:15,return:15",
                    help="each operator's share of the sample")
    ap.add_argument("--headers", action="store_true", help="mutate headers too (each rebuilds many objects)")
    ap.add_argument("--skip-baseline", action="store_true",
                    help="do not run the fast tests on the unchanged sources first")
    ap.add_argument("--thorough", action="store_true",
                    help="run every fast test for every fault, not the command's first")
    ap.add_argument("--jobs", type=int, default=1, help="mutants built and tested at a time (one scratch tree each)")
    ap.add_argument("--list", action="store_true")
    ap.add_argument("--prepare-only", action="store_true", help="build the scratch tree and time the fast tests")
    args = ap.parse_args()

    operators = set(args.operators.split(","))
    sites = [s for s in all_sites(args.headers) if s["operator"] in operators]
    if args.list:
        for s in sites:
            print(f'{s["file"]}:{s["line"]}: {s["operator"]}: {s["change"]}')
        print(f"{len(sites)} sites", file=sys.stderr)
        return 0
    if args.rerun:
        sample = []
        for line in open(args.rerun, encoding="utf-8"):
            r = json.loads(line)
            if r.get("result") == "survived":
                sample.append({k: r[k] for k in ("file", "offset", "length", "replacement",
                                                  "operator", "line", "change")})
        # A site that still holds what the report changed is planted there
        # again; one whose file moved is looked for by line and change (a
        # line may hold the same change twice: then the first is taken).
        by_offset = {(c["file"], c["offset"], c["replacement"]) for c in sites}
        current = {}
        for c in sites:
            current.setdefault((c["file"], c["line"], c["change"]), c)
        for s in sample:
            if (s["file"], s["offset"], s["replacement"]) in by_offset:
                continue
            if (s["file"], s["line"], s["change"]) in current:
                s.update(current[(s["file"], s["line"], s["change"])])
    else:
        # Constants outnumber the other sites four to one; the mix keeps
        # each operator's share of the sample whatever the sources hold.
        rng = random.Random(args.seed)
        mix = dict((k, float(v)) for k, v in (part.split(":") for part in args.mix.split(",")))
        mix = {k: v for k, v in mix.items() if k in operators}
        total = sum(mix.values())
        sample = []
        for op in sorted(mix):
            pool = [s for s in sites if s["operator"] == op]
            want = min(len(pool), round(args.count * mix[op] / total))
            sample += rng.sample(pool, want)
        sample.sort(key=lambda s: (s["file"], s["offset"], s["replacement"]))
        rng.shuffle(sample)  # a run cut short by its time limit is still a fair sample

    earlier = []
    if args.resume:  # the mutants of an unfinished report are not planted again
        path = args.report or os.path.join(os.path.abspath(args.scratch), "report.jsonl")
        if os.path.exists(path):
            earlier = [json.loads(line) for line in open(path, encoding="utf-8") if line.strip()]
        seen = {(r["file"], r["offset"], r["replacement"]) for r in earlier}
        sample = [s for s in sample if (s["file"], s["offset"], s["replacement"]) not in seen]

    runners = [Runner(args, k) for k in range(args.jobs)]
    # The first scratch tree is copied from the worktree once; the others
    # from the first, so that edits made in the worktree while the run goes
    # on reach none of them (the sample's offsets are the first copy's).
    files = tree_files(ROOT)
    baseline = runners[0].prepare(ROOT, files)
    if args.prepare_only:
        print(f"mutate: scratch build ready; the fast tests took {baseline:.1f} s")
        return 0
    args.skip_baseline = True  # the other trees build the same sources
    for r in runners[1:]:
        r.prepare(runners[0].src, files)
    if not args.test_timeout:
        args.test_timeout = max(300.0, 3 * baseline)
    report = open(args.report or os.path.join(runners[0].scratch, "report.jsonl"), "a" if args.resume else "w",
                  encoding="utf-8")
    print(f"mutate: {len(sites)} sites, {len(sample)} mutants (seed {args.seed}), {args.jobs} at a time; "
          f"unchanged fast tests {baseline:.1f} s, limit per run {args.test_timeout:.0f} s", flush=True)
    deadline = time.time() + args.time_limit * 60
    counts = {}
    survivors = []
    for r in earlier:
        counts[r["result"]] = counts.get(r["result"], 0) + 1
        if r["result"] == "survived":
            survivors.append(f'{r["file"]}:{r["line"]}: {r["change"]}')
    lock = threading.Lock()
    pending = list(enumerate(sample))
    done = [0]

    def work(runner):
        while True:
            with lock:
                if not pending or time.time() > deadline:
                    return
                i, site = pending.pop(0)
            result, out, spent = runner.mutant(site)
            with lock:
                done[0] += 1
                counts[result] = counts.get(result, 0) + 1
                record = dict(site, result=result, seconds=round(spent, 1), failed=failing_tests(out))
                report.write(json.dumps(record) + "\n")
                report.flush()
                where = f'{site["file"]}:{site["line"]}: {site["change"]}'
                print(f"[{done[0]}/{len(sample)}] {result:11} {where}  ({spent:.0f} s)", flush=True)
                if result == "survived":
                    survivors.append(where)

    threads = [threading.Thread(target=work, args=(r,)) for r in runners]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    if pending:
        print(f"mutate: time limit reached after {done[0]} mutants", flush=True)
    for r in runners:
        r.build_tests()  # leave the scratch builds as the sources are
    planted = sum(v for k, v in counts.items() if k != "build-error")
    print("\nmutate: " + ", ".join(f"{k} {counts.get(k, 0)}" for k in
                                   ("caught", "survived", "crashed", "timed-out", "build-error"))
          + f" of {planted} planted that compiled")
    for s in survivors:
        print("survived: " + s)
    return 0


if __name__ == "__main__":
    sys.exit(main())
