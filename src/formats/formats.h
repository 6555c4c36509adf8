// The files a display image is written to and read from: one row per format
// in one table (format_table.cpp). Adding a format takes its row there and its
// writer and reader in a file of their own; quillon-cli's help lists the
// table, and tests/repo/check_format_lists.sh holds every other list (bash
// completion, quillon_add_data, the manual page, the README) to it.
//
// What DetectFormat decides from a file's bytes, first rule that fits:
//   1. "BM" at the start and a control byte (0x00-0x08, 0x0E-0x1F) among the
//      first 54 bytes, as every BMP header has: bmp.
//   2. Exactly 488 bytes that are not text (text: UTF-8 whose only control
//      bytes are tab, CR, LF and form feed): bin.
//   3. Text with a data line (DB, .db or .byte in any case, after an optional
//      label, outside comments after ";" or "//"):
//      - a ".db"/".byte" line with a "0x" or "#" in its items: sdas;
//      - any other ".db"/".byte" line: as31;
//      - every line empty or exactly the window's "        DB XXH,...;" form
//        (upper-case hex digits, up to 8 items): listing;
//      - otherwise: a51.
//   4. Text with a "{": c.
//   5. Exactly 488 bytes of anything else: bin.
//   6. Nothing else is recognised.
// Which of the four DB-style formats it is matters only for naming: one reader
// takes them all.
#pragma once

#include "common/result.h"
#include "common/display.h"
#include "intake/bitmap_reader.h"

#include <span>
#include <string>
#include <string_view>

namespace quillon {

struct WriteOptions {
    // Label written before the data, or in C the array's name; check it with
    // IsValidLabel first. Empty: no label, and in C the name CIdentifier(pictureName)
    // gives. Formats that do not take a label ignore it.
    std::string label;
    // The picture's (or the input table's) file name, for the default C name.
    std::string pictureName;
};

// A table read: the display image, or why not, naming the line for text.
using ReadResult = Result<DisplayImage>;

struct Format {
    std::string_view name;       // as given to --format
    std::string_view extension;  // of the default output name, with its dot
    std::string_view purpose;    // what it is and for whom, one line of the help text
    // The listing stays the window's, and bin and bmp have no place for a label.
    bool takesLabel;
    // The file's bytes (text formats end their lines with CR LF).
    std::string (*write)(const DisplayImage& image, const WriteOptions& options);
    ReadResult (*read)(std::string_view bytes);
};

// Every format, "listing" first.
std::span<const Format> Formats();
// The format called `name` (exact, lower case), or nullptr.
const Format* FindFormat(std::string_view name);
// The format of a file from its content (rules above), or nullptr.
const Format* DetectFormat(std::string_view bytes);
// Detects the format and reads with it; an unrecognised file gives an error.
ReadResult ReadAnyFormat(std::string_view bytes);
// A BMP picture read as the window converts it: a dot is lit where the pixel's
// colour equals colour-table entry 0's (Normal), or entry 1's (Inverse). The
// bmp format reads with Normal.
ReadResult ReadPictureImage(std::string_view bytes, bool inverse);

// "lcd_" + stem + the format's extension: lcd_logo.txt, lcd_logo.a51, ...
// Every format has an extension of its own, so two formats never share a
// default. The name can still be the input's own (lcd_logo.txt turned into a
// listing again): the caller must not write over its input unasked.
std::string DefaultOutputName(const Format& format, std::string_view stem);
// The stem of an input's file name for DefaultOutputName: the folder, the last
// extension and a leading "lcd_" dropped, so that "pics/logo.bmp" and
// "lcd_logo.a51" both give "logo" (and a bmp from lcd_logo.txt is lcd_logo.bmp,
// never logo.bmp). Nothing left gives "data".
std::string OutputStem(std::string_view inputFileName);

// A C identifier from a file name: the folder and last extension dropped, every
// run of other characters than letters, digits and "_" turned into one "_",
// "lcd_" in front of a leading digit, "lcd" in front of a leading "_", at most
// 31 characters, and "_" after a C or 8051 keyword or register (see
// IsValidLabel). "my logo.bmp" -> "my_logo", "2x.bmp" -> "lcd_2x", "int.bmp" ->
// "int_", nothing usable -> "lcd_data".
std::string CIdentifier(std::string_view fileName);
// The same from any text, taken whole: a valid label close to it ("my logo" -> "my_logo").
std::string LabelFrom(std::string_view text);
// Whether `label` can be written as given: letters, digits and "_", not
// starting with a digit, at most 31 characters (C89 and the assemblers tell
// labels that long apart), not a C keyword, nor a memory keyword of Keil C51 or
// SDCC (code, data, xdata, ...), nor an 8051 register name in any case (A, R0, DPTR, ...).
bool IsValidLabel(std::string_view label);

}  // namespace quillon
