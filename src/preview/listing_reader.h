// Reads a listing back and hands each line, decoded to "0" and "1" characters,
// to the dot walk.
#pragma once

#include "preview/dot_walk.h"

#include <QString>

#include <optional>
#include <string>
#include <string_view>

class QIODevice;

namespace quillon {

// One line to its bit string: characters 12 .. L-2 kept, every "H," removed,
// then each digit "0" .. "9", "A" .. "F" replaced by its four binary digits, one
// digit after the other over the whole string; letters in either case. No line
// is checked: whatever survives is handed on. An empty line, and one too short
// to cut (under 13 characters), gives nothing.
std::optional<std::string> DecodeLine(std::string_view line);

// Cuts text, fed in pieces, into listing lines: a line ends at CR LF, a bare CR
// or a bare LF, and the end is not part of it. Finish hands on a last line that
// has no end.
class LineSplitter {
public:
    template <typename OnLine>
    void Feed(std::string_view text, OnLine&& onLine)
    {
        for (const char c : text) {
            if (c == '\r') {
                onLine(std::string_view(line_));
                line_.clear();
                afterCarriageReturn_ = true;
            } else if (c == '\n') {
                if (!afterCarriageReturn_) {
                    onLine(std::string_view(line_));
                    line_.clear();
                }
                afterCarriageReturn_ = false;
            } else {
                line_ += c;
                afterCarriageReturn_ = false;
            }
        }
    }
    template <typename OnLine>
    void Finish(OnLine&& onLine)
    {
        if (!line_.empty())
            onLine(std::string_view(line_));
        line_.clear();
    }

private:
    std::string line_;
    bool afterCarriageReturn_ = false;
};

// Erases the surface, puts the position on the first dot and paints every
// line of `device` (lines end at CR LF, CR or LF). Returns an empty string, or
// the reason the device could not be read; then the surface is left erased.
QString ReadListingFrom(QIODevice& device, SharedState& state, DrawPosition& position, DotSurface& surface);

// The same for the listing file at `path`.
QString ReadListing(const QString& path, SharedState& state, DrawPosition& position, DotSurface& surface);

}  // namespace quillon
