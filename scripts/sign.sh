#!/usr/bin/env bash
# Signs Windows programs in place with osslsigncode (Authenticode, SHA-256), when a code-signing
# certificate is given; otherwise signs nothing and says so:
#   sign.sh FILE...
# The certificate comes from the environment, never from the project:
#   ROSTREL_SIGN_PFX        the certificate with its private key, as a PKCS#12 file (.pfx, .p12)
#   ROSTREL_SIGN_PASSWORD   that file's password (may be left out when it has none)
#   ROSTREL_SIGN_TIMESTAMP  optional: the address of an RFC 3161 time-stamping server, so that
#                           the signature stays valid after the certificate expires
# scripts/windows.sh signs Rostrel.exe before it is packed (packaging/windows/package.cmake
# calls this script on the program it stages), so that the zip and the setup carry the signed
# program, and then the setup itself.
set -euo pipefail
if [ -z "${ROSTREL_SIGN_PFX:-}" ]; then
  echo "Not signed, no certificate given (ROSTREL_SIGN_PFX): $*"
  exit 0
fi
[ -f "$ROSTREL_SIGN_PFX" ] || { echo "sign.sh: no certificate file $ROSTREL_SIGN_PFX" >&2; exit 1; }
for file in "$@"; do
  signed="$file.signed"
  rm -f "$signed"
  options=(-pkcs12 "$ROSTREL_SIGN_PFX" -readpass - -h sha256 -n Rostrel)
  [ -z "${ROSTREL_SIGN_TIMESTAMP:-}" ] || options+=(-ts "$ROSTREL_SIGN_TIMESTAMP")
  # The password goes in on standard input, not on the command line, where any user could read it.
  printf '%s\n' "${ROSTREL_SIGN_PASSWORD:-}" |
    osslsigncode sign "${options[@]}" -in "$file" -out "$signed" >/dev/null
  mv -f "$signed" "$file"
  echo "Signed: $file"
done
