#!/usr/bin/env bash
# Builds the 32-bit release and packs it for users:
#
#   dist/Tovanel-<version>-win32.zip
#     Tovanel.exe
#     Tovanel-guide-ja.txt   docs/guide-ja.md as Notepad shows it correctly
#                            (UTF-8 with a byte-order mark, CRLF line ends)
#     SHA256SUMS             the executable's checksum, for sha256sum -c
#
# The version is the CMake project's. The same source gives the same zip
# bytes: each entry carries the last commit's time (or SOURCE_DATE_EPOCH),
# fixed permissions, and the entries stand in a fixed order. An executable
# whose protections, imports or version are wrong is not packed.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh

log=$(mktemp)
trap 'rm -f "$log"' EXIT
quietly() { "$@" >"$log" 2>&1 || { cat "$log"; echo "failed: $*" >&2; exit 1; }; }
echo "Building the win32 preset"
quietly cmake --preset win32
quietly cmake --build --preset win32 --target Tovanel

exe=build/win32/app/exe/Tovanel.exe
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/win32/CMakeCache.txt)
[ -n "$version" ] || { echo "no project version in build/win32/CMakeCache.txt" >&2; exit 1; }
scripts/check-exe.sh "$exe" 32 "$version" "$PWD"

epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 315532800)}
mkdir -p dist
zip=dist/Tovanel-$version-win32.zip
python3 - "$exe" docs/guide-ja.md "$zip" "$epoch" <<'EOF'
import hashlib, os, sys, time, zipfile

exe_path, guide_path, zip_path, epoch = sys.argv[1:]
exe = open(exe_path, "rb").read()
guide = open(guide_path, encoding="utf-8").read()
guide = "\ufeff" + "\r\n".join(guide.replace("\r\n", "\n").split("\n"))
entries = [  # name, bytes, permissions; in this order
    ("Tovanel.exe", exe, 0o755),
    ("Tovanel-guide-ja.txt", guide.encode("utf-8"), 0o644),
    ("SHA256SUMS", f"{hashlib.sha256(exe).hexdigest()}  Tovanel.exe\n".encode(), 0o644),
]
# Zip times have no zone and start in 1980.
stamp = time.gmtime(max(int(epoch), 315532800))[:6]
partial = zip_path + ".partial"
with zipfile.ZipFile(partial, "w") as z:
    for name, data, mode in entries:
        info = zipfile.ZipInfo(name, stamp)
        info.create_system = 3
        info.external_attr = (0o100000 | mode) << 16
        info.compress_type = zipfile.ZIP_DEFLATED
        z.writestr(info, data, compresslevel=9)
os.replace(partial, zip_path)
EOF
echo "$zip: $(stat -c %s "$zip") bytes, sha256 $(sha256sum "$zip" | cut -d' ' -f1)"
