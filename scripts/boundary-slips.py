#!/usr/bin/env python3
"""The boundary-slip pass: makes each one-line slip of scripts/boundary-slips-list.py (a limit's
<= for <, a +1 or -1, a clamp dropped, a capacity one short) in turn, rebuilds the test programs
that cover its module, runs them and records whether any test failed. Every file is put back
after its slip, and the programs are rebuilt from the untouched sources at the end.

It edits sources in place: run it on a copy of the tree with a build folder of its own, never in
a worktree with changes in progress, e.g.

    mkdir /tmp/slips && tar --exclude=./build* --exclude=./.git -cf - . | tar -xf - -C /tmp/slips
    cmake -S /tmp/slips -B /tmp/slips/build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRIMBA_BUILD_TESTS=ON \\
          -DRIMBA_BUILD_BENCH=OFF
    scripts/boundary-slips.py /tmp/slips /tmp/slips/build scripts/boundary-slips-list.py slips.json [ids]

`ids` (comma-separated) limits the pass to those slips. The answers go to the JSON file, one
entry per slip: caught (with the failing tests), SURVIVED, or does-not-compile. A slip whose
text is no longer found once in its file is reported as such: the list follows the code."""
import json
import os
import pathlib
import subprocess
import sys

# The test programs each group of slips is built into and judged by.
GROUPS = {
    'EFF': ['effects_tests'],
    'SYN': ['synth_tests'],
    'CORE': ['core_tests', 'synth_tests'],
    'CTRL': ['controls_tests'],
    'CLI': ['standalone_command_line_tests'],
}


def build(tree, folder, targets):
    env = dict(os.environ, CCACHE_BASEDIR=str(tree), CCACHE_NOHASHDIR='true')
    done = subprocess.run(['cmake', '--build', str(folder), '-j2', '--target'] + targets,
                          capture_output=True, text=True, env=env)
    return done.returncode == 0, (done.stdout + done.stderr)[-600:]


def failing_tests(folder, program):
    """None when the program passes, else the names of its failing tests (or how it ended)."""
    try:
        done = subprocess.run([str(folder / 'tests' / program)], capture_output=True, text=True, timeout=600,
                              cwd=str(folder / 'tests'))
    except subprocess.TimeoutExpired:
        return 'timeout'
    if done.returncode == 0:
        return None
    names = sorted({line.split()[3] for line in done.stdout.splitlines()
                    if line.startswith('[  FAILED  ]') and len(line.split()) > 3 and 'listed' not in line
                    and ' tests,' not in line})
    return ' '.join(names) or 'exit %d' % done.returncode


def main():
    tree, folder, listing, answers = (pathlib.Path(sys.argv[1]).resolve(), pathlib.Path(sys.argv[2]).resolve(), sys.argv[3],
                                      sys.argv[4])
    chosen = set(sys.argv[5].split(',')) if len(sys.argv) > 5 and sys.argv[5] else None
    names = {}
    exec(open(listing).read(), names)
    slips = [s for s in names['SLIPS'] if chosen is None or s['id'] in chosen]
    results = json.load(open(answers)) if os.path.exists(answers) else {}
    for slip in slips:
        source = tree / slip['file']
        original = source.read_text()
        found = original.count(slip['old'])
        if found != 1:
            results[slip['id']] = {'status': 'text found %d times' % found}
        else:
            source.write_text(original.replace(slip['old'], slip['new']))
            try:
                programs = GROUPS[slip['group']]
                built, log = build(tree, folder, programs)
                if not built:
                    results[slip['id']] = {'status': 'does-not-compile', 'log': log}
                else:
                    caught = [p + ': ' + f for p in programs if (f := failing_tests(folder, p)) is not None]
                    results[slip['id']] = {'status': 'caught' if caught else 'SURVIVED', 'by': caught}
            finally:
                source.write_text(original)
        print(slip['id'], results[slip['id']]['status'], results[slip['id']].get('by', ''), flush=True)
        json.dump(results, open(answers, 'w'), indent=1)
    for group in sorted({s['group'] for s in slips}):
        build(tree, folder, GROUPS[group])


if __name__ == '__main__':
    main()
