#!/bin/sh
# Usage: sign.sh <file> <throwaway-dir>
#        sign.sh --throwaway <throwaway-dir>
# Signs a PE file or an installer package in place with Authenticode
# (osslsigncode, SHA-256). The certificate is the PKCS#12 file named by
# PELRIN_SIGN_PKCS12, with the password in PELRIN_SIGN_PASSWORD; without one,
# the throwaway self-signed certificate of <throwaway-dir>, which --throwaway
# makes, so that the signing path always runs. PELRIN_TIMESTAMP_URL names a
# timestamp server (it needs the network: off unless set). The signing time is
# SOURCE_DATE_EPOCH, so a build signed with the same certificate is the same.
set -eu
if [ "$1" = --throwaway ]; then
  dir=$2
  mkdir -p "$dir"
  # A fresh key each build tree: nothing to keep secret, nothing to trust.
  openssl req -x509 -newkey rsa:3072 -nodes -sha256 -days 3650 -subj "/CN=Pelrin throwaway build signer" \
    -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
    -keyout "$dir/throwaway.key" -out "$dir/throwaway.pem" 2>/dev/null
  openssl pkcs12 -export -inkey "$dir/throwaway.key" -in "$dir/throwaway.pem" -passout pass:throwaway \
    -out "$dir/throwaway.p12.part"
  mv "$dir/throwaway.p12.part" "$dir/throwaway.p12"
  exit 0
fi
file=$1 dir=$2
if [ -n "${PELRIN_SIGN_PKCS12:-}" ]; then
  pkcs12=$PELRIN_SIGN_PKCS12 password=${PELRIN_SIGN_PASSWORD:-}
else
  pkcs12=$dir/throwaway.p12 password=throwaway
fi
set -- -pkcs12 "$pkcs12" -readpass - -h sha256 -n Pelrin -time "${SOURCE_DATE_EPOCH:-0}"
[ -z "${PELRIN_TIMESTAMP_URL:-}" ] || set -- "$@" -ts "$PELRIN_TIMESTAMP_URL"
rm -f "$file.signed"
printf '%s' "$password" | osslsigncode sign "$@" -in "$file" -out "$file.signed" >/dev/null
mv "$file.signed" "$file"
