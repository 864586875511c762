# Prints a workbook as one JSON object, for the tests to compare with what was loaded:
#
#     read_workbook.py [--layout] FILE.xlsx
#
# {"sheets": [{"name": str, "rows": [[value...]...]}]}, and with --layout also "frozen" (the top
# left cell of the unfrozen pane, or null) and "boldHeader" for each sheet. Numbers are JSON
# numbers exactly as openpyxl read them (floats in their shortest round-trip form), text cells
# strings, empty cells null. Without --layout the workbook is read in openpyxl's faster read-only
# mode, which does not see the layout.
import json
import sys

import openpyxl

layout = sys.argv[1] == "--layout"
workbook = openpyxl.load_workbook(sys.argv[-1], read_only=not layout)
sheets = []
for sheet in workbook.worksheets:
    entry = {"name": sheet.title, "rows": [list(row) for row in sheet.iter_rows(values_only=True)]}
    if layout:
        header = next(sheet.iter_rows(min_row=1, max_row=1), ())
        entry["frozen"] = sheet.freeze_panes
        entry["boldHeader"] = bool(header) and all(cell.font.b for cell in header)
    sheets.append(entry)
json.dump({"sheets": sheets}, sys.stdout, allow_nan=False)
