#!/bin/bash
# Signs the release folder through the dist target with a throwaway root and the certificates it
# issues, and checks what ships: the signature verifies against that root with a SHA-256 digest,
# one flipped byte breaks it, SHA256SUMS lists the signed file, the signed file still passes
# check-pe.sh, and with the signature taken off it is the unsigned program byte for byte. A
# certificate that cannot sign must fail the build with its reason and leave no release folder.
# Builds in a tree of its own, build/sign-check; the certificates live in a temporary folder.
#   tools/check-signing.sh
set -euo pipefail
cd "$(dirname "$0")/.."

# The caller's own settings would sign with another certificate or call a timestamp server.
unset "${!SETUP_SIGN_@}"

tree=build/sign-check
dist=$tree/dist
keys=$(mktemp -d)
trap 'rm -rf "$keys"' EXIT
log=$keys/log

fail() {
  echo "FAIL: $1"
  sed 's/^/  /' "$log"
  exit 1
}

# --- A throwaway root and the certificates it issues --------------------------------------------
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Throwaway Root" \
  -addext basicConstraints=critical,CA:true -addext keyUsage=critical,keyCertSign \
  -keyout "$keys/root.key" -out "$keys/root.pem" 2>"$log" || fail "no root certificate"

# issue NAME USAGE: a key and a certificate for NAME, for the Extended Key Usage USAGE.
issue() {
  openssl req -new -newkey rsa:2048 -nodes -subj "/CN=$1" -keyout "$keys/$1.key" \
    -out "$keys/$1.csr" 2>"$log" || fail "no key for $1"
  printf 'basicConstraints = CA:false\nkeyUsage = critical, digitalSignature\n%s\n' \
    "extendedKeyUsage = $2" >"$keys/$1.ext"
  openssl x509 -req -in "$keys/$1.csr" -CA "$keys/root.pem" -CAkey "$keys/root.key" \
    -CAcreateserial -days 2 -extfile "$keys/$1.ext" -out "$keys/$1.pem" 2>"$log" ||
    fail "no certificate for $1"
}
issue publisher codeSigning
issue publisher-critical "critical, codeSigning"
issue website serverAuth
printf 'correct horse\n' >"$keys/password"
# The first line is the password, as a file saved on Windows ends it, and with a note below it.
printf 'correct horse\r\n' >"$keys/password-crlf"
printf 'correct horse\nrenew before March\n' >"$keys/password-noted"
for name in publisher website; do
  openssl pkcs12 -export -inkey "$keys/$name.key" -in "$keys/$name.pem" \
    -passout "file:$keys/password" -out "$keys/$name.p12"
done
# What older Windows exports: RC2, which OpenSSL 3 reads only with its legacy provider.
openssl pkcs12 -export -legacy -inkey "$keys/publisher.key" -in "$keys/publisher.pem" \
  -passout "file:$keys/password" -out "$keys/publisher-legacy.p12"
openssl pkey -in "$keys/publisher.key" -aes256 -passout "file:$keys/password" \
  -out "$keys/publisher-locked.key"

# --- The build ----------------------------------------------------------------------------------
# Configured as the shipped program is; -U clears what an interrupted run left in the cache.
cmake --preset win32-release -B "$tree" -U 'SETUP_SIGN_*' -DSETUP_DIST_DIR="$PWD/$dist" >/dev/null

# build_dist [SETTING=VALUE...]: the dist target, with these settings in its environment.
build_dist() {
  env "$@" cmake --build "$tree" --target dist >"$log" 2>&1
}

# verifies FILE WHAT: FILE carries a valid SHA-256 signature by a certificate of the root.
verifies() {
  osslsigncode verify -CAfile "$keys/root.pem" -in "$1" >"$log" 2>&1 ||
    fail "signed with $2, setup.exe does not verify"
  grep -q '^Message digest algorithm *: SHA256' "$log" || fail "signed with $2, not with SHA-256"
}

# The full end-to-end run of the signed program on the machine it ships to: a 64-bit Windows with
# the 32-bit products, under WoW64, with this tree's i686 message-box driver and Access driver.
runs_full_scenario() {
  local work=$PWD/$tree/signed-machines
  # Debian's Python, which the user that Wine runs as can read.
  local scenarios=(/usr/bin/python3 -B tests/e2e/scenarios.py)
  cmake --build "$tree" --target mbdriver fakeodbc >"$log" 2>&1 ||
    fail "the programs for the end-to-end run did not build"
  local status=0
  (
    export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
    "${scenarios[@]}" template --work "$work" --mbdriver "$tree/tests/driver/mbdriver.exe" \
      --odbc-driver="$tree/tests/odbc_driver/fakeodbc.dll" --machine wow64 &&
      "${scenarios[@]}" run full_run --work "$work" --setup "$1" \
        --mbdriver "$tree/tests/driver/mbdriver.exe" --machine wow64
  ) >"$log" 2>&1 || status=$?
  "${scenarios[@]}" cleanup --work "$work" >/dev/null 2>&1 || true
  [ "$status" -eq 0 ] || fail "the signed $1 does not complete a full run under WoW64"
}

# --- A PKCS#12 file and a password file, from the environment -----------------------------------
build_dist SETUP_SIGN_PKCS12="$keys/publisher.p12" SETUP_SIGN_PASSWORD_FILE="$keys/password" ||
  fail "dist did not build with a PKCS#12 file"
signed=$dist/setup.exe
verifies "$signed" "a PKCS#12 file"
(cd "$dist" && sha256sum --quiet -c SHA256SUMS) >"$log" 2>&1 ||
  fail "SHA256SUMS does not list the files as shipped"
tools/check-pe.sh "$signed" i386 >"$log" || fail "the signed setup.exe fails check-pe.sh"
osslsigncode remove-signature -in "$signed" -out "$keys/unsigned.exe" >"$log" 2>&1 ||
  fail "osslsigncode cannot take the signature off"
tools/check-pe.sh --same "$keys/unsigned.exe" "$tree/setup.exe" >"$log" ||
  fail "without its signature, the signed setup.exe is not the unsigned program"

python3 tools/flip_byte.py "$signed" "$keys/flipped.exe"
if osslsigncode verify -CAfile "$keys/root.pem" -in "$keys/flipped.exe" >"$log" 2>&1; then
  fail "setup.exe with a flipped byte still verifies"
fi
grep -q MISMATCH "$log" || fail "setup.exe with a flipped byte fails, but not on its digest"
runs_full_scenario "$signed"

# --- The other ways in ---------------------------------------------------------------------------
# signs WHAT SETTING=VALUE...: the dist target signs with these settings, and the result verifies.
signs() {
  local what=$1
  shift
  build_dist "$@" || fail "dist did not build with $what"
  verifies "$signed" "$what"
}
signs "an RC2 PKCS#12 file" \
  SETUP_SIGN_PKCS12="$keys/publisher-legacy.p12" SETUP_SIGN_PASSWORD_FILE="$keys/password"
signs "a password file with CR LF" \
  SETUP_SIGN_PKCS12="$keys/publisher.p12" SETUP_SIGN_PASSWORD_FILE="$keys/password-crlf"
signs "a password file of two lines" SETUP_SIGN_CERT="$keys/publisher.pem" \
  SETUP_SIGN_KEY="$keys/publisher-locked.key" SETUP_SIGN_PASSWORD_FILE="$keys/password-noted"
signs "a critical Extended Key Usage" \
  SETUP_SIGN_CERT="$keys/publisher-critical.pem" SETUP_SIGN_KEY="$keys/publisher-critical.key"
# A certificate with a locked key from the cache; the password stays out of it.
cmake -B "$tree" -DSETUP_SIGN_CERT="$keys/publisher.pem" \
  -DSETUP_SIGN_KEY="$keys/publisher-locked.key" >/dev/null
signs "a certificate and its key" SETUP_SIGN_PASSWORD="$(head -n 1 "$keys/password")"
! grep -qF "correct horse" "$tree/CMakeCache.txt" || fail "the password is in CMakeCache.txt"
cmake -B "$tree" -U 'SETUP_SIGN_*' >/dev/null

# --- Certificates that cannot sign --------------------------------------------------------------
# refuses MESSAGE SETTING=VALUE...: the dist target fails with these settings, says MESSAGE, and
# takes away the release folder an earlier build left.
refuses() {
  local message=$1
  shift
  mkdir -p "$dist"
  : >"$dist/setup.exe"
  if build_dist "$@"; then
    fail "dist built with $*"
  fi
  tr -s ' \n' '  ' <"$log" | grep -qF "$message" || fail "dist failed without saying: $message"
  [ ! -e "$dist" ] || fail "a failed signing left $dist behind"
}
refuses "does not open with the given password" \
  SETUP_SIGN_PKCS12="$keys/publisher.p12" SETUP_SIGN_PASSWORD=wrong
refuses "SETUP_SIGN_PKCS12 names no file" SETUP_SIGN_PKCS12="$keys/missing.p12"
refuses "is not for code signing (its Extended Key Usage: TLS Web Server Authentication)" \
  SETUP_SIGN_PKCS12="$keys/website.p12" SETUP_SIGN_PASSWORD_FILE="$keys/password"
refuses "osslsigncode failed" \
  SETUP_SIGN_CERT="$keys/publisher.pem" SETUP_SIGN_KEY="$keys/website.key"

# --- Without a certificate: the release folder as it always was ---------------------------------
build_dist || fail "dist did not build unsigned"
grep -qF "setup.exe is not signed" "$log" || fail "an unsigned dist does not say so"
cmp -s "$signed" "$tree/setup.exe" || fail "unsigned, dist/setup.exe is not the program built"

echo "signing: SHA-256 signature verifies, covers the file, comes off cleanly and runs under WoW64;" \
  "5 other ways in; 4 refusals"
