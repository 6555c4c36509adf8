#include "engine/open_file.h"

#include "intake/bitmap_reader.h"

namespace quillon {

namespace {

std::span<const std::uint8_t> Bytes(std::string_view bytes)
{
    return {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
}

}  // namespace

OpenFile::OpenFile(std::string bytes) : bytes_(std::move(bytes)), identity_(Identify(bytes_)) {}

bool OpenFile::SameFitting(const PictureOptions& options) const
{
    const ArtworkOptions& a = fitted_->artwork;
    const ArtworkOptions& b = options.artwork;
    return fitted_->frame == options.frame && a.fit == b.fit && a.background == b.background && a.rotate == b.rotate &&
           a.flip == b.flip && LightOf(a.dither) == LightOf(b.dither);
}

Result<FileDots> OpenFile::Dots(const PictureOptions& options)
{
    const bool exact = identity_.picture &&
                       ReadPicture(Bytes(std::string_view(bytes_).substr(0, WholeFileLimit))).outcome ==
                           PictureRead::Outcome::Accepted &&
                       options.frame == 0;
    if (!identity_.picture || exact || bytes_.size() > WholeFileLimit) {
        MemorySource file(Bytes(bytes_));
        return DotsOfFile(file, options);
    }
    if (!fitted_ || !SameFitting(options)) {
        if (heldFrame_ != options.frame) {
            held_.reset();
            const Result<PictureImage> picture = DecodePicture(Bytes(bytes_), DecodeOptions{options.frame, {}});
            if (!picture) {
                // Too large to hold (refused before its pixels are read), or
                // damaged: the route decodes it row by row, or says why not.
                MemorySource file(Bytes(bytes_));
                return DotsOfFile(file, options);
            }
            held_ = std::move(*picture);
            heldFrame_ = options.frame;
        }
        ArtworkSampler sampler(options.artwork);
        (void)FeedPicture(*held_, sampler);  // held, so within the sampler's bounds
        grey_ = sampler.Grey();
        fitted_ = options;
    }
    return FileDots{DotsOf(grey_, options.artwork), identity_, false, {}};
}

}  // namespace quillon
