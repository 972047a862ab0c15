#!/bin/sh
# Makes a delay-load import library from a MinGW-w64 import library: the same functions of the same DLL,
# bound on the first call instead of when the program starts (the runtime's __delayLoadHelper2 does it).
# Usage: delay-import-lib.sh NM DLLTOOL AR IMPORT_LIBRARY OUTPUT i686|x86_64
set -eu
nm=$1 dlltool=$2 ar=$3 library=$4 output=$5 arch=$6
dll=$("$dlltool" --identify "$library" | head -n 1)
definition="${output%.a}.def"
# i686 symbols carry the C leading underscore, which dlltool adds again itself.
strip='s/^[0-9a-f]* I __imp_//p'
[ "$arch" = i686 ] && strip='s/^[0-9a-f]* I __imp__//p'
{
  echo "LIBRARY $dll"
  echo "EXPORTS"
  "$nm" "$library" | sed -n "$strip" | LC_ALL=C sort -u
} >"$definition"
# --kill-at: the DLL exports undecorated names, while the program's references keep the stdcall @n.
"$dlltool" --input-def "$definition" --output-delaylib "$output" --kill-at --deterministic-libraries
[ "$arch" = i686 ] || exit 0

# The i386 linker drops the stub (.text) of an import-library member when nothing outside refers to the
# stub's own symbol, even though the member's address slot points at it; code that calls through the slot
# (dllimport, as the Windows headers declare) would then jump to address 0. So each function becomes two
# members: the slot and its name (between dlltool's head and tail members, in the same order), referring
# to the stub by name, and the stub alone, which the linker then keeps.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && "$ar" x "$output")
members=$("$ar" t "$output")
head=$(echo "$members" | grep '_h\.o$')
tail=$(echo "$members" | grep '_t\.o$')
prefix=${head%_h.o}
merge=$("$nm" "$work/$head" | sed -n 's/^[0-9a-f]* T \(___tailMerge_.*\)$/\1/p')
as=${dlltool%dlltool}as
rm -f "$work/${prefix}"_s*.o
index=0
sed -n '3,$p' "$definition" | while read -r function; do
  name=${function%@*}  # the DLL's export name
  number=$(printf '%05d' "$index")
  printf '%s\n' \
    "  .section .idata\$5,\"w\"" "  .globl __imp__$function" "__imp__$function:" "  .long __load__$function" \
    "  .section .idata\$4,\"w\"" "  .rva name" \
    "  .section .idata\$6,\"w\"" "name:" "  .short 0" "  .asciz \"$name\"" "  .balign 2" |
    "$as" --32 -o "$work/${prefix}_s$number.o"
  printf '%s\n' \
    "  .text" "  .globl _$function" "_$function:" "  jmp *__imp__$function" \
    "  .globl __load__$function" "__load__$function:" "  mov \$__imp__$function, %eax" "  jmp $merge" |
    "$as" --32 -o "$work/${prefix}_x$number.o"
  index=$((index + 1))
done
rm -f "$output"
(cd "$work" && "$ar" rcD "$output.tmp" "$head" $(ls "${prefix}"_s*.o) "$tail" $(ls "${prefix}"_x*.o) &&
  "$ar" sD "$output.tmp")
mv "$output.tmp" "$output"
