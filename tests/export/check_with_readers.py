#!/usr/bin/python3
"""Reads the workbook that the export writes for a named store with three real readers and
compares what each shows with the export's own CSV file, cell for cell:

- xlrd: cell types, values and number formats, column widths, the header's alignment;
- LibreOffice (soffice --headless --convert-to csv, cell contents as shown);
- Gnumeric (ssconvert, cell contents as formatted).

A sheet holds 65,535 records under the header; more go on in further sheets, each under
the header again, and every reader must show each sheet's part of the CSV file.

usage: check_with_readers.py <export_fixture> <store>...
A reader that is missing fails the check: scripts/setup installs all three.
"""
import decimal
import os
import shutil
import subprocess
import sys
import tempfile

import xlrd

failures = []


def fail(message):
    failures.append(message)
    if len(failures) <= 20:
        print("FAIL:", message)


def read_lines(path, eol):
    with open(path, "rb") as f:
        data = f.read()
    text = data.decode("utf-8")
    if not text.endswith(eol):
        fail(f"{path}: the last line does not end with {eol!r}")
    return text.split(eol)[:-1]


def shown_number(value, code):
    """The text a spreadsheet shows for value under the number format codes the export
    uses: 0-and-# decimal patterns and General."""
    if code == "General":
        text = "%.15g" % value
        if "e" in text:
            mantissa, exponent = text.split("e")
            return mantissa + "E" + str(int(exponent))
        return text
    integer, _, decimals = code.partition(".")
    least = decimals.count("0")
    most = len(decimals)
    q = decimal.Decimal(repr(value)).quantize(decimal.Decimal(1).scaleb(-most),
                                              rounding=decimal.ROUND_HALF_UP)
    text = format(q, "f")
    if "." in text:
        whole, frac = text.split(".")
        frac = frac.rstrip("0")
        frac += "0" * (least - len(frac))
        text = whole + ("." + frac if frac else "")
    if text.startswith("-") and decimal.Decimal(text) == 0:
        text = text[1:]
    return text


RECORDS_PER_SHEET = 65535


def sheet_parts(expected):
    """The CSV file's lines as each sheet must show them: the header, then its records."""
    header, records = expected[0], expected[1:]
    return [[header] + records[at:at + RECORDS_PER_SHEET]
            for at in range(0, max(len(records), 1), RECORDS_PER_SHEET)]


def check_xlrd(xls, expected):
    book = xlrd.open_workbook(xls, formatting_info=True)
    parts = sheet_parts(expected)
    if book.nsheets != len(parts):
        fail(f"xlrd: {book.nsheets} sheets, the CSV needs {len(parts)}")
    for index in range(min(book.nsheets, len(parts))):
        sheet = book.sheet_by_index(index)
        if sheet.name != f"Sheet{index + 1}":
            fail(f"xlrd: sheet {index + 1} is named {sheet.name!r}")
        check_xlrd_sheet(book, sheet, parts[index])


def check_xlrd_sheet(book, sheet, expected):
    if sheet.nrows != len(expected):
        fail(f"xlrd: {sheet.nrows} rows, the CSV has {len(expected)} lines")
    if sheet.ncols != 9:
        fail(f"xlrd: {sheet.ncols} columns")
    widths = {c: (info.width / 256 * 7 - 5) / 7 for c, info in sheet.colinfo_map.items()}
    for column, chars in ((0, 20), (5, 15), (6, 15)):
        if round(widths.get(column, 0), 1) != chars:
            fail(f"xlrd: column {column + 1} is {widths.get(column)} characters wide")
    for column in (1, 2, 3, 4, 7, 8):
        if column in widths:
            fail(f"xlrd: column {column + 1} has a width of its own")
    for r in range(min(sheet.nrows, len(expected))):
        want = expected[r].split(",")
        for c in range(9):
            cell = sheet.cell(r, c) if c < sheet.row_len(r) else None
            ctype = cell.ctype if cell else xlrd.XL_CELL_EMPTY
            xf = book.xf_list[cell.xf_index] if cell else None
            code = book.format_map[xf.format_key].format_str if xf else "General"
            if r == 0:
                if ctype != xlrd.XL_CELL_TEXT or cell.value != want[c]:
                    fail(f"xlrd: header {c + 1} is {cell!r}")
                elif xf.alignment.hor_align != 2:
                    fail(f"xlrd: header {c + 1} is not centred")
                continue
            if ctype == xlrd.XL_CELL_EMPTY:
                shown = ""
            elif ctype == xlrd.XL_CELL_TEXT:
                shown = cell.value
            elif ctype == xlrd.XL_CELL_DATE:
                if c != 0 or code != "yy-mm-dd hh:mm:ss":
                    fail(f"xlrd: row {r + 1} column {c + 1}: a date formatted {code!r}")
                y, mo, d, h, mi, s = xlrd.xldate_as_tuple(cell.value, book.datemode)
                shown = "%02d-%02d-%02d %02d:%02d:%02d" % (y % 100, mo, d, h, mi, s)
            elif ctype == xlrd.XL_CELL_NUMBER:
                if c == 0:
                    fail(f"xlrd: row {r + 1}: the time is a plain number")
                if repr(float(want[c])) != repr(cell.value):
                    fail(f"xlrd: row {r + 1} column {c + 1}: value {cell.value!r}, "
                         f"the CSV says {want[c]}")
                shown = shown_number(cell.value, code)
            else:
                shown = f"<cell type {ctype}>"
            if shown != want[c]:
                fail(f"xlrd: row {r + 1} column {c + 1} shows {shown!r} ({code!r}), "
                     f"the CSV says {want[c]!r}")


def compare(reader, lines, expected):
    if len(lines) != len(expected):
        fail(f"{reader}: {len(lines)} lines, the CSV has {len(expected)}")
    for i, (got, want) in enumerate(zip(lines, expected)):
        if got != want:
            fail(f"{reader}: line {i + 1} is {got!r}, the CSV has {want!r}")


def check_sheets(reader, converted, expected):
    """converted: one file per sheet, in sheet order."""
    parts = sheet_parts(expected)
    if len(converted) != len(parts):
        fail(f"{reader}: {len(converted)} sheets, the CSV needs {len(parts)}")
    for index, ((path, eol), part) in enumerate(zip(converted, parts)):
        compare(f"{reader} sheet {index + 1}", read_lines(path, eol), part)


def check_libreoffice(exports, work):
    """One LibreOffice run converts every store's workbook: its start-up takes seconds."""
    soffice = shutil.which("soffice")
    if not soffice:
        fail("soffice is not installed (scripts/setup installs libreoffice-calc-nogui)")
        return
    profile = os.path.join(work, "profile")
    inputs = os.path.join(work, "libreoffice-in")
    out = os.path.join(work, "libreoffice")
    os.makedirs(inputs)
    for store, (xls, _) in exports.items():
        shutil.copy(xls, os.path.join(inputs, store + ".xls"))
    # Field separator, quote, UTF-8, first line; "as shown" is the ninth option, and -1 in
    # the twelfth writes every sheet to a file of its own, "<name>-<sheet>.csv".
    target = "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true,false,false,-1"
    subprocess.run([soffice, f"-env:UserInstallation=file://{profile}", "--headless",
                    "--convert-to", target, "--outdir", out]
                   + [os.path.join(inputs, store + ".xls") for store in exports],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   env=dict(os.environ, HOME=work))
    for store, (_, expected) in exports.items():
        converted = []
        while os.path.exists(os.path.join(out, f"{store}-Sheet{len(converted) + 1}.csv")):
            converted.append((os.path.join(out, f"{store}-Sheet{len(converted) + 1}.csv"), "\n"))
        if not converted:
            fail(f"LibreOffice did not convert the {store} workbook")
            continue
        check_sheets(f"LibreOffice ({store})", converted, expected)


def check_gnumeric(xls, expected):
    ssconvert = shutil.which("ssconvert")
    if not ssconvert:
        fail("ssconvert is not installed (scripts/setup installs gnumeric)")
        return
    # As formatted; ISO-8859-1 keeps the minus sign a hyphen. -S writes one file per sheet,
    # numbered from 0 in place of %n.
    options = "separator=, format=preserve quoting-mode=never eol=windows charset=ISO-8859-1"
    pattern = xls[:-4] + ".%n.gnumeric.csv"
    subprocess.run([ssconvert, "-S", "-T", "Gnumeric_stf:stf_assistant", "-O", options, xls,
                    pattern],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   env=dict(os.environ, HOME=os.path.dirname(xls)))
    converted = []
    while os.path.exists(pattern.replace("%n", str(len(converted)))):
        converted.append((pattern.replace("%n", str(len(converted))), "\r\n"))
    check_sheets(f"Gnumeric ({os.path.basename(os.path.dirname(xls))})", converted, expected)


def main():
    fixture, stores = sys.argv[1], sys.argv[2:]
    work = tempfile.mkdtemp(prefix="lgcset-readers-")
    try:
        exports = {}
        for store in stores:
            folder = os.path.join(work, store)
            os.makedirs(folder)
            xls, csv = subprocess.run([fixture, store, folder], check=True,
                                      capture_output=True, text=True).stdout.split()
            exports[store] = (xls, read_lines(csv, "\r\n"))
        for store, (xls, expected) in exports.items():
            check_xlrd(xls, expected)
            check_gnumeric(xls, expected)
        check_libreoffice(exports, work)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    if failures:
        print(f"{len(failures)} differences")
        return 1
    print(f"{' '.join(stores)}: xlrd, Gnumeric and LibreOffice show the CSV's texts")
    return 0


if __name__ == "__main__":
    sys.exit(main())
