/* Shows a 122 x 32 picture on the display hung on port pins instead of the
 * external bus: two SED1520-type controllers, controller 1 driving columns
 * 0-60, controller 2 columns 61-121, both in 6800 mode, driven bit by bit.
 * picture.h is the picture's table, written by
 * "quillon-cli convert -f c --label picture". Build: sdcc -mmcs51 display_port.c
 * Only the lowest layer differs from display.c: the bus cycles are made on the
 * pins. Waits on each controller's busy flag before every write. */
#include <8052.h>

#include "picture.h"

/* Where the module hangs (see the README's wiring): the data lines DB0-DB7 on
 * a whole port, A0 (0 command, 1 data), R/W (1 read, 0 write) and the enables
 * of the two controllers on single pins. */
#define LCD_DATA P1
#define LCD_A0 P3_2
#define LCD_RW P3_3
#define LCD_E1 P3_4
#define LCD_E2 P3_5

#define STATUS_BUSY 0x80
#define STATUS_RESET 0x10

#define CMD_RESET 0xE2
#define CMD_STATIC_OFF 0xA4
#define CMD_DUTY_32 0xA9
#define CMD_ADC_NORMAL 0xA0
#define CMD_START_LINE 0xC0 /* | line */
#define CMD_DISPLAY_ON 0xAF
#define CMD_PAGE 0xB8   /* | page */
#define CMD_COLUMN 0x00 /* | column */

#define PAGES 4
#define COLUMNS 61 /* each controller's share of the 122 columns */

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

static void send_command(unsigned char lcd, unsigned char command)
{
    write_byte(lcd, 0, command);
}

static void send_data(unsigned char lcd, unsigned char byte)
{
    write_byte(lcd, 1, byte);
}

void main(void)
{
    static __code const unsigned char init[] = {CMD_STATIC_OFF, CMD_ADC_NORMAL, CMD_DUTY_32, CMD_START_LINE | 0,
                                                CMD_DISPLAY_ON};
    __code const unsigned char* byte = picture;
    unsigned char lcd, i, page;

    /* The pins come out of reset high: both enables low first, while R/W is
     * still high, so that no write is made by the way. */
    LCD_E1 = 0;
    LCD_E2 = 0;
    for (lcd = 0; lcd < 2; lcd++) {
        send_command(lcd, CMD_RESET); /* the next write waits until the reset is over */
        for (i = 0; i < sizeof init; i++)
            send_command(lcd, init[i]);
    }
    /* The table holds controller 1's four pages, then controller 2's, each
     * page one byte a column from the left, bit 0 its top row. */
    for (lcd = 0; lcd < 2; lcd++) {
        for (page = 0; page < PAGES; page++) {
            send_command(lcd, CMD_PAGE | page);
            send_command(lcd, CMD_COLUMN | 0);
            for (i = 0; i < COLUMNS; i++)
                send_data(lcd, *byte++);
        }
    }
    for (;;)
        ;
}
