/* Shows a 122 x 32 picture on the display: two SED1520-type controllers on the
 * 8051's external bus, controller 1 driving columns 0-60, controller 2 columns
 * 61-121. picture.h is the picture's table, written by
 * "quillon-cli convert -f c --label picture". Build: sdcc -mmcs51 display.c
 * Waits on each controller's busy flag before every write. */
#include "picture.h"

/* Where the controllers sit in external memory (see the README's wiring table).
 * Reading a command register gives that controller's status. */
#define LCD1_COMMAND 0x8000
#define LCD1_DATA 0x8001
#define LCD2_COMMAND 0x8002
#define LCD2_DATA 0x8003

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

typedef volatile __xdata unsigned char* lcd_register;
static lcd_register const command_register[2] = {(lcd_register)LCD1_COMMAND, (lcd_register)LCD2_COMMAND};
static lcd_register const data_register[2] = {(lcd_register)LCD1_DATA, (lcd_register)LCD2_DATA};

/* Ready once neither busy nor still resetting. */
static void wait_ready(unsigned char lcd)
{
    while (*command_register[lcd] & (STATUS_BUSY | STATUS_RESET))
        ;
}

static void send_command(unsigned char lcd, unsigned char command)
{
    wait_ready(lcd);
    *command_register[lcd] = command;
}

static void send_data(unsigned char lcd, unsigned char byte)
{
    wait_ready(lcd);
    *data_register[lcd] = byte;
}

void main(void)
{
    static __code const unsigned char init[] = {CMD_STATIC_OFF, CMD_ADC_NORMAL, CMD_DUTY_32, CMD_START_LINE | 0,
                                                CMD_DISPLAY_ON};
    __code const unsigned char* byte = picture;
    unsigned char lcd, i, page;

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
