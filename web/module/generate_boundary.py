#!/usr/bin/env python3
"""Writes the boundary between the page and its WebAssembly modules from its
one declaration (web/module/boundary.json).

For each module it writes:
  - a C++ header with the extern "C" prototypes of every export, the records
    the exports return (with their layout checked), and checks that every
    enum value and constant the page uses is the C++ one; the module's
    sources include it, so a changed signature or value fails the build;
  - the list of its exports for the linker (EXPORTED_FUNCTIONS);
  - for the modules with JavaScript glue, an ES module with the enums, a
    reader per record and a wrapper class with one typed method per export,
    and a TypeScript declaration of the glue's factory for the type check.
Run by the build; only the standard library is needed. A declaration that
does not hold together is refused with a message naming what is wrong.
"""

import argparse
import json
import re
import sys
from pathlib import Path

SCALARS = {"int", "double", "bool", "text", "address", "uint32", "float_address"}
# How each type crosses in C: a bool is 0 or 1, a text is its byte length in
# the text buffer, a record the address of one the module keeps.
C_ARGUMENT = {"int": "int", "double": "double", "bool": "int", "text": "int", "uint32": "std::uint32_t"}
C_RESULT = {"void": "void", "int": "int", "double": "double", "bool": "int", "text": "int",
            "address": "std::uint8_t *", "float_address": "float *", "uint32": "std::uint32_t"}
JS_TYPE = {"int": "number", "double": "number", "bool": "boolean", "text": "string", "address": "number",
           "uint32": "number", "float_address": "number", "void": "void"}
FIELD_TYPES = {"double", "int", "bool"}
NAME = re.compile(r"^[A-Za-z_][A-Za-z0-9_]*$")


class Refused(Exception):
    pass


def check(declaration: dict) -> None:
    """Refuses a declaration whose parts do not fit together."""
    enums = declaration.get("enums", {})
    records = declaration.get("records", {})
    for name, enum in enums.items():
        values = enum.get("values", {})
        if not values:
            raise Refused(f"enum {name} has no values")
        if len(set(values.values())) != len(values):
            raise Refused(f"enum {name} gives one value two names")
        if not all(isinstance(v, int) for v in values.values()):
            raise Refused(f"enum {name} has a value that is not a whole number")
        if not enum.get("cpp") or not enum.get("include"):
            raise Refused(f"enum {name} names no C++ enum and header")
    for name, record in records.items():
        fields = record.get("fields", [])
        if not fields:
            raise Refused(f"record {name} has no fields")
        names = [f for f, _ in fields]
        if len(set(names)) != len(names):
            raise Refused(f"record {name} names a field twice")
        for field, kind in fields:
            if kind not in FIELD_TYPES:
                raise Refused(f"record {name}: field {field} is of unknown type {kind}")
    clash = set(enums) & set(records)
    if clash:
        raise Refused(f"{', '.join(sorted(clash))} is both an enum and a record")
    seen = set()
    pages = [name for name, module in declaration.get("modules", {}).items() if module.get("page")]
    if len(pages) != 1:
        raise Refused("exactly one module is the page's (\"page\": true), which the enums belong to")
    for module_name, module in declaration.get("modules", {}).items():
        for export in module.get("exports", []):
            name = export.get("name", "")
            if not NAME.match(name):
                raise Refused(f"module {module_name}: export name {name!r} is not a C name")
            if name in seen:
                raise Refused(f"export {name} is declared twice")
            seen.add(name)
            arguments = export.get("args", [])
            if len({a for a, _ in arguments}) != len(arguments):
                raise Refused(f"{name} names an argument twice")
            for argument, kind in arguments:
                if kind not in C_ARGUMENT and kind not in enums:
                    raise Refused(f"{name}: argument {argument} is of unknown type {kind}")
            result = export.get("result", "void")
            if result not in C_RESULT and result not in enums and result not in records:
                raise Refused(f"{name}: unknown result type {result}")
            texts = any(kind == "text" for _, kind in arguments) or result == "text"
            if texts and "text_buffer" not in module:
                raise Refused(f"{name} passes text, but module {module_name} has no text buffer")
        buffer = module.get("text_buffer")
        if buffer and not {buffer["address"], buffer["capacity"]} <= {e["name"] for e in module["exports"]}:
            raise Refused(f"module {module_name}: its text buffer's exports are not declared")


def c_argument(kind: str) -> str:
    return C_ARGUMENT.get(kind, "int")


def c_result(kind: str, records: dict) -> str:
    if kind in records:
        return f"const frostpane_boundary::{kind} *"
    return C_RESULT.get(kind, "int")


def header(declaration: dict, module_name: str) -> str:
    module = declaration["modules"][module_name]
    records = declaration.get("records", {})
    enums = declaration.get("enums", {})
    constants = declaration.get("constants", {})
    exports = module["exports"]
    used_records = [r for r in records if any(e.get("result") == r for e in exports)]
    # The enums and constants belong to the module marked "page": they are
    # checked where it is built, where their C++ headers are at hand.
    checks_values = module.get("page", False)
    includes = sorted({e["include"] for e in enums.values()} | {c["include"] for c in constants.values()}) \
        if checks_values else []
    out = [
        "// Written by web/module/generate_boundary.py from web/module/boundary.json;",
        "// edit those, not this file.",
        f"// {module.get('doc', module_name)}",
        "#pragma once",
        "",
        "#include <cstddef>",
        "#include <cstdint>",
    ]
    out += [f'#include "{i}"' for i in includes]
    out.append("")
    if used_records:
        out.append("namespace frostpane_boundary {")
        out.append("")
        for name in used_records:
            fields = records[name]["fields"]
            out.append(f"// {records[name].get('doc', name)} Every field is a double.")
            out.append(f"struct {name}")
            out.append("{")
            out += [f"    double {field} = 0;" for field, _ in fields]
            out.append("};")
            out.append(f"static_assert(sizeof({name}) == {8 * len(fields)}, \"the page reads {name} as doubles\");")
            for index, (field, _) in enumerate(fields):
                out.append(f"static_assert(offsetof({name}, {field}) == {8 * index});")
            out.append("")
        out.append("} // namespace frostpane_boundary")
        out.append("")
    if checks_values:
        for name, enum in enums.items():
            for value_name, value in enum["values"].items():
                out.append(f"static_assert(static_cast<int>({enum['cpp']}::{value_name}) == {value},")
                out.append(f'              "the page\'s {name}.{value_name} is not the C++ value");')
        for name, constant in constants.items():
            out.append(f"static_assert({constant['cpp']} == {constant['value']}, \"the page's {name} differs\");")
        out.append("")
    out.append('extern "C" {')
    out.append("")
    for export in exports:
        arguments = ", ".join(f"{c_argument(kind)} {argument}" for argument, kind in export.get("args", []))
        out.append(f"// {export.get('doc', '')}".rstrip())
        result = c_result(export.get("result", "void"), records)
        out.append(f"{result}{'' if result.endswith('*') else ' '}{export['name']}({arguments});")
    out.append("")
    out.append('} // extern "C"')
    return "\n".join(out) + "\n"


def exports_list(declaration: dict, module_name: str) -> str:
    names = [f"_{e['name']}" for e in declaration["modules"][module_name]["exports"]]
    return json.dumps(names) + "\n"


def method_name(export_name: str) -> str:
    return export_name[3:] if export_name.startswith("fp_") else export_name


def js_type(kind: str, declaration: dict) -> str:
    if kind in declaration.get("records", {}):
        return kind
    return JS_TYPE.get(kind, "number")


def field_js_type(kind: str) -> str:
    return "boolean" if kind == "bool" else "number"


def javascript(declaration: dict, module_name: str) -> str:
    module = declaration["modules"][module_name]
    records = declaration.get("records", {})
    exports = module["exports"]
    used_records = [r for r in records if any(e.get("result") == r for e in exports)]
    page_module = module.get("page", False)
    buffer = module.get("text_buffer")
    out = [
        "// Written by web/module/generate_boundary.py from web/module/boundary.json;",
        "// edit those, not this file.",
        f"// {module.get('doc', module_name)}",
        "",
        "/**",
        " * The module as its glue makes it: its memory and its exports.",
        " * @typedef {{ HEAPU8: Uint8Array, HEAPF64: Float64Array } & Record<string, any>} EmscriptenModule",
        " */",
        "",
    ]
    if page_module:
        for name, enum in declaration.get("enums", {}).items():
            items = ", ".join(f"{k}: {v}" for k, v in enum["values"].items())
            typed = ", ".join(f"{k}: number" for k in enum["values"])
            # Numbers, not literal types: the page keeps them in fields that
            # change.
            out.append(f"/** {enum.get('doc', name)} @type {{Readonly<{{ {typed} }}>}} */")
            out.append(f"export const {name} = Object.freeze({{ {items} }});")
        for name, constant in declaration.get("constants", {}).items():
            out.append(f"/** {constant.get('doc', name)} */")
            out.append(f"export const {name} = {constant['value']};")
        out.append("")
    for name in used_records:
        record = records[name]
        out.append("/**")
        out.append(f" * {record.get('doc', name)}")
        out.append(f" * @typedef {{object}} {name}")
        for field, kind in record["fields"]:
            out.append(f" * @property {{{field_js_type(kind)}}} {field}")
        out.append(" */")
        out.append("")
        out.append("/**")
        out.append(f" * Reads the {name} at `address` in the module's memory, field by field.")
        out.append(" * @param {Float64Array} memory the module's memory as doubles")
        out.append(" * @param {number} address")
        out.append(f" * @returns {{{name}}}")
        out.append(" */")
        out.append(f"export function read{name}(memory, address) {{")
        out.append("  const at = address / 8;")
        out.append("  return {")
        for index, (field, kind) in enumerate(record["fields"]):
            value = f"memory[at + {index}]"
            out.append(f"    {field}: {value + ' !== 0' if kind == 'bool' else value},")
        out.append("  };")
        out.append("}")
        out.append("")
    if buffer:
        out.append("const encoder = new TextEncoder();")
        out.append("const decoder = new TextDecoder();")
        out.append("")
    names = ", ".join(f"'_{e['name']}'" for e in exports)
    out.append("/** The C functions the module exports, as the glue names them. */")
    out.append(f"export const EXPORTS = Object.freeze([{names}]);")
    out.append("")
    out.append(f"/** {module.get('doc', module_name)} One method per C function. */")
    out.append(f"export class {module['class']} {{")
    out.append("  /**")
    out.append("   * @param {EmscriptenModule} module the module the glue made")
    out.append("   * @throws {Error} naming every declared export the module lacks")
    out.append("   */")
    out.append("  constructor(module) {")
    out.append("    const missing = EXPORTS.filter((name) => typeof module[name] !== 'function');")
    out.append("    if (missing.length > 0)")
    out.append(f"      throw new Error(`the module lacks ${{missing.join(', ')}}`);")
    out.append("    /** @type {EmscriptenModule} */")
    out.append("    this.module = module;")
    out.append("  }")
    out.append("")
    if buffer:
        out += [
            "  /**",
            "   * The `length` bytes of UTF-8 a call left in the text buffer.",
            "   * @param {number} length",
            "   * @returns {string}",
            "   */",
            "  takeText(length) {",
            f"    const start = this.module._{buffer['address']}();",
            "    return decoder.decode(this.module.HEAPU8.subarray(start, start + length));",
            "  }",
            "",
            "  /**",
            "   * Puts texts into the text buffer one after the other, cut at its",
            "   * capacity; returns the byte length of each.",
            "   * @param {...string} texts",
            "   * @returns {number[]}",
            "   */",
            "  putTexts(...texts) {",
            f"    let at = this.module._{buffer['address']}();",
            f"    const end = at + this.module._{buffer['capacity']}() - 1;",
            "    return texts.map((text) => {",
            "      const { written } = encoder.encodeInto(text, this.module.HEAPU8.subarray(at, end));",
            "      at += written;",
            "      return written;",
            "    });",
            "  }",
            "",
        ]
    for export in exports:
        arguments = export.get("args", [])
        result = export.get("result", "void")
        out.append("  /**")
        if export.get("doc"):
            out.append(f"   * {export['doc']}")
        for argument, kind in arguments:
            suffix = f" ({kind})" if kind in declaration.get("enums", {}) else ""
            out.append(f"   * @param {{{js_type(kind, declaration)}}} {argument}{suffix}")
        result_note = f" ({result})" if result in declaration.get("enums", {}) else ""
        out.append(f"   * @returns {{{js_type(result, declaration)}}}{result_note}")
        out.append("   */")
        out.append(f"  {method_name(export['name'])}({', '.join(a for a, _ in arguments)}) {{")
        texts = [a for a, kind in arguments if kind == "text"]
        if texts:
            out.append(f"    const [{', '.join(t + 'Length' for t in texts)}] = this.putTexts({', '.join(texts)});")
        passed = []
        for argument, kind in arguments:
            if kind == "text":
                passed.append(f"{argument}Length")
            elif kind == "bool":
                passed.append(f"{argument} ? 1 : 0")
            else:
                passed.append(argument)
        call = f"this.module._{export['name']}({', '.join(passed)})"
        if result == "void":
            out.append(f"    {call};")
        elif result == "bool":
            out.append(f"    return {call} !== 0;")
        elif result == "text":
            out.append(f"    return this.takeText({call});")
        elif result in records:
            # The call may grow the memory: its view is taken after it.
            out.append(f"    const address = {call};")
            out.append(f"    return read{result}(this.module.HEAPF64, address);")
        else:
            out.append(f"    return {call};")
        out.append("  }")
        out.append("")
    out[-1] = "}"
    return "\n".join(out) + "\n"


def instance_types(declaration: dict, module_name: str) -> str:
    """The exports of a module with no glue, as its instance has them."""
    module = declaration["modules"][module_name]
    out = [
        "// Written by web/module/generate_boundary.py from web/module/boundary.json.",
        f"// {module.get('doc', module_name)}",
        "export interface Exports {",
        "  memory: WebAssembly.Memory;",
    ]
    for export in module["exports"]:
        arguments = ", ".join(f"{a}: {JS_TYPE.get(k, 'number') if k != 'bool' else 'number'}"
                              for a, k in export.get("args", []))
        result = export.get("result", "void")
        result = "number" if result == "bool" else JS_TYPE.get(result, "number")
        out.append(f"  /** {export.get('doc', '')} */")
        out.append(f"  {export['name']}({arguments}): {result};")
    out.append("}")
    return "\n".join(out) + "\n"


def glue_types(declaration: dict, module_name: str) -> str:
    module = declaration["modules"][module_name]
    return "\n".join([
        "// Written by web/module/generate_boundary.py from web/module/boundary.json.",
        f"// The type of {module['glue']}'s factory, for the page's type check.",
        "export default function " + module["factory"] + "(options?: object): Promise<{",
        "  HEAPU8: Uint8Array;",
        "  HEAPF64: Float64Array;",
        "  [name: string]: any;",
        "}>;",
    ]) + "\n"


def write(path: Path, text: str) -> None:
    # Written every time, so that the build sees its outputs newer than
    # the declaration.
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_text(text, encoding="utf-8")


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--declaration", type=Path, required=True)
    parser.add_argument("--headers", type=Path, required=True, help="folder for the C++ headers and export lists")
    parser.add_argument("--scripts", type=Path, help="folder for the JavaScript wrappers (the site's module/)")
    parser.add_argument("--types", type=Path, help="folder for the glue's TypeScript declarations")
    args = parser.parse_args()
    try:
        declaration = json.loads(args.declaration.read_text(encoding="utf-8"))
        check(declaration)
    except (Refused, ValueError, KeyError, TypeError) as error:
        print(f"{args.declaration}: {error}", file=sys.stderr)
        return 1
    for name, module in declaration["modules"].items():
        write(args.headers / module["header"], header(declaration, name))
        write(args.headers / f"{name}_exports.json", exports_list(declaration, name))
        if "js" in module and args.scripts:
            write(args.scripts / module["js"], javascript(declaration, name))
        if "glue" not in module and args.types:
            write(args.types / f"{name}_exports.d.ts", instance_types(declaration, name))
        if "glue" in module and args.types:
            write(args.types / f"{Path(module['glue']).stem}.d.ts", glue_types(declaration, name))
    return 0


if __name__ == "__main__":
    sys.exit(main())
