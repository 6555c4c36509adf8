/* Text on a 122 x 32 LCD from a glyph table written by "quillon-cli font":
 * the same dots "quillon-cli text" draws. C89; builds with SDCC for the 8051. */
#ifndef QUILLON_DRAW_H
#define QUILLON_DRAW_H

#define QF_WIDTH 122
#define QF_HEIGHT 32
#define QF_BYTES 488
/* No glyph is drawn on a line once the pen is at this column or past it. */
#define QF_PEN_STOP 378

/* Draws UTF-8 `text` into the 488-byte display image `image` (lit dots are
 * added, nothing is cleared), its first line's top at row y, the pen's origin
 * at column x; what falls outside the display is cut off. "\n" (backslash, n)
 * or a line feed starts a new line, "\\" is one backslash. */
void qf_draw(unsigned char *image, const unsigned char *font, int x, int y, const char *text);

#endif
