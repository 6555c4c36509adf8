// The floor of a photo's conversion: the PNG decoded whole by libspng, and
// nothing else done with it.
#include <spng.h>

#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    FILE* file = argc == 2 ? std::fopen(argv[1], "rb") : nullptr;
    spng_ctx* png = spng_ctx_new(0);
    std::size_t size = 0;
    if (!file || spng_set_png_file(png, file) || spng_decoded_image_size(png, SPNG_FMT_RGBA8, &size))
        return 1;
    std::vector<unsigned char> picture(size);
    const int failed = spng_decode_image(png, picture.data(), size, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS);
    spng_ctx_free(png);
    std::fclose(file);
    return failed ? 1 : picture[size / 2] == 1;  // the picture is used, not optimised away
}
