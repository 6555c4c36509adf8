/* render X Y "STRING": the 488-byte display image of STRING drawn at X, Y
 * with the glyph table font_table.h, on standard output. */
#include <stdio.h>
#include <stdlib.h>

#include "draw.h"
#include "font_table.h"

int main(int argc, char **argv)
{
    static unsigned char image[QF_BYTES];
    if (argc != 4) {
        fputs("usage: render X Y STRING\n", stderr);
        return 64;
    }
    qf_draw(image, font_table, atoi(argv[1]), atoi(argv[2]), argv[3]);
    return fwrite(image, 1, QF_BYTES, stdout) == QF_BYTES && fflush(stdout) == 0 ? 0 : 1;
}
