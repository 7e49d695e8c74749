#!/usr/bin/env python3
"""Runs relalg and relalg-explain on queries nested to the nesting limit with a stack of 1 MiB.

Nothing in either program may recurse once per level of nesting: a recursion through 100,000
levels would need far more stack than that. Each shape is one chain of calls (select, NOT,
AND, union, project); relalg must give the expected result table, and relalg-explain must
write its text, its LaTeX formula and its SQL script, and refuse the JSON, which would hold
the steps' texts quadratically, with exit status 1 and its reason. A NOT chain 5,000 deep,
whose JSON is written, checks the JSON writer.

Usage: smallstack.py RELALG RELALG_EXPLAIN SHAPE
"""

import os
import resource
import subprocess
import sys
import tempfile

stack = 1 << 20
limit = 100000
tables = "\n\nR(a int, b char(3))\n1,'x'\n2,'y'\n1,'z'\n"
rows = {'ones': "1,'x'\n1,'z'\n", 'sorted': "1,'x'\n1,'z'\n2,'y'\n"}

# Each shape at its deepest: a query and the rows of its result (the header is R's).
shapes = {
    'select': ('select(' * (limit - 1) + 'R' + ',EQ(a,1))' * (limit - 1), rows['ones']),
    'not': ('select(R,' + 'NOT(' * (limit - 2) + 'EQ(a,1)' + ')' * (limit - 2) + ')',
            rows['ones']),
    'and': ('select(R,' + 'AND(EQ(a,1),' * (limit - 2) + "NEQ(b,'x')" + ')' * (limit - 2) + ')',
            "1,'z'\n"),
    'union': ('union(' * limit + 'R' + ',R)' * limit, rows['sorted']),
    'project': ('project(' * limit + 'R' + ',a,b)' * limit, rows['sorted']),
}


def smallstack():
    resource.setrlimit(resource.RLIMIT_STACK, (stack, stack))


def run(arguments):
    return subprocess.run(arguments, capture_output=True, preexec_fn=smallstack, timeout=600)


def fail(message):
    print(message)
    sys.exit(1)


def check(relalg, explain, folder, query, expected):
    path = os.path.join(folder, 'in')
    with open(path, 'w') as f:
        f.write(query + tables)
    output = os.path.join(folder, 'out')
    ran = run([relalg, path, output])
    header = 'R(a int, b char(3))\n' if not query.startswith('project') else '(a int, b char(3))\n'
    with open(output) as f:
        written = f.read()
    if ran.returncode != 0 or not written.endswith('\n' + header + expected + '\n'):
        fail('relalg: status %d, result %r' % (ran.returncode, written[-80:]))
    for form in ([], ['--latex'], ['--sql']):
        ran = run([explain] + form + [path])
        if ran.returncode != 0 or not ran.stdout:
            fail('relalg-explain %s: status %d, %s' % (form, ran.returncode, ran.stderr[-300:]))
    ran = run([explain, '--json', path])
    if ran.returncode != 1 or b'nests too deep' not in ran.stderr:
        fail('relalg-explain --json: status %d, %s' % (ran.returncode, ran.stderr[-300:]))


def checkjson(explain, folder):
    depth = 5000
    path = os.path.join(folder, 'json.in')
    with open(path, 'w') as f:
        f.write('select(R,' + 'NOT(' * depth + 'EQ(a,1)' + ')' * depth + ')' + tables)
    ran = run([explain, '--json', path])
    document = ran.stdout
    if ran.returncode != 0 or not document.startswith(b'{"tables":') or \
            document.count(b'"keyword":"NOT"') != depth or not document.endswith(b']}\n'):
        fail('relalg-explain --json at %d: status %d, %s' % (depth, ran.returncode,
                                                             ran.stderr[-300:]))


def main():
    relalg, explain, shape = sys.argv[1:4]
    with tempfile.TemporaryDirectory() as folder:
        check(relalg, explain, folder, *shapes[shape])
        if shape == 'not':
            checkjson(explain, folder)
    print('%s: %d levels on a stack of %d KiB' % (shape, limit, stack >> 10))


if __name__ == '__main__':
    main()
