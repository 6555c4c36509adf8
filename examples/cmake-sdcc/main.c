/* Sends the picture's 488 bytes, in the order the display takes them, to
   port 1, where a display's data lines would be wired, then stops. */
#include <8051.h>

#include "lcd_logo.h"

void main(void)
{
    unsigned int k;
    for (k = 0; k < sizeof logo; ++k)
        P1 = logo[k];
    for (;;) {
    }
}
