#!/usr/bin/env python3
"""Writes src/platform/web/gl/outside_subset.cpp: every GL 1.0 and 1.1 entry
point of GL/gl.h that src/platform/web/gl/opengl32.cpp does not define, each
setting GL_INVALID_OPERATION and saying so once on the console.

    tools/web/make_outside_subset.py [GL/gl.h]

Run it again when the subset in opengl32.cpp changes (the link fails with a
duplicate symbol until it is)."""

import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]
HEADER = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "/usr/include/GL/gl.h")
SUBSET = ROOT / "src/platform/web/gl/opengl32.cpp"
OUT = ROOT / "src/platform/web/gl/outside_subset.cpp"


def declarations(text):
    # The 1.0 and 1.1 entry points come before the header's OpenGL 1.2 part.
    text = text[: text.index(" * OpenGL 1.2")]
    flat = " ".join(text.split())
    for match in re.finditer(r"GLAPI ([\w \*]+?) GLAPIENTRY (gl\w+)\s*\(([^)]*)\);", flat):
        yield match.group(1).strip(), match.group(2), match.group(3).strip()


def unnamed(parameters):
    # "const GLfloat *v" -> "const GLfloat*": the stubs read no argument.
    if parameters == "void":
        return "void"
    kept = []
    for parameter in parameters.split(","):
        kept.append(re.sub(r"\s*\b\w+$", "", parameter.strip()).replace(" *", "*"))
    return ", ".join(kept)


def main():
    defined = set(re.findall(r"GLAPIENTRY (gl\w+)\(", SUBSET.read_text()))
    lines = [
        "// Made by tools/web/make_outside_subset.py: the GL 1.1 entry points outside",
        "// the page's subset. Each sets GL_INVALID_OPERATION on the current context",
        "// and says once on the console that it was called.",
        '#include "platform/web/gl/gl_context.h"',
        "",
        "// One entry point a line, as the script writes them.",
        "// clang-format off",
        "",
        "namespace {",
        "",
        "void Outside(const char* name) {",
        "  if (web::gl::GlContext* context = web::gl::Current())",
        "    context->Outside(name);",
        "  else",
        "    web::gl::ReportOutsideSubset(name);",
        "}",
        "",
        "}  // namespace",
        "",
    ]
    count = 0
    for result, name, parameters in declarations(HEADER.read_text()):
        if name in defined:
            continue
        body = f'Outside("{name}");' + ("" if result == "void" else " return {};")
        lines.append(f"{result} GLAPIENTRY {name}({unnamed(parameters)}) {{ {body} }}")
        count += 1
    OUT.write_text("\n".join(lines) + "\n")
    print(f"{OUT.relative_to(ROOT)}: {count} entry points outside the subset, "
          f"{len(defined)} in it")


main()
