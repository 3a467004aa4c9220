#!/usr/bin/env bash
# The shipped exe is made for the 386 (cmake/target.cmake): its code holds no instruction of a
# later processor, which would stop a 386, 486 or Pentium that a supported Windows ran on.
#   check-instructions.sh OBJDUMP EXE
set -u
objdump=$1 exe=$2
fail() { echo "FAIL: $*"; exit 1; }
code=$("$objdump" -d --no-show-raw-insn "$exe") && grep -q '^ *[0-9a-f]*:' <<<"$code" || fail "no code in $exe"
# The 486's, the Pentium's (cpuid, rdtsc, cmpxchg8b...), the Pentium Pro's (conditional moves,
# fcomi, the long nop of alignment padding), and later ones the compiler could choose or cpuid
# reports (SSE's state, fences, popcnt, lzcnt, movbe, crc32, rdtscp, BMI, the CET marker).
later='bswap|cmpxchg.*|xadd|invd|wbinvd|invlpg|cpuid|rdtsc|rdmsr|wrmsr|rsm|cmov.*|fcmov.*|fu?comip?|rdpmc'
later+='|sysenter|sysexit|nop[wl]|fxsave|fxrstor|[ls]dmxcsr|f?emms|prefetch.*|[lms]fence|clflush.*|movnti'
later+='|monitor|mwait|popcnt|lzcnt|tzcnt|movbe|crc32.*|rdtscp|rdrand|rdseed|andn|bextr|bls(i|msk|r)|bzhi'
later+='|pdep|pext|mulx|rorx|sarx|shlx|shrx|adcx|adox|xgetbv|xsave.*|xrstor.*|endbr32'
# Each instruction without its prefixes; an MMX, SSE or AVX register anywhere in it.
found=$(awk -F'\t' -v later="^($later)\$" 'NF >= 2 && $1 ~ /^ *[0-9a-f]+:$/ {
  n = split($2, w, " +")
  for (i = 1; i < n && w[i] ~ /^(rep[a-z]*|lock|data16|addr16|[c-gs]s|notrack|bnd)$/; i++) {}
  if (w[i] ~ later || $2 ~ /%([xyz]?mm[0-9]|k[0-7])/) print $1 " " $2 }' <<<"$code")
[ -z "$found" ] || fail "$(wc -l <<<"$found") instructions beyond the 386's, the first:"$'\n'"$(head -5 <<<"$found")"
echo "instructions: the 386's only"
