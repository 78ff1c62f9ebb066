#pragma once

// Files the user opens in a spreadsheet (the refused rows' CSV): what the system's spreadsheets
// need to read them as the UTF-8 they are.

#include <QString>

namespace spreadsheet {

// What such a file starts with: on Windows the byte-order mark, without which Excel reads a CSV
// file in the ANSI code page; elsewhere nothing, as LibreOffice and the tools of a Unix system
// read UTF-8 by default and some would take a mark for a part of the first field.
QString TextStart();

}  // namespace spreadsheet
