#!/usr/bin/env python3
"""Checks relalg-explain against relalg over input files.

For each input: the JSON document that `relalg-explain --json` writes must parse, and every
node's "rows" must equal the row count of the result that relalg gives when the node's "text"
is the whole query, over the same tables (save nodes of more rows than relalg can hold).

Usage: rowscheck.py RELALG RELALG_EXPLAIN INPUT_OR_FOLDER...
"""

import json
import os
import re
import subprocess
import sys
import tempfile

# \\u0080 to \\u00ff in the document each stand for one byte that is not UTF-8; valid
# characters are written as they are. As lone surrogates they decode back to those bytes.
byteescape = re.compile(r'(?<!\\)((?:\\\\)*)\\u00([89a-fA-F][0-9a-fA-F])')


# Row indices are signed 32-bit: relalg holds no table of more rows.
holdable = 2**31 - 1


def parse(document):
    text = byteescape.sub(lambda m: m.group(1) + '\\udc' + m.group(2), document.decode('utf-8'))
    return json.loads(text)


def asbytes(text):
    return text.encode('utf-8', 'surrogateescape')


def tablesof(data):
    """The input after its query section, as relalg reads it: CR before LF dropped."""
    data = data.replace(b'\r\n', b'\n')
    end = data.find(b'\n\n')
    return b'' if end < 0 else data[end + 2:]


def resultrows(output):
    """The row count of the last table of an output file: the lines of its last block."""
    body = output[:-1] if output.endswith(b'\n') else output
    last = body.rsplit(b'\n\n', 1)[-1]
    return last.count(b'\n') - 1  # the header line


def nodes(node):
    yield node
    for operand in node['operands']:
        yield from nodes(operand)


def check(relalg, explain, path, scratch):
    with open(path, 'rb') as f:
        data = f.read()
    run = subprocess.run([explain, '--json', path], capture_output=True, timeout=60)
    if run.returncode != 0:
        return ['%s: relalg-explain exited with %d' % (path, run.returncode)]
    try:
        document = parse(run.stdout)
    except ValueError as error:
        return ['%s: the JSON does not parse: %s' % (path, error)]
    failures = []
    tables = tablesof(data)
    given = os.path.join(scratch, 'in.txt')
    written = os.path.join(scratch, 'out.txt')
    for node in nodes(document['result']):
        if node['rows'] is not None and node['rows'] > holdable:
            continue  # relalg refuses a table of more rows than it can count
        with open(given, 'wb') as f:
            f.write(asbytes(node['text']) + b'\n\n' + tables)
        evaluated = subprocess.run([relalg, given, written], capture_output=True, timeout=60)
        if node['rows'] is None:
            # A value explained as not fitting is one relalg refuses.
            if evaluated.returncode != 1 or b'does not fit' not in evaluated.stderr:
                failures.append('%s: %r is told not to fit, yet relalg exits with %d'
                                % (path, node['text'], evaluated.returncode))
            continue
        if evaluated.returncode != 0:
            failures.append('%s: relalg exited with %d on %r'
                            % (path, evaluated.returncode, node['text']))
            continue
        with open(written, 'rb') as f:
            rows = resultrows(f.read())
        if rows != node['rows']:
            failures.append('%s: %r has %d rows in relalg, %d in relalg-explain'
                            % (path, node['text'], rows, node['rows']))
    return failures


def inputs(arguments):
    for argument in arguments:
        if os.path.isdir(argument):
            for root, _, files in sorted(os.walk(argument)):
                for name in sorted(files):
                    if name.endswith(('.in', '.txt')):
                        yield os.path.join(root, name)
        else:
            yield argument


def main():
    relalg, explain = sys.argv[1], sys.argv[2]
    failures = []
    count = 0
    with tempfile.TemporaryDirectory() as scratch:
        for path in inputs(sys.argv[3:]):
            count += 1
            failures += check(relalg, explain, path, scratch)
    for failure in failures:
        print(failure)
    print('%d inputs, %d failures' % (count, len(failures)))
    return 1 if failures or count == 0 else 0


if __name__ == '__main__':
    sys.exit(main())
