#!/usr/bin/env python3
"""Writes the web page's outside_subset.cpp: every GL 1.0 and 1.1 entry point
of GL/gl.h that src/platform/web/gl/opengl32.cpp does not define, each setting
GL_INVALID_OPERATION and saying so once on the console.

    tools/web/make_outside_subset.py GL/gl.h OPENGL32_CPP OUT

The build runs it (src/platform/web/CMakeLists.txt) with the gl.h its compiler
sees, whenever opengl32.cpp or this script changes; the file lives in the build
tree only."""

import argparse
import pathlib
import re

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
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("header", type=pathlib.Path, help="GL/gl.h")
    parser.add_argument("subset", type=pathlib.Path, help="opengl32.cpp, the subset the page has")
    parser.add_argument("out", type=pathlib.Path, help="the file to write")
    args = parser.parse_args()
    defined = set(re.findall(r"GLAPIENTRY (gl\w+)\(", args.subset.read_text()))
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
    for result, name, parameters in declarations(args.header.read_text()):
        if name in defined:
            continue
        body = f'Outside("{name}");' + ("" if result == "void" else " return {};")
        lines.append(f"{result} GLAPIENTRY {name}({unnamed(parameters)}) {{ {body} }}")
        count += 1
    args.out.parent.mkdir(parents=True, exist_ok=True)
    args.out.write_text("\n".join(lines) + "\n")
    print(f"{args.out.name}: {count} entry points outside the subset, {len(defined)} in it")


main()
