/* Shows a 122 x 32 picture on the display and stays. picture.h is its table,
 * written by "quillon-cli convert -f c --label picture". Build it with lcd.c
 * and the bus cycles of the wiring: lcd_bus.c (external bus) or lcd_port.c
 * (port pins), as the Makefile does. */
#include "lcd.h"
#include "picture.h"

void main(void)
{
    lcd_init();
    lcd_show(picture);
    for (;;)
        ;
}
