"""The resources of a Windows program, read straight from its PE file: which
kinds it carries, and its version information (the fixed numbers and the
strings Explorer shows under Details)."""

import struct

RT_ICON, RT_GROUP_ICON, RT_VERSION = 3, 14, 16


class PeFile:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        directories = optional + (112 if magic == 0x20B else 96)
        self.resource_rva = struct.unpack_from("<I", data, directories + 2 * 8)[0]
        self.sections = []
        for i in range(sections):
            at = optional + optional_size + 40 * i
            size, rva, raw_size, raw = struct.unpack_from("<IIII", data, at + 8)
            self.sections.append((rva, max(size, raw_size), raw))

    def offset(self, rva):
        for start, size, raw in self.sections:
            if start <= rva < start + size:
                return rva - start + raw
        raise ValueError(f"RVA {rva:#x} in no section")

    def _entries(self, directory):
        named, numbered = struct.unpack_from("<12xHH", self.data, directory)
        for i in range(named + numbered):
            name, target = struct.unpack_from("<II", self.data, directory + 16 + 8 * i)
            yield name, target

    def resources(self):
        """{type id: [(name id, language, bytes)]} for numbered types."""
        if not self.resource_rva:
            return {}
        root = self.offset(self.resource_rva)
        found = {}
        for kind, names in self._entries(root):
            for name, languages in self._entries(root + (names & 0x7FFFFFFF)):
                for language, entry in self._entries(root + (languages & 0x7FFFFFFF)):
                    rva, size = struct.unpack_from("<II", self.data, root + entry)
                    at = self.offset(rva)
                    found.setdefault(kind, []).append((name, language, self.data[at:at + size]))
        return found


def _align(at):
    return (at + 3) & ~3


def _version_block(data, at):
    """One node of VS_VERSIONINFO: (key, value bytes, is text, children, end)."""
    length, value_length, is_text = struct.unpack_from("<HHH", data, at)
    end = at + length
    key_end = data.index(b"\0\0", at + 6)
    while (key_end - at) % 2:
        key_end = data.index(b"\0\0", key_end + 1)
    key = data[at + 6:key_end].decode("utf-16-le")
    value_at = _align(key_end + 2)
    value_bytes = value_length * 2 if is_text else value_length
    value = data[value_at:value_at + value_bytes]
    children = []
    child = _align(value_at + value_bytes)
    while child < end:
        node = _version_block(data, child)
        children.append(node)
        child = _align(node[4])
    return key, value, is_text, children, end


def version_info(data):
    """(file version numbers, {string name: text}) of a VS_VERSIONINFO."""
    key, fixed, _, children, _ = _version_block(data, 0)
    if key != "VS_VERSION_INFO" or struct.unpack_from("<I", fixed)[0] != 0xFEEF04BD:
        raise ValueError("not a VS_VERSION_INFO block")
    ms, ls = struct.unpack_from("<8xII", fixed)
    numbers = (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
    strings = {}
    for child in children:
        if child[0] == "StringFileInfo":
            for table in child[3]:
                for name, value, _, _, _ in table[3]:
                    strings[name] = value.decode("utf-16-le").rstrip("\0")
    return numbers, strings
