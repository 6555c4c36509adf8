/* The renderer on the 8051 (SDCC): a line of text drawn into the display
 * image in external RAM, which the firmware then sends to the LCD. */
#include "draw.h"
#include "font_table.h"

__xdata unsigned char image[QF_BYTES];

void main(void)
{
    qf_draw(image, font_table, 0, 0, "25\xC2\xB0" "C\\nMenu");
    for (;;)
        ;
}
