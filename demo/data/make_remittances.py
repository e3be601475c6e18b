#!/usr/bin/env python3
"""Writes the demo's remittance records as a sequential load file (each record as its length in
decimal, a comma, the record bytes, CR LF) on standard output, or into the file named as the
first argument. The output is the same on every run: a fixed linear congruential generator
chooses the values.

Record layout (80 bytes, code page 850; packed fields hold two digits per byte as 128 + value):
   0  1  remittance number, last two digits (packed)
   1 10  account to be credited: bank, branch, two control digits, account number (packed)
  11  2  office number (packed, 4 digits)
  13  3  PRE number (decimal text)
  16 30  ordering party's name
  46  4  remittance date yyyymmdd (packed), then 5 blanks
  55  3  SUF number (decimal text)
  58 17  ordering party's tax identifier: "ES" and the identifier
  75  1  remittance number, first two digits (packed)
  76  4  blanks
"""
import sys

RECORD_LENGTH = 80
COUNT = 150


class Lcg:
    """A small, fixed pseudo-random source (same numbers everywhere)."""

    def __init__(self, seed):
        self.state = seed

    def next(self, n):
        self.state = (self.state * 1103515245 + 12345) % 2147483648
        return (self.state >> 8) % n

    def digits(self, count):
        return "".join(str(self.next(10)) for _ in range(count))


def pack(digits):
    if len(digits) % 2:
        digits += "0"
    return bytes(128 + int(digits[i:i + 2]) for i in range(0, len(digits), 2))


def control_digit(digits):
    weights = [1, 2, 4, 8, 5, 10, 9, 7, 3, 6]
    d = 11 - sum(int(c) * w for c, w in zip(digits, weights)) % 11
    return {10: 1, 11: 0}.get(d, d)


def spanish_account(bank, branch, number):
    return (bank + branch + str(control_digit("00" + bank + branch)) +
            str(control_digit(number)) + number)


def dni(number):
    return "%08d%s" % (number, "TRWAGMYFPDXBNJZSQVHLCKE"[number % 23])


def cif(rng):
    letter = "ABEFGHJ"[rng.next(7)]
    body = rng.digits(7)
    total = 0
    for i, c in enumerate(body):
        v = int(c)
        if i % 2 == 0:
            v *= 2
            v = v // 10 + v % 10
        total += v
    return letter + body + str((10 - total % 10) % 10)


BANKS = ["0049", "0075", "0081", "0128", "0182", "0487", "1465", "2080", "2085", "2100",
         "3058", "3081", "0030", "2038"]

SURNAMES = ["GARCÍA", "MUÑOZ", "FERRÉ", "PUIGDOMÈNECH", "CASTAÑO", "VILÀ", "RODRÍGUEZ",
            "SOLÉ", "NÚÑEZ", "ALBIÑANA", "GÜELL", "CALÇADA", "MARTÍNEZ", "FONTANÉ", "ROIG",
            "BARRIÓ", "LÓPEZ", "PEÑA", "TORRÓ", "CASALS"]
GIVEN = ["JOSEP", "MARIA", "JORDI", "NÚRIA", "ÀNGEL", "MONTSERRAT", "XOSÉ", "IÑAKI",
         "CARMEN", "ÒSCAR", "LAIA", "ANDRÉS", "CÈLIA", "PERE", "ROSALÍA"]
COMPANIES = ["COOPERATIVA AGRÍCOLA DE", "CELLERS", "TRANSPORTS", "FERRETERIA", "CONSTRUCCIONS",
             "ASSESSORIA", "FORN DE PA", "AUTOCARS", "ELECTRICITAT", "PAPERERIA"]
PLACES = ["L'ALT PENEDÈS", "SANT SADURNÍ", "GELIDA", "LA GRANADA", "OLÈRDOLA", "CUBELLES",
          "SANT MARTÍ", "AVINYONET", "TORRELLES", "SUBIRATS"]


def text(value, width):
    data = value.encode("cp850")[:width]
    return data + b" " * (width - len(data))


def records():
    rng = Lcg(20261211)
    number = 0
    for i in range(COUNT):
        # Remittance numbers rise with a few gaps and repeats, past 99 and once past 999.
        step = rng.next(10)
        number += 0 if step == 0 else (2 if step == 9 else 1)
        if i == COUNT - 3:
            number = 1203
        bank = BANKS[rng.next(len(BANKS))]
        branch = rng.digits(4)
        account = spanish_account(bank, branch, rng.digits(10))
        if i % 23 == 11:  # a few accounts with wrong control digits
            account = account[:8] + str((int(account[8]) + 3) % 10) + account[9:]
        if i == 40:       # no account at all
            account = "0" * 20
        office = rng.digits(4)
        pre = "%03d" % rng.next(1000)
        suf = "%03d" % rng.next(10)
        if i % 37 == 5:
            pre = "   "
        if i % 41 == 7:
            suf = "S/N"
        if rng.next(3) == 0:
            name = "%s %s" % (COMPANIES[rng.next(len(COMPANIES))], PLACES[rng.next(len(PLACES))])
            tax = "ES" + cif(rng)
        else:
            name = "%s %s, %s" % (SURNAMES[rng.next(len(SURNAMES))],
                                  SURNAMES[rng.next(len(SURNAMES))], GIVEN[rng.next(len(GIVEN))])
            tax = "ES" + dni(rng.next(100000000))
        if i % 17 == 3:
            tax = "ES"    # no identifier: the company's own is printed
        if i % 29 == 13:
            tax = ""
        name_bytes = text(name, 30)
        if i == 77:       # a control character that found its way into a name
            name_bytes = name_bytes.replace(b" ", b"\x09", 1)
        date = "2026%02d%02d" % (1 + i * 12 // COUNT, 1 + rng.next(28))
        record = (pack("%02d" % (number % 100)) + pack(account) + pack(office) + text(pre, 3) +
                  name_bytes + pack(date) + b" " * 5 + text(suf, 3) + text(tax, 17) +
                  pack("%02d" % (number // 100 % 100)) + b" " * 4)
        assert len(record) == RECORD_LENGTH
        yield record


def main():
    out = open(sys.argv[1], "wb") if len(sys.argv) > 1 else sys.stdout.buffer
    for record in records():
        out.write(str(len(record)).encode("ascii") + b"," + record + b"\r\n")
    out.flush()


if __name__ == "__main__":
    main()
