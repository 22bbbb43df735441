#!/usr/bin/env python3
"""Reads a built Tovanel.exe and checks what a Windows user relies on:

  - the loader's protections: address-space randomisation (with the
    relocations it needs), no-execute data, high-entropy addresses in a
    64-bit image, and no section both writable and executable;
  - imports only from libraries that every Windows 10 and 11 has;
  - the version resource (the numbers and the texts Explorer's Properties
    shows) and the manifest's assembly version carry the given version;
  - none of the given strings (build folders, home folder) is in the file.

  check-exe.py EXE --bits 32|64 --version 1.2.3 [--forbid TEXT ...]

Prints what it read, one line per fault, and exits 1 on any fault.
"""
import argparse
import re
import struct
import sys

SYSTEM_DLLS = {
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "dwmapi.dll", "gdi32.dll",
    "imm32.dll", "kernel32.dll", "msvcrt.dll", "ole32.dll", "oleacc.dll",
    "oleaut32.dll", "shcore.dll", "shell32.dll", "shlwapi.dll", "user32.dll",
    "uxtheme.dll", "version.dll",
}
DYNAMIC_BASE, HIGH_ENTROPY_VA, NX_COMPAT = 0x40, 0x20, 0x100
RELOCS_STRIPPED = 0x1
MEM_EXECUTE, MEM_WRITE = 0x20000000, 0x80000000
RT_VERSION, RT_MANIFEST = 16, 24


class Image:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[:2] != b"MZ" or data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE image")
        (self.machine, count, _, _, _, opt_size,
         self.characteristics) = struct.unpack_from("<HHIIIHH", data, pe + 4)
        opt = pe + 24
        self.pe32plus = struct.unpack_from("<H", data, opt)[0] == 0x20B
        self.dll_characteristics = struct.unpack_from("<H", data, opt + 70)[0]
        dirs = opt + (112 if self.pe32plus else 96)
        self.dirs = [struct.unpack_from("<II", data, dirs + 8 * i) for i in range(16)]
        self.sections = []
        for i in range(count):
            s = opt + opt_size + 40 * i
            name = data[s:s + 8].rstrip(b"\0").decode("latin-1")
            vsize, va, rsize, rptr = struct.unpack_from("<IIII", data, s + 8)
            flags = struct.unpack_from("<I", data, s + 36)[0]
            self.sections.append((name, va, max(vsize, rsize), rptr, flags))

    def at(self, rva):
        for _, va, size, rptr, _ in self.sections:
            if va <= rva < va + size:
                return rptr + rva - va
        raise ValueError(f"address {rva:#x} is in no section")

    def cstr(self, rva):
        o = self.at(rva)
        return self.data[o:self.data.index(b"\0", o)].decode("latin-1")

    def imports(self):
        rva, _ = self.dirs[1]
        names = []
        while rva:
            desc = struct.unpack_from("<5I", self.data, self.at(rva))
            if not any(desc):
                break
            names.append(self.cstr(desc[3]))
            rva += 20
        return names

    def resource(self, kind):
        """The first resource of the given type: its bytes, or None."""
        root = self.at(self.dirs[2][0]) if self.dirs[2][0] else None
        if root is None:
            return None
        entry, want = root, kind
        while True:
            named, ids = struct.unpack_from("<HH", self.data, entry + 12)
            for i in range(named + ids):
                ident, target = struct.unpack_from("<II", self.data, entry + 16 + 8 * i)
                if want is None or ident == want:
                    break
            else:
                return None
            if not target & 0x80000000:
                rva, size = struct.unpack_from("<II", self.data, root + target)
                return self.data[self.at(rva):self.at(rva) + size]
            entry, want = root + (target & 0x7FFFFFFF), None


def version_blocks(data, offset=0, end=None):
    """(key, value, children) of each VS_VERSIONINFO block in data[offset:end]."""
    end = len(data) if end is None else end
    while offset + 6 <= end:
        length, value_length, text = struct.unpack_from("<HHH", data, offset)
        if length == 0:
            break
        key_end = offset + 6
        while data[key_end:key_end + 2] != b"\0\0":
            key_end += 2
        key = data[offset + 6:key_end].decode("utf-16-le")
        value_at = (key_end + 2 + 3) & ~3
        value_size = value_length * 2 if text else value_length
        value = data[value_at:value_at + value_size]
        if text:
            value = value.decode("utf-16-le").rstrip("\0")
        children = list(version_blocks(data, (value_at + value_size + 3) & ~3, offset + length))
        yield key, value, children
        offset = (offset + length + 3) & ~3


def check(path, bits, version, forbidden):
    data = open(path, "rb").read()
    image = Image(data)
    faults = []
    want_machine = {32: 0x14C, 64: 0x8664}[bits]
    if image.machine != want_machine or image.pe32plus != (bits == 64):
        faults.append(f"machine {image.machine:#x}, not a {bits}-bit image")

    flags = image.dll_characteristics
    wanted = {"DYNAMIC_BASE": DYNAMIC_BASE, "NX_COMPAT": NX_COMPAT}
    if bits == 64:
        wanted["HIGH_ENTROPY_VA"] = HIGH_ENTROPY_VA
    print(f"DllCharacteristics {flags:#06x}")
    faults += [f"{name} is not set" for name, bit in wanted.items() if not flags & bit]
    if image.characteristics & RELOCS_STRIPPED or not image.dirs[5][1]:
        faults.append("no relocations: the image cannot be placed at a random address")
    for name, _, _, _, sflags in image.sections:
        if sflags & MEM_WRITE and sflags & MEM_EXECUTE:
            faults.append(f"section {name} is both writable and executable")

    imports = image.imports()
    print("imports " + " ".join(imports))
    for dll in imports:
        if dll.lower() not in SYSTEM_DLLS and not dll.lower().startswith("api-ms-win-"):
            faults.append(f"imports {dll}, which is not a system library")

    numbers = [int(n) for n in version.split(".")]
    numbers += [0] * (4 - len(numbers))
    text = ".".join(map(str, numbers))
    info = image.resource(RT_VERSION)
    if info is None:
        faults.append("no version resource")
    else:
        _, fixed, children = next(version_blocks(info))
        sig, _, fms, fls, pms, pls = struct.unpack_from("<6I", fixed)
        read = {"file version": (fms, fls), "product version": (pms, pls)}
        for name, (ms, ls) in read.items():
            got = f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"
            print(f"{name} {got}")
            if sig != 0xFEEF04BD or got != text:
                faults.append(f"{name} is {got}, not {text}")
        strings = {k: v for block in children if block[0] == "StringFileInfo"
                   for table in block[2] for k, v, _ in table[2]}
        for key in ("FileVersion", "ProductVersion"):
            print(f"{key} {strings.get(key)!r}")
            if strings.get(key) != text:
                faults.append(f"{key} text is {strings.get(key)!r}, not {text!r}")
    manifest = (image.resource(RT_MANIFEST) or b"").decode("utf-8", "replace")
    found = re.search(r'<assemblyIdentity[^>]*name="Orvendel\.Tovanel"[^>]*version="([^"]*)"', manifest)
    print(f"manifest version {found.group(1) if found else None}")
    if not found or found.group(1) != text:
        faults.append(f"the manifest's assembly version is not {text}")

    for s in forbidden:
        if s.encode() in data or s.encode("utf-16-le") in data:
            faults.append(f"holds the text {s!r}")
    return faults


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("exe")
    parser.add_argument("--bits", type=int, choices=(32, 64), required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--forbid", nargs="*", default=[])
    args = parser.parse_args()
    faults = check(args.exe, args.bits, args.version, [s for s in args.forbid if s])
    for fault in faults:
        print(f"FAULT: {args.exe}: {fault}")
    if faults:
        return 1
    print(f"{args.exe}: protections, imports and version {args.version} as expected")
    return 0


if __name__ == "__main__":
    sys.exit(main())
