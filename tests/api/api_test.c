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

/* What the web page builds its controls and names from: the choices of the
 * options as quillon-cli --help lists them, the names convert writes beside
 * an input, and the dots of an image in the display's byte order. */
static void ForPages(void)
{
    static const struct {
        const char* option;
        const char* choices;
    } lists[] = {{"fit", "contain cover stretch none"},
                 {"background", "white black"},
                 {"dither", "none floyd-steinberg atkinson bayer"},
                 {"flip", "none h v"},
                 {"rotate", "0 90 180 270"},
                 {"align", "left center right"},
                 {"valign", "top middle bottom"},
                 {"threshold", ""}};
    for (size_t k = 0; k < sizeof lists / sizeof lists[0]; ++k) {
        char joined[128] = "";
        for (int n = 0; quillon_option_choice(lists[k].option, n); ++n)
            snprintf(joined + strlen(joined), sizeof joined - strlen(joined), "%s%s", n ? " " : "",
                     quillon_option_choice(lists[k].option, n));
        CHECK(strcmp(joined, lists[k].choices) == 0, "--%s: %s", lists[k].option, joined);
    }

    unsigned char image[QUILLON_DISPLAY_BYTES] = {0};
    char error[256];
    quillon_bytes bmp = {NULL, 0}, table = {NULL, 0};
    CHECK(quillon_write(image, "bmp", NULL, NULL, &bmp, error, sizeof error) == 0, "%s", error);
    CHECK(quillon_write(image, "a51", NULL, NULL, &table, error, sizeof error) == 0, "%s", error);
    const struct {
        const char* input;
        const quillon_bytes* file;
        const char* format;
        const char* name;
    } names[] = {{"pics/logo.bmp", &bmp, "listing", "pics/lcd_logo.txt"},
                 {"Logo.BMP", &bmp, "listing", "lcd_Logo.txt"},
                 {"logo.png", &bmp, "listing", "lcd_logo.txt"},
                 {"logo.png", &bmp, "a51", "lcd_logo.a51"},
                 {"lcd_logo.a51", &table, "bmp", "lcd_logo.bmp"},
                 {"logo.a51", &table, "listing", "lcd_logo.txt"},
                 {"text", NULL, "c", "lcd_text.h"}};
    for (size_t k = 0; k < sizeof names / sizeof names[0]; ++k) {
        quillon_bytes name = {NULL, 0};
        const quillon_bytes* file = names[k].file;
        CHECK(quillon_output_name(names[k].input, file ? file->data : NULL, file ? file->size : 0, names[k].format,
                                  &name, error, sizeof error) == 0,
              "%s", error);
        CHECK(name.data && name.size == strlen(names[k].name) && memcmp(name.data, names[k].name, name.size) == 0,
              "%s as %s: %.*s", names[k].input, names[k].format, (int)name.size, (const char*)name.data);
        quillon_bytes_free(&name);
    }
    CHECK(quillon_output_name("logo.png", NULL, 0, "gif", &table, error, sizeof error) == -1, "gif taken");
    for (int k = 0; quillon_format_name(k); ++k) {
        const char* format = quillon_format_name(k);
        const int label = strcmp(format, "listing") && strcmp(format, "bin") && strcmp(format, "bmp");
        CHECK(quillon_format_takes_label(format) == label, "%s: a label or not", format);
    }
    /* An exact BMP whose first colour is the lighter: said, as quillon-cli says it. */
    unsigned char colour[4];
    memcpy(colour, bmp.data + 54, 4);
    memmove(bmp.data + 54, bmp.data + 58, 4);
    memcpy(bmp.data + 58, colour, 4);
    quillon_file* exact = quillon_open(bmp.data, bmp.size);
    CHECK(quillon_file_dots(exact, NULL, image, error, sizeof error) == 0, "%s", error);
    CHECK(strstr(quillon_file_notice(exact), "its first colour, white (#FFFFFF), is lit") != NULL, "noticed: %s",
          quillon_file_notice(exact));
    quillon_close(exact);
    quillon_bytes_free(&bmp);
    quillon_bytes_free(&table);

    /* Block 1's first byte, bit 0: the top-left dot; block 2's last byte,
     * bit 7: the bottom-right one. */
    image[0] = 0x01;
    image[QUILLON_DISPLAY_BYTES - 1] = 0x80;
    unsigned char dots[QUILLON_DISPLAY_WIDTH * QUILLON_DISPLAY_HEIGHT];
    quillon_image_dots(image, dots);
    int lit = 0;
    for (size_t k = 0; k < sizeof dots; ++k)
        lit += dots[k];
    CHECK(lit == 2 && dots[0] == 1 && dots[sizeof dots - 1] == 1, "%d dots lit", lit);
    CHECK(quillon_dot_colour(1) == 0x000000 && quillon_dot_colour(0) == 0x008000, "the preview's colours");
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

    /* As an animation: one frame, no delay, the same dots; its table read
     * back through another format gives the same bytes; bmp holds no frames. */
    quillon_bytes animation = {NULL, 0}, c = {NULL, 0}, again = {NULL, 0};
    CHECK(quillon_frames(bytes, size, &options, "bin", NULL, NULL, &animation, error, sizeof error) == 0, "%s", error);
    CHECK(animation.size == 4 + QUILLON_DISPLAY_BYTES && animation.data[0] == 1 && animation.data[1] == 0 &&
              animation.data[2] == 0 && animation.data[3] == 0 &&
              memcmp(animation.data + 4, expected, sizeof expected) == 0,
          "a still picture's animation is %zu bytes", animation.size);
    CHECK(quillon_frames(animation.data, animation.size, NULL, "c", "splash", NULL, &c, error, sizeof error) == 0, "%s",
          error);
    CHECK(quillon_frames(c.data, c.size, NULL, "bin", NULL, NULL, &again, error, sizeof error) == 0, "%s", error);
    CHECK(again.size == animation.size && memcmp(again.data, animation.data, again.size) == 0,
          "an animation through C differs");
    CHECK(quillon_frames(bytes, size, &options, "bmp", NULL, NULL, &again, error, sizeof error) != 0 &&
              strstr(error, "holds one frame"),
          "bmp took frames: %s", error);
    quillon_bytes_free(&animation);
    quillon_bytes_free(&c);
    quillon_bytes_free(&again);
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
    ForPages();
    SameAsTheTool(argv[1], argv[2]);
    return failures == 0 ? 0 : 1;
}
