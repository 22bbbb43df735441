#!/usr/bin/env bash
# Reads a built Tovanel.exe and checks what a Windows user relies on: address
# randomisation (with the relocations it needs), no-execute data, high-entropy
# addresses in a 64-bit image, no section both writable and executable,
# imports only from libraries every Windows 10 and 11 has, the version in the
# version resource (numbers and texts, as Explorer's Properties shows them)
# and in the manifest, and none of the given texts (build folders) inside.
# Prints one line a fault and fails on any.
#
#   scripts/check-exe.sh EXE 32|64 VERSION [TEXT ...]
set -u
exe=$1 bits=$2 version=$3
shift 3
tool=$([ "$bits" = 64 ] && echo x86_64 || echo i686)-w64-mingw32
IFS=. read -r a b c d <<<"$version"
want=$a.${b:-0}.${c:-0}.${d:-0}
system='advapi32 comctl32 comdlg32 dwmapi gdi32 imm32 kernel32 msvcrt ole32 oleacc oleaut32 shcore shell32 shlwapi user32 uxtheme version'
faults=()

headers=$("$tool-objdump" -p "$exe") || exit 1
wanted="DYNAMIC_BASE NX_COMPAT$([ "$bits" = 64 ] && echo ' HIGH_ENTROPY_VA')"
for flag in $wanted; do grep -qE "^\s+$flag\$" <<<"$headers" || faults+=("$flag is not set"); done
if grep -q 'relocations stripped' <<<"$headers" || grep -qE '^Entry 5 0+ 0+ ' <<<"$headers"; then
  faults+=("no relocations: the image cannot be placed at a random address")
fi
# objdump calls a section READONLY when it is not writable, CODE when executable.
for s in $("$tool-objdump" -h "$exe" | awk '/^ *[0-9]+ /{name=$2; next} name && /CODE/ && !/READONLY/{print name}'); do
  faults+=("section $s is both writable and executable")
done
for dll in $(sed -n 's/^\s*DLL Name: //p' <<<"$headers"); do
  lower=${dll,,}
  [[ " $system " == *" ${lower%.dll} "* || $lower == api-ms-win-* ]] || faults+=("imports $dll, not a system library")
done

resources=$("$tool-windres" -i "$exe" -O rc 2>/dev/null)
for field in FILEVERSION PRODUCTVERSION; do
  got=$(sed -n "s/^ *$field //p" <<<"$resources" | tr -d ' ' | tr , .)
  [ "$got" = "$want" ] || faults+=("$field is ${got:-missing}, not $want")
done
for key in FileVersion ProductVersion; do
  got=$(sed -n "s/^ *VALUE \"$key\", \"\(.*\)\"\$/\1/p" <<<"$resources")
  [ "$got" = "$want" ] || faults+=("the $key text is ${got:-missing}, not $want")
done
got=$(strings -a "$exe" | sed -n 's/.*name="Orvendel\.Tovanel" version="\([^"]*\)".*/\1/p')
[ "$got" = "$want" ] || faults+=("the manifest's assembly version is ${got:-missing}, not $want")

for text in "$@"; do
  if grep -qaF "$text" "$exe" || strings -a -el "$exe" | grep -qF "$text"; then faults+=("holds the text $text"); fi
done

for f in "${faults[@]}"; do echo "FAULT: $exe: $f"; done
[ "${#faults[@]}" -eq 0 ] || exit 1
echo "$exe: protections, system imports only, version $want"
