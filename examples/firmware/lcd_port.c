/* The bus cycles of lcd.h with the module hung on port pins instead of the
 * external bus: both controllers in 6800 mode, driven bit by bit. Waits on
 * each controller's busy flag before every write. */
#include <8052.h>

#include "lcd.h"

/* Where the module hangs (see docs/firmware.md's wiring): the data lines
 * DB0-DB7 on a whole port, A0 (0 command, 1 data), R/W (1 read, 0 write) and
 * the enables of the two controllers on single pins. */
#define LCD_DATA P1
#define LCD_A0 P3_2
#define LCD_RW P3_3
#define LCD_E1 P3_4
#define LCD_E2 P3_5

/* Raises (1) or lowers (0) the enable of controller `lcd` (0 or 1). */
static void enable(unsigned char lcd, __bit level)
{
    if (lcd)
        LCD_E2 = level;
    else
        LCD_E1 = level;
}

/* A status read: the port's latch set to 0xFF so that its pins can be read,
 * A0 = 0, R/W = 1; the controller drives the pins while its E is high. */
static unsigned char read_status(unsigned char lcd)
{
    unsigned char status;
    LCD_DATA = 0xFF;
    LCD_A0 = 0;
    LCD_RW = 1;
    enable(lcd, 1);
    status = LCD_DATA;
    enable(lcd, 0);
    return status;
}

/* Ready once neither busy nor still resetting. */
static void wait_ready(unsigned char lcd)
{
    while (read_status(lcd) & (STATUS_BUSY | STATUS_RESET))
        ;
}

/* A write: A0 (0 command, 1 data), R/W = 0, the byte on the port, then a
 * pulse on E; the controller takes the byte as E falls. */
static void write_byte(unsigned char lcd, __bit a0, unsigned char byte)
{
    wait_ready(lcd);
    LCD_A0 = a0;
    LCD_RW = 0;
    LCD_DATA = byte;
    enable(lcd, 1);
    enable(lcd, 0);
}

void lcd_command(unsigned char lcd, unsigned char command)
{
    write_byte(lcd, 0, command);
}

void lcd_data(unsigned char lcd, unsigned char byte)
{
    write_byte(lcd, 1, byte);
}

/* The pins come out of reset high: both enables low first, while R/W is still
 * high, so that no write is made by the way. */
void lcd_bus_start(void)
{
    LCD_E1 = 0;
    LCD_E2 = 0;
}
