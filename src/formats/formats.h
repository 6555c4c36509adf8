// The files a display image is written to and read from: one row per format
// in one table (format_table.cpp). A format is a row there and its writer and
// parser in a file of its own; quillon-cli's help and `quillon-cli formats`
// list the table, and tests/repo/check_lists.sh holds every list kept outside
// the code to it.
//
// A parser gives the file's bytes as they stand, in the order of its row; the
// display's order is applied in one place (ImageOf, BytesOf), so a format that
// writes the same syntax in another order is a row, not a copy of a parser.
//
// A file's format is told by its content: each row's rule is asked in the
// order of the rows' ranks, and the first that holds names it. The rules:
//   1. listing: text whose every line is empty or exactly the window's
//      "        DB XXH,...;" (upper-case hex digits, up to 8 items), with data;
//   2. sdas: text with a ".db" or ".byte" line holding "0x" or "#" in its items;
//   3. as31: text with a ".db" or ".byte" line;
//   4. a51: text with a DB line (after an optional label, outside comments
//      after ";" or "//");
//   5. c: text with a "{";
//   6. bin: exactly 488 bytes.
// Text is UTF-8 whose only control bytes are tab, CR, LF and form feed. A bmp
// file is told as a picture, by its signature, before any of these (a picture
// of any kind is: see engine/identify.h).
#pragma once

#include "common/display.h"
#include "common/result.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

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

// An animation's frame: its dots and how long it stays, in milliseconds.
struct Frame {
    DisplayImage image;
    int delay = 0;  // 0 to 65535
    friend bool operator==(const Frame&, const Frame&) = default;
};
// The most frames a table holds.
inline constexpr std::size_t MostFrames = 1000;

// An animation's table: the frame count, each frame's delay, then each
// frame's 488 bytes in the display's order; every number of two bytes low
// byte first:
//   0-1          frame count N
//   2 ... 2N+1   N delays, in milliseconds
//   then         N x 488 bytes, the frames one after another
// A table of exactly 488 bytes is one frame that stays (delay 0).
std::vector<std::uint8_t> AnimationBytes(std::span<const Frame> frames);
Result<std::vector<Frame>> FramesOf(std::span<const std::uint8_t> bytes);
// Whether bytes have an animation's size and say so in their count.
bool IsAnimation(std::span<const std::uint8_t> bytes);

// The order a table's bytes stand for the dots in.
enum class ByteOrder {
    Display,  // the display's own (common/display.h): the 488 bytes the firmware sends
};
// How many bytes a table in this order holds.
std::size_t TableBytes(ByteOrder order);
// The dots of a table's bytes (TableBytes of them), and the bytes of dots.
DisplayImage ImageOf(std::span<const std::uint8_t> bytes, ByteOrder order);
std::vector<std::uint8_t> BytesOf(const DisplayImage& image, ByteOrder order);

struct Format {
    std::string_view name;       // as given to --format
    std::string_view extension;  // of the default output name, with its dot
    // Output names ending so choose this format when --format is not given,
    // separated by spaces; empty: none does.
    std::string_view chosenBy;
    std::string_view purpose;  // what it is and for whom, one line of the help text
    // The listing stays the window's, and bin and bmp have no place for a label.
    bool takesLabel;
    ByteOrder order;
    // Where its rule is asked when a file is told by its content, lowest
    // first; 0: never (a bmp file is a picture).
    int rank;
    bool (*told)(std::string_view bytes);
    // The file of the bytes, in `order` (text formats end lines with CR LF).
    std::string (*write)(std::span<const std::uint8_t> bytes, const WriteOptions& options);
    // The bytes of a file, exactly `count` of them (0: any count), or why not.
    Result<std::vector<std::uint8_t>> (*parse)(std::string_view file, std::size_t count);
    // Whether it holds an animation's frames (a bmp file holds one picture).
    bool holdsFrames;

    std::string Write(const DisplayImage& image, const WriteOptions& options) const;
    ReadResult Read(std::string_view file) const;
    // An animation's frames written, and a file's frames read: a table of
    // one image is one frame.
    std::string WriteFrames(std::span<const Frame> frames, const WriteOptions& options) const;
    Result<std::vector<Frame>> ReadFrames(std::string_view file) const;
};

// Every format, "listing" first.
std::span<const Format> Formats();
// The format called `name` (exact, lower case), or nullptr.
const Format* FindFormat(std::string_view name);
// The format an output's file name chooses by its ending (any case), or nullptr.
const Format* FormatChosenBy(std::string_view fileName);
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
// Why `label` cannot go before the data in `format` (one the format has no
// place for, or no valid label: then one close to it is named), or done.
Result<void> CheckLabel(std::string_view label, const Format& format);
// Why `format` cannot hold an animation's frames, or done.
Result<void> CheckHoldsFrames(const Format& format);

}  // namespace quillon
