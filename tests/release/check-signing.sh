#!/usr/bin/env bash
# The signed build: a throw-away CA and code-signing certificate (openssl), then a
# build of the installer signed with it (MEROLIN_SIGN_PKCS12, MEROLIN_SIGN_PASSWORD_FILE)
# in a folder of its own, which finds its signing time in git, and the tree's own build
# signed by the same step with SOURCE_DATE_EPOCH = the last commit's time
# (release.reproducible shows the unsigned builds equal). Checks: the two signed exes
# are identical; the signature verifies against the CA (SHA-256, "Merolin 1.31 Setup",
# that signing time) and not against another CA; one byte changed in the payload fails
# verification; the package (MerolinSetup.msi) verifies too and carries the signed exe;
# removing the signature gives back the unsigned exe byte for byte, and
# the resources read back; the winget manifest has the hash of the signed exe. The same
# key in a SoftHSM2 token signs the same bytes; a release
# build through it, time-stamped by a TSA on 127.0.0.1, verifies; the configure refuses both
# ways, half of one, a release without time stamp, a release or a real download address with
# a copy of the stand-in payload, then with the placeholder InstallerUrl, a plain http:// one
# or no LicenseUrl, and takes that copy once each file is changed (the release is built
# from it, with a LicenseUrl). The winget manifest's release date is the last commit's. No password,
# PIN or key is in any log.
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
[tsa]
basicConstraints = critical,CA:FALSE
extendedKeyUsage = critical,timeStamping
EOF
password="pw-$RANDOM$RANDOM-$(date +%N)"
printf '%s\n' "$password" >password.txt
pin="pin-$RANDOM$RANDOM" module=/usr/lib/softhsm/libsofthsm2.so
printf '%s\n' "$pin" >pin.txt
mkdir tokens && printf 'directories.tokendir = %s\n' "$PWD/tokens" >softhsm2.conf
export SOFTHSM2_CONF=$PWD/softhsm2.conf no_proxy=127.0.0.1 NO_PROXY=127.0.0.1
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
    -passout file:password.txt -out signer.p12 >>openssl.log 2>&1 &&
  cat signer.pem "Throwaway Test CA.pem" >chain.pem && make_ca "Throwaway TSA CA" &&
  openssl req -newkey rsa:2048 -nodes -keyout tsa.key -out tsa.csr -subj "/CN=Throwaway TSA" >>openssl.log 2>&1 &&
  openssl x509 -req -in tsa.csr -CA "Throwaway TSA CA.pem" -CAkey "Throwaway TSA CA.key" -CAcreateserial \
    -days 2 -extfile x509.cnf -extensions tsa -out tsa.pem >>openssl.log 2>&1 &&
  softhsm2-util --init-token --free --label merolin-test --pin "$pin" --so-pin "$pin" >>openssl.log 2>&1 &&
  softhsm2-util --import signer.key --token merolin-test --label signer --id 01 --pin "$pin" >>openssl.log 2>&1; } ||
  { echo "FAIL: openssl could not make the certificates:"; cat openssl.log; exit 1; }
ca="$work/cert/Throwaway Test CA.pem"
# Every osslsigncode command line goes to a log as well, which must hold no password or PIN either.
real=$(command -v osslsigncode) && mkdir "$work/bin" &&
  printf '#!/bin/sh\necho "$*" >>"%s"\nexec "%s" "$@"\n' "$work/argv.log" "$real" >"$work/bin/osslsigncode" &&
  chmod +x "$work/bin/osslsigncode" && export PATH=$work/bin:$PATH

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
grep -q "^ReleaseDate: $(date -u -d "@$when" +%F)$" "$work"/tree/dist/winget/*.installer.yaml ||
  fail "the winget manifest's ReleaseDate is not the day of the last commit"

# (The tree's own exe is signed already where the tree was configured with a certificate.)
osslsigncode remove-signature -in "$unsigned" -out "$work/reference.exe" >/dev/null 2>&1 ||
  cp "$unsigned" "$work/reference.exe"
unsigned="$work/reference.exe"
b="$work/second.exe"
cp "$unsigned" "$b"
sleep 1  # a second after the first: a signing time taken from the clock would differ
SOURCE_DATE_EPOCH=$when "$src/cmake/sign-exe" "$b" "$src" --pkcs12 "$work/cert/signer.p12" --password-file "$work/cert/password.txt" \
  >>"$work/sign.log" 2>&1 || { echo "FAIL: cmake/sign-exe failed:"; cat "$work/sign.log"; exit 1; }
cmp -s "$a" "$b" || fail "the two signed builds differ: $(cmp "$a" "$b")"

# The same key in the token signs the same bytes; with --release and no time stamp it
# refuses, leaving no exe.
key="pkcs11:token=merolin-test;object=signer;type=private" chain=$work/cert/chain.pem pinfile=$work/cert/pin.txt
token=(--pkcs11-module "$module" --pkcs11-key "$key" --certs "$chain" --pin-file "$pinfile")
c=$work/token.exe && cp "$unsigned" "$c"
SOURCE_DATE_EPOCH=$when "$src/cmake/sign-exe" "$c" "$src" "${token[@]}" >>"$work/sign.log" 2>&1 && cmp -s "$a" "$c" ||
  fail "the key in the token does not sign as the PKCS#12 file does: $(tail -3 "$work/sign.log")"
! "$src/cmake/sign-exe" "$c" "$src" "${token[@]}" --release >>"$work/sign.log" 2>&1 && [ ! -e "$c" ] ||
  fail "a release signed without a time stamp, or left its exe"

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
# The package is signed as well, and carries the signed exe.
msi=$work/tree/dist/MerolinSetup.msi
osslsigncode verify -CAfile "$ca" -in "$msi" 2>&1 | grep -q '^Signature verification: ok' ||
  fail "the package does not verify against the throw-away CA"
msiinfo extract "$msi" Binary.MerolinSetup | cmp -s - "$a" || fail "the package does not carry the signed exe"

# One byte of the payload changed (inside the first compressed file): verification fails.
check_tampered() { # EXE VERIFY_OPTIONS...
  cp "$1" "$work/tampered.exe"
  offset=$(LC_ALL=C grep -obUaP 'SZDD\x88\xf0\x27\x33' "$work/tampered.exe" | head -1 | cut -d: -f1)
  [ -n "$offset" ] || { fail "no compressed payload found in $1"; return; }
  byte=$(od -An -tu1 -j $((offset + 100)) -N1 "$work/tampered.exe" | tr -d ' ')
  printf "\\x$(printf %02x $(( byte ^ 1 )))" | dd of="$work/tampered.exe" bs=1 seek=$((offset + 100)) conv=notrunc 2>/dev/null
  cmp -s "$1" "$work/tampered.exe" && fail "the byte was not changed"
  tampered=$(osslsigncode verify "${@:2}" -in "$work/tampered.exe" 2>&1) && fail "$1 with a changed payload byte still verifies"
  grep -q 'MISMATCH' <<<"$tampered" || fail "verification of the changed $1 did not report a digest mismatch"
}
check_tampered "$a" -CAfile "$ca"

# The signature is all that signing adds; the resources read back.
osslsigncode remove-signature -in "$a" -out "$work/removed.exe" >/dev/null 2>&1 ||
  fail "osslsigncode cannot remove the signature"
cmp -s "$work/removed.exe" "$unsigned" ||
  fail "without its signature the signed exe differs from the tree's unsigned exe: $(cmp "$work/removed.exe" "$unsigned")"
resources=$("$here/check-resources.sh" "$a") || fail "the signed exe's resources: $resources"
wrestool -l "$a" | cmp -s - <(wrestool -l "$unsigned") || fail "the signed exe lists other resources than the unsigned one"

# ---- a release build through the token, time-stamped by a TSA on 127.0.0.1: openssl ts
# behind a few lines of HTTP, for at most ten minutes and stopped at the end ----
t=$work/cert/tsa && printf '%s\n' '[tsa]' 'default_tsa = t' '[t]' "serial = $t.serial" "signer_cert = $t.pem" \
  "signer_key = $t.key" 'signer_digest = sha256' 'default_policy = 1.2.3.4.1' 'digests = sha256' >"$t.cnf"
timeout 600 python3 -c 'import http.server as h, subprocess as p, sys
class T(h.BaseHTTPRequestHandler):
  def do_POST(s):
    r = p.run(["openssl", "ts", "-reply", "-config", sys.argv[1], "-queryfile", "/dev/stdin"],
              input=s.rfile.read(int(s.headers["Content-Length"])), capture_output=True).stdout
    s.send_response(200 if r else 500); s.send_header("Content-Type", "application/timestamp-reply"); s.end_headers(); s.wfile.write(r)
v = h.HTTPServer(("127.0.0.1", 0), T); print(v.server_port, flush=True); v.serve_forever()' "$t.cnf" >"$work/tsa.port" 2>"$work/tsa.log" &
tsa=$! && trap 'kill $tsa 2>/dev/null' EXIT
for _ in $(seq 50); do [ -s "$work/tsa.port" ] && break; sleep 0.1; done
refuse() { # MESSAGE CMAKE_OPTIONS...: the tree's configure stops, saying MESSAGE
  cmake "$work/tree" "${@:2}" >"$work/refused.log" 2>&1 && fail "the configure accepted ${*:2}"
  tr -s ' \n' ' ' <"$work/refused.log" | grep -qF "$1" || fail "the configure with ${*:2} did not say \"$1\""
}
refuse "both a PKCS#12 file" -DMEROLIN_SIGN_PKCS11_MODULE="$module" -DMEROLIN_SIGN_PKCS11_KEY="$key" -DMEROLIN_SIGN_CERTS="$chain"
refuse "given without MEROLIN_SIGN_PIN_FILE" -DMEROLIN_SIGN_PKCS12= -DMEROLIN_SIGN_PASSWORD_FILE=
refuse "on without MEROLIN_SIGN_TIMESTAMP_URL" -DMEROLIN_SIGN_PIN_FILE="$pinfile" -DMEROLIN_RELEASE=ON
tsa_url="http://127.0.0.1:$(cat "$work/tsa.port")/" url=https://downloads.tolvane.example/merolin/MerolinSetup.exe
mkdir "$work/payload" && cp "$src"/payload/files/* "$work"/tree/payload/*.exe "$work/payload" || exit 1
refuse "a release (MEROLIN_RELEASE) with the stand-in payload" -DMEROLIN_SIGN_TIMESTAMP_URL="$tsa_url" \
  -DMEROLIN_PAYLOAD_DIR="$work/payload"
refuse "a download address (MEROLIN_DOWNLOAD_URL $url) with the stand-in" -DMEROLIN_RELEASE=OFF -DMEROLIN_DOWNLOAD_URL="$url"
LC_ALL=C sed -i 's/[Ss][Tt][Aa][Nn][Dd]-[Ii][Nn]/Released/' "$work"/payload/*
license=https://www.tolvane.example/merolin/license
refuse "a release (MEROLIN_RELEASE) with the placeholder InstallerUrl" -DMEROLIN_RELEASE=ON \
  -DMEROLIN_DOWNLOAD_URL=https://example.invalid/MerolinSetup.exe -DMEROLIN_LICENSE_URL="$license"
refuse "(MEROLIN_DOWNLOAD_URL ${url/https/http}): the InstallerUrl is not an https:// address" -DMEROLIN_RELEASE=OFF \
  -DMEROLIN_DOWNLOAD_URL="${url/https/http}"
refuse "(MEROLIN_DOWNLOAD_URL $url) with an empty LicenseUrl" -DMEROLIN_DOWNLOAD_URL="$url" -DMEROLIN_LICENSE_URL=
cmake "$work/tree" -DMEROLIN_RELEASE=ON -DMEROLIN_SIGN_TIMESTAMP_URL="$tsa_url" -DMEROLIN_PAYLOAD_DIR="$work/payload" \
    -DMEROLIN_LICENSE_URL="$license" >>"$work/build.log" 2>&1 &&
  env -u SOURCE_DATE_EPOCH cmake --build "$work/tree" --target MerolinSetup -v >>"$work/build.log" 2>&1 ||
  { echo "FAIL: the release build through the token failed:"; tail -20 "$work/build.log"; exit 1; }
kill $tsa
verify=$(osslsigncode verify -CAfile "$ca" -TSA-CAfile "$work/cert/Throwaway TSA CA.pem" -in "$a" 2>&1)
grep -q '^Timestamp Server Signature verification: ok' <<<"$verify" && grep -q '^Signature verification: ok' <<<"$verify" ||
  fail "the release exe or its time stamp does not verify against the test CAs: $(grep -iE 'fail|error' <<<"$verify" | head -3)"
osslsigncode verify -CAfile "$ca" -TSA-CAfile "$ca" -in "$a" 2>&1 | grep -q '^Timestamp Server Signature verification: ok' &&
  fail "the time stamp verifies against a CA that did not issue the TSA's certificate"
check_tampered "$a" -CAfile "$ca" -TSA-CAfile "$work/cert/Throwaway TSA CA.pem"
grep -q "^sign: SHA-256 $(sha256sum "$a" | cut -d' ' -f1) " "$work/build.log" || fail "the build does not give the exe's SHA-256"
grep -q -- '-pkcs11module' "$work/argv.log" || fail "the command lines of osslsigncode were not logged"
grep -lF -e "$password" -e "$pin" -f <(grep -hv -- ----- "$work/cert/signer.key" "$work/cert/tsa.key") "$work"/*.log \
  "$work"/cert/*.log "$work"/tree/CMakeCache.txt "$work"/tree/build.ninja && fail "a password, PIN or key is in the files above"

if [ $status = 0 ]; then
  osslsigncode remove-signature -in "$a" -out "$work/release-unsigned.exe" >/dev/null 2>&1  # its payload is another
  echo "signed: two builds give the same $(stat -c %s "$b") bytes ($(( $(stat -c %s "$b") - $(stat -c %s "$unsigned") )) of signature)," \
       "verified against the test CA, a changed payload byte detected, resources intact; the token signs the same;" \
       "its time-stamped release build verifies ($(( $(stat -c %s "$a") - $(stat -c %s "$work/release-unsigned.exe") - $(stat -c %s "$b") + $(stat -c %s "$unsigned") )) bytes of time stamp)"
  rm -rf "$work"
fi
exit $status
