// The kinds of picture the tool reads: one row each, with how a file of the
// kind is told by its first bytes and the decoder that reads it. Everything
// that lists the kinds (the help, the messages, the names an output is given)
// takes the list from here; adding a kind is its decoder and its row.
#pragma once

#include "intake/picture_image.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace quillon {

struct PictureKind {
    std::string_view name;        // "PNG"
    std::string_view extensions;  // its files' usual endings, separated by spaces: ".png"
    std::size_t headBytes;        // how many first bytes `told` looks at
    bool (*told)(std::span<const std::uint8_t> head);
    Result<void> (*decode)(ByteSource& file, const DecodeOptions& options, PictureSink& sink);
    // Whether the decoder reads the file as it goes, whatever its size (else
    // it reads it whole, up to MaxHeldFileBytes).
    bool readsAsItGoes;
    // Whether its files may hold frames (--frame picks one past the first).
    bool animated;
};

std::span<const PictureKind> PictureKinds();
// The most first bytes any kind is told by.
std::size_t PictureHeadBytes();
// The kind of a picture from its first bytes (at least PictureHeadBytes of
// them, or the whole file), or nullptr.
const PictureKind* PictureKindOf(std::span<const std::uint8_t> head);
const PictureKind* PictureKindOf(std::string_view head);
// The kind whose usual ending `fileName` has (any case), or nullptr.
const PictureKind* PictureKindNamed(std::string_view fileName);
// "PNG, GIF, JPEG, PNM or BMP".
std::string PictureKindNames(std::string_view last = "or");

}  // namespace quillon
