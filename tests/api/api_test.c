/* The C interface from a C program, as a user's program calls it: every
 * format written and read back, files told by content (a picture before any
 * size rule), failures in words, text drawn, a file opened once and fitted
 * again, and a picture's dots equal to quillon-cli's.
 *
 *   api_test QUILLON-CLI PICTURE */
#include "quillon/quillon.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int failures = 0;

#define CHECK(condition, ...)                                               \
    do {                                                                    \
        if (!(condition)) {                                                 \
            fprintf(stderr, "%s:%d: %s: ", __FILE__, __LINE__, #condition); \
            fprintf(stderr, __VA_ARGS__);                                   \
            fprintf(stderr, "\n");                                          \
            ++failures;                                                     \
        }                                                                   \
    } while (0)

static void Pattern(unsigned char image[QUILLON_DISPLAY_BYTES])
{
    for (int k = 0; k < QUILLON_DISPLAY_BYTES; ++k)
        image[k] = (unsigned char)(k * 7 + 3);
}

static void RoundTrips(void)
{
    unsigned char image[QUILLON_DISPLAY_BYTES], back[QUILLON_DISPLAY_BYTES];
    char error[256];
    Pattern(image);
    for (int k = 0; quillon_format_name(k); ++k) {
        const char* format = quillon_format_name(k);
        quillon_bytes file = {NULL, 0};
        const char* label = strcmp(format, "listing") && strcmp(format, "bin") && strcmp(format, "bmp") ? "logo" : NULL;
        CHECK(quillon_write(image, format, label, "logo.png", &file, error, sizeof error) == 0, "%s: %s", format,
              error);
        CHECK(quillon_dots(file.data, file.size, NULL, back, error, sizeof error) == 0, "%s: %s", format, error);
        CHECK(memcmp(image, back, sizeof image) == 0, "%s read back other dots", format);
        const char* told = quillon_identify(file.data, file.size);
        CHECK(strstr(told, strcmp(format, "bmp") ? format : "BMP") != NULL, "%s told as \"%s\"", format, told);
        quillon_bytes_free(&file);
    }
}

static void Telling(void)
{
    unsigned char bytes[QUILLON_DISPLAY_BYTES] = {0};
    CHECK(strcmp(quillon_identify(bytes, sizeof bytes), "table bin") == 0, "488 zero bytes");
    /* A picture's signature wins over the size of a bin table. */
    memcpy(bytes, "\x89PNG\r\n\x1a\n", 8);
    CHECK(strcmp(quillon_identify(bytes, sizeof bytes), "picture PNG") == 0, "488 bytes of PNG");
    memcpy(bytes, "GIF89a", 6);
    CHECK(strcmp(quillon_identify(bytes, sizeof bytes), "picture GIF") == 0, "488 bytes of GIF");
    CHECK(strcmp(quillon_identify("hello", 5), "") == 0, "text");
}

static void Failures(void)
{
    unsigned char image[QUILLON_DISPLAY_BYTES];
    char error[256] = "";
    CHECK(quillon_dots("hello", 5, NULL, image, error, sizeof error) == -1, "text taken");
    CHECK(strstr(error, "is neither a picture") == error, "said: %s", error);
    quillon_picture_options options;
    quillon_picture_options_init(&options);
    options.fit = "blurry";
    Pattern(image);
    quillon_bytes png = {NULL, 0};
    CHECK(quillon_write(image, "bmp", NULL, NULL, &png, error, sizeof error) == 0, "%s", error);
    CHECK(quillon_dots(png.data, png.size, &options, image, error, sizeof error) == -1, "a fit of no name taken");
    CHECK(strcmp(error, "blurry is no --fit: contain, cover, stretch, none") == 0, "said: %s", error);
    char small[8];
    CHECK(quillon_dots("hello", 5, NULL, image, small, sizeof small) == -1 && strlen(small) == 7, "cut: %s", small);
    CHECK(quillon_write(image, "bin", "logo", NULL, &png, error, sizeof error) == -1, "bin took a label");
    quillon_bytes_free(&png);
}

static void Text(void)
{
    unsigned char image[QUILLON_DISPLAY_BYTES] = {0};
    char error[256];
    quillon_text_options options;
    quillon_text_options_init(&options);
    quillon_bytes notes = {NULL, 0};
    CHECK(quillon_text("Grüße 25°C €", &options, image, &notes, error, sizeof error) == 0, "%s", error);
    int lit = 0;
    for (int k = 0; k < QUILLON_DISPLAY_BYTES; ++k)
        lit += image[k] != 0;
    CHECK(lit > 20, "%d bytes lit", lit);
    CHECK(notes.size > 0 && strstr((const char*)notes.data, "U+20AC") != NULL, "the euro sign not named");
    quillon_bytes_free(&notes);
    CHECK(quillon_text("\xff", &options, image, NULL, error, sizeof error) == -1, "not UTF-8 taken");
}

/* A picture's dots as quillon-cli writes them, through quillon_dots and
 * through a file opened once and fitted under other options in between. */
static void SameAsTheTool(const char* cli, const char* picture)
{
    char command[4096];
    snprintf(command, sizeof command, "'%s' convert --dither atkinson -f bin -o - '%s'", cli, picture);
    FILE* tool = popen(command, "r");
    unsigned char expected[QUILLON_DISPLAY_BYTES], got[QUILLON_DISPLAY_BYTES];
    CHECK(tool && fread(expected, 1, sizeof expected, tool) == sizeof expected, "%s gave no table", command);
    if (tool)
        pclose(tool);
    FILE* file = fopen(picture, "rb");
    static unsigned char bytes[1 << 22];
    const size_t size = file ? fread(bytes, 1, sizeof bytes, file) : 0;
    if (file)
        fclose(file);
    char error[256];
    quillon_picture_options options;
    quillon_picture_options_init(&options);
    options.dither = "atkinson";
    CHECK(quillon_dots(bytes, size, &options, got, error, sizeof error) == 0, "%s", error);
    CHECK(memcmp(expected, got, sizeof got) == 0, "quillon_dots and quillon-cli differ");
    quillon_file* opened = quillon_open(bytes, size);
    options.dither = "none";
    options.threshold = 90;
    CHECK(quillon_file_dots(opened, &options, got, error, sizeof error) == 0, "%s", error);
    options.dither = "atkinson";
    CHECK(quillon_file_dots(opened, &options, got, error, sizeof error) == 0, "%s", error);
    CHECK(memcmp(expected, got, sizeof got) == 0, "an opened file fitted again differs from quillon-cli");
    quillon_close(opened);
}

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: api_test QUILLON-CLI PICTURE\n");
        return 64;
    }
    CHECK(strcmp(quillon_version(), "0.1") == 0, "version %s", quillon_version());
    RoundTrips();
    Telling();
    Failures();
    Text();
    SameAsTheTool(argv[1], argv[2]);
    return failures == 0 ? 0 : 1;
}
