/* Setting up the display and showing an image on it, over the bus cycles of
 * lcd_bus.c or lcd_port.c. */
#include "lcd.h"

#define PAGES 4
#define COLUMNS 61 /* each controller's share of the 122 columns */

void lcd_init(void)
{
    static __code const unsigned char init[] = {CMD_STATIC_OFF, CMD_ADC_NORMAL, CMD_DUTY_32, CMD_START_LINE | 0,
                                                CMD_DISPLAY_ON};
    unsigned char lcd, i;

    lcd_bus_start();
    for (lcd = 0; lcd < 2; lcd++) {
        lcd_command(lcd, CMD_RESET); /* the next write waits until the reset is over */
        for (i = 0; i < sizeof init; i++)
            lcd_command(lcd, init[i]);
    }
}

void lcd_show(__code const unsigned char* image)
{
    unsigned char lcd, i, page;

    for (lcd = 0; lcd < 2; lcd++) {
        for (page = 0; page < PAGES; page++) {
            lcd_command(lcd, CMD_PAGE | page);
            lcd_command(lcd, CMD_COLUMN | 0);
            for (i = 0; i < COLUMNS; i++)
                lcd_data(lcd, *image++);
        }
    }
}
