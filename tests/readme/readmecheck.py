#!/usr/bin/env python3
"""README.md against the repository: its size, the relative links of README.md and docs/*.md,
the set-up line run as root and as a user, and the test command that CI runs.

Usage: readmecheck.py REPOSITORY
"""
import glob
import os
import re
import subprocess
import sys
import tempfile

# A newcomer reads the README whole; what does not fit goes into docs/.
largest = 12288
# The section of .ci/run whose command is the README's test command names it so.
cimarker = "README's test command"


def codelines(text):
    """The lines of the code blocks (fenced, or indented after a blank line) of a Markdown text."""
    code = []
    fenced = False
    previous = ""
    incode = False
    for line in text.split("\n"):
        if line.startswith("```"):
            fenced = not fenced
        elif fenced:
            code.append(line)
        elif line.startswith(("    ", "\t")) and (incode or not previous.strip()):
            incode = True
            code.append(line.strip())
        elif line.strip():
            incode = False
        previous = line
    return code


def prose(text):
    """A Markdown text without its code blocks and code spans, where a link is only an example."""
    code = set(codelines(text))
    kept = [line for line in text.split("\n") if line.strip() not in code or not line.strip()]
    return re.sub(r"`[^`\n]*`", "", "\n".join(kept))


def anchors(path):
    """The anchors GitHub gives the headings of a Markdown file."""
    seen = {}
    found = set()
    for heading in re.findall(r"^#+\s+(.*?)\s*#*$", prose(open(path, encoding="utf-8").read()),
                              re.MULTILINE):
        slug = re.sub(r"[^\w\- ]", "", heading.lower()).replace(" ", "-")
        count = seen.get(slug, 0)
        seen[slug] = count + 1
        found.add(slug if count == 0 else "%s-%d" % (slug, count))
    return found


def checklinks(path, root, faults):
    shown = os.path.relpath(path, root)
    text = prose(open(path, encoding="utf-8").read())
    targets = re.findall(r"\]\(([^)\s]+)(?:\s+\"[^\"]*\")?\)", text)
    targets += re.findall(r"^\[[^\]]+\]:\s*(\S+)", text, re.MULTILINE)
    for target in targets:
        if re.match(r"[a-z][a-z0-9+.-]*:", target):
            continue  # a web address, not a file of the repository
        name, _, fragment = target.partition("#")
        named = os.path.normpath(os.path.join(os.path.dirname(path), name)) if name else path
        if not os.path.exists(named):
            faults.append("%s links to %s, which does not exist" % (shown, target))
        elif fragment and named.endswith(".md") and fragment not in anchors(named):
            faults.append("%s links to %s, which has no heading of that anchor" % (shown, target))


def setupline(readme, faults):
    """The README's apt-get line must install as root without sudo, and as a user through it."""
    lines = [line for line in codelines(readme) if "apt-get install" in line]
    if len(lines) != 1:
        faults.append("README.md holds %d set-up lines (apt-get install in a code block), not one"
                      % len(lines))
        return
    with tempfile.TemporaryDirectory() as stubs:
        log = os.path.join(stubs, "log")
        scripts = {
            "id": 'echo "$STUBUID"',
            "sudo": 'echo sudo >> "$STUBLOG"; exec "$@"',
            "apt-get": 'echo "apt-get $*" >> "$STUBLOG"',
            "apt": 'echo "apt $*" >> "$STUBLOG"',
        }
        for name, body in scripts.items():
            stub = os.path.join(stubs, name)
            with open(stub, "w") as script:
                script.write("#!/bin/sh\n%s\n" % body)
            os.chmod(stub, 0o755)
        for user, uid in (("root", "0"), ("a user", "1000")):
            open(log, "w").close()
            environment = dict(os.environ, PATH=stubs + os.pathsep + os.environ["PATH"],
                               STUBUID=uid, STUBLOG=log)
            run = subprocess.run(["bash", "-c", lines[0]], env=environment,
                                 stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
            calls = open(log).read().split("\n")[:-1]
            installs = [i for i, call in enumerate(calls) if call.startswith("apt")]
            if run.returncode != 0 or not installs:
                faults.append("the set-up line run as %s installs nothing: %s"
                              % (user, run.stdout.strip() or calls))
            elif uid == "0" and "sudo" in calls:
                faults.append("the set-up line calls sudo as root, where there is none")
            elif uid != "0" and any(i == 0 or calls[i - 1] != "sudo" for i in installs):
                faults.append("the set-up line runs apt without sudo as a user: %s" % calls)


def unconditionalsudo(path, root, faults):
    """A command of README.md or docs/ that begins with sudo fails in a root shell."""
    for line in codelines(open(path, encoding="utf-8").read()):
        if re.search(r"(^|&&|\|\||[;|(])\s*sudo\s", line):
            faults.append("%s runs sudo unconditionally: %s" % (os.path.relpath(path, root), line))


def testcommand(readme, ci, faults):
    """The README's test command is the one .ci/run runs under its section that names it."""
    lines = ci.split("\n")
    marked = [i for i, line in enumerate(lines) if line.startswith("echo") and cimarker in line]
    if len(marked) != 1:
        faults.append(".ci/run has %d sections named \"%s\", not one" % (len(marked), cimarker))
        return
    command = ""
    for line in lines[marked[0] + 1:]:
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        command += line.rstrip("\\").strip() + " "
        if not line.endswith("\\"):
            break
    command = command.strip()
    ours = [line for line in codelines(readme) if re.search(r"\bctest\b", line)]
    if ours != [command]:
        faults.append("README.md's test command %s is not .ci/run's: %s" % (ours, command))


def main():
    root = sys.argv[1]
    readmepath = os.path.join(root, "README.md")
    readme = open(readmepath, encoding="utf-8").read()
    faults = []
    size = os.path.getsize(readmepath)
    if size > largest:
        faults.append("README.md is %d bytes, more than %d: move detail into docs/"
                      % (size, largest))
    documents = [readmepath] + sorted(glob.glob(os.path.join(root, "docs", "*.md")))
    for path in documents:
        checklinks(path, root, faults)
        unconditionalsudo(path, root, faults)
    setupline(readme, faults)
    testcommand(readme, open(os.path.join(root, ".ci", "run"), encoding="utf-8").read(), faults)
    for fault in faults:
        print(fault)
    print("readme: %d documents, %d faults" % (len(documents), len(faults)))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
