"""What the symbol checks share: running a binary tool, demangling, and reading a list of names.

Names are compared as a program writes them: the standard library's ABI namespaces and tags
(std::__1, std::__cxx11, [abi:cxx11]) are dropped, so one list serves libstdc++ and libc++.
"""

import subprocess
import sys


def run(command, stdin=None):
    """The command's standard output; exits naming the command when it fails."""
    result = subprocess.run(command, input=stdin, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            text=True)
    if result.returncode != 0:
        sys.exit(f"{' '.join(command)} failed:\n{result.stderr}")
    return result.stdout


def normalized(name):
    # libstdc++ and libc++ put the standard library's types in different inline namespaces and
    # tag the functions that return them.
    for abi in ("std::__1::", "std::__cxx11::"):
        name = name.replace(abi, "std::")
    return name.replace("[abi:cxx11]", "")


def demangled(cxxfilt, symbols):
    """The normalized demangled names of the mangled symbols."""
    if not symbols:
        return set()
    # -n: the names carry no leading underscore for c++filt to strip (i386 MinGW strips one).
    output = run([cxxfilt, "-n"], "\n".join(symbols) + "\n")
    return {normalized(name) for name in output.splitlines()}


def list_lines(path):
    """The lines of a list file, stripped, without blank lines and "#" comment lines."""
    lines = []
    with open(path, encoding="utf-8") as f:
        for raw in f:
            line = raw.strip()
            if line and not line.startswith("#"):
                lines.append(line)
    return lines
