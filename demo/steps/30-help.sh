#!/usr/bin/env bash
# Help pages of the installation: every demo/help/PAGE.txt (UTF-8, one line of the page per line)
# becomes root/AJUDA/PAGE.HLP for the console viewer (code page 850, one record of 80 bytes per
# line) and root/AJUDA/PAGE.HTM for the help document program. In the sources {h}, {u} and {r}
# switch highlight, underline and reverse on and off (bytes 30, 31 and 16 of the .HLP lines).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
install=$1
mkdir -p "$install/root/AJUDA"
python3 - "$here/help" "$install/root/AJUDA" <<'PY'
import html, pathlib, sys

source, target = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
RECORD, VISIBLE = 80, 76
SWITCHES = {"{h}": b"\x1e", "{u}": b"\x1f", "{r}": b"\x10"}
TAGS = {"{h}": ("<b>", "</b>"), "{u}": ("<u>", "</u>"), "{r}": ('<span class="r">', "</span>")}

for page in sorted(source.glob("*.txt")):
    records, body = [], []
    for number, line in enumerate(page.read_text(encoding="utf-8").splitlines(), 1):
        record, visible, rest = b"", 0, line
        markup, state = "", {k: False for k in SWITCHES}
        while rest:
            switch = next((k for k in SWITCHES if rest.startswith(k)), None)
            if switch:
                record += SWITCHES[switch]
                markup += TAGS[switch][1 if state[switch] else 0]
                state[switch] = not state[switch]
                rest = rest[3:]
            else:
                record += rest[0].encode("cp850")
                markup += html.escape(rest[0])
                visible += 1
                rest = rest[1:]
        if visible > VISIBLE or len(record) > RECORD:
            sys.exit(f"{page.name}:{number}: line too long for a help page")
        records.append(record.ljust(RECORD, b" "))
        body.append(markup)
    (target / f"{page.stem}.HLP").write_bytes(b"".join(records))
    title = html.escape(page.stem)
    (target / f"{page.stem}.HTM").write_text(
        "<!DOCTYPE html>\n<html lang=\"ca\"><head><meta charset=\"utf-8\">"
        f"<title>{title}</title>\n<style>.r{{background:#000;color:#fff}}</style></head>\n"
        "<body><pre>\n" + "\n".join(body) + "\n</pre></body></html>\n", encoding="utf-8")
PY
