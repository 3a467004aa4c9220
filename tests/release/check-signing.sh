#!/usr/bin/env bash
# The signed build: a throw-away CA and code-signing certificate (openssl), then a
# build of the installer signed with it (MEROLIN_SIGN_PKCS12, MEROLIN_SIGN_PASSWORD_FILE)
# in a folder of its own, which finds its signing time in git, and the tree's own build
# signed by the same step with SOURCE_DATE_EPOCH = the last commit's time
# (release.reproducible shows the unsigned builds equal). Checks: the two signed exes
# are identical; the signature verifies against the CA (SHA-256, "Merolin 1.31 Setup",
# that signing time) and not against another CA; one byte changed in the payload fails
# verification; removing the signature gives back the unsigned exe byte for byte, and
# the resources read back; the password is in no log, CMake cache or build file; the
# winget manifest has the hash of the signed exe.
#   check-signing.sh SOURCE_DIR WORK_DIR TOOLCHAIN_FILE UNSIGNED_EXE SZDD
set -u
src=$1 work=$2 toolchain=$3 unsigned=$4 szdd=$5
here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "FAIL: $*"; status=1; }
status=0
rm -rf "$work"
mkdir -p "$work/cert"
cd "$work/cert" || exit 1

# ---- a throw-away CA and a code-signing certificate of its own, in a PKCS#12 file ----
cat >x509.cnf <<'EOF'
[req]
distinguished_name = dn
[dn]
[ca]
basicConstraints = critical,CA:TRUE
keyUsage = critical,keyCertSign,cRLSign
subjectKeyIdentifier = hash
[leaf]
basicConstraints = critical,CA:FALSE
keyUsage = critical,digitalSignature
extendedKeyUsage = codeSigning
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
EOF
password="pw-$RANDOM$RANDOM-$(date +%N)"
printf '%s\n' "$password" >password.txt
make_ca() { # NAME: NAME.key, NAME.pem
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.pem" -days 2 -subj "/CN=$1" \
    -config x509.cnf -extensions ca >>openssl.log 2>&1
}
{ make_ca "Throwaway Test CA" && make_ca "Another Test CA" &&
  openssl req -newkey rsa:2048 -nodes -keyout signer.key -out signer.csr \
    -subj "/CN=Tolvane Software (test)/O=Tolvane Software" >>openssl.log 2>&1 &&
  openssl x509 -req -in signer.csr -CA "Throwaway Test CA.pem" -CAkey "Throwaway Test CA.key" -CAcreateserial \
    -days 2 -extfile x509.cnf -extensions leaf -out signer.pem >>openssl.log 2>&1 &&
  openssl pkcs12 -export -inkey signer.key -in signer.pem -certfile "Throwaway Test CA.pem" \
    -passout file:password.txt -out signer.p12 >>openssl.log 2>&1; } ||
  { echo "FAIL: openssl could not make the certificates:"; cat openssl.log; exit 1; }
ca="$work/cert/Throwaway Test CA.pem"

# ---- two signed builds: one in a folder of its own through the CMake options, taking
# its signing time from git; the tree's own exe, signed alike with SOURCE_DATE_EPOCH ----
when=$(git -C "$src" log -1 --format=%ct 2>/dev/null)
[[ "$when" =~ ^[0-9]+$ ]] || { echo "FAIL: $src has no git history to take the signing time from"; exit 1; }
env -u SOURCE_DATE_EPOCH cmake -S "$src" -B "$work/tree" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=MinSizeRel -DSZDD_EXECUTABLE="$szdd" -DMEROLIN_SIGN_PKCS12="$work/cert/signer.p12" \
    -DMEROLIN_SIGN_PASSWORD_FILE="$work/cert/password.txt" >"$work/build.log" 2>&1 &&
  env -u SOURCE_DATE_EPOCH cmake --build "$work/tree" --target MerolinSetup -v >>"$work/build.log" 2>&1 ||
  { echo "FAIL: the signed build failed:"; tail -20 "$work/build.log"; exit 1; }
grep '^sign: ' "$work/build.log"
a="$work/tree/dist/MerolinSetup.exe"
grep -q "InstallerSha256: $(sha256sum "$a" | cut -d' ' -f1 | tr a-f A-F)$" "$work"/tree/dist/winget/*.installer.yaml ||
  fail "the winget manifest does not carry the SHA-256 of the signed exe"

# (The tree's own exe is signed already where the tree was configured with a certificate.)
osslsigncode remove-signature -in "$unsigned" -out "$work/reference.exe" >/dev/null 2>&1 ||
  cp "$unsigned" "$work/reference.exe"
unsigned="$work/reference.exe"
b="$work/second.exe"
cp "$unsigned" "$b"
sleep 1  # a second after the first: a signing time taken from the clock would differ
SOURCE_DATE_EPOCH=$when "$src/cmake/sign-exe" "$b" "$work/cert/signer.p12" "$work/cert/password.txt" "$src" \
  >>"$work/sign.log" 2>&1 || { echo "FAIL: cmake/sign-exe failed:"; cat "$work/sign.log"; exit 1; }
cmp -s "$a" "$b" || fail "the two signed builds differ: $(cmp "$a" "$b")"

grep -lF -- "$password" "$work"/*.log "$work"/tree/CMakeCache.txt "$work"/tree/build.ninja &&
  fail "the password appears in the files above"

# ---- the signature ----
verify=$(osslsigncode verify -CAfile "$ca" -in "$a" 2>&1)
rc=$?
[ $rc -eq 0 ] && grep -q '^Signature verification: ok' <<<"$verify" ||
  fail "the signed exe does not verify against the throw-away CA (exit code $rc): $(grep -iE 'fail|error' <<<"$verify" | head -3)"
grep -Eq '^Message digest algorithm *: SHA256' <<<"$verify" || fail "the signature's digest is not SHA-256"
grep -q 'Text description: Merolin 1.31 Setup$' <<<"$verify" || fail "the signature does not name the program \"Merolin 1.31 Setup\""
grep -q 'Subject: /CN=Tolvane Software (test)/O=Tolvane Software' <<<"$verify" || fail "the signer is not the test certificate"
want_time=$(date -u -d "@$when" '+%b %e %H:%M:%S %Y GMT')
grep -q "Signing time: $want_time" <<<"$verify" ||
  fail "the signing time is not the last commit's ($want_time): $(grep 'Signing time' <<<"$verify")"
osslsigncode verify -CAfile "$work/cert/Another Test CA.pem" -in "$a" >/dev/null 2>&1 &&
  fail "the signature verifies against a CA that did not issue its certificate"

# One byte of the payload changed (inside the first compressed file): verification fails.
cp "$a" "$work/tampered.exe"
offset=$(LC_ALL=C grep -obUaP 'SZDD\x88\xf0\x27\x33' "$work/tampered.exe" | head -1 | cut -d: -f1)
if [ -z "$offset" ]; then
  fail "no compressed payload found in the signed exe"
else
  byte=$(od -An -tu1 -j $((offset + 100)) -N1 "$work/tampered.exe" | tr -d ' ')
  printf "\\x$(printf %02x $(( byte ^ 1 )))" | dd of="$work/tampered.exe" bs=1 seek=$((offset + 100)) conv=notrunc 2>/dev/null
  cmp -s "$a" "$work/tampered.exe" && fail "the byte was not changed"
  tampered=$(osslsigncode verify -CAfile "$ca" -in "$work/tampered.exe" 2>&1) &&
    fail "the exe with a changed payload byte still verifies"
  grep -q 'MISMATCH' <<<"$tampered" || fail "verification of the changed exe did not report a digest mismatch"
fi

# The signature is all that signing adds; the resources read back.
osslsigncode remove-signature -in "$a" -out "$work/removed.exe" >/dev/null 2>&1 ||
  fail "osslsigncode cannot remove the signature"
cmp -s "$work/removed.exe" "$unsigned" ||
  fail "without its signature the signed exe differs from the tree's unsigned exe: $(cmp "$work/removed.exe" "$unsigned")"
resources=$("$here/check-resources.sh" "$a") || fail "the signed exe's resources: $resources"
wrestool -l "$a" | cmp -s - <(wrestool -l "$unsigned") || fail "the signed exe lists other resources than the unsigned one"

if [ $status = 0 ]; then
  echo "signed: two builds give the same $(stat -c %s "$a") bytes ($(( $(stat -c %s "$a") - $(stat -c %s "$unsigned") )) of signature)," \
       "verified against the test CA, a changed payload byte detected, resources intact"
  rm -rf "$work"
fi
exit $status
