/* Quillon's core as a C library: pictures of any kind and data tables in any
 * of Quillon's formats turned into the dots of a 122 x 32 graphic LCD, and
 * those dots written in any format; text drawn with a font, and fonts written
 * as glyph tables. The same route quillon-cli takes, so the bytes are the
 * same. Link Quillon::quillon (CMake) and a C++ runtime.
 *
 * Every function that can fail returns 0 when done, else -1 with one line
 * saying why written into `error` (at most `error_size` bytes, ended by a
 * NUL), in quillon-cli's words: "cannot be read: the file ends before the
 * picture does". Bytes the library makes (quillon_bytes) are the caller's to
 * free with quillon_bytes_free. A display image is the 488 bytes the display
 * takes, in its order (block 1, columns 0-60, then block 2; in a block page 1
 * to page 4; one byte a column of a page, bit 0 at its top row). */
#ifndef QUILLON_QUILLON_H
#define QUILLON_QUILLON_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

#define QUILLON_DISPLAY_WIDTH 122
#define QUILLON_DISPLAY_HEIGHT 32
#define QUILLON_DISPLAY_BYTES 488

/* How a picture that is not an exact 1-bit 122 x 32 BMP becomes dots: the
 * options of quillon-cli's of the same names. NULL words and, after
 * quillon_picture_options_init, every field take quillon-cli's defaults. */
typedef struct quillon_picture_options {
    const char* fit;        /* "contain", "cover", "stretch", "none" */
    const char* background; /* "white", "black" */
    const char* dither;     /* "none", "floyd-steinberg", "atkinson", "bayer" */
    int threshold;          /* 0..255: without a dither a grey below it is lit */
    int rotate;             /* 0, 90, 180, 270: clockwise */
    const char* flip;       /* "none", "h", "v" */
    int frame;              /* of an animated GIF, from 0 */
    int inverse;            /* non-zero: light an exact BMP's second colour, a picture's light pixels */
} quillon_picture_options;

void quillon_picture_options_init(quillon_picture_options* options);

/* The choices of an option, by number from 0, as quillon-cli takes them:
 * "fit", "background", "dither", "flip" and "rotate" ("0", "90", ...) of
 * pictures, "align" and "valign" of text; NULL past the last, or for another
 * option. */
const char* quillon_option_choice(const char* option, int index);

typedef struct quillon_bytes {
    unsigned char* data;
    size_t size;
} quillon_bytes;

void quillon_bytes_free(quillon_bytes* bytes);

/* "0.1". */
const char* quillon_version(void);

/* What a file is, told by its content: "picture PNG", "table c", or "" for
 * neither. The text is the library's; it lives as long as the program. */
const char* quillon_identify(const void* file, size_t size);

/* The display image of a file: a picture of any kind or a table in any format. */
int quillon_dots(const void* file, size_t size, const quillon_picture_options* options,
                 unsigned char image[QUILLON_DISPLAY_BYTES], char* error, size_t error_size);

/* A file opened once and turned into dots again as options change: a picture
 * is decoded once, and a new threshold or dither is that step alone. */
typedef struct quillon_file quillon_file;
quillon_file* quillon_open(const void* file, size_t size);
int quillon_file_dots(quillon_file* file, const quillon_picture_options* options,
                      unsigned char image[QUILLON_DISPLAY_BYTES], char* error, size_t error_size);
/* What quillon-cli says of the file's last dots that is no failure (that an
 * exact BMP's lighter colour is lit), or "". It lives until the next call on
 * the file. */
const char* quillon_file_notice(const quillon_file* file);
void quillon_close(quillon_file* file);

/* The formats, by number from 0: their names ("listing", "a51", ...), and
 * NULL past the last. */
const char* quillon_format_name(int index);
/* The ending of a format's default file name (".txt"), or NULL. */
const char* quillon_format_extension(const char* format);
/* Non-zero when a format has a place for a label (quillon_write's `label`). */
int quillon_format_takes_label(const char* format);
/* Non-zero when a format holds an animation's frames (quillon_frames). */
int quillon_format_holds_frames(const char* format);

/* The name quillon-cli convert gives the output of the file called `input`
 * in `format`, beside it (the folder `input` names is kept): "lcd_logo.a51",
 * or for a picture's listing the window's name ("lcd_logo.txt" for
 * "logo.bmp"). `file` and `size`, its bytes, tell a picture from a table
 * (NULL: neither, as for text). The name is the caller's to free. */
int quillon_output_name(const char* input, const void* file, size_t size, const char* format, quillon_bytes* out,
                        char* error, size_t error_size);

/* The dots of a display image, row by row from the top-left: 1 lit, 0 clear. */
void quillon_image_dots(const unsigned char image[QUILLON_DISPLAY_BYTES],
                        unsigned char dots[QUILLON_DISPLAY_WIDTH * QUILLON_DISPLAY_HEIGHT]);
/* The colour the window's preview draws a lit (non-zero) or clear dot in: 0xRRGGBB. */
unsigned long quillon_dot_colour(int lit);

/* The image in a format. `label` (NULL or "" for none) goes before the data,
 * or names the C array; `name` is the input's file name, for C's default
 * array name. */
int quillon_write(const unsigned char image[QUILLON_DISPLAY_BYTES], const char* format, const char* label,
                  const char* name, quillon_bytes* out, char* error, size_t error_size);

/* Every frame of an animated GIF or an animation's table, as a viewer shows
 * each, with its delay, written in `format` as one animation table, as
 * quillon-cli convert --frames all writes it (every format but "bmp"; a file
 * that does not move is one frame). options->frame is not looked at. */
int quillon_frames(const void* file, size_t size, const quillon_picture_options* options, const char* format,
                   const char* label, const char* name, quillon_bytes* out, char* error, size_t error_size);

/* How text is drawn, as quillon-cli text draws it. */
typedef struct quillon_text_options {
    const void* font; /* a font file's bytes (BDF, PCF, TrueType, OpenType), or NULL: the built-in font */
    size_t font_size;
    int size;           /* pixel size of a scalable font; 0: none given */
    int x, y;           /* the pen's origin and the first line's top */
    const char* align;  /* NULL, "left", "center", "right": each line */
    const char* valign; /* NULL, "top", "middle", "bottom": the whole text */
    int line_spacing;   /* rows added between lines */
    int inverse;        /* non-zero: every dot turned over at the end */
} quillon_text_options;

void quillon_text_options_init(quillon_text_options* options);

/* Draws UTF-8 text ("\n" starts a line) into `image` (its dots kept: clear it
 * first, or draw onto a picture's dots). `notes`, when not NULL, gets the
 * lines quillon-cli would say on its standard error that are no failure
 * (characters the font lacks, text cut off), each ended by "\n". */
int quillon_text(const char* text, const quillon_text_options* options, unsigned char image[QUILLON_DISPLAY_BYTES],
                 quillon_bytes* notes, char* error, size_t error_size);

#ifdef __cplusplus
}
#endif

#endif
