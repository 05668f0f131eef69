#!/usr/bin/env python3
"""Converts an RSA public key to the CryptoAPI PUBLICKEYBLOB that Kolvex trusts for updates: the value of
HKCU\\Software\\Kolvex\\Update\\PublicKey (REG_BINARY) and the file KOLVEX_UPDATE_PUBLIC_KEY names.

usage: key_blob.py <public key, PEM or DER> <blob file>     writes the blob
       key_blob.py <public key, PEM or DER> --hex           prints it as hex, for `reg add /t REG_BINARY /d`

The key pair: openssl genrsa -out signing.pem 3072 && openssl rsa -in signing.pem -pubout -out signing.pub.pem
A file is signed with: openssl dgst -sha256 -sign signing.pem -out <file>.sig <file>
"""

import base64
import struct
import sys


def read_der(data, at):
    tag, length = data[at], data[at + 1]
    at += 2
    if length & 0x80:
        count = length & 0x7F
        length = int.from_bytes(data[at:at + count], 'big')
        at += count
    return tag, data[at:at + length], at + length


def rsa_numbers(der):
    _, outer, _ = read_der(der, 0)
    tag, first, after = read_der(outer, 0)
    if tag == 0x30:  # SubjectPublicKeyInfo: the algorithm, then the key in a bit string
        _, bits, _ = read_der(outer, after)
        _, outer, _ = read_der(bits[1:], 0)
        _, first, after = read_der(outer, 0)
    _, exponent, _ = read_der(outer, after)
    return int.from_bytes(first, 'big'), int.from_bytes(exponent, 'big')


def main():
    data = open(sys.argv[1], 'rb').read()
    if data.startswith(b'-----'):
        data = base64.b64decode(b''.join(l for l in data.splitlines() if not l.startswith(b'-----')))
    modulus, exponent = rsa_numbers(data)
    bits = (modulus.bit_length() + 7) // 8 * 8
    if bits < 2048:
        sys.exit('the key has %d bits; Kolvex wants 2048 or more' % bits)
    blob = struct.pack('<BBHI4sII', 6, 2, 0, 0xA400, b'RSA1', bits, exponent) + modulus.to_bytes(bits // 8, 'little')
    if sys.argv[2] == '--hex':
        print(blob.hex())
    else:
        open(sys.argv[2], 'wb').write(blob)


if __name__ == '__main__':
    main()
