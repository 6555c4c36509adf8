/* The glyph table's layout is in the comment of the table file and in
 * Quillon's docs/fonts.md. */
#include "draw.h"

#define END_OF_TEXT 0xFFFFFFFFUL
#define NEW_LINE 10UL

static unsigned int word_at(const unsigned char *at)
{
    return (unsigned int)at[0] | ((unsigned int)at[1] << 8);
}

static int signed_byte(unsigned char value)
{
    return value < 128 ? (int)value : (int)value - 256;
}

/* The next code of the text, END_OF_TEXT at its end. */
static unsigned long next_code(const char **text)
{
    const unsigned char *at = (const unsigned char *)*text;
    unsigned long code;
    unsigned char more;
    if (at[0] == 0)
        return END_OF_TEXT;
    if (at[0] == '\\' && (at[1] == 'n' || at[1] == '\\')) {
        *text += 2;
        return at[1] == 'n' ? NEW_LINE : (unsigned long)'\\';
    }
    code = at[0];
    more = 0;
    if (code >= 0xF0) {
        code &= 0x07;
        more = 3;
    } else if (code >= 0xE0) {
        code &= 0x0F;
        more = 2;
    } else if (code >= 0xC0) {
        code &= 0x1F;
        more = 1;
    }
    ++at;
    for (; more > 0 && *at != 0; --more, ++at)
        code = (code << 6) | (*at & 0x3F);
    *text = (const char *)at;
    return code;
}

/* The pen's move between two codes: the table's kerning pairs, sorted. */
static int kerning(const unsigned char *pairs, unsigned int count, unsigned long left, unsigned long right)
{
    unsigned long wanted = (left << 16) | right;
    unsigned int low = 0, high = count;
    if (left > 0xFFFFUL || right > 0xFFFFUL)
        return 0; /* the table's codes have 16 bits */
    while (low < high) {
        unsigned int middle = low + (high - low) / 2;
        const unsigned char *pair = pairs + 5 * middle;
        unsigned long found = ((unsigned long)word_at(pair) << 16) | word_at(pair + 2);
        if (found == wanted)
            return signed_byte(pair[4]);
        if (found < wanted)
            low = middle + 1;
        else
            high = middle;
    }
    return 0;
}

void qf_draw(unsigned char *image, const unsigned char *font, int x, int y, const char *text)
{
    unsigned int first = word_at(font), last = word_at(font + 2);
    unsigned char pages = font[4] / 8;
    const unsigned char *pairs = font + 10 + 5 * (last - first + 2);
    unsigned int pair_count = word_at(font + 8);
    int pen = x;
    int top = y + font[6] - font[5]; /* the cell's row 0 */
    unsigned long code, previous = 0;
    char after_glyph = 0;

    while ((code = next_code(&text)) != END_OF_TEXT) {
        const unsigned char *record;
        const unsigned char *bitmap;
        unsigned char width, page, column, bit;
        int left;
        if (code == NEW_LINE) {
            pen = x;
            top += font[7];
            after_glyph = 0;
            if (top >= QF_HEIGHT)
                return; /* lines only go down */
            continue;
        }
        if (pen >= QF_PEN_STOP)
            continue;
        if (after_glyph)
            pen += kerning(pairs, pair_count, previous, code);
        record = font + 10 + 5 * (code >= first && code <= last ? (unsigned int)(code - first) : last - first + 1);
        width = record[0];
        left = pen + signed_byte(record[1]);
        bitmap = font + word_at(record + 3);
        for (page = 0; page < pages; ++page) {
            for (column = 0; column < width; ++column) {
                unsigned char dots = bitmap[page * width + column];
                int dot_x = left + column;
                if (dots == 0 || dot_x < 0 || dot_x >= QF_WIDTH)
                    continue;
                for (bit = 0; bit < 8; ++bit) {
                    int dot_y = top + page * 8 + bit;
                    if ((dots >> bit) & 1 && dot_y >= 0 && dot_y < QF_HEIGHT)
                        image[dot_x / 61 * 244 + dot_y / 8 * 61 + dot_x % 61] |= (unsigned char)(1 << (dot_y % 8));
                }
            }
        }
        pen += record[2];
        previous = code;
        after_glyph = 1;
    }
}
