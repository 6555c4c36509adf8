#include "display_images.h"

namespace quillon::test {

namespace {

QList<NamedImage> Make()
{
    DisplayImage counting;
    DisplayImage reversed;
    DisplayImage lit;
    for (std::size_t k = 0; k < DisplayBytes; ++k) {
        counting.SetByte(k, static_cast<std::uint8_t>(k % 256));
        reversed.SetByte(k, static_cast<std::uint8_t>(255 - k % 256));
        lit.SetByte(k, 0xFF);
    }
    return {{"every byte value", counting},
            {"every byte value, reversed", reversed},
            {"all clear", DisplayImage{}},
            {"all lit", lit}};
}

}  // namespace

const QList<NamedImage>& TestImages()
{
    static const QList<NamedImage> images = Make();
    return images;
}

Result<ReadBack> DotsOfBytes(std::string_view bytes, const PictureOptions& options)
{
    MemorySource source(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    return DotsOfFile(source, options);
}

}  // namespace quillon::test
