"""Reads an .xls file with xlrd (an independent reader) and prints what a
spreadsheet program sees as JSON: per sheet its name, cells with their types,
column widths and whether the sheet is protected (and by a password)."""
import json
import struct
import sys

import olefile
import xlrd


def protection(path):
    data = olefile.OleFileIO(path).openstream("Workbook").read()
    sheets, pos, current = [], 0, None
    while pos + 4 <= len(data):
        rid, size = struct.unpack_from("<HH", data, pos)
        body = data[pos + 4:pos + 4 + size]
        if rid == 0x0809:
            kind = struct.unpack_from("<H", body, 2)[0]
            current = {"protected": False, "password": 0} if kind == 0x0010 else None
            if current is not None:
                sheets.append(current)
        elif current is not None and rid == 0x0012:
            current["protected"] = struct.unpack_from("<H", body)[0] == 1
        elif current is not None and rid == 0x0013:
            current["password"] = struct.unpack_from("<H", body)[0]
        pos += 4 + size
    return sheets


def main(path):
    book = xlrd.open_workbook(path, formatting_info=True)
    prot = protection(path)
    out = []
    for index, sheet in enumerate(book.sheets()):
        cells = []
        for r in range(sheet.nrows):
            for c in range(sheet.ncols):
                cell = sheet.cell(r, c)
                if cell.ctype == xlrd.XL_CELL_NUMBER:
                    cells.append([r, c, "n", cell.value])
                elif cell.ctype == xlrd.XL_CELL_TEXT:
                    cells.append([r, c, "t", cell.value])
                elif cell.ctype != xlrd.XL_CELL_EMPTY:
                    cells.append([r, c, "?", str(cell.value)])
        widths = {str(c): info.width for c, info in sheet.colinfo_map.items()}
        locked = all(book.xf_list[sheet.cell_xf_index(r, c)].protection.cell_locked
                     for r in range(sheet.nrows) for c in range(sheet.ncols)
                     if sheet.cell(r, c).ctype != xlrd.XL_CELL_EMPTY)
        out.append({"name": sheet.name, "rows": sheet.nrows, "cols": sheet.ncols,
                    "cells": cells, "widths": widths, "locked": locked,
                    "protected": prot[index]["protected"], "password": prot[index]["password"]})
    json.dump(out, sys.stdout)


if __name__ == "__main__":
    main(sys.argv[1])
